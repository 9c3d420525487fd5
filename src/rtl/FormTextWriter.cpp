#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "rtl/FormText.h"

namespace mirel {

namespace {

// Strings longer than this many characters are split into '+'-joined pieces
// of this many characters, one per line.
constexpr size_t kLineLength = 64;
// Binary data is written in lines of this many bytes.
constexpr size_t kBytesPerLine = 32;

String Ascii(std::string_view s) {
  return String(s.begin(), s.end());
}

// Converts the 10 stored bytes of an extended value into a long double. On
// x86-64 the type has exactly this layout (64-bit mantissa with explicit
// integer bit, then sign and exponent), followed by padding.
long double ExtendedFromBits(uint64_t mantissa, uint16_t exponent) {
  static_assert(sizeof(long double) >= 10 && std::numeric_limits<long double>::digits == 64,
                "extended values need the x87 80-bit long double");
  long double x = 0;
  std::memcpy(&x, &mantissa, 8);
  std::memcpy(reinterpret_cast<char*>(&x) + 8, &exponent, 2);
  return x;
}

// The shortest decimal text that reads back as exactly x; always with a '.'
// or an exponent so that it cannot be taken for an integer.
template <typename F>
std::string ShortestDecimal(F x, bool needPoint) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, x);
  std::string s(buf, r.ptr);
  if (needPoint && s.find_first_of(".e") == std::string::npos) s += ".0";
  return s;
}

class TTextWriter {
 public:
  explicit TTextWriter(const TEncoding& encoding) : cp_(encoding) {}

  String out;

  void Object(const TFormObjectNode& obj, int level) {
    if (level >= kMaxFormNesting) Fail(u"objects and values nest too deeply");
    const size_t pathSize = path_.size();
    if (!path_.empty()) path_ += u'.';
    String name = Name(obj.Name, false, true, u"object name");
    path_ += name.empty() ? u"(unnamed)" : name;
    Indent(level);
    out += (obj.Flags & ffInherited) ? u"inherited "
           : (obj.Flags & ffInline)  ? u"inline "
                                     : u"object ";
    if (!name.empty()) out += name + u": ";
    out += Name(obj.ClassName, false, false, u"class name");
    if (obj.Flags & ffChildPos) out += u" [" + IntToStr(obj.ChildPos) + u"]";
    out += u"\r\n";
    Properties(obj.Properties, level + 1);
    for (const auto& child : obj.Children) Object(child, level + 1);
    Indent(level);
    out += u"end\r\n";
    path_.resize(pathSize);
  }

 private:
  [[noreturn]] void Fail(const String& what) const {
    String where = path_.empty() ? String() : u"object " + path_;
    if (!property_.empty()) where += (where.empty() ? u"" : u", ") + (u"property " + property_);
    throw EFormFormatError(u"Cannot write form text" +
                           (where.empty() ? u"" : u" (" + where + u")") + u": " + what);
  }

  void Indent(int level) { out.append(static_cast<size_t>(level) * 2, u' '); }

  void NewLine(int level) {
    out += u"\r\n";
    Indent(level);
  }

  String Name(const std::string& bytes, bool dotted, bool allowEmpty, const char16_t* what) {
    if (bytes.empty() ? !allowEmpty : !IsFormIdentifier(bytes, dotted))
      Fail(String(what) + u" is not an identifier");
    String s;
    if (!cp_.Decode(bytes, s)) Fail(String(what) + u" has a byte the code page cannot decode");
    return s;
  }

  void Properties(const std::vector<TFormProperty>& props, int level) {
    for (const auto& p : props) {
      property_ = Name(p.Name, true, false, u"property name");
      Indent(level);
      out += property_ + u" = ";
      Value(p.Value, level);
      out += u"\r\n";
    }
    property_.clear();
  }

