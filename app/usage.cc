// PROVISIONAL
#include "app/usage.h"

#include "app/console_output.h"
#include "base/texts.h"

namespace tracksift {

void PrintUsage() { PrintLine(kUsageLine1.cp932); }

}  // namespace tracksift
