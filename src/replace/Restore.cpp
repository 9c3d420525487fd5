#include "replace/Restore.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <unordered_set>

#include "files/FolderIndex.h"
#include "files/FolderLock.h"
#include "files/Paths.h"
#include "replace/RestorePaths.h"
#include "replace/RunManifest.h"
#include "replace/UndoFile.h"

namespace mirel {

namespace {

// A name beside `original` that nothing else uses, for the link that is
// then renamed over it.
String LinkNameBeside(const String& original) {
  static std::atomic<unsigned> serial{0};
  return ExtractDir(original) + u"/.~" + ExtractFileName(original).substr(0, 200) + u".restore" +
         IntToStr(::getpid()) + u"-" + IntToStr(serial++) + u".tmp";
}

// Puts backup in place of original, in one step, and keeps backup. A copy
// first: a second name of the backup would share its contents, and an
// editor that saves the restored file in place would change the backup too.
// Where no copy can be made (a full disk, a backup that cannot be read) the
// backup is given the original's name after all, which needs no space.
TFsResult PutBackupInPlace(const String& backup, const String& original, bool& linked,
                           TFileSystem& fs) {
  linked = false;
  const TFsResult copied = fs.CopyFile(backup, original, /*overwrite=*/true);
  if (copied) return copied;
  const String link = LinkNameBeside(original);
  if (!fs.LinkFile(backup, link)) return copied;
  const TFsResult moved = fs.MoveFile(link, original);
  // A rename between two names of one file does nothing, leaving the link
  // (the original was this backup already).
  if (!moved || fs.LinkStat(link).kind != TFileKind::None) (void)fs.DeleteFile(link);
  if (!moved) return copied;
  linked = true;
  return moved;
}

// Whether checksum is what this run, or a later run into the same backup
// folder, left the file named `original` (as the undo line names it) with.
bool LeftByARun(const std::string& checksum, const String& original, const std::string& ours,
                const TRunChecksums& known) {
  if (checksum == ours) return true;
  const auto sums = known.find(original);
  return sums != known.end() &&
         std::find(sums->second.begin(), sums->second.end(), checksum) != sums->second.end();
}

bool SameBytes(std::string_view bytes, const String& file, TFileSystem& fs) {
  std::string other;
  return fs.ReadFile(file, other) && other == bytes;
}

}  // namespace

bool TRestoreResult::Succeeded() const {
  for (const TRestoreItem& item : Items)
    if (item.Status != TRestoreStatus::Restored) return false;
  return true;
}

std::vector<const TRestoreItem*> TRestoreResult::With(TRestoreStatus status) const {
  std::vector<const TRestoreItem*> found;
  for (const TRestoreItem& item : Items)
    if (item.Status == status) found.push_back(&item);
  return found;
}

String DescribeRestoreItem(const TRestoreItem& item) {
  String text;
  switch (item.Status) {
    case TRestoreStatus::Restored:
      text = u"Restored: ";
      break;
    case TRestoreStatus::Changed:
      text = u"Changed since the run, not restored: ";
      break;
    case TRestoreStatus::Failed:
      text = u"Failed to restore file: ";
      break;
    case TRestoreStatus::Refused:
      text = u"Refused to restore file: ";
      break;
    case TRestoreStatus::Pending:
      text = u"Not restored: ";
      break;
  }
  text += item.Original;
  if (!item.Reason.empty() && item.Status != TRestoreStatus::Changed)
    text += u" (" + item.Reason + u")";
  return text;
}

TRestoreResult PlanRestore(const TStringList& lines, StringView undoFileName,
                           const TRestoreOptions& options, TFileSystem& fs) {
  const String undoFile = AbsolutePath(undoFileName);
  const String undoFolder = ExtractDir(undoFile);
  const String backupFolder = BackupFolderOf(undoFile, fs);
  const String workFolder = ExtractDir(backupFolder);
  TRestoreResult plan;
  TRunManifest manifest;
  plan.HasManifest = LoadRunManifest(undoFile, manifest, fs);
  if (plan.HasManifest) {
    // A manifest that names none of the undo file's files is another run's
    // (an earlier empty run whose folder this one took over, and which was
    // cut short before writing its own): it says nothing about these files.
    bool ours = false;
    for (int i = 0; i < lines.Count() && !ours; ++i) {
      TUndoPair pair;
      SplitUndoLine(lines[i], undoFolder, pair, fs);
      ours = manifest.count(pair.Original) > 0;
    }
    if (!ours) {
      plan.HasManifest = false;
      manifest.clear();
    }
  }

  std::unordered_set<String> seen;
  // Per item: the original as its line names it, and its checksum in the
  // manifest (null when not listed).
  std::vector<String> named;
  std::vector<const std::string*> checksums;
  for (int i = 0; i < lines.Count(); ++i) {
    const String& line = lines[i];
    if (line.empty()) continue;
    TUndoPair pair;
    SplitUndoLine(line, undoFolder, pair, fs);
    TRestoreItem item;
    item.Line = line;
    if (pair.Original.empty()) {
      item.Original = line;
      item.Status = TRestoreStatus::Refused;
      item.Reason = u"not a line of an undo file (original=backup)";
      plan.Items.push_back(std::move(item));
      named.emplace_back();
      checksums.push_back(nullptr);
      continue;
    }
    item.Original = ResolveAgainst(undoFolder, pair.Original);
    item.Backup = FindFileIgnoringCase(ResolveAgainst(undoFolder, pair.Backup), fs);
    const bool backupInside = IsInsideFolder(item.Backup, undoFolder);
    if (!seen.insert(item.Original).second) continue;
    const auto listed = manifest.find(pair.Original);
    named.push_back(pair.Original);
    checksums.push_back(listed == manifest.end() ? nullptr : &listed->second);
    if (!backupInside && !options.Force) {
      item.Status = TRestoreStatus::Refused;
      item.Reason = u"its backup lies outside the undo file's folder " + undoFolder;
    } else if (plan.HasManifest && listed == manifest.end() && !options.Force) {
      item.Status = TRestoreStatus::Refused;
      item.Reason =
          String(u"the run did not write it (it is not listed in ") + kRunManifestName + u")";
    } else if (!plan.HasManifest && !options.Force && !IsInsideFolder(item.Original, workFolder)) {
      item.Status = TRestoreStatus::Refused;
      item.Reason = u"it lies outside the folder " + workFolder + u", where the run worked";
    }
    plan.Items.push_back(std::move(item));
  }

  // Whatever is forced, a restore must never destroy its own way back.
  std::unordered_set<String> keep = {ResolvedPath(undoFile),
                                     ResolvedPath(RunManifestFileName(undoFile))};
  for (const TRestoreItem& item : plan.Items)
    if (!item.Backup.empty()) keep.insert(ResolvedPath(item.Backup));
  for (TRestoreItem& item : plan.Items) {
    if (item.Status != TRestoreStatus::Pending) continue;
    if (keep.count(ResolvedPath(item.Original))) {
      item.Status = TRestoreStatus::Refused;
      item.Reason = u"it is the undo file, its manifest or one of its backups";
    } else if (!fs.FileExists(item.Backup)) {
      item.Status = TRestoreStatus::Failed;
      item.Reason = u"its backup " + item.Backup + u" is missing";
      plan.BackupMissing = true;
    }
  }
  if (plan.BackupMissing) return plan;
  const TRunChecksums known =
      plan.HasManifest ? LoadRunChecksums(backupFolder, fs) : TRunChecksums();

  for (size_t k = 0; k < plan.Items.size(); ++k) {
    TRestoreItem& item = plan.Items[k];
    if (item.Status != TRestoreStatus::Pending) continue;
    item.Overwrites = fs.Exists(item.Original);
    if (!item.Overwrites || options.Force || checksums[k] == nullptr) continue;
    std::string bytes;
    if (const TFsResult r = fs.ReadFile(item.Original, bytes); !r) {
      item.Status = TRestoreStatus::Failed;
      item.Reason =
          u"it cannot be read to see whether it changed since the run (" + r.Message() + u")";
    } else if (!LeftByARun(Sha256Hex(bytes), named[k], *checksums[k], known) &&
               !SameBytes(bytes, item.Backup, fs)) {
      // Neither what a run wrote nor the backup (a restore done before).
      item.Status = TRestoreStatus::Changed;
      item.Reason = u"it has changed since the run";
    }
  }
  return plan;
}

void CarryOutRestore(TRestoreResult& plan, TFileSystem& fs) {
  if (plan.BackupMissing) return;
  for (TRestoreItem& item : plan.Items) {
    if (item.Status != TRestoreStatus::Pending) continue;
    const TFsResult r = PutBackupInPlace(item.Backup, item.Original, item.Linked, fs);
    if (r) {
      item.Status = TRestoreStatus::Restored;
    } else {
      item.Status = TRestoreStatus::Failed;
      item.Reason = r.Message();
    }
  }
}

std::vector<std::unique_ptr<TFolderLock>> LockRestoreFolders(const TStringList& lines,
                                                             StringView undoFileName,
                                                             TFileSystem& fs) {
  const String undoFile = AbsolutePath(undoFileName);
  const String undoFolder = ExtractDir(undoFile);
  const String backupFolder = BackupFolderOf(undoFile, fs);
  // The backup folder, and every folder above an original in which a run
  // has held the lock (so its lock file is there): creating lock files in
  // folders no run ever locked would only litter them.
  std::vector<String> folders = {backupFolder};
  std::unordered_set<String> looked;
  for (int i = 0; i < lines.Count(); ++i) {
    TUndoPair pair;
    SplitUndoLine(lines[i], undoFolder, pair, fs);
    if (pair.Original.empty()) continue;
    for (String folder = ExtractDir(ResolveAgainst(undoFolder, pair.Original));
         looked.insert(folder).second; folder = ExtractDir(folder)) {
      if (fs.LinkStat(CombinePath(folder, TFolderLock::kFileName)).kind == TFileKind::File)
        folders.push_back(folder);
      if (folder == u"/" || folder.empty()) break;
    }
  }
  std::vector<std::unique_ptr<TFolderLock>> locks;
  std::unordered_set<String> locked;
  for (const String& folder : folders) {
    if (!locked.insert(ResolvedPath(folder)).second) continue;
    try {
      locks.push_back(std::make_unique<TFolderLock>(folder));
    } catch (const EFCreateError&) {
      // A folder we cannot write in (backups on read-only media) is one no
      // run can change either.
    }
  }
  return locks;
}

TRestoreResult RestoreUndoLines(const TStringList& lines, StringView undoFile,
                                const TRestoreOptions& options, TFileSystem& fs) {
  const std::vector<std::unique_ptr<TFolderLock>> locks = LockRestoreFolders(lines, undoFile, fs);
  TRestoreResult result = PlanRestore(lines, undoFile, options, fs);
  if (options.OnPlan) options.OnPlan(result);
  CarryOutRestore(result, fs);
  return result;
}

TRestoreResult RestoreFromUndoFile(StringView undoFile, const TRestoreOptions& options,
                                   TFileSystem& fs) {
  TStringList lines;
  LoadUndoFile(undoFile, lines, fs);
  return RestoreUndoLines(lines, undoFile, options, fs);
}

}  // namespace mirel
