// The dialog the expert shows: the ADO mode, the picture and the mail link.
#include <QPixmap>
#include <QRadioButton>

#include "WizardFixture.h"
#include "wizard/Wizard.h"

namespace mirel::testing {
namespace {

using KyWizard = WizardTest;

TEST_F(KyWizard, TheFirstModeButtonNamesBdeWhateverTheExpertSet) {
  auto& f = Show();
  EXPECT_EQ(QStringLiteral("&Replace BDE components"), f.rbModeReplace->text());
  EXPECT_EQ(QStringLiteral("Replace &ADO components"), f.rbModeReplaceADO->text());
  // Top to bottom on the page, and in that order for the keyboard.
  const QWidget* order[] = {f.Label3, f.rbModeReplace, f.rbModeReplaceADO, f.rbModeRestore,
                            f.lbMail};
  for (size_t i = 1; i < std::size(order); ++i)
    EXPECT_LT(order[i - 1]->geometry().bottom(), order[i]->geometry().top() + 1)
        << order[i]->objectName().toStdString();
  EXPECT_EQ(f.rbModeReplaceADO, f.rbModeReplace->nextInFocusChain());
  EXPECT_EQ(f.rbModeRestore, f.rbModeReplaceADO->nextInFocusChain());
}

TEST_F(KyWizard, ThreeModesOneSelectedAndTheAdoModeTakesTheReplacePath) {
  auto& f = Show();
  EXPECT_EQ(0, f.GetMode());
  Click("rbModeRestore");
  EXPECT_EQ(100, f.GetMode());
  EXPECT_EQ("Mirel Migration Wizard - Step 1 of 3", Caption());
  Click("rbModeReplaceADO");
  EXPECT_EQ("Mirel Migration Wizard - Step 1 of 5", Caption());
  EXPECT_FALSE(f.rbModeRestore->isChecked());
  EXPECT_FALSE(f.rbModeReplace->isChecked());
  Next();
  EXPECT_EQ("Step2ReplaceSheet", Page());
  Next();
  Type("cbDirectory", Q(dir.Path()));
  Next();
  Next();
  EXPECT_EQ("Mirel Migration Wizard - Step 5 of 5", Caption());
  Click("btFinish");
  EXPECT_EQ(QDialog::Accepted, f.result());
  EXPECT_EQ(1, f.GetMode());
}

TEST_F(KyWizard, TheBaseDialogKnowsOnlyReplaceAndRestore) {
  auto& f = Show<TWizardForm>();
  EXPECT_EQ(nullptr, f.findChild<QRadioButton*>(QStringLiteral("rbModeReplaceADO")));
  EXPECT_EQ(QStringLiteral("&Replace BDE/ADO components"), f.rbModeReplace->text())
      << "the caption the expert set stays";
  EXPECT_EQ(0, f.GetMode());
  Click("rbModeRestore");
  EXPECT_EQ(100, f.GetMode());
  EXPECT_TRUE(f.Image1->pixmap().isNull()) << "the base dialog's picture area is empty";
}

TEST_F(KyWizard, TheSidePictureFillsItsFrame) {
  auto& f = Show();
  const QPixmap picture = f.Image1->pixmap();
  ASSERT_FALSE(picture.isNull());
  const double scale = DesignScale(f);
  EXPECT_EQ(QSize(qRound(120 * scale), qRound(260 * scale)),
            picture.deviceIndependentSize().toSize());
}

TEST_F(KyWizard, TheLinkTurnsOrangeUnderTheMouseAndBlueOffIt) {
  auto& f = Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
  const auto color = [&] { return f.lbMail->palette().color(QPalette::WindowText); };
  EXPECT_EQ(QColor(0, 0, 255), color());
  QTest::mouseMove(f.lbMail, f.lbMail->rect().center());
  EXPECT_EQ(QColor(255, 128, 64), color());
  QTest::mouseMove(f.Step1Sheet, QPoint(2, f.Step1Sheet->height() - 3));
  EXPECT_EQ(QColor(0, 0, 255), color());
  QTest::mouseMove(f.lbMail, f.lbMail->rect().center());
  QTest::mouseMove(&f, QPoint(f.width() - 3, f.height() - 3));
  EXPECT_EQ(QColor(0, 0, 255), color());
}

TEST_F(KyWizard, ClickingTheLinkOpensAMailAndLeavesTheWizardWhereItWas) {
  auto& f = Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
  QTest::mouseMove(f.lbMail, f.lbMail->rect().center());
  QTest::mouseClick(f.lbMail, Qt::LeftButton, {}, f.lbMail->rect().center());
  ASSERT_EQ(1u, dialogs.urls.size());
  EXPECT_EQ("mailto:migration@mirel.example?subject=Migrate%20from%20another%20components",
            dialogs.urls[0].toString(QUrl::FullyEncoded).toStdString());
  EXPECT_EQ(QColor(0, 0, 255), f.lbMail->palette().color(QPalette::WindowText));
  EXPECT_TRUE(f.isVisible());
  EXPECT_EQ("Step1Sheet", Page());
  EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
}  // namespace mirel::testing
