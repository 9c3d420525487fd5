// The wizard's pages: moves, caption, enable rules, messages, the unit list
// and the backup folder it proposes.
#include <QCheckBox>
#include <QDir>
#include <QRadioButton>

#include "WizardFixture.h"

namespace mirel::testing {
namespace {

using Wizard = WizardTest;

TEST_F(Wizard, ReplaceInProjectModeWalksFiveStepsAndBackAgain) {
  OpenProject({"Main.pas", "Data.pas"});
  Show();
  EXPECT_EQ("Step1Sheet", Page());
  EXPECT_EQ("Mirel Migration Wizard - Step 1 of 5", Caption());
  EXPECT_FALSE(Enabled("btPrev"));
  EXPECT_FALSE(Enabled("btFinish"));

  const char* forward[][2] = {{"Step2ReplaceSheet", "Mirel Migration Wizard - Step 2 of 5"},
                              {"Step3ProjSheet", "Mirel Migration Wizard - Step 3 of 5"},
                              {"Step4Sheet", "Mirel Migration Wizard - Step 4 of 5"},
                              {"FinalStepSheet", "Mirel Migration Wizard - Step 5 of 5"}};
  for (const auto& [page, caption] : forward) {
    Next();
    EXPECT_EQ(page, Page());
    EXPECT_EQ(caption, Caption());
  }
  EXPECT_FALSE(Enabled("btNext"));
  EXPECT_TRUE(Enabled("btFinish"));

  for (const char* page : {"Step4Sheet", "Step3ProjSheet", "Step2ReplaceSheet", "Step1Sheet"}) {
    Back();
    EXPECT_EQ(page, Page());
  }
  EXPECT_EQ("Mirel Migration Wizard - Step 1 of 5", Caption());
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Wizard, RestoreWalksThreeStepsAndBackReturnsToTheBackupFilePage) {
  OpenProject({"Main.pas"});
  const String undo = dir.Write("RBackup/RExpert.reu", "");
  Show();
  Click("rbModeRestore");
  EXPECT_EQ("Mirel Migration Wizard - Step 1 of 3", Caption());
  Next();
  EXPECT_EQ("Step2RestoreSheet", Page());
  EXPECT_EQ("Mirel Migration Wizard - Step 2 of 3", Caption());
  EXPECT_FALSE(Enabled("btNext")) << "Next needs an undo file name";
  Type("edUndoFile", Q(undo));
  EXPECT_TRUE(Enabled("btNext"));
  Next();
  EXPECT_EQ("FinalStepSheet", Page());
  EXPECT_EQ("Mirel Migration Wizard - Step 3 of 3", Caption());
  Back();
  EXPECT_EQ("Step2RestoreSheet", Page());
  Back();
  EXPECT_EQ("Step1Sheet", Page());
}

TEST_F(Wizard, ModeButtonsSwitchTheStepTotalAtOnce) {
  Show();
  Click("rbModeRestore");
  EXPECT_EQ("Mirel Migration Wizard - Step 1 of 3", Caption());
  Click("rbModeReplace");
  EXPECT_EQ("Mirel Migration Wizard - Step 1 of 5", Caption());
  Click("rbModeRestore");
  Click("rbModeReplaceADO");
  EXPECT_EQ("Mirel Migration Wizard - Step 1 of 5", Caption());
}

TEST_F(Wizard, WithoutAProjectAReplaceGoesThroughTheFolderPage) {
  options.Dest = 0;
  Show();
  EXPECT_FALSE(form->rbDestProject->isEnabled());
  EXPECT_TRUE(form->rbDestFolder->isChecked());
  Next();
  Next();
  EXPECT_EQ("Step3DirSheet", Page());
}

TEST_F(Wizard, ShowTakesLocationAndSwitchesFromTheOptionsButNeverTheBackupFolder) {
  OpenProject({"Main.pas"});
  options.Dest = 1;
  options.Directory = u"/srv/src";
  options.IncludeSubDirs = true;
  options.MakeBackup = false;
  options.WriteLog = false;
  options.ViewLog = true;
  options.BackupDir = u"/srv/old-backups";
  Show();
  EXPECT_TRUE(form->rbDestProject->isEnabled());
  EXPECT_TRUE(form->rbDestFolder->isChecked());
  EXPECT_EQ("/srv/src", form->cbDirectory->currentText().toStdString());
  EXPECT_TRUE(form->chSubDirs->isChecked());
  EXPECT_FALSE(form->chMakeBackup->isChecked());
  EXPECT_FALSE(form->chWriteLog->isChecked());
  EXPECT_TRUE(form->chViewLog->isChecked());
  EXPECT_EQ("", form->cbBackupDir->currentText().toStdString());
}

TEST_F(Wizard, EnableRulesFollowTheCheckBoxesAndKeepTextAndMarks) {
  Show();
  Next();
  Next();
  EXPECT_FALSE(Enabled("btNext")) << "empty target folder";
  Type("cbDirectory", Q(dir.Path()));
  EXPECT_TRUE(Enabled("btNext"));
  Next();
  ASSERT_EQ("Step4Sheet", Page());
  const QString proposed = form->cbBackupDir->currentText();
  Click("chMakeBackup");
  EXPECT_FALSE(Enabled("cbBackupDir"));
  EXPECT_FALSE(Enabled("btBrowseBackFolder"));
  EXPECT_FALSE(Enabled("lBackupFolder"));
  EXPECT_EQ(proposed, form->cbBackupDir->currentText()) << "disabled, the text stays";
  EXPECT_FALSE(form->actMakeBackup->isChecked());

  Click("chViewLog");
  Click("chWriteLog");
  EXPECT_FALSE(Enabled("chViewLog"));
  EXPECT_FALSE(Enabled("lblLogNote"));
  EXPECT_TRUE(form->chViewLog->isChecked()) << "a disabled View log keeps its mark";
  Click("chWriteLog");
  EXPECT_TRUE(Enabled("chViewLog"));
}

TEST_F(Wizard, MissingUndoFileAndTargetFolderAreReportedAndTheUserStays) {
  Show();
  Click("rbModeRestore");
  Next();
  const QString missing = QPath("nowhere/RExpert.reu");
  Type("edUndoFile", missing);
  form->setWindowTitle(QStringLiteral("unchanged"));
  Next();
  EXPECT_EQ("Step2RestoreSheet", Page());
  ASSERT_EQ(1u, dialogs.messages.size());
  EXPECT_EQ(QStringLiteral("Undo file \"%1\" does not exist.").arg(missing),
            dialogs.messages[0].text);
  EXPECT_EQ(QStringLiteral("BDE/ADO Migration Wizard"), dialogs.messages[0].caption);
  EXPECT_EQ(QMessageBox::Information, dialogs.messages[0].icon);
  EXPECT_EQ("unchanged", Caption()) << "no caption refresh after message 1";
  EXPECT_EQ(form->edUndoFile, form->focusWidget());

  Back();
  Click("rbModeReplace");
  Next();
  Click("rbDestFolder");
  Next();
  Type("cbDirectory", QStringLiteral("/no/such/folder"));
  Next();
  EXPECT_EQ("Step3DirSheet", Page());
  ASSERT_EQ(2u, dialogs.messages.size());
  EXPECT_EQ(QStringLiteral("Target directory \"/no/such/folder\" does not exist."),
            dialogs.messages[1].text);
  EXPECT_EQ(form->cbDirectory, form->focusWidget());

  // A file is not a folder.
  const String file = dir.Write("plain.txt", "x");
  Type("cbDirectory", Q(file));
  Next();
  EXPECT_EQ("Step3DirSheet", Page());
  EXPECT_EQ(3u, dialogs.messages.size());
}

TEST_F(Wizard, UnitListHoldsThePascalUnitsAlphabeticallyOnceAndKeepsChecks) {
  OpenProject({"zeta.pas", "Alpha.PAS", "sub/beta.Pas", "other/beta.pas", "Gamma.pas"});
  Show();
  Next();
  Next();
  ASSERT_EQ("Step3ProjSheet", Page());
  EXPECT_EQ("Alpha.PAS+ beta.Pas+ beta.pas+ Gamma.pas+ zeta.pas+", Units())
      << "letter case does not separate names; equal names in two folders give two entries";

  Click("btDeselect");
  EXPECT_EQ("Alpha.PAS- beta.Pas- beta.pas- Gamma.pas- zeta.pas-", Units());
  Next();
  EXPECT_EQ("Step3ProjSheet", Page());
  ASSERT_EQ(1u, dialogs.messages.size());
  EXPECT_EQ(QStringLiteral("At least one unit should be selected."), dialogs.messages[0].text);
  EXPECT_EQ(QStringLiteral("Information"), dialogs.messages[0].caption);
  EXPECT_EQ(form->lbModules, form->focusWidget());

  SetUnitChecked(3, true);
  Next();
  EXPECT_EQ("Step4Sheet", Page());
  Back();
  Back();
  Next();
  EXPECT_EQ("Alpha.PAS- beta.Pas- beta.pas- Gamma.pas+ zeta.pas-", Units())
      << "the list is filled once per dialog";
  Click("btSelect");
  EXPECT_EQ("Alpha.PAS+ beta.Pas+ beta.pas+ Gamma.pas+ zeta.pas+", Units());
}

TEST_F(Wizard, AProjectWithoutUnitsIsFilledAgainOnTheNextPass) {
  const String dpr = dir.Write("Empty.dpr", "program Empty;\nbegin\nend.\n");
  host.Open(dpr);
  host.Install();
  Show();
  Next();
  Next();
  EXPECT_EQ("", Units());
  Next();
  EXPECT_EQ(1u, dialogs.messages.size());

  // The project gains a unit while the dialog is open: passing step 2 again
  // tries the fill again.
  dir.Write("Late.pas", "unit Late;\ninterface\nimplementation\nend.\n");
  dir.Write("Empty.dpr", "program Empty;\nuses Late in 'Late.pas';\nbegin\nend.\n");
  host.Open(dpr);
  Back();
  Next();
  EXPECT_EQ("Late.pas+", Units());
}

TEST_F(Wizard, ProposedBackupFolderFollowsTheTargetUntilTheUserTouchesIt) {
  const String a = dir.Write("a/x.pas", "");
  const String b = dir.Write("b/x.pas", "");
  (void)a;
  (void)b;
  Show();
  Next();
  Next();
  Type("cbDirectory", QPath("a"));
  Next();
  EXPECT_EQ(QPath("a/RBackup"), form->cbBackupDir->currentText());
  Back();
  Type("cbDirectory", QPath("b"));
  Next();
  EXPECT_EQ(QPath("b/RBackup"), form->cbBackupDir->currentText());
  EXPECT_FALSE(form->BackupFolderTouched());

  // Browsing for it stops the proposals.
  dialogs.directories.push_back(QPath("chosen"));
  Click("btBrowseBackFolder");
  EXPECT_EQ(QPath("chosen"), form->cbBackupDir->currentText());
  EXPECT_EQ(QStringLiteral("Select directory"), dialogs.pickerCaptions.back());
  Back();
  Type("cbDirectory", QPath("a"));
  Next();
  EXPECT_EQ(QPath("chosen"), form->cbBackupDir->currentText());
}

TEST_F(Wizard, TypingOrPickingTheBackupFolderStopsTheProposalsButCancelledPickersChangeNothing) {
  dir.Write("a/x.pas", "");
  store.WriteString(section, u"BackDirHistory", u"/old/one\n/old/two");
  Show();
  Next();
  Next();
  dialogs.directories.push_back(QString());  // cancelled
  Click("btBrowseFolder");
  EXPECT_EQ(QString(), form->cbDirectory->currentText());
  Type("cbDirectory", QPath("a"));
  Next();
  dialogs.directories.push_back(QString());
  Click("btBrowseBackFolder");
  EXPECT_FALSE(form->BackupFolderTouched()) << "a cancelled picker touches nothing";
  EXPECT_EQ(QPath("a/RBackup"), form->cbBackupDir->currentText());

  // Picking an entry of the history list is a user change.
  form->cbBackupDir->setFocus();
  QTest::keyClick(form->cbBackupDir, Qt::Key_Down, Qt::AltModifier);
  QTest::keyClick(form->cbBackupDir->view(), Qt::Key_Down);
  QTest::keyClick(form->cbBackupDir->view(), Qt::Key_Return);
  EXPECT_TRUE(form->BackupFolderTouched());
  Back();
  Next();
  EXPECT_NE(QPath("a/RBackup"), form->cbBackupDir->currentText());
}

TEST_F(Wizard, PickersFillTheirFields) {
  Show();
  dialogs.directories.push_back(QPath(""));
  Next();
  Next();
  Click("btBrowseFolder");
  EXPECT_EQ(QPath(""), form->cbDirectory->currentText());
  EXPECT_EQ(QString(), dialogs.pickerFolders.back()) << "no folder preselected";

  Back();
  Back();
  Click("rbModeRestore");
  Next();
  Type("edUndoFile", QStringLiteral("/some/folder/RExpert.reu"));
  dialogs.openFiles.push_back(QPath("RExpert.reu"));
  Click("btRestoreBrowse");
  EXPECT_EQ(QStringLiteral("/some/folder"), dialogs.pickerFolders.back())
      << "opens where the typed file is";
  EXPECT_EQ(QStringLiteral("Undo files (*.reu);;All files (*)"), dialogs.pickerFilters.back());
  EXPECT_EQ(QPath("RExpert.reu"), form->edUndoFile->text());
}

TEST_F(Wizard, EffectiveBackupFolderResolvesAgainstTheBase) {
  const String project = OpenProject({"Main.pas"});
  Show();
  struct Case {
    QString typed;
    QString effective;
  } cases[] = {
      {QStringLiteral("/abs/backup"), QStringLiteral("/abs/backup")},
      {QStringLiteral("bak"), QPath("bak")},
      {QStringLiteral("a/b"), QPath("a/b")},
      {QString(), QPath("")},
      {QStringLiteral("~/bk"), QDir::homePath() + QStringLiteral("/bk")},
      {QStringLiteral("~"), QDir::homePath()},
      {QStringLiteral("~user/x"), QPath("~user/x")},
  };
  for (const Case& c : cases) {
    form->cbBackupDir->setEditText(c.typed);
    EXPECT_EQ(c.effective, form->EffectiveBackupFolder()) << c.typed.toStdString();
  }
  // In folder mode the base is the target folder, "~/" resolved.
  form->rbDestFolder->setChecked(true);
  form->cbDirectory->setEditText(QStringLiteral("~/src"));
  form->cbBackupDir->setEditText(QStringLiteral("bak"));
  EXPECT_EQ(QDir::homePath() + QStringLiteral("/src/bak"), form->EffectiveBackupFolder());
  (void)project;
}

TEST_F(Wizard, CancelAndEscCloseWithTheCancelResultAndEmptyTheUnitList) {
  OpenProject({"Main.pas"});
  Show();
  Next();
  Next();
  ASSERT_EQ(1, form->lbModules->count());
  Click("btCancel");
  EXPECT_EQ(QDialog::Rejected, form->result());
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(0, form->lbModules->count());

  Show();
  QTest::keyClick(form.get(), Qt::Key_Escape);
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(QDialog::Rejected, form->result());
}

}  // namespace
}  // namespace mirel::testing
