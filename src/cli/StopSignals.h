// Ctrl-C (SIGINT) and SIGTERM for a command that must not be cut short: while
// a TStopSignals lives, either signal is only recorded, and the command asks
// Received() at points where stopping loses nothing. A process that received
// one exits with 128 + its number (130, 143), as a shell shows a process
// ended by that signal.
#pragma once

#include "rtl/SysUtils.h"

namespace mirel::cli {

class TStopSignals {
 public:
  /// Installs the handlers of SIGINT and SIGTERM for the whole process; only
  /// one object may live at a time (EAssertionFailed else).
  TStopSignals();
  /// Puts the handlers that were there back.
  ~TStopSignals();
  TStopSignals(const TStopSignals&) = delete;
  TStopSignals& operator=(const TStopSignals&) = delete;

  /// The first signal received since construction, or 0.
  static int Received();
  /// Blocks until a signal has been received (at once when one has been).
  static void Wait();
};

/// "SIGINT", "SIGTERM", or "signal N".
String SignalName(int signal);

/// Test seam of the replace command: when the environment variable
/// MIREL_TEST_PAUSE_AT names step, writes the step's name and a line feed to
/// the descriptor MIREL_TEST_PAUSE_FD (an inherited pipe), closes it, and
/// waits for a stop signal (TStopSignals::Wait). Anything else: returns at
/// once. Lets a test signal a real run at a known point without timing.
void PauseForTestAt(StringView step);

}  // namespace mirel::cli
