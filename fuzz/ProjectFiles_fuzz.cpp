// The project readers: the first byte picks the .dpr or the .dproj reader,
// the rest is the file.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzCommon.h"
#include "host/DprReader.h"
#include "host/DprojReader.h"
#include "rtl/Encoding.h"

using namespace mirel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  fuzz::Refusable([&] {
    if (data[0] & 1)
      (void)ParseDproj(bytes, u"/fuzz/App.dproj");
    else
      (void)ParseDpr(FromUtf8(bytes), u"/fuzz/App.dpr");
  });
  return 0;
}
