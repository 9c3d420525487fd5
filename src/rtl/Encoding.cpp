#include "rtl/Encoding.h"

#include <errno.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "rtl/EncodingDetail.h"

namespace mirel {

namespace encoding_detail {

iconv_t OpenCodePageConverter(int codepage, bool toCodePage) {
  if (codepage > 0) {
    for (const char* prefix : {"CP", "WINDOWS-"}) {
      const std::string name = prefix + std::to_string(codepage);
      const iconv_t cd =
          toCodePage ? iconv_open(name.c_str(), "UTF-16LE") : iconv_open("UTF-16LE", name.c_str());
      if (cd != reinterpret_cast<iconv_t>(-1)) return cd;
    }
  }
  throw Exception(u"Code page " + IntToStr(codepage) +
                  u" is not supported by the system's converter.");
}

}  // namespace encoding_detail

namespace {

using namespace encoding_detail;

std::string_view Slice(std::string_view bytes, size_t index, size_t count) {
  if (index >= bytes.size()) return {};
  return bytes.substr(index, std::min(count, bytes.size() - index));
}

// Appends a raw byte to decoded text. A lone high surrogate right before it
// would pair with it when encoded, so such trailing lone highs are first
// replaced by the raw bytes they were read from (encodeLoneHigh gives them).
template <typename EncodeLoneHigh>
void PushLow(String& out, char16_t low, EncodeLoneHigh encodeLoneHigh) {
  size_t run = out.size();
  while (run > 0 && IsHigh(out[run - 1])) --run;
  if (run < out.size()) {
    const String highs = out.substr(run);
    out.resize(run);
    for (char16_t h : highs) encodeLoneHigh(h, out);
  }
  out.push_back(low);
}

// ---------------------------------------------------------------------------
// Single-byte code pages

class TCodePageEncoding final : public TLegacyCodePage {
 public:
  explicit TCodePageEncoding(int codepage);

  using TEncoding::GetString;
  String GetString(std::string_view bytes) const override;
  std::string GetBytes(StringView text) const override;
  bool TryGetBytes(StringView text, std::string& out) const override;

