#include "rtl/FormStream.h"

#include <cstring>

namespace mirel {

namespace {

constexpr std::string_view kSignature = "TPF0";

String Hex2(unsigned v) {
  static const char16_t kDigits[] = u"0123456789ABCDEF";
  String s = u"0x";
  s += kDigits[(v >> 4) & 15];
  s += kDigits[v & 15];
  return s;
}

// Reads one stream. Every read checks the remaining length first, so a
// length field can never make us allocate or copy more than the input holds.
class TStreamReader {
 public:
  TStreamReader(std::string_view data, size_t base) : data_(data), base_(base) {}

  TFormObjectNode ReadRoot() {
    if (data_.size() < kSignature.size() || data_.substr(0, kSignature.size()) != kSignature)
      Fail(0, u"the stream does not begin with the signature \"TPF0\"");
    pos_ = kSignature.size();
    TFormObjectNode root = ReadObject(1);
    if (pos_ != data_.size())
      Fail(pos_, u"unexpected data after the end of the root object (" +
                     IntToStr(static_cast<long long>(data_.size() - pos_)) + u" bytes)");
    return root;
  }

 private:
  [[noreturn]] void Fail(size_t at, const String& what) const {
    throw EFormFormatError(u"Binary form data, byte offset " +
                           IntToStr(static_cast<long long>(base_ + at)) + u": " + what);
  }

  void Need(size_t n, const char16_t* what) const {
    if (data_.size() - pos_ < n)
      Fail(pos_, String(u"truncated ") + what + u" (" + IntToStr(static_cast<long long>(n)) +
                     u" bytes needed, " + IntToStr(static_cast<long long>(data_.size() - pos_)) +
                     u" left)");
  }

  uint8_t Byte(const char16_t* what) {
    Need(1, what);
    return static_cast<uint8_t>(data_[pos_++]);
  }

  uint64_t Unsigned(size_t n, const char16_t* what) {
    Need(n, what);
    uint64_t v = 0;
    for (size_t i = 0; i < n; ++i) v |= uint64_t(uint8_t(data_[pos_ + i])) << (8 * i);
    pos_ += n;
    return v;
  }

  std::string Bytes(size_t n, const char16_t* what) {
    Need(n, what);
    std::string s(data_.substr(pos_, n));
    pos_ += n;
    return s;
  }

  std::string ShortString(const char16_t* what) {
    const size_t n = Byte(what);
    return Bytes(n, what);
  }

  // A short-string name that the text form can hold.
  std::string Name(const char16_t* what, bool allowDots, bool allowEmpty) {
    const size_t at = pos_;
    std::string s = ShortString(what);
    if (s.empty() ? !allowEmpty : !IsFormIdentifier(s, allowDots))
      Fail(at,
           String(what) + u" is not " + (s.empty() ? u"allowed to be empty" : u"an identifier"));
    return s;
  }

  void CheckDepth(int depth) const {
    if (depth > kMaxFormNesting)
      Fail(pos_, u"objects and values nest deeper than " + IntToStr(kMaxFormNesting) + u" levels");
  }

  // Reads an integer value that must be of type vaInt8, vaInt16 or vaInt32
  // (child positions and collection item orders).
  int32_t SmallInt(TValueType& type, const char16_t* what) {
    const size_t at = pos_;
    type = static_cast<TValueType>(Byte(what));
    switch (type) {
      case TValueType::vaInt8:
        return static_cast<int8_t>(Unsigned(1, what));
      case TValueType::vaInt16:
        return static_cast<int16_t>(Unsigned(2, what));
      case TValueType::vaInt32:
        return static_cast<int32_t>(Unsigned(4, what));
      default:
        Fail(at, String(what) + u" must be an 8, 16 or 32-bit integer, found value type " +
                     IntToStr(static_cast<int>(type)));
    }
  }

