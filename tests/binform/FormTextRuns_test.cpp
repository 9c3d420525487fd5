// Form text read and written a run at a time: binary data whose digits are
// spread over lines and blanks, strings made of quoted runs, doubled quotes and
// #codes, and the positions that errors inside such runs report.
#include <gtest/gtest.h>

#include "rtl/FormConvert.h"
#include "rtl/FormText.h"

using namespace mirel;

namespace {

const TEncoding& Cp1252() {
  return TEncoding::CodePage(1252);
}

TFormValue ValueOf(StringView value) {
  const TFormObjectNode o =
      ReadFormText(u"object A: T\r\n  P = " + String(value) + u"\r\nend\r\n", Cp1252());
  return o.Properties.at(0).Value;
}

String ErrorOfText(StringView text) {
  try {
    ReadFormText(text, Cp1252());
  } catch (const EFormFormatError& e) {
    return e.Message();
  }
  return u"(no error)";
}

// The error of a property value; the value begins on line 2, column 7.
String ErrorOf(StringView value) {
  return ErrorOfText(u"object A: T\r\n  P = " + String(value) + u"\r\nend\r\n");
}

}  // namespace

TEST(FormTextRuns, BinaryDigitsMayBeSplitAnywhereByBlanks) {
  EXPECT_EQ(std::string("\x0A\x0B\xFF\x10", 4), ValueOf(u"{0A0\r\n   B  FF\r\n 10}").Bytes);
  EXPECT_EQ(std::string("\xAB", 1), ValueOf(u"{ A\tB }").Bytes);
  EXPECT_EQ(std::string(), ValueOf(u"{}").Bytes);
  EXPECT_EQ(std::string("\x01\x23\x45\x67\x89\xAB\xCD\xEF", 8),
            ValueOf(u"{0123456789abcdef}").Bytes);
}

TEST(FormTextRuns, BinaryErrorsNameTheOffendingCharacter) {
  EXPECT_EQ(u"Form text, line 2, column 12: binary data has an odd number of hexadecimal digits",
            ErrorOf(u"{0A 0}"));
  EXPECT_EQ(u"Form text, line 2, column 10: expected hexadecimal digits or '}'",
            ErrorOf(u"{0AG0}"));
  EXPECT_EQ(u"Form text, line 2, column 7: binary data has no closing '}'",
            ErrorOfText(u"object A: T\r\n  P = {0A\r\n0B \r\n"));
}

TEST(FormTextRuns, StringsOfQuotedRunsCodesAndJoins) {
  const TFormValue v = ValueOf(u"'it''s'#13#10'a ''b''' +\r\n    '' + 'c'");
  EXPECT_EQ(TValueType::vaString, v.Type);
  EXPECT_EQ("it's\r\na 'b'c", v.Bytes);
  EXPECT_EQ("''", ValueOf(u"''''''").Bytes);
  const TFormValue wide = ValueOf(u"'S'#227'o'");
  EXPECT_EQ(TValueType::vaWString, wide.Type);
  EXPECT_EQ(u"S\u00E3o", wide.Wide);
}

TEST(FormTextRuns, UnterminatedStringsStopAtTheLineBreak) {
  EXPECT_EQ(u"Form text, line 2, column 11: unterminated string", ErrorOf(u"'abc"));
  EXPECT_EQ(u"Form text, line 2, column 13: unterminated string", ErrorOf(u"'ab''c"));
  EXPECT_EQ(u"Form text, line 2, column 11: unterminated string",
            ErrorOfText(u"object A: T\r\n  P = 'abc"));
}

TEST(FormTextRuns, LongBinaryDataRoundTripsThroughTheWriter) {
  TFormObjectNode root;
  root.ClassName = "T";
  root.Name = "A";
  TFormProperty p;
  p.Name = "Data";
  p.Value.Type = TValueType::vaBinary;
  for (int i = 0; i < 100; ++i) p.Value.Bytes += static_cast<char>(i * 7);
  root.Properties.push_back(p);
  const String text = WriteFormText(root, Cp1252());
  // 100 bytes: three lines of 32 bytes and one of 4, each one level deeper.
  EXPECT_NE(String::npos, text.find(u"  Data = {\r\n    00070E151C23"));
  EXPECT_NE(String::npos, text.find(u"\r\n    A0A7AEB5}\r\n"));
  EXPECT_EQ(root, ReadFormText(text, Cp1252()));
}
