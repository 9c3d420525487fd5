// The menu bar follows the host's menu model: items present at the start,
// items plugins insert later (anywhere), captions and names changed later.
#include "workbench/MenuMirror.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>

#include "WorkbenchTestUtil.h"
#include "support/ScriptedDialogs.h"

namespace mirel::testing {
namespace {

class MenuMirrorTest : public ::testing::Test {
 protected:
  // Nothing here opens a link; a real host would start a browser for one.
  void TearDown() override { EXPECT_TRUE(dialogs_.urls.empty()); }
  TMainMenu& Menu() { return *window_.Services().GetMainMenu(); }
  TMenuItem& Add(StringView ref, StringView name, StringView caption, bool after, bool child,
                 TNotifyEvent onClick = nullptr) {
    return window_.Services().AddActionMenu(
        String(ref), std::make_unique<TMenuItem>(String(name), String(caption), onClick), after,
        child);
  }

  ScriptedDialogs dialogs_;
  TWorkbenchWindow window_{&dialogs_};
};

TEST_F(MenuMirrorTest, BarShowsTheHostMenusAndTheWindowsOwnCommands) {
  EXPECT_EQ(MenuBarText(window_),
            "File(Open Project...,Close Project,-,Quit) Edit() Project() Tools() "
            "Help(About mirel-host)");
  for (const char* name : {"FileMenu", "EditMenu", "ProjectMenu", "ToolsMenu", "HelpMenu"})
    EXPECT_NE(window_.menuBar()->findChild<QMenu*>(QString::fromLatin1(name)), nullptr) << name;
  for (const char* name : {"actOpenProject", "actCloseProject", "actQuit", "actAbout"})
    EXPECT_NE(FindAction(window_, QString::fromLatin1(name)), nullptr) << name;
}

TEST_F(MenuMirrorTest, ItemsInsertedLaterAppearInPlaceAndRunTheirHandler) {
  int clicks = 0;
  auto menu = std::make_unique<TMenuItem>(u"PluginMenu", u"&Plugin");
  menu->Add(std::make_unique<TMenuItem>(u"PluginRun", u"&Run", [&](TMenuItem&) { ++clicks; }));
  window_.Services().AddActionMenu(u"ToolsMenu", std::move(menu), true, false);
  Add(u"PluginRun", u"PluginFirst", u"First", false, false);
  Add(u"ToolsMenu", u"ToolsOptions", u"&Options...", false, true);
  EXPECT_EQ(MenuBarText(window_),
            "File(Open Project...,Close Project,-,Quit) Edit() Project() Tools(Options...) "
            "Plugin(First,Run) Help(About mirel-host)");
  QAction* run = FindAction(window_, QStringLiteral("PluginRun"));
  ASSERT_NE(run, nullptr);
  run->trigger();
  run->trigger();
  EXPECT_EQ(clicks, 2);
}

TEST_F(MenuMirrorTest, CaptionsNamesAndHandlersChangedLaterAreFollowed) {
  std::string ran;
  TMenuItem& item =
      Add(u"ToolsMenu", u"ToolsItem", u"&Old", false, true, [&](TMenuItem&) { ran += "old;"; });
  item.SetCaption(u"&New caption");
  item.SetName(u"ToolsRenamed");
  item.SetOnClick([&](TMenuItem&) { ran += "new;"; });
  Menu().Items().Find(u"ToolsMenu")->SetCaption(u"&Extras");
  EXPECT_EQ(FindAction(window_, QStringLiteral("ToolsItem")), nullptr);
  QAction* action = FindAction(window_, QStringLiteral("ToolsRenamed"));
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(action->text(), "&New caption");
  EXPECT_NE(MenuBarText(window_).find(" Extras(New caption) "), std::string::npos);
  action->trigger();
  EXPECT_EQ(ran, "new;");
}

TEST_F(MenuMirrorTest, LeafThatGainsAChildBecomesASubmenu) {
  Add(u"ToolsMenu", u"ToolsMore", u"More", false, true);
  Add(u"ToolsMore", u"ToolsMoreA", u"A", true, true);
  Add(u"ToolsMoreA", u"ToolsMoreB", u"B", true, false);
  EXPECT_NE(MenuBarText(window_).find(" Tools(More(A,B)) "), std::string::npos)
      << MenuBarText(window_);
  EXPECT_NE(window_.menuBar()->findChild<QMenu*>(QStringLiteral("ToolsMore")), nullptr);
}

TEST_F(MenuMirrorTest, ItemTriggeringItsOwnMenuChangeDoesNotLoseTheBar) {
  // A handler that adds an item under itself turns its own action into a menu
  // while that action's trigger is running.
  TMenuItem& item = Add(u"ToolsMenu", u"ToolsGrow", u"Grow", false, true, [this](TMenuItem&) {
    Add(u"ToolsGrow", u"ToolsGrown", u"Grown", true, true);
  });
  (void)item;
  FindAction(window_, QStringLiteral("ToolsGrow"))->trigger();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_NE(MenuBarText(window_).find(" Tools(Grow(Grown)) "), std::string::npos)
      << MenuBarText(window_);
}

}  // namespace
}  // namespace mirel::testing
