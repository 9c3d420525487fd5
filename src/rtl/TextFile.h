// Text files with their encoding: the one place that decides how the bytes of
// a unit, a text form, a project file or an undo file become text, and how
// text goes back into bytes the way the file came. The rule is written down
// in docs/encodings.md ("Reading a text file"):
//
//   - a byte-order mark decides: EF BB BF UTF-8, FF FE UTF-16LE, FE FF
//     UTF-16BE; the mark is skipped in the text and written again by Bytes;
//   - without a mark the text is in the default code page (TEncoding::Default
//     at the time of reading).
//
// That is how a run reads and writes back every file, so that what it leaves
// unchanged keeps its bytes. Readers that only show or look up text may ask
// for TUnmarkedText::DetectUtf8: unmarked bytes that are well-formed UTF-8
// are then read as UTF-8.
#pragma once

#include <string>
#include <string_view>

#include "rtl/Encoding.h"
#include "rtl/SysUtils.h"

namespace mirel {

/// A text file as read: its text and how to write it back.
struct TTextFile {
  String Text;
  /// The encoding the text was decoded with; one of the TEncoding singletons.
  const TEncoding* Encoding = &TEncoding::Default();
  /// The file began with the byte-order mark of Encoding (skipped in Text).
  bool HasPreamble = false;

  /// text encoded as the file was: the mark (when it had one), then the bytes.
  std::string Bytes(StringView text) const;
};

/// How bytes without a byte-order mark are read.
enum class TUnmarkedText {
  /// The default code page: what a run reads, and writes back byte for byte.
  CodePage,
  /// UTF-8 when the bytes are well-formed UTF-8 (ASCII included), else the
  /// default code page: for text that is shown or searched for file names
  /// (project files and the workbench's views), never for what a run writes.
  DetectUtf8
};

/// Decodes the bytes of a text file by the rule above. Never fails: every
/// byte string decodes, and Bytes(Text) gives it back.
TTextFile ReadTextFile(std::string_view bytes, TUnmarkedText unmarked = TUnmarkedText::CodePage);

/// Whether bytes are well-formed UTF-8: no invalid or truncated sequence, no
/// overlong form, no surrogate, nothing past U+10FFFF.
bool IsWellFormedUtf8(std::string_view bytes);

}  // namespace mirel
