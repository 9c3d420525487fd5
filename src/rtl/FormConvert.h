// Conversions of whole form data between the binary object format and form
// text, and the 16-bit resource header that binary form files carry.
//
// A binary form file is either a bare object stream ("TPF0" ...) or the same
// stream behind a 16-bit resource header:
//   FF 0A 00        resource type RCDATA (10), given as an ordinal
//   name            bytes ending in a 0 byte (or FF and a 16-bit ordinal)
//   2 bytes         memory flags, little-endian (0x1030 as written by the IDE)
//   4 bytes         size of the data that follows, little-endian
//   data            the object stream
//
// Every function here is pure: bytes and text in, bytes and text out. Code-page
// text (names and single-byte strings) is converted with the encoding passed in,
// normally TEncoding::Default(). Failures throw EFormFormatError (FormStream.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "rtl/Encoding.h"
#include "rtl/FormStream.h"

namespace mirel {

/// Converts a binary object stream to form text (lines end in CR LF). Errors
/// name byte offsets counted from the start of `stream` plus `baseOffset`.
String ObjectBinaryToText(std::string_view stream, const TEncoding& codePage = TEncoding::Default(),
                          size_t baseOffset = 0);

/// Converts form text to a binary object stream in normal form. Errors name
/// line and column.
std::string ObjectTextToBinary(StringView text, const TEncoding& codePage = TEncoding::Default());

/// The header of a binary form file.
struct TResourceHeader {
  /// The name as stored, without its terminating 0 byte; a name given as an
  /// ordinal is kept as its three bytes FF lo hi (and has no terminator).
  std::string Name;
  uint16_t MemoryFlags = 0x1030;
  /// The data size as read. WriteResourceFile ignores it and writes the
  /// size of the stream it is given.
  uint32_t Size = 0;
};

/// True when the bytes begin FF 0A 00 (a 16-bit resource header).
bool HasResourceHeader(std::string_view file);

/// True when the bytes are a binary form file of either kind (resource header,
/// or the "TPF0" signature directly).
bool IsBinaryForm(std::string_view file);

/// Reads the resource header at the start of `file` (which must begin FF 0A 00)
/// and returns the offset of the data after it. Throws EFormFormatError when the
/// header is cut short.
size_t ReadResourceHeader(std::string_view file, TResourceHeader& header);

/// A resource file: the header with `header.Name` and `header.MemoryFlags`, the
/// size of `stream`, then `stream`. Throws EFormFormatError for a name with a 0
/// byte in it or a stream of 4 GB or more.
std::string WriteResourceFile(const TResourceHeader& header, std::string_view stream);

/// What a binary form file looked like, so that it can be written back alike.
struct TBinaryFormKind {
  bool HasHeader = false;
  TResourceHeader Header;  // meaningful when HasHeader
};

/// Converts a binary form file of either kind to form text and tells which
/// kind it was. Offsets in errors are offsets in `file`.
String BinaryFormToText(std::string_view file, TBinaryFormKind& kind,
                        const TEncoding& codePage = TEncoding::Default());

/// Converts form text to a binary form file of the given kind.
std::string TextToBinaryForm(StringView text, const TBinaryFormKind& kind,
                             const TEncoding& codePage = TEncoding::Default());

}  // namespace mirel
