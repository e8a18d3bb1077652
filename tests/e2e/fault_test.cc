// Faults from outside the program: full disks, resource limits, standard
// output gone, files that cannot be used, an input cut short while it is
// read. Every case checks the exit status, the exact report, an empty
// standard error and the files left behind: the input never changes, and the
// output is complete and correct, or the old file, or absent, with no
// temporary file left in its folder.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/texts.h"
#include "tests/e2e/logs_and_folders.h"
#include "tests/e2e/run_program.h"

namespace tracksift::e2e {
namespace {

// count copies of text.
std::string Repeat(const std::string& text, size_t count) {
  std::string all;
  all.reserve(text.size() * count);
  for (size_t i = 0; i < count; ++i) all += text;
  return all;
}

// A log of about the given size whose blocks are all kept by a run without
// options, so that the output holds the same bytes; the last block's speed
// is no number when bad_end is set.
std::string KeptLog(size_t bytes, bool bad_end = false) {
  std::string log = Repeat(Block("A", "012.5"), bytes / Block("A", "012.5").size());
  if (bad_end) log += Block("A", "fast");
  return log;
}

std::string OpenError(const std::string& path) {
  return Cp932(kOpenErrorBefore) + path + Cp932(kOpenErrorAfter);
}
std::string CreateError(const std::string& path) {
  return Cp932(kCreateErrorBefore) + path + Cp932(kCreateErrorAfter);
}
std::string ConvertError(const std::string& text) {
  return Cp932(kConvertBefore) + text + Cp932(kConvertAfter);
}
std::string ListIndexError(int64_t index) {
  return Cp932(kListIndexBefore) + std::to_string(index) + Cp932(kListIndexAfter);
}

// Checks that a run ended with exactly the report of kind and message (which
// does not end in "."): line 1 names the kind, the program and a code
// location of eight uppercase hexadecimal digits; line 2 is the message and
// "."; then an empty line.
void ExpectReport(const RunResult& result, const std::string& kind, const std::string& message) {
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.err, "");
  const std::string head = kind + Cp932(kReportRaisedIn) + "tracksift" + Cp932(kReportAt);
  const std::string tail = Cp932(kReportOccurred) + "\r\n" + message + ".\r\n\r\n";
  ASSERT_EQ(result.out.size(), head.size() + 8 + tail.size()) << result.out;
  EXPECT_EQ(result.out.substr(0, head.size()), head);
  const std::string location = result.out.substr(head.size(), 8);
  EXPECT_EQ(location.find_first_not_of("0123456789ABCDEF"), std::string::npos) << location;
  EXPECT_EQ(result.out.substr(head.size() + 8), tail);
}

void ExpectSuccess(const RunResult& result) {
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.exit_status, 0) << result.out;
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "");
}

// Whether the file at path holds exactly bytes; quick for large files.
bool FileHolds(const std::string& path, const std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> chunk(1 << 20);
  size_t at = 0;
  while (in) {
    in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    const size_t got = static_cast<size_t>(in.gcount());
    if (got > bytes.size() - at || bytes.compare(at, got, chunk.data(), got) != 0) return false;
    at += got;
  }
  return in.eof() && at == bytes.size();
}

using Names = std::vector<std::string>;

// A temporary folder in memory (/dev/shm) where there is one, for large files.
std::unique_ptr<TempDir> MemoryTempDir() {
  return std::make_unique<TempDir>(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "");
}

bool UnderWrapper() { return getenv("TRACKSIFT_E2E_WRAPPER") != nullptr; }

using FaultTest = InFolderTest;

TEST_F(FaultTest, FullDisk) {
  const std::string log = Block("A", "1.0") + Block("V", "") + Block("A", "2.0");
  WriteFile(dir_ / "in.log", log);
  ExpectReport(Run({"in.log", "/dev/full"}), "EWriteError", Cp932(kWriteErrorMessage));

  // A failure of the walk comes before the output's.
  WriteFile(dir_ / "bad.log", log + Block("A", "fast"));
  ExpectReport(Run({"bad.log", "/dev/full"}), "EConvertError", ConvertError("fast"));

  // Nothing kept: nothing is written, so nothing fails.
  WriteFile(dir_ / "none.log", Block("V", "") + Block("V", "1.0"));
  ExpectSuccess(Run({"none.log", "/dev/full"}));

  EXPECT_EQ(ReadFile(dir_ / "in.log"), log);
  EXPECT_EQ(ListDir(dir_.path()), (Names{"bad.log", "in.log", "none.log"}));
}

