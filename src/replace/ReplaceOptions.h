// TReplaceOptions: the choices of one use of the wizard that the replacement
// engine reads (where to look, which units, backups, log). One instance is
// shared by the migration profiles and lives across uses, so a field that is
// neither loaded nor set by the wizard keeps the value of the previous use.
#pragma once

#include <cstdint>

#include "rtl/IniFiles.h"
#include "rtl/SysUtils.h"

namespace mirel {

/// What a run converts.
enum class TRunScope {
  /// The checked units of the project open in the host.
  Project,
  /// The units of the folder Directory.
  Folder,
};

class TReplaceOptions {
 public:
  /// name: the component families migrated from ("BDE/ADO").
  explicit TReplaceOptions(StringView name) : name_(name) {}

  /// Fixed at construction; the prefix of Title.
  const String& Name() const { return name_; }
  /// Name followed by " Migration Wizard": the caption of the engine's
  /// messages, the settings section and, with " log", the log title.
  String Title() const { return name_ + u" Migration Wizard"; }

  /// The stored form of Scope: 0 for the project, 1 (or any other value)
  /// for the folder. Persisted as "Dest".
  uint8_t Dest = 0;
  TRunScope Scope() const { return Dest == 0 ? TRunScope::Project : TRunScope::Folder; }
  void SetScope(TRunScope scope) { Dest = scope == TRunScope::Project ? 0 : 1; }
  /// The folder converted in folder mode, and where its log goes.
  /// Persisted as "Directory".
  String Directory;
  /// Folder mode also searches sub-folders. Persisted as "IncludeSubDirs".
  bool IncludeSubDirs = false;
  /// Back up changed files and write the undo file. Persisted as "MakeBackup".
  bool MakeBackup = true;
  /// The backup folder. Not persisted here (the wizard keeps its history).
  String BackupDir;
  /// Write the log "Wiz_Log.txt". Persisted as "WriteLog".
  bool WriteLog = true;
  /// Project mode: file names (no folder) of the units to convert, one per
  /// line. Not persisted (rebuilt from the project every time).
  String UnitNames;
  /// Open the log after a successful run (only with WriteLog).
  /// Persisted as "ViewLog".
  bool ViewLog = false;
  /// How many files a run converts at once: 0 for one per processor core,
  /// 1 for one after the other. The log, the outputs and the order of every
  /// change to the disk are the same either way. Not persisted.
  int Threads = 0;

  /// Reads "Dest" (its low 8 bits are kept), "Directory", "IncludeSubDirs",
  /// "MakeBackup", "WriteLog" and "ViewLog" from section of ini, in that
  /// order; each read defaults to the field's current value, so a missing
  /// value leaves its field unchanged. ini is only borrowed for the call.
  void Load(TCustomIniFile& ini, StringView section);
  /// Writes the same six values, in the same order, into section of ini.
  void Save(TCustomIniFile& ini, StringView section) const;

 private:
  String name_;
};

}  // namespace mirel
