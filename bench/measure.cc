// measure: runs one command and reports its wall time and peak memory.
//
//   measure [-o REPORT] COMMAND [ARG...]
//
// The command inherits standard input, output and error, so redirections
// given to measure apply to it. When it has ended, measure writes one line
//
//   <wall seconds> <CPU seconds> <peak resident set in KiB> <exit status>
//
// to REPORT (created or replaced) or, without -o, to standard error. The
// wall time runs from just before the command is started to just after it
// has been reaped; the CPU time is the command's user plus system time, and
// the peak resident set the kernel's ru_maxrss of the command (both taking
// in any children it waited for). Seconds have six decimals. The exit status is the
// command's own, or 128 plus the signal that ended it, 127 when it could
// not be started; measure exits with that same status.

#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

int64_t NowNanoseconds() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

int Usage() {
  std::fputs("usage: measure [-o REPORT] COMMAND [ARG...]\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int first = 1;
  const char* report_path = nullptr;
  if (first < argc && std::strcmp(argv[first], "-o") == 0) {
    if (first + 1 >= argc) return Usage();
    report_path = argv[first + 1];
    first += 2;
  }
  if (first < argc && std::strcmp(argv[first], "--") == 0) ++first;
  if (first >= argc) return Usage();

  // Opened before the command starts, so a bad path costs no run.
  FILE* report = stderr;
  if (report_path != nullptr) {
    report = std::fopen(report_path, "w");
    if (report == nullptr) {
      std::fprintf(stderr, "measure: %s: %s\n", report_path, std::strerror(errno));
      return 2;
    }
  }

  const int64_t start = NowNanoseconds();
  const pid_t child = fork();
  if (child < 0) {
    std::perror("measure: fork");
    return 2;
  }
  if (child == 0) {
    if (report != stderr) fclose(report);
    execvp(argv[first], argv + first);
    std::fprintf(stderr, "measure: %s: %s\n", argv[first], std::strerror(errno));
    _exit(127);
  }

  int status = 0;
  rusage usage{};
  pid_t done;
  do {
    done = wait4(child, &status, 0, &usage);
  } while (done < 0 && errno == EINTR);
  const int64_t elapsed = NowNanoseconds() - start;
  if (done < 0) {
    std::perror("measure: wait4");
    return 2;
  }

  int exit_status = 0;
  if (WIFEXITED(status)) exit_status = WEXITSTATUS(status);
  else if (WIFSIGNALED(status)) exit_status = 128 + WTERMSIG(status);

  const int64_t cpu = (static_cast<int64_t>(usage.ru_utime.tv_sec) + usage.ru_stime.tv_sec) * 1000000 +
                      usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;  // microseconds
  std::fprintf(report, "%lld.%06lld %lld.%06lld %ld %d\n",
               static_cast<long long>(elapsed / 1000000000),
               static_cast<long long>(elapsed % 1000000000 / 1000),
               static_cast<long long>(cpu / 1000000), static_cast<long long>(cpu % 1000000),
               usage.ru_maxrss, exit_status);
  if (report != stderr && std::fclose(report) != 0) {
    std::perror("measure: report");
    return 2;
  }
  return exit_status;
}
