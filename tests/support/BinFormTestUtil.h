// Small helpers for the binary form tests: byte strings from hex text, and
// reading and writing whole files in a test's temporary folder.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "rtl/FormStream.h"

namespace mirel {
/// Lets GoogleTest show a tree as its binary stream in hex (or the reason
/// it has none) instead of raw object bytes.
void PrintTo(const TFormObjectNode& node, std::ostream* os);
}  // namespace mirel

namespace mirel::testing {

/// "54 50 46 30" -> the four bytes; blanks are ignored, any other non-hex
/// character is a test bug (thrown as std::invalid_argument).
std::string HexBytes(std::string_view hex);

/// The bytes as spaced upper-case hex, for readable failure messages.
std::string ToHex(std::string_view bytes);

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, std::string_view bytes);

/// A fresh empty folder under the system's temporary folder, removed again
/// by the destructor.
class TBinFormTempDir {
 public:
  TBinFormTempDir();
  ~TBinFormTempDir();
  TBinFormTempDir(const TBinFormTempDir&) = delete;
  TBinFormTempDir& operator=(const TBinFormTempDir&) = delete;
  const std::string& Path() const { return path_; }
  std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

 private:
  std::string path_;
};

}  // namespace mirel::testing
