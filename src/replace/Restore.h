// The restore: plays an undo file back, putting each backup in place of its
// original, without destroying anything of the user's on the way.
//
// What it does with each line of the undo file, in order:
//  - refused (TRestoreStatus::Refused): the backup lies outside the undo file's own
//    folder, or the original lies where the run did not write: not among the
//    files the run's manifest (RunManifest.h) lists, or, for an undo file
//    without a manifest, outside the folder that holds the backup folder.
//    TRestoreOptions::Force lets such a line
//    through; nothing lets a line overwrite the undo file, the manifest or a
//    backup of the undo file.
//  - skipped (TRestoreStatus::Changed): the manifest's checksum of the original differs
//    from the file on disk, which is neither what the run wrote nor the
//    backup: the user has worked on it since. Force overwrites it.
//  - restored (TRestoreStatus::Restored): the backup is copied into place, or where no
//    copy can be made (a full disk, a backup that cannot be read) given the
//    original's name as well (a hard link renamed into place, which needs no
//    space); atomically either way. The backup itself stays, so a restore can
//    be repeated.
//  - failed (TRestoreStatus::Failed): with the reason; the restore goes on with the next
//    line.
// Nothing at all is written while any backup to restore is missing (those
// lines are TRestoreStatus::Failed, the others stay TRestoreStatus::Pending).
//
// Relative paths in the undo file are relative to its folder, never to the
// current folder of the process. The backup of a line is found whatever the
// case of its name on disk. An original named by several lines is restored
// once, from the first.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "files/FileSystem.h"
#include "files/FolderLock.h"
#include "rtl/StringList.h"

namespace mirel {

enum class TRestoreStatus {
  Pending,   // to be restored (in a plan); held back when a backup is missing
  Restored,  // the backup is in place of the original
  Changed,   // not restored: changed since the run
  Failed,    // not restored: Reason says why
  Refused,   // not restored: outside where a restore may read or write
};

/// One original of the undo file and what the restore found or did.
struct TRestoreItem {
  /// The line of the undo file.
  String Line;
  /// The original's absolute path (the whole line when it holds no "=").
  String Original;
  /// The backup's absolute path, as found on disk.
  String Backup;
  TRestoreStatus Status = TRestoreStatus::Pending;
  /// Why the file was not restored; empty when it was.
  String Reason;
  /// The original exists, so restoring it overwrites a file.
  bool Overwrites = false;
  /// Restored as a second name of its backup, because no copy could be
  /// made: until either is replaced, an edit of the file in place also
  /// changes the backup.
  bool Linked = false;
};

struct TRestoreResult;

struct TRestoreOptions {
  /// Restore files changed since the run, and lines outside the folders a
  /// restore keeps to. Default off.
  bool Force = false;
  /// Called with the plan (every item TRestoreStatus::Pending or already decided) before
  /// anything is written; the CLI shows what will be overwritten. May be
  /// empty.
  std::function<void(const TRestoreResult& plan)> OnPlan;
};

/// What a restore found and did, for the command line and the GUI.
struct TRestoreResult {
  /// One per original, in undo-file order.
  std::vector<TRestoreItem> Items;
  /// The undo file had a manifest (so changed files could be recognised).
  bool HasManifest = false;
  /// A backup was missing, so nothing was written.
  bool BackupMissing = false;

  /// The undo file lists no file (a run that changed nothing).
  bool NothingToRestore() const { return Items.empty(); }
  /// Every original was restored (also when there was nothing to restore).
  bool Succeeded() const;
  /// The items with that status, in order; pointers into Items.
  std::vector<const TRestoreItem*> With(TRestoreStatus status) const;
};

/// One line for a person about item: "Restored: ", "Changed since the run,
/// not restored: ", "Failed to restore file: ", "Refused to restore file: "
/// or "Not restored: ", then the original's path, and the reason in
/// parentheses when there is one.
String DescribeRestoreItem(const TRestoreItem& item);

/// Decides, for the lines of the undo file undoFile (absolute, or relative to
/// the current folder), what a restore does with each; writes nothing.
/// Throws EFOpenError when the undo file's manifest exists but cannot be read.
TRestoreResult PlanRestore(const TStringList& lines, StringView undoFile,
                           const TRestoreOptions& options, TFileSystem& fs = TFileSystem::Real());

/// Restores the TRestoreStatus::Pending items of plan (none when a backup is missing),
/// each becoming TRestoreStatus::Restored or TRestoreStatus::Failed.
void CarryOutRestore(TRestoreResult& plan, TFileSystem& fs = TFileSystem::Real());

/// Takes the TFolderLock (files/FolderLock.h) of the undo file's backup
/// folder, and of every folder above an original that holds a lock file (a
/// folder some run has locked), so that no run changes these files while a
/// restore does. Throws EFolderLocked, naming the folder, when a run holds
/// one; a folder where no lock file can be made is passed over. The locks
/// hold until the returned objects go.
std::vector<std::unique_ptr<TFolderLock>> LockRestoreFolders(const TStringList& lines,
                                                             StringView undoFile,
                                                             TFileSystem& fs = TFileSystem::Real());

/// LockRestoreFolders, PlanRestore, options.OnPlan, CarryOutRestore; the
/// locks are held throughout. Throws EFolderLocked as LockRestoreFolders.
TRestoreResult RestoreUndoLines(const TStringList& lines, StringView undoFile,
                                const TRestoreOptions& options = {},
                                TFileSystem& fs = TFileSystem::Real());

/// Reads undoFile (LoadUndoFile) and restores it (RestoreUndoLines). Throws
/// EFOpenError when the undo file or its manifest cannot be read, and
/// EFolderLocked while a run holds one of the folders.
TRestoreResult RestoreFromUndoFile(StringView undoFile, const TRestoreOptions& options = {},
                                   TFileSystem& fs = TFileSystem::Real());

}  // namespace mirel
