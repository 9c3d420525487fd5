#include "rtl/TextFile.h"

#include <gtest/gtest.h>

#include <string>

using namespace mirel;

TEST(TextFile, AMarkDecidesAndIsWrittenBackWithTheText) {
  const String text = u"unit Gr\u00FC\u00DFe;";
  const struct {
    std::string bytes;
    const TEncoding* encoding;
  } marked[] = {
      {"\xEF\xBB\xBF" + TEncoding::UTF8().GetBytes(text), &TEncoding::UTF8()},
      {"\xFF\xFE" + TEncoding::Unicode().GetBytes(text), &TEncoding::Unicode()},
      {"\xFE\xFF" + TEncoding::BigEndianUnicode().GetBytes(text), &TEncoding::BigEndianUnicode()},
  };
  for (const auto& m : marked) {
    for (const TUnmarkedText unmarked : {TUnmarkedText::CodePage, TUnmarkedText::DetectUtf8}) {
      const TTextFile file = ReadTextFile(m.bytes, unmarked);
      EXPECT_EQ(text, file.Text) << ToUtf8(m.encoding->Name());
      EXPECT_EQ(m.encoding, file.Encoding);
      EXPECT_TRUE(file.HasPreamble);
      EXPECT_EQ(m.bytes, file.Bytes(file.Text));
    }
  }
}

// What a run reads is the code page whatever the bytes look like; only the
// named option takes well-formed UTF-8 for UTF-8.
TEST(TextFile, WithoutAMarkTheCodePageUnlessUtf8IsAskedFor) {
  const std::string utf8 =
      "unit Gr\xC3\xBC\xC3\x9F"
      "e;";
  const std::string western =
      "unit Gr\xFC\xDF"
      "e;";

  const TTextFile run = ReadTextFile(utf8);
  EXPECT_EQ(&TEncoding::Default(), run.Encoding);
  EXPECT_FALSE(run.HasPreamble);
  EXPECT_EQ(u"unit Gr\u00C3\u00BC\u00C3\u0178e;", run.Text);
  EXPECT_EQ(utf8, run.Bytes(run.Text));

  const TTextFile shown = ReadTextFile(utf8, TUnmarkedText::DetectUtf8);
  EXPECT_EQ(&TEncoding::UTF8(), shown.Encoding);
  EXPECT_EQ(u"unit Gr\u00FC\u00DFe;", shown.Text);
  EXPECT_EQ(utf8, shown.Bytes(shown.Text));
  const TTextFile legacy = ReadTextFile(western, TUnmarkedText::DetectUtf8);
  EXPECT_EQ(&TEncoding::Default(), legacy.Encoding);
  EXPECT_EQ(u"unit Gr\u00FC\u00DFe;", legacy.Text);
}

TEST(TextFile, WellFormedUtf8RefusesEveryIllFormedSequence) {
  EXPECT_TRUE(IsWellFormedUtf8(""));
  EXPECT_TRUE(IsWellFormedUtf8("ascii"));
  EXPECT_TRUE(IsWellFormedUtf8("\xC3\xBC \xE4\xB8\xAD \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF"));
  EXPECT_FALSE(IsWellFormedUtf8("\xC3"));              // truncated at the end
  EXPECT_FALSE(IsWellFormedUtf8("\xE4\xB8"));          // truncated at the end
  EXPECT_FALSE(IsWellFormedUtf8("\xC3u"));             // no continuation
  EXPECT_FALSE(IsWellFormedUtf8("\x80"));              // a lone continuation
  EXPECT_FALSE(IsWellFormedUtf8("\xC0\xAF"));          // overlong '/'
  EXPECT_FALSE(IsWellFormedUtf8("\xE0\x80\xAF"));      // overlong '/'
  EXPECT_FALSE(IsWellFormedUtf8("\xF0\x80\x80\xAF"));  // overlong '/'
  EXPECT_FALSE(IsWellFormedUtf8("\xED\xA0\x80"));      // a surrogate
  EXPECT_FALSE(IsWellFormedUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
  EXPECT_FALSE(IsWellFormedUtf8("\xF8\x88\x80\x80\x80"));
}
