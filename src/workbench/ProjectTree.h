// The project panel's tree (objectName "projectTree"): the open project's
// file on top, below it every entry of its module list in the project's
// order, and under a unit the form file found beside it. Entries missing on
// disk are listed, greyed and marked "(missing)".
#pragma once

#include <QTreeWidget>

namespace mirel {

class TDiskProjectHost;

class TProjectTree : public QTreeWidget {
  Q_OBJECT
 public:
  /// Data roles of every item.
  static constexpr int kFileRole = Qt::UserRole;      // full path (QString)
  static constexpr int kFormRole = Qt::UserRole + 1;  // a form file (bool)

  explicit TProjectTree(QWidget* parent = nullptr);

  /// Shows the project open in host (empty when none); host is only read.
  void Fill(TDiskProjectHost& host);
  /// The item of file (exact path), or nullptr.
  QTreeWidgetItem* ItemOf(const QString& file) const;

 signals:
  /// An item was double-clicked or activated with the keyboard.
  void FileActivated(const QString& file, bool form);
};

}  // namespace mirel
