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

/// The byte <-> character conversion of names and strings, restricted to what
/// converts back exactly: a table for a single-byte code page, the encoding
/// itself for a double-byte one. Built once per conversion; borrows the
/// encoding, which lives as long as the program (Encoding.h).
class TFormCodePage {
 public:
  explicit TFormCodePage(const TEncoding& encoding);

  /// Decodes bytes; returns false (leaving a partial result) when a byte has
  /// no exact character.
  bool Decode(std::string_view bytes, String& out) const;
  /// Encodes text; returns false when a character has no bytes.
  bool Encode(StringView text, std::string& out) const;
  /// Whether a raw lead byte (a double-byte code page only) and the unit
  /// after it are one sequence in the bytes: another raw byte (a pair that is
  /// no character), or an ASCII character that is a trail byte. Form text
  /// must not put a line break between the first kind, nor let a name that
  /// ends in a lead byte run into a ']' of the second.
  bool Joined(char16_t before, char16_t after) const;

 private:
  int Byte(char16_t c) const;

  const TEncoding* double_byte_ = nullptr;
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
