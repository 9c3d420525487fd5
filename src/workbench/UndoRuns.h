// How the workbench learns that a replace ran: by the undo file the run left.
//
// A run writes "RExpert.reu" into its backup folder, which is "RBackup" under
// the project's folder unless the user chose another, and a later run into
// the same folder writes "RBackup/2/RExpert.reu", "RBackup/3/...". The
// workbench takes a TUndoSnapshot of the project's folder before it runs a
// menu item's handler and another after; the newest undo file that is new
// or was rewritten in between is the run that handler made. Only the first
// kUndoSearchDepth levels are searched, which covers the default backup
// folder and its numbered folders without walking a large source tree; a
// backup folder elsewhere is reached through TWorkbenchWindow::ShowChanges.
#pragma once

#include <QString>
#include <filesystem>
#include <map>
#include <utility>
#include <vector>

namespace mirel {

/// Levels below the project folder searched for undo files: the undo file
/// of "RBackup/2/RExpert.reu" lies at level 3.
inline constexpr int kUndoSearchDepth = 3;

/// The undo files in and below a folder, with what identifies their
/// contents (modification time and size).
class TUndoSnapshot {
 public:
  TUndoSnapshot() = default;
  /// Looks through folder and kUndoSearchDepth levels below it (symbolic
  /// links to folders are not followed); an unreadable folder counts as empty.
  static TUndoSnapshot Take(const QString& folder);

  /// The newest undo file of this snapshot (the later one) that is missing
  /// from before or differs from it; empty when there is none.
  QString NewestSince(const TUndoSnapshot& before) const;
  int Count() const { return static_cast<int>(files_.size()); }

 private:
  struct Stamp {
    std::filesystem::file_time_type time;
    std::uintmax_t size = 0;
    bool operator==(const Stamp&) const = default;
  };
  std::map<std::filesystem::path, Stamp> files_;
};

/// One line of an undo file: a changed file and the backup of its original.
struct TUndoEntry {
  QString Original;
  QString Backup;
};

/// The lines of an undo file, in its order, a file named twice listed once.
/// Throws EFOpenError naming the file when it cannot be read.
std::vector<TUndoEntry> ReadUndoEntries(const QString& undoFile);

/// True when the run's changes are no longer on disk: the undo file is gone,
/// names nothing, or every original it names has its backup's bytes again
/// (a restore copied them back).
bool RunWasUndone(const QString& undoFile);

}  // namespace mirel
