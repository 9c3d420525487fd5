// The confirmation before a replace or a restore, and its four switches.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "support/ScriptedDialogs.h"
#include "wizard/Dialogs.h"
#include "wizard/SaveWarn.h"
#include "wizard/SettingsStore.h"

namespace mirel::testing {
namespace {

const QString kTitle = QStringLiteral("BDE/ADO Migration Wizard");

class SaveWarn : public ::testing::Test {
 protected:
  ScriptedDialogs dialogs;
  TMemIniFile store;
  struct Seen {
    QString caption, warn, note;
    bool dontAskChecked = true;
    bool iconShown = false;
  } seen;

  void SetUp() override { SetDialogServices(&dialogs); }
  void TearDown() override {
    SetDialogServices(nullptr);
    EXPECT_TRUE(dialogs.dialogs.empty()) << "the question was not asked";
  }

  // Queues an answer: the user looks, may tick the box, then presses a key
  // or a button, or closes the window.
  enum Answer { kYes, kNo, kEnter, kEsc, kClose };
  void WillAnswer(Answer answer, bool dontAsk) {
    dialogs.dialogs.push_back([this, answer, dontAsk](QDialog& d) {
      auto& form = static_cast<TSaveWarnForm&>(d);
      seen = {form.windowTitle(), form.lblWarn->text(), form.lblNote->text(),
              form.chkDontAsk->isChecked(), !form.Image1->pixmap().isNull()};
      if (dontAsk) QTest::mouseClick(form.chkDontAsk, Qt::LeftButton);
      switch (answer) {
        case kYes:
          QTest::mouseClick(form.OKBtn, Qt::LeftButton);
          break;
        case kNo:
          QTest::mouseClick(form.CancelBtn, Qt::LeftButton);
          break;
        case kEnter:
          QTest::keyClick(&form, Qt::Key_Return);
          break;
        case kEsc:
          QTest::keyClick(&form, Qt::Key_Escape);
          break;
        case kClose:
          form.close();
          break;
      }
      return form.result();
    });
  }
  bool Ask(bool project, bool restore) {
    return ConfirmWithWarning(store, kTitle, project, restore);
  }
  String Switch(const char16_t* name) { return store.ReadString(S(kTitle), name, u"<missing>"); }
};

TEST_F(SaveWarn, EachCaseHasItsTextsAndSwitch) {
  struct Case {
    bool project, restore;
    const char16_t* name;
    const char* warn;
    const char* note;
  } cases[] = {
      {true, false, u"ReplaceProjWarn", "Current project will be saved. Continue?",
       "Project forms will be hidden."},
      {false, false, u"ReplaceDirWarn", "Current project will be saved. Continue?",
       "Current project will be closed."},
      {true, true, u"RestoreProjWarn", "Old files will be restored from backup. Continue?",
       "Current project will be closed."},
      {false, true, u"RestoreDirWarn", "Old files will be restored from backup. Continue?",
       "Current project will be closed."},
  };
  for (const Case& c : cases) {
    WillAnswer(kYes, false);
    EXPECT_TRUE(Ask(c.project, c.restore));
    EXPECT_EQ(kTitle, seen.caption);
    EXPECT_EQ(c.warn, seen.warn.toStdString());
    EXPECT_EQ(c.note, seen.note.toStdString());
    EXPECT_FALSE(seen.dontAskChecked);
    EXPECT_TRUE(seen.iconShown);
    EXPECT_EQ(u"1", Switch(c.name)) << "Yes without the check stores true";
  }
}

TEST_F(SaveWarn, NoEscAndTheCloseButtonStoreNothingAndAskAgain) {
  for (Answer no : {kNo, kEsc, kClose}) {
    WillAnswer(no, true);
    EXPECT_FALSE(Ask(true, false));
    EXPECT_EQ(u"<missing>", Switch(u"ReplaceProjWarn"));
  }
  WillAnswer(kEnter, false);
  EXPECT_TRUE(Ask(true, false)) << "Enter is Yes";
}

TEST_F(SaveWarn, YesWithTheCheckSwitchesOnlyThatQuestionOff) {
  WillAnswer(kYes, true);
  EXPECT_TRUE(Ask(false, true));
  EXPECT_EQ(u"0", Switch(u"RestoreDirWarn"));
  EXPECT_TRUE(Ask(false, true)) << "answered without asking";
  EXPECT_TRUE(Ask(false, true));

  // The replace question is still asked, and switching it off leaves the
  // restore switch as it was.
  WillAnswer(kNo, false);
  EXPECT_FALSE(Ask(true, false));
  WillAnswer(kYes, true);
  EXPECT_TRUE(Ask(true, false));
  EXPECT_TRUE(Ask(true, false));
  EXPECT_EQ(u"0", Switch(u"ReplaceProjWarn"));
  EXPECT_EQ(u"<missing>", Switch(u"ReplaceDirWarn"));
  EXPECT_EQ(u"<missing>", Switch(u"RestoreProjWarn"));
}

TEST_F(SaveWarn, TheSwitchesLiveInTheExpertsSettingsStore) {
  WillAnswer(kYes, true);
  EXPECT_TRUE(ConfirmWithWarning(kTitle, true, QStringLiteral("&Mirel"), false));
  auto stored = OpenWizardSettings(u"&Mirel");
  EXPECT_FALSE(stored->ReadBool(S(kTitle), u"ReplaceProjWarn", true));
  EXPECT_TRUE(ConfirmWithWarning(kTitle, true, QStringLiteral("&Mirel"), false));
  // Another expert's store is another store.
  WillAnswer(kNo, false);
  EXPECT_FALSE(ConfirmWithWarning(kTitle, true, QStringLiteral("&Other"), false));
  stored->EraseSection(S(kTitle));
}

}  // namespace
}  // namespace mirel::testing
