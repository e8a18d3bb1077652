// The command line of a filtering run:
//   [-k<km/h> | -m<m/s>] [-x<factor>] <input file> <output file>
//
// The speed option may stand only first, the ratio option only right after
// it (or first when there is none). Options are recognised by their first two
// bytes with A-Z folded to lower case; the number is the rest of the
// argument. Anything else is a file name; missing names are empty, and
// arguments after the output file are ignored.

#ifndef TRACKSIFT_APP_COMMAND_LINE_H_
#define TRACKSIFT_APP_COMMAND_LINE_H_

#include <string>
#include <string_view>
#include <vector>

#include "filter/decide_block.h"

namespace tracksift {

struct CommandLine {
  Limits limits;  // each off unless its option sets it
  std::string input_file;
  std::string output_file;
};

// The speed limit in knots that a speed option ("-k..." or "-m...", any
// letter case) gives: km/h divided by 1.852, m/s by 0.514, in extended
// precision. A number that cannot be read, or a result beyond the range of a
// double, is absorbed: the speed test is then off (a negative limit).
double ReadSpeedLimit(std::string_view argument, char decimal_mark);

// Reads the arguments that follow the program name. A ratio number that
// cannot be read fails with EConvertError, one beyond the range of a double
// with EOverflow.
CommandLine ReadCommandLine(const std::vector<std::string>& args,
                            char decimal_mark);

}  // namespace tracksift

#endif  // TRACKSIFT_APP_COMMAND_LINE_H_
