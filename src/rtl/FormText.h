// Form text: the textual form of an object stream, as form files (.dfm) hold
// it and as the form parser reads it.
//
//   object Form1: TForm1
//     Caption = 'Orders'#13#10'list' +
//       'more text'
//     Items.Strings = (
//       'a'
//       'b')
//     Font.Style = [fsBold, fsItalic]
//     Ratio = 1.5s
//     Columns = <
//       item [2]
//         Value = Null
//       end>
//     object Table1: TTable [3]
//     end
//   end
//
// WriteFormText and ReadFormText are exact inverses on streams in normal form
// (docs/binary-forms.md): for those, ReadFormText(WriteFormText(t)) == t.
// For any other tree the round trip keeps every value, possibly with another
// value type of the same meaning (a 16-bit integer that fits in 8 bits comes
// back as an 8-bit one).
//
// Names and single-byte strings are code-page bytes in the tree and
// characters in the text; both directions convert them with the code page
// passed in, so that they come back as the same bytes.
#pragma once

#include <array>
#include <utility>
#include <vector>

#include "rtl/Encoding.h"
#include "rtl/FormStream.h"

namespace mirel {

/// The byte <-> character table of a single-byte code page, restricted to the
/// pairs that convert back exactly. Built once per conversion.
class TFormCodePage {
 public:
  explicit TFormCodePage(const TEncoding& encoding);

  /// The character of byte b, or -1 when b does not convert back exactly.
  int Char(uint8_t b) const { return chars_[b]; }
  /// The byte of character c, or -1 when the code page cannot represent c.
  int Byte(char16_t c) const;
  /// Decodes bytes; returns false (leaving a partial result) when a byte has
  /// no exact character.
  bool Decode(std::string_view bytes, String& out) const;
  /// Encodes text; returns false when a character has no byte.
  bool Encode(StringView text, std::string& out) const;

 private:
  std::array<int, 256> chars_;
  std::vector<std::pair<char16_t, uint8_t>> reverse_;  // sorted by character
};

/// Writes the tree as form text: two spaces of indentation per level, lines
/// ending in CR LF, the last one too. Throws EFormFormatError for a tree that
/// has no text form: a name that is not an identifier, a floating-point value
/// that is infinite, NaN or not a canonical extended number, a UTF-8 string
/// that is not valid UTF-8, a name or string byte the code page cannot decode.
String WriteFormText(const TFormObjectNode& root, const TEncoding& codePage);

/// Reads form text (one object, optionally surrounded by blanks) into a tree
/// in normal form. Throws EFormFormatError naming line and column for text
/// that is not a well-formed object, a number out of range, a name the code
/// page cannot represent or longer than 255 bytes, Null as a list element,
/// a property after a child object, or nesting deeper than kMaxFormNesting.
TFormObjectNode ReadFormText(StringView text, const TEncoding& codePage);

}  // namespace mirel
