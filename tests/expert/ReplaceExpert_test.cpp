// One use of the wizard, from the menu item to the message that ends it,
// over a copy of the example project.
#include "wizard/ReplaceExpert.h"

#include <QApplication>

#include "ExpertFixture.h"
#include "host/DiskProjectHost.h"
#include "ide/IDEUtils.h"
#include "replace/KyReplacer.h"
#include "support/FaultyFileSystem.h"
#include "wizard/Dialogs.h"
#include "wizard/SettingsStore.h"

namespace mirel::testing {
namespace {

const String kTitle = u"BDE/ADO Migration Wizard";

class Expert : public ::testing::Test {
 protected:
  TempProjectDir dir;
  String folder = dir.CopyExample("bde", "OrderDesk");
  String project = folder + u"/OrderDesk.dpr";
  std::map<std::string, std::string> originals = Tree(folder);
  TDiskProjectHost host;
  ScriptedDialogs dialogs;
  TProfilesScope profiles;
  std::shared_ptr<TCompReplaceExpert> expert;

  void SetUp() override {
    host.Open(project);
    host.Install();
    SetDialogServices(&dialogs);
    OpenWizardSettings(u"&Mirel")->EraseSection(kTitle);
    TReplaceOptions& o = SharedOptions();
    o.Dest = 0;
    o.Directory.clear();
    o.IncludeSubDirs = false;
    o.MakeBackup = true;
    o.BackupDir.clear();
    o.WriteLog = true;
    o.ViewLog = false;
    o.UnitNames.clear();
    expert = TCompReplaceExpert::Create(
        [](QWidget* owner) -> std::unique_ptr<TWizardForm> {
          return std::make_unique<TKyWizardForm>(owner);
        },
        u"&Mirel", Menu, BdeReplacer());
    expert->AddReplacer(AdoReplacer());
  }
  void TearDown() override {
    BdeReplacer().SetFileSystem(TFileSystem::Real());
    OpenWizardSettings(u"&Mirel")->EraseSection(kTitle);
    SetDialogServices(nullptr);
    EXPECT_TRUE(dialogs.dialogs.empty()) << "a queued dialog was never shown";
  }

