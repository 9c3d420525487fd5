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

#include <string_view>

#include "files/Paths.h"
#include "replace/KyReplacer.h"
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

/// Converts bytes as a run converts the file fileName (its extension picks
/// unit or form) with the BDE profile, which must be loaded.
inline void ConvertAsRun(const String& fileName, std::string_view bytes) {
  TComponentReplacer& replacer = BdeReplacer();
  static const auto parser = replacer.NewFormParser();
  String formText;
  TFileConversion conversion;
  replacer.ConvertFile(fileName, bytes, u"/fuzz/out/" + ExtractFileName(fileName), *parser,
                       formText, conversion);
  if (conversion.Error) Refusable([&] { std::rethrow_exception(conversion.Error); });
}

}  // namespace mirel::fuzz
