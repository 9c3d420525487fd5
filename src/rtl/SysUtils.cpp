#include "rtl/SysUtils.h"

#include <algorithm>

namespace mirel {

String LowerCase(StringView s) {
  String r(s);
  for (auto& c : r) c = AsciiLower(c);
  return r;
}

String UpperCase(StringView s) {
  String r(s);
  for (auto& c : r) c = AsciiUpper(c);
  return r;
}

int CompareText(StringView a, StringView b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const char16_t x = AsciiLower(a[i]);
    const char16_t y = AsciiLower(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

int CompareStr(StringView a, StringView b) {
  const int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool StartsText(StringView prefix, StringView s) {
  return s.size() >= prefix.size() && CompareText(s.substr(0, prefix.size()), prefix) == 0;
}

bool EndsText(StringView suffix, StringView s) {
  return s.size() >= suffix.size() &&
         CompareText(s.substr(s.size() - suffix.size()), suffix) == 0;
}

String Trim(StringView s) {
  size_t b = 0, e = s.size();
  while (b < e && s[b] <= u' ') ++b;
  while (e > b && s[e - 1] <= u' ') --e;
  return String(s.substr(b, e - b));
}

String IntToStr(long long v) {
  const std::string s = std::to_string(v);
  return String(s.begin(), s.end());
}

std::string ToUtf8(StringView s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    uint32_t c = s[i];
    if (c >= 0xDC80 && c <= 0xDCFF) {
      // A byte that was not valid UTF-8 when read: give it back as it was.
      out.push_back(static_cast<char>(c - 0xDC00));
      continue;
    }
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
        s[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    }
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
  return out;
}

String FromUtf8(std::string_view s) {
  String out;
  out.reserve(s.size());
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
  size_t i = 0;
  while (i < s.size()) {
    const unsigned char b0 = byte(i);
    uint32_t c = 0;
    size_t len = 0;
    if (b0 < 0x80) {
      c = b0, len = 1;
    } else if (b0 >= 0xC2 && b0 <= 0xDF) {
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
    if (ok) {
      // Overlong forms, values past U+10FFFF and encoded surrogates are not
      // UTF-8; their bytes are kept as raw bytes so they are written back as
      // they were (two encoded halves must not turn into one 4-byte form).
      if ((len == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) ||
          (len == 4 && (c < 0x10000 || c > 0x10FFFF)))
        ok = false;
    }
    if (!ok) {
      out.push_back(static_cast<char16_t>(0xDC00 + b0));
      ++i;
      continue;
    }
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
    i += len;
  }
  return out;
}

Exception::Exception(const String& message)
    : std::runtime_error(ToUtf8(message)), message_(message) {}

void RaiseAssertion(const char* expr, const char* file, int line) {
  throw EAssertionFailed(FromUtf8(std::string("Assertion failed: ") + expr + " (" + file + ":" +
                                  std::to_string(line) + ")"));
}

}  // namespace mirel
