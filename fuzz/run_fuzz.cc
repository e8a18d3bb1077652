// Fuzz target for a whole filtering run, in memory: command line, walk over
// the blocks, kept output.
//
// Input layout:
//   byte 0: bits 0-1 the number of option arguments (0 to 3); bit 2 the
//           decimal mark (set: comma, clear: full stop); bit 3 Shift-JIS
//           lead bytes on.
//   then each option argument, ended by a NUL byte (the last may instead end
//   with the input), then the bytes of the track log.
// The names "in.log" and "out.log" follow the option arguments; no file is
// touched.
//
// Invariants, checked against a plain splitter of the log written here:
// - a run that succeeds gives a sequence of whole input blocks, in input
//   order, each line followed by CR LF; every block of the log is complete
//   and has a line beginning with "$GPRMC";
// - a run that fails raises EConvertError, EStringListError or EOverflow,
//   with the message of its kind: the text quoted from the log or the ratio
//   option; a list index that the log explains; the fixed overflow text;
// - nothing crashes and nothing leaks (the sanitizers see to these).
//
// Build (as .ci/fuzz does): the tracksift_core library compiled by clang++
// with -fsanitize=fuzzer-no-link,address,undefined, then
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I.
//       fuzz/run_fuzz.cc libtracksift_core.a -o run_fuzz

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/locale.h"
#include "app/run.h"
#include "base/failure.h"
#include "base/texts.h"

