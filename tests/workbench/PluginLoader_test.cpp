// Plugins loaded from folders: a working one adds its menu and wizard and is
// shut down in order; every kind of file that is not a working plugin is
// named in the Messages panel while the rest goes on.
#include "workbench/PluginLoader.h"

#include <dlfcn.h>

#include <gtest/gtest.h>
#include <QAction>
#include <QListWidget>
#include <QStatusBar>

#include "WorkbenchTestUtil.h"
#include "support/HostTestFiles.h"
#include "support/ScriptedDialogs.h"

namespace mirel::testing {
namespace {

const std::string kPlugins = MIREL_TEST_PLUGIN_DIR;

// What the good test plugin saw so far, in this process.
std::string PluginEvents() {
  void* handle = dlopen((kPlugins + "/libgood_wizard.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle == nullptr) return "(not loaded)";
  auto events = reinterpret_cast<const char* (*)()>(dlsym(handle, "mirel_test_plugin_events"));
  std::string r = events ? events() : "(no events)";
  dlclose(handle);
  return r;
}

TEST(PluginFolders, EnvironmentFoldersComeFirstThenTheInstalledFolder) {
  EXPECT_EQ(PluginFolders("/opt/mirel/bin", "/a::/b/c:"),
            (std::vector<std::string>{"/a", "/b/c", "/opt/mirel/lib/mirel/plugins"}));
  EXPECT_EQ(PluginFolders("/opt/mirel/bin", ""),
            (std::vector<std::string>{"/opt/mirel/lib/mirel/plugins"}));
}

TEST(PluginLoading, GoodPluginWorksAndEveryBadFileIsNamed) {
  TempProjectDir other;
  other.Write("x.so", "this is text, not a shared library\n");
  other.Write("libgood_wizard.so", "a second copy by name, skipped\n");
  const size_t seen = PluginEvents() == "(not loaded)" ? 0 : PluginEvents().size();
  ScriptedDialogs dialogs;
  {
    TWorkbenchWindow window(&dialogs);
    const auto reports = window.LoadPlugins({kPlugins, ToUtf8(other.Path()), "/no/such/folder"});
    std::string summary;
    for (const auto& r : reports)
      summary += r.File.substr(r.File.rfind('/') + 1) + (r.Loaded ? ":ok " : ":failed ");
    EXPECT_EQ(summary,
              "libgood_wizard.so:ok libno_entry.so:failed librefusing.so:failed "
              "libthrowing.so:failed x.so:failed ");
    EXPECT_EQ(PluginEvents().substr(seen), "init;");

    const std::string messages = MessagesText(window);
    EXPECT_NE(messages.find("Loaded plugin " + kPlugins + "/libgood_wizard.so"), std::string::npos);
    EXPECT_NE(messages.find("Plugin " + kPlugins +
                            "/libno_entry.so not loaded: not a wizard plugin: it has no entry "
                            "point INITWIZARD0001"),
              std::string::npos)
        << messages;
    EXPECT_NE(messages.find("librefusing.so not loaded: its entry point INITWIZARD0001 "
                            "answered false"),
              std::string::npos);
    EXPECT_NE(messages.find("libthrowing.so not loaded: its entry point INITWIZARD0001 failed: "
                            "the plugin's configuration is missing"),
              std::string::npos);
    EXPECT_NE(messages.find("Plugin " + ToUtf8(other.Path()) + "/x.so not loaded: "),
              std::string::npos);
    auto* list = window.findChild<QListWidget*>(QStringLiteral("messagesList"));
    EXPECT_EQ(window.statusBar()->currentMessage(), list->item(list->count() - 1)->text());

    // The plugin's menu, after Tools, and its item reaching the dialog seam.
    EXPECT_NE(MenuBarText(window).find(" Tools() Test Plugin(Say Hello) Help("), std::string::npos)
        << MenuBarText(window);
    QAction* hello = FindAction(window, QStringLiteral("TestPluginItem"));
    ASSERT_NE(hello, nullptr);
    hello->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Hello from the test plugin");
    EXPECT_EQ(window.Services().Wizards().size(), 1u);
  }
  // Closing the window terminates the plugin, then releases its wizard.
  EXPECT_EQ(PluginEvents().substr(seen), "init;click;terminate;destroyed;");
  EXPECT_TRUE(dialogs.urls.empty());
}

TEST(PluginLoading, LoaderOnItsOwnReportsAndTerminatesOnce) {
  const size_t seen = PluginEvents() == "(not loaded)" ? 0 : PluginEvents().size();
  ScriptedDialogs dialogs;
  TWorkbenchServices services(dialogs);
  {
    TPluginLoader loader;
    const TPluginReport report =
        loader.LoadFile(kPlugins + "/libgood_wizard.so", &services, services.RegisterProc());
    EXPECT_TRUE(report.Loaded) << report.Error;
    EXPECT_EQ(loader.Loaded(), std::vector<std::string>{kPlugins + "/libgood_wizard.so"});
    loader.Terminate();
    loader.Terminate();
  }
  services.ReleaseWizards();
  EXPECT_EQ(PluginEvents().substr(seen), "init;terminate;destroyed;");
  EXPECT_TRUE(dialogs.urls.empty());
  EXPECT_TRUE(services.Wizards().empty());
}

}  // namespace
}  // namespace mirel::testing
