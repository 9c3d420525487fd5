// TComponentReplacer: the engine of one migration profile. It owns the class
// map (which component classes become which), knows the unit the migrated code
// stops using and the units it must use instead, and converts single files
// into an output folder:
//  - a Pascal unit or project file (.pas, .dpr): the source unit gets the
//    target units after it in every uses clause, every identifier that names
//    a mapped class (in code and in comments) gets its target class, and the
//    form file a resource directive names is appended to Units;
//  - a form file (.dfm, .nfm, text or binary): every object introduced by
//    "object", "inherited" or "inline" whose class is mapped is rewritten by
//    the form parser, except the form's root (the form, data module or frame
//    itself, whose class its own unit declares).
// A class a unit declares itself ("TTable = class(TDataModule)") is that
// unit's own, not the library's: its name is kept throughout that unit.
// Only a file that changed leaves an output file, and each adds 1 to
// ChangedCount. Everything outside a converted object or a replaced
// identifier is written back byte for byte, in the encoding the file was read
// with and with the byte-order mark it had.
//
// All file access goes through the file system given with SetFileSystem (the
// real one by default), so a caller can inject faults. A file that cannot be
// read throws EFOpenError, one that cannot be written EFCreateError, a damaged
// binary form EFormFormatError; each names the file. Nothing is written for a
// file whose conversion throws.
//
// Units, UndoList, DatabaseMap and ChangedCount are the state of a run over
// many files; the class map is fixed once the profile is set up.
#pragma once

#include <bitset>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "files/FileSystem.h"
#include "files/FolderIndex.h"
#include "files/LogWriter.h"
#include "forms/FormParser.h"
#include "replace/DatabaseMap.h"
#include "replace/ReplaceOptions.h"
#include "replace/Restore.h"
#include "replace/RunInput.h"
#include "replace/RunReport.h"
#include "rtl/Encoding.h"
#include "rtl/FormConvert.h"
#include "rtl/StringList.h"
#include "rtl/TextFile.h"

namespace mirel {

/// Creates the form parser a replacer converts form objects with.
using TFormParserClass = std::unique_ptr<TFormParser> (*)();

/// The TFormParserClass of a TFormParser subclass, with TFormParseState as
/// its parse-state class.
template <class T>
std::unique_ptr<TFormParser> FormParserClassOf() {
  return std::make_unique<T>(StateClassOf<TFormParseState>);
}

/// A form file as read. A binary form's Text is its form text, decoded with
/// the default code page.
struct TFormFile : TTextFile {
  bool Binary = false;
  /// For a binary form: with or without the resource header, and its name.
  TBinaryFormKind Kind;
};

/// What converting one file gave, before any of it reached the run: the
/// conversion itself reads nothing and writes nothing, so that several files
/// can be converted at once and their effects applied in file order.
struct TFileConversion {
  /// The lines to log, in order.
  std::vector<String> LogLines;
  /// Form files named by resource directives, as named (not looked up yet).
  std::vector<String> FormFiles;
  /// Output holds the converted file.
  bool Changed = false;
  std::string Output;
  /// What went wrong, to be thrown once LogLines are logged.
  std::exception_ptr Error;
  /// The file's part of the report, when the replacer collects one.
  std::optional<TFileReport> Report;
};

/// A run stopped at the caller's request (StopRequested) before any original
/// was replaced; the message says so.
class ERunStopped : public Exception {
 public:
  using Exception::Exception;
};

class TComponentReplacer {
 public:
  /// options is borrowed and must outlive the replacer (the profiles share
  /// one). sourceUnit is stored upper-cased, targetUnits as given (it brings
  /// its own leading comma). The form parser is created from formParserClass
  /// and its database-name lookup bound to GetDatabaseComponent. The log's
  /// title is the options' Title followed by " log".
  TComponentReplacer(TFormParserClass formParserClass, StringView sourceUnit,
                     StringView targetUnits, TReplaceOptions& options);
  virtual ~TComponentReplacer();
  TComponentReplacer(const TComponentReplacer&) = delete;
  TComponentReplacer& operator=(const TComponentReplacer&) = delete;

  // --- Class map -----------------------------------------------------------

