#include <locale.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "rtl/FormText.h"

namespace mirel {

namespace {

// Number parsing must not depend on the user's locale (decimal comma).
locale_t CLocale() {
  static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return loc;
}

bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}
bool IsHexDigit(char16_t c) {
  return IsDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}
int HexValue(char16_t c) {
  return IsDigit(c) ? c - u'0' : (c >= u'a' ? c - u'a' : c - u'A') + 10;
}
bool IsIdentStart(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_' || c >= 0x80;
}
bool IsIdentChar(char16_t c) {
  return IsIdentStart(c) || IsDigit(c);
}

class TTextReader {
 public:
  TTextReader(StringView text, const TEncoding& encoding) : cp_(encoding), t_(text) {}

  TFormObjectNode Root() {
    if (!t_.empty() && t_[0] == 0xFEFF) p_ = 1;  // a byte-order mark decoded as text
    SkipBlanks();
    TFormObjectNode root = Object(1);
    SkipBlanks();
    if (p_ < t_.size()) Fail(p_, u"unexpected text after the end of the root object");
    return root;
  }

 private:
  [[noreturn]] void Fail(size_t at, const String& what) const {
    size_t line = 1, column = 1;
    for (size_t i = 0; i < at && i < t_.size(); ++i) {
      if (t_[i] == u'\n') {
        ++line;
        column = 1;
      } else if (t_[i] != u'\r') {
        ++column;
      }
    }
    throw EFormFormatError(u"Form text, line " + IntToStr(static_cast<long long>(line)) +
                           u", column " + IntToStr(static_cast<long long>(column)) + u": " + what);
  }

  void CheckDepth(int depth) const {
    if (depth > kMaxFormNesting)
      Fail(p_, u"objects and values nest deeper than " + IntToStr(kMaxFormNesting) + u" levels");
  }

  char16_t Peek(size_t ahead = 0) const { return p_ + ahead < t_.size() ? t_[p_ + ahead] : u'\0'; }
  bool AtEnd() const { return p_ >= t_.size(); }

  void SkipBlanks() {
    while (p_ < t_.size() && t_[p_] >= 1 && t_[p_] <= 32) ++p_;
  }

  void Expect(char16_t c) {
    if (Peek() != c || AtEnd()) Fail(p_, u"expected '" + String(1, c) + u"'");
    ++p_;
  }

  // The word at the current position (not consumed) and whether a '=' or '.'
  // follows it, which makes it a property name even when it reads like a
  // keyword ("end", "object", ...).
  StringView WordAhead(bool& isPropertyName) const {
    size_t e = p_;
    while (e < t_.size() && IsIdentChar(t_[e])) ++e;
    size_t n = e;
    while (n < t_.size() && t_[n] >= 1 && t_[n] <= 32) ++n;
    isPropertyName = n < t_.size() && (t_[n] == u'=' || t_[n] == u'.');
    return t_.substr(p_, e - p_);
  }

  std::string Name(bool dotted, const char16_t* what) {
    const size_t start = p_;
    if (!IsIdentStart(Peek()) || AtEnd()) Fail(p_, u"expected " + String(what));
    while (IsIdentChar(Peek()) && !AtEnd()) ++p_;
    while (dotted && Peek() == u'.' && IsIdentStart(Peek(1)) && p_ + 1 < t_.size()) {
      p_ += 2;
      while (IsIdentChar(Peek()) && !AtEnd()) ++p_;
    }
    std::string bytes;
    if (!cp_.Encode(t_.substr(start, p_ - start), bytes))
      Fail(start, String(what) + u" has a character the code page cannot represent");
    if (bytes.size() > 255) Fail(start, String(what) + u" is longer than 255 bytes");
    return bytes;
  }

  int32_t SmallInteger(const char16_t* what) {
    const size_t start = p_;
    const TFormValue v = Number();
    if (v.Type != TValueType::vaInt8 && v.Type != TValueType::vaInt16 &&
        v.Type != TValueType::vaInt32)
      Fail(start, String(what) + u" must be an integer between -2147483648 and 2147483647");
    return static_cast<int32_t>(v.Int);
  }

