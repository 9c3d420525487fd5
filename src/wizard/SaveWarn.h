// The confirmation asked before the expert saves the project for a replace,
// or closes it and overwrites files for a restore, with a check box that
// switches the question off for good.
//
// Four switches live in the wizard's settings section, one per case:
//   "ReplaceProjWarn" (project, replace)  "RestoreProjWarn" (project, restore)
//   "ReplaceDirWarn"  (folder, replace)   "RestoreDirWarn"  (folder, restore)
// True or missing means ask; false means go ahead without asking. Only a Yes
// answer writes a switch (false when "Don't ask me this again" was checked).
#pragma once

#include <QDialog>

#include "rtl/IniFiles.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace mirel {

class TSaveWarnForm : public QDialog {
  Q_OBJECT

 public:
  explicit TSaveWarnForm(QWidget* owner = nullptr);

  QLabel* Image1;
  QLabel* lblWarn;
  QLabel* Label2;
  QLabel* lblNote;
  QCheckBox* chkDontAsk;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;

  /// Fixes the designed size, grown with the font so no text is clipped;
  /// call after the texts are set.
  void FitSize();

 protected:
  void FormCreate();
};

/// The name of the switch for the two flags.
QStringView WarnSwitchName(bool projectFlag, bool restoreFlag);

/// Asks (unless switched off) and answers true to go ahead. caption is the
/// options' Title: the dialog's caption and the settings section; keyName
/// is the expert's caption, naming the settings store (OpenWizardSettings).
/// The window's close button and Esc count as No.
bool ConfirmWithWarning(const QString& caption, bool projectFlag, const QString& keyName,
                        bool restoreFlag);
/// The same over a store the caller opened (borrowed for the call).
bool ConfirmWithWarning(TCustomIniFile& store, const QString& caption, bool projectFlag,
                        bool restoreFlag);

}  // namespace mirel
