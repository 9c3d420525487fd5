#include "wizard/SaveWarn.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "wizard/Dialogs.h"
#include "wizard/RExpertRes.h"
#include "wizard/SettingsStore.h"
#include "wizard/Wizard.h"

namespace mirel {

namespace {
constexpr int kDesignWidth = 302;
constexpr int kDesignHeight = 143;
constexpr int kIconSize = 30;
}  // namespace

TSaveWarnForm::TSaveWarnForm(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("SaveWarnForm"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  lblWarn = new QLabel(this);
  lblWarn->setObjectName(QStringLiteral("lblWarn"));
  lblWarn->setWordWrap(true);
  Label2 = new QLabel(res::sNote.toString(), this);
  Label2->setObjectName(QStringLiteral("Label2"));
  lblNote = new QLabel(this);
  lblNote->setObjectName(QStringLiteral("lblNote"));
  lblNote->setWordWrap(true);
  chkDontAsk = new QCheckBox(res::sDontAsk.toString(), this);
  chkDontAsk->setObjectName(QStringLiteral("chkDontAsk"));
  auto* bevel = new QFrame(this);
  bevel->setObjectName(QStringLiteral("Bevel1"));
  bevel->setFrameShape(QFrame::HLine);
  bevel->setFrameShadow(QFrame::Sunken);
  OKBtn = new QPushButton(res::sYes.toString(), this);
  OKBtn->setObjectName(QStringLiteral("OKBtn"));
  OKBtn->setDefault(true);
  CancelBtn = new QPushButton(res::sNo.toString(), this);
  CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
  CancelBtn->setAutoDefault(false);
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

  auto* grid = new QGridLayout;
  grid->addWidget(Image1, 0, 0, 2, 1, Qt::AlignTop);
  grid->addWidget(lblWarn, 0, 1, 1, 2);
  grid->addWidget(Label2, 1, 1, Qt::AlignTop);
  grid->addWidget(lblNote, 1, 2);
  grid->setColumnStretch(2, 1);
  grid->setHorizontalSpacing(10);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  auto* root = new QVBoxLayout(this);
  root->addLayout(grid);
  root->addWidget(chkDontAsk);
  root->addStretch(1);
  root->addWidget(bevel);
  root->addLayout(buttons);

  FormCreate();
}

void TSaveWarnForm::FormCreate() {
  const int size = qRound(kIconSize * DesignScale(*this));
  Image1->setPixmap(
      style()->standardIcon(QStyle::SP_MessageBoxQuestion, nullptr, this).pixmap(size, size));
  Image1->setFixedSize(size, size);
}

void TSaveWarnForm::FitSize() {
  const double scale = DesignScale(*this);
  setMinimumSize(0, 0);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  layout()->activate();
  const int width = std::max(qRound(kDesignWidth * scale), layout()->minimumSize().width());
  const int height = std::max({qRound(kDesignHeight * scale), layout()->totalHeightForWidth(width),
                               layout()->minimumSize().height()});
  setFixedSize(width, height);
}

QStringView WarnSwitchName(bool projectFlag, bool restoreFlag) {
  if (projectFlag) return restoreFlag ? res::sValRestoreProjWarn : res::sValReplaceProjWarn;
  return restoreFlag ? res::sValRestoreDirWarn : res::sValReplaceDirWarn;
}

bool ConfirmWithWarning(TCustomIniFile& store, const QString& caption, bool projectFlag,
                        bool restoreFlag) {
  const String name = S(WarnSwitchName(projectFlag, restoreFlag));
  const String section = S(caption);
  if (!store.ReadBool(section, name, true)) return true;

  TSaveWarnForm form(QApplication::activeWindow());
  form.setWindowTitle(caption);
  form.lblWarn->setText(restoreFlag ? res::sWarnRestore.toString() : res::sWarnSave.toString());
  form.lblNote->setText(projectFlag && !restoreFlag ? res::sNoteFormsHidden.toString()
                                                    : res::sNoteProjectClosed.toString());
  form.FitSize();
  if (Dialogs().ExecDialog(form) != QDialog::Accepted) return false;
  store.WriteBool(section, name, !form.chkDontAsk->isChecked());
  store.UpdateFile();
  return true;
}

bool ConfirmWithWarning(const QString& caption, bool projectFlag, const QString& keyName,
                        bool restoreFlag) {
  const auto store = OpenWizardSettings(S(keyName));
  return ConfirmWithWarning(*store, caption, projectFlag, restoreFlag);
}

}  // namespace mirel
