#include "rtl/SysUtils.h"

#include "rtl/Encoding.h"

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
  return s.size() >= suffix.size() && CompareText(s.substr(s.size() - suffix.size()), suffix) == 0;
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

// One UTF-8 codec for files and the OS boundary alike, so that every byte
// string survives both.
std::string ToUtf8(StringView s) {
  return TEncoding::UTF8().GetBytes(s);
}

String FromUtf8(std::string_view s) {
  return TEncoding::UTF8().GetString(s);
}

Exception::Exception(const String& message)
    : std::runtime_error(ToUtf8(message)), message_(message) {}

void RaiseAssertion(const char* expr, const char* file, int line) {
  throw EAssertionFailed(FromUtf8(std::string("Assertion failed: ") + expr + " (" + file + ":" +
                                  std::to_string(line) + ")"));
}

}  // namespace mirel
