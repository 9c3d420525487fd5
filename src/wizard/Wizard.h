// TWizardForm: the modal dialog in which the user sets up one migration or
// one restore.
//
// Seven pages in a stack whose tabs are never shown, so Back and Next are the
// only way between them:
//   Step1Sheet         mode (replace or restore)
//   Step2RestoreSheet  the undo file to restore from      (restore path)
//   Step2ReplaceSheet  the open project or a disk folder  (replace path)
//   Step3ProjSheet     the project's units to convert     (project mode)
//   Step3DirSheet      the folder to convert              (folder mode)
//   Step4Sheet         backup and log options
//   FinalStepSheet     the summary; Finish
// Every control and action carries its design name as its objectName, so a
// test (or an accessibility tool) finds it by name.
//
// How it is driven: the owner sets the product name and the options,
// calls SetWelcomeText, may change rbModeReplace's caption, calls
// LoadSettings, shows the dialog modally (through the dialog services), and
// on Accepted asks GetMode and reads edUndoFile; then it calls SaveSettings.
// The dialog reads the current project from the host through TIDEUtils and
// changes nothing on disk. Message boxes and pickers go through Dialogs()
// (wizard/Dialogs.h).
#pragma once

#include <QDialog>
#include <QString>

#include "replace/ReplaceOptions.h"
#include "rtl/IniFiles.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QStackedWidget;
class QVBoxLayout;

namespace mirel {

/// How much larger than designed the dialogs must be for the font of
/// widget (1 or more): the design assumed lines 13 pixels high.
double DesignScale(const QWidget& widget);

class TWizardForm : public QDialog {
  Q_OBJECT

 public:
  explicit TWizardForm(QWidget* owner = nullptr);
  ~TWizardForm() override;

  /// The target library's name shown in the caption ("Mirel").
  void SetProductName(const QString& name) { product_name_ = name; }
  const QString& ProductName() const { return product_name_; }
  /// The shared options: initial values on show, filled by Finish. Borrowed;
  /// must be set before the dialog is shown and outlive it.
  void SetOptions(TReplaceOptions* options) { options_ = options; }

  /// Fills the summary for a restore.
  virtual void BuildRestoreSummary();
  /// Fills the summary for a replace.
  virtual void BuildReplaceSummary();
  /// Reads position, folder histories, mode and last undo file from section
  /// of ini (borrowed for the call; neither opened nor closed here).
  virtual void LoadSettings(TCustomIniFile& ini, StringView section);
  /// Writes the same values.
  virtual void SaveSettings(TCustomIniFile& ini, StringView section);
  /// 100 when rbModeRestore is selected; otherwise the index of the
  /// migration profile to run (0 here).
  virtual int GetMode();
  /// The welcome text of the first page.
  virtual void SetWelcomeText(const QString& sourceName, const QString& productName);

  /// The backup folder the run will use: the typed text when absolute (a
  /// leading "~/" meaning the home folder), else that text under the project's
  /// folder (project mode) or the target folder. Empty text gives the base
  /// folder with a trailing '/'.
  QString EffectiveBackupFolder() const;
  /// The typed target folder with a leading "~/" resolved.
  QString TargetFolder() const;
  /// Adds text to a most-recent-first history of at most 10 entries, unless
  /// it is empty or already there (compared without regard to case; the
  /// existing entry keeps its place).
  static void AddToHistory(QComboBox& box, const QString& text);
  /// Whether the user chose the backup folder himself (typed, picked from the
  /// list or browsed); from then on no folder is proposed.
  bool BackupFolderTouched() const { return backup_touched_; }

  // --- Controls (owned by the dialog) -----------------------------------------------
  QStackedWidget* PageControl;
  QWidget* Step1Sheet;
  QWidget* Step2RestoreSheet;
  QWidget* Step2ReplaceSheet;
  QWidget* Step3ProjSheet;
  QWidget* Step3DirSheet;
  QWidget* Step4Sheet;
  QWidget* FinalStepSheet;

  QLabel* Image1;
  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label11;
  QLabel* Label3;
  QRadioButton* rbModeReplace;
  QRadioButton* rbModeRestore;
  QButtonGroup* ModeGroup;

  QLabel* Label4;
  QLabel* lUndo;
  QLineEdit* edUndoFile;
  QPushButton* btRestoreBrowse;
  QLabel* Label5;

  QLabel* Label6;
  QRadioButton* rbDestProject;
  QRadioButton* rbDestFolder;
  QLabel* Label7;

  QLabel* Label8;
  QListWidget* lbModules;
  QPushButton* btSelect;
  QPushButton* btDeselect;

  QLabel* Label9;
  QLabel* lSource;
  QComboBox* cbDirectory;
  QPushButton* btBrowseFolder;
  QCheckBox* chSubDirs;

  QLabel* Label10;
  QCheckBox* chMakeBackup;
  QLabel* lBackupFolder;
  QComboBox* cbBackupDir;
  QPushButton* btBrowseBackFolder;
  QCheckBox* chWriteLog;
  QLabel* lblLogNote;
  QCheckBox* chViewLog;

  QLabel* Label13;
  QLabel* Label15;
  QLabel* Label14;
  QScrollArea* sbSummary;
  QLabel* lSummary;

  QPushButton* btPrev;
  QPushButton* btNext;
  QPushButton* btFinish;
  QPushButton* btCancel;

  QAction* actMakeBackup;
  QAction* actFinish;
  QAction* actNext;
  QAction* actBack;
  QAction* actWriteLog;

 protected:
  void showEvent(QShowEvent* event) override;
  /// Closing in any way ends in FormClose.
  void done(int result) override;

  /// Applies the project and the options to the controls and shows step 1.
  virtual void FormShow();
  virtual void FormClose();

  void rbModeReplaceClick();
  void btRestoreBrowseClick();
  void btSelectClick();
  void btDeselectClick();
  void btBrowseFolderClick();
  void btBrowseBackFolderClick();
  void cbBackupDirChange();
  void actNextExecute();
  void actBackExecute();
  void actFinishExecute();
  /// The enable rules; run after every change they depend on.
  void UpdateActions();

  /// Refreshes the window caption with the step numbers of the current page.
  void RefreshCaption();
  /// Fixes the dialog's size: the designed size, grown with the font so that
  /// no text is clipped. Call after every change of the pages' contents.
  void FitSize();

  /// The layout of the mode buttons on the first page; a variant adds to it.
  QVBoxLayout* ModeLayout = nullptr;

 private:
  void CreateActions();
  void CreatePages();
  void CreateButtons();
  void Connect();
  void GoTo(QWidget* page);
  void FillUnitList();
  void ProposeBackupFolder();
  void SetAllUnitsChecked(bool checked);
  bool AnyUnitChecked() const;
  bool ProjectMode() const;
  QString ProjectFolder() const;
  void ApplyStoredPosition(int left, int top);
  QString OptionsTitle() const;

  QString product_name_;
  TReplaceOptions* options_ = nullptr;
  QString project_file_;
  bool backup_touched_ = false;
  bool position_stored_ = false;
};

}  // namespace mirel
