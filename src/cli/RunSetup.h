// What replace and assess share: choosing the files of a run, a project
// (all or some of its units) or a folder, from the command line, and
// collecting the run's report.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/CliCommon.h"
#include "host/DiskProjectHost.h"
#include "replace/Replacer.h"
#include "replace/RunReport.h"
#include "rtl/Hooks.h"
#include "rtl/ProgressMeter.h"

namespace mirel::cli {

/// --project FILE [--unit NAME]... | --folder DIR [--subdirs]
struct TRunTarget {
  std::string project;
  std::vector<std::string> units;
  std::string folder;
  bool subdirs = false;

  /// Adds the four options to command.
  void AddOptions(CLI::App& command);
  /// Opens the project in host and installs it, or checks the folder, and
  /// sets options' Dest, UnitNames or Directory and IncludeSubDirs. Returns
  /// the project's or target folder. TCliError (bad input) for a missing or
  /// malformed project, a unit it does not have, a missing folder.
  String SetUp(TDiskProjectHost& host, TReplaceOptions& options) const;
};

/// Files done of files known on one line of a terminal (stderr), with the
/// megabytes per second and the time left once the run is longer than two
/// seconds (TProgressMeter), redrawn at most ten times a second. The last
/// state is drawn when the run stops. Installed only when stderr is a
/// terminal.
class TProgressLine : public TWaitIndicator {
 public:
  void Start() override;
  void Progress(int done, int known) override;
  void ProgressBytes(int done, int known, uint64_t bytesDone) override;
  void Stop() override;

 private:
  void Draw(TProgressMeter::TClock::time_point now);

  TProgressMeter meter_;
  int done_ = 0;
  int known_ = 0;
  uint64_t bytes_ = 0;
  bool pending_ = false;  // a state not drawn yet
  bool drawn_ = false;
  size_t width_ = 0;  // of the text last drawn
};

/// What replace and assess show of a run: its log lines on lines (with
/// --verbose; null: nowhere), the progress line when stderr is a terminal,
/// the log printed on standard output when it is to be shown (--view-log).
/// A stoppable run (replace, while a TStopSignals lives) stops on Ctrl-C or
/// SIGTERM and reaches the test pause points (PauseForTestAt) at its steps.
class TCliRunObserver : public TRunObserver {
 public:
  TCliRunObserver(std::ostream* lines, bool stoppable);

  /// Called with the converted files (replace's --patch); empty: nothing.
  std::function<void(const std::vector<TRunFile>& files)> OnConverted;

  void Start() override;
  void Stop() override;
  void Progress(int done, int known) override;
  void ProgressBytes(int done, int known, uint64_t bytesDone) override;
  void LogLine(StringView line) override;
  void StepReached(StringView step) override;
  bool StopRequested() override;
  void Converted(const std::vector<TRunFile>& files) override;
  void ShowLog(const String& logFile) override;

 private:
  std::ostream* lines_;
  bool stoppable_;
  std::unique_ptr<TProgressLine> progress_;  // on a terminal only
};

/// The options a run from the command line starts from: those a new
/// wizard would show, under the profiles' name.
TReplaceOptions NewRunOptions();

/// --report FILE: a report of the run, written however the command ends.
class TReportOption {
 public:
  TReportOption() = default;
  TReportOption(const TReportOption&) = delete;
  TReportOption& operator=(const TReportOption&) = delete;
  ~TReportOption();

  /// Adds --report FILE to command.
  void AddOption(CLI::App& command);
  bool Wanted() const { return !path_.empty(); }
  const std::string& Path() const { return path_; }

  /// Collects what replacer converts from now on (when Wanted).
  void Begin(TComponentReplacer& replacer, StringView command, StringView profile,
             StringView folder);
  /// Writes the report as it stands. When the command failed, a report that
  /// cannot be written is said on stderr (the failure is the news); when it
  /// succeeded, TCliError (failure) says it.
  void Finish(bool finished, const String& error);
  /// "N object(s) converted, ...; report: FILE"
  String SummaryLine() const;
  const TRunReport& Report() const { return report_; }

 private:
  std::string path_;
  TRunReport report_;
  TComponentReplacer* replacer_ = nullptr;
};

}  // namespace mirel::cli
