#include "rtl/Encoding.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace mirel;

namespace {

std::string Bytes(std::initializer_list<int> list) {
  std::string s;
  for (int b : list) s.push_back(static_cast<char>(b));
  return s;
}

// Random byte strings that hit the interesting corners of each encoding far
// more often than uniform bytes would: UTF-8 lead and continuation bytes,
// encoded surrogates, UTF-16 surrogate and raw-range units.
std::string RandomBytes(std::mt19937& rng, const TEncoding& enc) {
  std::uniform_int_distribution<int> len(0, 40), any(0, 255), pick(0, 9);
  std::string s;
  const int n = len(rng);
  for (int i = 0; i < n; ++i) {
    const int k = pick(rng);
    if (&enc == &TEncoding::Unicode()) {
      static const int highs[] = {0xD8, 0xDB, 0xDC, 0xDD, 0xDF, 0x00, 0x04};
      s.push_back(static_cast<char>(any(rng)));
      if (k < 6) s.push_back(static_cast<char>(highs[any(rng) % 7]));
    } else if (enc.IsLeadByte(0x81) && k < 6) {
      // Double-byte: lead bytes (0xC9 and 0xFE have no characters in 949),
      // trail bytes that are ASCII symbols, and bytes that end a pair early.
      static const int interesting[] = {0x81, 0x83, 0x95, 0xA4, 0xC9, 0xE0, 0xFC, 0xFE,
                                        '}',  '\\', '|',  '@',  0x7F, 0xA1, 0xFF, 0x80};
      s.push_back(static_cast<char>(interesting[any(rng) % 16]));
    } else if (&enc == &TEncoding::UTF8() && k < 7) {
      static const int interesting[] = {0xED, 0xA0, 0xBF, 0xB2, 0x80, 0xC0, 0xC2, 0xE0,
                                        0xF0, 0xF4, 0x90, 0xF5, 0xFF, 0x00, 'a',  0xEF};
      s.push_back(static_cast<char>(interesting[any(rng) % 16]));
    } else {
      s.push_back(static_cast<char>(any(rng)));
    }
  }
  return s;
}

}  // namespace

TEST(EncodingRoundTrip, RandomBytesWithAndWithoutByteOrderMarkComeBackUnchanged) {
  std::mt19937 rng(20240521);
  const TEncoding* encodings[] = {&TEncoding::Default(),      &TEncoding::Unicode(),
                                  &TEncoding::UTF8(),         &TEncoding::CodePage(1251),
                                  &TEncoding::CodePage(1253), &TEncoding::CodePage(874),
                                  &TEncoding::CodePage(932),  &TEncoding::CodePage(936),
                                  &TEncoding::CodePage(949),  &TEncoding::CodePage(950)};
  for (const TEncoding* enc : encodings) {
    for (int round = 0; round < 20000; ++round) {
      std::string bytes = RandomBytes(rng, *enc);
      const bool bom = round % 2 == 1;
      if (bom) bytes = std::string(enc->Preamble()) + bytes;
      const String text = enc->GetString(bytes);
      ASSERT_EQ(bytes, enc->GetBytes(text)) << ToUtf8(enc->Name()) << " round " << round;
      if (bom) {
        // As a reader does: skip the mark, decode the rest, write mark + text.
        const size_t skip = enc->Preamble().size();
        const String body = enc->GetString(bytes, skip, bytes.size());
        ASSERT_EQ(bytes, std::string(enc->Preamble()) + enc->GetBytes(body))
            << ToUtf8(enc->Name()) << " round " << round;
      }
    }
  }
}

