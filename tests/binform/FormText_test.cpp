// Form text: the layout the writer produces, what the reader accepts, the
// code page, and the trees whose text form changes a value's type.
#include "rtl/FormText.h"

#include <gtest/gtest.h>

#include <cstring>

#include "rtl/FormConvert.h"
#include "support/BinFormTestUtil.h"

using namespace mirel;
using mirel::testing::HexBytes;
using mirel::testing::ToHex;

namespace {

const TEncoding& Cp1252() {
  return TEncoding::CodePage(1252);
}

String Crlf(std::string_view lines) {
  String s;
  for (char16_t c : FromUtf8(lines)) {
    if (c == u'\n') s += u'\r';
    s += c;
  }
  return s;
}

TFormValue ValueOf(std::string_view text) {
  const TFormObjectNode o =
      ReadFormText(U("object A: T\n P = " + std::string(text) + "\nend"), Cp1252());
  return o.Properties.at(0).Value;
}

std::string ErrorOf(std::string_view text, const TEncoding& cp = Cp1252()) {
  try {
    ReadFormText(FromUtf8(text), cp);
  } catch (const EFormFormatError& e) {
    return e.what();
  }
  return "no error";
}

TEST(FormText, WritesEveryValueTypeInTheFormLayout) {
  const std::string stream = HexBytes(
      "54 50 46 30 06 54 46 6F 72 6D 31 05 46 6F 72 6D 31"
      "02 49 38 02 FB  01 45 05 00 00 00 00 00 00 00 C0 FF 3F  01 53 0F 00 00 C0 3F"
      "01 43 10 98 3A 00 00 00 00 00 00  01 44 11 00 00 00 00 10 F9 E5 40"
      "03 44 62 6C 15 9A 99 99 99 99 99 B9 3F  03 53 74 72 06 04 41 27 E9 0D"
      "04 57 53 74 72 12 02 00 00 00 41 00 AC 20  02 55 38 14 03 00 00 00 C3 A9 21"
      "02 49 64 07 0B 46 6F 72 6D 31 2E 54 61 62 6C 65"
      "01 46 08 02 4E 75 00  03 53 65 74 0B 06 66 73 42 6F 6C 64 02 66 73 00"
      "01 4C 01 02 01 06 01 78 01 00 00"
      "03 43 6F 6C 0E 02 02 01 01 56 00 00 01 00 00 00"
      "F3 02 03 02 54 54 02 54 31 00 00  F4 02 54 55 02 55 31 00 00 00");
  EXPECT_EQ(Crlf(R"(object Form1: TForm1
  I8 = -5
  E = 1.5
  S = 1.5s
  C = 15000c
  D = 45000.5d
  Dbl = 0.10000000000000000555
  Str = 'A''é'#13
  WStr = 'A'#8364
  U8 = #233'!'
  Id = Form1.Table
  F = False
  Nu = Null
  Set = [fsBold, fs]
  L = (
    1
    'x'
    ())
  Col = <
    item [2]
      V = Null
    end
    item
    end>
  inherited T1: TT [3]
  end
  inline U1: TU
  end
end
)"),
            ObjectBinaryToText(stream, Cp1252()));
}

TEST(FormText, SplitsLongStringsAndBinaryDataOverLines) {
  TFormObjectNode o;
  o.ClassName = "TForm1";
  o.Name = "Form1";
  TFormProperty s{"Hint", {}};
  s.Value.Type = TValueType::vaString;
  s.Value.Bytes = std::string(64, 'a') + std::string(64, 'b') + "c";
  TFormProperty b{"Data", {}};
  b.Value.Type = TValueType::vaBinary;
  b.Value.Bytes = std::string(33, '\xAB');
  o.Properties = {s, b};
  const String text = WriteFormText(o, Cp1252());
  EXPECT_EQ(Crlf("object Form1: TForm1\n"
                 "  Hint = \n"
                 "    '" +
                 std::string(64, 'a') +
                 "' +\n"
                 "    '" +
                 std::string(64, 'b') +
                 "' +\n"
                 "    'c'\n"
                 "  Data = {\n"
                 "    ABABABABABABABABABABABABABABABAB" +
                 "ABABABABABABABABABABABABABABABAB\n"
                 "    AB}\n"
                 "end\n"),
            text);
  EXPECT_EQ(o, ReadFormText(text, Cp1252()));
}

TEST(FormText, NumbersReadAsTheSmallestFittingType) {
  EXPECT_EQ(TValueType::vaInt8, ValueOf("-128").Type);
  EXPECT_EQ(TValueType::vaInt16, ValueOf("300").Type);
  EXPECT_EQ(TValueType::vaInt32, ValueOf("-70000").Type);
  EXPECT_EQ(TValueType::vaInt64, ValueOf("5000000000").Type);
  EXPECT_EQ(255, ValueOf("$FF").Int);
  EXPECT_EQ(-1, ValueOf("$FFFFFFFFFFFFFFFF").Int);
  EXPECT_EQ(TValueType::vaExtended, ValueOf("1.0").Type);
  EXPECT_EQ(TValueType::vaExtended, ValueOf("-2e+3").Type);
  EXPECT_EQ(TValueType::vaSingle, ValueOf("1.5s").Type);
  EXPECT_EQ(TValueType::vaDate, ValueOf("45000D").Type);
  const TFormValue c = ValueOf("0c");
  EXPECT_EQ(TValueType::vaCurrency, c.Type);
  EXPECT_EQ(0, c.Int);
  EXPECT_EQ(INT64_MAX, ValueOf("9223372036854775807c").Int);  // exact, no float detour
  EXPECT_EQ(2, ValueOf("1.5c").Int);                          // rounded half to even
  EXPECT_EQ(2, ValueOf("2.5c").Int);
  // Denormal extended values read exactly, not as zero.
  const TFormValue tiny = ValueOf("3.6e-4951");
  EXPECT_EQ(0, tiny.ExtExponent);
  EXPECT_NE(0u, tiny.Bits);

  EXPECT_EQ("Form text, line 2, column 6: integer out of range",
            ErrorOf("object A: T\n P = 9223372036854775808\nend"));
  EXPECT_EQ("Form text, line 2, column 6: number out of range",
            ErrorOf("object A: T\n P = 1e99999\nend"));
  EXPECT_EQ("Form text, line 2, column 10: unexpected character after a number",
            ErrorOf("object A: T\n P = 1.5sx\nend"));
}

TEST(FormText, StringsTakeTheCodePageTypeUnlessACodeAbove127OrAForeignCharacterSaysWide) {
  TFormValue v = ValueOf(
      "'Gr\xC3\xB6\xC3\x9F"
      "e' + 'it''s'#13#10");
  EXPECT_EQ(TValueType::vaString, v.Type);
  EXPECT_EQ(
      "Gr\xF6\xDF"
      "eit's\r\n",
      v.Bytes);

  v = ValueOf("'Gr'#246");
  EXPECT_EQ(TValueType::vaWString, v.Type);
  EXPECT_EQ(u"Gr\u00F6", v.Wide);

  // A Cyrillic letter has no byte in Windows-1252 but one in Windows-1251.
  const String cyr = u"object A: T\n P = '\u0416'\nend";
  EXPECT_EQ(TValueType::vaWString, ReadFormText(cyr, Cp1252()).Properties[0].Value.Type);
  const TFormValue v1251 = ReadFormText(cyr, TEncoding::CodePage(1251)).Properties[0].Value;
  EXPECT_EQ(TValueType::vaString, v1251.Type);
  EXPECT_EQ("\xC6", v1251.Bytes);

  EXPECT_EQ(TValueType::vaLString, ValueOf("'" + std::string(256, 'x') + "'").Type);
  EXPECT_EQ(u"\U0001F600", ValueOf("#128512").Wide);  // beyond the BMP: a surrogate pair

  EXPECT_EQ("Form text, line 2, column 9: unterminated string",
            ErrorOf("object A: T\n P = 'ab\n'\nend"));
  EXPECT_EQ("Form text, line 2, column 12: expected a string after '+'",
            ErrorOf("object A: T\n P = 'a' + 5\nend"));
}

TEST(FormText, CodePageBytesComeBackAsTheSameBytes) {
  // C0 C1 are two Cyrillic letters in 1251 and two accented Latin ones in
  // 1252; 81 is undefined in 1252. Each code page gives its characters, and
  // the text converts back to the same bytes.
  const std::string stream = HexBytes("54 50 46 30 01 54 01 41 01 50 06 03 C0 C1 81 00 00");
  const String in1251 = ObjectBinaryToText(stream, TEncoding::CodePage(1251));
  EXPECT_NE(String::npos, in1251.find(u"'\u0410\u0411"));
  EXPECT_EQ(ToHex(stream), ToHex(ObjectTextToBinary(in1251, TEncoding::CodePage(1251))));
  const String in1252 = ObjectBinaryToText(stream, Cp1252());
  EXPECT_NE(String::npos, in1252.find(u"'\u00C0\u00C1"));
  EXPECT_EQ(ToHex(stream), ToHex(ObjectTextToBinary(in1252, Cp1252())));
  // And the text is something the code page can write to a file and read back.
  const std::string file = Cp1252().GetBytes(in1252);
  EXPECT_EQ(in1252, Cp1252().GetString(file));
}

TEST(FormText, KeywordsFollowedByEqualsOrADotAreProperties) {
  const TFormObjectNode o = ReadFormText(
      u"inline Frame1: TFrame1 [0]\n  end = 1\n  object.Name = x\n"
      u"  Items = <\n    item\n      end = 2\n    end>\n"
      u"  object Panel1: TPanel\n    inherited = 3\n  end\nend",
      Cp1252());
  EXPECT_EQ(ffInline | ffChildPos, o.Flags);
  ASSERT_EQ(3u, o.Properties.size());
  EXPECT_EQ("end", o.Properties[0].Name);
  EXPECT_EQ("object.Name", o.Properties[1].Name);
  EXPECT_EQ("end", o.Properties[2].Value.Items.at(0).Properties.at(0).Name);
  ASSERT_EQ(1u, o.Children.size());
  EXPECT_EQ("inherited", o.Children[0].Properties.at(0).Name);
  // Without a name the header is just the class.
  EXPECT_EQ("", ReadFormText(u"object TForm1\nend", Cp1252()).Name);
}

TEST(FormText, MalformedTextIsAnErrorWithLineAndColumn) {
  EXPECT_EQ("Form text, line 1, column 1: expected object, inherited or inline",
            ErrorOf("obj A: T\nend"));
  EXPECT_EQ("Form text, line 1, column 1: this object has no closing end",
            ErrorOf("object A: T\n  P = 1\n"));
  EXPECT_EQ(
      "Form text, line 4, column 3: a property cannot follow a child object (the binary "
      "form keeps them apart)",
      ErrorOf("object A: T\n  object B: T\n  end\n  P = 1\nend"));
  EXPECT_EQ("Form text, line 3, column 7: Null cannot be a list element",
            ErrorOf("object A: T\n  P = (\n    1 Null)\nend"));
  EXPECT_EQ("Form text, line 3, column 1: unexpected text after the end of the root object",
            ErrorOf("object A: T\nend\nend"));
  EXPECT_EQ("Form text, line 2, column 10: binary data has an odd number of hexadecimal digits",
            ErrorOf("object A: T\n P = {ABC}\nend"));
  EXPECT_EQ(
      "Form text, line 2, column 2: a property name has a character the code page cannot "
      "represent",
      ErrorOf("object A: T\n \xD0\x96 = 1\nend"));
  std::string deep = "object A: T\n P = ";
  deep += std::string(300, '(') + std::string(300, ')') + "\nend";
  EXPECT_NE(std::string::npos, ErrorOf(deep).find("nest deeper than 256 levels"));
}

TEST(FormText, TreesOutsideTheNormalFormKeepTheirValues) {
  // vaDouble 0.1 comes back as the extended value equal to it; the UTF-8
  // string as a wide string; the 32-bit 1 as an 8-bit 1; the short long
  // string as a short string; inherited + inline keeps inherited only.
  const std::string stream = HexBytes(
      "54 50 46 30 F5 01 54 01 41"
      "01 44 15 9A 99 99 99 99 99 B9 3F"
      "01 55 14 03 00 00 00 C3 A9 21"
      "01 49 04 01 00 00 00"
      "01 4C 0C 02 00 00 00 68 69"
      "00 00");
  const TFormObjectNode back = ReadFormText(ObjectBinaryToText(stream, Cp1252()), Cp1252());
  EXPECT_EQ(ffInherited, back.Flags);
  const TFormValue& d = back.Properties.at(0).Value;
  ASSERT_EQ(TValueType::vaExtended, d.Type);
  long double x = 0;
  std::memcpy(&x, &d.Bits, 8);
  std::memcpy(reinterpret_cast<char*>(&x) + 8, &d.ExtExponent, 2);
  EXPECT_EQ(static_cast<long double>(0.1), x);
  EXPECT_EQ(TValueType::vaWString, back.Properties.at(1).Value.Type);
  EXPECT_EQ(u"\u00E9!", back.Properties[1].Value.Wide);
  EXPECT_EQ(TValueType::vaInt8, back.Properties.at(2).Value.Type);
  EXPECT_EQ(1, back.Properties[2].Value.Int);
  EXPECT_EQ(TValueType::vaString, back.Properties.at(3).Value.Type);
  EXPECT_EQ("hi", back.Properties[3].Value.Bytes);
}

TEST(FormText, ValuesWithoutATextFormAreRefusedNamingWhere) {
  // +Infinity as an extended value; an unnormal (integer bit clear); a
  // UTF-8 string that is not UTF-8.
  auto error = [](const std::string& valueHex) {
    try {
      ObjectBinaryToText(HexBytes("54 50 46 30 01 54 05 46 6F 72 6D 31 01 50" + valueHex + "00 00"),
                         Cp1252());
    } catch (const EFormFormatError& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(
      "Cannot write form text (object Form1, property P): an infinite or NaN extended "
      "value has no text form",
      error("05 00 00 00 00 00 00 00 80 FF 7F"));
  EXPECT_EQ(
      "Cannot write form text (object Form1, property P): a non-canonical extended value "
      "(unnormal or pseudo-denormal) has no text form",
      error("05 00 00 00 00 00 00 00 40 FF 3F"));
  EXPECT_EQ(
      "Cannot write form text (object Form1, property P): a UTF-8 string is not valid "
      "UTF-8",
      error("14 02 00 00 00 C3 28"));
}

}  // namespace
