// tracksift: keeps the good fix blocks of a GPS track log.

#include <signal.h>

#include "app/locale.h"
#include "app/run.h"

int main(int argc, char** argv) {
  // A reader that went away and a file-size limit are failed writes to be
  // reported, never signals that end the process.
  signal(SIGPIPE, SIG_IGN);
  signal(SIGXFSZ, SIG_IGN);
  const tracksift::LocaleSettings locale = tracksift::AdoptUserLocale();
  return tracksift::RunProgram(argc, argv, locale);
}
