#include "wizard/Wizard.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QStackedWidget>

#include "files/Paths.h"
#include "ide/IDEUtils.h"
#include "replace/UndoFile.h"
#include "wizard/Dialogs.h"
#include "wizard/RExpertRes.h"

namespace mirel {

namespace {

constexpr int kHistoryLength = 10;

// "~" and "~/..." name the home folder, as a shell user expects.
QString ExpandHome(const QString& path) {
  if (path == u"~") return QDir::homePath();
  if (path.startsWith(u"~/")) return QDir::homePath() + path.mid(1);
  return path;
}

QString Combine(const QString& folder, const QString& name) {
  return Q(CombinePath(S(folder), S(name)));
}

QStringList Items(const QComboBox& box) {
  QStringList items;
  for (int i = 0; i < box.count(); ++i) items << box.itemText(i);
  return items;
}

void SetItems(QComboBox& box, const QString& lines) {
  const QString text = box.currentText();
  box.clear();
  if (!lines.isEmpty()) box.addItems(lines.split(u'\n'));
  box.setEditText(text);
}

}  // namespace

TWizardForm::TWizardForm(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("WizardForm"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  CreateActions();
  CreatePages();
  CreateButtons();
  Connect();
  GoTo(Step1Sheet);
  FitSize();
}

TWizardForm::~TWizardForm() = default;

void TWizardForm::Connect() {
  // The buttons take their text, state and behaviour from the actions.
  const auto bind = [this](QPushButton* button, QAction* action) {
    connect(action, &QAction::changed, button, [button, action] {
      button->setEnabled(action->isEnabled());
      button->setText(action->text());
    });
    button->setEnabled(action->isEnabled());
    if (action != actFinish) connect(button, &QPushButton::clicked, action, &QAction::trigger);
  };
  bind(btPrev, actBack);
  bind(btNext, actNext);
  bind(btFinish, actFinish);
  connect(btFinish, &QPushButton::clicked, this, [this] {
    if (!actFinish->isEnabled()) return;
    actFinish->trigger();
    accept();
  });
  connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);

  connect(actNext, &QAction::triggered, this, &TWizardForm::actNextExecute);
  connect(actBack, &QAction::triggered, this, &TWizardForm::actBackExecute);
  connect(actFinish, &QAction::triggered, this, &TWizardForm::actFinishExecute);

  // The two check boxes and their actions mirror each other.
  const auto mirror = [this](QCheckBox* box, QAction* action) {
    connect(box, &QCheckBox::toggled, action, &QAction::setChecked);
    connect(action, &QAction::toggled, box, &QCheckBox::setChecked);
  };
  mirror(chMakeBackup, actMakeBackup);
  mirror(chWriteLog, actWriteLog);

  connect(ModeGroup, &QButtonGroup::buttonClicked, this, [this] { rbModeReplaceClick(); });
  connect(btRestoreBrowse, &QPushButton::clicked, this, &TWizardForm::btRestoreBrowseClick);
  connect(btSelect, &QPushButton::clicked, this, &TWizardForm::btSelectClick);
  connect(btDeselect, &QPushButton::clicked, this, &TWizardForm::btDeselectClick);
  connect(btBrowseFolder, &QPushButton::clicked, this, &TWizardForm::btBrowseFolderClick);
  connect(btBrowseBackFolder, &QPushButton::clicked, this, &TWizardForm::btBrowseBackFolderClick);
  // Only what the user does to the backup folder box counts as touching it:
  // typing, or picking a list entry; text the dialog places there does not.
  connect(cbBackupDir->lineEdit(), &QLineEdit::textEdited, this, &TWizardForm::cbBackupDirChange);
  connect(cbBackupDir, &QComboBox::activated, this, &TWizardForm::cbBackupDirChange);

  // The enable rules hold whenever the user can act: re-evaluate them on
  // every change they read.
  connect(PageControl, &QStackedWidget::currentChanged, this, &TWizardForm::UpdateActions);
  connect(edUndoFile, &QLineEdit::textChanged, this, &TWizardForm::UpdateActions);
  connect(cbDirectory, &QComboBox::editTextChanged, this, &TWizardForm::UpdateActions);
  connect(actMakeBackup, &QAction::toggled, this, &TWizardForm::UpdateActions);
  connect(actWriteLog, &QAction::toggled, this, &TWizardForm::UpdateActions);
}

// --- Show and close ------------------------------------------------------------------

void TWizardForm::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) FormShow();
  QDialog::showEvent(event);
}

