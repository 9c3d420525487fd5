// The window over a copy of the example project: the tree, the file tabs,
// what a wizard does through the host interfaces, and bad projects.
#include "workbench/WorkbenchWindow.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <QAction>
#include <QLabel>
#include <QTabWidget>

#include "WorkbenchTestUtil.h"
#include "host/HostFiles.h"
#include "rtl/FormConvert.h"
#include "support/HostTestFiles.h"
#include "support/ScriptedDialogs.h"
#include "workbench/FileView.h"

namespace mirel::testing {
namespace {

using ::testing::HasSubstr;

class WorkbenchWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.CopyExample("bde", ".");
    project_ = QString::fromStdU16String(dir_ / "OrderDesk.dpr");
    window_.show();
  }
  // Nothing here opens a link; a real host would start a browser for one.
  void TearDown() override { EXPECT_TRUE(dialogs_.urls.empty()); }
  QString File(std::string_view name) const { return QString::fromStdU16String(dir_ / name); }
  // The editor index-th of the open unit module of file.
  std::shared_ptr<IOTAEditor> EditorOf(const QString& file, int index) {
    TWorkbenchServices& s = window_.Services();
    for (int i = 0; i < s.GetModuleCount(); ++i)
      if (s.GetModule(i)->GetFileName() == file.toStdU16String())
        return s.GetModule(i)->GetModuleFileEditor(index);
    return nullptr;
  }
  std::string ViewText(const QString& file) {
    TFileView* view = window_.ViewOf(file);
    return view ? view->Text().toStdString() : "(no tab)";
  }

  TempProjectDir dir_;
  QString project_;
  ScriptedDialogs dialogs_;
  TWorkbenchWindow window_{&dialogs_};
};

TEST_F(WorkbenchWindowTest, OpenedProjectListsItsModulesWithTheirForms) {
  ASSERT_TRUE(window_.OpenProject(project_));
  EXPECT_EQ(TreeText(window_),
            "OrderDesk.dpr[Main.pas[Main.dfm] DataMod.pas[DataMod.dfm] "
            "Customers.pas[Customers.dfm] Reports.pas Utils.pas]");
  EXPECT_EQ(window_.windowTitle().toStdString(), "OrderDesk.dpr - mirel-host");
  EXPECT_TRUE(dialogs_.messages.empty());
}

TEST_F(WorkbenchWindowTest, ModuleMissingOnDiskIsListedAsMissing) {
  dir_.Remove("Utils.pas");
  ASSERT_TRUE(window_.OpenProject(project_));
  EXPECT_NE(TreeText(window_).find("Utils.pas (missing)]"), std::string::npos) << TreeText(window_);
  DoubleClickTreeItem(window_, File("Utils.pas"));
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_THAT(dialogs_.messages[0].text.toStdString(), HasSubstr("Utils.pas"));
  EXPECT_EQ(TabsText(window_), "");
}

TEST_F(WorkbenchWindowTest, DoubleClickOpensUnitsAsCodeAndFormsAsText) {
  ASSERT_TRUE(window_.OpenProject(project_));
  DoubleClickTreeItem(window_, File("Main.pas"));
  DoubleClickTreeItem(window_, File("Main.dfm"));
  EXPECT_EQ(TabsText(window_), "Main.pas [Main.dfm]");
  EXPECT_EQ(window_.ViewOf(File("Main.pas"))->objectName(), "codeView");
  EXPECT_EQ(ViewText(File("Main.pas")).rfind("unit Main;", 0), 0u);
  EXPECT_EQ(window_.ViewOf(File("Main.dfm"))->objectName(), "formView");
  EXPECT_EQ(ViewText(File("Main.dfm")).rfind("object MainForm: TMainForm", 0), 0u);
  // Opening a file again brings its tab forward instead of a second tab.
  DoubleClickTreeItem(window_, File("Main.pas"));
  EXPECT_EQ(TabsText(window_), "[Main.pas] Main.dfm");
}