  TFormObjectNode ReadObject(int depth) {
    CheckDepth(depth);
    TFormObjectNode obj;
    const size_t at = pos_;
    const uint8_t first = Byte(u"object header");
    if ((first & 0xF0) == 0xF0) {
      if (first & 0x08) Fail(at, u"unknown object flag in prefix byte " + Hex2(first));
      obj.Flags = first & 0x07;
      if (obj.Flags & ffChildPos) obj.ChildPos = SmallInt(obj.ChildPosType, u"child position");
    } else {
      --pos_;
    }
    obj.ClassName = Name(u"class name", false, false);
    // The writer always puts a prefix before a class name of 240 bytes or
    // more; only a prefix it would not have written needs remembering.
    obj.EmptyPrefix = (first & 0xF0) == 0xF0 && obj.Flags == 0 && obj.ClassName.size() < 0xF0;
    obj.Name = Name(u"object name", false, true);
    ReadProperties(obj.Properties, depth);
    for (;;) {
      Need(1, u"child object list");
      if (data_[pos_] == 0) break;
      obj.Children.push_back(ReadObject(depth + 1));
    }
    ++pos_;
    return obj;
  }

  void ReadProperties(std::vector<TFormProperty>& props, int depth) {
    for (;;) {
      Need(1, u"property list");
      if (data_[pos_] == 0) {
        ++pos_;
        return;
      }
      TFormProperty p;
      p.Name = Name(u"property name", true, false);
      p.Value = ReadValue(depth + 1, false);
      props.push_back(std::move(p));
    }
  }

  TFormValue ReadValue(int depth, bool inList) {
    CheckDepth(depth);
    TFormValue v;
    const size_t at = pos_;
    const uint8_t code = Byte(u"value type");
    v.Type = static_cast<TValueType>(code);
    switch (v.Type) {
      case TValueType::vaNull:
        // Inside a list a 0 byte ends the list, so it never gets here.
        MIREL_ASSERT(!inList);
        break;
      case TValueType::vaFalse:
      case TValueType::vaTrue:
      case TValueType::vaNil:
        break;
      case TValueType::vaInt8:
        v.Int = static_cast<int8_t>(Unsigned(1, u"8-bit integer"));
        break;
      case TValueType::vaInt16:
        v.Int = static_cast<int16_t>(Unsigned(2, u"16-bit integer"));
        break;
      case TValueType::vaInt32:
        v.Int = static_cast<int32_t>(Unsigned(4, u"32-bit integer"));
        break;
      case TValueType::vaInt64:
        v.Int = static_cast<int64_t>(Unsigned(8, u"64-bit integer"));
        break;
      case TValueType::vaCurrency:
        v.Int = static_cast<int64_t>(Unsigned(8, u"currency value"));
        break;
      case TValueType::vaSingle:
        v.Bits = Unsigned(4, u"single value");
        break;
      case TValueType::vaDouble:
        v.Bits = Unsigned(8, u"double value");
        break;
      case TValueType::vaDate:
        v.Bits = Unsigned(8, u"date value");
        break;
      case TValueType::vaExtended:
        Need(10, u"extended value");
        v.Bits = Unsigned(8, u"extended value");
        v.ExtExponent = static_cast<uint16_t>(Unsigned(2, u"extended value"));
        break;
      case TValueType::vaString:
        v.Bytes = ShortString(u"string");
        break;
      case TValueType::vaIdent:
        v.Bytes = Name(u"identifier", true, false);
        break;
      case TValueType::vaLString:
      case TValueType::vaUTF8String:
      case TValueType::vaBinary: {
        const char16_t* what = v.Type == TValueType::vaBinary ? u"binary data" : u"long string";
        const uint64_t n = Unsigned(4, what);
        v.Bytes = Bytes(static_cast<size_t>(n), what);
        break;
      }
      case TValueType::vaWString: {
        const uint64_t n = Unsigned(4, u"wide string");
        Need(static_cast<size_t>(n) * 2, u"wide string");
        v.Wide.resize(static_cast<size_t>(n));
        for (auto& c : v.Wide) c = static_cast<char16_t>(Unsigned(2, u"wide string"));
        break;
      }
      case TValueType::vaSet:
        for (;;) {
          Need(1, u"set");
          if (data_[pos_] == 0) {
            ++pos_;
            break;
          }
          v.Names.push_back(Name(u"set element", false, false));
        }
        break;
      case TValueType::vaList:
        for (;;) {
          Need(1, u"list");
          if (data_[pos_] == 0) break;
          v.List.push_back(ReadValue(depth + 1, true));
        }
        ++pos_;
        break;
      case TValueType::vaCollection:
        for (;;) {
          Need(1, u"collection");
          if (data_[pos_] == 0) break;
          TCollectionItem item;
          if (data_[pos_] != static_cast<char>(TValueType::vaList)) {
            item.HasOrder = true;
            item.Order = SmallInt(item.OrderType, u"collection item order");
          }
          const size_t listAt = pos_;
          if (Byte(u"collection item") != static_cast<uint8_t>(TValueType::vaList))
            Fail(listAt, u"a collection item must be a property list (value type 1)");
          ReadProperties(item.Properties, depth + 1);
          v.Items.push_back(std::move(item));
        }
        ++pos_;
        break;
      default:
        Fail(at, u"unknown value type " + IntToStr(code));
    }
    return v;
  }

