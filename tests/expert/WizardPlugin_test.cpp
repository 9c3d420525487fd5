// The built plugin libmirel-wizard.so in the workbench, used as a person
// uses it: open the project, choose Mirel > Migration Wizard, step through
// the dialog, answer the question, read the outcome; then restore.
#include <QAction>
#include <QFileInfo>
#include <cstdio>
#include <memory>

#include "ExpertFixture.h"
#include "wizard/Dialogs.h"
#include "wizard/SettingsStore.h"
#include "workbench/ChangesPanel.h"
#include "workbench/FileView.h"
#include "workbench/WorkbenchWindow.h"

namespace mirel::testing {
namespace {

const String kTitle = u"BDE/ADO Migration Wizard";

std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[512];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

TEST(WizardPluginFile, ExportsItsEntryPointAndNothingElse) {
  const std::string symbols = Output("nm -D --defined-only '" MIREL_WIZARD_PLUGIN "'");
  ASSERT_FALSE(symbols.empty()) << "nm could not read the plugin";
  std::string names;
  size_t start = 0;
  while (start < symbols.size()) {
    const size_t end = symbols.find('\n', start);
    const std::string line = symbols.substr(start, end - start);
    names += line.substr(line.rfind(' ') + 1) + ";";
    start = end == std::string::npos ? symbols.size() : end + 1;
  }
  EXPECT_EQ("INITWIZARD0001;", names);
}

class WizardPlugin : public ::testing::Test {
 protected:
  TempProjectDir dir;
  String folder = dir.CopyExample("bde", "OrderDesk");
  QString project = Q(folder + u"/OrderDesk.dpr");
  std::map<std::string, std::string> originals = Tree(folder);
  ScriptedDialogs dialogs;
  std::unique_ptr<TWorkbenchWindow> window = std::make_unique<TWorkbenchWindow>(&dialogs);

  void SetUp() override {
    OpenWizardSettings(u"&Mirel")->EraseSection(kTitle);
    const auto reports =
        window->LoadPlugins({QFileInfo(QStringLiteral(MIREL_WIZARD_PLUGIN)).path().toStdString()});
    ASSERT_TRUE(window->OpenProject(project));
  }
  void TearDown() override {
    window.reset();
    OpenWizardSettings(u"&Mirel")->EraseSection(kTitle);
    EXPECT_TRUE(dialogs.dialogs.empty()) << "a queued dialog was never shown";
  }
  QAction* WizardAction() {
    return window->findChild<QAction*>(QStringLiteral("RExpertItemBDE_ADOMirel"));
  }
  std::string LastMessage() {
    return dialogs.messages.empty() ? "" : dialogs.messages.back().text.toStdString();
  }
};

TEST_F(WizardPlugin, MigratesTheOpenProjectAndRestoresIt) {
  QAction* wizard = WizardAction();
  ASSERT_TRUE(wizard != nullptr) << "the plugin's menu item is in the menu bar";
  EXPECT_EQ(QStringLiteral("&Migration Wizard"), wizard->text());
  const QString mainUnit = Q(folder + u"/Main.pas");
  ASSERT_TRUE(window->OpenFile(mainUnit, false));
  ASSERT_TRUE(window->OpenFile(Q(folder + u"/Main.dfm"), true));

  std::string warn;
  dialogs.dialogs.push_back(Walk({"btNext", "btNext", "btNext", "btNext", "btFinish"}));
  dialogs.dialogs.push_back(Confirm(true, &warn));
  wizard->trigger();

  EXPECT_EQ("Current project will be saved. Continue?", warn);
  ASSERT_FALSE(dialogs.messages.empty());
  EXPECT_EQ("Replace procedure was performed sucessfully.", LastMessage());
  EXPECT_EQ(Q(kTitle), dialogs.messages.back().caption);
  for (const auto& [name, bytes] : Tree(FromUtf8(MIREL_TEST_DATA_DIR "/run/bde-expected")))
    EXPECT_EQ(bytes, ReadBytes(folder + u"/" + FromUtf8(name))) << name;
  EXPECT_TRUE(std::filesystem::exists(ToUtf8(folder + u"/Wiz_Log.txt")));
  const String undo = folder + u"/RBackup/RExpert.reu";
  EXPECT_TRUE(std::filesystem::exists(ToUtf8(undo)));

  // The unit's editor shows the new text; the form was hidden before the run.
  TFileView* view = window->ViewOf(mainUnit);
  ASSERT_TRUE(view != nullptr);
  EXPECT_TRUE(view->Text().contains(QStringLiteral("KyAccess"))) << "reloaded";
  EXPECT_EQ(nullptr, window->ViewOf(Q(folder + u"/Main.dfm")));
  EXPECT_EQ(Q(undo), window->Changes().UndoFile());
  EXPECT_FALSE(window->Changes().Entries().empty());

  // The settings went where the user's configuration lives.
  EXPECT_EQ(undo, OpenWizardSettings(u"&Mirel")->ReadString(kTitle, u"LastUndo", u""));

  // Restore: the dialog offers the undo file of the run.
  dialogs.dialogs.push_back(Walk({"rbModeRestore", "btNext", "btNext", "btFinish"}));
  dialogs.dialogs.push_back(Confirm(true, &warn));
  WizardAction()->trigger();
  EXPECT_EQ("Old files will be restored from backup. Continue?", warn);
  EXPECT_EQ("Files were succefully restored.", LastMessage());
  for (const auto& [name, bytes] : originals)
    EXPECT_TRUE(bytes == ReadBytes(folder + u"/" + FromUtf8(name))) << name << " not restored";
  EXPECT_EQ(folder + u"/OrderDesk.dpr", window->Services().ProjectFileName()) << "reopened";
  EXPECT_TRUE(window->Changes().Entries().empty()) << "a restore leaves no changes to show";
}

TEST_F(WizardPlugin, ACancelledUseLeavesEverythingAsItWas) {
  dialogs.dialogs.push_back(Walk({"btNext", "btCancel"}));
  WizardAction()->trigger();
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(originals == Tree(folder)) << "files changed";
  EXPECT_FALSE(OpenWizardSettings(u"&Mirel")->SectionExists(kTitle));
}

TEST_F(WizardPlugin, AFailingRunIsReportedAndNothingIsReloaded) {
  dir.Write("OrderDesk/RBackup", "a file where the backup folder should go");
  const QString mainUnit = Q(folder + u"/Main.pas");
  ASSERT_TRUE(window->OpenFile(mainUnit, false));
  const QString before = window->ViewOf(mainUnit)->Text();
  dialogs.dialogs.push_back(Walk({"btNext", "btNext", "btNext", "btNext", "btFinish"}));
  dialogs.dialogs.push_back(Confirm(true));
  WizardAction()->trigger();
  // The run could not create its backup folder: the host's handler shows why.
  ASSERT_FALSE(dialogs.messages.empty());
  EXPECT_NE(std::string::npos, LastMessage().find("Failed to create directory."));
  EXPECT_EQ(before, window->ViewOf(mainUnit)->Text());
  for (const auto& [name, bytes] : originals) {
    if (name != "RBackup") {
      EXPECT_TRUE(bytes == ReadBytes(folder + u"/" + FromUtf8(name))) << name << " changed";
    }
  }
}

}  // namespace
}  // namespace mirel::testing
