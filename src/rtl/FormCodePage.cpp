#include <algorithm>

#include "rtl/FormText.h"

namespace mirel {

TFormCodePage::TFormCodePage(const TEncoding& encoding) {
  chars_.fill(-1);
  // A double-byte code page decodes and encodes exactly by itself; its
  // characters are not bytes one by one.
  for (int b = 0x80; b < 256 && !double_byte_; ++b)
    if (encoding.IsLeadByte(static_cast<unsigned char>(b))) double_byte_ = &encoding;
  if (double_byte_) return;
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
  if (double_byte_) {
    out += double_byte_->GetString(bytes);
    return true;
  }
  out.reserve(out.size() + bytes.size());
  for (const char b : bytes) {
    const int c = chars_[static_cast<uint8_t>(b)];
    if (c < 0) return false;
    out += static_cast<char16_t>(c);
  }
  return true;
}

bool TFormCodePage::Encode(StringView text, std::string& out) const {
  if (double_byte_) return double_byte_->TryGetBytes(text, out);
  out.reserve(out.size() + text.size());
  for (const char16_t c : text) {
    const int b = Byte(c);
    if (b < 0) return false;
    out += static_cast<char>(b);
  }
  return true;
}

bool TFormCodePage::Joined(char16_t before, char16_t after) const {
  const auto raw = [](char16_t u) { return u >= 0xDC00 && u <= 0xDCFF; };
  if (!double_byte_ || !raw(before)) return false;
  const auto lead = static_cast<char>(before - 0xDC00);
  if (!double_byte_->IsLeadByte(static_cast<unsigned char>(lead))) return false;
  if (raw(after)) return true;
  // An ASCII character after a lead byte: joined when the two decode as
  // something else than the lead alone and the character.
  return after < 0x80 && double_byte_->GetString(std::string{lead, static_cast<char>(after)}) !=
                             String{before, after};
}

}  // namespace mirel