TEST(EncodingRoundTrip, PiecesEncodeLikeTheWholeWhenNoPairIsCut) {
  std::mt19937 rng(7);
  for (const TEncoding* enc : {&TEncoding::Default(), &TEncoding::Unicode(), &TEncoding::UTF8(),
                               &TEncoding::CodePage(932), &TEncoding::CodePage(936)}) {
    for (int round = 0; round < 5000; ++round) {
      const std::string bytes = RandomBytes(rng, *enc);
      const String text = enc->GetString(bytes);
      std::string joined;
      size_t start = 0;
      for (size_t i = 1; i <= text.size(); ++i) {
        const bool insidePair = i < text.size() && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF &&
                                text[i] >= 0xDC00 && text[i] <= 0xDFFF;
        if (i == text.size() || (!insidePair && rng() % 3 == 0)) {
          joined += enc->GetBytes(StringView(text).substr(start, i - start));
          start = i;
        }
      }
      ASSERT_EQ(bytes, joined) << ToUtf8(enc->Name()) << " round " << round;
    }
  }
}

TEST(EncodingCodePage, Windows1252DecodesWesternTextAndKeepsItsFiveUndefinedBytes) {
  const TEncoding& enc = TEncoding::CodePage(1252);
  EXPECT_EQ(u"windows-1252", enc.Name());
  const std::string bytes = Bytes({'C', 0xE9, 'z', 0x80, 0x9F, 0xFF, 0x00});
  EXPECT_EQ(String(u"C\u00E9z\u20AC\u0178\u00FF") + u'\0', enc.GetString(bytes));
  const std::string undefined = Bytes({0x81, 0x8D, 0x8F, 0x90, 0x9D});
  EXPECT_EQ(u"\xDC81\xDC8D\xDC8F\xDC90\xDC9D", enc.GetString(undefined));
  EXPECT_EQ(undefined, enc.GetBytes(enc.GetString(undefined)));
  EXPECT_EQ(u"\u00E9", enc.GetString(bytes, 1, 1));
  EXPECT_EQ(u"", enc.GetString(bytes, 99, 3));
  EXPECT_EQ(u"\u00FF", enc.GetString(bytes, 5, 1));
}

TEST(EncodingCodePage, Windows1251DecodesCyrillicAndWritesUnrepresentableAsQuestionMark) {
  const TEncoding& enc = TEncoding::CodePage(1251);
  const std::string bytes = Bytes({0xCF, 0xF0, 0xE8, 0xE2, 0xE5, 0xF2, 0x98});
  EXPECT_EQ(u"\u041F\u0440\u0438\u0432\u0435\u0442\xDC98", enc.GetString(bytes));
  EXPECT_EQ(bytes, enc.GetBytes(enc.GetString(bytes)));
  // Text that did not come from this code page: a Western letter, a
  // character outside the BMP.
  EXPECT_EQ("a?b?", enc.GetBytes(u"a\u00E9b\U0001F600"));
  EXPECT_EQ("?", TEncoding::CodePage(1252).GetBytes(u"\u0416"));
}

TEST(EncodingDefault, ConfigurableAndRejectsWhatIsNoWindowsAnsiCodePage) {
  ASSERT_EQ(1252, TEncoding::DefaultCodePage());
  const TEncoding& western = TEncoding::Default();
  EXPECT_THROW(TEncoding::SetDefaultCodePage(1361), Exception);   // double-byte, not Windows'
  EXPECT_THROW(TEncoding::SetDefaultCodePage(65001), Exception);  // UTF-8
  EXPECT_THROW(TEncoding::SetDefaultCodePage(99999), Exception);  // unknown
  try {
    TEncoding::SetDefaultCodePage(4711);
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_NE(String::npos, e.Message().find(u"4711"));
  }
  EXPECT_EQ(1252, TEncoding::DefaultCodePage());
  TEncoding::SetDefaultCodePage(1251);
  EXPECT_EQ(u"\u0416", TEncoding::Default().GetString("\xC6"));
  EXPECT_EQ(u"\u00C6", western.GetString("\xC6"));  // an old reference stays valid
  TEncoding::SetDefaultCodePage(936);
  EXPECT_EQ(936, TEncoding::DefaultCodePage());
  EXPECT_EQ(u"\u4E2D", TEncoding::Default().GetString("\xD6\xD0"));
  TEncoding::SetDefaultCodePage(1252);
  EXPECT_EQ(&western, &TEncoding::Default());
}