  /// Maps sourceClass to targetClass. A source already mapped (in any letter
  /// case) keeps its first target; the target is still appended to
  /// TargetClasses.
  void AddClassPair(StringView sourceClass, StringView targetClass);
  /// The target of a mapped class (name compared without regard to case), or
  /// null. The pointer stays valid until the next AddClassPair.
  const String* FindTargetClass(StringView name) const;
  bool IsMappedClass(StringView name) const { return FindTargetClass(name) != nullptr; }
  /// The name written in place of a mapped class name in code; the base
  /// gives targetName unchanged.
  virtual String GetTargetName(StringView sourceName, StringView targetName) const;
  /// GetTargetName of name and its target when name is mapped, else name.
  virtual String ReplaceClassName(StringView name) const;

  // --- Converting files ------------------------------------------------------

  /// Logs "Processing file: " and fileName, then converts the file into
  /// CombinePath(outputFolder, its name part): ".PAS" and ".DPR" (any case) as
  /// Pascal sources, anything else as a form file. Throws EFOpenError when the
  /// file cannot be read, EFCreateError when the output cannot be written or
  /// would be fileName itself, EFormFormatError for a damaged binary form.
  void ProcessFile(const String& fileName, const String& outputFolder);

  /// The conversion of ProcessFile without its effects: the file's bytes as
  /// read, converted with parser (which must come from this replacer's form
  /// parser class; see NewFormParser), into conversion. formText keeps the
  /// text parser's results point into. Throws nothing: a failure is stored
  /// in conversion.Error (one that is no mirel Exception as an Exception
  /// whose message begins with fileName). May run on any thread, at the same time as other
  /// conversions with other parsers, while the run state (Units,
  /// DatabaseMap, the class map) is left as it is.
  void ConvertFile(const String& fileName, std::string_view bytes, const String& outputFile,
                   TFormParser& parser, String& formText, TFileConversion& conversion) const;
  /// A new form parser of this replacer's class, its database-name lookup
  /// bound to GetDatabaseComponent.
  std::unique_ptr<TFormParser> NewFormParser() const;

  /// Records in DatabaseMap the database names that the TDatabase objects of
  /// a form file declare, as name = root object name "." component name (an
  /// earlier entry of the same name is replaced). Logs nothing. Throws as
  /// ProcessFile does for reading.
  void CollectDatabaseNames(const String& formFileName);

  /// The form parser's lookup: what DatabaseMap holds for the database name
  /// value, or "". Only "DatabaseName" may be asked (EAssertionFailed else).
  String GetDatabaseComponent(StringView propertyName, StringView value) const;

  /// Decodes a unit or text form as a run does: rtl/TextFile.h's rule, with
  /// the default code page for bytes without a mark.
  static TTextFile ReadTextFile(std::string_view bytes) { return mirel::ReadTextFile(bytes); }
  /// Decodes a form file: binary (with or without the resource header) or
  /// text. Throws EFormFormatError, naming fileName, for a damaged binary form.
  static TFormFile ReadFormFile(std::string_view bytes, StringView fileName);

  /// Converts a Pascal unit read from sourceFile into outputFile; logs the
  /// count; writes outputFile only when a lexem changed, and then adds 1 to
  /// ChangedCount. Form files named by resource directives are appended to
  /// Units (once each).
  void ProcessUnit(const TTextFile& unit, const String& sourceFile, const String& outputFile);
  /// One comment lexem of a unit: a resource directive ({$R ...},
  /// {$RESOURCE ...}) is returned unchanged after its form file, when found
  /// beside sourceFile, has been appended to Units; in any other comment
  /// each mapped class name becomes its target and adds 1 to count.
  String ProcessComment(StringView lexem, const String& sourceFile, int& count);

  /// Converts a form into outputFile; logs the count; writes outputFile (in
  /// the form's kind and encoding) only when an object was converted, and
  /// then adds 1 to ChangedCount.
  void ProcessForm(TFormFile form, const String& outputFile);
  /// Writes a converted form text as form was read: text with its encoding
  /// and mark, or binary of the same kind and resource name (memory flags
  /// 0x1030). Throws EFCreateError, or EFormFormatError when the text does
  /// not convert to binary.
  void WriteFormFile(const TFormFile& form, StringView text, const String& outputFile);

  // --- Runs and restore --------------------------------------------------------