  void ClickMenu() {
    TMenuItem* item = host.GetMainMenu()->Items().Find(u"RExpertItemBDE_ADOMirel");
    ASSERT_TRUE(item != nullptr);
    item->Click();
  }
  String Stored(const char16_t* name) {
    return OpenWizardSettings(u"&Mirel")->ReadString(kTitle, name, u"<missing>");
  }
  bool SettingsSaved() { return OpenWizardSettings(u"&Mirel")->ValueExists(kTitle, u"Dest"); }
  std::string LastMessage() {
    return dialogs.messages.empty() ? "" : dialogs.messages.back().text.toStdString();
  }
  void ExpectConverted() {
    for (const auto& [name, bytes] : Tree(FromUtf8(MIREL_TEST_DATA_DIR "/run/bde-expected")))
      EXPECT_TRUE(bytes == ReadBytes(folder + u"/" + FromUtf8(name))) << name << " differs";
  }
  void ExpectOriginals() {
    for (const auto& [name, bytes] : originals)
      EXPECT_TRUE(bytes == ReadBytes(folder + u"/" + FromUtf8(name))) << name << " changed";
  }
  static ScriptedDialogs::DialogScript ProjectReplace() {
    return Walk({"btNext", "btNext", "btNext", "btNext", "btFinish"});
  }
};

TEST_F(Expert, NamesAndMenuItemDeriveFromTheOptionsAndTheCaption) {
  EXPECT_EQ(u"Orvane.BDE/ADOMigrationWizard.Mirel", expert->GetIDString());
  EXPECT_EQ(kTitle, expert->GetName());
  EXPECT_EQ(0u, expert->GetState());
  EXPECT_EQ(u"RExpertItemBDE_ADOMirel", expert->MenuItemName());
  const TMenuItem& top = host.GetMainMenu()->Items();
  ASSERT_GE(top.Count(), 2);
  const TMenuItem& product = top.Items(top.Count() - 2);
  EXPECT_EQ(u"&Mirel", product.Caption()) << "just before the last top-level menu";
  ASSERT_EQ(1, product.Count());
  EXPECT_EQ(u"&Migration Wizard", product.Items(0).Caption());
  EXPECT_EQ(&BdeReplacer(), &expert->FirstReplacer());
  EXPECT_EQ(&AdoReplacer(), &expert->GetReplacer(1));
  EXPECT_THROW(expert->GetReplacer(2), EAssertionFailed);
}

TEST_F(Expert, AProjectReplaceAsksSavesHidesFormsRunsAndReloadsTheUnits) {
  std::string warn;
  dialogs.dialogs.push_back(ProjectReplace());
  dialogs.dialogs.push_back(Confirm(true, &warn));
  ClickMenu();

  EXPECT_EQ("Current project will be saved. Continue?", warn);
  ASSERT_EQ(1u, dialogs.messages.size());
  EXPECT_EQ("Replace procedure was performed sucessfully.", LastMessage());
  EXPECT_EQ(Q(kTitle), dialogs.messages[0].caption);
  EXPECT_EQ(QMessageBox::Information, dialogs.messages[0].icon);
  ExpectConverted();
  EXPECT_TRUE(std::filesystem::exists(ToUtf8(folder + u"/RBackup/RExpert.reu")));
  EXPECT_TRUE(std::filesystem::exists(ToUtf8(folder + u"/Wiz_Log.txt")));

  // Only the .pas modules, in the project's order; the .dpr is not reloaded.
  std::vector<String> units;
  for (const char* u : {"Main.pas", "DataMod.pas", "Customers.pas", "Reports.pas", "Utils.pas"})
    units.push_back(folder + u"/" + FromUtf8(u));
  EXPECT_EQ(units, host.ReloadedFiles());
  auto front = host.FrontEditor();
  ASSERT_TRUE(front != nullptr) << "the forms were hidden";
  EXPECT_TRUE(Supports<IOTASourceEditor>(front) != nullptr);

  EXPECT_EQ(u"0", Stored(u"Dest"));
  EXPECT_EQ(folder + u"/RBackup/RExpert.reu", Stored(u"LastUndo"));
  EXPECT_EQ(u"1", Stored(u"ReplaceProjWarn"));
}

TEST_F(Expert, ACancelledDialogChangesAndStoresNothing) {
  dialogs.dialogs.push_back(Walk({"btNext", "btCancel"}));
  ClickMenu();
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(originals == Tree(folder)) << "files changed";
  EXPECT_FALSE(SettingsSaved());
}

TEST_F(Expert, ADeclinedWarningRunsNothingButStillSavesTheSettings) {
  dialogs.dialogs.push_back(ProjectReplace());
  dialogs.dialogs.push_back(Confirm(false));
  ClickMenu();
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(originals == Tree(folder)) << "files changed";
  EXPECT_TRUE(host.ReloadedFiles().empty());
  EXPECT_EQ(u"0", Stored(u"Dest"));
}

TEST_F(Expert, WithTheWarningSwitchedOffTheProjectIsReplacedWithoutAsking) {
  OpenWizardSettings(u"&Mirel")->WriteBool(kTitle, u"ReplaceProjWarn", false);
  dialogs.dialogs.push_back(ProjectReplace());
  ClickMenu();
  EXPECT_EQ("Replace procedure was performed sucessfully.", LastMessage());
  ExpectConverted();
}

TEST_F(Expert, AFolderReplaceNeitherAsksNorSavesNorReloads) {
  dialogs.dialogs.push_back(
      Walk({"btNext", "rbDestFolder", "btNext", "type:cbDirectory=" + ToUtf8(folder), "btNext",
            "btNext", "btFinish"}));
  ClickMenu();
  EXPECT_EQ("Replace procedure was performed sucessfully.", LastMessage());
  // Units convert as in project mode; forms without the project's database
  // names (only a project run collects them across its forms).
  const String expected = FromUtf8(MIREL_TEST_DATA_DIR "/run/bde-expected/");
  for (const char* unit : {"Main.pas", "DataMod.pas", "Customers.pas", "Reports.pas"})
    EXPECT_EQ(ReadBytes(expected + FromUtf8(unit)), ReadBytes(folder + u"/" + FromUtf8(unit)));
  const std::string form = ReadBytes(folder + u"/Main.dfm");
  EXPECT_NE(std::string::npos, form.find("qryOrders: TKyQuery"));
  EXPECT_TRUE(host.ReloadedFiles().empty());
  EXPECT_EQ(nullptr, host.FrontEditor());
  EXPECT_EQ(u"1", Stored(u"Dest"));
  EXPECT_EQ(u"<missing>", Stored(u"ReplaceProjWarn"));
}

TEST_F(Expert, TheAdoModeRunsTheAdoProfile) {
  const String ado = dir.CopyExample("ado", "Inventory");
  dialogs.dialogs.push_back(
      Walk({"rbModeReplaceADO", "btNext", "rbDestFolder", "btNext",
            "type:cbDirectory=" + ToUtf8(ado), "btNext", "btNext", "btFinish"}));
  ClickMenu();
  EXPECT_EQ("Replace procedure was performed sucessfully.", LastMessage());
  for (const auto& [name, bytes] : Tree(FromUtf8(MIREL_TEST_DATA_DIR "/run/ado-expected")))
    EXPECT_EQ(bytes, ReadBytes(ado + u"/" + FromUtf8(name))) << name;
  EXPECT_EQ(u"1", Stored(u"ReplaceADO"));
}

TEST_F(Expert, AFailedRunSaysSoAndReloadsNothing) {
  TFaultyFileSystem faulty;
  faulty.FailOn(TFsOp::Link, u"*.~*");
  faulty.FailOn(TFsOp::Copy, u"*.~*");
  BdeReplacer().SetFileSystem(faulty);
  dialogs.dialogs.push_back(ProjectReplace());
  dialogs.dialogs.push_back(Confirm(true));
  ClickMenu();
  ASSERT_EQ(1u, dialogs.messages.size());
  EXPECT_EQ("Replace failed.", LastMessage());
  EXPECT_EQ(QMessageBox::Critical, dialogs.messages[0].icon);
  EXPECT_TRUE(host.ReloadedFiles().empty());
  ExpectOriginals();
  EXPECT_TRUE(SettingsSaved());
}

TEST_F(Expert, AProjectReplaceWithoutAProjectIsRefused) {
  host.CloseProject();
  SharedOptions().Dest = 0;
  expert->ReplaceComponents(BdeReplacer());
  ASSERT_EQ(1u, dialogs.messages.size());
  EXPECT_EQ("Cannot start replace process.\nProject was not saved.", LastMessage());
  EXPECT_EQ(QMessageBox::Information, dialogs.messages[0].icon);
  ExpectOriginals();
}

TEST_F(Expert, ARestoreClosesTheProjectPutsTheOriginalsBackAndReopensIt) {
  OpenWizardSettings(u"&Mirel")->WriteBool(kTitle, u"ReplaceProjWarn", false);
  dialogs.dialogs.push_back(ProjectReplace());
  ClickMenu();
  ExpectConverted();

  std::string warn;
  dialogs.dialogs.push_back(Walk({"rbModeRestore", "btNext", "btNext", "btFinish"}));
  dialogs.dialogs.push_back(Confirm(true, &warn));
  ClickMenu();
  EXPECT_EQ("Old files will be restored from backup. Continue?", warn);
  EXPECT_EQ("Files were succefully restored.", LastMessage());
  EXPECT_EQ(project, host.ProjectFileName()) << "reopened";
  ExpectOriginals();
  EXPECT_EQ(u"0", Stored(u"ReplaceMode"));
  EXPECT_EQ(u"1", Stored(u"RestoreDirWarn"));
}

TEST_F(Expert, AFailedRestoreSaysSoAndStillReopensTheProject) {
  const String undo = dir.Write("bad/RExpert.reu",
                                ToUtf8(folder) + "/Main.pas=" + ToUtf8(folder) + "/gone.~pas\r\n");
  dialogs.dialogs.push_back(
      Walk({"rbModeRestore", "btNext", "type:edUndoFile=" + ToUtf8(undo), "btNext", "btFinish"}));
  dialogs.dialogs.push_back(Confirm(true));
  ClickMenu();
  // The line names a backup outside the undo file's folder: refused, and
  // the message says which file and why.
  EXPECT_EQ(
      0u,
      LastMessage().rfind(
          "Failed to restore files.\nRefused to restore file: " + ToUtf8(folder) + "/Main.pas", 0))
      << LastMessage();
  EXPECT_EQ(QMessageBox::Critical, dialogs.messages.back().icon);
  EXPECT_EQ(project, host.ProjectFileName());
  ExpectOriginals();
}

TEST_F(Expert, ARestoreLeavesFilesEditedSinceTheRunAloneAndNamesThem) {
  OpenWizardSettings(u"&Mirel")->WriteBool(kTitle, u"ReplaceProjWarn", false);
  dialogs.dialogs.push_back(ProjectReplace());
  ClickMenu();
  // Days of work on the converted unit.
  const std::string edited = ReadBytes(folder + u"/Main.pas") + "// edited after the run\r\n";
  dir.Write("OrderDesk/Main.pas", edited);

  dialogs.dialogs.push_back(Walk({"rbModeRestore", "btNext", "btNext", "btFinish"}));
  dialogs.dialogs.push_back(Confirm(true));
  ClickMenu();
  const std::string message = LastMessage();
  EXPECT_EQ(0u, message.rfind("Failed to restore files.", 0)) << message;
  EXPECT_NE(std::string::npos, message.find(ToUtf8(folder + u"/Main.pas"))) << message;
  EXPECT_EQ(QMessageBox::Critical, dialogs.messages.back().icon);
  EXPECT_EQ(edited, ReadBytes(folder + u"/Main.pas")) << "the edits are kept";
  EXPECT_TRUE(originals.at("Main.dfm") == ReadBytes(folder + u"/Main.dfm")) << "the rest restored";
  EXPECT_EQ(project, host.ProjectFileName());
}

TEST_F(Expert, AnUnreadableUndoFileStillReopensTheProject) {
  dialogs.dialogs.push_back(Confirm(true));
  EXPECT_THROW(expert->RestoreFiles(folder + u"/no-such.reu"), EFOpenError);
  EXPECT_EQ(project, host.ProjectFileName());
}

TEST_F(Expert, AnExceptionInAUseFreesTheDialogAndSavesNothing) {
  dir.Write("OrderDesk/RBackup", "a file where the backup folder should go");
  dialogs.dialogs.push_back(ProjectReplace());
  dialogs.dialogs.push_back(Confirm(true));
  EXPECT_THROW(ClickMenu(), EFCreateError);
  EXPECT_FALSE(SettingsSaved());
  for (QWidget* w : QApplication::topLevelWidgets())
    EXPECT_EQ(nullptr, qobject_cast<TWizardForm*>(w)) << "the dialog was freed";
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Expert, AClickAfterTheHostReleasedTheExpertDoesNothing) {
  expert.reset();
  ClickMenu();  // no dialog queued: showing one would fail the test
  EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
}  // namespace mirel::testing
