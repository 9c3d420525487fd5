// Encoding text in a single-byte code page: one byte per character, the raw
// bytes carried through, '?' for what the code page lacks.
#include <gtest/gtest.h>

#include "rtl/Encoding.h"

using namespace mirel;

TEST(CodePageBytes, OneBytePerCharacterWhateverItIs) {
  const TEncoding& cp = TEncoding::CodePage(1252);
  // ASCII, a Latin-1 letter, the euro sign (0x80 in 1252), a raw byte, a
  // character 1252 lacks, a surrogate pair, and a lone high surrogate.
  const String text = u"a\u00E9\u20AC\xDC81\u0416\xD83D\xDE00z\xD800";
  EXPECT_EQ(std::string("a\xE9\x80\x81?\x3Fz?", 8), cp.GetBytes(text));
  EXPECT_EQ(std::string(), cp.GetBytes(u""));
}

TEST(CodePageBytes, EveryByteComesBack) {
  for (int page : {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258}) {
    const TEncoding& cp = TEncoding::CodePage(page);
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(all, cp.GetBytes(cp.GetString(all))) << "code page " << page;
  }
}
