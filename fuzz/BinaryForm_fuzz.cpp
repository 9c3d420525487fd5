// The binary form reader, and the writer on what it read: a stream that
// reads as text must convert back to a binary stream.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzCommon.h"
#include "rtl/FormConvert.h"

using namespace mirel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  fuzz::Refusable([&] {
    TBinaryFormKind kind;
    const String text = BinaryFormToText(bytes, kind);
    (void)TextToBinaryForm(text, kind);
  });
  return 0;
}
