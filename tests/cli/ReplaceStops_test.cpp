// mirel-migrate replace stopped by Ctrl-C or SIGTERM, and a second run while
// one is going: a real child process, paused at a named step by the test
// seam (MIREL_TEST_PAUSE_AT / MIREL_TEST_PAUSE_FD), so the signal lands at a
// known point without any timing.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/CliTest.h"
#include "support/FilesTempDir.h"

extern char** environ;

using mirel::testing::TRun;
using mirel::testing::TTempDir;
namespace stdfs = std::filesystem;

namespace {

const std::string& kTool = mirel::testing::kCliTool;
const std::string& kExamples = mirel::testing::kExamplesDir;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// One mirel-migrate process. With a pause step, Start returns once the
// child has reached it and waits there for a signal.
class TChild {
 public:
  TChild(const TTempDir& dir, std::string name) : dir_(dir), name_(std::move(name)) {}

  // Starts mirel-migrate with args; when pauseAt is not empty, returns once
  // the child says it has reached that step (false if it ended first).
  bool Start(const std::vector<std::string>& args, const std::string& pauseAt) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return false;
    std::vector<std::string> env = {"TMPDIR=" + dir_.Utf8("tmp"), "LC_ALL=C"};
    if (!pauseAt.empty()) {
      env.push_back("MIREL_TEST_PAUSE_AT=" + pauseAt);
      env.push_back("MIREL_TEST_PAUSE_FD=3");
    }
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> argStrings = {kTool};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argStrings) argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, Out().c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, Err().c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 3);
    // Only descriptor 3 may stay open on the pipe, so that its end shows.
    if (pipeFds[1] != 3) posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
    const int spawned =
        posix_spawn(&pid_, kTool.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) {
      ::close(pipeFds[0]);
      pid_ = -1;
      return false;
    }
    // The child writes the step's name when it gets there; the end of the
    // pipe (it closed or ended) comes either way, so this cannot hang on a
    // child that never reaches the step.
    std::string said;
    char buffer[64];
    for (ssize_t n; said.find('\n') == std::string::npos &&
                    (n = ::read(pipeFds[0], buffer, sizeof buffer)) != 0;) {
      if (n < 0) {
        if (errno == EINTR) continue;
        break;
      }
      said.append(buffer, static_cast<size_t>(n));
    }
    ::close(pipeFds[0]);
    return pauseAt.empty() || said == pauseAt + "\n";
  }

  void Signal(int signal) { ::kill(pid_, signal); }

  // Waits for the end; the exit status, or -1 when it did not exit.
  int Wait() {
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  ~TChild() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      Wait();
    }
  }

  std::string Out() const { return dir_.Utf8("run/" + name_ + ".out"); }
  std::string Err() const { return dir_.Utf8("run/" + name_ + ".err"); }

 private:
  const TTempDir& dir_;
  std::string name_;
  pid_t pid_ = -1;
};

class ReplaceStops : public mirel::testing::CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    if (IsSkipped()) return;
    stdfs::copy(kExamples + "/bde", dir_.Utf8("app"), stdfs::copy_options::recursive);
  }

  bool SameAsExample() {
    for (const auto& e : stdfs::directory_iterator(kExamples + "/bde"))
      if (ReadAll(e.path().string()) != dir_.Read("app/" + e.path().filename().string()))
        return false;
    return true;
  }
  // Files of the project folder whose name begins with ".~".
  std::vector<std::string> LeftBeside() {
    std::vector<std::string> left;
    for (const auto& e : stdfs::directory_iterator(dir_.Utf8("app")))
      if (e.path().filename().string().rfind(".~", 0) == 0) left.push_back(e.path().string());
    return left;
  }
  // The last log line that is not empty.
  std::string LastLogLine() {
    std::string log = dir_.Read("app/Wiz_Log.txt");
    while (!log.empty() && (log.back() == '\n' || log.back() == '\r')) log.pop_back();
    return log.substr(log.rfind('\n') + 1);
  }
};

}  // namespace

