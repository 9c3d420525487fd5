// A form file (text or binary) through the whole conversion of a run, with
// the BDE profile: parse, convert the mapped objects, write back in the
// form's own kind.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzCommon.h"
#include "replace/KyReplacer.h"

using namespace mirel;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  LoadProfiles();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  TComponentReplacer& replacer = BdeReplacer();
  static const auto parser = replacer.NewFormParser();
  String formText;
  TFileConversion conversion;
  replacer.ConvertFile(u"/fuzz/Form1.dfm", bytes, u"/fuzz/out/Form1.dfm", *parser, formText,
                       conversion);
  if (conversion.Error) fuzz::Refusable([&] { std::rethrow_exception(conversion.Error); });
  return 0;
}