  std::string_view data_;
  size_t base_;
  size_t pos_ = 0;
};

class TStreamWriter {
 public:
  std::string out;

  void Object(const TFormObjectNode& obj, int depth) {
    CheckDepth(depth);
    if (obj.Flags & ~(ffInherited | ffChildPos | ffInline)) Fail(u"unknown object flags");
    const bool ambiguous = !obj.ClassName.empty() && uint8_t(obj.ClassName.size()) >= 0xF0;
    if (obj.Flags != 0 || obj.EmptyPrefix || ambiguous) {
      // A class name of 240 bytes or more would read as a prefix byte, so
      // such a header always gets a (possibly empty) prefix.
      out += static_cast<char>(0xF0 | obj.Flags);
      if (obj.Flags & ffChildPos) SmallInt(obj.ChildPosType, obj.ChildPos, u"child position");
    }
    if (obj.ClassName.empty()) Fail(u"an object has an empty class name");
    ShortString(obj.ClassName, u"class name");
    ShortString(obj.Name, u"object name");
    Properties(obj.Properties, depth);
    for (const auto& child : obj.Children) Object(child, depth + 1);
    out += '\0';
  }

 private:
  [[noreturn]] static void Fail(const String& what) {
    throw EFormFormatError(u"Cannot write binary form data: " + what);
  }

  static void CheckDepth(int depth) {
    if (depth > kMaxFormNesting)
      Fail(u"objects and values nest deeper than " + IntToStr(kMaxFormNesting) + u" levels");
  }

