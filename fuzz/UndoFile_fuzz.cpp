// The undo-file reader on any bytes (read from a private file, as restore
// reads it).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "FuzzCommon.h"
#include "replace/UndoFile.h"

using namespace mirel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/mirel-fuzz-undo-" + std::to_string(getpid()) + ".reu";
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  fuzz::Refusable([&] {
    TStringList lines;
    LoadUndoFile(FromUtf8(path), lines);
  });
  return 0;
}
