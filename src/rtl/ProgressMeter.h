// TProgressMeter: what a progress display of a long run shows besides "N of M
// files" (the megabytes read per second and the time left, once the run has
// gone on long enough for them to mean something) and when the display is
// due for a redraw: at most ten times a second, so that a run of many small
// files spends its time on the files and not on the terminal.
//
// It reads no clock: the caller passes the time of each step (a steady
// clock's), so a test can give any.
#pragma once

#include <chrono>
#include <cstdint>

#include "rtl/SysUtils.h"

namespace mirel {

class TProgressMeter {
 public:
  using TClock = std::chrono::steady_clock;
  /// The shortest time between two redraws.
  static constexpr std::chrono::milliseconds kRedrawEvery{100};
  /// The rate and the time left are shown once the run is longer than this.
  static constexpr std::chrono::seconds kEstimateAfter{2};

  /// The run starts at now; forgets the redraws of an earlier run.
  void Start(TClock::time_point now);
  /// Whether a display should be redrawn at now for done of known files:
  /// the first step of a run, and any step at least kRedrawEvery after the
  /// last redraw. A true answer counts as a redraw. A run that was not
  /// started starts at its first step.
  bool Due(TClock::time_point now);
  /// The time since the run started (zero before it did).
  std::chrono::duration<double> Elapsed(TClock::time_point now) const;

  /// "N of M files"; when elapsed is longer than kEstimateAfter, followed by
  /// ", X.X MB/s" (bytes of the files done per second, in millions of bytes;
  /// left out while bytes is 0) and ", T left" (while some files are done
  /// and some are not; "12 s", "3 min 05 s", "1 h 02 min").
  static String Text(int done, int known, uint64_t bytes, std::chrono::duration<double> elapsed);

 private:
  bool started_ = false;
  bool drawn_ = false;
  TClock::time_point start_{};
  TClock::time_point last_draw_{};
};

}  // namespace mirel
