// convert: migrates a few units and forms into another folder with one of the
// two profiles, leaving the originals alone; a way to try the migration on
// some files before running it over a whole project.
#include <filesystem>
#include <iostream>
#include <memory>
#include <vector>

#include "cli/CliCommon.h"
#include "cli/RunSetup.h"
#include "files/FileUtils.h"
#include "files/Paths.h"
#include "replace/KyReplacer.h"
#include "rtl/FormStream.h"

namespace mirel::cli {

namespace {

namespace fs = std::filesystem;

struct TConvertOptions {
  std::vector<std::string> paths;  // the files, then OUTDIR
  std::string profile = "bde";
  int codePage = 0;
  TReportOption report;
};

constexpr const char* kPathsName = "FILE... OUTDIR";

// Shows the paths in the usage line as "FILE... OUTDIR", not as a list of
// OUTDIRs.
class TPathsFormatter : public CLI::Formatter {
 public:
  std::string make_option_usage(const CLI::Option* opt) const override {
    if (opt->get_name() == kPathsName) return kPathsName;
    return CLI::Formatter::make_option_usage(opt);
  }
};

// Checks the inputs before anything is written: every file readable and of a
// kind the profiles convert, no two with the same name (their copies would
// land on each other in OUTDIR), none inside OUTDIR itself (its copy would
// replace it).
std::vector<String> CheckInputs(const std::vector<std::string>& files, const fs::path& outDir) {
  std::vector<String> names;
  std::vector<String> seen;
  for (const std::string& file : files) {
    // As the replacer and its log will name it.
    const String name = AbsolutePath(file);
    std::error_code ec;
    const fs::file_status status = fs::status(fs::path(file), ec);
    if (!fs::exists(status))
      throw TCliError(u"cannot read " + FromUtf8(file) + u": No such file or directory",
                      exitFailure);
    if (!fs::is_regular_file(status))
      throw TCliError(FromUtf8(file) + u" is not a regular file", exitBadInput);
    if (!IsPascalSource(name) && !IsFormFile(name))
      throw TCliError(FromUtf8(file) +
                          u" is neither a Pascal unit or project file (.pas, .dpr) nor a form "
                          u"file (.dfm, .nfm)",
                      exitBadInput);
    const String base = ExtractFileName(name);
    for (const String& other : seen)
      if (other == base)
        throw TCliError(u"two files are named " + base +
                            u"; their converted copies would overwrite each other in OUTDIR",
                        exitBadInput);
    seen.push_back(base);
    if (fs::exists(outDir, ec) &&
        fs::equivalent(
            fs::path(file).parent_path().empty() ? fs::path(".") : fs::path(file).parent_path(),
            outDir, ec))
      throw TCliError(
          FromUtf8(file) + u" is in OUTDIR; its converted copy would replace the original",
          exitBadInput);
    names.push_back(name);
  }
  return names;
}

int Convert(TConvertOptions& o) {
  ApplyCodePage(o.codePage);
  // CLI11 fills a list positional greedily, so OUTDIR arrives as its last item.
  MIREL_ASSERT(o.paths.size() >= 2);
  const std::vector<std::string> files(o.paths.begin(), o.paths.end() - 1);
  const std::string& outArg = o.paths.back();
  const std::vector<String> names = CheckInputs(files, fs::path(outArg));

  const String outDir = AbsolutePath(outArg);
  if (!ForceFolders(outDir))
    throw TCliError(u"cannot create the folder " + FromUtf8(outArg), exitFailure);
  // OUTDIR may only now exist; a link there could still point at an input's folder.
  CheckInputs(files, fs::path(outArg));

  TProfilesScope profiles;
  TComponentReplacer& replacer = o.profile == "ado" ? AdoReplacer() : BdeReplacer();
  replacer.Units().Clear();
  replacer.DatabaseMap().Clear();
  replacer.SetChangedCount(0);
  replacer.OnLogLine = [](StringView line) { std::cout << ToUtf8(line) << '\n'; };
  o.report.Begin(replacer, u"convert", FromUtf8(o.profile), String());
  const auto failed = [&o](const Exception& e) { o.report.Finish(false, e.Message()); };

  try {
    // Every form's database names are known before any form is converted,
    // so a query finds the TDatabase of another form given.
    for (const String& name : names)
      if (IsFormFile(name)) replacer.CollectDatabaseNames(name);
    for (const String& name : names) replacer.ProcessFile(name, outDir);
  } catch (const EFormFormatError& e) {
    failed(e);
    throw TCliError(e.Message(), exitBadInput);
  } catch (const EFOpenError& e) {
    failed(e);
    throw TCliError(e.Message(), exitFailure);
  } catch (const EFCreateError& e) {
    failed(e);
    throw TCliError(e.Message(), exitFailure);
  }
  o.report.Finish(true, String());
  if (o.report.Wanted()) std::cout << ToUtf8(o.report.SummaryLine()) << '\n';
  std::cout.flush();

  // A unit's form that was not given stays unconverted: say so, since the
  // converted unit no longer matches it.
  for (const TStringList::Item& form : replacer.Units().Items()) {
    bool given = false;
    for (const String& name : names) given = given || name == form.text;
    if (!given)
      std::cerr << "mirel-migrate: note: " << ToUtf8(form.text)
                << " is the form of a converted unit but was not given; convert it as well\n";
  }
  replacer.Units().Clear();
  replacer.OnLogLine = nullptr;
  return exitOk;
}

}  // namespace

void AddConvertCommands(CLI::App& app, TCommandAction& action) {
  auto options = std::make_shared<TConvertOptions>();
  CLI::App* convert = app.add_subcommand(
      "convert", "Migrate units and form files into another folder, leaving the originals alone");
  convert
      ->add_option(kPathsName, options->paths,
                   "The units (.pas), project files (.dpr) and form files (.dfm, .nfm, text "
                   "or binary) to convert, then the folder to write the converted copies to "
                   "(created when missing)")
      ->required()
      ->expected(2, -1)
      ->type_name("");
  convert->formatter(std::make_shared<TPathsFormatter>());
  convert
      ->add_option("--profile", options->profile,
                   "bde: BDE and InfoPower components, unit DBTables (default); ado: ADO "
                   "components, unit ADODB")
      ->check(CLI::IsMember({"bde", "ado"}))
      ->type_name("bde|ado");
  AddCodePageOption(*convert, options->codePage);
  options->report.AddOption(*convert);
  convert->footer(
      "Converts each FILE as the migration wizard would and writes the copy of every file that "
      "changed into OUTDIR under the same name; files without changes are not written. The "
      "originals are never modified.\n"
      "In a unit, the source unit (DBTables or ADODB) gets the Mirel units after it in every "
      "uses clause, and every name of a migrated class (TQuery, TADOConnection, ...) gets its "
      "Mirel class, in code and in comments. In a form, every object of a migrated class gets "
      "its Mirel class and its properties converted: login parameters, isolation levels, SQL "
      "text, master-detail links; properties the new class does not have are dropped.\n"
      "Database names are looked up across all forms given: a query whose DatabaseName is "
      "declared by a TDatabase on a data module gets a Connection to that component, when "
      "the data module's form is given too. Give a unit together with its form, so that both "
      "are converted alike.\n"
      "Files keep their encoding and byte-order mark; text without a mark is read in the code "
      "page (--codepage, default 1252). Binary forms stay binary.\n"
      "Prints, for every file, \"Processing file: PATH\" and \"No changes\" or \"N change(s)\".\n\n"
      "Examples:\n"
      "  mirel-migrate convert Main.pas Main.dfm DataModule1.dfm converted/\n"
      "  mirel-migrate convert --profile ado Orders.pas Orders.dfm /tmp/ado-try\n"
      "  mirel-migrate convert Main.pas Main.dfm /tmp/try --report /tmp/try/report.json\n"
      "Exit status: 0 done, 1 a file could not be read or written, 2 bad usage, a file of "
      "another kind, or a damaged binary form.");
  convert->callback([options, &action] { action = [options] { return Convert(*options); }; });
}

}  // namespace mirel::cli
