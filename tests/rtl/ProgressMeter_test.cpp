// The progress line's text for given files, bytes and time, and its redraws
// at given times: no clock is read.
#include <gtest/gtest.h>

#include "rtl/ProgressMeter.h"

using namespace mirel;
using namespace std::chrono_literals;

namespace {

std::string Text(int done, int known, uint64_t bytes, std::chrono::duration<double> elapsed) {
  return ToUtf8(TProgressMeter::Text(done, known, bytes, elapsed));
}

}  // namespace

TEST(ProgressMeter, RateAndTimeLeftOnlyOnceTheRunIsLongerThanTwoSeconds) {
  EXPECT_EQ(Text(0, 10, 0, 0s), "0 of 10 files");
  EXPECT_EQ(Text(5, 10, 50'000'000, 2s), "5 of 10 files");
  // 25 MB in 2.5 s; 5 files in 2.5 s, 5 to go.
  EXPECT_EQ(Text(5, 10, 25'000'000, 2500ms), "5 of 10 files, 10.0 MB/s, 3 s left");
  // Nothing read yet (the form scan of a project): no rate; nothing done: no
  // estimate; everything done: nothing left to estimate.
  EXPECT_EQ(Text(3, 12, 0, 3s), "3 of 12 files, 9 s left");
  EXPECT_EQ(Text(0, 12, 0, 3s), "0 of 12 files");
  EXPECT_EQ(Text(12, 12, 1'500'000, 3s), "12 of 12 files, 0.5 MB/s");
}

TEST(ProgressMeter, TimeLeftFollowsTheFilesLeftInMinutesAndHours) {
  // 100 files in 10 s: 0.1 s a file.
  EXPECT_EQ(Text(100, 1950, 0, 10s), "100 of 1950 files, 3 min 05 s left");
  EXPECT_EQ(Text(100, 100 + 37'200, 0, 10s), "100 of 37300 files, 1 h 02 min left");
  EXPECT_EQ(Text(100, 694, 0, 10s), "100 of 694 files, 59 s left");
  EXPECT_EQ(Text(100, 696, 0, 10s), "100 of 696 files, 1 min 00 s left");
}

TEST(ProgressMeter, RedrawsAtMostTenTimesASecond) {
  const TProgressMeter::TClock::time_point t0{};
  TProgressMeter meter;
  meter.Start(t0);
  EXPECT_TRUE(meter.Due(t0 + 1ms));  // the first step
  EXPECT_FALSE(meter.Due(t0 + 50ms));
  EXPECT_FALSE(meter.Due(t0 + 100ms));
  EXPECT_TRUE(meter.Due(t0 + 101ms));
  int redraws = 0;
  for (auto t = t0 + 102ms; t < t0 + 1102ms; t += 1ms) redraws += meter.Due(t) ? 1 : 0;
  EXPECT_EQ(redraws, 10);
  EXPECT_DOUBLE_EQ(meter.Elapsed(t0 + 1500ms).count(), 1.5);

  // A new run draws its first step at once and counts from its own start.
  meter.Start(t0 + 1110ms);
  EXPECT_TRUE(meter.Due(t0 + 1111ms));
  EXPECT_DOUBLE_EQ(meter.Elapsed(t0 + 3110ms).count(), 2.0);
}

TEST(ProgressMeter, ARunNotStartedStartsAtItsFirstStep) {
  const TProgressMeter::TClock::time_point t0{};
  TProgressMeter meter;
  EXPECT_EQ(meter.Elapsed(t0 + 5s).count(), 0.0);
  EXPECT_TRUE(meter.Due(t0 + 5s));
  EXPECT_DOUBLE_EQ(meter.Elapsed(t0 + 7s).count(), 2.0);
}
