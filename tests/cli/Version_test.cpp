// Both programs say which version they are, from the one version the build
// defines.
#include <gtest/gtest.h>

#include "support/CliTest.h"

namespace {

using mirel::testing::TRun;

class Version : public mirel::testing::CliTest {};

TEST_F(Version, TheCommandLineToolPrintsItsVersion) {
  const TRun r = Run("--version");
  EXPECT_EQ(0, r.code) << r.err;
  EXPECT_EQ(std::string("mirel-migrate ") + MIREL_VERSION + "\n", r.out);
}

TEST_F(Version, TheWorkbenchPrintsItsVersionWithoutADisplay) {
  const std::string host = MIREL_BINARY_DIR "/bin/mirel-host";
  if (!std::filesystem::exists(host)) GTEST_SKIP() << "mirel-host is not built";
  const std::string out = dir_.Utf8("run/host");
  const int status = std::system(
      ("env -u DISPLAY -u QT_QPA_PLATFORM '" + host + "' --version >'" + out + "'").c_str());
  EXPECT_EQ(0, WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  EXPECT_EQ(std::string("mirel-host ") + MIREL_VERSION + "\n", dir_.Read("run/host"));
}

}  // namespace
