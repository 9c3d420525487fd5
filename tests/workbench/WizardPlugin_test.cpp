// The wizard plugin of this build, loaded by the workbench as mirel-host
// loads it: its menu joins the bar, and the window closes cleanly after it.
#include <gtest/gtest.h>
#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "WorkbenchTestUtil.h"
#include "support/HostTestFiles.h"
#include "support/ScriptedDialogs.h"

namespace mirel::testing {
namespace {

#ifdef MIREL_WIZARD_PLUGIN_DIR
TEST(WizardPlugin, LoadsFromThePluginFolderAndAddsItsMenu) {
  TempProjectDir dir;
  dir.CopyExample("bde", ".");
  const QString project = QString::fromStdU16String(dir / "OrderDesk.dpr");
  ScriptedDialogs dialogs;
  {
    TWorkbenchWindow window(&dialogs);
    ASSERT_TRUE(window.OpenProject(project));
    const auto reports = window.LoadPlugins({MIREL_WIZARD_PLUGIN_DIR});
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].Loaded) << reports[0].Error;
    EXPECT_EQ(window.Services().Wizards().size(), 1u);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text.toStdString();
    auto* menu = window.menuBar()->findChild<QMenu*>(QStringLiteral("MirelMenu"));
    ASSERT_NE(menu, nullptr) << MenuBarText(window);
    EXPECT_FALSE(menu->actions().isEmpty()) << MenuBarText(window);
  }
  EXPECT_EQ(BorlandIDEServices, nullptr);
  EXPECT_TRUE(dialogs.urls.empty());
}
#endif

}  // namespace
}  // namespace mirel::testing
