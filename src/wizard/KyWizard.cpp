#include "wizard/KyWizard.h"

#include <QButtonGroup>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QUrl>
#include <QUrlQuery>
#include <QVBoxLayout>

#include "wizard/Dialogs.h"
#include "wizard/RExpertRes.h"
#include "wizard/SideArt.h"

namespace mirel {

namespace {
const QColor kLinkBlue(0, 0, 255);
const QColor kLinkHover(255, 128, 64);
}  // namespace

TKyWizardForm::TKyWizardForm(QWidget* owner) : TWizardForm(owner) {
  setObjectName(QStringLiteral("KyWizardForm"));
  rbModeReplaceADO = new QRadioButton(res::sModeReplaceAdo.toString(), Step1Sheet);
  rbModeReplaceADO->setObjectName(QStringLiteral("rbModeReplaceADO"));
  ModeGroup->addButton(rbModeReplaceADO);
  ModeLayout->insertWidget(ModeLayout->indexOf(rbModeReplace) + 1, rbModeReplaceADO);
  setTabOrder(rbModeReplace, rbModeReplaceADO);
  setTabOrder(rbModeReplaceADO, rbModeRestore);

  lbMail = new QLabel(res::sMailLink.toString(), Step1Sheet);
  lbMail->setObjectName(QStringLiteral("lbMail"));
  QFont underlined = lbMail->font();
  underlined.setUnderline(true);
  lbMail->setFont(underlined);
  lbMail->setCursor(Qt::PointingHandCursor);
  lbMail->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
  SetLinkColor(kLinkBlue);
  auto* page = static_cast<QVBoxLayout*>(Step1Sheet->layout());
  page->insertWidget(page->indexOf(ModeLayout) + 1, lbMail, 0, Qt::AlignLeft);

  // The hover colour follows the mouse over the link, the page and the dialog.
  for (QWidget* w : {static_cast<QWidget*>(lbMail), Step1Sheet}) {
    w->setMouseTracking(true);
    w->installEventFilter(this);
  }
  setMouseTracking(true);

  FitSize();
  PaintPicture();
}

void TKyWizardForm::PaintPicture() {
  const QSize size = Image1->contentsRect().size();
  Image1->setPixmap(DrawSideArt(size, devicePixelRatioF()));
}

void TKyWizardForm::changeEvent(QEvent* event) {
  TWizardForm::changeEvent(event);
  if (event->type() == QEvent::FontChange) PaintPicture();
}

void TKyWizardForm::FormShow() {
  TWizardForm::FormShow();
  rbModeReplace->setText(res::sModeReplaceBde.toString());
  PaintPicture();
}

int TKyWizardForm::GetMode() {
  if (rbModeRestore->isChecked()) return 100;
  return rbModeReplaceADO->isChecked() ? 1 : 0;
}

void TKyWizardForm::LoadSettings(TCustomIniFile& ini, StringView section) {
  TWizardForm::LoadSettings(ini, section);
  if (!rbModeReplace->isChecked() && ini.ReadBool(section, S(res::sValReplaceAdo), false))
    rbModeReplaceADO->setChecked(true);
}

void TKyWizardForm::SaveSettings(TCustomIniFile& ini, StringView section) {
  TWizardForm::SaveSettings(ini, section);
  ini.WriteBool(section, S(res::sValReplaceAdo), rbModeReplaceADO->isChecked());
}

// --- The link ----------------------------------------------------------------------------

QUrl TKyWizardForm::MailUrl() {
  QUrl url;
  url.setScheme(QStringLiteral("mailto"));
  url.setPath(res::sSupportAddress.toString());
  QUrlQuery query;
  query.addQueryItem(QStringLiteral("subject"), res::sMailSubject.toString());
  url.setQuery(query);
  return url;
}

void TKyWizardForm::SetLinkColor(const QColor& color) {
  QPalette palette = lbMail->palette();
  palette.setColor(QPalette::WindowText, color);
  lbMail->setPalette(palette);
}

bool TKyWizardForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lbMail) {
    if (event->type() == QEvent::MouseMove) {
      // Handled here: passed on, the page would take it for a move off the link.
      lbMailMouseMove();
      return true;
    }
    if (event->type() == QEvent::Enter) {
      lbMailMouseMove();
    } else if (event->type() == QEvent::Leave) {
      Step1SheetMouseMove();
    } else if (event->type() == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
               lbMail->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
      lbMailClick();
      return true;
    }
  } else if (watched == Step1Sheet && event->type() == QEvent::MouseMove) {
    Step1SheetMouseMove();
  }
  return TWizardForm::eventFilter(watched, event);
}

void TKyWizardForm::mouseMoveEvent(QMouseEvent* event) {
  FormMouseMove();
  TWizardForm::mouseMoveEvent(event);
}

void TKyWizardForm::lbMailMouseMove() {
  SetLinkColor(kLinkHover);
}

void TKyWizardForm::Step1SheetMouseMove() {
  SetLinkColor(kLinkBlue);
}

void TKyWizardForm::FormMouseMove() {
  SetLinkColor(kLinkBlue);
}

void TKyWizardForm::lbMailClick() {
  SetLinkColor(kLinkBlue);
  // A machine without a mail handler simply gets no mail window; the wizard
  // stays where it was and says nothing.
  Dialogs().OpenUrl(MailUrl());
}

}  // namespace mirel
