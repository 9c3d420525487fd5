// Form texts for the form-parser tests: written with "\n" in the test for
// readability, parsed with the CR LF line ends of real form files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "rtl/SysUtils.h"

namespace mirel::testing {

/// lf with every "\n" turned into "\r\n".
inline String Crlf(StringView lf) {
  String r;
  for (char16_t c : lf) {
    if (c == u'\n') r += u'\r';
    r += c;
  }
  return r;
}

/// The same for bytes, for files written by the tests.
inline std::string Crlf(std::string_view lf) {
  std::string r;
  for (char c : lf) {
    if (c == '\n') r += '\r';
    r += c;
  }
  return r;
}

/// Value lines as one text, joined with CR LF.
inline String Joined(const std::vector<String>& lines) {
  String r;
  for (size_t i = 0; i < lines.size(); ++i) r += (i ? u"\r\n" : u"") + lines[i];
  return r;
}

}  // namespace mirel::testing
