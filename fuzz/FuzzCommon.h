// Shared by the fuzz targets: what counts as a clean refusal and what is a
// fault. The engine may reject any input with one of its own exceptions
// (mirel::Exception and its kinds: a damaged form, a malformed project file,
// a file that cannot be read); anything else escaping it, a standard library
// error such as std::length_error included, is an internal error the fuzzer
// must report, so it aborts.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "rtl/SysUtils.h"

namespace mirel::fuzz {

template <class Body>
void Refusable(Body body) {
  try {
    body();
  } catch (const Exception&) {
    // A clean refusal.
  } catch (const std::exception& e) {
    std::fprintf(stderr, "internal error: %s\n", e.what());
    std::abort();
  }
}

}  // namespace mirel::fuzz