  // Writes one value whose first line is already started; continuation
  // lines are indented one level deeper than `level`.
  void Value(const TFormValue& v, int level) {
    if (level >= kMaxFormNesting) Fail(u"objects and values nest too deeply");
    switch (v.Type) {
      case TValueType::vaNull:
        out += u"Null";
        break;
      case TValueType::vaFalse:
        out += u"False";
        break;
      case TValueType::vaTrue:
        out += u"True";
        break;
      case TValueType::vaNil:
        out += u"nil";
        break;
      case TValueType::vaInt8:
      case TValueType::vaInt16:
      case TValueType::vaInt32:
      case TValueType::vaInt64:
        out += IntToStr(v.Int);
        break;
      case TValueType::vaCurrency:
        // Stored scaled by 10000; written as that integer, so it is exact.
        out += IntToStr(v.Int) + u"c";
        break;
      case TValueType::vaExtended: {
        // The integer bit must be set exactly when the exponent is not 0;
        // other encodings are not numbers any conversion could produce.
        const bool integerBit = (v.Bits >> 63) != 0;
        const bool zeroExponent = (v.ExtExponent & 0x7FFF) == 0;
        if (integerBit == zeroExponent)
          Fail(u"a non-canonical extended value (unnormal or pseudo-denormal) has no text form");
        const long double x = ExtendedFromBits(v.Bits, v.ExtExponent);
        if (!std::isfinite(x)) Fail(u"an infinite or NaN extended value has no text form");
        // Shortest round-trip digits: reading them back gives these 10 bytes.
        out += Ascii(ShortestDecimal(x, true));
        break;
      }
      case TValueType::vaDouble: {
        // No text syntax marks a double: it is written with the digits of
        // its exact extended value and reads back as that extended value.
        double d;
        std::memcpy(&d, &v.Bits, 8);
        if (!std::isfinite(d)) Fail(u"an infinite or NaN double value has no text form");
        out += Ascii(ShortestDecimal(static_cast<long double>(d), true));
        break;
      }
      case TValueType::vaDate: {
        double d;
        std::memcpy(&d, &v.Bits, 8);
        if (!std::isfinite(d)) Fail(u"an infinite or NaN date value has no text form");
        out += Ascii(ShortestDecimal(d, false)) + u"d";
        break;
      }
      case TValueType::vaSingle: {
        float f;
        const auto bits = static_cast<uint32_t>(v.Bits);
        std::memcpy(&f, &bits, 4);
        if (!std::isfinite(f)) Fail(u"an infinite or NaN single value has no text form");
        out += Ascii(ShortestDecimal(f, false)) + u"s";
        break;
      }
      case TValueType::vaString:
      case TValueType::vaLString: {
        String s;
        if (!cp_.Decode(v.Bytes, s)) Fail(u"a string has a byte the code page cannot decode");
        Text(s, false, level);
        break;
      }
      case TValueType::vaUTF8String: {
        String s = FromUtf8(v.Bytes);
        if (ToUtf8(s) != v.Bytes || HasRawByteUnit(s)) Fail(u"a UTF-8 string is not valid UTF-8");
        Text(s, true, level);
        break;
      }
      case TValueType::vaWString:
        Text(v.Wide, true, level);
        break;
      case TValueType::vaIdent:
        out += Name(v.Bytes, true, false, u"identifier value");
        break;
      case TValueType::vaSet:
        out += u'[';
        for (size_t i = 0; i < v.Names.size(); ++i) {
          if (i) out += u", ";
          out += Name(v.Names[i], false, false, u"set element");
        }
        // A blank keeps a last element that ends in a lead byte from reading
        // the ']' as its trail byte.
        if (!v.Names.empty() && cp_.Joined(out.back(), u']')) out += u' ';
        out += u']';
        break;
      case TValueType::vaList:
        out += u'(';
        for (const auto& e : v.List) {
          if (e.Type == TValueType::vaNull) Fail(u"Null cannot be a list element");
          NewLine(level + 1);
          Value(e, level + 1);
        }
        out += u')';
        break;
      case TValueType::vaCollection: {
        out += u'<';
        const String property = property_;
        for (const auto& item : v.Items) {
          NewLine(level + 1);
          out += u"item";
          if (item.HasOrder) out += u" [" + IntToStr(item.Order) + u"]";
          out += u"\r\n";
          Properties(item.Properties, level + 2);
          property_ = property;
          Indent(level + 1);
          out += u"end";
        }
        out += u'>';
        break;
      }
      case TValueType::vaBinary:
        Binary(v.Bytes, level);
        break;
      default:
        Fail(u"unknown value type " + IntToStr(static_cast<int>(v.Type)));
    }
  }

  // FromUtf8 maps each invalid byte to U+DC80..U+DCFF; such a unit not
  // preceded by a high surrogate means the bytes were not valid UTF-8.
  static bool HasRawByteUnit(const String& s) {
    for (size_t i = 0; i < s.size(); ++i)
      if (s[i] >= 0xDC80 && s[i] <= 0xDCFF && (i == 0 || s[i - 1] < 0xD800 || s[i - 1] > 0xDBFF))
        return true;
    return false;
  }

  // A string as quoted runs and #codes. In code-page strings every character
  // from a space up is quoted (they all come from bytes and go back to them);
  // in wide strings only printable ASCII is, and the rest becomes #codes,
  // which is what tells the reader to make the string wide again.
  void Text(const String& s, bool wide, int level) {
    if (s.empty()) {
      out += u"''";
      return;
    }
    const bool split = s.size() > kLineLength;
    if (split) NewLine(level + 1);
    bool quoted = false;
    size_t onLine = 0;
    for (size_t i = 0; i < s.size(); ++i) {
      // A line may run one character long rather than part the bytes of a
      // double-byte sequence the code page has no character for.
      if (onLine >= kLineLength && !cp_.Joined(s[i - 1], s[i])) {
        if (quoted) out += u'\'';
        quoted = false;
        out += u" +";
        NewLine(level + 1);
        onLine = 0;
      }
      const char16_t c = s[i];
      const bool plain = c >= 0x20 && c != 0x7F && (!wide || c < 0x7F);
      if (plain) {
        if (!quoted) out += u'\'';
        quoted = true;
        out += c;
        if (c == u'\'') out += u'\'';
      } else {
        if (quoted) out += u'\'';
        quoted = false;
        out += u'#' + IntToStr(c);
      }
      ++onLine;
    }
    if (quoted) out += u'\'';
  }

  void Binary(const std::string& bytes, int level) {
    static const char16_t kHex[] = u"0123456789ABCDEF";
    out += u'{';
    const bool multiLine = bytes.size() >= kBytesPerLine;
    for (size_t i = 0; i < bytes.size(); i += kBytesPerLine) {
      if (multiLine) NewLine(level + 1);
      // One line of digits written in place.
      const size_t n = std::min(kBytesPerLine, bytes.size() - i);
      const size_t at = out.size();
      out.resize(at + 2 * n);
      char16_t* digits = out.data() + at;
      for (size_t k = 0; k < n; ++k) {
        const auto b = static_cast<uint8_t>(bytes[i + k]);
        digits[2 * k] = kHex[b >> 4];
        digits[2 * k + 1] = kHex[b & 15];
      }
    }
    out += u'}';
  }

  TFormCodePage cp_;
  String path_;
  String property_;
};

}  // namespace

String WriteFormText(const TFormObjectNode& root, const TEncoding& codePage) {
  TTextWriter w(codePage);
  w.Object(root, 0);
  return std::move(w.out);
}

}  // namespace mirel
