#include "app/command_line.h"

#include "base/failure.h"
#include "tracklog/extended.h"
#include "tracklog/read_number.h"

namespace tracksift {
namespace {

// The option an argument begins with: its first two bytes, A-Z lower-cased.
std::string OptionOf(std::string_view argument) {
  std::string option(argument.substr(0, 2));
  for (char& c : option) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return option;
}

std::string_view NumberTextOf(std::string_view argument) {
  return argument.size() > 2 ? argument.substr(2) : std::string_view();
}

const std::string& ArgumentAt(const std::vector<std::string>& args, size_t position) {
  static const std::string kNone;
  return position >= 1 && position <= args.size() ? args[position - 1] : kNone;
}

}  // namespace

double ReadSpeedLimit(std::string_view argument, char decimal_mark) {
  // Both divisors are held in extended precision, as read from their
  // decimal texts (each rounded once, to nearest).
  static const Extended kKmhPerKnot = ReadNumber("1.852", '.');
  static const Extended kMpsPerKnot = ReadNumber("0.514", '.');
  try {
    const double number = ToDouble(ReadNumber(NumberTextOf(argument), decimal_mark));
    const Extended divisor = OptionOf(argument) == "-k" ? kKmhPerKnot : kMpsPerKnot;
    return ToDouble(Extended::FromDouble(number) / divisor);
  } catch (const Exception&) {
    // A speed option whose number cannot be used does not stop the run; the
    // speed test is simply off.
    return -1.0;
  }
}

CommandLine ReadCommandLine(const std::vector<std::string>& args, char decimal_mark) {
  CommandLine line;
  size_t position = 1;
  if (!args.empty()) {
    const std::string option = OptionOf(args[0]);
    if (option == "-k" || option == "-m") {
      line.limits.speed = ReadSpeedLimit(args[0], decimal_mark);
      position = 2;
    }
  }
  if (args.size() >= position && OptionOf(args[position - 1]) == "-x") {
    line.limits.ratio =
        ToDouble(ReadNumber(NumberTextOf(args[position - 1]), decimal_mark));
    ++position;
  }
  line.input_file = ArgumentAt(args, position);
  line.output_file = ArgumentAt(args, position + 1);
  return line;
}

}  // namespace tracksift
