// What the legacy code-page encodings share inside rtl/: the raw-byte units
// (docs/encodings.md), the ASCII runs both directions skip through, the iconv
// handle the tables are built with, and the base that gives the default code
// page its number. Not part of the contract of Encoding.h.
#pragma once

#include <iconv.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "rtl/Encoding.h"

namespace mirel::encoding_detail {

// A code unit U+DC00+b that is not the second half of a surrogate pair stands
// for the raw byte b. Decoders produce such units only for bytes they cannot
// decode, and take apart any input that would read back as one, so the
// encoders can treat every such unit as a byte without ambiguity.
constexpr char16_t kRawByteBase = 0xDC00;

constexpr bool IsHigh(char16_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}
constexpr bool IsLow(char16_t u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}
constexpr bool IsRawByte(char16_t u) {
  return u >= 0xDC00 && u <= 0xDCFF;
}
constexpr char16_t RawByte(unsigned char b) {
  return static_cast<char16_t>(kRawByteBase + b);
}

// Source text is mostly ASCII; these find how far a run of it goes from i,
// eight bytes at a time.
inline size_t AsciiRun(std::string_view bytes, size_t i) {
  const size_t n = bytes.size();
  while (i + 8 <= n) {
    uint64_t word;
    std::memcpy(&word, bytes.data() + i, 8);
    if (word & 0x8080808080808080ull) break;
    i += 8;
  }
  while (i < n && static_cast<unsigned char>(bytes[i]) < 0x80) ++i;
  return i;
}

inline size_t AsciiRun(StringView text, size_t i) {
  const size_t n = text.size();
  while (i + 4 <= n) {
    uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    if (word & 0xFF80FF80FF80FF80ull) break;
    i += 4;
  }
  while (i < n && text[i] < 0x80) ++i;
  return i;
}

// Closes the converter when the tables are built (or building them throws).
struct IconvHandle {
  iconv_t cd;
  ~IconvHandle() { iconv_close(cd); }
};

/// Opens iconv from code page n to UTF-16LE (or the other way), as "CP<n>"
/// or "WINDOWS-<n>". Throws Exception naming the code page when iconv knows
/// neither.
iconv_t OpenCodePageConverter(int codepage, bool toCodePage = false);

/// A Windows code page ("ANSI"), single- or double-byte: what
/// TEncoding::DefaultCodePage() reports.
class TLegacyCodePage : public TEncoding {
 public:
  explicit TLegacyCodePage(int codepage) : codepage_(codepage) {}
  std::string_view Preamble() const override { return {}; }
  String Name() const override { return u"windows-" + IntToStr(codepage_); }
  int Number() const { return codepage_; }

 private:
  int codepage_;
};

/// The double-byte code page n (932, 936, 949 or 950); null for any other n.
/// Throws Exception when iconv does not know it.
std::unique_ptr<TLegacyCodePage> NewDoubleByteCodePage(int codepage);

}  // namespace mirel::encoding_detail
