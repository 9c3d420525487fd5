// The double-byte code pages of Chinese, Japanese and Korean Windows: 936
// (GBK), 932 (Shift-JIS), 949 (Unified Hangul) and 950 (Big5). A character is
// one byte, or a lead byte followed by a trail byte; the trail byte may be an
// ASCII letter or symbol ('\', '|', '}'), so where a character ends depends
// on the byte before it.
#include <array>
#include <vector>

#include "rtl/EncodingDetail.h"

namespace mirel::encoding_detail {

namespace {

struct TByteRange {
  unsigned char first, last;
};

// Which bytes begin and continue a character, as Windows has them (the lead
// bytes are those IsDBCSLeadByteEx answers true for). They are fixed here
// rather than read from iconv: they decide where characters end, and so where
// a comment or a string can end; iconv only says which pairs are characters.
struct TDoubleByteLayout {
  int codepage;
  std::vector<TByteRange> leads, trails;
};

const TDoubleByteLayout* LayoutOf(int codepage) {
  static const TDoubleByteLayout kLayouts[] = {
      {932, {{0x81, 0x9F}, {0xE0, 0xFC}}, {{0x40, 0x7E}, {0x80, 0xFC}}},
      {936, {{0x81, 0xFE}}, {{0x40, 0x7E}, {0x80, 0xFE}}},
      {949, {{0x81, 0xFE}}, {{0x41, 0x5A}, {0x61, 0x7A}, {0x81, 0xFE}}},
      {950, {{0x81, 0xFE}}, {{0x40, 0x7E}, {0xA1, 0xFE}}},
  };
  for (const TDoubleByteLayout& layout : kLayouts)
    if (layout.codepage == codepage) return &layout;
  return nullptr;
}

constexpr int kNoCharacter = -1;

// What iconv makes of these bytes alone (reset before, flushed after): the
// one BMP character they stand for, or kNoCharacter.
int ConvertAlone(iconv_t cd, const char* bytes, size_t count) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(bytes);
  size_t inLeft = count;
  char out[16];
  char* outPtr = out;
  size_t outLeft = sizeof out;
  if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) return kNoCharacter;
  iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
  if (sizeof out - outLeft != 2) return kNoCharacter;
  const char16_t u = static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                           (static_cast<unsigned char>(out[1]) << 8));
  return IsHigh(u) || IsLow(u) ? kNoCharacter : u;
}

// The bytes iconv writes character u as (b, or lead << 8 | trail), or -1.
int EncodeAlone(iconv_t cd, char16_t u) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char in[2] = {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
  char* inPtr = in;
  size_t inLeft = 2;
  unsigned char out[8];
  char* outPtr = reinterpret_cast<char*>(out);
  size_t outLeft = sizeof out;
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) return -1;
  iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
  const size_t n = sizeof out - outLeft;
  return n == 1 ? out[0] : n == 2 ? out[0] << 8 | out[1] : -1;
}

class TDoubleByteEncoding final : public TLegacyCodePage {
 public:
  TDoubleByteEncoding(int codepage, const TDoubleByteLayout& layout);

  using TEncoding::GetString;
  String GetString(std::string_view bytes) const override;
  std::string GetBytes(StringView text) const override;
  bool TryGetBytes(StringView text, std::string& out) const override;
  bool IsLeadByte(unsigned char b) const override { return lead_[b]; }

 private:
  static constexpr uint16_t kNoBytes = 0xFFFF;
  // The bytes of character u: a byte b as b, a pair as lead << 8 | trail,
  // or kNoBytes. Raw-byte units are written as their byte before this is
  // asked.
  uint16_t BytesOf(char16_t u) const { return encode_[u]; }
  static void Put(uint16_t bytes, std::string& out) {
    if (bytes > 0xFF) out.push_back(static_cast<char>(bytes >> 8));
    out.push_back(static_cast<char>(bytes & 0xFF));
  }

  std::array<bool, 256> lead_{}, trail_{};
  bool ascii_identity_ = false;
  // The character of a byte alone; a raw-byte unit for a byte that is none
  // (lead bytes included).
  std::array<char16_t, 256> single_{};
  // The character of lead L and trail T at (L - 0x80) << 8 | T; 0 for a pair
  // that is none, or one whose character iconv writes as other bytes.
  std::vector<char16_t> pairs_;
  std::vector<uint16_t> encode_;
};