TEST_F(WorkbenchWindowTest, BinaryFormIsShownAsFormTextUnderABanner) {
  // DataMod.dfm made binary by our own converter, with the IDE's header.
  const std::string text = diskhost::ReadFileBytes(dir_ / "DataMod.dfm");
  TBinaryFormKind kind;
  kind.HasHeader = true;
  kind.Header.Name = "TORDERDATA";
  dir_.Write("DataMod.dfm", TextToBinaryForm(FromUtf8(text), kind));
  ASSERT_TRUE(window_.OpenProject(project_));
  DoubleClickTreeItem(window_, File("DataMod.dfm"));
  EXPECT_EQ(TabsText(window_), "[DataMod.dfm [binary]]");
  TFileView* view = window_.ViewOf(File("DataMod.dfm"));
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(view->findChild<QLabel*>(QStringLiteral("binaryBanner"))->isVisible());
  EXPECT_NE(ViewText(File("DataMod.dfm")).find("\n  object dbOrderDesk: TDatabase\n"),
            std::string::npos);
  // A text form has no banner.
  DoubleClickTreeItem(window_, File("Main.dfm"));
  EXPECT_FALSE(window_.ViewOf(File("Main.dfm"))
                   ->findChild<QLabel*>(QStringLiteral("binaryBanner"))
                   ->isVisible());
}

TEST_F(WorkbenchWindowTest, DamagedBinaryFormIsReportedNotShown) {
  dir_.Write("Main.dfm", std::string("TPF0\x09TMainForm\x08MainForm\x04Left", 28));
  ASSERT_TRUE(window_.OpenProject(project_));
  EXPECT_FALSE(window_.OpenFile(File("Main.dfm"), true));
  EXPECT_EQ(TabsText(window_), "");
  EXPECT_NE(MessagesText(window_).find("Cannot show " + File("Main.dfm").toStdString()),
            std::string::npos)
      << MessagesText(window_);
}

TEST_F(WorkbenchWindowTest, ShowOfTheCodeEditorHidesTheUnitsFormTab) {
  ASSERT_TRUE(window_.OpenProject(project_));
  window_.OpenFile(File("Main.pas"), false);
  window_.OpenFile(File("DataMod.dfm"), true);
  EditorOf(File("Main.pas"), 1)->Show();  // the form designer of Main
  EXPECT_EQ(TabsText(window_), "Main.pas DataMod.dfm [Main.dfm]");
  EditorOf(File("Main.pas"), 0)->Show();
  EXPECT_EQ(TabsText(window_), "[Main.pas] DataMod.dfm");
  // The code editor of a unit without a tab gets one.
  EditorOf(File("DataMod.pas"), 0)->Show();
  EXPECT_EQ(TabsText(window_), "Main.pas [DataMod.pas]");
}

TEST_F(WorkbenchWindowTest, ReloadFileRefreshesTheTabsOfTheUnitAndItsForm) {
  ASSERT_TRUE(window_.OpenProject(project_));
  window_.OpenFile(File("Main.pas"), false);
  window_.OpenFile(File("Main.dfm"), true);
  dir_.Write("Main.pas", "unit Main; { edited }\r\n");
  dir_.Write("Main.dfm", "object MainForm: TMainForm\r\nend\r\n");
  EXPECT_EQ(ViewText(File("Main.pas")).rfind("unit Main;\n", 0), 0u);  // not yet
  ASSERT_TRUE(window_.Services().ReloadFile(File("Main.pas").toStdU16String()));
  EXPECT_EQ(ViewText(File("Main.pas")), "unit Main; { edited }\n");
  EXPECT_EQ(ViewText(File("Main.dfm")), "object MainForm: TMainForm\nend\n");
}

TEST_F(WorkbenchWindowTest, ProjectThatCannotBeOpenedIsNamedWithTheReason) {
  ASSERT_TRUE(window_.OpenProject(project_));
  const QString missing = File("Nowhere.dpr");
  EXPECT_FALSE(window_.OpenProject(missing));
  dir_.Write("Broken.dproj", "<Project><PropertyGroup>\n<MainSource>Broken.dpr</Main");
  EXPECT_FALSE(window_.OpenProject(File("Broken.dproj")));
  ASSERT_EQ(dialogs_.messages.size(), 2u);
  EXPECT_EQ(dialogs_.messages[0].icon, QMessageBox::Warning);
  EXPECT_THAT(dialogs_.messages[0].text.toStdString(), HasSubstr(missing.toStdString()));
  EXPECT_THAT(dialogs_.messages[0].text.toStdString(), HasSubstr("No such file"))
      << dialogs_.messages[0].text.toStdString();
  // The reason of a malformed file says where.
  EXPECT_THAT(dialogs_.messages[1].text.toStdString(), HasSubstr("Broken.dproj:2"))
      << dialogs_.messages[1].text.toStdString();
  // The open project stayed, and the window still works.
  EXPECT_EQ(TreeText(window_).rfind("OrderDesk.dpr[", 0), 0u);
  EXPECT_TRUE(window_.OpenFile(File("Reports.pas"), false));
}

