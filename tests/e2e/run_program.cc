#include "tests/e2e/run_program.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace tracksift::e2e {
namespace {

// The words of TRACKSIFT_E2E_WRAPPER, split at blanks: a command that starts
// the program in place of starting it directly (e.g. valgrind and its
// options). Empty when the variable is not set.
std::vector<std::string> WrapperWords() {
  std::vector<std::string> words;
  const char* wrapper = getenv("TRACKSIFT_E2E_WRAPPER");
  std::istringstream in(wrapper != nullptr ? wrapper : "");
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

}  // namespace

RunResult RunTracksift(const std::vector<std::string>& args, const RunOptions& options) {
  return RunCommand(ProgramPath(), TRACKSIFT_BINARY, args, options);
}

RunResult RunCommand(const std::string& program, const std::string& binary,
                     const std::vector<std::string>& args, const RunOptions& options) {
  int out_pipe[2], err_pipe[2], in_pipe[2];
  if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0 || pipe(in_pipe) != 0) {
    throw std::runtime_error("pipe");
  }
  if (options.stdout_mode == StdoutMode::kBrokenPipe) close(out_pipe[0]);
  int terminal = -1;  // the pseudo-terminal's side that the program gets
  if (options.stdout_mode == StdoutMode::kTerminal) {
    // Read the terminal through its controlling side in place of the pipe.
    const int controller = posix_openpt(O_RDWR | O_NOCTTY);
    if (controller < 0 || grantpt(controller) != 0 || unlockpt(controller) != 0) {
      throw std::runtime_error("posix_openpt");
    }
    terminal = open(ptsname(controller), O_RDWR | O_NOCTTY);
    if (terminal < 0) throw std::runtime_error("open pseudo-terminal");
    struct termios modes;
    tcgetattr(terminal, &modes);
    modes.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tcsetattr(terminal, TCSANOW, &modes);
    close(out_pipe[0]);
    out_pipe[0] = controller;
  }
  // The command is made before fork, so that the child only has to exec it.
  std::vector<std::string> words = WrapperWords();
  const std::string exec_path = words.empty() ? program : words.front();
  words.push_back(words.empty() ? binary : program);
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork");
  if (pid == 0) {
    // Child: wire up the descriptors, then become the program.
    dup2(in_pipe[0], 0);
    if (!options.feed_stdin) close(0), open("/dev/null", O_RDONLY);
    if (!options.stdout_file.empty()) {
      int fd = open(options.stdout_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(fd, 1);
      close(fd);
    } else if (options.stdout_mode == StdoutMode::kClosed) {
      close(1);
    } else if (terminal >= 0) {
      dup2(terminal, 1);
      close(terminal);
    } else {
      dup2(out_pipe[1], 1);
    }
    if (!options.stderr_file.empty()) {
      int fd = open(options.stderr_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(fd, 2);
      close(fd);
    } else {
      dup2(err_pipe[1], 2);
    }
    for (int fd : {out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1], in_pipe[0],
                   in_pipe[1]}) {
      if (fd > 2) close(fd);
    }
    // The program must not depend on signal dispositions it inherits.
    signal(SIGPIPE, SIG_DFL);
    signal(SIGXFSZ, SIG_DFL);
    if (!options.working_dir.empty() && chdir(options.working_dir.c_str()) != 0) _exit(126);
    for (const auto& [name, value] : options.env) setenv(name.c_str(), value.c_str(), 1);
    for (const auto& [resource, value] : options.limits) {
      struct rlimit limit = {value, value};
      setrlimit(resource, &limit);
    }
    execvp(exec_path.c_str(), argv.data());
    _exit(127);
  }
  close(out_pipe[1]);
  close(err_pipe[1]);
  close(in_pipe[0]);
  // Once the program has gone, reading the terminal's other side ends (EIO).
  if (terminal >= 0) close(terminal);
  RunResult result;
  // Feed standard input and drain both outputs together, so that no pipe
  // fills up and stalls the child.
  size_t fed = 0;
  int in_fd = in_pipe[1];
  if (!options.feed_stdin || options.stdin_data.empty()) {
    close(in_fd);
    in_fd = -1;
  } else {
    fcntl(in_fd, F_SETFL, O_NONBLOCK);
  }
  int out_fd = options.stdout_mode == StdoutMode::kBrokenPipe ? -1 : out_pipe[0];
  int err_fd = err_pipe[0];
  signal(SIGPIPE, SIG_IGN);
  while (out_fd >= 0 || err_fd >= 0 || in_fd >= 0) {
    struct pollfd fds[3];
    int n = 0;
    if (out_fd >= 0) fds[n++] = {out_fd, POLLIN, 0};
    if (err_fd >= 0) fds[n++] = {err_fd, POLLIN, 0};
    if (in_fd >= 0) fds[n++] = {in_fd, POLLOUT, 0};
    if (poll(fds, static_cast<nfds_t>(n), -1) < 0) continue;
    for (int i = 0; i < n; ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].fd == in_fd) {
        const ssize_t w = write(in_fd, options.stdin_data.data() + fed,
                                options.stdin_data.size() - fed);
        if (w > 0) fed += static_cast<size_t>(w);
        if (w < 0 || fed == options.stdin_data.size()) {
          close(in_fd);
          in_fd = -1;
        }
        continue;
      }
      char buffer[65536];
      const ssize_t r = read(fds[i].fd, buffer, sizeof buffer);
      std::string& sink = fds[i].fd == out_fd ? result.out : result.err;
      if (r > 0) {
        sink.append(buffer, static_cast<size_t>(r));
      } else {
        close(fds[i].fd);
        (fds[i].fd == out_fd ? out_fd : err_fd) = -1;
      }
    }
  }
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status)) {
    result.exit_status = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.signal = WTERMSIG(status);
  }
  return result;
}

std::string ProgramPath() {
#ifdef TRACKSIFT_LAUNCHER
  return TRACKSIFT_LAUNCHER;
#else
  return TRACKSIFT_BINARY;
#endif
}

TempDir::TempDir(const std::string& parent) {
  const char* tmpdir = getenv("TMPDIR");
  std::string pattern = (!parent.empty() ? parent : tmpdir != nullptr ? tmpdir : "/tmp") +
                        std::string("/tracksift-test-XXXXXX");
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp");
  path_ = pattern;
}

TempDir::~TempDir() {
  const std::string command = "chmod -R u+rwx '" + path_ + "' 2>/dev/null; rm -rf '" + path_ + "'";
  if (system(command.c_str()) != 0) {
    // Leaving a temporary folder behind is no reason to fail a test.
  }
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

std::vector<std::string> ListDir(const std::string& path) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(path.c_str())) {
    while (struct dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace tracksift::e2e
