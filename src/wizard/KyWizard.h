// TKyWizardForm: the wizard dialog the expert shows. It adds to TWizardForm
// a third mode (replace ADO components; GetMode 1), the side picture, and a
// link on the first page that opens a mail to the maker about migrating from
// other component families.
//
// The mode last used is remembered: besides "ReplaceMode" (which says only
// whether the BDE mode was chosen) it stores "ReplaceADO", so a use that
// ended in ADO mode opens in ADO mode next time rather than in restore mode.
#pragma once

#include "wizard/Wizard.h"

namespace mirel {

class TKyWizardForm : public TWizardForm {
  Q_OBJECT

 public:
  explicit TKyWizardForm(QWidget* owner = nullptr);

  /// 100 for restore, 1 for ADO, 0 for BDE.
  int GetMode() override;
  void LoadSettings(TCustomIniFile& ini, StringView section) override;
  void SaveSettings(TCustomIniFile& ini, StringView section) override;

  /// The link's address: a mail to the support address with a subject.
  static QUrl MailUrl();

  QRadioButton* rbModeReplaceADO;
  QLabel* lbMail;

 protected:
  void FormShow() override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;

  void lbMailClick();
  void lbMailMouseMove();
  void Step1SheetMouseMove();
  void FormMouseMove();

 private:
  void SetLinkColor(const QColor& color);
  void PaintPicture();
};

}  // namespace mirel
