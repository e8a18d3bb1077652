#include "tracklog/line_file.h"

#include <dirent.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/failure.h"

namespace tracksift {
namespace {

class LineFileTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = "/tmp/tracksift-linefile-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    const std::string command = "rm -rf '" + dir_ + "'";
    ASSERT_EQ(system(command.c_str()), 0);
  }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  static void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    DIR* d = opendir(dir_.c_str());
    while (dirent* e = readdir(d)) {
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") {
        names.push_back(e->d_name);
      }
    }
    closedir(d);
    std::sort(names.begin(), names.end());
    return names;
  }
  static LineList TwoLines() {
    LineList list;
    list.Append("a");
    list.Append("b");
    return list;
  }

  std::string dir_;
};

TEST_F(LineFileTest, LoadsAndSavesWithCrLfAfterEveryLine) {
  Write(Path("in"), "a\nb");
  LineList list;
  list.Append("old");
  LoadLines(list, Path("in"));
  ASSERT_EQ(list.Count(), 2);  // replaced, not added to
  SaveLines(list, Path("out"));
  EXPECT_EQ(Read(Path("out")), "a\r\nb\r\n");
}

TEST_F(LineFileTest, EmptyFileAndEmptyList) {
  Write(Path("empty"), "");
  Write(Path("out"), "a longer old file");
  LineList list;
  LoadLines(list, Path("empty"));
  EXPECT_EQ(list.Count(), 0);
  SaveLines(list, Path("out"));
  EXPECT_EQ(Read(Path("out")), "");
}

TEST_F(LineFileTest, LoadFailuresNameThePathAndKeepTheList) {
  mkdir(Path("folder").c_str(), 0755);
  for (const std::string& path : {Path("missing"), Path("folder"), std::string()}) {
    LineList list;
    list.Append("kept");
    try {
      LoadLines(list, path);
      FAIL() << "loaded " << path;
    } catch (const EFOpenError& e) {
      EXPECT_EQ(e.Message(Encoding::kUtf8), "ファイル " + path + " は開けません");
    }
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.LineAt(0), "kept");
  }
}

TEST_F(LineFileTest, ReadsAPipeToItsEnd) {
  ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
  const pid_t writer = fork();
  if (writer == 0) {
    {
      std::ofstream fifo(Path("fifo"), std::ios::binary);
      for (int i = 0; i < 20000; ++i) fifo << "line " << i << "\n";
    }
    _exit(0);
  }
  LineList list;
  LoadLines(list, Path("fifo"));
  waitpid(writer, nullptr, 0);
  ASSERT_EQ(list.Count(), 20000);
  EXPECT_EQ(list.LineAt(19999), "line 19999");
}

TEST_F(LineFileTest, SaveFailsToCreateAndChangesNothing) {
  mkdir(Path("folder").c_str(), 0755);
  for (const std::string& path :
       {Path("folder"), Path("no-such-folder/out"), std::string()}) {
    try {
      SaveLines(TwoLines(), path);
      FAIL() << "saved " << path;
    } catch (const EFCreateError& e) {
      EXPECT_EQ(e.Message(Encoding::kUtf8), "ファイル " + path + " を作成できません");
    }
  }
  EXPECT_EQ(Entries(), std::vector<std::string>{"folder"});
}

TEST_F(LineFileTest, SaveReplacesALongerFileWhole) {
  Write(Path("out"), std::string(1000, 'x'));
  SaveLines(TwoLines(), Path("out"));
  EXPECT_EQ(Read(Path("out")), "a\r\nb\r\n");
  EXPECT_EQ(Entries(), std::vector<std::string>{"out"});
}

TEST_F(LineFileTest, LoadAndSaveToTheSamePath) {
  Write(Path("log"), "x\ny\n");
  LineList list;
  LoadLines(list, Path("log"));
  SaveLines(list, Path("log"));
  EXPECT_EQ(Read(Path("log")), "x\r\ny\r\n");
}

TEST_F(LineFileTest, AReplacedFileKeepsItsModeAndALinkStaysALink) {
  Write(Path("target"), "old");
  chmod(Path("target").c_str(), 0640);
  ASSERT_EQ(symlink("target", Path("link").c_str()), 0);
  SaveLines(TwoLines(), Path("link"));
  struct stat st;
  ASSERT_EQ(lstat(Path("link").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(stat(Path("target").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(Read(Path("target")), "a\r\nb\r\n");
}

TEST_F(LineFileTest, ANewFileGetsTheUsualMode) {
  const mode_t old_mask = umask(022);
  SaveLines(TwoLines(), Path("new"));
  umask(old_mask);
  struct stat st;
  ASSERT_EQ(stat(Path("new").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0644u);
}

TEST_F(LineFileTest, AFullDeviceFailsTheWrite) {
  EXPECT_THROW(SaveLines(TwoLines(), "/dev/full"), EWriteError);
  SaveLines(TwoLines(), "/dev/null");  // a device is written directly
}

TEST_F(LineFileTest, AFileSizeLimitLeavesTheOldTargetAndNoStrayFile) {
  Write(Path("out"), "old contents");
  LineList big;
  for (int i = 0; i < 1000; ++i) big.Append(std::string(100, 'x'));
  // In a child, so the limit and the ignored signal stay there.
  const pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = {4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    try {
      SaveLines(big, Path("out"));
    } catch (const EWriteError&) {
      _exit(0);
    } catch (...) {
    }
    _exit(1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(Read(Path("out")), "old contents");
  EXPECT_EQ(Entries(), std::vector<std::string>{"out"});
}

TEST_F(LineFileTest, AFileThatMayNotBeWrittenIsNotReplaced) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write any file";
  Write(Path("out"), "old");
  chmod(Path("out").c_str(), 0444);
  EXPECT_THROW(SaveLines(TwoLines(), Path("out")), EFCreateError);
  EXPECT_EQ(Read(Path("out")), "old");
}

}  // namespace
}  // namespace tracksift
