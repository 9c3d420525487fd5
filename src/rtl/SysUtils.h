// Text and exception basics shared by every subsystem.
//
// All text inside the program is UTF-16 (`String`); UTF-8 appears only at the
// OS boundary (paths handed to the kernel, messages printed to a terminal).
// Case-insensitive operations fold the ASCII letters only, as the Delphi RTL's
// SameText/CompareText/LowerCase do: identifiers, class names and file names
// of Delphi projects are compared that way, and folding never changes a
// string's length, so one index addresses a text and its folded copy alike.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace mirel {

using String = std::u16string;
using StringView = std::u16string_view;

inline constexpr char16_t AsciiLower(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}
inline constexpr char16_t AsciiUpper(char16_t c) {
  return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
}

String LowerCase(StringView s);
String UpperCase(StringView s);

/// Compares without regard to ASCII case; <0, 0, >0 like strcmp.
int CompareText(StringView a, StringView b);
/// Case-sensitive comparison by code unit; <0, 0, >0.
int CompareStr(StringView a, StringView b);
inline bool SameText(StringView a, StringView b) {
  return CompareText(a, b) == 0;
}
bool StartsText(StringView prefix, StringView s);
bool EndsText(StringView suffix, StringView s);

/// Removes leading and trailing characters <= ' ' (Delphi's Trim).
String Trim(StringView s);

String IntToStr(long long v);

/// Converts to and from UTF-8 for the OS boundary, as TEncoding::UTF8()
/// does for files: lossless for every byte string (an invalid byte b reads as
/// U+DC00+b and writes back as b; see docs/encodings.md).
std::string ToUtf8(StringView s);
String FromUtf8(std::string_view s);

/// Widens an ASCII/UTF-8 literal; for messages and tests.
inline String U(std::string_view utf8) {
  return FromUtf8(utf8);
}

/// Root of the system's exceptions. The message is kept in UTF-16; `what()`
/// gives it in UTF-8 for printing.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const String& message);
  const String& Message() const { return message_; }

 private:
  String message_;
};

/// A broken internal invariant. Raised by MIREL_ASSERT instead of aborting,
/// so a caller's clean-up still runs and tests can observe it.
class EAssertionFailed : public Exception {
 public:
  using Exception::Exception;
};

/// A file or folder could not be created.
class EFCreateError : public Exception {
 public:
  using Exception::Exception;
};

/// A file could not be opened or read.
class EFOpenError : public Exception {
 public:
  using Exception::Exception;
};

[[noreturn]] void RaiseAssertion(const char* expr, const char* file, int line);

}  // namespace mirel

#define MIREL_ASSERT(cond) \
  ((cond) ? static_cast<void>(0) : ::mirel::RaiseAssertion(#cond, __FILE__, __LINE__))