void TWizardForm::FormShow() {
  project_file_ = Q(TIDEUtils::GetCurrentProjectFileName());
  const bool haveProject = !project_file_.isEmpty();
  rbDestProject->setEnabled(haveProject);
  if (haveProject && options_ != nullptr && options_->Scope() == TRunScope::Project)
    rbDestProject->setChecked(true);
  else
    rbDestFolder->setChecked(true);
  if (options_ != nullptr) {
    cbDirectory->setEditText(Q(options_->Directory));
    chSubDirs->setChecked(options_->IncludeSubDirs);
    chMakeBackup->setChecked(options_->MakeBackup);
    chWriteLog->setChecked(options_->WriteLog);
    chViewLog->setChecked(options_->ViewLog);
  }
  cbBackupDir->setEditText(QString());
  GoTo(Step1Sheet);
  RefreshCaption();
  FitSize();
  if (!position_stored_) {
    // Centred on the screen, unless a stored position was applied.
    if (QScreen* screen = this->screen())
      move(screen->availableGeometry().center() - rect().center());
  }
  UpdateActions();
}

void TWizardForm::done(int result) {
  FormClose();
  QDialog::done(result);
}

void TWizardForm::FormClose() {
  lbModules->clear();
}

// --- Navigation ----------------------------------------------------------------------

void TWizardForm::GoTo(QWidget* page) {
  PageControl->setCurrentWidget(page);
  UpdateActions();
}

void TWizardForm::RefreshCaption() {
  const bool restore = rbModeRestore->isChecked();
  QWidget* page = PageControl->currentWidget();
  int step = 1;
  if (page == Step2RestoreSheet || page == Step2ReplaceSheet)
    step = 2;
  else if (page == Step3ProjSheet || page == Step3DirSheet)
    step = 3;
  else if (page == Step4Sheet)
    step = 4;
  else if (page == FinalStepSheet)
    step = restore ? 3 : 5;
  const int total = restore ? 3 : PageControl->count() - 2;
  setWindowTitle(
      res::sWizardCaption.arg(product_name_, QString::number(step), QString::number(total)));
}

void TWizardForm::rbModeReplaceClick() {
  RefreshCaption();
}

void TWizardForm::actNextExecute() {
  QWidget* page = PageControl->currentWidget();
  if (page == Step1Sheet) {
    GoTo(rbModeRestore->isChecked() ? Step2RestoreSheet : Step2ReplaceSheet);
  } else if (page == Step2RestoreSheet) {
    if (!QFileInfo(edUndoFile->text()).isFile()) {
      Dialogs().MessageBox(this, res::sUndoMissing.arg(edUndoFile->text()), OptionsTitle(),
                           QMessageBox::Information);
      edUndoFile->setFocus();
      return;
    }
    BuildRestoreSummary();
    GoTo(FinalStepSheet);
  } else if (page == Step2ReplaceSheet) {
    if (rbDestProject->isChecked()) {
      FillUnitList();
      GoTo(Step3ProjSheet);
    } else {
      GoTo(Step3DirSheet);
    }
  } else if (page == Step3ProjSheet) {
    if (!AnyUnitChecked()) {
      Dialogs().MessageBox(this, res::sNoUnitSelected.toString(), res::sInformation.toString(),
                           QMessageBox::Information);
      lbModules->setFocus();
    } else {
      ProposeBackupFolder();
      GoTo(Step4Sheet);
    }
  } else if (page == Step3DirSheet) {
    if (!QFileInfo(TargetFolder()).isDir()) {
      Dialogs().MessageBox(this, res::sTargetMissing.arg(cbDirectory->currentText()),
                           OptionsTitle(), QMessageBox::Information);
      cbDirectory->setFocus();
      return;
    }
    ProposeBackupFolder();
    GoTo(Step4Sheet);
  } else if (page == Step4Sheet) {
    BuildReplaceSummary();
    GoTo(FinalStepSheet);
  }
  RefreshCaption();
}

