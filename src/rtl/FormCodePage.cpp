#include <algorithm>

#include "rtl/FormText.h"

namespace mirel {

TFormCodePage::TFormCodePage(const TEncoding& encoding) {
  chars_.fill(-1);
  std::string all(256, '\0');
  for (int b = 0; b < 256; ++b) all[b] = static_cast<char>(b);
  const String decoded = encoding.GetString(all);
  // A single-byte code page decodes byte for character; anything else is
  // checked one byte at a time.
  const bool oneToOne = decoded.size() == 256;
  for (int b = 0; b < 256; ++b) {
    const String c = oneToOne ? String(1, decoded[b]) : encoding.GetString(all.substr(b, 1));
    if (c.size() != 1) continue;
    const std::string back = encoding.GetBytes(c);
    if (back.size() == 1 && static_cast<uint8_t>(back[0]) == b) chars_[b] = c[0];
  }
  for (int b = 0; b < 256; ++b)
    if (chars_[b] >= 0) reverse_.emplace_back(static_cast<char16_t>(chars_[b]), uint8_t(b));
  std::sort(reverse_.begin(), reverse_.end());
}

int TFormCodePage::Byte(char16_t c) const {
  if (c < 0x80 && chars_[c] == c) return c;
  auto it = std::lower_bound(reverse_.begin(), reverse_.end(), std::make_pair(c, uint8_t(0)));
  return (it != reverse_.end() && it->first == c) ? it->second : -1;
}

bool TFormCodePage::Decode(std::string_view bytes, String& out) const {
  out.reserve(out.size() + bytes.size());
  for (const char b : bytes) {
    const int c = chars_[static_cast<uint8_t>(b)];
    if (c < 0) return false;
    out += static_cast<char16_t>(c);
  }
  return true;
}

bool TFormCodePage::Encode(StringView text, std::string& out) const {
  out.reserve(out.size() + text.size());
  for (const char16_t c : text) {
    const int b = Byte(c);
    if (b < 0) return false;
    out += static_cast<char>(b);
  }
  return true;
}

}  // namespace mirel
