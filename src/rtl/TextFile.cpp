#include "rtl/TextFile.h"

#include <cstdint>

namespace mirel {

std::string TTextFile::Bytes(StringView text) const {
  std::string bytes;
  if (HasPreamble) bytes = Encoding->Preamble();
  bytes += Encoding->GetBytes(text);
  return bytes;
}

TTextFile ReadTextFile(std::string_view bytes, TUnmarkedText unmarked) {
  TTextFile file;
  if (const TEncoding* marked = TEncoding::FromPreamble(bytes)) {
    // Written back in the same encoding, after the same mark.
    file.Encoding = marked;
    file.HasPreamble = true;
    file.Text = marked->GetString(bytes.substr(marked->Preamble().size()));
    return file;
  }
  if (unmarked == TUnmarkedText::DetectUtf8 && IsWellFormedUtf8(bytes))
    file.Encoding = &TEncoding::UTF8();
  else
    file.Encoding = &TEncoding::Default();
  file.Text = file.Encoding->GetString(bytes);
  return file;
}

bool IsWellFormedUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    size_t n;
    uint32_t cp;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      n = 1;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      n = 2;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      n = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + n >= s.size()) return false;  // truncated sequence
    for (size_t k = 1; k <= n; ++k) {
      const auto d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if ((n == 1 && cp < 0x80) || (n == 2 && cp < 0x800) || (n == 3 && cp < 0x10000) ||
        (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
      return false;
    i += n + 1;
  }
  return true;
}

}  // namespace mirel