void TWizardForm::actBackExecute() {
  QWidget* page = PageControl->currentWidget();
  if (page == Step2RestoreSheet || page == Step2ReplaceSheet)
    GoTo(Step1Sheet);
  else if (page == Step3ProjSheet || page == Step3DirSheet)
    GoTo(Step2ReplaceSheet);
  else if (page == Step4Sheet)
    GoTo(rbDestProject->isChecked() ? Step3ProjSheet : Step3DirSheet);
  else if (page == FinalStepSheet)
    GoTo(rbModeRestore->isChecked() ? Step2RestoreSheet : Step4Sheet);
  RefreshCaption();
}

void TWizardForm::UpdateActions() {
  QWidget* page = PageControl->currentWidget();
  bool next = true;
  if (page == Step2RestoreSheet)
    next = !edUndoFile->text().isEmpty();
  else if (page == Step3DirSheet)
    next = !cbDirectory->currentText().isEmpty();
  else if (page == FinalStepSheet)
    next = false;
  actNext->setEnabled(next);
  actBack->setEnabled(page != Step1Sheet);
  actFinish->setEnabled(page == FinalStepSheet);

  const bool backup = actMakeBackup->isChecked();
  lBackupFolder->setEnabled(backup);
  cbBackupDir->setEnabled(backup);
  btBrowseBackFolder->setEnabled(backup);
  const bool log = actWriteLog->isChecked();
  chViewLog->setEnabled(log);
  lblLogNote->setEnabled(log);
}

// --- Units ---------------------------------------------------------------------------

void TWizardForm::FillUnitList() {
  if (lbModules->count() > 0) return;
  QStringList names;
  const int count = TIDEUtils::GetProjectModuleCount();
  for (int i = 0; i < count; ++i) {
    const String file = TIDEUtils::GetProjectModuleFileName(i);
    if (!IsUnitFile(file)) continue;
    names << QFileInfo(Q(file)).fileName();
  }
  // Alphabetical as the user reads it: letter case does not separate names.
  std::stable_sort(names.begin(), names.end(),
                   [](const QString& a, const QString& b) { return CompareText(S(a), S(b)) < 0; });
  for (const QString& name : names) {
    auto* item = new QListWidgetItem(name, lbModules);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
  }
  SetAllUnitsChecked(true);
}