 private:
  // Bytes below 0x80 are the ASCII characters, as in every Windows code
  // page: runs of them are converted without the tables.
  bool ascii_identity_ = false;
  std::array<char16_t, 256> decode_{};
  // Characters below U+0100 map through a direct table (-1: none); the rest
  // through a sorted list, which holds at most 256 entries.
  std::array<int16_t, 256> encode_low_{};
  std::vector<std::pair<char16_t, unsigned char>> encode_high_;
};

TCodePageEncoding::TCodePageEncoding(int codepage) : TLegacyCodePage(codepage) {
  const String what = u"Code page " + IntToStr(codepage);
  IconvHandle handle{OpenCodePageConverter(codepage)};
  const iconv_t cd = handle.cd;

  encode_low_.fill(-1);
  std::vector<bool> taken(0x10000, false);
  for (int b = 0; b < 256; ++b) {
    // Each byte alone, with the converter reset before and flushed after, so
    // that a code page which combines characters (1258) still gives one
    // character per byte or none.
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char in = static_cast<char>(b);
    char* inPtr = &in;
    size_t inLeft = 1;
    char out[16];
    char* outPtr = out;
    size_t outLeft = sizeof out;
    const size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    const int err = r == static_cast<size_t>(-1) ? errno : 0;
    if (err == EINVAL) {
      throw Exception(what +
                      u" is neither a single-byte code page nor one of the double-byte code "
                      u"pages 932, 936, 949 and 950.");
    }
    if (err == 0) iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    const size_t produced = sizeof out - outLeft;
    char16_t unit = RawByte(static_cast<unsigned char>(b));
    if (err == 0 && produced == 2) {
      const char16_t u = static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                               (static_cast<unsigned char>(out[1]) << 8));
      // A surrogate cannot stand alone, and a character already given to an
      // earlier byte would make encoding ambiguous: both keep the raw byte.
      if (!IsHigh(u) && !IsLow(u) && !taken[u]) unit = u;
    }
    decode_[b] = unit;
    if (IsRawByte(unit)) continue;
    taken[unit] = true;
    if (unit < 0x100) {
      encode_low_[unit] = static_cast<int16_t>(b);
    } else {
      encode_high_.emplace_back(unit, static_cast<unsigned char>(b));
    }
  }
  std::sort(encode_high_.begin(), encode_high_.end());
  ascii_identity_ = true;
  for (int b = 0; b < 0x80; ++b)
    if (decode_[b] != b || encode_low_[b] != b) ascii_identity_ = false;
}

String TCodePageEncoding::GetString(std::string_view bytes) const {
  String out(bytes.size(), u'\0');
  size_t i = 0;
  while (i < bytes.size()) {
    if (ascii_identity_) {
      const size_t end = AsciiRun(bytes, i);
      for (; i < end; ++i) out[i] = static_cast<char16_t>(bytes[i]);
      if (i == bytes.size()) break;
    }
    out[i] = decode_[static_cast<unsigned char>(bytes[i])];
    ++i;
  }
  return out;
}

std::string TCodePageEncoding::GetBytes(StringView text) const {
  // Every unit (or surrogate pair) gives exactly one byte, so the bytes are
  // written in place and the string trimmed once at the end.
  std::string out(text.size(), '\0');
  char* o = out.data();
  for (size_t i = 0; i < text.size(); ++i) {
    if (ascii_identity_) {
      const size_t end = AsciiRun(text, i);
      for (; i < end; ++i) *o++ = static_cast<char>(text[i]);
      if (i == text.size()) break;
    }
    const char16_t u = text[i];
    if (u < 0x100) {
      const int16_t b = encode_low_[u];
      *o++ = b >= 0 ? static_cast<char>(b) : '?';
    } else if (IsHigh(u) && i + 1 < text.size() && IsLow(text[i + 1])) {
      *o++ = '?';  // outside the BMP: no single-byte code page has it
      ++i;
    } else if (IsRawByte(u)) {
      *o++ = static_cast<char>(u - kRawByteBase);
    } else {
      const auto it = std::lower_bound(encode_high_.begin(), encode_high_.end(),
                                       std::make_pair(u, static_cast<unsigned char>(0)));
      *o++ = it != encode_high_.end() && it->first == u ? static_cast<char>(it->second) : '?';
    }
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
}

bool TCodePageEncoding::TryGetBytes(StringView text, std::string& out) const {
  for (const char16_t u : text) {
    if (IsRawByte(u)) {
      out.push_back(static_cast<char>(u - kRawByteBase));
    } else if (u < 0x100) {
      if (encode_low_[u] < 0) return false;
      out.push_back(static_cast<char>(encode_low_[u]));
    } else {
      const auto it = std::lower_bound(encode_high_.begin(), encode_high_.end(),
                                       std::make_pair(u, static_cast<unsigned char>(0)));
      if (it == encode_high_.end() || it->first != u) return false;
      out.push_back(static_cast<char>(it->second));
    }
  }
  return true;
}

// ---------------------------------------------------------------------------
// UTF-16, little-endian (the usual) or big-endian. A raw-byte unit stands
// for one byte in either; a lone unit in the raw-byte range is carried as
// its two bytes in file order.

class TUnicodeEncoding final : public TEncoding {
 public:
  explicit TUnicodeEncoding(bool bigEndian) : big_(bigEndian) {}
  using TEncoding::GetString;
  String GetString(std::string_view bytes) const override;
  std::string GetBytes(StringView text) const override;
  std::string_view Preamble() const override { return big_ ? "\xFE\xFF" : "\xFF\xFE"; }
  String Name() const override { return big_ ? u"UTF-16BE" : u"UTF-16LE"; }

 private:
  // The bytes of a unit in file order.
  unsigned char First(char16_t u) const { return static_cast<unsigned char>(big_ ? u >> 8 : u); }
  unsigned char Second(char16_t u) const { return static_cast<unsigned char>(big_ ? u : u >> 8); }

  bool big_;
};

String TUnicodeEncoding::GetString(std::string_view bytes) const {
  const size_t units = bytes.size() / 2;
  String out;
  out.reserve(units + 2);
  const auto unitAt = [&](size_t k) {
    const unsigned char a = static_cast<unsigned char>(bytes[2 * k]);
    const unsigned char b = static_cast<unsigned char>(bytes[2 * k + 1]);
    return static_cast<char16_t>(big_ ? (a << 8) | b : a | (b << 8));
  };
  const auto unitAsRawBytes = [this](char16_t unit, String& o) {
    o.push_back(RawByte(First(unit)));
    o.push_back(RawByte(Second(unit)));
  };
  for (size_t k = 0; k < units; ++k) {
    const char16_t u = unitAt(k);
    if (IsHigh(u) && k + 1 < units && IsLow(unitAt(k + 1))) {
      out.push_back(u);
      out.push_back(unitAt(++k));
    } else if (IsRawByte(u)) {
      // A lone unit in the raw-byte range is carried as its two bytes.
      PushLow(out, RawByte(First(u)), unitAsRawBytes);
      out.push_back(RawByte(Second(u)));
    } else {
      out.push_back(u);
    }
  }
  if (bytes.size() % 2 != 0) {
    PushLow(out, RawByte(static_cast<unsigned char>(bytes.back())), unitAsRawBytes);
  }
  return out;
}

std::string TUnicodeEncoding::GetBytes(StringView text) const {
  std::string out;
  out.reserve(text.size() * 2);
  const auto put = [&](char16_t u) {
    out.push_back(static_cast<char>(First(u)));
    out.push_back(static_cast<char>(Second(u)));
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t u = text[i];
    if (IsHigh(u) && i + 1 < text.size() && IsLow(text[i + 1])) {
      put(u);
      put(text[++i]);
    } else if (IsRawByte(u)) {
      out.push_back(static_cast<char>(u - kRawByteBase));
    } else {
      put(u);
    }
  }
  return out;
}

// ---------------------------------------------------------------------------
// UTF-8

class TUTF8Encoding final : public TEncoding {
 public:
  using TEncoding::GetString;
  String GetString(std::string_view bytes) const override;
  std::string GetBytes(StringView text) const override;
  std::string_view Preamble() const override { return "\xEF\xBB\xBF"; }
  String Name() const override { return u"UTF-8"; }
};

void AppendUtf8(uint32_t c, std::string& out) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// A lone high surrogate was read from its 3-byte form; give those bytes back.
void AppendHighAsRawBytes(char16_t high, String& out) {
  std::string bytes;
  AppendUtf8(high, bytes);
  for (char b : bytes) out.push_back(RawByte(static_cast<unsigned char>(b)));
}

String TUTF8Encoding::GetString(std::string_view s) const {
  String out;
  out.reserve(s.size());
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
  size_t i = 0;
  while (i < s.size()) {
    const unsigned char b0 = byte(i);
    if (b0 < 0x80) {
      out.push_back(b0);
      ++i;
      continue;
    }
    uint32_t c = 0;
    size_t len = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
      c = b0 & 0x1F, len = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
      c = b0 & 0x0F, len = 3;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      c = b0 & 0x07, len = 4;
    }
    bool ok = len > 0 && i + len <= s.size();
    for (size_t k = 1; ok && k < len; ++k) {
      const unsigned char b = byte(i + k);
      if ((b & 0xC0) != 0x80) ok = false;
      c = (c << 6) | (b & 0x3F);
    }
    // Overlong forms and values past U+10FFFF are invalid; so is the 3-byte
    // form of a unit in the raw-byte range, which could not be told apart.
    if (ok && ((len == 3 && c < 0x800) || (len == 4 && (c < 0x10000 || c > 0x10FFFF)) ||
               (len == 3 && IsRawByte(static_cast<char16_t>(c))))) {
      ok = false;
    }
    if (!ok) {
      PushLow(out, RawByte(b0), AppendHighAsRawBytes);
      ++i;
      continue;
    }
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else if (IsLow(static_cast<char16_t>(c))) {
      // The 3-byte form of a lone low surrogate (not after a lone high).
      PushLow(out, static_cast<char16_t>(c), AppendHighAsRawBytes);
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
    i += len;
  }
  return out;
}

std::string TUTF8Encoding::GetBytes(StringView text) const {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t u = text[i];
    if (u < 0x80) {
      out.push_back(static_cast<char>(u));
    } else if (IsHigh(u) && i + 1 < text.size() && IsLow(text[i + 1])) {
      AppendUtf8(0x10000 + ((u - 0xD800u) << 10) + (text[i + 1] - 0xDC00u), out);
      ++i;
    } else if (IsRawByte(u)) {
      out.push_back(static_cast<char>(u - kRawByteBase));
    } else {
      AppendUtf8(u, out);  // lone surrogates in their 3-byte form
    }
  }
  return out;
}

// ---------------------------------------------------------------------------
// Registry of code pages and the default

struct CodePageRegistry {
  std::mutex mutex;
  std::map<int, std::unique_ptr<TLegacyCodePage>> pages;
};

CodePageRegistry& Registry() {
  static CodePageRegistry registry;
  return registry;
}

const TLegacyCodePage& GetCodePage(int codepage) {
  CodePageRegistry& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  auto it = r.pages.find(codepage);
  if (it == r.pages.end()) {
    std::unique_ptr<TLegacyCodePage> page = NewDoubleByteCodePage(codepage);
    if (!page) page = std::make_unique<TCodePageEncoding>(codepage);
    it = r.pages.emplace(codepage, std::move(page)).first;
  }
  return *it->second;
}

std::atomic<const TLegacyCodePage*>& DefaultSlot() {
  static std::atomic<const TLegacyCodePage*> slot{&GetCodePage(1252)};
  return slot;
}

}  // namespace