namespace {

constexpr std::string_view kTerminator = "$PGRMM,Tokyo*2F";
constexpr std::string_view kFixPrefix = "$GPRMC";

void Check(bool condition, const char* what) {
  if (!condition) {
    fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

// A log as plain lists: its lines cut into blocks.
struct SplitLog {
  std::vector<std::vector<std::string_view>> blocks;  // complete blocks only
  size_t line_count = 0;
  bool ends_inside_block = false;  // lines follow the last terminator
};

// Lines end at CR LF, a lone CR or a lone LF; the text ends at its first NUL.
std::vector<std::string_view> SplitIntoLines(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::vector<std::string_view> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = at;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    lines.push_back(text.substr(at, end - at));
    at = end;
    if (at < text.size() && text[at] == '\r') ++at;
    if (at < text.size() && text[at] == '\n') ++at;
  }
  return lines;
}

SplitLog Split(std::string_view text) {
  SplitLog log;
  std::vector<std::string_view> block;
  for (std::string_view line : SplitIntoLines(text)) {
    ++log.line_count;
    block.push_back(line);
    if (line == kTerminator) {
      log.blocks.push_back(std::move(block));
      block.clear();
    }
  }
  log.ends_inside_block = !block.empty();
  return log;
}

std::string OutputOf(const std::vector<std::string_view>& block) {
  std::string bytes;
  for (std::string_view line : block) {
    bytes += line;
    bytes += "\r\n";
  }
  return bytes;
}

bool HasFixSentence(const std::vector<std::string_view>& block) {
  for (std::string_view line : block) {
    if (line.substr(0, kFixPrefix.size()) == kFixPrefix) return true;
  }
  return false;
}

// output must be the output bytes of some of log's blocks, in their order.
// Lines hold no CR or LF and a block's only terminator is its last line, so
// output cuts into blocks one way only, and taking the earliest equal input
// block each time finds a match whenever there is one.
void CheckKeptBlocks(const std::string& output, const SplitLog& log) {
  size_t at = 0;
  for (const auto& block : log.blocks) {
    if (at == output.size()) break;
    const std::string bytes = OutputOf(block);
    if (output.compare(at, bytes.size(), bytes) == 0) at += bytes.size();
  }
  Check(at == output.size(), "the output is not a sequence of input blocks in order");
}

std::string WithoutQuotes(std::string_view text) {
  std::string kept;
  for (char c : text) {
    if (c != '"') kept += c;
  }
  return kept;
}

// Splits "before value after" and returns whether the message has that form.
bool CutMessage(const std::string& message, const tracksift::FixedText& before,
                const tracksift::FixedText& after, std::string* value) {
  const std::string_view head = before.cp932;
  const std::string_view tail = after.cp932;
  if (message.size() < head.size() + tail.size()) return false;
  if (message.compare(0, head.size(), head) != 0) return false;
  if (message.compare(message.size() - tail.size(), tail.size(), tail) != 0) return false;
  *value = message.substr(head.size(), message.size() - head.size() - tail.size());
  return true;
}

// A number text that fails to read is a field of a fix sentence or the
// number of the ratio option. Quote marks are dropped on both sides: a quoted
// field loses its quotes and the second of each doubled pair.
void CheckConvertMessage(const std::string& message, std::string_view log_text,
                         const std::vector<std::string>& options) {
  std::string value;
  Check(CutMessage(message, tracksift::kConvertBefore, tracksift::kConvertAfter, &value),
        "EConvertError message form");
  Check(value.size() <= tracksift::Exception::kMaxValueBytes, "EConvertError value length");
  const std::string bare = WithoutQuotes(value);
  if (WithoutQuotes(log_text.substr(0, log_text.find('\0'))).find(bare) != std::string::npos) {
    return;
  }
  for (const std::string& option : options) {
    if (option.size() >= 2 && WithoutQuotes(option.substr(2)).find(bare) != std::string::npos) {
      return;
    }
  }
  Check(false, "EConvertError quotes a text found neither in the log nor in an option");
}

// A list index read past the end: field 2 or 7 of a short fix sentence, the
// line count of a block without a fix sentence, or the line count of a log
// that ends inside a block.
void CheckListIndexMessage(const std::string& message, const SplitLog& log) {
  std::string value;
  Check(CutMessage(message, tracksift::kListIndexBefore, tracksift::kListIndexAfter, &value),
        "EStringListError message form");
  Check(!value.empty() && value.size() <= 10 &&
            value.find_first_not_of("0123456789") == std::string::npos &&
            (value == "0" || value[0] != '0'),
        "EStringListError index is a plain decimal number");
  const uint64_t index = std::stoull(value);
  std::set<uint64_t> possible = {2, 7};
  for (const auto& block : log.blocks) {
    if (!HasFixSentence(block)) possible.insert(block.size());
  }
  if (log.ends_inside_block) possible.insert(log.line_count);
  Check(possible.count(index) == 1, "EStringListError index explained by the log");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const int option_count = data[0] & 3;
  tracksift::LocaleSettings locale;
  locale.decimal_mark = (data[0] & 4) != 0 ? ',' : '.';
  locale.cp932_lead_bytes = (data[0] & 8) != 0;

  std::vector<std::string> options;
  size_t at = 1;
  for (int i = 0; i < option_count && at < size; ++i) {
    const size_t end = std::min(bytes.find('\0', at), size);
    options.emplace_back(bytes.substr(at, end - at));
    at = end + 1;
  }
  const std::string_view log_text = bytes.substr(std::min(at, size));
  std::vector<std::string> args = options;
  args.push_back("in.log");
  args.push_back("out.log");

  const SplitLog log = Split(log_text);
  try {
    tracksift::Run run(locale);
    run.SetArguments(args);
    run.ReadCommandLine();
    run.UseInputText(log_text);
    run.Walk();
    const std::string output = run.OutputBytes();
    Check(!log.ends_inside_block, "success although the log ends inside a block");
    for (const auto& block : log.blocks) {
      Check(HasFixSentence(block), "success although a block has no fix sentence");
    }
    CheckKeptBlocks(output, log);
  } catch (const tracksift::EConvertError& e) {
    CheckConvertMessage(e.Message(tracksift::Encoding::kCp932), log_text, options);
  } catch (const tracksift::EStringListError& e) {
    CheckListIndexMessage(e.Message(tracksift::Encoding::kCp932), log);
  } catch (const tracksift::EOverflow& e) {
    Check(e.Message(tracksift::Encoding::kCp932) == tracksift::kOverflowMessage.cp932,
          "EOverflow message");
  } catch (const tracksift::Exception& e) {
    fprintf(stderr, "unexpected failure kind %s\n", e.KindName());
    std::abort();
  }
  return 0;
}
