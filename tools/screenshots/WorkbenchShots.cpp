// Renders the workbench as a user meets the wizard in it: the example
// project open with the Mirel menu pulled down, and the Changes panel after a
// replace made through the real plugin. Used by `make screenshots`.
//
//   mirel-workbench-shots OUTDIR
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <filesystem>

#include "workbench/WorkbenchWindow.h"

using namespace mirel;

namespace {

// Walks the wizard through a project replace and says yes to the question.
class WalkingDialogs : public TQtDialogServices {
 public:
  int ExecDialog(QDialog& dialog) override {
    dialog.show();
    if (auto* yes = dialog.findChild<QPushButton*>(QStringLiteral("OKBtn"))) {
      QTest::mouseClick(yes, Qt::LeftButton);
      return dialog.result();
    }
    for (const char* step : {"btNext", "btNext", "btNext", "btNext", "btFinish"})
      QTest::mouseClick(dialog.findChild<QPushButton*>(QString::fromLatin1(step)), Qt::LeftButton);
    return dialog.result();
  }
  void MessageBox(QWidget*, const QString& text, const QString&, QMessageBox::Icon) override {
    std::printf("message: %s\n", qPrintable(text));
  }
};

void Save(const QImage& image, const QString& file) {
  if (!image.save(file)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    std::exit(1);
  }
  std::printf("%s\n", qPrintable(file));
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: mirel-workbench-shots OUTDIR\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out);
  QTemporaryDir config;
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
  QTemporaryDir tmp;
  const auto project = std::filesystem::path(tmp.path().toStdString()) / "OrderDesk";
  std::filesystem::copy(MIREL_EXAMPLES_DIR "/bde", project);

  WalkingDialogs dialogs;
  TWorkbenchWindow window(&dialogs);
  window.resize(1100, 720);
  window.LoadPlugins({MIREL_PLUGIN_DIR});
  if (!window.OpenProject(QString::fromStdString((project / "OrderDesk.dpr").string()))) return 1;
  window.OpenFile(QString::fromStdString((project / "DataMod.pas").string()), false);
  window.show();
  QApplication::processEvents();

  // The product menu pulled down, painted over the window where it opens.
  QAction* wizard = window.findChild<QAction*>(QStringLiteral("RExpertItemBDE_ADOMirel"));
  QMenu* product = nullptr;
  for (QAction* top : window.menuBar()->actions())
    if (top->menu() != nullptr && top->menu()->actions().contains(wizard)) product = top->menu();
  if (product == nullptr) {
    std::fprintf(stderr, "the wizard plugin did not add its menu\n");
    return 1;
  }
  const QRect at = window.menuBar()->actionGeometry(product->menuAction());
  product->popup(window.menuBar()->mapToGlobal(at.bottomLeft()));
  product->setActiveAction(wizard);
  QApplication::processEvents();
  QImage shot = window.grab().toImage();
  {
    QPainter p(&shot);
    p.drawPixmap(window.mapFromGlobal(product->pos()), product->grab());
  }
  product->hide();
  Save(shot, QDir(out).filePath(QStringLiteral("workbench-menu.png")));

  // A replace through the plugin; then the Changes panel with one file's diff.
  wizard->trigger();
  QApplication::processEvents();
  if (auto* list = window.findChild<QListWidget*>(QStringLiteral("changesList"))) {
    for (int i = 0; i < list->count(); ++i)
      if (list->item(i)->text().endsWith(QStringLiteral("DataMod.dfm"))) list->setCurrentRow(i);
  }
  // Room for the diff: the panel takes half of the window's height.
  if (auto* dock = window.findChild<QDockWidget*>(QStringLiteral("changesPanel")))
    window.resizeDocks({dock}, {window.height() / 2}, Qt::Vertical);
  QApplication::processEvents();
  Save(window.grab().toImage(), QDir(out).filePath(QStringLiteral("workbench-changes.png")));
  return 0;
}
