// The widgets of TWizardForm: actions, the seven pages, the button row, and
// the dialog's fixed size. Behaviour lives in Wizard.cpp.
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "wizard/RExpertRes.h"
#include "wizard/Wizard.h"

namespace mirel {

namespace {

// The dialog was designed for a 468 x 324 client area with an 8-point
// system font whose lines are 13 pixels high.
constexpr int kDesignWidth = 468;
constexpr int kDesignHeight = 324;
constexpr double kDesignLineHeight = 13.0;
constexpr int kPictureWidth = 120;
constexpr int kPictureHeight = 260;

template <class W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QLabel* MakeLabel(QWidget* parent, const char* name, QStringView text, bool wrap = false) {
  auto* label = Named(new QLabel(text.toString(), parent), name);
  label->setWordWrap(wrap);
  return label;
}

QLabel* MakeStepLabel(QWidget* parent, const char* name, QStringView text) {
  QLabel* label = MakeLabel(parent, name, text);
  QFont bold = label->font();
  bold.setBold(true);
  label->setFont(bold);
  return label;
}

QWidget* MakePage(QStackedWidget* stack, const char* name) {
  auto* page = Named(new QWidget(stack), name);
  stack->addWidget(page);
  return page;
}

// A row of a label, an editor and a button, with the label's accelerator
// focusing the editor.
QHBoxLayout* EditorRow(QLabel* label, QWidget* editor, QPushButton* button) {
  label->setBuddy(editor);
  auto* row = new QHBoxLayout;
  row->addWidget(editor, 1);
  row->addWidget(button);
  return row;
}

}  // namespace

double DesignScale(const QWidget& widget) {
  return std::max(1.0, widget.fontMetrics().height() / kDesignLineHeight);
}

void TWizardForm::CreateActions() {
  actMakeBackup = Named(new QAction(res::sMakeBackup.toString(), this), "actMakeBackup");
  actMakeBackup->setCheckable(true);
  actMakeBackup->setChecked(true);
  actFinish = Named(new QAction(res::sFinish.toString(), this), "actFinish");
  actNext = Named(new QAction(res::sNext.toString(), this), "actNext");
  actBack = Named(new QAction(res::sBack.toString(), this), "actBack");
  actWriteLog = Named(new QAction(res::sWriteLog.toString(), this), "actWriteLog");
  actWriteLog->setCheckable(true);
  actWriteLog->setChecked(true);
}

void TWizardForm::CreatePages() {
  PageControl = Named(new QStackedWidget(this), "PageControl");

  // Step 1: mode.
  Step1Sheet = MakePage(PageControl, "Step1Sheet");
  Label1 = MakeLabel(Step1Sheet, "Label1", res::sWelcomeTitle);
  QFont titleFont = Label1->font();
  titleFont.setBold(true);
  Label1->setFont(titleFont);
  Label1->setAlignment(Qt::AlignHCenter);
  Label2 = MakeLabel(Step1Sheet, "Label2", u"", true);
  Label11 = MakeLabel(Step1Sheet, "Label11", res::sBackupAdvice, true);
  Label3 = MakeStepLabel(Step1Sheet, "Label3", res::sStep1);
  rbModeReplace =
      Named(new QRadioButton(res::sModeReplaceBde.toString(), Step1Sheet), "rbModeReplace");
  rbModeRestore =
      Named(new QRadioButton(res::sModeRestore.toString(), Step1Sheet), "rbModeRestore");
  rbModeReplace->setChecked(true);
  ModeGroup = new QButtonGroup(this);
  ModeGroup->setObjectName(QStringLiteral("ModeGroup"));
  ModeGroup->addButton(rbModeReplace);
  ModeGroup->addButton(rbModeRestore);
  {
    auto* page = new QVBoxLayout(Step1Sheet);
    page->addWidget(Label1);
    page->addWidget(Label2);
    page->addWidget(Label11);
    page->addSpacing(6);
    page->addWidget(Label3);
    ModeLayout = new QVBoxLayout;
    ModeLayout->setContentsMargins(12, 0, 0, 0);
    ModeLayout->addWidget(rbModeReplace);
    ModeLayout->addWidget(rbModeRestore);
    page->addLayout(ModeLayout);
    page->addStretch(1);
  }

  // Step 2, restore: the undo file.
  Step2RestoreSheet = MakePage(PageControl, "Step2RestoreSheet");
  Label4 = MakeStepLabel(Step2RestoreSheet, "Label4", res::sStep2Restore);
  lUndo = MakeLabel(Step2RestoreSheet, "lUndo", res::sUndoLabel);
  edUndoFile = Named(new QLineEdit(Step2RestoreSheet), "edUndoFile");
  btRestoreBrowse =
      Named(new QPushButton(res::sRestoreBrowse.toString(), Step2RestoreSheet), "btRestoreBrowse");
  Label5 = MakeLabel(Step2RestoreSheet, "Label5", res::sUndoNote, true);
  {
    auto* page = new QVBoxLayout(Step2RestoreSheet);
    page->addWidget(Label4);
    page->addSpacing(6);
    page->addWidget(lUndo);
    page->addLayout(EditorRow(lUndo, edUndoFile, btRestoreBrowse));
    page->addSpacing(6);
    page->addWidget(Label5);
    page->addStretch(1);
  }

  // Step 2, replace: where the files are.
  Step2ReplaceSheet = MakePage(PageControl, "Step2ReplaceSheet");
  Label6 = MakeStepLabel(Step2ReplaceSheet, "Label6", res::sStep2Replace);
  rbDestProject =
      Named(new QRadioButton(res::sDestProject.toString(), Step2ReplaceSheet), "rbDestProject");
  rbDestFolder =
      Named(new QRadioButton(res::sDestFolder.toString(), Step2ReplaceSheet), "rbDestFolder");
  rbDestProject->setChecked(true);
  Label7 = MakeLabel(Step2ReplaceSheet, "Label7", res::sDestNote, true);
  {
    auto* page = new QVBoxLayout(Step2ReplaceSheet);
    page->addWidget(Label6);
    page->addSpacing(6);
    auto* buttons = new QVBoxLayout;
    buttons->setContentsMargins(12, 0, 0, 0);
    buttons->addWidget(rbDestProject);
    buttons->addWidget(rbDestFolder);
    page->addLayout(buttons);
    page->addSpacing(6);
    page->addWidget(Label7);
    page->addStretch(1);
  }

  // Step 3, project: the units.
  Step3ProjSheet = MakePage(PageControl, "Step3ProjSheet");
  Label8 = MakeStepLabel(Step3ProjSheet, "Label8", res::sStep3Proj);
  lbModules = Named(new QListWidget(Step3ProjSheet), "lbModules");
  btSelect = Named(new QPushButton(res::sSelectAll.toString(), Step3ProjSheet), "btSelect");
  btDeselect = Named(new QPushButton(res::sDeselectAll.toString(), Step3ProjSheet), "btDeselect");
  {
    auto* page = new QVBoxLayout(Step3ProjSheet);
    page->addWidget(Label8);
    page->addWidget(lbModules, 1);
    auto* row = new QHBoxLayout;
    row->addWidget(btSelect);
    row->addWidget(btDeselect);
    row->addStretch(1);
    page->addLayout(row);
  }

  // Step 3, folder.
  Step3DirSheet = MakePage(PageControl, "Step3DirSheet");
  Label9 = MakeStepLabel(Step3DirSheet, "Label9", res::sStep3Dir);
  lSource = MakeLabel(Step3DirSheet, "lSource", res::sTargetFolder);
  cbDirectory = Named(new QComboBox(Step3DirSheet), "cbDirectory");
  cbDirectory->setEditable(true);
  cbDirectory->setInsertPolicy(QComboBox::NoInsert);
  btBrowseFolder = Named(new QPushButton(res::sBrowse.toString(), Step3DirSheet), "btBrowseFolder");
  chSubDirs = Named(new QCheckBox(res::sSubDirs.toString(), Step3DirSheet), "chSubDirs");
  {
    auto* page = new QVBoxLayout(Step3DirSheet);
    page->addWidget(Label9);
    page->addSpacing(6);
    page->addWidget(lSource);
    page->addLayout(EditorRow(lSource, cbDirectory, btBrowseFolder));
    page->addWidget(chSubDirs);
    page->addStretch(1);
  }

  // Step 4: advanced options, in a backup frame and a log frame.
  Step4Sheet = MakePage(PageControl, "Step4Sheet");
  Label10 = MakeStepLabel(Step4Sheet, "Label10", res::sStep4);
  auto* backupGroup = Named(new QGroupBox(Step4Sheet), "BackupGroup");
  chMakeBackup = Named(new QCheckBox(res::sMakeBackup.toString(), backupGroup), "chMakeBackup");
  chMakeBackup->setChecked(true);
  lBackupFolder = MakeLabel(backupGroup, "lBackupFolder", res::sBackupFolder);
  cbBackupDir = Named(new QComboBox(backupGroup), "cbBackupDir");
  cbBackupDir->setEditable(true);
  cbBackupDir->setInsertPolicy(QComboBox::NoInsert);
  btBrowseBackFolder =
      Named(new QPushButton(res::sBrowse.toString(), backupGroup), "btBrowseBackFolder");
  {
    auto* group = new QVBoxLayout(backupGroup);
    group->addWidget(chMakeBackup);
    group->addWidget(lBackupFolder);
    group->addLayout(EditorRow(lBackupFolder, cbBackupDir, btBrowseBackFolder));
  }
  auto* logGroup = Named(new QGroupBox(Step4Sheet), "LogGroup");
  chWriteLog = Named(new QCheckBox(res::sWriteLog.toString(), logGroup), "chWriteLog");
  chWriteLog->setChecked(true);
  lblLogNote = MakeLabel(logGroup, "lblLogNote", res::sLogNote, true);
  chViewLog = Named(new QCheckBox(res::sViewLog.toString(), logGroup), "chViewLog");
  {
    auto* group = new QVBoxLayout(logGroup);
    group->addWidget(chWriteLog);
    group->addWidget(lblLogNote);
    group->addWidget(chViewLog);
  }
  {
    auto* page = new QVBoxLayout(Step4Sheet);
    page->addWidget(Label10);
    page->addWidget(backupGroup);
    page->addWidget(logGroup);
    page->addStretch(1);
  }

  // Final step: the summary.
  FinalStepSheet = MakePage(PageControl, "FinalStepSheet");
  Label13 = MakeStepLabel(FinalStepSheet, "Label13", res::sStep5);
  Label15 = MakeLabel(FinalStepSheet, "Label15", res::sFinalAdvice, true);
  Label14 = MakeLabel(FinalStepSheet, "Label14", res::sSummaryLabel);
  sbSummary = Named(new QScrollArea(FinalStepSheet), "sbSummary");
  lSummary = MakeLabel(nullptr, "lSummary", u"");
  lSummary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
  lSummary->setMargin(4);
  sbSummary->setWidget(lSummary);
  sbSummary->setWidgetResizable(true);
  {
    auto* page = new QVBoxLayout(FinalStepSheet);
    page->addWidget(Label13);
    page->addWidget(Label15);
    page->addWidget(Label14);
    page->addWidget(sbSummary, 1);
  }
}

void TWizardForm::CreateButtons() {
  btPrev = Named(new QPushButton(res::sBack.toString(), this), "btPrev");
  btNext = Named(new QPushButton(res::sNext.toString(), this), "btNext");
  btFinish = Named(new QPushButton(res::sFinish.toString(), this), "btFinish");
  btCancel = Named(new QPushButton(res::sCancel.toString(), this), "btCancel");
  // Enter must not press a button the user did not aim at.
  for (QPushButton* b : {btPrev, btNext, btFinish, btCancel}) {
    b->setAutoDefault(false);
    b->setDefault(false);
  }

  Image1 = Named(new QLabel(this), "Image1");
  Image1->setFrameShape(QFrame::Panel);
  Image1->setFrameShadow(QFrame::Sunken);
  Image1->setAlignment(Qt::AlignCenter);

  auto* separator = Named(new QFrame(this), "Bevel1");
  separator->setFrameShape(QFrame::HLine);
  separator->setFrameShadow(QFrame::Sunken);

  auto* top = new QHBoxLayout;
  top->addWidget(Image1, 0, Qt::AlignTop);
  top->addWidget(PageControl, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btPrev);
  buttons->addWidget(btNext);
  buttons->addSpacing(8);
  buttons->addWidget(btFinish);
  buttons->addWidget(btCancel);
  auto* root = new QVBoxLayout(this);
  root->addLayout(top, 1);
  root->addWidget(separator);
  root->addLayout(buttons);

  // Focus order: the page, Next, Finish, Back, Cancel.
  setTabOrder(PageControl, btNext);
  setTabOrder(btNext, btFinish);
  setTabOrder(btFinish, btPrev);
  setTabOrder(btPrev, btCancel);
}

void TWizardForm::FitSize() {
  const double scale = DesignScale(*this);
  Image1->setFixedSize(qRound(kPictureWidth * scale) + 2 * Image1->frameWidth(),
                       qRound(kPictureHeight * scale) + 2 * Image1->frameWidth());
  setMinimumSize(0, 0);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  layout()->activate();
  int width = std::max(qRound(kDesignWidth * scale), layout()->minimumSize().width());
  int height = std::max(qRound(kDesignHeight * scale), layout()->totalHeightForWidth(width));
  height = std::max(height, layout()->minimumSize().height());
  setFixedSize(width, height);
}

}  // namespace mirel