  /// Converts every file the options select (the checked units of the
  /// project open in the host, or the units of a folder), each into a private
  /// temporary folder; then, only when every file converted: backs up every
  /// changed original, writes every converted file beside its original (a
  /// hidden new file in the same folder), makes all of it durable, writes
  /// the undo file, and only then renames the converted files over their
  /// originals. Logs each step into "Wiz_Log.txt" in the project's or the
  /// folder's folder when WriteLog is set.
  ///
  /// For its whole length the run holds the TFolderLock of that folder and
  /// of the backup folder (EFolderLocked, before the log is touched, when
  /// another run holds it). Each file is converted once, however many times
  /// or names it is listed by; a symbolic link leading out of that folder is
  /// skipped (and logged), one leading inside it is followed.
  ///
  /// Returns true when every original was replaced; false when a backup,
  /// a file beside its original, the undo file or a replacement failed (the
  /// log names the file; no original is replaced unless every file before
  /// the renames succeeded). Throws when a step cannot go on (a file that
  /// cannot be read or written, no backup or temporary folder, a log, backup
  /// or undo name taken by something other than a regular file, a stop
  /// requested: ERunStopped): then no original has been touched, and the log
  /// ends with the reason and "Replace failed.". The temporary folder and
  /// every file written beside an original are removed, Units emptied and
  /// the log closed in every case.
  ///
  /// A dry run (TRunMode::DryRun) converts as above and stops after Converted:
  /// it makes no backup folder, backup, undo file or log (the observer still
  /// gets every line), writes nothing beside an original, and creates no lock
  /// file: it takes the folder's lock only when a run has left its lock file
  /// there (so it still refuses while a run holds it). It returns true once
  /// every file converted and throws as a run does.
  ///
  /// Everything the run reads comes with input; for its length the run's
  /// file system is input's, and its log lines, steps, progress and stop
  /// questions go to input's observer instead of the hooks below.
  bool Run(TRunMode mode, const TRunInput& input);
  /// Run with the shared options, the project open in the host, FileSystem
  /// and the hooks (OnLogLine, StopRequested, OnStep, OnConverted, the
  /// process's wait indicator and shell opener).
  bool Run(TRunMode mode = TRunMode::Replace);
  /// The project open in the host, as a run in project scope is handed it
  /// (empty when none is open).
  static TRunProject HostProject();
  /// Logs "Initializing unit list" and fills Units: in project mode from
  /// UnitNames, each name replaced by the full path of the project's .pas
  /// module of that file name; in folder mode by AddFolderUnits. From here
  /// to the end of the run each folder is listed at most once in the search
  /// for the forms units name (the folders are taken not to change).
  void InitUnitList();
  /// Appends the .pas and .dpr files of folder (and of its subfolders, at the
  /// point where each is met, when includeSubFolders), in name order.
  void AddFolderUnits(const String& folder, bool includeSubFolders);
  /// With MakeBackup: logs "Creating backup folder" and creates BackupDir;
  /// throws EFCreateError "Failed to create directory." when it cannot. When
  /// BackupDir already holds an undo file (an earlier run's), this run's
  /// backups and undo file go into the first free numbered folder inside it
  /// ("2", "3", ...), so that no earlier backup is overwritten.
  void CreateBackupDir();
  /// The undo file of the last run (in the folder CreateBackupDir chose).
  String UndoFileName() const;
  /// Renames every file a run wrote beside its original over that original
  /// (a rename within one folder: it needs no space and cannot be seen half
  /// done), then waits for the renames to reach the disk; true when every
  /// one was replaced (a failed one is logged and its staged file removed;
  /// the rest still go).
  bool ReplaceOriginalFiles();
  /// RestoreWithReport without options: true when every file the undo file
  /// names was restored, and also when it names none (a run that changed
  /// nothing); false when any was not. Throws as RestoreWithReport does.
  bool Restore(const String& undoFileName);
  /// Puts back the backups the undo file names (RestoreUndoLines in
  /// Restore.h: files changed since the run and lines outside the run's
  /// folders are left alone unless options.Force; a failed file does not
  /// stop the others) and logs, for each file not restored, the file and
  /// why. Throws EFOpenError when the undo file or its manifest cannot be
  /// read. Units is used while reading and emptied afterwards.
  TRestoreResult RestoreWithReport(const String& undoFileName, const TRestoreOptions& options = {});

  // --- State -------------------------------------------------------------------

  /// Source class names (sorted, case-insensitive, duplicates ignored); the
  /// integer of each is its target's index in TargetClasses.
  const TStringList& ClassMap() const { return class_map_; }
  /// Target class names in the order they were added.
  const TStringList& TargetClasses() const { return target_classes_; }
  /// Files of the current run in processing order; ProcessUnit appends form
  /// files to it.
  TStringList& Units() {
    listed_units_count_ = -1;  // the caller may change it
    return units_;
  }
  /// original path = backup path, for each file backed up by the run.
  TStringList& UndoList() { return undo_list_; }
  /// database name = form name "." component name; names compared without
  /// regard to case.
  TDatabaseMap& DatabaseMap() { return database_map_; }
  const TDatabaseMap& DatabaseMap() const { return database_map_; }
  /// Files whose converted copy was written since the count was last reset.
  int ChangedCount() const { return changed_count_; }
  void SetChangedCount(int count) { changed_count_ = count; }

