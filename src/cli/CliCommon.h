// What every subcommand of mirel-migrate shares: how a subcommand is
// registered, the exit codes, and reading and writing the files it names.
#pragma once

#include <functional>
#include <string>

#include <CLI/CLI.hpp>

#include "rtl/SysUtils.h"

namespace mirel::cli {

/// Exit codes of mirel-migrate.
enum TExitCode : int {
  exitOk = 0,
  exitFailure = 1,   // the work could not be done (a file could not be read or written)
  exitBadInput = 2,  // bad usage, or input that is not what the command takes
};

/// A subcommand's work, run after the whole command line has been parsed.
/// Returns an exit code; throws TCliError (or any mirel::Exception, which
/// counts as bad input) to stop with a message.
using TCommandAction = std::function<int()>;

/// Registers a family of subcommands on app. When one of them is chosen on
/// the command line, its parse callback stores its work in `action`.
using TRegisterCommands = void (*)(CLI::App& app, TCommandAction& action);

/// Stops a subcommand with a message for stderr and an exit code.
class TCliError : public Exception {
 public:
  TCliError(const String& message, int exitCode) : Exception(message), exit_code_(exitCode) {}
  int ExitCode() const { return exit_code_; }

 private:
  int exit_code_;
};

/// Adds --codepage N to a subcommand; the chosen code page becomes
/// TEncoding::Default() before the subcommand's work runs.
void AddCodePageOption(CLI::App& command, int& codePage);
/// Makes `codePage` the default code page (0: leave the default alone).
/// Throws TCliError (bad input) for a code page that is not available.
void ApplyCodePage(int codePage);

/// Reads a whole file ("-": standard input). Throws TCliError (failure).
std::string ReadInput(const std::string& path);
/// Writes a whole file atomically ("-": standard output). Throws TCliError
/// (failure); a file that cannot be written is left as it was.
void WriteOutput(const std::string& path, std::string_view bytes);

}  // namespace mirel::cli
