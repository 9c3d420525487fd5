// A fixture for tests that run the built mirel-migrate as a user would: a
// private folder (the tool's working folder, with its own TMPDIR), the run's
// exit status and output, and copies of the example projects.
#pragma once

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/FilesTempDir.h"

namespace mirel::testing {

inline const std::string kCliTool = MIREL_BINARY_DIR "/bin/mirel-migrate";
inline const std::string kExamplesDir = std::string(MIREL_SOURCE_DIR) + "/examples";

/// What one command run left: its exit status (-1 when it did not exit) and
/// what it wrote to stdout and stderr.
struct TRun {
  int code = -1;
  std::string out, err;
};

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kCliTool))
      GTEST_SKIP() << kCliTool << " is not built: build the target mirel-migrate first";
    dir_.MakeFolder("run");
    dir_.MakeFolder("tmp");
  }

  /// Runs `mirel-migrate args` (shell words) in the test folder, without a
  /// terminal or input.
  TRun Run(const std::string& args) { return RunIn("", args); }
  /// Run, in the folder `folder` of the test folder (made when missing).
  TRun RunIn(const std::string& folder, const std::string& args) {
    if (!folder.empty()) dir_.MakeFolder(folder);
    return Shell("cd '" + dir_.Utf8(folder) + "' && TMPDIR='" + dir_.Utf8("tmp") + "' '" +
                 kCliTool + "' " + args);
  }
  /// Runs a shell command line without a terminal or input, and catches its
  /// exit status and output.
  TRun Shell(const std::string& command) {
    const std::string cmd = command + " >'" + dir_.Utf8("run/stdout") + "' 2>'" +
                            dir_.Utf8("run/stderr") + "' </dev/null";
    const int status = std::system(cmd.c_str());
    TRun r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = dir_.Read("run/stdout");
    r.err = dir_.Read("run/stderr");
    return r;
  }

  /// Copies examples/<example> into the folder `to` of the test folder.
  void Copy(const std::string& example, const std::string& to) {
    std::filesystem::copy(kExamplesDir + "/" + example, dir_.Utf8(to),
                          std::filesystem::copy_options::recursive);
  }

  TTempDir dir_;
};

}  // namespace mirel::testing
