// Front-end hooks the engine calls without knowing who answers: the wait
// indicator shown while a run blocks, and opening a file (the log) in the
// user's viewer. Each defaults to doing nothing; the GUI installs a wait
// cursor and the desktop opener, the command line a progress line on stderr
// and its own way of showing the log.
//
// Hooks are process-wide and installed by the front end at start-up, before
// any run; a hook object is borrowed and must outlive its installation.
#pragma once

#include <cstdint>

#include "rtl/SysUtils.h"

namespace mirel {

class TWaitIndicator {
 public:
  virtual ~TWaitIndicator() = default;
  /// A long operation starts / ends; always called in pairs.
  virtual void Start() {}
  virtual void Stop() {}
  /// How far the operation is: `done` of `known` steps (known may still grow).
  virtual void Progress(int done, int known) {
    (void)done;
    (void)known;
  }
  /// Progress with the bytes of the files done so far, from a run that
  /// reads them. The default passes done and known on to Progress, so an
  /// indicator without use for the bytes overrides Progress only.
  virtual void ProgressBytes(int done, int known, uint64_t bytesDone) {
    (void)bytesDone;
    Progress(done, known);
  }
};

class TShellOpener {
 public:
  virtual ~TShellOpener() = default;
  /// Shows the file to the user; false when that was not possible.
  virtual bool Open(StringView path) {
    (void)path;
    return false;
  }
};

/// Installs a hook; null restores the do-nothing default.
void SetWaitIndicator(TWaitIndicator* indicator);
void SetShellOpener(TShellOpener* opener);
TWaitIndicator& WaitIndicator();
TShellOpener& ShellOpener();

void StartWait();
void StopWait();

/// Starts the wait indicator and stops it when leaving the scope, however the
/// scope is left.
class TWaitScope {
 public:
  TWaitScope() { StartWait(); }
  ~TWaitScope() { StopWait(); }
  TWaitScope(const TWaitScope&) = delete;
  TWaitScope& operator=(const TWaitScope&) = delete;
};

}  // namespace mirel