TEST_F(FaultTest, FileSizeLimitSmallerThanTheOutput) {
  // 3 MiB of output against a limit that falls inside a block.
  const std::string log = KeptLog(3 << 20);
  RunOptions options;
  options.limits = {{RLIMIT_FSIZE, (rlim_t{1} << 20) + 12345}};
  // A new file, an old one, and the input itself.
  for (const std::string target : {"out.log", "old.log", "in.log"}) {
    SCOPED_TRACE(target);
    WriteFile(dir_ / "in.log", log);
    WriteFile(dir_ / "old.log", "old contents\r\n");
    ExpectReport(Run({"in.log", target}, options), "EWriteError", Cp932(kWriteErrorMessage));
    EXPECT_TRUE(FileHolds(dir_ / "in.log", log)) << "the input changed";
    EXPECT_EQ(ReadFile(dir_ / "old.log"), "old contents\r\n");
    EXPECT_EQ(ListDir(dir_.path()), (Names{"in.log", "old.log"}));
  }
}

TEST_F(FaultTest, AddressSpaceLimitSmallerThanTheInput) {
#if defined(TRACKSIFT_ADDRESS_SANITIZER)
  GTEST_SKIP() << "an address-space limit does not work under AddressSanitizer";
#elif defined(TRACKSIFT_LAUNCHER)
  GTEST_SKIP() << "an address-space limit does not work under an emulator";
#else
  // 128 MiB of log, every block kept, in a program limited to 48 MiB of
  // address space. Streamed to a file it may succeed; held for a device it
  // cannot. Either way the run ends in success with the whole output or in
  // the report of exhausted memory, and leaves no partial file.
  const std::unique_ptr<TempDir> dir = MemoryTempDir();
  const std::string log = KeptLog(size_t{128} << 20);
  WriteFile(*dir / "in.log", log);
  RunOptions options;
  options.working_dir = dir->path();
  options.limits = {{RLIMIT_AS, rlim_t{48} << 20}};
  for (const std::string target : {"out.log", "/dev/null"}) {
    SCOPED_TRACE(target);
    const RunResult result = RunTracksift({"in.log", target}, options);
    if (result.exit_status == 0) {
      ExpectSuccess(result);
      if (target == "out.log") {
        EXPECT_TRUE(FileHolds(*dir / "out.log", log)) << "the output differs from the log";
        std::filesystem::remove(*dir / "out.log");
      }
      RecordProperty(target, "success");
    } else {
      ExpectReport(result, "EOutOfMemory", Cp932(kOutOfMemoryMessage));
      RecordProperty(target, "EOutOfMemory");
    }
    EXPECT_EQ(ListDir(dir->path()), Names{"in.log"});
  }
  EXPECT_TRUE(FileHolds(*dir / "in.log", log)) << "the input changed";
#endif
}

TEST_F(FaultTest, StandardOutputGoneDuringARun) {
  // The report of a failure cannot be written, the files are as after any
  // failure; a run that succeeds never needs standard output at all.
  const std::string good = Block("A", "1.0") + Block("V", "");
  const std::string bad = good + Block("A", "fast");
  WriteFile(dir_ / "good.log", good);
  WriteFile(dir_ / "bad.log", bad);
  for (const StdoutMode mode : {StdoutMode::kClosed, StdoutMode::kBrokenPipe}) {
    SCOPED_TRACE(mode == StdoutMode::kClosed ? "closed" : "broken pipe");
    RunOptions options;
    options.stdout_mode = mode;
    WriteFile(dir_ / "out.log", "old contents");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"bad.log", "out.log"},
          std::vector<std::string>{"missing.log", "out.log"},
          std::vector<std::string>{"good.log", "no/such/folder/out.log"}}) {
      SCOPED_TRACE(args[0] + " " + args[1]);
      const RunResult failed = Run(args, options);
      EXPECT_EQ(failed.signal, 0);
      EXPECT_EQ(failed.exit_status, 1);
      EXPECT_EQ(failed.out, "");
      EXPECT_EQ(failed.err, "");
      EXPECT_EQ(ReadFile(dir_ / "out.log"), "old contents");
    }
    const RunResult done = Run({"good.log", "out.log"}, options);
    EXPECT_EQ(done.signal, 0);
    EXPECT_EQ(done.exit_status, 0);
    EXPECT_EQ(done.err, "");
    EXPECT_EQ(ReadFile(dir_ / "out.log"), Block("A", "1.0"));
    EXPECT_EQ(ReadFile(dir_ / "good.log"), good);
    EXPECT_EQ(ReadFile(dir_ / "bad.log"), bad);
    EXPECT_EQ(ListDir(dir_.path()), (Names{"bad.log", "good.log", "out.log"}));
  }
}

