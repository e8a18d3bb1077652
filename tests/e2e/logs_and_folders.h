// Pieces the end-to-end tests share: fix blocks to build logs from, the
// program's fixed texts in code page 932, and a test whose runs work in a
// folder of their own.

#ifndef TRACKSIFT_TESTS_E2E_LOGS_AND_FOLDERS_H_
#define TRACKSIFT_TESTS_E2E_LOGS_AND_FOLDERS_H_

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/texts.h"
#include "tests/e2e/run_program.h"

namespace tracksift::e2e {

inline const std::string kTerminator = "$PGRMM,Tokyo*2F";

// A fix block of three sentences with the given fix status and speed, each
// line ended by brk.
inline std::string Block(const std::string& status, const std::string& speed,
                         const std::string& brk = "\r\n") {
  return "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47" + brk +
         "$GPRMC,123519," + status + ",4807.038,N,01131.000,E," + speed +
         ",084.4,230394,003.1,W*6A" + brk + kTerminator + brk;
}

inline std::string Cp932(const FixedText& text) { return std::string(text.cp932); }

// A test whose runs have the test's own empty folder as working folder.
class InFolderTest : public testing::Test {
 protected:
  RunResult Run(const std::vector<std::string>& args, RunOptions options = {}) {
    options.working_dir = dir_.path();
    return RunTracksift(args, options);
  }
  TempDir dir_;
};

}  // namespace tracksift::e2e

#endif  // TRACKSIFT_TESTS_E2E_LOGS_AND_FOLDERS_H_
