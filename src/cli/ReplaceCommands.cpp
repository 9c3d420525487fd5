// replace and restore: the whole migration of a project or a folder, with
// backups and an undo file, and the way back.
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <memory>
#include <vector>

#include "cli/CliCommon.h"
#include "cli/RunSetup.h"
#include "cli/StopSignals.h"
#include "files/Paths.h"
#include "host/DiskProjectHost.h"
#include "ide/IDEUtils.h"
#include "replace/KyReplacer.h"
#include "replace/Restore.h"
#include "replace/RunPatch.h"
#include "replace/UndoFile.h"
#include "rtl/FormStream.h"

namespace mirel::cli {

namespace {

namespace fs = std::filesystem;

struct TReplaceArgs {
  std::string profile = "bde";
  TRunTarget target;
  std::string backupDir;
  bool noBackup = false;
  bool noLog = false;
  bool viewLog = false;
  bool verbose = false;
  int codePage = 0;
  int jobs = 0;
  bool dryRun = false;
  std::string patch;  // "-": standard output
  TReportOption report;
};

String Quoted(StringView pattern, StringView value) {
  String out(pattern);
  const size_t at = out.find(u"%s");
  if (at != String::npos) out.replace(at, 2, value);
  return out;
}

// --patch: the patch of every change is made once every file is converted,
// while each original is still as it was; it is written only when the run
// has done what the patch says.
class TPatchRecorder {
 public:
  TPatchRecorder(const std::string& path, const String& base) : path_(path), base_(base) {}

