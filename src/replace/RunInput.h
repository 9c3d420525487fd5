// What a migration run is handed and what it tells while it goes. A run
// (TComponentReplacer::Run) reads nothing else: its profile is the replacer
// it runs on, and everything else comes in a TRunInput: the choices, the
// project (in project scope), the file system and the observer. Front ends
// build one; the replacer's own Run(mode) builds one from its shared options,
// the project open in the host and its hooks.
#pragma once

#include <cstdint>
#include <vector>

#include "files/FileSystem.h"
#include "replace/ReplaceOptions.h"
#include "rtl/Hooks.h"
#include "rtl/SysUtils.h"

namespace mirel {

/// What a run does once every file is converted.
enum class TRunMode {
  /// Backs up and replaces the originals (the whole run).
  Replace,
  /// Stops there: no backup, undo file, log or original is touched, and
  /// nothing is left behind (see Run).
  DryRun,
};

/// One changed file of a run, from its conversion to its replacement.
struct TRunFile {
  /// The path as the project or the folder names it; its undo line's name.
  String Original;
  /// The file that is replaced: Original, or the file a symbolic link of
  /// that name leads to (inside the project's or target folder).
  String Target;
  /// Its converted copy in the run's temporary folder.
  String Converted;
  /// Its backup ("" without backups); no two files of a run share one.
  String Backup;
  /// The converted copy beside Target, waiting to be renamed over it; ""
  /// before it is written and once it is renamed or removed.
  String Staged;
};

/// The project a run in project scope converts units of.
struct TRunProject {
  /// Its project file (.dpr or .dproj); its folder holds the log.
  String File;
  /// Full paths of its modules, as the host lists them.
  std::vector<String> Modules;
};

/// What a run tells its front end, and the one thing it asks. Every call
/// comes on the run's own thread. As the run's wait indicator it gets Start
/// and Stop around the run and ProgressBytes between files; the rest does
/// nothing unless overridden.
class TRunObserver : public TWaitIndicator {
 public:
  /// A line of the run's log, also when no log file is written.
  virtual void LogLine(StringView line) { (void)line; }
  /// The run reached a step: "converted" (every file converted, nothing
  /// backed up), "backed-up", "staged" (every converted file beside its
  /// original, the undo file not yet written), "replacing" (the first
  /// original replaced, the others not yet).
  virtual void StepReached(StringView step) { (void)step; }
  /// Asked between files and between steps; true stops the run (see
  /// TComponentReplacer::Run for what a stop leaves).
  virtual bool StopRequested() { return false; }
  /// Every file converted, nothing else done yet: each changed file's Target
  /// is still the original, its Converted copy exists until the call
  /// returns. An exception ends the run as a failure before the backups
  /// does: nothing changed.
  virtual void Converted(const std::vector<TRunFile>& files) { (void)files; }
  /// The run is over and its log, which the options ask to be shown, is
  /// logFile.
  virtual void ShowLog(const String& logFile) { (void)logFile; }
};

/// Everything a run reads besides its profile and the files it converts.
/// Borrowed for the length of the run.
struct TRunInput {
  /// Scope, folder, backups, log and threads; only read.
  const TReplaceOptions& Options;
  /// Project scope: the project and its modules; unused in folder scope.
  TRunProject Project;
  /// Every look at the disk and every write.
  TFileSystem& FileSystem;
  TRunObserver& Observer;
};

}  // namespace mirel
