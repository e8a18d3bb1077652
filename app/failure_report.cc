// PROVISIONAL
#include "app/failure_report.h"

#include <stdlib.h>
#include <unistd.h>

#include <string>

namespace tracksift {

void FailureReport(const Exception& failure) {
  std::string text = failure.KindName();
  text += "\r\n" + failure.Message() + "\r\n\r\n";
  if (write(1, text.data(), text.size()) < 0) _exit(1);
  _exit(1);
}

}  // namespace tracksift
