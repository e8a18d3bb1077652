// PROVISIONAL
#include "app/console_output.h"

#include <unistd.h>

namespace tracksift {

void PrintLine(std::string_view text) {
  if (write(1, text.data(), text.size()) < 0 || write(1, "\r\n", 2) < 0) return;
}
void FlushConsole() {}

}  // namespace tracksift
