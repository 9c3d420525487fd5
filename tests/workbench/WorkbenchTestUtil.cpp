#include "WorkbenchTestUtil.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include "workbench/ProjectTree.h"

namespace mirel::testing {

namespace {

std::string ItemText(QTreeWidgetItem* item) {
  std::string r = item->text(0).toStdString();
  if (item->childCount() == 0) return r;
  r += "[";
  for (int i = 0; i < item->childCount(); ++i) r += (i ? " " : "") + ItemText(item->child(i));
  return r + "]";
}

std::string MenuText(QMenu* menu) {
  std::string r = menu->title().remove(QLatin1Char('&')).toStdString() + "(";
  bool first = true;
  for (QAction* a : menu->actions()) {
    r += first ? "" : ",";
    first = false;
    if (a->isSeparator())
      r += "-";
    else if (a->menu())
      r += MenuText(a->menu());
    else
      r += a->text().remove(QLatin1Char('&')).toStdString();
  }
  return r + ")";
}

}  // namespace

std::string TreeText(TWorkbenchWindow& window) {
  auto* tree = window.findChild<QTreeWidget*>(QStringLiteral("projectTree"));
  EXPECT_NE(tree, nullptr);
  std::string r;
  for (int i = 0; tree && i < tree->topLevelItemCount(); ++i)
    r += (i ? " " : "") + ItemText(tree->topLevelItem(i));
  return r;
}

std::string MenuBarText(TWorkbenchWindow& window) {
  std::string r;
  for (QAction* a : window.menuBar()->actions())
    if (a->menu()) r += (r.empty() ? "" : " ") + MenuText(a->menu());
  return r;
}

std::string TabsText(TWorkbenchWindow& window) {
  auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("editorTabs"));
  EXPECT_NE(tabs, nullptr);
  std::string r;
  for (int i = 0; tabs && i < tabs->count(); ++i) {
    const std::string t = tabs->tabText(i).toStdString();
    r += (i ? " " : "") + (i == tabs->currentIndex() ? "[" + t + "]" : t);
  }
  return r;
}

std::string MessagesText(TWorkbenchWindow& window) {
  auto* list = window.findChild<QListWidget*>(QStringLiteral("messagesList"));
  EXPECT_NE(list, nullptr);
  std::string r;
  for (int i = 0; list && i < list->count(); ++i) r += list->item(i)->text().toStdString() + "\n";
  return r;
}

QAction* FindAction(TWorkbenchWindow& window, const QString& name) {
  return window.findChild<QAction*>(name);
}

void DoubleClickTreeItem(TWorkbenchWindow& window, const QString& file) {
  auto* tree = window.findChild<TProjectTree*>(QStringLiteral("projectTree"));
  ASSERT_NE(tree, nullptr);
  QTreeWidgetItem* item = tree->ItemOf(file);
  ASSERT_NE(item, nullptr) << file.toStdString();
  tree->scrollToItem(item);
  const QPoint at = tree->visualItemRect(item).center();
  // The first click selects, the double click activates, as with a mouse.
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
}

}  // namespace mirel::testing