void TWizardForm::SetAllUnitsChecked(bool checked) {
  for (int i = 0; i < lbModules->count(); ++i)
    lbModules->item(i)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

bool TWizardForm::AnyUnitChecked() const {
  for (int i = 0; i < lbModules->count(); ++i)
    if (lbModules->item(i)->checkState() == Qt::Checked) return true;
  return false;
}

void TWizardForm::btSelectClick() {
  SetAllUnitsChecked(true);
}

void TWizardForm::btDeselectClick() {
  SetAllUnitsChecked(false);
}

// --- Pickers and folders --------------------------------------------------------------

void TWizardForm::btRestoreBrowseClick() {
  const QString folder = QFileInfo(edUndoFile->text()).path();
  const QString file =
      Dialogs().GetOpenFileName(this, QString(), folder, res::sUndoFilter.toString());
  if (!file.isEmpty()) edUndoFile->setText(QFileInfo(file).absoluteFilePath());
}

void TWizardForm::btBrowseFolderClick() {
  const QString folder =
      Dialogs().GetExistingDirectory(this, res::sSelectDirectory.toString(), QString());
  if (!folder.isEmpty()) cbDirectory->setEditText(folder);
}

void TWizardForm::btBrowseBackFolderClick() {
  const QString folder =
      Dialogs().GetExistingDirectory(this, res::sSelectDirectory.toString(), QString());
  if (folder.isEmpty()) return;
  cbBackupDir->setEditText(folder);
  backup_touched_ = true;
}

void TWizardForm::cbBackupDirChange() {
  backup_touched_ = true;
}

bool TWizardForm::ProjectMode() const {
  return rbDestProject->isChecked();
}

QString TWizardForm::ProjectFolder() const {
  return QFileInfo(project_file_).path();
}

QString TWizardForm::TargetFolder() const {
  return ExpandHome(cbDirectory->currentText());
}

void TWizardForm::ProposeBackupFolder() {
  if (backup_touched_) return;
  const QString base = ProjectMode() ? ProjectFolder() : cbDirectory->currentText();
  cbBackupDir->setEditText(Combine(base, QStringLiteral("RBackup")));
}

QString TWizardForm::EffectiveBackupFolder() const {
  const QString typed = ExpandHome(cbBackupDir->currentText());
  if (!typed.isEmpty() && QDir::isAbsolutePath(typed)) return typed;
  const QString base = ProjectMode() ? ProjectFolder() : TargetFolder();
  return Combine(base, typed);
}

void TWizardForm::AddToHistory(QComboBox& box, const QString& text) {
  if (text.isEmpty()) return;
  for (int i = 0; i < box.count(); ++i)
    if (SameText(S(box.itemText(i)), S(text))) return;
  const QString edit = box.currentText();
  box.insertItem(0, text);
  while (box.count() > kHistoryLength) box.removeItem(box.count() - 1);
  box.setEditText(edit);
}

QString TWizardForm::OptionsTitle() const {
  return options_ != nullptr ? Q(options_->Title()) : QString();
}

// --- Settings --------------------------------------------------------------------------

void TWizardForm::LoadSettings(TCustomIniFile& ini, StringView section) {
  const int left = ini.ReadInteger(section, S(res::sValLeft), x());
  const int top = ini.ReadInteger(section, S(res::sValTop), y());
  if (ini.ValueExists(section, S(res::sValLeft)) || ini.ValueExists(section, S(res::sValTop)))
    ApplyStoredPosition(left, top);
  SetItems(*cbDirectory, Q(ini.ReadString(section, S(res::sValDirHistory), u"")));
  SetItems(*cbBackupDir, Q(ini.ReadString(section, S(res::sValBackDirHistory), u"")));
  if (ini.ReadBool(section, S(res::sValReplaceMode), rbModeReplace->isChecked()))
    rbModeReplace->setChecked(true);
  else
    rbModeRestore->setChecked(true);
  edUndoFile->setText(Q(ini.ReadString(section, S(res::sValLastUndo), u"")));
}

void TWizardForm::ApplyStoredPosition(int left, int top) {
  // A position on a monitor that is no longer there would open the dialog
  // where nobody sees it: then it stays centred.
  const QPoint titleBar(left + width() / 2, top + 8);
  for (QScreen* screen : QGuiApplication::screens()) {
    if (screen->geometry().contains(titleBar)) {
      move(left, top);
      position_stored_ = true;
      return;
    }
  }
}

void TWizardForm::SaveSettings(TCustomIniFile& ini, StringView section) {
  ini.WriteInteger(section, S(res::sValLeft), x());
  ini.WriteInteger(section, S(res::sValTop), y());
  ini.WriteString(section, S(res::sValDirHistory), S(Items(*cbDirectory).join(u'\n')));
  ini.WriteString(section, S(res::sValBackDirHistory), S(Items(*cbBackupDir).join(u'\n')));
  ini.WriteBool(section, S(res::sValReplaceMode), rbModeReplace->isChecked());
  // Without a base folder the backup folder is not known, and a bare file
  // name would be looked for wherever the program happens to run.
  const QString backup = EffectiveBackupFolder();
  const QString lastUndo = chMakeBackup->isChecked() && QDir::isAbsolutePath(backup)
                               ? Combine(backup, Q(kUndoFileName))
                               : QString();
  ini.WriteString(section, S(res::sValLastUndo), S(lastUndo));
}

// --- Modes and texts ------------------------------------------------------------------

int TWizardForm::GetMode() {
  return rbModeRestore->isChecked() ? 100 : 0;
}

void TWizardForm::SetWelcomeText(const QString& sourceName, const QString& productName) {
  Label2->setText(res::sWelcomeText.arg(productName, sourceName, productName));
  FitSize();
}

}  // namespace mirel