  TFormObjectNode Object(int depth) {
    CheckDepth(depth);
    TFormObjectNode obj;
    const size_t start = p_;
    bool unused;
    const StringView keyword = WordAhead(unused);
    if (SameText(keyword, u"inherited"))
      obj.Flags = ffInherited;
    else if (SameText(keyword, u"inline"))
      obj.Flags = ffInline;
    else if (!SameText(keyword, u"object"))
      Fail(start, u"expected object, inherited or inline");
    p_ += keyword.size();
    SkipBlanks();
    std::string first = Name(false, u"an object name or class name");
    SkipBlanks();
    if (Peek() == u':' && !AtEnd()) {
      ++p_;
      SkipBlanks();
      obj.Name = std::move(first);
      obj.ClassName = Name(false, u"a class name");
    } else {
      obj.ClassName = std::move(first);
    }
    SkipBlanks();
    if (Peek() == u'[' && !AtEnd()) {
      ++p_;
      SkipBlanks();
      obj.ChildPos = SmallInteger(u"the child position");
      obj.ChildPosType = SmallestIntType(obj.ChildPos);
      obj.Flags |= ffChildPos;
      SkipBlanks();
      Expect(u']');
    }
    for (;;) {
      SkipBlanks();
      if (AtEnd()) Fail(start, u"this object has no closing end");
      if (!IsIdentStart(Peek())) Fail(p_, u"expected a property, an object or end");
      bool isProperty;
      const StringView word = WordAhead(isProperty);
      if (!isProperty && SameText(word, u"end")) {
        p_ += word.size();
        break;
      }
      if (!isProperty && (SameText(word, u"object") || SameText(word, u"inherited") ||
                          SameText(word, u"inline"))) {
        obj.Children.push_back(Object(depth + 1));
        continue;
      }
      if (!obj.Children.empty())
        Fail(p_, u"a property cannot follow a child object (the binary form keeps them apart)");
      Property(obj.Properties, depth + 1);
    }
    return obj;
  }

  void Property(std::vector<TFormProperty>& props, int depth) {
    TFormProperty p;
    p.Name = Name(true, u"a property name");
    SkipBlanks();
    Expect(u'=');
    SkipBlanks();
    p.Value = Value(depth, false);
    props.push_back(std::move(p));
  }

  TFormValue Value(int depth, bool inList) {
    CheckDepth(depth);
    const char16_t c = Peek();
    if (AtEnd()) Fail(p_, u"expected a value");
    if (c == u'\'' || c == u'#') return Text();
    if (IsDigit(c) || c == u'-' || c == u'+' || c == u'$') return Number();
    TFormValue v;
    if (IsIdentStart(c)) {
      const size_t start = p_;
      v.Bytes = Name(true, u"an identifier");
      const StringView word = t_.substr(start, p_ - start);
      if (SameText(word, u"False")) {
        v.Type = TValueType::vaFalse;
      } else if (SameText(word, u"True")) {
        v.Type = TValueType::vaTrue;
      } else if (SameText(word, u"nil")) {
        v.Type = TValueType::vaNil;
      } else if (SameText(word, u"Null")) {
        // A 0 byte ends a list in the binary form, so Null cannot be in one.
        if (inList) Fail(start, u"Null cannot be a list element");
        v.Type = TValueType::vaNull;
      } else {
        v.Type = TValueType::vaIdent;
        return v;
      }
      v.Bytes.clear();
      return v;
    }
    ++p_;
    switch (c) {
      case u'[':
        v.Type = TValueType::vaSet;
        SkipBlanks();
        if (Peek() == u']' && !AtEnd()) {
          ++p_;
          break;
        }
        for (;;) {
          v.Names.push_back(Name(false, u"a set element"));
          SkipBlanks();
          if (Peek() == u']' && !AtEnd()) {
            ++p_;
            break;
          }
          Expect(u',');
          SkipBlanks();
        }
        break;
      case u'(':
        v.Type = TValueType::vaList;
        for (;;) {
          SkipBlanks();
          if (Peek() == u')' && !AtEnd()) {
            ++p_;
            break;
          }
          v.List.push_back(Value(depth + 1, true));
        }
        break;
      case u'<':
        v.Type = TValueType::vaCollection;
        for (;;) {
          SkipBlanks();
          if (Peek() == u'>' && !AtEnd()) {
            ++p_;
            break;
          }
          v.Items.push_back(Item(depth + 1));
        }
        break;
      case u'{':
        v.Type = TValueType::vaBinary;
        Binary(v.Bytes);
        break;
      default:
        Fail(p_ - 1, u"expected a value");
    }
    return v;
  }

