// A form file (text or binary) through the whole conversion of a run, with
// the BDE profile: parse, convert the mapped objects, write back in the
// form's own kind.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzCommon.h"
#include "files/Paths.h"

using namespace mirel;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  LoadProfiles();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::ConvertAsRun(u"/fuzz/Form1.dfm",
                     std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