  const String& SourceUnit() const { return source_unit_; }
  const String& TargetUnits() const { return target_units_; }
  TReplaceOptions& Options() const { return options_; }
  TFormParser& FormParser() { return *form_parser_; }
  /// The log of a run; every line the replacer logs goes here (a closed log
  /// writer drops it) and to OnLogLine.
  TLogWriter& Log() { return log_; }

  // The hooks of Run(mode) and of the operations outside a run; a run
  // handed an input tells its observer instead (TRunObserver has each
  // one's contract).

  /// Called with every line the replacer logs, after the log writer has it.
  std::function<void(StringView line)> OnLogLine;
  /// TRunObserver::StopRequested. Empty: never stop.
  std::function<bool()> StopRequested;
  /// TRunObserver::StepReached.
  std::function<void(StringView step)> OnStep;
  /// TRunObserver::Converted, with RunFiles.
  std::function<void(const std::vector<TRunFile>& files)> OnConverted;

  /// Where conversions report what they did (RunReport.h): every file
  /// converted from now on is appended, in file order, and every step of a
  /// run is noted as LastStep. Borrowed; null (the default) collects nothing
  /// and costs nothing.
  void SetReport(TRunReport* report) { report_ = report; }
  TRunReport* Report() const { return report_; }
  /// The follow-up rules of this profile, searched in every unit of a
  /// report; null: none are searched.
  void SetFollowUpRules(const TFollowUpRules* rules) { follow_up_rules_ = rules; }

  /// The changed files of the current or last run, in the order they were
  /// converted (backups, undo lines and replacements follow it).
  const std::vector<TRunFile>& RunFiles() const { return run_files_; }

  /// The file system all reads, writes and existence checks go through;
  /// borrowed, must outlive its use. The real one by default.
  TFileSystem& FileSystem() const { return *fs_; }
  void SetFileSystem(TFileSystem& fs) {
    fs_ = &fs;
    folder_index_.reset();
  }

 protected:
  void LogLine(StringView text);
  /// Writes a whole output file; EFCreateError naming it when that fails.
  void WriteOutput(const String& fileName, std::string_view bytes);
  /// Reads a whole input file; EFOpenError naming it when that fails.
  std::string ReadInput(const String& fileName);

 private:
  // The effects of a conversion, as ProcessFile has them: the form files
  // found are appended to Units, the lines logged, then its Error thrown or
  // outputFile written (and ChangedCount raised) when it changed.
  void ApplyConversion(const TFileConversion& conversion, const String& outputFile);
  // The converting passes of a run: every changed file into RunFiles.
  void ConvertUnits(const String& tempFolder);
  // Whether a listed file is converted, and which file it writes: false
  // (logged) for a second name of a file seen before, and for a link that
  // leads out of the run's folder.
  bool AdmitFile(const String& file, String& target);
  // The file system's RealPath of a listed file, "" when nothing is there.
  String RealPathOf(const String& file);
  // Names every backup (no two alike, nothing already there overwritten)
  // and makes it; false (logged) when one could not be made.
  bool BackUpOriginals();
  // The backup name of a file, made unique within the run and the backup
  // folder.
  String UniqueBackupName(const String& natural);
  // Writes every converted file beside its original; false (logged, and
  // nothing left beside any original) when one could not be written.
  bool StageConvertedFiles();
  // Removes every staged file not yet renamed.
  void RemoveStagedFiles();
  // The steps of a run after the conversion: backups, staging, the undo
  // file, the renames; true when every original was replaced.
  bool BackUpAndReplace(const String& tempFolder, const String& undoFile);
  // ForceFolders, or the log and EFCreateError naming the folder.
  void ForceFolder(const String& folder);
  // ERunStopped when StopRequested says so.
  void CheckStop();
  void Step(StringView step);
  // The folder the run's log goes to.
  String RunFolder() const;

