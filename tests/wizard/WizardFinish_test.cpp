// The final page's summary, and what Finish hands to the options.
#include <QCheckBox>
#include <QDir>
#include <QRadioButton>

#include "WizardFixture.h"

namespace mirel::testing {
namespace {

using SummaryPage = WizardTest;
using Finish = WizardTest;

TEST_F(SummaryPage, RestoreHasTheModeLineAndTheUndoFile) {
  const String undo = dir.Write("RBackup/RExpert.reu", "");
  Show();
  Click("rbModeRestore");
  Next();
  Type("edUndoFile", Q(undo));
  Next();
  EXPECT_EQ("Mode: Restore original files from backup\n\nUndo file: \"" + ToUtf8(undo) + "\"\n\n",
            Summary());
}

TEST_F(SummaryPage, FolderModeWithoutBackupAndLogHasModeAndFolderOnly) {
  Show();
  Next();
  Next();
  Type("cbDirectory", Q(dir.Path()));
  Next();
  Click("chMakeBackup");
  Click("chWriteLog");
  Next();
  EXPECT_EQ("Mode: Replace BDE/ADO components\n\nScan destination: Folder \"" + ToUtf8(dir.Path()) +
                "\"\n\n",
            Summary());
}

TEST_F(SummaryPage, ProjectModeListsTheCheckedUnitsAndIsRebuiltOnEveryEntry) {
  OpenProject({"Main.pas", "Data.pas", "Extra.pas"});
  Show();
  Next();
  Next();
  SetUnitChecked(1, false);  // Extra.pas
  Next();
  Click("chViewLog");
  Next();
  const std::string backup = ToUtf8(dir / "RBackup");
  EXPECT_EQ(
      "Mode: Replace BDE/ADO components\n\nScan destination: Current open project\n\n"
      "Backup dir: \"" +
          backup +
          "\"\n\nWrite log file\n\nView log afer replace\n\n"
          "Units list:\nData.pas\nMain.pas\n",
      Summary());

  Back();
  Click("chMakeBackup");
  Next();
  EXPECT_EQ(std::string::npos, Summary().find("Backup dir")) << Summary();

  // View log is only mentioned with Write log.
  Back();
  Click("chWriteLog");
  Next();
  EXPECT_EQ(
      "Mode: Replace BDE/ADO components\n\nScan destination: Current open project\n\n"
      "Units list:\nData.pas\nMain.pas\n",
      Summary());
}

TEST_F(SummaryPage, TheModeLineShowsTheSharedNameInTheAdoModeToo) {
  Show();
  Click("rbModeReplaceADO");
  Next();
  Next();
  Type("cbDirectory", Q(dir.Path()));
  Next();
  Next();
  EXPECT_EQ(0u, Summary().rfind("Mode: Replace BDE/ADO components\n\n", 0)) << Summary();
}

TEST_F(Finish, ProjectModeKeepsOnlyTheCheckedUnitsAndWritesEveryField) {
  OpenProject({"A.pas", "B.pas", "C.pas", "D.pas", "E.pas"});
  options.Directory = u"/kept/as/shown";
  Show();
  Next();
  Next();
  SetUnitChecked(0, false);
  SetUnitChecked(3, false);
  Next();
  Type("cbBackupDir", QStringLiteral("bak"));
  Click("chWriteLog");  // View log stays unchecked and disabled
  Next();
  Click("btFinish");

  EXPECT_EQ(QDialog::Accepted, form->result());
  EXPECT_EQ(0, options.Dest);
  EXPECT_EQ(u"B.pas\nC.pas\nE.pas\n", options.UnitNames);
  EXPECT_EQ(u"/kept/as/shown", options.Directory);
  EXPECT_EQ(dir / "bak", options.BackupDir) << "resolved against the project's folder";
  EXPECT_TRUE(options.MakeBackup);
  EXPECT_FALSE(options.WriteLog);
  EXPECT_FALSE(options.ViewLog);
  EXPECT_EQ(0, form->lbModules->count()) << "the list is emptied when the dialog closes";
  // The history keeps the text as typed.
  ASSERT_GE(form->cbBackupDir->count(), 1);
  EXPECT_EQ(QStringLiteral("bak"), form->cbBackupDir->itemText(0));
}

TEST_F(Finish, FolderModeLeavesTheUnitNamesAndStoresWhatTheControlsSay) {
  dir.Write("src/x.pas", "");
  options.UnitNames = u"Earlier.pas\n";
  options.ViewLog = false;
  Show();
  Next();
  Next();
  Type("cbDirectory", QPath("src"));
  Click("chSubDirs");
  Next();
  Click("chViewLog");
  Click("chWriteLog");
  Click("chMakeBackup");
  Next();
  Click("btFinish");

  EXPECT_EQ(1, options.Dest);
  EXPECT_EQ(u"Earlier.pas\n", options.UnitNames);
  EXPECT_EQ(dir / "src", options.Directory);
  EXPECT_TRUE(options.IncludeSubDirs);
  EXPECT_FALSE(options.MakeBackup);
  EXPECT_EQ(dir / "src/RBackup", options.BackupDir) << "set even without Make backup";
  EXPECT_FALSE(options.WriteLog);
  EXPECT_TRUE(options.ViewLog) << "taken from the disabled check box all the same";
  EXPECT_EQ(QPath("src"), form->cbDirectory->itemText(0));
}

TEST_F(Finish, AHomeRelativeTargetFolderIsResolvedButRememberedAsTyped) {
  Show();
  Next();
  Next();
  form->cbDirectory->setEditText(QStringLiteral("~"));
  Next();
  ASSERT_EQ("Step4Sheet", Page());
  Next();
  Click("btFinish");
  EXPECT_EQ(S(QDir::homePath()), options.Directory);
  EXPECT_EQ(QStringLiteral("~"), form->cbDirectory->itemText(0));
  EXPECT_EQ(QStringLiteral("~/RBackup"), form->cbBackupDir->itemText(0));
  EXPECT_EQ(S(QDir::homePath() + QStringLiteral("/RBackup")), options.BackupDir);
}

TEST_F(Finish, HistoriesKeepTenNewestFirstAndNeverMoveAnEntry) {
  QComboBox box;
  box.setEditable(true);
  for (int i = 1; i <= 11; ++i) TWizardForm::AddToHistory(box, QStringLiteral("/f%1").arg(i));
  ASSERT_EQ(10, box.count());
  EXPECT_EQ(QStringLiteral("/f11"), box.itemText(0));
  EXPECT_EQ(QStringLiteral("/f2"), box.itemText(9));
  TWizardForm::AddToHistory(box, QStringLiteral("/F5"));
  TWizardForm::AddToHistory(box, QString());
  EXPECT_EQ(10, box.count());
  EXPECT_EQ(QStringLiteral("/f11"), box.itemText(0));
  EXPECT_EQ(QStringLiteral("/f5"), box.itemText(6));
}

}  // namespace
}  // namespace mirel::testing
