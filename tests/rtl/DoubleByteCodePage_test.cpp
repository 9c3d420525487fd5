// The double-byte code pages 932, 936, 949 and 950: characters of two bytes,
// trail bytes that are ASCII symbols, and byte sequences that are no
// character, all coming back byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "rtl/Encoding.h"

using namespace mirel;

namespace {

const int kPages[] = {932, 936, 949, 950};

std::string Pair(int lead, int trail) {
  return {static_cast<char>(lead), static_cast<char>(trail)};
}

}  // namespace

TEST(DoubleByteCodePage, DecodesEachPagesTextOneCharacterPerPair) {
  struct Row {
    int page;
    std::string bytes;
    String text;
  } const rows[] = {
      {936, "\xD6\xD0\xCE\xC4 GBK", u"\u4E2D\u6587 GBK"},        // 中文
      {936, "\x81\x7D\x81\x7C\x80", u"\u4E87\u4E85\u20AC"},      // trail '}', '|'; euro
      {932, "\x95\x5C\x83\x5C\x83\x7D", u"\u8868\u30BD\u30DE"},  // 表ソマ: trail '\', '}'
      {932, "\xB1\xB2x", u"\uFF71\uFF72x"},                      // half-width katakana
      {949, "\xC7\xD1\xB1\xB9\x81\x7A", u"\uD55C\uAD6D\uAC55"},  // 한국, trail 'z'
      {950, "\xA4\xA4\xA4\xE5\xA4\x7D\xA5\x5C", u"\u4E2D\u6587\u5F13\u529F"},  // 中文弓功
  };
  for (const Row& row : rows) {
    const TEncoding& enc = TEncoding::CodePage(row.page);
    EXPECT_EQ(u"windows-" + IntToStr(row.page), enc.Name());
    EXPECT_EQ(row.text, enc.GetString(row.bytes)) << row.page;
    EXPECT_EQ(row.bytes, enc.GetBytes(row.text)) << row.page;
  }
}

TEST(DoubleByteCodePage, SequencesThatAreNoCharacterComeBackAsTheyWere) {
  struct Row {
    int page;
    std::string bytes;
    String text;
  } const rows[] = {
      // A lead byte at the end, and before a byte that cannot follow it.
      {936, "ab\x81", u"ab\xDC81"},
      {936, std::string("\x81\0\x81 \x81\x7F", 6), String(u"\xDC81\0\xDC81 \xDC81\x7F", 6)},
      {949, "\x81}", u"\xDC81}"},  // '}' is no trail byte in 949
      {936, "\xFF", u"\xDCFF"},
      {932, "\x80\xA0\xFD", u"\xDC80\xDCA0\xDCFD"},
      // Lead and trail that are no character: both bytes raw, the trail never
      // an ASCII '}', '\' or '|'.
      {932, "\x85\x7D\x85\x5C", u"\xDC85\xDC7D\xDC85\xDC5C"},
      {949, "\xC9\xA1\xFE|", u"\xDCC9\xDCA1\xDCFE|"},  // user-defined rows
      {950, "\x81\x7C", u"\xDC81\xDC7C"},
      // The IBM copy of a kanji is the character; the NEC copy of the same
      // kanji stays raw, since it cannot be written back from the character.
      {932, "\xFA\x5C\xED\x40", u"\u7E8A\xDCED\xDC40"},
  };
  for (const Row& row : rows) {
    const TEncoding& enc = TEncoding::CodePage(row.page);
    EXPECT_EQ(row.text, enc.GetString(row.bytes)) << row.page << " " << row.bytes;
    EXPECT_EQ(row.bytes, enc.GetBytes(enc.GetString(row.bytes))) << row.page << " " << row.bytes;
  }
}

TEST(DoubleByteCodePage, NoLeadByteLetsItsTrailReadAsAnAsciiSymbol) {
  for (int page : kPages) {
    const TEncoding& enc = TEncoding::CodePage(page);
    int characters = 0;
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
      for (int trail = 0; trail <= 0xFF; ++trail) {
        const std::string bytes = Pair(lead, trail);
        const String text = enc.GetString(bytes);
        ASSERT_EQ(bytes, enc.GetBytes(text)) << page << ": " << lead << " " << trail;
        if (text.size() == 1 && (text[0] < 0xDC00 || text[0] > 0xDCFF)) ++characters;
        // 949's trail bytes are letters; in the others a trail byte from
        // 0x40 up may be a symbol.
        if (page == 949 || !enc.IsLeadByte(static_cast<unsigned char>(lead)) || trail < 0x40)
          continue;
        for (char16_t u : text)
          ASSERT_FALSE(u == u'}' || u == u'\\' || u == u'|' || u == u'{')
              << page << ": " << lead << " " << trail;
      }
    }
    // The pairs the C library's tables give a character of its own (Debian
    // 12); fewer would mean lead or trail bytes left out.
    const int expected = page == 932 ? 9206 : page == 936 ? 21791 : page == 949 ? 17048 : 13901;
    EXPECT_EQ(expected, characters) << page;
  }
}

TEST(DoubleByteCodePage, TextFromElsewhereIsWrittenWithQuestionMarksOrRefused) {
  const TEncoding& gbk = TEncoding::CodePage(936);
  // A Hangul syllable GBK lacks, a character outside the BMP, a lone high
  // surrogate; raw bytes are written as bytes.
  const String text = u"a\uD55Cb\U0001F600c\xD800\xDC81";
  EXPECT_EQ("a?b?c?", gbk.GetBytes(text));
  std::string out;
  EXPECT_FALSE(gbk.TryGetBytes(u"a\uD55C", out));
  out.clear();
  EXPECT_TRUE(gbk.TryGetBytes(u"\u4E2D\xDC81z", out));
  EXPECT_EQ("\xD6\xD0\x81z", out);
  out.clear();
  EXPECT_TRUE(TEncoding::CodePage(1251).TryGetBytes(u"\u0416\xDC98", out));
  EXPECT_EQ("\xC6\x98", out);
  EXPECT_FALSE(TEncoding::CodePage(1252).TryGetBytes(u"\u0416", out));
  EXPECT_FALSE(TEncoding::CodePage(1252).IsLeadByte(0x81));
  EXPECT_TRUE(TEncoding::CodePage(932).IsLeadByte(0xE0));
  EXPECT_FALSE(TEncoding::CodePage(932).IsLeadByte(0xA1));
}
