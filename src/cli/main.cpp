// mirel-migrate: the command-line front end of the migration engine.
#include <malloc.h>

#include <iostream>

#include "cli/CliCommon.h"

namespace mirel::cli {
void AddFormCommands(CLI::App& app, TCommandAction& action);
void AddConvertCommands(CLI::App& app, TCommandAction& action);
void AddReplaceCommands(CLI::App& app, TCommandAction& action);
void AddAssessCommands(CLI::App& app, TCommandAction& action);
}  // namespace mirel::cli

namespace {

using namespace mirel::cli;

// The subcommand families, in the order --help lists them.
constexpr TRegisterCommands kCommandFamilies[] = {
    AddAssessCommands,
    AddReplaceCommands,
    AddConvertCommands,
    AddFormCommands,
};

}  // namespace

int main(int argc, char** argv) {
  // A run reads, decodes and rewrites file after file into buffers of a few
  // megabytes (a 2 MB unit is 4 MB as UTF-16). By default glibc maps each
  // such buffer afresh and unmaps it when freed, paying page faults and TLB
  // flushes per file; kept in the heap they are reused. The process ends
  // with its command, so holding on to freed memory costs nothing later.
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
  mallopt(M_TRIM_THRESHOLD, 128 << 20);
  CLI::App app(
      "Migrates Delphi applications from BDE or ADO data-access components to the Mirel "
      "SQL Server components.",
      "mirel-migrate");
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string("mirel-migrate ") + MIREL_VERSION,
                       "Print the version and exit");
  app.footer(
      "Examples, a migration in four steps:\n"
      "  mirel-migrate assess --project OrderDesk.dpr       what it would convert, drop, leave\n"
      "  mirel-migrate convert Main.pas Main.dfm /tmp/try   try a few files, originals untouched\n"
      "  mirel-migrate replace --project OrderDesk.dpr      migrate the project in place\n"
      "  mirel-migrate restore RBackup/RExpert.reu          put the originals back\n"
      "Run 'mirel-migrate COMMAND --help' for the options and examples of a command.");
  TCommandAction action;
  for (const TRegisterCommands add : kCommandFamilies) add(app, action);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);  // prints help, or the error with a hint
    return code == 0 ? exitOk : exitBadInput;
  }
  if (!action) return exitBadInput;
  try {
    return action();
  } catch (const TCliError& e) {
    std::cerr << "mirel-migrate: " << e.what() << '\n';
    return e.ExitCode();
  } catch (const mirel::Exception& e) {
    std::cerr << "mirel-migrate: " << e.what() << '\n';
    return exitBadInput;
  } catch (const std::exception& e) {
    std::cerr << "mirel-migrate: " << e.what() << '\n';
    return exitFailure;
  }
}