  // The conversions behind ProcessUnit, ProcessComment and ProcessForm.
  void ConvertUnit(const TTextFile& unit, const String& sourceFile,
                   TFileConversion& conversion) const;
  // kept holds, upper-cased, the mapped names the unit declares classes of
  // itself: they are left as they are.
  String ConvertComment(StringView lexem, const String& sourceFile, int& count,
                        TFileConversion& conversion, const std::unordered_set<String>& kept) const;
  // One pass of ConvertUnit: the rewritten unit into conversion (without its
  // log lines), names of kept left alone; the mapped names that a class
  // declaration ("Name = class") gives are appended to declared. Returns the
  // count of changes.
  // names, when given, counts the mapped names replaced in code.
  int RewriteUnit(const TTextFile& unit, const String& sourceFile,
                  const std::unordered_set<String>& kept, TFileConversion& conversion,
                  std::vector<String>& declared, std::map<String, int>* names) const;
  void ConvertForm(TFormFile form, const String& outputFile, TFormParser& parser, String& formText,
                   TFileConversion& conversion) const;
  // The bytes of a converted form text in the kind form was read in.
  std::string FormFileBytes(const TFormFile& form, StringView text, const String& outputFile) const;
  // The form file a resource directive names, beside sourceFile; "" when it
  // names none.
  static String ResourceFormName(StringView directive, const String& sourceFile);
  // Finds a form file named by a resource directive and appends it to Units.
  void AddResourceForm(const String& formFile);
  // FindFileIgnoringCase for a file a unit names: through the run's folder
  // index while there is one.
  String FindNamedFile(const String& file, TFileKind* kind);
  // Parses the mapped object whose keyword is at keywordPos (0-based) of
  // text and gives its new text; false when it does not parse.
  static bool ConvertObject(TFormParser& parser, const String& text, StringView target,
                            size_t keywordPos, int depth, String& written, size_t& next);
  // "No changes" for 0, else the count followed by " change(s)".
  static String ChangesText(int count);
  // The path of a file's converted copy; EFCreateError when it would be the
  // file itself.
  static String OutputFileName(const String& fileName, const String& outputFolder);

  TStringList class_map_;
  // What the source class names have in common, to turn most identifiers
  // away before the class map is searched.
  size_t min_source_length_ = SIZE_MAX;
  size_t max_source_length_ = 0;
  std::bitset<128> source_first_chars_;  // folded to lower case
  bool any_source_first_char_ = false;   // a name that starts above ASCII
  TStringList target_classes_;
  TStringList units_;
  // The names in units_, for AddResourceForm's duplicate check; rebuilt when
  // units_ may have changed otherwise (a new list, or a caller of Units).
  std::unordered_set<String> listed_units_;
  int listed_units_count_ = -1;
  TLogWriter log_;
  int changed_count_ = 0;
  TStringList undo_list_;
  TDatabaseMap database_map_;
  TFormParserClass form_parser_class_;
  std::unique_ptr<TFormParser> form_parser_;
  String source_unit_;
  String target_units_;
  TReplaceOptions& options_;
  TFileSystem* fs_ = &TFileSystem::Real();
  // What the operations read and tell: the run's input during a run handed
  // one, else options_, the host and the hooks.
  const TReplaceOptions& RunOptions() const { return run_options_ ? *run_options_ : options_; }
  const TReplaceOptions* run_options_ = nullptr;
  const TRunProject* run_project_ = nullptr;
  std::unique_ptr<TRunObserver> hooks_;
  TRunObserver* observer_ = nullptr;
  // The folders of the current unit list, listed once each for the forms
  // its units name: from InitUnitList to the end of the run; null outside.
  std::unique_ptr<TFolderIndex> folder_index_;
  // Converted copies are written durably, except into a run's temporary
  // folder, which a crash discards anyway.
  bool durable_outputs_ = true;
  // Where the current or last run puts its backups and undo file.
  String run_backup_dir_;
  // The changed files of the current or last run.
  std::vector<TRunFile> run_files_;
  // Of the current run: the real path of every file admitted, with the
  // name it was listed by; the real path of the run's folder; the backup
  // names taken (folded to lower case).
  std::unordered_map<String, String> admitted_;
  // Folder (as ExtractFilePath gives it) -> its RealPath, for RealPathOf.
  std::unordered_map<String, String> real_folders_;
  String real_run_folder_;
  std::unordered_set<String> backup_names_;
  // The text of the form being converted; the form parser keeps views into
  // the text of its last parse, so it lives until the next form.
  String form_text_;
  TRunReport* report_ = nullptr;
  const TFollowUpRules* follow_up_rules_ = nullptr;
};

}  // namespace mirel
