#include "rtl/Parser.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "rtl/Encoding.h"
#include "rtl/LexemList.h"

using namespace mirel;

namespace {

// Every lexem as [code:text], so a test shows what the lexer saw.
std::string Lex(TParser& p) {
  std::string out;
  StringView lexem;
  for (int code; (code = p.GetNext(lexem)) != LexEnd;) {
    out += "[" + std::to_string(code) + ":" + ToUtf8(lexem) + "]";
  }
  return out;
}

std::string Lex(StringView text) {
  TParser p{String(text)};
  return Lex(p);
}

// Lexes text and checks what must hold for any input: lexems are non-empty,
// PrevPos is where each begins, no lexem boundary cuts a surrogate pair, and
// the lexems put together give the text back.
void ExpectLossless(TParser& p, const String& text) {
  String joined;
  StringView lexem;
  int guard = 0;
  while (p.GetNext(lexem) != LexEnd) {
    ASSERT_FALSE(lexem.empty());
    ASSERT_EQ(joined.size(), p.PrevPos());
    const size_t at = joined.size();
    if (at > 0) {
      ASSERT_FALSE(text[at - 1] >= 0xD800 && text[at - 1] <= 0xDBFF && text[at] >= 0xDC00 &&
                   text[at] <= 0xDFFF)
          << "pair cut at " << at;
    }
    joined += lexem;
    ASSERT_LT(++guard, 100000);
  }
  EXPECT_EQ(text.size(), p.PrevPos());
  EXPECT_TRUE(lexem.empty());
  ASSERT_EQ(text, joined);
}

// A lexer with identifier quotes and two-character symbols, as an SQL
// dialect of the family would configure it.
class TSqlLikeParser : public TParser {
 public:
  explicit TSqlLikeParser(String text) : TParser(std::move(text)) {
    static const TLexemList symbols = [] {
      TLexemList t;
      t.Add(u":=", 1);
      t.Add(u":", 2);
      t.Add(u"<>", 3);
      t.Add(u"<", 4);
      t.Sort();
      return t;
    }();
    static const TLexemList keywords = [] {
      TLexemList t;
      t.Add(u"SELECT", 10);
      t.Sort();
      return t;
    }();
    SetSymbolLexems(&symbols);
    SetKeywordLexems(&keywords);
    SetCommentMarkers(u"/*", u"*/");
  }

 protected:
  bool IsIdentQuote(char16_t c) const override { return c == u'['; }
  bool IsInlineComment(char16_t c, size_t pos) const override {
    return c == u'-' && pos + 1 < Text().size() && Text()[pos + 1] == u'-';
  }
};

// Character tests that follow a setting, comment markers that change between
// two lexems, and words that take high surrogates but not low ones.
class TSwitchable : public TParser {
 public:
  using TParser::SetCommentMarkers;
  using TParser::TParser;
  bool dollarIsLetter = false;

 protected:
  bool IsAlpha(char16_t c) const override {
    if (c >= 0xDC00 && c <= 0xDFFF) return false;
    return TParser::IsAlpha(c) || (dollarIsLetter && c == u'$');
  }
};

}  // namespace

TEST(LexemList, LooksUpWithoutRegardToCaseSortedOrNot) {
  TLexemList t;
  t.Add(u"USES", 33);
  t.Add(u"END", 28);
  t.Add(u"uses", 99);  // a later duplicate never answers
  int code = 0;
  EXPECT_TRUE(t.Find(u"Uses", code));
  EXPECT_EQ(33, code);
  t.Sort();
  EXPECT_TRUE(t.Sorted());
  EXPECT_EQ(u"END", t.Text(0));
  EXPECT_EQ(33, t.CodeOf(u"uSeS"));
  EXPECT_EQ(28, t.CodeOf(u"end"));
  EXPECT_EQ(-1, t.CodeOf(u"ends", -1));
  EXPECT_EQ(-1, t.CodeOf(u"", -1));
  EXPECT_EQ(4u, t.MaxLength());
  t.Add(u"INHERITED", 29);
  EXPECT_FALSE(t.Sorted());
  EXPECT_EQ(29, t.CodeOf(u"Inherited"));  // still found before the next Sort
}

TEST(ParserScanning, CommentsOfEveryKindAreOneLexemEach) {
  EXPECT_EQ(
      "[-108:{ a }][-101: ][-108:(* b } *)][-101:\r\n][-108:// c { d]"
      "[-101:\n][-103:x]",
      Lex(u"{ a } (* b } *)\r\n// c { d\nx"));
  // Unterminated block comments run to the end; "(*)" does not close itself.
  EXPECT_EQ("[-108:{ open\nx]", Lex(u"{ open\nx"));
  EXPECT_EQ("[-108:(*) x]", Lex(u"(*) x"));
  EXPECT_EQ("[-108://]", Lex(u"//"));
}

TEST(ParserScanning, StringsKeepDoubledQuotesAndStopAtTheLineEndWhenOpen) {
  EXPECT_EQ("[-106:'It''s'][-101: ][-106:\"say \"\"hi\"\"\"]", Lex(u"'It''s' \"say \"\"hi\"\"\""));
  EXPECT_EQ("[-106:''''][-101: ][-106:'']", Lex(u"'''' ''"));
  EXPECT_EQ("[-106:'''''']", Lex(u"''''''"));  // one literal: two quotes
  EXPECT_EQ("[-106:'open][-101:\r\n][-103:next]", Lex(u"'open\r\nnext"));
  EXPECT_EQ("[-106:']", Lex(u"'"));
}

