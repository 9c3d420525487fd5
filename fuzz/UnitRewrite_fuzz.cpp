// A Pascal unit through the conversion of a run: uses clauses, class names
// in code and comments, resource directives.
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
  fuzz::ConvertAsRun(u"/fuzz/Unit1.pas",
                     std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
