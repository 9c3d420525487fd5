// mirel-host --list-menu, as the package check and a user without a display
// run it: the plugins it tried and the commands of its menu bar.
#include <gtest/gtest.h>

#include "support/CliTest.h"

namespace {

using mirel::testing::TRun;

const std::string kHost = MIREL_BINARY_DIR "/bin/mirel-host";
const std::string kWizardPlugin = MIREL_BINARY_DIR "/lib/mirel/plugins/libmirel-wizard.so";

class HostListMenu : public mirel::testing::CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    if (!std::filesystem::exists(kHost) || !std::filesystem::exists(kWizardPlugin))
      GTEST_SKIP() << "mirel-host and its wizard plugin are not built";
  }

  // Runs mirel-host without a display and without a platform chosen:
  // --list-menu must pick one that needs none.
  TRun RunHost(const std::string& env, const std::string& args) {
    return Shell("cd '" + dir_.Utf8("") + "' && env -u DISPLAY -u WAYLAND_DISPLAY " +
                 "-u QT_QPA_PLATFORM -u MIREL_PLUGIN_PATH " + env + " '" + kHost + "' " + args);
  }
};

TEST_F(HostListMenu, ListsTheInstalledPluginAndTheWizardsCommandBesideTheWindowsOwn) {
  const TRun r = RunHost("", "--list-menu");
  EXPECT_EQ(0, r.code) << r.err;
  EXPECT_EQ(r.out, "Loaded plugin " + kWizardPlugin +
                       "\n"
                       "File > Open Project...\n"
                       "File > Close Project\n"
                       "File > Quit\n"
                       "Mirel > Migration Wizard\n"
                       "Help > About mirel-host\n");
}

TEST_F(HostListMenu, APluginThatDoesNotLoadIsNamedAndFailsTheListing) {
  dir_.MakeFolder("plugins");
  dir_.Write("plugins/broken.so", "not a shared library");
  const TRun r = RunHost("MIREL_PLUGIN_PATH='" + dir_.Utf8("plugins") + "'", "--list-menu");
  EXPECT_EQ(1, r.code) << r.err;
  EXPECT_NE(r.out.find("Plugin " + dir_.Utf8("plugins/broken.so") + " not loaded: "),
            std::string::npos)
      << r.out;
  // The others still load and show.
  EXPECT_NE(r.out.find("Loaded plugin " + kWizardPlugin + "\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\nMirel > Migration Wizard\n"), std::string::npos) << r.out;
}

TEST_F(HostListMenu, TakesNoProjectAndNoScreenshot) {
  Copy("bde", "app");
  for (const char* args : {"--list-menu app/OrderDesk.dpr", "--list-menu --screenshot x.png"}) {
    const TRun r = RunHost("", args);
    EXPECT_EQ(2, r.code) << args;
    EXPECT_NE(r.err.find("see mirel-host --help"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "") << args;
  }
}

}  // namespace