TEST(ParserScanning, NumbersCharacterCodesAndSymbols) {
  EXPECT_EQ("[-104:12][-101: ][-104:1.5e+10][-101: ][-104:1][-102:.][-102:.][-104:5]",
            Lex(u"12 1.5e+10 1..5"));
  EXPECT_EQ("[-105:#13][-105:#$0D][-102:#][-103:x][-102:#][-102:$][-103:G]", Lex(u"#13#$0D#x#$G"));
  EXPECT_EQ("[-103:_a1][-102::][-102:=][-103:b]", Lex(u"_a1:=b"));
}

TEST(ParserScanning, BlanksControlsAndCharactersAboveLatin1) {
  const String text = String(u"a") + u'\0' + u"\t\x01 \u00A0b";
  EXPECT_EQ(std::string("[-103:a][-101:") + '\0' + "\t\x01 \xC2\xA0][-103:b]", Lex(text));
  // Letters of any script and raw bytes belong to words; a pair stays whole.
  EXPECT_EQ("[-103:Привет_1][-101: ][-103:\xF0\x9F\x98\x80x][-101: ][-107:\x7F][-107:×]",
            Lex(u"Привет_1 \U0001F600x \x7F×"));
  EXPECT_EQ("[-103:T\x81Q]", Lex(u"T\xDC81Q"));
}

TEST(ParserSwitches, OmitUpperAndUnquoted) {
  TParser p(u"uses {c} 'Ab''c' x 'open");
  p.SetOmitBlanks(true);
  p.SetOmitComments(true);
  p.SetUppered(true);
  p.SetQuotedString(false);
  EXPECT_EQ("[-103:USES][-106:Ab''c][-103:X][-106:open]", Lex(p));
  p.ToBegin();
  p.SetQuotedString(true);
  p.SetUppered(false);
  StringView lexem;
  p.GetNext(lexem);
  EXPECT_EQ(u"uses", lexem);
  EXPECT_EQ(-106, p.GetNext(lexem));
  EXPECT_EQ(u"'Ab''c'", lexem);
  EXPECT_EQ(9u, p.PrevPos());
}

TEST(ParserSubclass, IdentifierQuotesLongestSymbolsAndOwnCommentMarkers) {
  TSqlLikeParser p(u"SeLeCt [a]]b] := x<>y<z {not} /* c */ -- d\n[open");
  EXPECT_EQ(
      "[10:SeLeCt][-101: ][-103:[a]]b]][-101: ][1::=][-101: ][-103:x][3:<>][-103:y][4:<][-103:z]"
      "[-101: ][-102:{][-103:not][-102:}][-101: ][-108:/* c */][-101: ][-108:-- d][-101:\n]"
      "[-103:[open]",
      Lex(p));
}

TEST(ParserSubclass, ChangedCharacterTestsAndMarkersTakeEffect) {
  TSwitchable p(u"a$b x\U0001F600");
  EXPECT_EQ("[-103:a][-102:$][-103:b][-101: ][-103:x\xF0\x9F\x98\x80]", Lex(p));
  p.dollarIsLetter = true;
  p.SetText(u"a$b");
  EXPECT_EQ("[-103:a$b]", Lex(p));
  p.SetText(u"<{x} <!--y-->");
  StringView lexem;
  EXPECT_EQ(LexSymbol, p.GetNext(lexem));
  p.SetCommentMarkers(u"<!--", u"-->");
  EXPECT_EQ("[-102:{][-103:x][-102:}][-101: ][-108:<!--y-->]", Lex(p));
}

TEST(ParserText, SetTextRestartsAndStreamConstructorDecodes) {
  TParser p(u"first second");
  StringView lexem;
  p.GetNext(lexem);
  p.GetNext(lexem);
  p.GetNext(lexem);
  EXPECT_EQ(6u, p.PrevPos());
  p.SetText(u"x y");
  EXPECT_EQ(LexIdent, p.GetNext(lexem));
  EXPECT_EQ(u"x", lexem);
  EXPECT_EQ(0u, p.PrevPos());
  std::istringstream in(std::string("caf\xE9 'x'"));
  TParser q(in, TEncoding::CodePage(1252));
  EXPECT_EQ(u"café 'x'", q.Text());
  EXPECT_EQ("[-103:café][-101: ][-106:'x']", Lex(q));
  EXPECT_EQ(LexEnd, q.GetNext(lexem));
  EXPECT_EQ(LexEnd, q.GetNext(lexem));
}

TEST(ParserProperty, RandomTextsComeBackWhole) {
  std::mt19937 rng(424242);
  static const char16_t pieces[][6] = {
      u"{",      u"}",   u"(*", u"*)", u"//", u"'",      u"''",     u"\"",     u"#",      u"#1",
      u"#$",     u"$1F", u"1.", u"1e", u"+",  u"..",     u"\r\n",   u"\n",     u" ",      u"\t",
      u"x",      u"Ab",  u"_",  u"0",  u"\0", u"\u00FF", u"\u0416", u"\xD83D", u"\xDE00", u"\xDC81",
      u"\u00A0", u"[",   u"]",  u"-",  u"/",  u"*",      u"(",      u")"};
  const size_t count = sizeof pieces / sizeof pieces[0];
  for (int round = 0; round < 3000; ++round) {
    String text;
    const int n = static_cast<int>(rng() % 60);
    for (int i = 0; i < n; ++i) {
      const auto& piece = pieces[rng() % count];
      const size_t len = piece[0] == u'\0' ? 1 : std::char_traits<char16_t>::length(piece);
      text.append(piece, len);
    }
    TParser base(text);
    ExpectLossless(base, text);
    TSqlLikeParser sql(text);
    ExpectLossless(sql, text);
  }
}