TEST_F(FaultTest, OutputNamedAsStandardOutputWhenThereIsNone) {
  // With standard output closed, the input file may be opened as descriptor
  // 1, and every name of standard output then leads to it. The input must
  // still never change: the run fails (there is nowhere to write) or writes
  // nowhere.
  const std::string log = Block("A", "1.0") + Block("V", "");
  RunOptions options;
  options.stdout_mode = StdoutMode::kClosed;
  for (const std::string target : {"/dev/stdout", "/dev/fd/1", "/proc/self/fd/1"}) {
    SCOPED_TRACE(target);
    WriteFile(dir_ / "in.log", log);
    const RunResult result = Run({"in.log", target}, options);
    EXPECT_EQ(result.signal, 0);
    EXPECT_TRUE(result.exit_status == 0 || result.exit_status == 1) << result.exit_status;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(ReadFile(dir_ / "in.log"), log);
    EXPECT_EQ(ListDir(dir_.path()), Names{"in.log"});
  }
}

TEST_F(FaultTest, OutputThatCannotBeCreated) {
  WriteFile(dir_ / "in.log", Block("A", "1.0"));
  ASSERT_EQ(mkdir((dir_ / "sub").c_str(), 0755), 0);
  ASSERT_EQ(symlink("loop", (dir_ / "loop").c_str()), 0);
  const Names before = ListDir(dir_.path());
  for (const std::string& target :
       {std::string("sub"), std::string("sub/"), dir_.path(), std::string(""),
        std::string("in.log/out.log"), std::string("loop")}) {
    SCOPED_TRACE(target);
    ExpectReport(Run({"in.log", target}), "EFCreateError", CreateError(target));
    EXPECT_EQ(ListDir(dir_.path()), before);
    EXPECT_TRUE(ListDir(dir_ / "sub").empty());
  }
  EXPECT_EQ(ReadFile(dir_ / "in.log"), Block("A", "1.0"));
}

TEST_F(FaultTest, TheWalksFailureComesBeforeTheOutputs) {
  // The output is made only from a whole walk: a log that fails is reported
  // as such, whatever is wrong with the output path.
  WriteFile(dir_ / "bad.log", Block("A", "1.0") + Block("A", "fast"));
  ExpectReport(Run({"bad.log", "no/such/folder/out.log"}), "EConvertError",
               ConvertError("fast"));
  // Six lines, the last block cut short.
  WriteFile(dir_ / "cut.log", Block("A", "1.0") + "$GPGGA\r\n$GPRMC,1,A\r\n$GPGSA\r\n");
  ExpectReport(Run({"cut.log", dir_.path()}), "EStringListError", ListIndexError(6));
  EXPECT_EQ(ListDir(dir_.path()), (Names{"bad.log", "cut.log"}));
}

