// PROVISIONAL: console output.
#ifndef TRACKSIFT_APP_CONSOLE_OUTPUT_H_
#define TRACKSIFT_APP_CONSOLE_OUTPUT_H_

#include <string_view>

namespace tracksift {

void PrintLine(std::string_view text);
void FlushConsole();

}  // namespace tracksift

#endif  // TRACKSIFT_APP_CONSOLE_OUTPUT_H_
