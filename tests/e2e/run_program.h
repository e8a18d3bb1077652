// Runs the built tracksift binary as a user would, for end-to-end tests.

#ifndef TRACKSIFT_TESTS_E2E_RUN_PROGRAM_H_
#define TRACKSIFT_TESTS_E2E_RUN_PROGRAM_H_

#include <sys/resource.h>

#include <string>
#include <utility>
#include <vector>

// Set when the tests are built with AddressSanitizer, under which limits of
// the address space do not work.
#if defined(__SANITIZE_ADDRESS__)
#define TRACKSIFT_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TRACKSIFT_ADDRESS_SANITIZER 1
#endif
#endif

namespace tracksift::e2e {

enum class StdoutMode {
  kPipe,        // captured through a pipe
  kClosed,      // file descriptor 1 closed
  kBrokenPipe,  // a pipe whose reading end is already closed
  kTerminal,    // a pseudo-terminal, captured; no output processing (CR LF
                // stay as written)
};

struct RunOptions {
  std::string working_dir;                                  // empty: unchanged
  std::vector<std::pair<std::string, std::string>> env;     // set in the child
  StdoutMode stdout_mode = StdoutMode::kPipe;
  std::string stdout_file;    // when set, stdout goes to this file instead
  std::string stderr_file;    // when set, stderr goes to this file instead
  std::string stdin_data;     // fed through a pipe on standard input
  bool feed_stdin = false;
  std::vector<std::pair<int, rlim_t>> limits;  // setrlimit in the child
};

struct RunResult {
  int exit_status = -1;  // -1 when ended by a signal
  int signal = 0;
  std::string out;
  std::string err;
};

// Runs the program with args (program name not included). When the
// environment variable TRACKSIFT_E2E_WRAPPER is set, its words (split at
// blanks) start the program, e.g. "valgrind -q --error-exitcode=99".
RunResult RunTracksift(const std::vector<std::string>& args,
                       const RunOptions& options = {});

// The same for any built program: program is the command that starts it
// (the binary, or a launcher script in a cross build), binary the binary
// itself, the name the program is given (argv[0]) when no wrapper starts it.
RunResult RunCommand(const std::string& program, const std::string& binary,
                     const std::vector<std::string>& args, const RunOptions& options = {});

// The command that starts the program under test: the built binary, or for
// a cross build the script that runs it under the emulator.
std::string ProgramPath();

// A fresh empty folder in parent (by default the system's temporary folder),
// removed with everything in it when the object goes.
class TempDir {
 public:
  explicit TempDir(const std::string& parent = "");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// Names of the entries of a folder, sorted, without "." and "..".
std::vector<std::string> ListDir(const std::string& path);

}  // namespace tracksift::e2e

#endif  // TRACKSIFT_TESTS_E2E_RUN_PROGRAM_H_