TEST_F(FaultTest, OutputOnTheInputPathSurvivesALateFailure) {
  // Far more kept text than any buffer holds goes out before the last block
  // fails; the input, named directly or through a link, stays as it was.
  const std::string log = KeptLog(6 << 20, /*bad_end=*/true);
  WriteFile(dir_ / "in.log", log);
  ASSERT_EQ(symlink("in.log", (dir_ / "link.log").c_str()), 0);
  for (const std::string target : {"in.log", "link.log"}) {
    SCOPED_TRACE(target);
    ExpectReport(Run({"in.log", target}), "EConvertError", ConvertError("fast"));
    EXPECT_TRUE(FileHolds(dir_ / "in.log", log)) << "the input changed";
    EXPECT_EQ(ListDir(dir_.path()), (Names{"in.log", "link.log"}));
  }
  struct stat st;
  ASSERT_EQ(lstat((dir_ / "link.log").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST_F(FaultTest, InputThatCannotBeOpened) {
  // An old output file of that name is never touched.
  WriteFile(dir_ / "in.log", Block("A", "1.0"));
  WriteFile(dir_ / "out.log", "old contents");
  ASSERT_EQ(mkdir((dir_ / "sub").c_str(), 0755), 0);
  const Names before = ListDir(dir_.path());
  for (const std::string& input : {std::string("missing.log"), std::string("sub"),
                                  dir_.path(), std::string(""),
                                  std::string("in.log/x.log")}) {
    SCOPED_TRACE(input);
    ExpectReport(Run({input, "out.log"}), "EFOpenError", OpenError(input));
    EXPECT_EQ(ReadFile(dir_ / "out.log"), "old contents");
    EXPECT_EQ(ListDir(dir_.path()), before);
  }
}

TEST_F(FaultTest, InputShorterThanItsLength) {
  // A file whose stated length is more than can be read (sysfs states 4096
  // bytes for a few): a short read, which fails as a file that cannot be
  // read, never as a whole log.
  const std::string input = "/sys/devices/system/cpu/online";
  struct stat st;
  if (stat(input.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
      static_cast<size_t>(st.st_size) <= ReadFile(input).size()) {
    GTEST_SKIP() << "no file here states a length longer than its contents";
  }
  WriteFile(dir_ / "out.log", "old contents");
  ExpectReport(Run({input, "out.log"}), "EFOpenError", OpenError(input));
  EXPECT_EQ(ReadFile(dir_ / "out.log"), "old contents");
  EXPECT_EQ(ListDir(dir_.path()), Names{"out.log"});
}

TEST_F(FaultTest, InputThroughAPipe) {
  // More than any read takes at once, so the failures arise after the
  // program has read and written on for a while.
  WriteFile(dir_ / "out.log", "old contents");
  RunOptions options;
  options.feed_stdin = true;

  options.stdin_data = KeptLog(3 << 20, /*bad_end=*/true);
  ExpectReport(Run({"/dev/stdin", "out.log"}, options), "EConvertError", ConvertError("fast"));

  // Ends inside a block: the index is the number of lines read.
  const std::string whole = KeptLog(3 << 20);
  options.stdin_data = whole + "$GPGGA\r\n$GPRMC,1,A\r\n";
  ExpectReport(Run({"/dev/stdin", "out.log"}, options), "EStringListError",
               ListIndexError(static_cast<int64_t>(whole.size() / Block("A", "012.5").size() * 3 + 2)));
  EXPECT_EQ(ReadFile(dir_ / "out.log"), "old contents");
  EXPECT_EQ(ListDir(dir_.path()), Names{"out.log"});

  // A NUL ends the text; the program still reads the pipe to its end.
  options.stdin_data = whole + std::string(1, '\0') + std::string(1 << 20, 'x');
  ExpectSuccess(Run({"/dev/stdin", "out.log"}, options));
  EXPECT_TRUE(FileHolds(dir_ / "out.log", whole)) << "the output differs from the log";
  EXPECT_EQ(ListDir(dir_.path()), Names{"out.log"});
}

// Another process that cuts a file to half its length as soon as some other
// process has it open and has read past its start. Stop() ends it and tells
// whether it went to cut the file.
class FileCutter {
 public:
  explicit FileCutter(const std::string& path) {
    const std::string target = std::filesystem::canonical(path).string();
    const off_t half = static_cast<off_t>(std::filesystem::file_size(path) / 2 + 7);
    if (pipe(report_) != 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork");
    if (pid_ == 0) {
      // Only _exit leaves this branch: the child must never return into the
      // test that forked it.
      close(report_[0]);
      try {
        WatchAndCut(target, half, report_[1]);
        _exit(0);
      } catch (...) {
        _exit(1);
      }
    }
    close(report_[1]);
  }

  ~FileCutter() { Stop(); }

  bool Stop() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      pid_ = -1;
      char cut = 'n';
      cut_ = read(report_[0], &cut, 1) == 1 && cut == 'y';
      close(report_[0]);
    }
    return cut_;
  }

 private:
  // Waits for a process other than this one and its parent to hold target
  // open with its file position past the start, then tells report and cuts
  // target to length. Telling first means that a cut is never missed, even
  // if this process is ended right after making it.
  static void WatchAndCut(const std::string& target, off_t length, int report) {
    const std::string me = std::to_string(getpid());
    const std::string parent = std::to_string(getppid());
    for (;;) {
      std::error_code error;
      for (std::filesystem::directory_iterator process("/proc", error), end;
           !error && process != end; process.increment(error)) {
        const std::string pid = process->path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos || pid == me ||
            pid == parent) {
          continue;
        }
        std::error_code fd_error;
        for (std::filesystem::directory_iterator fd(process->path() / "fd", fd_error);
             !fd_error && fd != end; fd.increment(fd_error)) {
          std::error_code link_error;
          if (std::filesystem::read_symlink(fd->path(), link_error) != target) continue;
          std::ifstream info(process->path() / "fdinfo" / fd->path().filename());
          std::string key;
          long long pos = 0;
          if (!(info >> key >> pos) || pos <= 0) continue;
          if (write(report, "y", 1) != 1 || truncate(target.c_str(), length) != 0) _exit(1);
          return;
        }
      }
      usleep(100);
    }
  }

  pid_t pid_ = -1;
  int report_[2] = {-1, -1};
  bool cut_ = false;
};

TEST_F(FaultTest, InputCutShortWhileItIsRead) {
  // A large log, one block in a hundred kept, cut to half its length by
  // another process once the program has begun to read it. The cut lands
  // long before the program has read the whole, so it must fail with the
  // report for a file that cannot be read; should it nevertheless have read
  // everything first, it may succeed with the whole output. Anything else (a
  // signal, a partial output, another report) is a fault.
  const std::unique_ptr<TempDir> dir = MemoryTempDir();
  const std::string unit = Repeat(Block("V", ""), 99) + Block("A", "012.5");
  const size_t units = (UnderWrapper() ? size_t{40} : size_t{200}) * 1000 * 1000 / unit.size();
  {
    std::ofstream out(*dir / "in.log", std::ios::binary);
    for (size_t i = 0; i < units; ++i) out << unit;
  }
  RunOptions options;
  options.working_dir = dir->path();
  FileCutter cutter(*dir / "in.log");
  const RunResult result = RunTracksift({"in.log", "out.log"}, options);
  const bool cut = cutter.Stop();
  RecordProperty("cut", cut ? "yes" : "no");
  if (result.exit_status == 0) {
    ExpectSuccess(result);
    EXPECT_TRUE(FileHolds(*dir / "out.log", Repeat(Block("A", "012.5"), units)))
        << "the output differs from the kept blocks of the whole log";
    EXPECT_EQ(ListDir(dir->path()), (Names{"in.log", "out.log"}));
    RecordProperty("outcome", "success");
  } else {
    ExpectReport(result, "EFOpenError", OpenError("in.log"));
    EXPECT_TRUE(cut);
    EXPECT_EQ(ListDir(dir->path()), Names{"in.log"});
    RecordProperty("outcome", "EFOpenError");
  }
}

TEST_F(FaultTest, StoppedByASignalItLeavesNoTemporaryFile) {
  // The program reads a pipe that stays open, so it is still at work, its
  // temporary output file in place, when it is told to stop.
  TempDir dir;
  for (const int signal_number : {SIGINT, SIGTERM}) {
    int feed[2];
    ASSERT_EQ(pipe(feed), 0);
    const std::string out = dir / "out.log";
    const std::string program = ProgramPath();
    const pid_t pid = fork();
    if (pid == 0) {
      dup2(feed[0], 0);
      close(feed[0]);
      close(feed[1]);
      signal(SIGINT, SIG_DFL);
      signal(SIGTERM, SIG_DFL);
      execl(program.c_str(), "tracksift", "/dev/stdin", out.c_str(), nullptr);
      _exit(127);
    }
    close(feed[0]);
    const std::string blocks = Repeat(Block("A", "012.5"), 100);
    ASSERT_EQ(write(feed[1], blocks.data(), blocks.size()), static_cast<ssize_t>(blocks.size()));
    // Wait (up to 20 s) for the temporary file to appear.
    for (int i = 0; i < 2000 && ListDir(dir.path()).empty(); ++i) usleep(10000);
    ASSERT_EQ(ListDir(dir.path()).size(), 1u);
    kill(pid, signal_number);
    int status = 0;
    waitpid(pid, &status, 0);
    close(feed[1]);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << status;
    EXPECT_EQ(ListDir(dir.path()), Names{});
  }
}

}  // namespace
}  // namespace tracksift::e2e