TEST_F(ReplaceStops, CtrlCBeforeTheFirstOriginalIsReplacedChangesNothing) {
  for (const char* step : {"converted", "backed-up", "staged"}) {
    SCOPED_TRACE(step);
    TChild run(dir_, step);
    ASSERT_TRUE(run.Start({"replace", "--project", dir_.Utf8("app/OrderDesk.dpr")}, step));
    run.Signal(SIGINT);
    EXPECT_EQ(130, run.Wait());
    const std::string err = ReadAll(run.Err());
    EXPECT_NE(std::string::npos, err.find("SIGINT")) << err;
    EXPECT_NE(std::string::npos, err.find("no original was changed")) << err;
    EXPECT_TRUE(SameAsExample());
    EXPECT_EQ(std::vector<std::string>{}, LeftBeside());
    EXPECT_TRUE(stdfs::is_empty(dir_.Utf8("tmp"))) << "the temporary folder is removed";
    EXPECT_NE(std::string::npos, dir_.Read("app/Wiz_Log.txt").find("Stopped on request"));
    EXPECT_EQ("Replace failed.", LastLogLine());
    stdfs::remove_all(dir_.Utf8("app/RBackup"));
  }
}

TEST_F(ReplaceStops, SigtermDuringTheReplacementFinishesItAndTheUndoFileRestores) {
  TChild run(dir_, "replacing");
  ASSERT_TRUE(run.Start({"replace", "--project", dir_.Utf8("app/OrderDesk.dpr")}, "replacing"));
  run.Signal(SIGTERM);
  EXPECT_EQ(143, run.Wait());
  const std::string err = ReadAll(run.Err());
  EXPECT_NE(std::string::npos, err.find("SIGTERM")) << err;
  EXPECT_NE(std::string::npos, err.find("7 file(s) changed.")) << err;
  EXPECT_EQ(std::vector<std::string>{}, LeftBeside());
  EXPECT_TRUE(stdfs::is_empty(dir_.Utf8("tmp")));
  for (const char* f : {"Main.pas", "DataMod.dfm", "Customers.pas"})
    EXPECT_NE(ReadAll(kExamples + "/bde/" + f), dir_.Read(std::string("app/") + f)) << f;
  EXPECT_NE(std::string::npos, dir_.Read("app/Wiz_Log.txt").find("Stop requested while originals"));
  EXPECT_EQ("Replace procedure was performed sucessfully.", LastLogLine());

  TChild restore(dir_, "restore");
  ASSERT_TRUE(restore.Start({"restore", dir_.Utf8("app/RBackup/RExpert.reu")}, ""));
  EXPECT_EQ(0, restore.Wait()) << ReadAll(restore.Err());
  EXPECT_TRUE(SameAsExample());
}

TEST_F(ReplaceStops, ASecondRunOnTheSameFolderRefusesAtOnceAndChangesNothing) {
  TChild first(dir_, "first");
  ASSERT_TRUE(first.Start({"replace", "--project", dir_.Utf8("app/OrderDesk.dpr")}, "staged"));
  const std::string log = dir_.Read("app/Wiz_Log.txt");

  TChild second(dir_, "second");
  ASSERT_TRUE(second.Start({"replace", "--folder", dir_.Utf8("app")}, ""));
  EXPECT_EQ(1, second.Wait());
  const std::string err = ReadAll(second.Err());
  EXPECT_NE(std::string::npos, err.find("Another run is using the folder \"" + dir_.Utf8("app")))
      << err;
  EXPECT_EQ(log, dir_.Read("app/Wiz_Log.txt")) << "the first run's log is left alone";
  EXPECT_FALSE(dir_.Exists("app/RBackup/2"));

  first.Signal(SIGINT);
  EXPECT_EQ(130, first.Wait());
  EXPECT_TRUE(SameAsExample());
}

TEST_F(ReplaceStops, AUnitNamedTwiceIsCountedOnce) {
  TChild run(dir_, "twice");
  ASSERT_TRUE(run.Start({"replace", "--project", dir_.Utf8("app/OrderDesk.dpr"), "--unit", "Main",
                         "--unit", "main.pas"},
                        ""));
  EXPECT_EQ(0, run.Wait()) << ReadAll(run.Err());
  EXPECT_NE(std::string::npos, ReadAll(run.Out()).find("\n2 file(s) changed.\n"))
      << ReadAll(run.Out());
}
