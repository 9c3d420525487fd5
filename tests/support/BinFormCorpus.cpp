#include "support/BinFormCorpus.h"

#include <array>
#include <cstring>
#include <iterator>

#include "rtl/SysUtils.h"

namespace mirel::testing {

namespace {

bool IsReservedWord(const std::string& s) {
  for (const char* w :
       {"end", "object", "inherited", "inline", "item", "true", "false", "nil", "null"})
    if (SameText(U(s), U(w))) return true;
  return false;
}

}  // namespace

std::string TBinFormCorpus::Identifier(bool dotted) {
  static const char kStart[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_";
  static const char kRest[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_0123456789";
  const bool fpc = profile_ == TCorpusProfile::cpFreePascal;
  // Keywords as property or object names must survive the text form too.
  if (!fpc && Chance(3)) {
    static const char* kWords[] = {"end", "object", "item", "Inherited", "inline"};
    return kWords[Int(0, 4)];
  }
  std::string s;
  const int parts = dotted && Chance(30) ? Int(2, 3) : 1;
  for (int p = 0; p < parts; ++p) {
    if (p) s += '.';
    s += kStart[Int(0, sizeof kStart - 2)];
    const int n = Int(0, 12);
    for (int i = 0; i < n; ++i) {
      if (!fpc && Chance(4))
        s += static_cast<char>(Int(0x80, 0xFF));  // a code-page letter (or undefined byte)
      else
        s += kRest[Int(0, sizeof kRest - 2)];
    }
  }
  if (IsReservedWord(s)) s += '1';
  return s;
}

int64_t TBinFormCorpus::Integer() {
  switch (Int(0, 4)) {
    case 0:
      return Int(-128, 127);
    case 1:
      return Int(-32768, 32767);
    case 2:
      return std::uniform_int_distribution<int64_t>(INT32_MIN, INT32_MAX)(rng_);
    case 3:
      return static_cast<int64_t>(rng_());
    default:
      return std::array<int64_t, 8>{0, -1, 127, -128, 128, 32768, INT64_MIN, INT64_MAX}[Int(0, 7)];
  }
}

TFormObjectNode TBinFormCorpus::Object(int depth) {
  TFormObjectNode o;
  const bool fpc = profile_ == TCorpusProfile::cpFreePascal;
  switch (Int(0, 5)) {
    case 0:
      o.Flags = ffInherited;
      break;
    case 1:
      o.Flags = ffInline;
      break;
    default:
      break;
  }
  o.Name = (!fpc && depth > 0 && Chance(5)) ? std::string() : Identifier(false);
  if (!o.Name.empty() && Chance(25)) {
    o.Flags |= ffChildPos;
    o.ChildPos = static_cast<int32_t>(Chance(70) ? Int(0, 200) : Integer());
    o.ChildPosType = SmallestIntType(o.ChildPos);
  }
  o.ClassName = "T" + Identifier(false);
  if (!fpc && Chance(1)) o.ClassName = "T" + std::string(Int(239, 254), 'x');
  const int props = Int(0, 7);
  for (int i = 0; i < props; ++i) o.Properties.push_back(Property(depth + 1));
  const int children = depth < 3 ? Int(0, 3) : 0;
  for (int i = 0; i < children; ++i) o.Children.push_back(Object(depth + 1));
  return o;
}

TFormProperty TBinFormCorpus::Property(int depth) {
  TFormProperty p;
  p.Name = Identifier(true);
  p.Value = Value(depth + 1, false);
  return p;
}

TFormValue TBinFormCorpus::Value(int depth, bool inList) {
  const bool fpc = profile_ == TCorpusProfile::cpFreePascal;
  TFormValue v;
  // Value kinds, from the format's codes; the nesting ones only while shallow.
  static const TValueType kNormal[] = {
      TValueType::vaNull,       TValueType::vaList,    TValueType::vaInt8,
      TValueType::vaExtended,   TValueType::vaString,  TValueType::vaIdent,
      TValueType::vaFalse,      TValueType::vaTrue,    TValueType::vaBinary,
      TValueType::vaSet,        TValueType::vaLString, TValueType::vaNil,
      TValueType::vaCollection, TValueType::vaSingle,  TValueType::vaCurrency,
      TValueType::vaDate,       TValueType::vaWString};
  static const TValueType kFpc[] = {
      TValueType::vaList,   TValueType::vaInt8,    TValueType::vaExtended, TValueType::vaString,
      TValueType::vaIdent,  TValueType::vaFalse,   TValueType::vaTrue,     TValueType::vaBinary,
      TValueType::vaSet,    TValueType::vaLString, TValueType::vaNil,      TValueType::vaCollection,
      TValueType::vaWString};
  for (;;) {
    v.Type = fpc ? kFpc[Int(0, std::size(kFpc) - 1)] : kNormal[Int(0, std::size(kNormal) - 1)];
    const bool nests = v.Type == TValueType::vaList || v.Type == TValueType::vaCollection;
    if (nests && depth > 5) continue;
    if (v.Type == TValueType::vaNull && inList) continue;
    break;
  }
  switch (v.Type) {
    case TValueType::vaInt8:
      v.Int = Integer();
      v.Type = SmallestIntType(v.Int);
      break;
    case TValueType::vaExtended: {
      long double x;
      if (fpc) {
        // Short decimals, which every correct conversion reads alike.
        x = static_cast<long double>(Int(-999999, 999999)) /
            std::array<long double, 4>{1, 10, 100, 1000}[Int(0, 3)];
        if (x == static_cast<long double>(static_cast<int64_t>(x))) x += 0.5L;
      } else {
        uint64_t m = rng_();
        uint16_t e = static_cast<uint16_t>(Int(0, 0x7FFE));
        if (e == 0)
          m &= ~(uint64_t(1) << 63);  // denormal: integer bit clear
        else
          m |= uint64_t(1) << 63;                           // normal: integer bit set
        if (Chance(5)) m = 0, e = Chance(50) ? 0 : 0x8000;  // +0 and -0
        if (Chance(50)) e |= 0x8000;
        std::memset(&x, 0, sizeof x);
        std::memcpy(&x, &m, 8);
        std::memcpy(reinterpret_cast<char*>(&x) + 8, &e, 2);
      }
      std::memcpy(&v.Bits, &x, 8);
      std::memcpy(&v.ExtExponent, reinterpret_cast<char*>(&x) + 8, 2);
      break;
    }
    case TValueType::vaSingle: {
      uint32_t bits;
      do bits = static_cast<uint32_t>(rng_());
      while (((bits >> 23) & 0xFF) == 0xFF);  // no infinity or NaN
      v.Bits = bits;
      break;
    }
    case TValueType::vaDate: {
      double d = Chance(50) ? 36526.0 + Int(0, 20000) + Int(0, 86399) / 86400.0 : 0;
      if (d == 0) {
        do v.Bits = rng_();
        while (((v.Bits >> 52) & 0x7FF) == 0x7FF);
      } else {
        std::memcpy(&v.Bits, &d, 8);
      }
      break;
    }
    case TValueType::vaCurrency:
      v.Int = Integer();
      break;
    case TValueType::vaString:
    case TValueType::vaLString: {
      const size_t n =
          v.Type == TValueType::vaString ? Int(0, Chance(80) ? 40 : 255) : Int(256, 700);
      for (size_t i = 0; i < n; ++i) {
        if (fpc)
          v.Bytes += Chance(90) ? static_cast<char>(Int(32, 126)) : static_cast<char>(Int(1, 31));
        else
          v.Bytes += Chance(80) ? static_cast<char>(Int(32, 126)) : static_cast<char>(Int(0, 255));
      }
      break;
    }
    case TValueType::vaWString: {
      const int n = Int(1, Chance(80) ? 30 : 150);
      for (int i = 0; i < n; ++i)
        v.Wide += Chance(60) ? static_cast<char16_t>(Int(32, 126))
                             : static_cast<char16_t>(Int(fpc ? 128 : 0, 0xFFFF));
      // Without a character above 127 the text form gives a code-page string.
      v.Wide[Int(0, n - 1)] = static_cast<char16_t>(Int(128, 0xFFFF));
      break;
    }
    case TValueType::vaIdent:
      v.Bytes = Identifier(true);
      break;
    case TValueType::vaBinary: {
      const int n = Chance(70) ? Int(0, 40) : Int(41, 300);
      for (int i = 0; i < n; ++i) v.Bytes += static_cast<char>(Int(0, 255));
      break;
    }
    case TValueType::vaSet: {
      const int n = Int(0, 5);
      for (int i = 0; i < n; ++i) v.Names.push_back(Identifier(false));
      break;
    }
    case TValueType::vaList: {
      const int n = Int(0, 5);
      for (int i = 0; i < n; ++i) v.List.push_back(Value(depth + 1, true));
      break;
    }
    case TValueType::vaCollection: {
      const int n = Int(0, 3);
      for (int i = 0; i < n; ++i) {
        TCollectionItem item;
        if (!fpc && Chance(30)) {
          item.HasOrder = true;
          item.Order = static_cast<int32_t>(Chance(70) ? Int(-5, 300) : Integer());
          item.OrderType = SmallestIntType(item.Order);
        }
        const int props = Int(0, 4);
        for (int k = 0; k < props; ++k) item.Properties.push_back(Property(depth + 1));
        v.Items.push_back(std::move(item));
      }
      break;
    }
    default:
      break;
  }
  return v;
}

TFormObjectNode TBinFormCorpus::NextForm() {
  TFormObjectNode root = Object(0);
  if (root.Name.empty()) root.Name = "Form1";
  return root;
}

}  // namespace mirel::testing