TEST(EncodingUtf8, InvalidBytesAreCarriedAsRawBytes) {
  const TEncoding& enc = TEncoding::UTF8();
  // Invalid lead, truncated sequence, overlong form.
  const std::string bytes = Bytes({'a', 0xFF, 0xE2, 0x82, 'b', 0xC0, 0xAF, 0xE2, 0x82});
  EXPECT_EQ(
      u"a\xDCFF\xDCE2\xDC82"
      u"b\xDCC0\xDCAF\xDCE2\xDC82",
      enc.GetString(bytes));
  EXPECT_EQ(bytes, enc.GetBytes(enc.GetString(bytes)));
  EXPECT_EQ(u"\u20AC\U0001F600", enc.GetString("\xE2\x82\xAC\xF0\x9F\x98\x80"));
}

TEST(EncodingUtf8, EncodedSurrogatesRoundTripWithoutPairingUp) {
  const TEncoding& enc = TEncoding::UTF8();
  // A lone surrogate in its 3-byte form stays one unit.
  EXPECT_EQ(u"\xD800", enc.GetString("\xED\xA0\x80"));
  // Two encoded halves must not be joined into one 4-byte character.
  const std::string cesu = Bytes({0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80});
  EXPECT_EQ(cesu, enc.GetBytes(enc.GetString(cesu)));
  // A lone high half before an invalid byte must not pair with its raw unit.
  const std::string highThenRaw = Bytes({0xED, 0xA0, 0x80, 0x80});
  EXPECT_EQ(highThenRaw, enc.GetBytes(enc.GetString(highThenRaw)));
  // The 3-byte form of a unit in the raw-byte range.
  const std::string rawRange = Bytes({0xED, 0xB2, 0x80});
  EXPECT_EQ(rawRange, enc.GetBytes(enc.GetString(rawRange)));
}

TEST(EncodingUnicode, LoneSurrogatesAndAnOddTrailingByteRoundTrip) {
  const TEncoding& enc = TEncoding::Unicode();
  EXPECT_EQ(u"A\u0416", enc.GetString(Bytes({'A', 0, 0x16, 0x04})));
  // A real lone unit in the raw-byte range, a lone high surrogate, and a
  // lone high right before an odd trailing byte.
  for (const std::string& bytes : {Bytes({0x81, 0xDC, 'x', 0}), Bytes({0x00, 0xD8, 'x', 0}),
                                   Bytes({0x00, 0xD8, 0x41}), Bytes({0x00, 0xD8, 0x00, 0xDB, 0x0A}),
                                   Bytes({0x3D, 0xD8, 0x00, 0xDE, 0x0A}), Bytes({0x0A})}) {
    EXPECT_EQ(bytes, enc.GetBytes(enc.GetString(bytes)));
  }
  EXPECT_EQ(u"\U0001F600", enc.GetString(Bytes({0x3D, 0xD8, 0x00, 0xDE})));
  EXPECT_EQ("\xFF\xFE", std::string(enc.Preamble()));
  EXPECT_EQ("\xEF\xBB\xBF", std::string(TEncoding::UTF8().Preamble()));
  EXPECT_EQ("", std::string(TEncoding::Default().Preamble()));
}

