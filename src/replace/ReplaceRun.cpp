// The replace run over a project or a folder, and the restore from an undo
// file: the operations of TComponentReplacer that touch originals.
//
// The order of a run is what keeps users' files safe: every file is first
// converted into a private temporary folder; the original of each changed
// file is backed up (a second name for it in the backup folder where the file
// system allows, else a copy); the backups reach the disk and the undo file
// is written; and only then are originals replaced, each one atomically. A
// failure before that point leaves every original as it was.
#include <algorithm>
#include <deque>
#include <memory>
#include <unordered_set>
#include <vector>

#include "files/FileUtils.h"
#include "ide/IDEUtils.h"
#include "replace/FileNames.h"
#include "replace/Replacer.h"
#include "replace/UndoFile.h"
#include "replace/WorkerPool.h"
#include "rtl/Hooks.h"

namespace mirel {

namespace {

bool IsUnitFile(StringView name) {
  const String ext = UpperCase(ExtractFileExt(name));
  return ext == u".PAS" || ext == u".DPR";
}

String Format(StringView pattern, StringView value) {
  String out(pattern);
  const size_t at = out.find(u"%s");
  if (at != String::npos) out.replace(at, 2, value);
  return out;
}

}  // namespace

String TComponentReplacer::RunFolder() const {
  if (options_.Dest == 0) return ExtractFilePath(TIDEUtils::GetCurrentProjectFileName());
  return options_.Directory;
}

void TComponentReplacer::InitUnitList() {
  LogLine(u"Initializing unit list");
  units_.Clear();
  listed_units_count_ = -1;
  if (options_.Dest != 0) {
    AddFolderUnits(options_.Directory, options_.IncludeSubDirs);
    return;
  }
  units_.SetText(options_.UnitNames);
  const int modules = TIDEUtils::GetProjectModuleCount();
  for (int m = 0; m < modules; ++m) {
    const String module = TIDEUtils::GetProjectModuleFileName(m);
    if (module.size() < 4 || UpperCase(StringView(module).substr(module.size() - 4)) != u".PAS")
      continue;
    const String name = ExtractFileName(module);
    for (int i = 0; i < units_.Count(); ++i)
      if (SameText(ExtractFileName(units_[i]), name)) units_.SetString(i, module);
  }
}

void TComponentReplacer::AddFolderUnits(const String& folder, bool includeSubFolders) {
  std::vector<TFolderEntry> entries;
  if (!fs_->ListFolder(folder, entries))
    throw EFOpenError(u"Cannot read folder \"" + folder + u"\".");
  // Name order, so that a run is the same on every file system.
  std::sort(entries.begin(), entries.end(),
            [](const TFolderEntry& a, const TFolderEntry& b) { return a.name < b.name; });
  for (const TFolderEntry& entry : entries) {
    if (entry.name == u"." || entry.name == u"..") continue;
    const String path = CombinePath(folder, entry.name);
    if (entry.kind == TFileKind::fkFolder && includeSubFolders) {
      AddFolderUnits(path, true);
    } else if (entry.kind == TFileKind::fkFile && IsUnitFile(entry.name)) {
      units_.Add(path);
    }
  }
}

void TComponentReplacer::CreateBackupDir() {
  run_backup_dir_ = options_.BackupDir;
  if (!options_.MakeBackup) return;
  LogLine(u"Creating backup folder");
  if (!ForceFolders(options_.BackupDir, *fs_)) throw EFCreateError(u"Failed to create directory.");
  // The backups and undo file of an earlier run stay as they are: that run
  // may be the only way back to the originals. This run's set goes into the
  // first free numbered folder inside.
  if (!fs_->Exists(CombinePath(options_.BackupDir, kUndoFileName))) return;
  for (int n = 2;; ++n) {
    const String folder = CombinePath(options_.BackupDir, IntToStr(n));
    if (fs_->Exists(folder)) continue;
    if (!ForceFolders(folder, *fs_)) throw EFCreateError(u"Failed to create directory.");
    run_backup_dir_ = folder;
    LogLine(Format(u"Earlier backups kept; this run's backups go to: %s", folder));
    return;
  }
}

namespace {

// A file on its way through a run: read by the run's thread, converted on a
// worker, applied by the run's thread in file order.
struct TPendingFile {
  int Index = 0;
  String Output;  // where its converted copy goes
  std::string Bytes;
  size_t Size = 0;  // of Bytes as read
  TFsResult Read;
  TFileConversion Conversion;
  long long Ticket = 0;
};

}  // namespace

bool TComponentReplacer::ConvertUnits(const String& tempFolder) {
  const bool folderMode = options_.Dest != 0;
  const String root = CombinePath(options_.Directory, u"");
  const int listed = units_.Count();
  bool scanPending = !folderMode;
  std::unordered_set<String> backedUp;
  // Most files share their folder with the one before.
  String madeOutFolder;
  String madeBackupFolder;
  // Where a file lies below the target folder; its converted copy and its
  // backup keep that place.
  const auto relativeOf = [&](const String& file) {
    if (folderMode && file.size() > root.size() && StartsText(root, file))
      return file.substr(root.size());
    return String();
  };
  const auto outFolderOf = [&](const String& file) {
    const String subFolder = ExtractFilePath(relativeOf(file));
    return subFolder.empty() ? tempFolder : CombinePath(tempFolder, subFolder);
  };

  // Files are converted on workers, ahead of the one whose turn it is:
  // enough to keep every worker busy, few enough (in number and in bytes)
  // that memory follows the largest files and not the tree or the number of
  // cores. Everything the conversions write into is declared before the
  // pool, which waits for them when it goes.
  std::deque<TPendingFile> ahead;
  std::vector<std::unique_ptr<TFormParser>> parsers;
  std::vector<String> formTexts;
  TWorkerPool pool(TWorkerPool::ThreadsFor(options_.Threads));
  parsers.resize(static_cast<size_t>(pool.Workers()));
  formTexts.resize(static_cast<size_t>(pool.Workers()));
  const size_t window = pool.Workers() > 1 ? static_cast<size_t>(2 * pool.Workers()) : 1;
  constexpr size_t kBytesAhead = 64u << 20;
  size_t bytesAhead = 0;  // of the files in ahead
  int next = 0;           // the next file to read
  const auto readAhead = [&](int limit) {
    for (; next < limit && (ahead.empty() || (ahead.size() < window && bytesAhead < kBytesAhead));
         ++next) {
      TPendingFile& p = ahead.emplace_back();
      p.Index = next;
      const String& file = units_[next];
      p.Output = CombinePath(outFolderOf(file), ExtractFileName(file));
      p.Read = fs_->ReadFile(file, p.Bytes);
      p.Size = p.Bytes.size();
      bytesAhead += p.Size;
      if (!p.Read) continue;
      p.Ticket = pool.Submit([this, &p, file, &parsers, &formTexts](int worker) {
        try {
          std::unique_ptr<TFormParser>& parser = parsers[static_cast<size_t>(worker)];
          if (!parser) parser = NewFormParser();
          ConvertFile(file, p.Bytes, p.Output, *parser, formTexts[static_cast<size_t>(worker)],
                      p.Conversion);
        } catch (...) {
          p.Conversion.Error = std::current_exception();
        }
        p.Bytes = std::string();
      });
    }
  };

  for (int i = 0; i < units_.Count(); ++i) {
    WaitIndicator().Progress(i, units_.Count());
    const String file = units_[i];
    const String relative = relativeOf(file);
    const String subFolder = ExtractFilePath(relative);
    const String outFolder = outFolderOf(file);
    if (folderMode && outFolder != madeOutFolder) {
      if (!ForceFolders(outFolder, *fs_)) throw EFCreateError(u"Failed to create directory.");
      madeOutFolder = outFolder;
    }

    if (scanPending && i >= listed) {
      // Every form is read for the database names it declares before any
      // form is converted, so each query finds its connection.
      CollectDatabaseNames(file);
      if (i == units_.Count() - 1) {
        scanPending = false;
        i = listed - 1;
      }
      continue;
    }

    // In project mode the units come first, then (after the scan) the forms.
    readAhead(scanPending ? listed : units_.Count());
    MIREL_ASSERT(!ahead.empty() && ahead.front().Index == i);
    TPendingFile& pending = ahead.front();
    LogLine(u"Processing file: " + file);
    if (!pending.Read)
      throw EFOpenError(u"Cannot open file \"" + file + u"\". " + pending.Read.Message());
    pool.Wait(pending.Ticket);
    const int before = changed_count_;
    ApplyConversion(pending.Conversion, OutputFileName(file, outFolder));
    bytesAhead -= pending.Size;
    ahead.pop_front();
    if (changed_count_ == before || !options_.MakeBackup) continue;

    String backup;
    if (folderMode) {
      const String backupFolder = CombinePath(run_backup_dir_, subFolder);
      if (backupFolder != madeBackupFolder) {
        if (!ForceFolders(backupFolder, *fs_)) throw EFCreateError(u"Failed to create directory.");
        madeBackupFolder = backupFolder;
      }
      backup = BackupFileName(
          CombinePath(run_backup_dir_, relative.empty() ? ExtractFileName(file) : relative));
    } else {
      backup = CombinePath(run_backup_dir_, ExtractFileName(BackupFileName(file)));
    }
    // Originals are only ever replaced through new files, so the backup can
    // be a second name of the original rather than a copy of its bytes.
    // Backups reach the disk all at once, before the first original is
    // replaced (see Run).
    const TFsResult copied = BackUpFile(file, backup, *fs_);
    if (!copied) {
      // Replacing an original whose backup failed would lose it.
      LogLine(Format(u"Failed to back up file: %s", file) + u" (" + copied.Message() + u")");
      return false;
    }
    // A file is converted once per run, so its line is nearly always new;
    // only a name seen before needs the search of SetValue.
    if (backedUp.insert(LowerCase(file)).second)
      undo_list_.Add(file + u"=" + backup);
    else
      undo_list_.SetValue(file, backup);
  }
  return true;
}

bool TComponentReplacer::ReplaceOriginalFiles(const String& tempFolder) {
  bool result = true;
  if (changed_count_ > 0) LogLine(u"Replacing original files with changed versions");
  if (options_.Dest == 0) {
    for (int i = 0; i < units_.Count(); ++i) {
      const String converted = CombinePath(tempFolder, ExtractFileName(units_[i]));
      if (!fs_->FileExists(converted)) continue;
      if (!ReplaceFile(converted, units_[i], *fs_)) {
        LogLine(Format(u"Failed to replace file: %s", units_[i]));
        result = false;
      }
    }
    return result;
  }
  if (!MoveFolder(tempFolder, options_.Directory, *fs_)) {
    LogLine(Format(u"Failed to replace files in folder: %s", options_.Directory));
    result = false;
  }
  return result;
}

String TComponentReplacer::UndoFileName() const {
  return CombinePath(run_backup_dir_.empty() ? options_.BackupDir : run_backup_dir_,
                     kUndoFileName);
}

bool TComponentReplacer::Run() {
  undo_list_.Clear();
  changed_count_ = 0;
  String logFile;
  if (options_.WriteLog) {
    logFile = CombinePath(RunFolder(), u"Wiz_Log.txt");
    log_.Open(logFile);
  }
  bool result = false;
  try {
    TWaitScope wait;
    try {
      InitUnitList();
      CreateBackupDir();
      LogLine(u"Allocating temporary folder");
      // Never an empty path: the allocation throws instead, before anything
      // is touched.
      const String tempFolder = MakeTempFolder(u"$DS", 1, *fs_);
      try {
        database_map_.Clear();
        durable_outputs_ = false;
        try {
          result = ConvertUnits(tempFolder);
        } catch (...) {
          durable_outputs_ = true;
          throw;
        }
        durable_outputs_ = true;
        WaitIndicator().Progress(units_.Count(), units_.Count());
        const String undoFile = UndoFileName();
        if (result && options_.MakeBackup) {
          if (!undo_list_.Empty() && !fs_->Sync(run_backup_dir_)) {
            LogLine(Format(u"Failed to back up file: %s", run_backup_dir_));
            result = false;
          } else if (!SaveUndoFile(undo_list_, undoFile, *fs_)) {
            LogLine(Format(u"Failed to write undo file: %s", undoFile));
            result = false;
          }
        }
        // Where they share its file system, the converted copies replace
        // their originals by a rename: their data must reach the disk before
        // their new names do, and the names before the run is reported done.
        // (Copies to another file system are made durable one by one.)
        if (result && changed_count_ > 0 && !fs_->Sync(tempFolder)) {
          LogLine(Format(u"Failed to write converted files to disk: %s", tempFolder));
          result = false;
        }
        if (result) {
          result = ReplaceOriginalFiles(tempFolder);
          if (changed_count_ > 0 && !fs_->Sync(tempFolder)) {
            LogLine(Format(u"Failed to write converted files to disk: %s", tempFolder));
            result = false;
          }
          if (options_.MakeBackup) {
            // Written before the originals were replaced, so that a run cut
            // short can be undone, and again now that it is complete.
            if (!SaveUndoFile(undo_list_, undoFile, *fs_)) result = false;
            LogLine(Format(u"Backup file: %s", undoFile));
          }
        }
        LogLine(u"Removing temporary folder");
      } catch (...) {
        DeleteFolder(tempFolder, *fs_);
        throw;
      }
      DeleteFolder(tempFolder, *fs_);
    } catch (...) {
      units_.Clear();
      throw;
    }
    units_.Clear();
    LogLine(result ? u"Replace procedure was performed sucessfully." : u"Replace failed.");
  } catch (...) {
    log_.Close();
    throw;
  }
  log_.Close();
  if (options_.WriteLog && options_.ViewLog) ShellOpener().Open(logFile);
  return result;
}

}  // namespace mirel