  void Record(TComponentReplacer& replacer, const std::vector<TRunFile>& files) {
    if (path_ != "-") {
      // The patch must not take the place of a file the run reads.
      const String target = TFileSystem::Real().RealPath(AbsolutePath(path_));
      for (int i = 0; !target.empty() && i < replacer.Units().Count(); ++i)
        if (TFileSystem::Real().RealPath(replacer.Units()[i]) == target)
          throw EPatchError(u"Cannot write the patch to \"" + FromUtf8(path_) +
                            u"\": it is a file of the run.");
    }
    text_ = MakeRunPatch(files, base_);
  }
  void Write() const { WriteOutput(path_, text_); }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  String base_;
  std::string text_;
};

int Replace(TReplaceArgs& a) {
  ApplyCodePage(a.codePage);
  if (a.patch == "-" && a.viewLog)
    throw TCliError(
        u"--view-log prints the log on standard output, where --patch - writes the "
        u"patch; use --patch FILE",
        exitBadInput);

  TProfilesScope profiles;
  TReplaceOptions options = NewRunOptions();
  TDiskProjectHost host;
  // The project's or the target folder.
  const String base = a.target.SetUp(host, options);

  // The backup folder: RBackup by default; a relative one lies under the
  // project's or target folder, as in the wizard.
  options.Threads = a.jobs;
  options.MakeBackup = !a.noBackup;
  const String typed = a.backupDir.empty() ? String(u"RBackup") : FromUtf8(a.backupDir);
  options.BackupDir = !typed.empty() && typed[0] == u'/' ? typed : CombinePath(base, typed);
  options.WriteLog = !a.noLog && !a.dryRun;
  options.ViewLog = a.viewLog;
  // A dry run writes no log; the log lines go nowhere unless --verbose.
  const bool logWritten = options.WriteLog;
  // With the patch on standard output, what the run says goes to stderr.
  std::ostream& say = a.patch == "-" ? std::cerr : std::cout;

  TComponentReplacer& replacer = a.profile == "ado" ? AdoReplacer() : BdeReplacer();
  // Ctrl-C and SIGTERM stop the run where that loses nothing (see
  // TComponentReplacer::Run) instead of ending the process.
  TStopSignals signals;
  TCliRunObserver observer(a.verbose ? &say : nullptr, true);
  std::unique_ptr<TPatchRecorder> patch;
  if (!a.patch.empty()) {
    patch = std::make_unique<TPatchRecorder>(a.patch, base);
    observer.OnConverted = [&replacer, &patch](const std::vector<TRunFile>& files) {
      patch->Record(replacer, files);
    };
  }
  a.report.Begin(replacer, a.dryRun ? u"replace --dry-run" : u"replace", FromUtf8(a.profile), base);
  const TRunInput input{options, TComponentReplacer::HostProject(), TFileSystem::Real(), observer};

  const String failed = a.dryRun ? String(u"\r\nDry run failed. No file was changed.")
                                 : String(u"\r\nReplace failed. No original was changed.");
  bool ok = false;
  try {
    try {
      ok = replacer.Run(a.dryRun ? TRunMode::DryRun : TRunMode::Replace, input);
    } catch (const Exception& e) {
      // The report says how far the run got and why it stopped.
      a.report.Finish(false, e.Message());
      throw;
    }
  } catch (const ERunStopped& e) {
    const int signal = TStopSignals::Received();
    std::cerr << "mirel-migrate: " << ToUtf8(SignalName(signal)) << ": " << ToUtf8(e.Message())
              << '\n';
    if (logWritten)
      std::cerr << "See the log: " << ToUtf8(CombinePath(base, u"Wiz_Log.txt")) << '\n';
    return 128 + signal;
  } catch (const EFormFormatError& e) {
    throw TCliError(e.Message() + failed, exitFailure);
  } catch (const Exception& e) {
    throw TCliError(e.Message() + failed, exitFailure);
  }
  const int stopSignal = TStopSignals::Received();
  a.report.Finish(ok && stopSignal == 0,
                  ok ? (stopSignal ? u"stopped by " + SignalName(stopSignal) : String())
                     : String(u"Replace failed."));
  const auto sayReport = [&a, &say] {
    if (a.report.Wanted()) say << ToUtf8(a.report.SummaryLine()) << '\n';
  };
  if (a.dryRun) {
    if (const int signal = TStopSignals::Received()) {
      std::cerr << "mirel-migrate: " << ToUtf8(SignalName(signal))
                << ": stopped; no file was changed.\n";
      return 128 + signal;
    }
    if (patch) patch->Write();
    const std::vector<TRunFile>& files = replacer.RunFiles();
    say << "Dry run: no file was changed.\n"
        << files.size() << " file(s) would change" << (files.empty() ? "." : ":") << '\n';
    for (const TRunFile& f : files)
      say << "  " << ToUtf8(RelativeToFolder(f.Original, base)) << '\n';
    if (patch && patch->Path() != "-") say << "Patch: " << patch->Path() << '\n';
    sayReport();
    return exitOk;
  }
  if (const int signal = TStopSignals::Received()) {
    // Asked while the originals were being replaced: that was finished first.
    std::cerr << "mirel-migrate: " << ToUtf8(SignalName(signal))
              << ": stopped once the replacement of the originals was complete.\n";
    if (ok) {
      std::cerr << "Replace procedure was performed sucessfully.\n"
                << replacer.ChangedCount() << " file(s) changed.\n";
      if (options.MakeBackup && replacer.ChangedCount() > 0)
        std::cerr << "Undo file: " << ToUtf8(replacer.UndoFileName()) << '\n';
    } else {
      std::cerr << "Replace failed.\n";
    }
    if (options.WriteLog)
      std::cerr << "See the log: " << ToUtf8(CombinePath(base, u"Wiz_Log.txt")) << '\n';
    if (patch) std::cerr << "No patch was written.\n";
    return 128 + signal;
  }
  if (!ok) {
    std::cerr << "Replace failed.\n";
    if (a.report.Wanted()) std::cerr << "Report: " << ToUtf8(AbsolutePath(a.report.Path())) << '\n';
    if (patch) std::cerr << "No patch was written.\n";
    if (options.WriteLog)
      std::cerr << "See the log: " << ToUtf8(CombinePath(base, u"Wiz_Log.txt")) << '\n';
    return exitFailure;
  }
  say << "Replace procedure was performed sucessfully.\n"
      << replacer.ChangedCount() << " file(s) changed.\n";
  if (options.MakeBackup && replacer.ChangedCount() > 0)
    say << "Backups: " << ToUtf8(ExtractFilePath(replacer.UndoFileName()))
        << "\nUndo file: " << ToUtf8(replacer.UndoFileName()) << '\n';
  if (options.WriteLog && !options.ViewLog)
    say << "Log: " << ToUtf8(CombinePath(base, u"Wiz_Log.txt")) << '\n';
  if (patch) {
    // The originals are replaced by now: a patch that cannot be written is
    // a failure of its own, and says that the run itself is done.
    try {
      patch->Write();
    } catch (const TCliError& e) {
      throw TCliError(e.Message() + u"\r\nThe replace itself was completed.", exitFailure);
    }
    if (patch->Path() != "-") say << "Patch: " << patch->Path() << '\n';
  }
  sayReport();
  return exitOk;
}

struct TRestoreArgs {
  std::string undoFile;
  bool force = false;
};

// What a restore is about to overwrite, for a person at a terminal.
void PrintRestorePlan(const TRestoreResult& plan) {
  bool any = false;
  for (const TRestoreItem& item : plan.Items) {
    if (item.Status != TRestoreStatus::Pending || !item.Overwrites) continue;
    if (!any) std::cout << "Restoring will overwrite:\n";
    any = true;
    std::cout << "  " << ToUtf8(item.Original) << '\n';
  }
  std::cout << std::flush;
}

int Restore(const TRestoreArgs& a) {
  const String undoFile = AbsolutePath(a.undoFile);
  if (!TFileSystem::Real().FileExists(undoFile))
    throw TCliError(Quoted(u"Undo file \"%s\" does not exist.", FromUtf8(a.undoFile)),
                    exitBadInput);
  TProfilesScope profiles;
  TRestoreOptions options;
  options.Force = a.force;
  if (isatty(STDOUT_FILENO)) options.OnPlan = PrintRestorePlan;
  TRestoreResult result;
  try {
    result = BdeReplacer().RestoreWithReport(undoFile, options);
  } catch (const Exception& e) {
    throw TCliError(e.Message() + u"\r\nFailed to restore files.", exitFailure);
  }
  if (result.NothingToRestore()) {
    std::cout << "Nothing to restore.\n";
    return exitOk;
  }
  if (result.Succeeded()) {
    std::cout << "Files were succefully restored.\n";
    return exitOk;
  }
  for (const TRestoreItem& item : result.Items)
    if (item.Status != TRestoreStatus::Restored && item.Status != TRestoreStatus::Pending)
      std::cerr << ToUtf8(DescribeRestoreItem(item)) << '\n';
  if (result.BackupMissing) {
    std::cerr << "Nothing was restored: every backup must be there.\n";
  } else {
    std::cout << result.With(TRestoreStatus::Restored).size() << " of " << result.Items.size()
              << " file(s) restored.\n";
    if (!result.With(TRestoreStatus::Changed).empty() ||
        !result.With(TRestoreStatus::Refused).empty())
      std::cerr << "Use --force to restore those too.\n";
  }
  std::cerr << "Failed to restore files.\n";
  return exitFailure;
}

}  // namespace

void AddReplaceCommands(CLI::App& app, TCommandAction& action) {
  auto a = std::make_shared<TReplaceArgs>();
  CLI::App* replace = app.add_subcommand(
      "replace", "Migrate a whole project or folder in place, with backups and an undo file");
  replace
      ->add_option("--profile", a->profile,
                   "bde: BDE and InfoPower components, unit DBTables (default); ado: ADO "
                   "components, unit ADODB")
      ->check(CLI::IsMember({"bde", "ado"}))
      ->type_name("bde|ado");
  a->target.AddOptions(*replace);
  CLI::Option* backup =
      replace
          ->add_option("--backup-dir", a->backupDir,
                       "Where the originals of changed files are copied, with the undo file "
                       "RExpert.reu; a relative folder lies under the project's or target "
                       "folder. Default: RBackup there")
          ->type_name("DIR");
  replace->add_flag("--no-backup", a->noBackup, "Make no backups and no undo file")
      ->excludes(backup);
  replace->add_flag("--no-log", a->noLog, "Do not write the log Wiz_Log.txt");
  CLI::Option* viewLog =
      replace->add_flag("--view-log", a->viewLog, "Print the log when the run is over");
  replace
      ->add_flag("--dry-run", a->dryRun,
                 "Convert everything in a private temporary folder and stop there: list the "
                 "files that would change, and change nothing (no original, backup, undo file "
                 "or log is written)")
      ->excludes(viewLog);
  replace
      ->add_option("--patch", a->patch,
                   "Write every change as one patch (git's format, binary forms included) "
                   "that `git apply` applies in the project's or target folder; with --dry-run "
                   "what the run would change, without it what it changed. -: standard output")
      ->type_name("FILE");
  a->report.AddOption(*replace);
  replace->add_flag("-v,--verbose", a->verbose, "Print every log line as the run goes");
  replace
      ->add_option("-j,--jobs", a->jobs,
                   "Convert this many files at once (default: one per processor core); the "
                   "result and the log are the same for any number")
      ->check(CLI::Range(1, 64))
      ->type_name("N");
  AddCodePageOption(*replace, a->codePage);
  replace->footer(
      "Converts the units (.pas, .dpr) of a project or a folder, and the form file (.dfm, "
      ".nfm, text or binary) each unit includes, from BDE or ADO components to the Mirel SQL "
      "Server components. Every file is converted into a private temporary folder first; the "
      "original of every changed file is copied into the backup folder and listed in the undo "
      "file; only then are the originals replaced. If anything fails before that, no original "
      "is changed.\n"
      "In project mode, the units of the project are taken (or those named with --unit), and "
      "every form's TDatabase names are collected first, so a query on one form finds the "
      "connection declared on another. In folder mode, every .pas and .dpr file is taken.\n"
      "The log Wiz_Log.txt is written in the project's or target folder. A backup folder that "
      "already holds an earlier run's undo file keeps it: the new run's backups go into "
      "RBackup/2, RBackup/3, ...\n"
      "--dry-run does the conversion only and lists the files that would change; nothing in "
      "the folders is written. --patch FILE writes the changes as one patch with paths "
      "relative to the project's or target folder (a/Main.pas, b/Main.pas): text files as "
      "diffs of their own bytes (which `patch -p1` applies too), binary forms and UTF-16 "
      "files as git binary patches (`git apply` only). A run whose files lie outside that "
      "folder cannot be one patch and stops before anything changes. Without --dry-run the "
      "patch is written once the run has replaced every original. Inside a git repository "
      "whose top is above that folder, git apply skips such paths without a word: apply it "
      "from the top with --directory=<the folder, from the top>.\n"
      "--report FILE writes what the run did as JSON (docs/report.md): per file every "
      "converted object, each property converted (old and new name and value) or dropped "
      "(with its value), the objects not converted and why, and the follow-ups: places in "
      "units that still use what the new classes lack (Query1.DatabaseName, Session, "
      "DbiXxx calls). A last line counts them. The report is written even when the run "
      "fails, and says where it stopped.\n\n"
      "Examples:\n"
      "  mirel-migrate replace --project ~/src/OrderDesk/OrderDesk.dpr\n"
      "  mirel-migrate replace --profile ado --folder ~/src/Inventory --subdirs\n"
      "  mirel-migrate replace --project App.dproj --unit Main --unit DataMod --view-log\n"
      "  mirel-migrate replace --dry-run --project ~/src/OrderDesk/OrderDesk.dpr --patch "
      "~/od.patch\n"
      "  cd ~/src/OrderDesk && git apply ~/od.patch   # the files the run would write\n"
      "  mirel-migrate replace --project ~/src/OrderDesk/OrderDesk.dpr --report ~/od.json\n"
      "  mirel-migrate restore ~/src/OrderDesk/RBackup/RExpert.reu\n"
      "Ctrl-C or SIGTERM before the first original is replaced stops the run and changes no "
      "original; once the originals are being replaced, that is finished first. A second run "
      "over a folder a run is using refuses to start.\n"
      "Exit status: 0 done, 1 the replace or dry run failed (see the log), another run is "
      "using the folder, or the patch could not be made or written, 2 bad usage or bad "
      "input, 130 stopped by Ctrl-C, 143 stopped by SIGTERM.");
  replace->callback([a, &action] { action = [a] { return Replace(*a); }; });

  auto undo = std::make_shared<TRestoreArgs>();
  CLI::App* restore = app.add_subcommand(
      "restore", "Put back the originals a replace run backed up, from its undo file");
  restore->add_option("UNDO_FILE", undo->undoFile, "The undo file RExpert.reu in the backup folder")
      ->required()
      ->type_name("");
  restore->add_flag("--force", undo->force,
                    "Also overwrite files changed since the run, and restore lines that lie "
                    "outside the run's folders");
  restore->footer(
      "Puts every backup the undo file lists back in place of its original: as a second name "
      "of the backup where the file system allows (no space needed), else as a copy; each "
      "file is replaced in one step. Nothing is restored unless every backup is there. A file "
      "that cannot be restored is named and the others still are. The backups and the undo "
      "file stay, so a restore can be repeated.\n"
      "A file changed since the run (its checksum in RExpert.sum, beside the undo file, "
      "differs) is not overwritten, and neither is a file the run did not write, nor one "
      "whose backup lies outside the undo file's folder; each is named. --force restores "
      "them all the same. On a terminal, the files about to be overwritten are listed first.\n\n"
      "Example:\n"
      "  mirel-migrate restore ~/src/OrderDesk/RBackup/RExpert.reu\n"
      "  mirel-migrate restore --force ~/src/OrderDesk/RBackup/RExpert.reu\n"
      "Exit status: 0 done (also when there was nothing to restore), 1 some files were not "
      "restored (each is named), 2 no such undo file.");
  restore->callback([undo, &action] { action = [undo] { return Restore(*undo); }; });
}

}  // namespace mirel::cli