  TCollectionItem Item(int depth) {
    CheckDepth(depth);
    TCollectionItem item;
    const size_t start = p_;
    bool unused;
    const StringView word = WordAhead(unused);
    if (!SameText(word, u"item")) Fail(p_, u"expected item or '>'");
    p_ += word.size();
    SkipBlanks();
    if (Peek() == u'[' && !AtEnd()) {
      ++p_;
      SkipBlanks();
      item.HasOrder = true;
      item.Order = SmallInteger(u"the item order");
      item.OrderType = SmallestIntType(item.Order);
      SkipBlanks();
      Expect(u']');
    }
    for (;;) {
      SkipBlanks();
      if (AtEnd()) Fail(start, u"this item has no closing end");
      if (!IsIdentStart(Peek())) Fail(p_, u"expected a property or end");
      bool isProperty;
      const StringView w = WordAhead(isProperty);
      if (!isProperty && SameText(w, u"end")) {
        p_ += w.size();
        break;
      }
      Property(item.Properties, depth + 1);
    }
    return item;
  }

  void Binary(std::string& bytes) {
    const size_t start = p_ - 1;
    int high = -1;
    for (;;) {
      SkipBlanks();
      if (AtEnd()) Fail(start, u"binary data has no closing '}'");
      const char16_t c = t_[p_];
      if (c == u'}') {
        if (high >= 0) Fail(p_, u"binary data has an odd number of hexadecimal digits");
        ++p_;
        return;
      }
      if (!IsHexDigit(c)) Fail(p_, u"expected hexadecimal digits or '}'");
      // A whole run of digits at once, two per byte; the two digits of one
      // byte may stand on either side of a line break, so a lone last digit
      // waits for the next run.
      size_t e = p_;
      while (e < t_.size() && IsHexDigit(t_[e])) ++e;
      size_t i = p_;
      if (high >= 0) {
        bytes += static_cast<char>((high << 4) | HexValue(t_[i++]));
        high = -1;
      }
      const size_t pairs = (e - i) / 2;
      const size_t old = bytes.size();
      bytes.resize(old + pairs);
      char* out = bytes.data() + old;
      for (size_t k = 0; k < pairs; ++k, i += 2)
        out[k] = static_cast<char>((HexValue(t_[i]) << 4) | HexValue(t_[i + 1]));
      if (i < e) high = HexValue(t_[i]);
      p_ = e;
    }
  }

  // Quoted runs and #codes, possibly several pieces joined by '+'. A #code
  // above 127 makes the string wide; otherwise it is a code-page string when
  // the code page can represent every character.
  TFormValue Text() {
    String s;
    bool wide = false;
    for (;;) {
      while (!AtEnd() && (Peek() == u'\'' || Peek() == u'#')) {
        if (Peek() == u'\'') {
          ++p_;
          for (;;) {
            // The characters up to the next quote or line break in one go.
            size_t e = p_;
            while (e < t_.size() && t_[e] != u'\'' && t_[e] != u'\r' && t_[e] != u'\n') ++e;
            s.append(t_, p_, e - p_);
            p_ = e;
            if (AtEnd() || Peek() == u'\r' || Peek() == u'\n') Fail(p_, u"unterminated string");
            ++p_;  // the quote
            if (Peek() == u'\'' && !AtEnd()) {
              s += u'\'';
              ++p_;
            } else {
              break;
            }
          }
        } else {
          const size_t at = p_++;
          uint32_t code = 0;
          const bool hex = Peek() == u'$';
          if (hex) ++p_;
          size_t digits = 0;
          while (!AtEnd() && (hex ? IsHexDigit(Peek()) : IsDigit(Peek()))) {
            code = code * (hex ? 16 : 10) + static_cast<uint32_t>(HexValue(t_[p_++]));
            if (code > 0x10FFFF) Fail(at, u"character code above 1114111");
            ++digits;
          }
          if (digits == 0) Fail(at, u"expected a character code after '#'");
          if (code > 127) wide = true;
          if (code > 0xFFFF) {
            code -= 0x10000;
            s += static_cast<char16_t>(0xD800 + (code >> 10));
            s += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
          } else {
            s += static_cast<char16_t>(code);
          }
        }
      }
      const size_t save = p_;
      SkipBlanks();
      if (Peek() != u'+' || AtEnd()) {
        p_ = save;
        break;
      }
      ++p_;
      SkipBlanks();
      if (AtEnd() || (Peek() != u'\'' && Peek() != u'#')) Fail(p_, u"expected a string after '+'");
    }
    TFormValue v;
    if (!wide && cp_.Encode(s, v.Bytes)) {
      v.Type = v.Bytes.size() <= 255 ? TValueType::vaString : TValueType::vaLString;
    } else {
      v.Bytes.clear();
      v.Type = TValueType::vaWString;
      v.Wide = std::move(s);
    }
    return v;
  }

