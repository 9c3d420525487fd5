#include "cli/RunSetup.h"

#include <unistd.h>

#include <fstream>
#include <iostream>

#include "cli/StopSignals.h"
#include "files/Paths.h"
#include "ide/IDEUtils.h"
#include "replace/KyReplacer.h"

namespace mirel::cli {

namespace {

// The project's .pas modules the --unit names choose (all of them when none
// is named), as the lines of UnitNames.
String ChooseUnits(const std::vector<std::string>& wanted) {
  std::vector<String> modules;
  for (int i = 0; i < TIDEUtils::GetProjectModuleCount(); ++i) {
    const String m = TIDEUtils::GetProjectModuleFileName(i);
    if (IsUnitFile(m)) modules.push_back(m);
  }
  String lines;
  if (wanted.empty()) {
    for (const String& m : modules) lines += m + u"\r\n";
    return lines;
  }
  for (const std::string& w : wanted) {
    const String name = FromUtf8(w);
    const String* found = nullptr;
    for (const String& m : modules) {
      const String file = ExtractFileName(m);
      if (SameText(file, name) || SameText(ChangeFileExt(file, u""), name)) {
        found = &m;
        break;
      }
    }
    if (found == nullptr) {
      String known;
      for (const String& m : modules)
        known += (known.empty() ? u"" : u", ") + ChangeFileExt(ExtractFileName(m), u"");
      throw TCliError(u"the project has no unit " + name + u" (its units: " + known + u")",
                      exitBadInput);
    }
    lines += *found + u"\r\n";
  }
  return lines;
}

}  // namespace

void TRunTarget::AddOptions(CLI::App& command) {
  CLI::Option* projectOption =
      command.add_option("--project", project, "The project: its .dpr or .dproj file")
          ->type_name("FILE");
  command
      .add_option("--unit", units,
                  "With --project: convert only this unit (its name, or its file name); "
                  "repeat for more. Default: every unit of the project")
      ->type_name("NAME")
      ->needs(projectOption);
  CLI::Option* folderOption =
      command
          .add_option("--folder", folder,
                      "A folder: every .pas and .dpr file in it, and their forms")
          ->type_name("DIR");
  command.add_flag("--subdirs", subdirs, "With --folder: also the folders below it")
      ->needs(folderOption);
  projectOption->excludes(folderOption);
}

String TRunTarget::SetUp(TDiskProjectHost& host, TReplaceOptions& options) const {
  if (project.empty() == folder.empty())
    throw TCliError(u"give either --project FILE or --folder DIR", exitBadInput);
  if (!project.empty()) {
    const String file = AbsolutePath(project);
    if (!IsProjectFile(file))
      throw TCliError(u"the project must be a .dpr or .dproj file: " + FromUtf8(project),
                      exitBadInput);
    try {
      host.Open(file);
    } catch (const Exception& e) {
      throw TCliError(e.Message(), exitBadInput);
    }
    host.Install();
    options.SetScope(TRunScope::Project);
    options.UnitNames = ChooseUnits(units);
    return ExtractFilePath(TIDEUtils::GetCurrentProjectFileName());
  }
  const String dir = AbsolutePath(folder);
  if (!TFileSystem::Real().FolderExists(dir)) {
    String message = u"Target directory \"" + FromUtf8(folder) + u"\" does not exist.";
    throw TCliError(message, exitBadInput);
  }
  options.SetScope(TRunScope::Folder);
  options.Directory = dir;
  options.IncludeSubDirs = subdirs;
  return dir;
}

void TProgressLine::Start() {
  meter_.Start(TProgressMeter::TClock::now());
  bytes_ = 0;
  pending_ = false;
}

void TProgressLine::Progress(int done, int known) {
  ProgressBytes(done, known, bytes_);
}

void TProgressLine::ProgressBytes(int done, int known, uint64_t bytesDone) {
  done_ = done;
  known_ = known;
  bytes_ = bytesDone;
  pending_ = true;
  const auto now = TProgressMeter::TClock::now();
  if (meter_.Due(now)) Draw(now);
}

void TProgressLine::Draw(TProgressMeter::TClock::time_point now) {
  const std::string text = ToUtf8(TProgressMeter::Text(done_, known_, bytes_, meter_.Elapsed(now)));
  // Blanks over what is left of a longer line before.
  const size_t blanks = width_ > text.size() ? width_ - text.size() : 0;
  std::cerr << "\rmirel-migrate: " << text << std::string(blanks, ' ') << std::flush;
  width_ = text.size();
  pending_ = false;
  drawn_ = true;
}

void TProgressLine::Stop() {
  if (pending_) Draw(TProgressMeter::TClock::now());
  if (drawn_) std::cerr << '\n';
  drawn_ = false;
  width_ = 0;
}

TCliRunObserver::TCliRunObserver(std::ostream* lines, bool stoppable)
    : lines_(lines), stoppable_(stoppable) {
  if (isatty(STDERR_FILENO)) progress_ = std::make_unique<TProgressLine>();
}

void TCliRunObserver::Start() {
  if (progress_) progress_->Start();
}

void TCliRunObserver::Stop() {
  if (progress_) progress_->Stop();
}

void TCliRunObserver::Progress(int done, int known) {
  if (progress_) progress_->Progress(done, known);
}

void TCliRunObserver::ProgressBytes(int done, int known, uint64_t bytesDone) {
  if (progress_) progress_->ProgressBytes(done, known, bytesDone);
}

void TCliRunObserver::LogLine(StringView line) {
  if (lines_) *lines_ << ToUtf8(line) << '\n';
}

void TCliRunObserver::StepReached(StringView step) {
  if (stoppable_) PauseForTestAt(step);
}

bool TCliRunObserver::StopRequested() {
  return stoppable_ && TStopSignals::Received() != 0;
}

void TCliRunObserver::Converted(const std::vector<TRunFile>& files) {
  if (OnConverted) OnConverted(files);
}

void TCliRunObserver::ShowLog(const String& logFile) {
  std::ifstream in(ToUtf8(logFile), std::ios::binary);
  if (in) std::cout << in.rdbuf();
}

TReplaceOptions NewRunOptions() {
  return TReplaceOptions(SharedOptions().Name());
}

TReportOption::~TReportOption() {
  if (replacer_) replacer_->SetReport(nullptr);
}

void TReportOption::AddOption(CLI::App& command) {
  command
      .add_option("--report", path_,
                  "Write a JSON report of the run to FILE: every converted object with its "
                  "converted and dropped properties (with their values), the objects that could "
                  "not be converted, and the places in units to finish by hand; written even "
                  "when the run fails")
      ->type_name("FILE");
}

void TReportOption::Begin(TComponentReplacer& replacer, StringView command, StringView profile,
                          StringView folder) {
  if (!Wanted()) return;
  report_ = TRunReport();
  report_.Command = String(command);
  report_.Profile = String(profile);
  report_.Folder = String(folder);
  replacer_ = &replacer;
  replacer.SetReport(&report_);
}

void TReportOption::Finish(bool finished, const String& error) {
  if (!Wanted()) return;
  if (replacer_) replacer_->SetReport(nullptr);
  replacer_ = nullptr;
  report_.Finished = finished;
  report_.Error = error;
  try {
    WriteReport(report_, AbsolutePath(path_), TFileSystem::Real());
  } catch (const Exception& e) {
    if (finished) throw TCliError(e.Message(), exitFailure);
    std::cerr << "mirel-migrate: " << ToUtf8(e.Message()) << '\n';
  }
}

String TReportOption::SummaryLine() const {
  return ReportSummaryLine(report_, AbsolutePath(path_));
}

}  // namespace mirel::cli