String TEncoding::GetString(std::string_view bytes, size_t index, size_t count) const {
  return GetString(Slice(bytes, index, count));
}

bool TEncoding::TryGetBytes(StringView text, std::string& out) const {
  out += GetBytes(text);
  return true;
}

const TEncoding& TEncoding::Default() {
  return *DefaultSlot().load(std::memory_order_acquire);
}

const TEncoding& TEncoding::Unicode() {
  static const TUnicodeEncoding encoding(/*bigEndian=*/false);
  return encoding;
}

const TEncoding& TEncoding::BigEndianUnicode() {
  static const TUnicodeEncoding encoding(/*bigEndian=*/true);
  return encoding;
}

const TEncoding* TEncoding::FromPreamble(std::string_view bytes) {
  // UTF-8's mark first: no other mark is a prefix of it, nor it of another.
  for (const TEncoding* e : {&UTF8(), &Unicode(), &BigEndianUnicode()})
    if (bytes.substr(0, e->Preamble().size()) == e->Preamble()) return e;
  return nullptr;
}

bool LooksLikeUnmarkedUtf16(StringView text) {
  // Only text with NULs can be in question, and nearly no unit holds one.
  if (text.find(u'\0') == StringView::npos) return false;
  size_t nuls[2] = {0, 0};
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == u'\0') ++nuls[i % 2];
  const size_t positions[2] = {(text.size() + 1) / 2, text.size() / 2};
  // UTF-16 of Latin text: a NUL in nearly every other byte, and few in the
  // bytes between. Half of one side is far above what a stray NUL or two in
  // a code-page file gives.
  for (int side = 0; side < 2; ++side)
    if (positions[side] >= 2 && nuls[side] * 2 >= positions[side] &&
        nuls[1 - side] * 4 < positions[1 - side])
      return true;
  return false;
}

const TEncoding& TEncoding::UTF8() {
  static const TUTF8Encoding encoding;
  return encoding;
}

const TEncoding& TEncoding::CodePage(int codepage) {
  return GetCodePage(codepage);
}

void TEncoding::SetDefaultCodePage(int codepage) {
  DefaultSlot().store(&GetCodePage(codepage), std::memory_order_release);
}

int TEncoding::DefaultCodePage() {
  return DefaultSlot().load(std::memory_order_acquire)->Number();
}

}  // namespace mirel
