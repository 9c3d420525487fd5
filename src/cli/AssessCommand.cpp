// assess: what a migration of a project or folder would do, before it is
// run. It converts everything as a dry run does, in a private temporary
// folder that it removes again, and writes nothing else: no backup, no log,
// no lock file.

#include <algorithm>
#include <iostream>
#include <map>
#include <memory>

#include "cli/CliCommon.h"
#include "cli/RunSetup.h"
#include "files/Paths.h"
#include "replace/KyReplacer.h"

namespace mirel::cli {

namespace {

struct TAssessArgs {
  std::string profile = "bde";
  TRunTarget target;
  std::string json;
  int codePage = 0;
  int jobs = 0;
};

// The mapped classes a file holds and how often: the objects of a form
// (converted or not), the class names in a unit's code.
std::map<String, int> ClassCounts(const TFileReport& file) {
  std::map<String, int> counts = file.MappedNames;
  for (const TConvertedObject& o : file.Objects) ++counts[o.OldClass];
  for (const TUnconvertedObject& o : file.NotConverted) ++counts[o.Class];
  return counts;
}

String CountsText(const std::map<String, int>& counts) {
  // Most frequent first, then by name.
  std::vector<std::pair<String, int>> sorted(counts.begin(), counts.end());
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  String text;
  for (const auto& [name, count] : sorted)
    text += (text.empty() ? u"" : u", ") + name + u" " + IntToStr(count);
  return text.empty() ? String(u"-") : text;
}

String KindText(const TFileReport& file) {
  String kind = file.Kind == TReportFileKind::Unit       ? u"unit"
                : file.Kind == TReportFileKind::TextForm ? u"text form"
                                                         : u"binary form";
  if (file.InheritedRoot) kind += u", inherited";
  if (file.InlineFrames > 0) kind += u", " + IntToStr(file.InlineFrames) + u" inline";
  return kind;
}

String NumberOr(int n) {
  return n == 0 ? String(u"-") : IntToStr(n);
}

// A table of text columns, left-aligned but for the numbers in columns
// [firstNumber, lastNumber].
void PrintTable(std::ostream& out, const std::vector<std::vector<String>>& rows, size_t firstNumber,
                size_t lastNumber) {
  std::vector<size_t> widths;
  for (const auto& row : rows)
    for (size_t c = 0; c < row.size(); ++c) {
      if (widths.size() <= c) widths.push_back(0);
      widths[c] = std::max(widths[c], row[c].size());
    }
  for (const auto& row : rows) {
    String line;
    for (size_t c = 0; c < row.size(); ++c) {
      const String pad(widths[c] - row[c].size(), u' ');
      const bool number = c >= firstNumber && c <= lastNumber;
      if (c > 0) line += u"  ";
      line += number ? pad + row[c] : row[c] + (c + 1 < row.size() ? pad : String());
    }
    out << ToUtf8(line) << '\n';
  }
}

void PrintAssessment(std::ostream& out, const TRunReport& report) {
  const TReportTotals t = report.Totals();
  out << "Assessment of " << ToUtf8(report.Folder) << " (profile " << ToUtf8(report.Profile)
      << "): " << t.Files << " file(s), " << t.ChangedFiles << " would change\n\n";
  std::vector<std::vector<String>> rows{
      {u"File", u"Kind", u"Objects", u"Dropped", u"Follow-ups", u"Mapped classes"}};
  std::map<String, int> all;
  for (const TFileReport& f : report.Files) {
    const std::map<String, int> counts = ClassCounts(f);
    for (const auto& [name, n] : counts) all[name] += n;
    int dropped = 0;
    for (const TConvertedObject& o : f.Objects) dropped += static_cast<int>(o.Dropped.size());
    rows.push_back({RelativeToFolder(f.File, report.Folder), KindText(f),
                    NumberOr(static_cast<int>(f.Objects.size())), NumberOr(dropped),
                    NumberOr(static_cast<int>(f.FollowUps.size())), CountsText(counts)});
  }
  rows.push_back({u"Total", u"", NumberOr(t.Objects), NumberOr(t.DroppedProperties),
                  NumberOr(t.FollowUps), CountsText(all)});
  PrintTable(out, rows, 2, 4);

  bool header = false;
  for (const TFileReport& f : report.Files)
    for (const TUnconvertedObject& o : f.NotConverted) {
      if (!header) out << "\nObjects that would not be converted:\n";
      header = true;
      out << "  " << ToUtf8(RelativeToFolder(f.File, report.Folder)) << ':' << o.Line << "  "
          << ToUtf8(o.Name) << ": " << ToUtf8(o.Class) << "  " << ToUtf8(o.Reason) << '\n';
    }
  out << '\n' << t.ChangedFiles << " file(s) would change" << (t.ChangedFiles ? ":" : ".") << '\n';
  for (const TFileReport& f : report.Files)
    if (f.Changed) out << "  " << ToUtf8(RelativeToFolder(f.File, report.Folder)) << '\n';
  if (t.FollowUps > 0)
    out << "\n"
        << t.FollowUps
        << " follow-up(s) in units: places the migration cannot fix; --json lists each with "
           "its line and a hint.\n";
}

int Assess(const TAssessArgs& a) {
  ApplyCodePage(a.codePage);
  TProfilesScope profiles;
  TReplaceOptions options = NewRunOptions();
  TDiskProjectHost host;
  const String base = a.target.SetUp(host, options);
  options.Threads = a.jobs;
  options.WriteLog = false;
  options.ViewLog = false;

  TComponentReplacer& replacer = a.profile == "ado" ? AdoReplacer() : BdeReplacer();
  TRunReport report;
  report.Command = u"assess";
  report.Profile = FromUtf8(a.profile);
  report.Folder = base;
  replacer.SetReport(&report);
  struct Unhook {
    TComponentReplacer& replacer;
    ~Unhook() { replacer.SetReport(nullptr); }
  } unhook{replacer};
  TCliRunObserver observer(nullptr, false);
  const TRunInput input{options, TComponentReplacer::HostProject(), TFileSystem::Real(), observer};

  int code = exitOk;
  try {
    report.Finished = replacer.Run(TRunMode::DryRun, input);
  } catch (const Exception& e) {
    // A file that cannot be read (or written into the temporary folder):
    // what was read so far is still shown, and the file is named.
    report.Error = e.Message();
    code = exitFailure;
  }
  PrintAssessment(std::cout, report);
  if (!a.json.empty()) WriteOutput(a.json, ReportJson(report));
  if (code != exitOk)
    std::cerr << "mirel-migrate: " << ToUtf8(report.Error)
              << "\nThe assessment is incomplete: it stopped at that file.\n";
  return code;
}

}  // namespace

void AddAssessCommands(CLI::App& app, TCommandAction& action) {
  auto a = std::make_shared<TAssessArgs>();
  CLI::App* assess = app.add_subcommand(
      "assess", "Show what a migration would convert, drop and leave to do, changing nothing");
  assess
      ->add_option("--profile", a->profile,
                   "bde: BDE and InfoPower components, unit DBTables (default); ado: ADO "
                   "components, unit ADODB")
      ->check(CLI::IsMember({"bde", "ado"}))
      ->type_name("bde|ado");
  a->target.AddOptions(*assess);
  assess
      ->add_option("--json", a->json,
                   "Also write the assessment as JSON to FILE, in the format of replace "
                   "--report (-: standard output)")
      ->type_name("FILE");
  assess
      ->add_option("-j,--jobs", a->jobs,
                   "Convert this many files at once (default: one per processor core)")
      ->check(CLI::Range(1, 64))
      ->type_name("N");
  AddCodePageOption(*assess, a->codePage);
  assess->footer(
      "Converts the files of a project or folder as replace would, in a private temporary "
      "folder it removes again, and prints per file and in total: the mapped classes it holds "
      "(objects in forms, names in units), which forms are binary, inherited or hold inline "
      "frames, how many objects would be converted, how many of their properties would be "
      "dropped because the new class lacks them, and how many places in units would still "
      "need a hand (follow-ups); then the objects that would not be converted, with the "
      "reason and line, and the files that would change. Nothing is written: no original, "
      "backup, undo file, log or lock file.\n\n"
      "Examples:\n"
      "  mirel-migrate assess --project ~/src/OrderDesk/OrderDesk.dpr\n"
      "  mirel-migrate assess --profile ado --folder ~/src/Inventory --subdirs --json inv.json\n"
      "Exit status: 0 everything was read, 1 a file could not be read (named; the assessment "
      "shows what was read before it), 2 bad usage or bad input.");
  assess->callback([a, &action] { action = [a] { return Assess(*a); }; });
}

}  // namespace mirel::cli