TDoubleByteEncoding::TDoubleByteEncoding(int codepage, const TDoubleByteLayout& layout)
    : TLegacyCodePage(codepage), pairs_(0x80 * 0x100, 0), encode_(0x10000, kNoBytes) {
  for (const TByteRange& r : layout.leads)
    for (int b = r.first; b <= r.last; ++b) lead_[b] = true;
  for (const TByteRange& r : layout.trails)
    for (int b = r.first; b <= r.last; ++b) trail_[b] = true;
  IconvHandle decoder{OpenCodePageConverter(codepage)};

  // What each byte and each pair decodes to; the encoder then keeps, for
  // every character, the bytes that were read as it.
  std::vector<std::vector<uint16_t>> readAs(0x10000);
  for (int b = 0; b < 256; ++b) {
    if (!lead_[b]) {
      const char in = static_cast<char>(b);
      const int c = ConvertAlone(decoder.cd, &in, 1);
      single_[b] = c == kNoCharacter ? RawByte(static_cast<unsigned char>(b)) : char16_t(c);
      if (c != kNoCharacter) readAs[c].push_back(static_cast<uint16_t>(b));
      continue;
    }
    single_[b] = RawByte(static_cast<unsigned char>(b));
    for (int t = 0; t < 256; ++t) {
      if (!trail_[t]) continue;
      const char pair[2] = {static_cast<char>(b), static_cast<char>(t)};
      const int pc = ConvertAlone(decoder.cd, pair, 2);
      if (pc == kNoCharacter || pc == 0) continue;
      pairs_[(b - 0x80) << 8 | t] = static_cast<char16_t>(pc);
      readAs[pc].push_back(static_cast<uint16_t>(b << 8 | t));
    }
  }

  // A character read from several byte sequences (the NEC and IBM copies of
  // the same kanji in 932) can be written back as only one of them: the one
  // iconv writes it as. The others decode as raw bytes, so that they too come
  // back as they were.
  IconvHandle encoder{OpenCodePageConverter(codepage, /*toCodePage=*/true)};
  for (int u = 0; u < 0x10000; ++u) {
    const std::vector<uint16_t>& sources = readAs[u];
    if (sources.empty()) continue;
    uint16_t chosen = sources.front();
    if (sources.size() > 1) {
      const int written = EncodeAlone(encoder.cd, static_cast<char16_t>(u));
      for (uint16_t bytes : sources)
        if (bytes == written) chosen = bytes;
    }
    for (uint16_t bytes : sources) {
      if (bytes == chosen) continue;
      if (bytes > 0xFF)
        pairs_[((bytes >> 8) - 0x80) << 8 | (bytes & 0xFF)] = 0;
      else
        single_[bytes] = RawByte(static_cast<unsigned char>(bytes));
    }
    encode_[u] = chosen;
  }
  ascii_identity_ = true;
  for (int b = 0; b < 0x80; ++b)
    if (single_[b] != b || encode_[b] != b || lead_[b]) ascii_identity_ = false;
}

String TDoubleByteEncoding::GetString(std::string_view bytes) const {
  String out;
  out.reserve(bytes.size());
  const size_t n = bytes.size();
  size_t i = 0;
  while (i < n) {
    if (ascii_identity_) {
      const size_t end = AsciiRun(bytes, i);
      for (; i < end; ++i) out.push_back(static_cast<char16_t>(bytes[i]));
      if (i == n) break;
    }
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (lead_[b] && i + 1 < n && trail_[static_cast<unsigned char>(bytes[i + 1])]) {
      const auto t = static_cast<unsigned char>(bytes[i + 1]);
      const char16_t c = pairs_[(b - 0x80) << 8 | t];
      // A pair that is no character is still one to the compiler, which
      // never sees its trail byte as ASCII: both bytes stay raw, so that a
      // trail '}' cannot end a comment.
      if (c != 0) {
        out.push_back(c);
      } else {
        out.push_back(RawByte(b));
        out.push_back(RawByte(t));
      }
      i += 2;
    } else {
      // A byte alone; a lead byte at the end or before a byte that cannot
      // follow it is raw.
      out.push_back(single_[b]);
      ++i;
    }
  }
  return out;
}

std::string TDoubleByteEncoding::GetBytes(StringView text) const {
  std::string out;
  out.reserve(text.size() * 2);
  for (size_t i = 0; i < text.size(); ++i) {
    if (ascii_identity_) {
      const size_t end = AsciiRun(text, i);
      for (; i < end; ++i) out.push_back(static_cast<char>(text[i]));
      if (i == text.size()) break;
    }
    const char16_t u = text[i];
    if (IsRawByte(u)) {
      out.push_back(static_cast<char>(u - kRawByteBase));
    } else if (const uint16_t bytes = BytesOf(u); bytes != kNoBytes) {
      Put(bytes, out);
    } else {
      // Outside the BMP (no double-byte code page has it) or a character
      // this one lacks.
      if (IsHigh(u) && i + 1 < text.size() && IsLow(text[i + 1])) ++i;
      out.push_back('?');
    }
  }
  return out;
}

bool TDoubleByteEncoding::TryGetBytes(StringView text, std::string& out) const {
  for (const char16_t u : text) {
    if (IsRawByte(u)) {
      out.push_back(static_cast<char>(u - kRawByteBase));
    } else if (const uint16_t bytes = BytesOf(u); bytes != kNoBytes) {
      Put(bytes, out);
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

std::unique_ptr<TLegacyCodePage> NewDoubleByteCodePage(int codepage) {
  const TDoubleByteLayout* layout = LayoutOf(codepage);
  if (!layout) return nullptr;
  return std::make_unique<TDoubleByteEncoding>(codepage, *layout);
}

}  // namespace mirel::encoding_detail
