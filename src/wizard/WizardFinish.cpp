// The last page of TWizardForm: the summary of what is about to happen, and
// Finish, which hands the choices to the options.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

#include "wizard/Dialogs.h"
#include "wizard/RExpertRes.h"
#include "wizard/Wizard.h"

namespace mirel {

void TWizardForm::BuildRestoreSummary() {
  lSummary->setText(res::sSumMode.toString() + res::sSumRestore.toString() +
                    res::sSumUndoFile.arg(edUndoFile->text()));
}

void TWizardForm::BuildReplaceSummary() {
  const QString name = options_ != nullptr ? Q(options_->Name()) : QString();
  QString text = res::sSumMode.toString() + res::sSumReplace.arg(name) + res::sSumDest.toString();
  if (ProjectMode())
    text += res::sSumProject;
  else
    text += res::sSumFolder.arg(TargetFolder());
  if (chMakeBackup->isChecked()) text += res::sSumBackupDir.arg(EffectiveBackupFolder());
  if (chWriteLog->isChecked()) {
    text += res::sSumWriteLog;
    if (chViewLog->isChecked()) text += res::sSumViewLog;
  }
  if (ProjectMode()) {
    text += res::sSumUnits;
    for (int i = 0; i < lbModules->count(); ++i) {
      const QListWidgetItem* item = lbModules->item(i);
      if (item->checkState() == Qt::Checked) text += item->text() + u'\n';
    }
  }
  lSummary->setText(text);
}

void TWizardForm::actFinishExecute() {
  MIREL_ASSERT(options_ != nullptr);
  TReplaceOptions& options = *options_;
  if (ProjectMode()) {
    options.SetScope(TRunScope::Project);
    for (int i = lbModules->count() - 1; i >= 0; --i)
      if (lbModules->item(i)->checkState() != Qt::Checked) delete lbModules->takeItem(i);
    QStringList units;
    for (int i = 0; i < lbModules->count(); ++i) units << lbModules->item(i)->text();
    options.UnitNames = S(units.isEmpty() ? QString() : units.join(u'\n') + u'\n');
  } else {
    options.SetScope(TRunScope::Folder);
  }
  options.Directory = S(TargetFolder());
  options.IncludeSubDirs = chSubDirs->isChecked();
  options.MakeBackup = chMakeBackup->isChecked();
  options.BackupDir = S(EffectiveBackupFolder());
  options.WriteLog = chWriteLog->isChecked();
  options.ViewLog = chViewLog->isChecked();
  AddToHistory(*cbDirectory, cbDirectory->currentText());
  AddToHistory(*cbBackupDir, cbBackupDir->currentText());
}

}  // namespace mirel
