// Renders every page of the wizard dialog and the confirmation dialog into
// PNG files, over a copy of the example project, exactly as a user sees them
// at the current scale (QT_SCALE_FACTOR). Used by `make screenshots`.
//
//   mirel-wizard-shots OUTDIR [--first-page-only] [--suffix TEXT]
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <filesystem>

#include "host/DiskProjectHost.h"
#include "replace/KyReplacer.h"
#include "wizard/Dialogs.h"
#include "wizard/KyWizard.h"
#include "wizard/RExpertRes.h"
#include "wizard/SaveWarn.h"

using namespace mirel;

namespace {

// Answers the confirmation by photographing it.
class ShotDialogs : public TQtDialogServices {
 public:
  QString file;
  int ExecDialog(QDialog& dialog) override {
    dialog.show();
    QApplication::processEvents();
    dialog.grab().save(file);
    dialog.hide();
    return QDialog::Rejected;
  }
};

void Save(QWidget& w, const QString& file) {
  QApplication::processEvents();
  if (!w.grab().save(file)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    std::exit(1);
  }
  std::printf("%s\n", qPrintable(file));
}

void Click(QAbstractButton* b) {
  QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() < 2 || args.contains(QStringLiteral("--help"))) {
    std::fprintf(stderr, "usage: mirel-wizard-shots OUTDIR [--first-page-only] [--suffix TEXT]\n");
    return 2;
  }
  const QString out = args[1];
  const bool firstOnly = args.contains(QStringLiteral("--first-page-only"));
  const int suffixAt = args.indexOf(QStringLiteral("--suffix"));
  const QString suffix = suffixAt > 0 && suffixAt + 1 < args.size() ? args[suffixAt + 1] : "";
  QDir().mkpath(out);
  const auto name = [&](const char* page) {
    return QDir(out).filePath(QStringLiteral("wizard-%1%2.png").arg(page, suffix));
  };

  // A private copy of the example project, so the pages show real units.
  QTemporaryDir tmp;
  const std::filesystem::path project = std::filesystem::path(tmp.path().toStdString()) / "OrderDesk";
  std::filesystem::copy(MIREL_EXAMPLES_DIR "/bde", project);
  TDiskProjectHost host;
  host.Open(FromUtf8((project / "OrderDesk.dpr").string()));
  host.Install();
  TProfilesScope profiles;

  ShotDialogs dialogs;
  SetDialogServices(&dialogs);
  TKyWizardForm form;
  form.SetProductName(QStringLiteral("Mirel"));
  form.SetOptions(&SharedOptions());
  form.SetWelcomeText(Q(SharedOptions().Name()), QStringLiteral("Mirel"));
  form.show();
  Save(form, name("1-mode"));
  if (firstOnly) return 0;

  QTest::mouseClick(form.btNext, Qt::LeftButton);
  Save(form, name("2-location"));
  QTest::mouseClick(form.btNext, Qt::LeftButton);
  form.lbModules->item(3)->setCheckState(Qt::Unchecked);
  Save(form, name("3-units"));
  QTest::mouseClick(form.btNext, Qt::LeftButton);
  Save(form, name("4-options"));
  QTest::mouseClick(form.btNext, Qt::LeftButton);
  Save(form, name("5-summary"));

  // The folder page and the restore pages.
  QTest::mouseClick(form.btPrev, Qt::LeftButton);
  QTest::mouseClick(form.btPrev, Qt::LeftButton);
  QTest::mouseClick(form.btPrev, Qt::LeftButton);
  Click(form.rbDestFolder);
  QTest::mouseClick(form.btNext, Qt::LeftButton);
  form.cbDirectory->setEditText(QString::fromStdString(project.string()));
  Save(form, name("3-folder"));
  QTest::mouseClick(form.btPrev, Qt::LeftButton);
  QTest::mouseClick(form.btPrev, Qt::LeftButton);
  Click(form.rbModeRestore);
  QTest::mouseClick(form.btNext, Qt::LeftButton);
  form.edUndoFile->setText(QString::fromStdString((project / "RBackup" / "RExpert.reu").string()));
  Save(form, name("2-restore"));

  dialogs.file = name("confirm");
  ConfirmWithWarning(QStringLiteral("BDE/ADO Migration Wizard"), true,
                     QStringLiteral("&Mirel-screenshots"), false);
  std::printf("%s\n", qPrintable(dialogs.file));
  return 0;
}
