// The usage text: fifteen lines in Japanese that tell what the program does
// and how its command line is written, printed when it is started without
// arguments. In code page 932 the text is 530 bytes, line ends included.

#ifndef TRACKSIFT_APP_USAGE_H_
#define TRACKSIFT_APP_USAGE_H_

#include "app/console_output.h"
#include "base/texts.h"

namespace tracksift {

// Prints the usage text on standard output, one PrintLine per line, in the
// form ConsoleEncoding() chooses. EInOutError when a line cannot be written;
// the lines before it stay written.
void PrintUsage();

// The same through a given channel and in a given form.
void PrintUsage(ConsoleOutput& console, Encoding encoding);

}  // namespace tracksift

#endif  // TRACKSIFT_APP_USAGE_H_
