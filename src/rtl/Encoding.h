// Text encodings of source files: the legacy single-byte ("ANSI") code page,
// UTF-16LE and UTF-8.
//
// Every conversion here is lossless in both directions for EVERY input:
// GetBytes(GetString(b)) == b for any byte string b, well-formed or not, so a
// region of a unit or form that the migration does not change is written back
// byte for byte. How bytes that have no proper character (undefined code-page
// bytes, invalid UTF-8, unpaired UTF-16 surrogates, an odd trailing byte) are
// carried through the UTF-16 text is documented in docs/encodings.md.
//
// The encoding objects are immutable singletons owned by this module; callers
// hold them by reference for as long as the program runs.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "rtl/SysUtils.h"

namespace mirel {

class TEncoding {
 public:
  virtual ~TEncoding() = default;

  /// Decodes a whole byte buffer.
  virtual String GetString(std::string_view bytes) const = 0;
  /// Decodes count bytes from index (clamped to the buffer).
  String GetString(std::string_view bytes, size_t index, size_t count) const;
  /// Encodes text; the inverse of GetString.
  virtual std::string GetBytes(StringView text) const = 0;
  /// The byte-order mark this encoding writes ("" for the code page).
  virtual std::string_view Preamble() const = 0;
  /// A readable name ("windows-1252", "UTF-16LE", "UTF-8").
  virtual String Name() const = 0;

  /// The configured legacy code page (Windows-1252 unless changed).
  static const TEncoding& Default();
  /// UTF-16LE.
  static const TEncoding& Unicode();
  static const TEncoding& UTF8();

  /// Makes a Windows code page (874, 1250..1258) the default. Throws Exception
  /// naming the code page when it is not a single-byte code page iconv knows.
  static void SetDefaultCodePage(int codepage);
  static int DefaultCodePage();
};

}  // namespace mirel
