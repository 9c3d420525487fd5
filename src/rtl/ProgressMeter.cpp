#include "rtl/ProgressMeter.h"

#include <cmath>
#include <cstdio>

namespace mirel {

namespace {

String TwoDigits(long long v) {
  return (v < 10 ? u"0" : u"") + IntToStr(v);
}

String Duration(double seconds) {
  const long long s = std::llround(seconds);
  if (s < 60) return IntToStr(s) + u" s";
  if (s < 3600) return IntToStr(s / 60) + u" min " + TwoDigits(s % 60) + u" s";
  return IntToStr(s / 3600) + u" h " + TwoDigits(s / 60 % 60) + u" min";
}

}  // namespace

void TProgressMeter::Start(TClock::time_point now) {
  started_ = true;
  drawn_ = false;
  start_ = now;
}

bool TProgressMeter::Due(TClock::time_point now) {
  if (!started_) Start(now);
  if (drawn_ && now - last_draw_ < kRedrawEvery) return false;
  drawn_ = true;
  last_draw_ = now;
  return true;
}

std::chrono::duration<double> TProgressMeter::Elapsed(TClock::time_point now) const {
  if (!started_) return std::chrono::duration<double>::zero();
  return now - start_;
}

String TProgressMeter::Text(int done, int known, uint64_t bytes,
                            std::chrono::duration<double> elapsed) {
  String text = IntToStr(done) + u" of " + IntToStr(known) + u" files";
  const double seconds = elapsed.count();
  if (seconds <= std::chrono::duration<double>(kEstimateAfter).count()) return text;
  if (bytes > 0) {
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.1f", static_cast<double>(bytes) / 1e6 / seconds);
    text += u", " + FromUtf8(rate) + u" MB/s";
  }
  // From files rather than bytes: the bytes of the files still to come are
  // not known (their forms are found as the units are converted), their
  // number is.
  if (done > 0 && done < known)
    text += u", " + Duration(seconds * (known - done) / done) + u" left";
  return text;
}

}  // namespace mirel
