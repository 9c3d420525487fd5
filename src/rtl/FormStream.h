// The binary object format of form files ("TPF0" streams) as a value tree, and
// the exact reader and writer between the two.
//
// A stream is the signature "TPF0" followed by one object:
//   [flags prefix]  one byte 0xF0 | flags (1 inherited, 2 child position,
//                   4 inline), then the child position as an integer value
//                   when flag 2 is set; absent when the object has no flags
//   class name      short string (length byte + bytes)
//   object name     short string
//   properties      each: short-string name, then one value; a 0 byte ends them
//   children        objects; a 0 byte ends them
// Every value starts with its TValueType byte. docs/binary-forms.md describes
// each value type, the normal form and the text form.
//
// The tree keeps every byte that matters: names and single-byte strings as the
// bytes read, floating-point values as their bit patterns, and each value's
// type, so that TFormStreamWriter writes back exactly the stream that
// TFormStreamReader read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "rtl/SysUtils.h"

namespace mirel {

/// Malformed form data: a binary stream that is truncated or corrupt (the
/// message names the byte offset), or form text that cannot be read (the
/// message names line and column).
class EFormFormatError : public Exception {
 public:
  using Exception::Exception;
};

/// Value type codes of the format (one byte before every value).
enum class TValueType : uint8_t {
  vaNull = 0,
  vaList = 1,
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaExtended = 5,
  vaString = 6,
  vaIdent = 7,
  vaFalse = 8,
  vaTrue = 9,
  vaBinary = 10,
  vaSet = 11,
  vaLString = 12,
  vaNil = 13,
  vaCollection = 14,
  vaSingle = 15,
  vaCurrency = 16,
  vaDate = 17,
  vaWString = 18,
  vaInt64 = 19,
  vaUTF8String = 20,
  vaDouble = 21,
};

/// Object flags (the low bits of the prefix byte).
enum TFilerFlag : uint8_t { ffInherited = 1, ffChildPos = 2, ffInline = 4 };

/// Objects and values may nest at most this deep; deeper input is rejected
/// so that neither reader can exhaust the stack.
inline constexpr int kMaxFormNesting = 256;

struct TFormProperty;

/// One item of a collection: an optional order value and its properties.
struct TCollectionItem {
  bool HasOrder = false;  // without an order, OrderType and Order keep their defaults
  /// Integer type of the order value as stored (vaInt8, vaInt16 or vaInt32).
  TValueType OrderType = TValueType::vaInt8;
  int32_t Order = 0;
  std::vector<TFormProperty> Properties;

  bool operator==(const TCollectionItem&) const = default;
};

/// One value. Which fields are meaningful depends on Type:
///  vaInt8/16/32/64       Int
///  vaCurrency            Int (the value times 10000, as stored)
///  vaSingle              Bits (low 32 bits, IEEE single)
///  vaDouble, vaDate      Bits (IEEE double)
///  vaExtended            Bits (64-bit mantissa) and ExtExponent (sign and
///                        15-bit exponent), i.e. the 10 bytes as stored
///  vaString, vaLString,
///  vaIdent, vaUTF8String Bytes (as stored: code-page bytes, or UTF-8)
///  vaBinary              Bytes
///  vaWString             Wide
///  vaSet                 Names (element names as stored)
///  vaList                List
///  vaCollection          Items
///  vaNull, vaFalse,
///  vaTrue, vaNil         nothing
struct TFormValue {
  TValueType Type = TValueType::vaNull;
  int64_t Int = 0;
  uint64_t Bits = 0;
  uint16_t ExtExponent = 0;
  std::string Bytes;
  String Wide;
  std::vector<std::string> Names;
  std::vector<TFormValue> List;
  std::vector<TCollectionItem> Items;

  bool operator==(const TFormValue&) const = default;
};

struct TFormProperty {
  std::string Name;  // as stored; dotted for nested properties (Font.Name)
  TFormValue Value;
  bool operator==(const TFormProperty&) const = default;
};

/// One object of the stream with its properties and child objects.
struct TFormObjectNode {
  uint8_t Flags = 0;  // TFilerFlag bits
  /// True when the stream carried a prefix byte although Flags is 0 (kept so
  /// such a stream is written back as read).
  bool EmptyPrefix = false;
  TValueType ChildPosType = TValueType::vaInt8;  // when ffChildPos is set
  int32_t ChildPos = 0;
  std::string ClassName;  // as stored
  std::string Name;       // as stored; may be empty
  std::vector<TFormProperty> Properties;
  std::vector<TFormObjectNode> Children;

  bool operator==(const TFormObjectNode&) const = default;
};

/// Reads a binary object stream ("TPF0" and one object) into a tree.
/// Throws EFormFormatError naming the byte offset (plus baseOffset, so a
/// caller that cut the stream out of a file can report file offsets) for a
/// bad signature, a value or length running past the end, an unknown value
/// type or flag, nesting deeper than kMaxFormNesting, or bytes left after the
/// object, or a name that is not an identifier (IsFormIdentifier: class,
/// property, identifier-value and set-element names; object names may also
/// be empty). Lengths are checked against the remaining input before anything is
/// allocated for them.
TFormObjectNode ReadObjectStream(std::string_view stream, size_t baseOffset = 0);

/// Writes a tree as a binary object stream, exactly as ReadObjectStream read
/// it. Throws EFormFormatError for a tree that has no binary form: a name
/// longer than 255 bytes, an empty class or property name, an empty set
/// element, a vaNull list element, a value type not in the format.
std::string WriteObjectStream(const TFormObjectNode& root);

/// True when the bytes are an identifier as the text form can hold it: a
/// letter, '_' or a byte >= 0x80, then also digits; with allowDots, several
/// such parts joined by single dots (Font.Name, Form1.Table1).
bool IsFormIdentifier(std::string_view bytes, bool allowDots);

/// The smallest integer type that holds v (vaInt8, vaInt16, vaInt32, vaInt64).
TValueType SmallestIntType(int64_t v);

}  // namespace mirel
