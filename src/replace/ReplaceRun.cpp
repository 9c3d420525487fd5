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
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "files/FileUtils.h"
#include "files/FolderLock.h"
#include "files/Paths.h"
#include "ide/IDEUtils.h"
#include "replace/Replacer.h"
#include "replace/RunManifest.h"
#include "replace/UndoFile.h"
#include "replace/WorkerPool.h"
#include "rtl/Hooks.h"
#include "rtl/ScopeExit.h"

namespace mirel {

namespace {

String Format(StringView pattern, StringView value) {
  String out(pattern);
  const size_t at = out.find(u"%s");
  if (at != String::npos) out.replace(at, 2, value);
  return out;
}

}  // namespace

String TComponentReplacer::RunFolder() const {
  if (RunOptions().Scope() == TRunScope::Project)
    return ExtractFilePath(run_project_ ? run_project_->File
                                        : TIDEUtils::GetCurrentProjectFileName());
  return RunOptions().Directory;
}

void TComponentReplacer::InitUnitList() {
  LogLine(u"Initializing unit list");
  units_.Clear();
  listed_units_count_ = -1;
  folder_index_ = std::make_unique<TFolderIndex>(*fs_);
  if (RunOptions().Scope() == TRunScope::Folder) {
    AddFolderUnits(RunOptions().Directory, RunOptions().IncludeSubDirs);
    return;
  }
  units_.SetText(RunOptions().UnitNames);
  // The lines of each file name (folded), so that a module finds its lines
  // in one look-up rather than a pass over the whole list.
  std::unordered_map<String, std::vector<int>> lines;
  for (int i = 0; i < units_.Count(); ++i)
    lines[LowerCase(ExtractFileName(units_[i]))].push_back(i);
  const TRunProject hostProject = run_project_ ? TRunProject() : HostProject();
  for (const String& module : (run_project_ ? *run_project_ : hostProject).Modules) {
    if (!IsUnitFile(module)) continue;
    const auto named = lines.find(LowerCase(ExtractFileName(module)));
    if (named == lines.end()) continue;
    for (const int i : named->second) units_.SetString(i, module);
  }
  // A unit the project names on a Windows drive ('C:\Lib\Shared.pas') is
  // no file on this system: it is left out, and said so, rather than failing
  // the whole run.
  for (int i = 0; i < units_.Count();) {
    if (IsWindowsDrivePath(units_[i])) {
      LogLine(Format(u"Skipped: %s is on a Windows drive and names no file here", units_[i]));
      units_.Delete(i);
    } else {
      ++i;
    }
  }
}

String TComponentReplacer::FindNamedFile(const String& file, TFileKind* kind) {
  return folder_index_ ? FindFileIgnoringCase(file, *folder_index_, kind)
                       : FindFileIgnoringCase(file, *fs_, kind);
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
    if (entry.kind == TFileKind::Folder && includeSubFolders) {
      AddFolderUnits(path, true);
    } else if ((entry.kind == TFileKind::File || entry.kind == TFileKind::Symlink) &&
               IsPascalSource(entry.name)) {
      // A link is listed as any unit; the run decides whether it may be
      // followed (AdmitFile), and says so when it may not.
      units_.Add(path);
    }
  }
}

void TComponentReplacer::ForceFolder(const String& folder) {
  if (ForceFolders(folder, *fs_)) return;
  // The text is the one users know; the folder goes on the next line.
  throw EFCreateError(u"Failed to create directory.\r\n" + folder);
}

void TComponentReplacer::CreateBackupDir() {
  run_backup_dir_ = RunOptions().BackupDir;
  if (!RunOptions().MakeBackup) return;
  LogLine(u"Creating backup folder");
  ForceFolder(RunOptions().BackupDir);
  // The backups and undo file of an earlier run stay as they are: that run
  // may be the only way back to the originals. This run's set goes into the
  // first free numbered folder inside. An undo file without a line leads
  // back to nothing and may be replaced.
  const String undo = CombinePath(RunOptions().BackupDir, kUndoFileName);
  const TFileKind kind = fs_->LinkStat(undo).kind;
  if (kind == TFileKind::None) return;
  if (kind != TFileKind::File)
    throw EFCreateError(u"Cannot create file \"" + undo +
                        u"\". Something other than a regular file has its name.");
  TStringList lines;
  bool empty = false;
  try {
    LoadUndoFile(undo, lines, *fs_);
    empty = lines.Empty();
  } catch (const EFOpenError&) {
    // Unreadable: it may still be someone's way back.
  }
  if (empty) return;
  for (int n = 2;; ++n) {
    const String folder = CombinePath(RunOptions().BackupDir, IntToStr(n));
    if (fs_->LinkStat(folder).kind != TFileKind::None) continue;
    ForceFolder(folder);
    run_backup_dir_ = folder;
    LogLine(Format(u"Earlier backups kept; this run's backups go to: %s", folder));
    return;
  }
}

