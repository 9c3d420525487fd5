#include "workbench/ProjectTree.h"

#include <QFileInfo>
#include <QHeaderView>

#include "files/FolderIndex.h"
#include "files/Paths.h"
#include "host/DiskProjectHost.h"

namespace mirel {

namespace {

QTreeWidgetItem* NewItem(const QString& file, bool form) {
  auto* item = new QTreeWidgetItem;
  const QFileInfo info(file);
  const bool exists = info.isFile();
  item->setText(0, exists ? info.fileName() : QObject::tr("%1 (missing)").arg(info.fileName()));
  item->setToolTip(0, file);
  item->setData(0, TProjectTree::kFileRole, file);
  item->setData(0, TProjectTree::kFormRole, form);
  if (!exists) item->setForeground(0, QColor(Qt::gray));
  return item;
}

}  // namespace

TProjectTree::TProjectTree(QWidget* parent) : QTreeWidget(parent) {
  setObjectName(QStringLiteral("projectTree"));
  setHeaderHidden(true);
  setColumnCount(1);
  connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item, int) {
    const QString file = item->data(0, kFileRole).toString();
    if (!file.isEmpty()) emit FileActivated(file, item->data(0, kFormRole).toBool());
  });
}

void TProjectTree::Fill(TDiskProjectHost& host) {
  clear();
  std::shared_ptr<IOTAProject> project;
  if (host.GetModuleCount() > 0)
    if (auto group = Supports<IOTAProjectGroup>(host.GetModule(0)))
      project = group->ActiveProject();
  if (!project) return;
  auto* top = NewItem(QString::fromStdU16String(project->GetFileName()), false);
  addTopLevelItem(top);
  // Entry 0 is the project file itself, already on top.
  for (int i = 1; i < project->GetModuleCount(); ++i) {
    const String file = project->GetModule(i)->GetFileName();
    if (file.empty()) continue;
    auto* item = NewItem(QString::fromStdU16String(file), false);
    top->addChild(item);
    if (IsUnitFile(file)) {
      const String form = FindFormFile(file);
      if (!form.empty()) item->addChild(NewItem(QString::fromStdU16String(form), true));
    }
  }
  expandAll();
}

QTreeWidgetItem* TProjectTree::ItemOf(const QString& file) const {
  for (QTreeWidgetItemIterator it(const_cast<TProjectTree*>(this)); *it; ++it)
    if ((*it)->data(0, kFileRole).toString() == file) return *it;
  return nullptr;
}

}  // namespace mirel
