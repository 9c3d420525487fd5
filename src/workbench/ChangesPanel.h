// The "Changes" panel: the files a replace run changed, read from the run's
// undo file, and for the one selected the unified diff from its backup to
// the file on disk now (binary forms compared as form text).
//
// Children by objectName: "changesTitle" (QLabel: the run's undo file),
// "changesList" (QListWidget: one row per changed file, its full path as
// Qt::UserRole data) and "changesDiff" (QPlainTextEdit, read only).
#pragma once

#include <QWidget>
#include <vector>

#include "workbench/UndoRuns.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;

namespace mirel {

class TChangesPanel : public QWidget {
  Q_OBJECT
 public:
  explicit TChangesPanel(QWidget* parent = nullptr);

  /// Lists the run of undoFile; names are shown relative to baseFolder when
  /// they lie below it. Throws EFOpenError (naming the file) when the undo
  /// file cannot be read; the panel is then empty.
  void ShowRun(const QString& undoFile, const QString& baseFolder);
  /// Empties the panel.
  void Clear();
  /// The undo file shown; empty when none.
  const QString& UndoFile() const { return undo_file_; }
  const std::vector<TUndoEntry>& Entries() const { return entries_; }

 private:
  void ShowDiff(int row);

  QLabel* title_;
  QListWidget* list_;
  QPlainTextEdit* diff_;
  QString undo_file_;
  std::vector<TUndoEntry> entries_;
};

}  // namespace mirel
