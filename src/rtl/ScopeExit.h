// TScopeExit: runs a cleanup when the scope it was made in is left, however it
// is left (a return or an exception). The cleanup must not throw: it may run
// while an exception is on its way out.
//
//   TScopeExit removeTemp([&] { DeleteFolder(temp, fs); });
//   ...
//   removeTemp.Dismiss();  // on the one path that keeps the folder
#pragma once

#include <utility>

namespace mirel {

template <class F>
class TScopeExit {
 public:
  explicit TScopeExit(F cleanup) : cleanup_(std::move(cleanup)) {}
  ~TScopeExit() {
    if (armed_) cleanup_();
  }
  TScopeExit(const TScopeExit&) = delete;
  TScopeExit& operator=(const TScopeExit&) = delete;

  /// The cleanup will not run.
  void Dismiss() { armed_ = false; }

 private:
  F cleanup_;
  bool armed_ = true;
};

}  // namespace mirel
