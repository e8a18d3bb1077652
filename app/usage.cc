#include "app/usage.h"

namespace tracksift {

void PrintUsage(ConsoleOutput& console, Encoding encoding) {
  static constexpr FixedText kEmpty{"", ""};
  static constexpr const FixedText* kLines[] = {
      &kUsageLine1,  &kEmpty,        &kUsageLine3,  &kEmpty,        &kUsageLine5,
      &kEmpty,       &kUsageLine7,   &kUsageLine8,  &kUsageLine9,   &kEmpty,
      &kUsageLine11, &kUsageLine12,  &kEmpty,       &kUsageLine14,  &kUsageLine15,
  };
  for (const FixedText* line : kLines) console.PrintLine(Render(*line, encoding));
}

void PrintUsage() { PrintUsage(StandardConsole(), ConsoleEncoding()); }

}  // namespace tracksift