  TFormValue Number() {
    const size_t start = p_;
    TFormValue v;
    bool negative = false;
    if (Peek() == u'-' || Peek() == u'+') {
      negative = Peek() == u'-';
      ++p_;
    }
    if (Peek() == u'$' && !AtEnd()) {
      ++p_;
      uint64_t u = 0;
      size_t digits = 0;
      while (!AtEnd() && IsHexDigit(Peek())) {
        if (++digits > 16) Fail(start, u"hexadecimal number out of range");
        u = (u << 4) | static_cast<uint64_t>(HexValue(t_[p_++]));
      }
      if (digits == 0) Fail(start, u"expected hexadecimal digits after '$'");
      if (IsIdentChar(Peek()) && !AtEnd()) Fail(p_, u"unexpected character after a number");
      v.Int = static_cast<int64_t>(negative ? 0 - u : u);
      v.Type = SmallestIntType(v.Int);
      return v;
    }
    std::string num;
    if (negative) num += '-';
    auto digits = [&] {
      size_t n = 0;
      while (!AtEnd() && IsDigit(Peek())) {
        num += static_cast<char>(t_[p_++]);
        ++n;
      }
      if (n == 0) Fail(p_, u"expected a digit");
    };
    digits();
    bool isFloat = false;
    if (Peek() == u'.' && !AtEnd()) {
      num += '.';
      ++p_;
      digits();
      isFloat = true;
    }
    if ((Peek() == u'e' || Peek() == u'E') && !AtEnd()) {
      num += 'e';
      ++p_;
      if (Peek() == u'-' || Peek() == u'+') num += static_cast<char>(t_[p_++]);
      digits();
      isFloat = true;
    }
    char16_t suffix = 0;
    const char16_t s = AsciiLower(Peek());
    if (!AtEnd() && (s == u's' || s == u'c' || s == u'd')) {
      suffix = s;
      ++p_;
    }
    if (!AtEnd() && IsIdentChar(Peek())) Fail(p_, u"unexpected character after a number");

    const char* b = num.c_str();
    char* e = nullptr;
    if (suffix == 0 && !isFloat) {
      const auto r = std::from_chars(b, b + num.size(), v.Int);
      if (r.ec != std::errc()) Fail(start, u"integer out of range");
      v.Type = SmallestIntType(v.Int);
    } else if (suffix == 0) {
      const long double x = strtold_l(b, &e, CLocale());
      if (!std::isfinite(x)) Fail(start, u"number out of range");
      v.Type = TValueType::vaExtended;
      std::memcpy(&v.Bits, &x, 8);
      std::memcpy(&v.ExtExponent, reinterpret_cast<const char*>(&x) + 8, 2);
    } else if (suffix == u's') {
      const float x = strtof_l(b, &e, CLocale());
      if (!std::isfinite(x)) Fail(start, u"single value out of range");
      uint32_t bits;
      std::memcpy(&bits, &x, 4);
      v.Type = TValueType::vaSingle;
      v.Bits = bits;
    } else if (suffix == u'd') {
      const double x = strtod_l(b, &e, CLocale());
      if (!std::isfinite(x)) Fail(start, u"date value out of range");
      v.Type = TValueType::vaDate;
      std::memcpy(&v.Bits, &x, 8);
    } else {
      // Currency is written as its stored integer (the value times 10000).
      v.Type = TValueType::vaCurrency;
      if (!isFloat) {
        const auto r = std::from_chars(b, b + num.size(), v.Int);
        if (r.ec != std::errc()) Fail(start, u"currency value out of range");
      } else {
        const long double x = std::nearbyint(strtold_l(b, &e, CLocale()));
        if (!(x >= -9223372036854775808.0L && x < 9223372036854775808.0L))
          Fail(start, u"currency value out of range");
        v.Int = static_cast<int64_t>(x);
      }
    }
    return v;
  }

  TFormCodePage cp_;
  StringView t_;
  size_t p_ = 0;
};

}  // namespace

TFormObjectNode ReadFormText(StringView text, const TEncoding& codePage) {
  return TTextReader(text, codePage).Root();
}

}  // namespace mirel