TEST_F(WorkbenchWindowTest, FileMenuOpensAndClosesProjectsThroughThePicker) {
  dialogs_.openFiles.push_back(project_);
  FindAction(window_, QStringLiteral("actOpenProject"))->trigger();
  ASSERT_EQ(dialogs_.pickerFolders.size(), 1u);
  ASSERT_EQ(dialogs_.pickerFilters.size(), 1u);  // a file picker, not a folder picker
  EXPECT_THAT(dialogs_.pickerFilters[0].toStdString(), HasSubstr("*.dpr *.dproj"));
  EXPECT_EQ(TreeText(window_).rfind("OrderDesk.dpr[", 0), 0u);
  window_.OpenFile(File("Main.pas"), false);

  // A cancelled picker changes nothing.
  dialogs_.openFiles.push_back(QString());
  FindAction(window_, QStringLiteral("actOpenProject"))->trigger();
  EXPECT_EQ(dialogs_.pickerFolders.back().toStdString(), ToUtf8(dir_.Path()));
  EXPECT_EQ(TabsText(window_), "[Main.pas]");

  FindAction(window_, QStringLiteral("actCloseProject"))->trigger();
  EXPECT_EQ(TreeText(window_), "");
  EXPECT_EQ(TabsText(window_), "");
  EXPECT_EQ(window_.Services().GetModuleCount(), 0);
}

TEST_F(WorkbenchWindowTest, ProjectClosedAndReopenedByAWizardGetsItsTabsBack) {
  ASSERT_TRUE(window_.OpenProject(project_));
  window_.OpenFile(File("Main.pas"), false);
  window_.OpenFile(File("Reports.pas"), false);
  // What a restore does through the host interfaces.
  TWorkbenchServices& s = window_.Services();
  s.AddActionMenu(u"ToolsMenu",
                  std::make_unique<TMenuItem>(u"ReopenItem", u"Reopen",
                                              [&](TMenuItem&) {
                                                s.GetModule(0)->Close();
                                                EXPECT_EQ(TreeText(window_), "");
                                                EXPECT_EQ(TabsText(window_), "");
                                                dir_.Write("Reports.pas", "unit Reports;\r\n");
                                                s.OpenProject(project_.toStdU16String(), true);
                                              }),
                  false, true);
  FindAction(window_, QStringLiteral("ReopenItem"))->trigger();
  EXPECT_EQ(TreeText(window_).rfind("OrderDesk.dpr[", 0), 0u);
  EXPECT_EQ(TabsText(window_), "Main.pas [Reports.pas]");
  EXPECT_EQ(ViewText(File("Reports.pas")), "unit Reports;\n");
}

TEST_F(WorkbenchWindowTest, ExceptionFromAMenuHandlerIsReportedAndTheWindowGoesOn) {
  ASSERT_TRUE(window_.OpenProject(project_));
  window_.Services().AddActionMenu(
      u"ToolsMenu",
      std::make_unique<TMenuItem>(u"FailingItem", u"&Fail",
                                  [](TMenuItem&) { throw Exception(u"disk on fire"); }),
      false, true);
  FindAction(window_, QStringLiteral("FailingItem"))->trigger();
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(dialogs_.messages[0].text, "disk on fire");
  EXPECT_EQ(dialogs_.messages[0].caption, "Fail");
  EXPECT_NE(MessagesText(window_).find("Fail failed: disk on fire"), std::string::npos);
  EXPECT_TRUE(window_.OpenFile(File("Main.pas"), false));
}

TEST_F(WorkbenchWindowTest, ServicesOfferTheDialogSeamToPlugins) {
  ASSERT_EQ(BorlandIDEServices, static_cast<IBorlandIDEServices*>(&window_.Services()));
  auto* seam = Supports<IDialogServices>(BorlandIDEServices);
  ASSERT_NE(seam, nullptr);
  seam->MessageBox(nullptr, QStringLiteral("hi"), QStringLiteral("Plugin"), QMessageBox::Warning);
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(dialogs_.messages[0].caption, "Plugin");
  EXPECT_NE(Supports<INTAServices>(BorlandIDEServices), nullptr);
  EXPECT_NE(Supports<IOTAActionServices>(BorlandIDEServices), nullptr);
}

}  // namespace
}  // namespace mirel::testing