  void Unsigned(uint64_t v, size_t n) {
    for (size_t i = 0; i < n; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
  }

  void Type(TValueType t) { out += static_cast<char>(t); }

  void ShortString(const std::string& s, const char16_t* what) {
    if (s.size() > 255)
      Fail(String(what) + u" longer than 255 bytes (" + IntToStr(static_cast<long long>(s.size())) +
           u")");
    out += static_cast<char>(s.size());
    out += s;
  }

  void Length32(size_t n, const char16_t* what) {
    if (n > 0xFFFFFFFFu) Fail(String(what) + u" longer than 4 GB");
    Unsigned(n, 4);
  }

  void SmallInt(TValueType type, int32_t v, const char16_t* what) {
    const size_t size = type == TValueType::vaInt8 ? 1 : type == TValueType::vaInt16 ? 2 : 4;
    const bool fits = type == TValueType::vaInt8    ? (v >= -128 && v <= 127)
                      : type == TValueType::vaInt16 ? (v >= -32768 && v <= 32767)
                                                    : type == TValueType::vaInt32;
    if (!fits) Fail(String(what) + u" does not fit its integer type");
    Type(type);
    Unsigned(static_cast<uint64_t>(static_cast<int64_t>(v)), size);
  }

  void Properties(const std::vector<TFormProperty>& props, int depth) {
    for (const auto& p : props) {
      if (p.Name.empty()) Fail(u"a property has an empty name");
      ShortString(p.Name, u"property name");
      Value(p.Value, depth + 1, false);
    }
    out += '\0';
  }

  void Value(const TFormValue& v, int depth, bool inList) {
    CheckDepth(depth);
    Type(v.Type);
    switch (v.Type) {
      case TValueType::vaNull:
        if (inList) Fail(u"Null cannot be a list element (a 0 byte ends the list)");
        break;
      case TValueType::vaFalse:
      case TValueType::vaTrue:
      case TValueType::vaNil:
        break;
      case TValueType::vaInt8:
      case TValueType::vaInt16:
      case TValueType::vaInt32:
      case TValueType::vaInt64: {
        const size_t size = v.Type == TValueType::vaInt8    ? 1
                            : v.Type == TValueType::vaInt16 ? 2
                            : v.Type == TValueType::vaInt32 ? 4
                                                            : 8;
        if (size < 8) {
          const int64_t lim = int64_t(1) << (8 * size - 1);
          if (v.Int < -lim || v.Int >= lim) Fail(u"an integer does not fit its integer type");
        }
        Unsigned(static_cast<uint64_t>(v.Int), size);
        break;
      }
      case TValueType::vaCurrency:
        Unsigned(static_cast<uint64_t>(v.Int), 8);
        break;
      case TValueType::vaSingle:
        Unsigned(v.Bits, 4);
        break;
      case TValueType::vaDouble:
      case TValueType::vaDate:
        Unsigned(v.Bits, 8);
        break;
      case TValueType::vaExtended:
        Unsigned(v.Bits, 8);
        Unsigned(v.ExtExponent, 2);
        break;
      case TValueType::vaString:
        ShortString(v.Bytes, u"short string");
        break;
      case TValueType::vaIdent:
        if (v.Bytes.empty()) Fail(u"empty identifier");
        ShortString(v.Bytes, u"identifier");
        break;
      case TValueType::vaLString:
      case TValueType::vaUTF8String:
      case TValueType::vaBinary:
        Length32(v.Bytes.size(), u"string or binary data");
        out += v.Bytes;
        break;
      case TValueType::vaWString:
        Length32(v.Wide.size(), u"wide string");
        for (char16_t c : v.Wide) Unsigned(c, 2);
        break;
      case TValueType::vaSet:
        for (const auto& n : v.Names) {
          if (n.empty()) Fail(u"empty set element");
          ShortString(n, u"set element");
        }
        out += '\0';
        break;
      case TValueType::vaList:
        for (const auto& e : v.List) Value(e, depth + 1, true);
        out += '\0';
        break;
      case TValueType::vaCollection:
        for (const auto& item : v.Items) {
          if (item.HasOrder) SmallInt(item.OrderType, item.Order, u"collection item order");
          Type(TValueType::vaList);
          Properties(item.Properties, depth + 1);
        }
        out += '\0';
        break;
      default:
        Fail(u"unknown value type " + IntToStr(static_cast<int>(v.Type)));
    }
  }
};

}  // namespace

bool IsFormIdentifier(std::string_view bytes, bool allowDots) {
  bool partStart = true;
  for (const char ch : bytes) {
    const auto b = static_cast<uint8_t>(ch);
    const bool letter = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '_' || b >= 0x80;
    if (b == '.' && allowDots && !partStart) {
      partStart = true;
    } else if (letter || (!partStart && b >= '0' && b <= '9')) {
      partStart = false;
    } else {
      return false;
    }
  }
  return !partStart;
}

TValueType SmallestIntType(int64_t v) {
  if (v >= -128 && v <= 127) return TValueType::vaInt8;
  if (v >= -32768 && v <= 32767) return TValueType::vaInt16;
  if (v >= INT32_MIN && v <= INT32_MAX) return TValueType::vaInt32;
  return TValueType::vaInt64;
}

TFormObjectNode ReadObjectStream(std::string_view stream, size_t baseOffset) {
  return TStreamReader(stream, baseOffset).ReadRoot();
}

std::string WriteObjectStream(const TFormObjectNode& root) {
  TStreamWriter w;
  w.out = kSignature;
  w.Object(root, 1);
  return std::move(w.out);
}

}  // namespace mirel