TEST(EncodingUnicodeBigEndian, DecodesHighByteFirstAndEveryByteStringComesBack) {
  const TEncoding& enc = TEncoding::BigEndianUnicode();
  EXPECT_EQ(u"A\u0416\U0001F600", enc.GetString(Bytes({0, 'A', 0x04, 0x16, 0xD8, 0x3D, 0xDE, 0})));
  EXPECT_EQ(Bytes({0, 'u', 0, 's'}), enc.GetBytes(u"us"));
  EXPECT_EQ("\xFE\xFF", std::string(enc.Preamble()));
  EXPECT_EQ(u"UTF-16BE", enc.Name());
  // The corners of the little-endian test, byte pairs swapped.
  for (const std::string& bytes : {Bytes({0xDC, 0x81, 0, 'x'}), Bytes({0xD8, 0x00, 0, 'x'}),
                                   Bytes({0xD8, 0x00, 0x41}), Bytes({0xD8, 0x00, 0xDB, 0x00, 0x0A}),
                                   Bytes({0xD8, 0x3D, 0xDE, 0x00, 0x0A}), Bytes({0x0A})}) {
    EXPECT_EQ(bytes, enc.GetBytes(enc.GetString(bytes)));
  }
  std::mt19937 rng(20240607);
  std::uniform_int_distribution<int> len(0, 40), any(0, 255), pick(0, 9);
  static const int highs[] = {0xD8, 0xDB, 0xDC, 0xDD, 0xDF, 0x00, 0x04};
  for (int round = 0; round < 20000; ++round) {
    std::string bytes;
    for (int i = len(rng); i > 0; --i) {
      if (pick(rng) < 6) bytes.push_back(static_cast<char>(highs[any(rng) % 7]));
      bytes.push_back(static_cast<char>(any(rng)));
    }
    ASSERT_EQ(bytes, enc.GetBytes(enc.GetString(bytes))) << "round " << round;
    // Little-endian text reads back the same units from the swapped bytes.
    if (bytes.size() % 2 == 0) {
      std::string swapped = bytes;
      for (size_t i = 0; i + 1 < swapped.size(); i += 2) std::swap(swapped[i], swapped[i + 1]);
      const String units = enc.GetString(bytes);
      bool raw = false;
      for (char16_t u : units) raw = raw || (u >= 0xDC00 && u <= 0xDCFF);
      if (!raw) {
        ASSERT_EQ(units, TEncoding::Unicode().GetString(swapped)) << "round " << round;
      }
    }
  }
}

TEST(EncodingPreamble, EachMarkNamesItsEncoding) {
  EXPECT_EQ(&TEncoding::Unicode(), TEncoding::FromPreamble("\xFF\xFEu\0"));
  EXPECT_EQ(&TEncoding::BigEndianUnicode(), TEncoding::FromPreamble("\xFE\xFF\0u"));
  EXPECT_EQ(&TEncoding::UTF8(), TEncoding::FromPreamble("\xEF\xBB\xBFunit"));
  EXPECT_EQ(nullptr, TEncoding::FromPreamble("unit"));
  EXPECT_EQ(nullptr, TEncoding::FromPreamble("\xEF\xBB"));
  EXPECT_EQ(nullptr, TEncoding::FromPreamble("\xFF"));
  EXPECT_EQ(nullptr, TEncoding::FromPreamble(""));
}

TEST(EncodingGuess, UnmarkedUtf16IsToldFromCodePageTextWithAStrayNul) {
  const TEncoding& cp = TEncoding::Default();
  const String utf16le =
      cp.GetString(TEncoding::Unicode().GetBytes(u"unit Main;\r\nuses DBTables;"));
  const String utf16be =
      cp.GetString(TEncoding::BigEndianUnicode().GetBytes(u"unit Main;\r\nuses DBTables;"));
  EXPECT_TRUE(LooksLikeUnmarkedUtf16(utf16le));
  EXPECT_TRUE(LooksLikeUnmarkedUtf16(utf16be));
  EXPECT_FALSE(LooksLikeUnmarkedUtf16(u"unit Main;\r\nuses DBTables;"));
  EXPECT_FALSE(LooksLikeUnmarkedUtf16(String(u"unit Main;\0 uses DBTables;", 27)));
  // NULs everywhere are no text at all, and one pair too little to tell.
  EXPECT_FALSE(LooksLikeUnmarkedUtf16(String(40, u'\0')));
  EXPECT_FALSE(LooksLikeUnmarkedUtf16(String(u"A\0", 2)));
  EXPECT_FALSE(LooksLikeUnmarkedUtf16(u""));
}
