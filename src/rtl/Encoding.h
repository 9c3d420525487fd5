// Text encodings of source files: the legacy ("ANSI") code page, single-byte
// or one of the double-byte code pages 932, 936, 949 and 950, UTF-16LE,
// UTF-16BE and UTF-8.
//
// Every conversion here is lossless in both directions for EVERY input:
// GetBytes(GetString(b)) == b for any byte string b, well-formed or not, so a
// region of a unit or form that the migration does not change is written back
// byte for byte. How bytes that have no proper character (undefined code-page
// bytes, invalid UTF-8, unpaired UTF-16 surrogates, an odd trailing byte) are
// carried through the UTF-16 text is documented in docs/encodings.md. In short:
// a code unit U+DC00+b that is not the second half of a surrogate pair stands
// for the raw byte b, in all encodings alike. A double-byte code page decodes
// a lead and a trail byte that are no character as two such units, never as
// a raw lead byte and an ASCII character.
//
// Pieces may be encoded one by one: GetBytes(a + b) == GetBytes(a) +
// GetBytes(b) as long as the cut does not fall between the two halves of a
// surrogate pair (the lexers never cut there).
//
// GetString is lossless; GetBytes is lossless for every text that GetString
// produced. Text from elsewhere that the code page cannot represent (a
// Cyrillic letter written as Windows-1252, a character outside the BMP) is
// written as '?', as the Windows conversion does.
//
// The encoding objects are immutable singletons owned by this module; callers
// hold them by reference for as long as the program runs (also across
// SetDefaultCodePage, which only changes what Default() answers from then on).
// They may be used from several threads at once.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "rtl/SysUtils.h"

namespace mirel {

class TEncoding {
 public:
  virtual ~TEncoding() = default;

  /// Decodes a whole byte buffer. Never fails.
  virtual String GetString(std::string_view bytes) const = 0;
  /// Decodes count bytes from index (clamped to the buffer).
  String GetString(std::string_view bytes, size_t index, size_t count) const;
  /// Encodes text; the inverse of GetString. Never fails.
  virtual std::string GetBytes(StringView text) const = 0;
  /// Appends the bytes of text to out when the encoding represents every
  /// character of it (text GetString produced always is); returns false,
  /// leaving out partly written, where GetBytes would write a '?'.
  virtual bool TryGetBytes(StringView text, std::string& out) const;
  /// Whether b begins a two-byte character (a double-byte code page only).
  virtual bool IsLeadByte(unsigned char /*b*/) const { return false; }
  /// The byte-order mark this encoding writes ("" for the code page).
  virtual std::string_view Preamble() const = 0;
  /// A readable name ("windows-1252", "UTF-16LE", "UTF-8").
  virtual String Name() const = 0;

  /// The configured legacy code page (Windows-1252 unless changed).
  static const TEncoding& Default();
  /// UTF-16LE.
  static const TEncoding& Unicode();
  /// UTF-16BE; raw bytes are carried as in UTF-16LE.
  static const TEncoding& BigEndianUnicode();
  static const TEncoding& UTF8();
  /// A Windows code page: single-byte (874, 1250..1258, or another one iconv
  /// knows as "CP<n>") or double-byte (932, 936, 949, 950); built on first
  /// use and kept. Throws Exception naming the code page when iconv does not
  /// know it or it is another multi-byte one (UTF-8, EUC, ...).
  static const TEncoding& CodePage(int codepage);

  /// Makes a Windows code page (874, 1250..1258, 932, 936, 949, 950) the
  /// default. Throws Exception naming the code page when CodePage(codepage)
  /// would; the default is then left as it was.
  static void SetDefaultCodePage(int codepage);
  static int DefaultCodePage();

  /// The encoding whose byte-order mark bytes begin with: UTF-8 (EF BB BF),
  /// UTF-16LE (FF FE) or UTF-16BE (FE FF); null when they begin with none.
  /// The mark's length is that encoding's Preamble().size().
  static const TEncoding* FromPreamble(std::string_view bytes);
};

/// Whether text decoded from a code page is more likely UTF-16
/// without its byte-order mark: NULs in at least half of the even or of the
/// odd positions, and in few of the others. Text with no NUL is never.
bool LooksLikeUnmarkedUtf16(StringView text);

}  // namespace mirel