void TComponentReplacer::CheckStop() {
  if (observer_->StopRequested())
    throw ERunStopped(
        u"Stopped on request before any original was replaced; no original was "
        u"changed.");
}

void TComponentReplacer::Step(StringView step) {
  if (report_) report_->LastStep = String(step);
  observer_->StepReached(step);
}

String TComponentReplacer::RealPathOf(const String& file) {
  // Resolving every path part by part costs a dozen system calls per file;
  // the folders of a run are few and taken not to change while it runs, so
  // each is resolved once and a file that is no link only looked at.
  const TFileKind kind = fs_->LinkStat(file).kind;
  if (kind == TFileKind::None) return String();
  if (kind == TFileKind::Symlink) return fs_->RealPath(file);
  const auto [folder, added] = real_folders_.try_emplace(ExtractFilePath(file));
  if (added) folder->second = fs_->RealPath(folder->first.empty() ? String(u".") : folder->first);
  if (folder->second.empty()) return fs_->RealPath(file);
  return CombinePath(folder->second, ExtractFileName(file));
}

bool TComponentReplacer::AdmitFile(const String& file, String& target) {
  // Its undo line could not be read back: the run stops here, before
  // anything has changed, rather than leave a file it cannot restore.
  if (!IsUndoSafeName(file))
    throw EFCreateError(u"Cannot migrate \"" + file +
                        u"\": its name holds a line break, which the undo file cannot record.");
  target = file;
  const String real = RealPathOf(file);
  // Nothing there: the read fails and says so.
  if (real.empty()) return true;
  const auto [seen, added] = admitted_.emplace(real, file);
  if (!added) {
    // Listed twice, or a second name of a file listed before: converted,
    // backed up and counted once.
    if (seen->second != file)
      LogLine(Format(u"Skipped: %s names the same file as ", file) + seen->second);
    return false;
  }
  if (real == NormalizePath(file)) return true;
  // Reached through a symbolic link: followed only to a file of the run's
  // folder, so that nothing outside it is written.
  if (real_run_folder_.empty() || !LiesInsideFolder(real, real_run_folder_)) {
    LogLine(Format(u"Skipped: %s is a symbolic link to a file outside ", file) + RunFolder() +
            u" (" + real + u")");
    return false;
  }
  target = real;
  return true;
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

void TComponentReplacer::ConvertUnits(const String& tempFolder) {
  const bool folderMode = RunOptions().Scope() == TRunScope::Folder;
  const String root = CombinePath(RunOptions().Directory, u"");
  const int listed = units_.Count();
  bool scanPending = !folderMode;
  // Converted copies keep the place of their files below the target folder;
  // two files that would still share one (forms of one name in two folders
  // of a project, names that differ in case only) get folders of their own.
  std::unordered_set<String> outputs;
  const auto outputOf = [&](const String& file) {
    String subFolder;
    if (folderMode && file.size() > root.size() && StartsText(root, file))
      subFolder = ExtractFilePath(file.substr(root.size()));
    const String folder = subFolder.empty() ? tempFolder : CombinePath(tempFolder, subFolder);
    String output = CombinePath(folder, ExtractFileName(file));
    for (int n = 2; !outputs.insert(LowerCase(output)).second; ++n)
      output = CombinePath(CombinePath(tempFolder, u"$" + IntToStr(n) + u"/" + subFolder),
                           ExtractFileName(file));
    return output;
  };
  // Most files share their folder with the one before.
  String madeOutFolder = tempFolder;

  // Files are converted on workers, ahead of the one whose turn it is:
  // enough to keep every worker busy, few enough (in number and in bytes)
  // that memory follows the largest files and not the tree or the number of
  // cores. Everything the conversions write into is declared before the
  // pool, which waits for them when it goes.
  std::deque<TPendingFile> ahead;
  std::vector<std::unique_ptr<TFormParser>> parsers;
  std::vector<String> formTexts;
  TWorkerPool pool(TWorkerPool::ThreadsFor(RunOptions().Threads));
  parsers.resize(static_cast<size_t>(pool.Workers()));
  formTexts.resize(static_cast<size_t>(pool.Workers()));
  const size_t window = pool.Workers() > 1 ? static_cast<size_t>(2 * pool.Workers()) : 1;
  constexpr size_t kBytesAhead = 64u << 20;
  size_t bytesAhead = 0;   // of the files in ahead
  uint64_t bytesDone = 0;  // of the files converted, for the wait indicator
  int next = 0;            // the next file to read
  const auto readAhead = [&](int limit) {
    for (; next < limit && (ahead.empty() || (ahead.size() < window && bytesAhead < kBytesAhead));
         ++next) {
      TPendingFile& p = ahead.emplace_back();
      p.Index = next;
      const String& file = units_[next];
      p.Output = outputOf(file);
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
    CheckStop();
    observer_->ProgressBytes(i, units_.Count(), bytesDone);
    const String file = units_[i];

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
    String target;
    if (!AdmitFile(file, target)) {
      pool.Wait(pending.Ticket);
      bytesAhead -= pending.Size;
      ahead.pop_front();
      continue;
    }
    LogLine(u"Processing file: " + file);
    if (!pending.Read)
      throw EFOpenError(u"Cannot open file \"" + file + u"\". " + pending.Read.Message());
    pool.Wait(pending.Ticket);
    const String output = pending.Output;
    // The converted copy must never land on the original.
    if (output == file)
      throw EFCreateError(u"Cannot create file \"" + output +
                          u"\". The output folder is the folder of the original.");
    const String outFolder = ExtractFilePath(output);
    if (outFolder != madeOutFolder) {
      ForceFolder(outFolder);
      madeOutFolder = outFolder;
    }
    const int before = changed_count_;
    ApplyConversion(pending.Conversion, output);
    bytesAhead -= pending.Size;
    bytesDone += pending.Size;
    ahead.pop_front();
    if (changed_count_ != before) run_files_.push_back(TRunFile{file, target, output, {}, {}});
  }
  observer_->ProgressBytes(units_.Count(), units_.Count(), bytesDone);
}

String TComponentReplacer::UniqueBackupName(const String& natural) {
  const String ext = ExtractFileExt(natural);
  String name = natural;
  for (int n = 2;; ++n) {
    if (backup_names_.insert(LowerCase(name)).second) {
      const TFileKind kind = fs_->LinkStat(name).kind;
      if (kind == TFileKind::None) return name;
      // A backup is always a new file: a regular file of that name (left
      // by an earlier run) keeps its contents, and anything else (a link,
      // which would lead the backup elsewhere, a pipe) stops the run.
      if (kind != TFileKind::File)
        throw EFCreateError(u"Cannot create file \"" + name +
                            u"\". Something other than a regular file has its name.");
    }
    name = ChangeFileExt(natural, u"." + IntToStr(n) + ext);
  }
}

bool TComponentReplacer::BackUpOriginals() {
  const bool folderMode = RunOptions().Scope() == TRunScope::Folder;
  const String root = CombinePath(RunOptions().Directory, u"");
  const String realBackupDir = fs_->RealPath(run_backup_dir_);
  // Names first, all of them, so that a name nobody may use stops the run
  // before any backup is made.
  for (TRunFile& f : run_files_) {
    CheckStop();
    const String& file = f.Original;
    if (folderMode && file.size() > root.size() && StartsText(root, file))
      f.Backup = BackupFileName(CombinePath(run_backup_dir_, file.substr(root.size())));
    else
      f.Backup = CombinePath(run_backup_dir_, ExtractFileName(BackupFileName(file)));
    f.Backup = UniqueBackupName(f.Backup);
  }
  String madeBackupFolder = CombinePath(run_backup_dir_, u"");
  for (const TRunFile& f : run_files_) {
    CheckStop();
    const String folder = ExtractFilePath(f.Backup);
    if (folder != madeBackupFolder) {
      ForceFolder(folder);
      // A subfolder that is a link would put backups outside the backup
      // folder.
      const String real = fs_->RealPath(folder);
      if (real.empty() || realBackupDir.empty() ||
          (real != realBackupDir && !LiesInsideFolder(real, realBackupDir)))
        throw EFCreateError(u"Cannot create file \"" + f.Backup +
                            u"\". Its folder leads out of the backup folder.");
      madeBackupFolder = folder;
    }
    // Originals are only ever replaced through new files, so the backup can
    // be a second name of the original rather than a copy of its bytes.
    const TFsResult made = BackUpFile(f.Original, f.Backup, *fs_);
    if (!made) {
      // Replacing an original whose backup failed would lose it.
      LogLine(Format(u"Failed to back up file: %s", f.Original) + u" (" + made.Message() + u")");
      return false;
    }
    undo_list_.Add(f.Original + u"=" + f.Backup);
  }
  return true;
}

bool TComponentReplacer::StageConvertedFiles() {
  for (TRunFile& f : run_files_) {
    CheckStop();
    const TFsResult staged = StageBeside(f.Converted, f.Target, f.Staged, *fs_);
    if (!staged) {
      LogLine(Format(u"Failed to write converted file beside its original: %s", f.Target) + u" (" +
              staged.Message() + u")");
      RemoveStagedFiles();
      return false;
    }
  }
  return true;
}

void TComponentReplacer::RemoveStagedFiles() {
  for (TRunFile& f : run_files_) {
    if (f.Staged.empty()) continue;
    (void)fs_->DeleteFile(f.Staged);
    f.Staged.clear();
  }
}

bool TComponentReplacer::ReplaceOriginalFiles() {
  bool result = true;
  if (changed_count_ > 0) LogLine(u"Replacing original files with changed versions");
  std::vector<String> syncs;  // one folder per file system written
  std::unordered_set<uint64_t> devices;
  bool first = true;
  for (TRunFile& f : run_files_) {
    if (f.Staged.empty()) continue;
    // Same folder, so a rename: nothing to copy, no space needed, and the
    // staged file already has the original's permission bits and owner.
    const TFsResult renamed = fs_->Rename(f.Staged, f.Target);
    if (!renamed) {
      LogLine(Format(u"Failed to replace file: %s", f.Original) + u" (" + renamed.Message() + u")");
      (void)fs_->DeleteFile(f.Staged);
      result = false;
    }
    f.Staged.clear();
    const String folder = ExtractFilePath(f.Target);
    if (devices.insert(fs_->Stat(folder).device).second) syncs.push_back(folder);
    if (first) Step(u"replacing");
    first = false;
  }
  for (const String& folder : syncs) {
    if (!fs_->Sync(folder)) {
      LogLine(Format(u"Failed to write converted files to disk: %s", folder));
      result = false;
    }
  }
  return result;
}

String TComponentReplacer::UndoFileName() const {
  return CombinePath(run_backup_dir_.empty() ? RunOptions().BackupDir : run_backup_dir_,
                     kUndoFileName);
}

bool TComponentReplacer::BackUpAndReplace(const String& tempFolder, const String& undoFile) {
  bool result = true;
  if (RunOptions().MakeBackup && !run_files_.empty()) {
    result = BackUpOriginals();
    // Backups reach the disk all at once, before the first original
    // is replaced.
    if (result && !fs_->Sync(run_backup_dir_)) {
      LogLine(Format(u"Failed to back up file: %s", run_backup_dir_));
      result = false;
    }
  }
  Step(u"backed-up");
  // Every converted file goes beside its original before the first
  // rename, so that a full disk or a failed write shows while every
  // original is still as it was. Their data must be on the disk
  // before their new names are.
  if (result) result = StageConvertedFiles();
  if (result && changed_count_ > 0 && !fs_->Sync(tempFolder)) {
    LogLine(Format(u"Failed to write converted files to disk: %s", tempFolder));
    result = false;
  }
  if (result) Step(u"staged");
  if (result && RunOptions().MakeBackup && !SaveUndoFile(undo_list_, undoFile, *fs_)) {
    LogLine(Format(u"Failed to write undo file: %s", undoFile));
    result = false;
  }
  // The last point at which a stop leaves every original untouched;
  // past it the renames are completed whatever is asked.
  CheckStop();
  if (!result) return false;
  result = ReplaceOriginalFiles();
  if (observer_->StopRequested())
    LogLine(
        u"Stop requested while originals were being replaced: the replacement was "
        u"completed first.");
  if (RunOptions().MakeBackup) {
    // Written before the originals were replaced, so that a run cut
    // short can be undone, and again now that it is complete.
    if (!SaveUndoFile(undo_list_, undoFile, *fs_)) result = false;
    // What each original holds now, so a restore can tell later edits.
    if (!SaveRunManifest(undo_list_, undoFile, *fs_))
      LogLine(Format(u"Failed to write checksum file: %s", RunManifestFileName(undoFile)));
    LogLine(Format(u"Backup file: %s", undoFile));
  }
  return result;
}

TRunProject TComponentReplacer::HostProject() {
  TRunProject project;
  project.File = TIDEUtils::GetCurrentProjectFileName();
  const int modules = TIDEUtils::GetProjectModuleCount();
  project.Modules.reserve(static_cast<size_t>(modules));
  for (int m = 0; m < modules; ++m)
    project.Modules.push_back(TIDEUtils::GetProjectModuleFileName(m));
  return project;
}

bool TComponentReplacer::Run(TRunMode mode) {
  return Run(mode, TRunInput{options_, HostProject(), *fs_, *hooks_});
}

bool TComponentReplacer::Run(TRunMode mode, const TRunInput& input) {
  TFileSystem* const ownFileSystem = fs_;
  fs_ = &input.FileSystem;
  run_options_ = &input.Options;
  run_project_ = &input.Project;
  observer_ = &input.Observer;
  TScopeExit endInput([this, ownFileSystem] {
    fs_ = ownFileSystem;
    run_options_ = nullptr;
    run_project_ = nullptr;
    observer_ = hooks_.get();
  });
  const bool dry = mode == TRunMode::DryRun;
  undo_list_.Clear();
  run_files_.clear();
  admitted_.clear();
  real_folders_.clear();
  backup_names_.clear();
  changed_count_ = 0;
  // Before anything is written, the log included: a second run over the
  // same folder must change nothing. A dry run writes nothing, so it
  // creates no lock file either: it locks only where a run has left one,
  // and so still refuses while that run goes on.
  std::unique_ptr<TFolderLock> runLock;
  if (!RunFolder().empty() &&
      (!dry ||
       fs_->LinkStat(CombinePath(RunFolder(), TFolderLock::kFileName)).kind == TFileKind::File))
    runLock = std::make_unique<TFolderLock>(RunFolder());
  real_run_folder_ = RunFolder().empty() ? String() : fs_->RealPath(RunFolder());
  String logFile;
  if (RunOptions().WriteLog && !dry) {
    logFile = CombinePath(RunFolder(), u"Wiz_Log.txt");
    log_.Open(logFile);
  }
  TScopeExit closeLog([this] { log_.Close(); });
  bool result = false;
  try {
    observer_->Start();
    TScopeExit stopWaiting([this] { observer_->Stop(); });
    {
      // However the run ends, it leaves no list, no temporary folder and
      // nothing beside an original behind; guards declared later are undone
      // first, so the temporary folder goes before the backup folder's lock.
      TScopeExit endUnitList([this] {
        units_.Clear();
        folder_index_.reset();
      });
      InitUnitList();
      std::unique_ptr<TFolderLock> backupLock;
      String undoFile;
      if (!dry) {
        CreateBackupDir();
        // Two runs over different folders may share a backup folder.
        if (RunOptions().MakeBackup && fs_->RealPath(RunOptions().BackupDir) != real_run_folder_)
          backupLock = std::make_unique<TFolderLock>(RunOptions().BackupDir);
        undoFile = UndoFileName();
        if (RunOptions().MakeBackup) {
          const TFileKind kind = fs_->LinkStat(undoFile).kind;
          if (kind != TFileKind::None && kind != TFileKind::File)
            throw EFCreateError(u"Cannot create file \"" + undoFile +
                                u"\". Something other than a regular file has its name.");
        }
      }
      LogLine(u"Allocating temporary folder");
      // Never an empty path: the allocation throws instead, before anything
      // is touched.
      const String tempFolder = MakeTempFolder(u"$DS", 1, *fs_);
      TScopeExit removeTempFolder([this, &tempFolder] {
        RemoveStagedFiles();
        DeleteFolder(tempFolder, *fs_);
      });
      database_map_.Clear();
      {
        durable_outputs_ = false;
        TScopeExit durable([this] { durable_outputs_ = true; });
        ConvertUnits(tempFolder);
      }
      Step(u"converted");
      observer_->Converted(run_files_);
      result = dry || BackUpAndReplace(tempFolder, undoFile);
      LogLine(u"Removing temporary folder");
    }
    if (dry)
      LogLine(u"Dry run: no original was changed.");
    else
      LogLine(result ? u"Replace procedure was performed sucessfully." : u"Replace failed.");
  } catch (const Exception& e) {
    // The reason, then the last line says how it ended, as for a run that
    // returns.
    const String& message = e.Message();
    for (size_t start = 0; start <= message.size();) {
      size_t end = message.find_first_of(u"\r\n", start);
      if (end == String::npos) end = message.size();
      if (end > start) LogLine(message.substr(start, end - start));
      start = end + 1;
    }
    LogLine(u"Replace failed.");
    throw;
  } catch (...) {
    LogLine(u"Replace failed.");
    throw;
  }
  log_.Close();
  if (!logFile.empty() && RunOptions().ViewLog) observer_->ShowLog(logFile);
  return result;
}

}  // namespace mirel
