#include "pascal/PasParser.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "rtl/Encoding.h"

using namespace mirel;
namespace fs = std::filesystem;

namespace {

std::string Lex(TParser& p) {
  std::string out;
  StringView lexem;
  for (int code; (code = p.GetNext(lexem)) != LexEnd;) {
    out += "[" + std::to_string(code) + ":" + ToUtf8(lexem) + "]";
  }
  return out;
}

std::string Lex(StringView text) {
  TPasParser p{String(text)};
  return Lex(p);
}

// Exposes the character tests.
class TProbe : public TPasParser {
 public:
  TProbe() : TPasParser(u"") {}
  using TPasParser::IsNumber;
  using TPasParser::IsStringQuote;
  using TPasParser::IsSymbol;
};

// A folder of its own under the system's temporary folder, removed at the end.
class PasParserFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("mirel_pasparser_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path Write(const std::string& name, const std::string& bytes) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }

  // Reads a unit or form as the converters do (byte-order mark decides the
  // encoding, otherwise the default code page), lexes it, and writes every
  // lexem back re-encoded into a second file. Returns the lexems.
  std::vector<std::pair<int, String>> RoundTrip(const fs::path& in, const fs::path& out) {
    const std::string bytes = Read(in);
    const TEncoding* enc = &TEncoding::Default();
    size_t skip = 0;
    if (bytes.rfind("\xFF\xFE", 0) == 0) {
      enc = &TEncoding::Unicode(), skip = 2;
    } else if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) {
      enc = &TEncoding::UTF8(), skip = 3;
    }
    TPasParser p(enc->GetString(bytes, skip, bytes.size()));
    std::ofstream o(out, std::ios::binary);
    o << enc->Preamble().substr(0, skip);
    std::vector<std::pair<int, String>> lexems;
    String lexem;
    for (int code; (code = p.GetNext(lexem)) != LexEnd;) {
      o << enc->GetBytes(lexem);
      lexems.emplace_back(code, lexem);
    }
    return lexems;
  }

  static bool Has(const std::vector<std::pair<int, String>>& lexems, int code, StringView text) {
    for (const auto& [c, t] : lexems) {
      if (c == code && t == text) return true;
    }
    return false;
  }

  fs::path dir_;
};

}  // namespace

TEST(PasParserLexems, UsesClauseGivesKeywordBlankIdentifierAndSemicolon) {
  EXPECT_EQ("[33:uses][-101: ][-103:DBTables][16:;]", Lex(u"uses DBTables;"));
  EXPECT_EQ("[33:USES][-101:\r\n  ][-103:Windows][11:,][-101: ][-103:dbtables][16:;]",
            Lex(u"USES\r\n  Windows, dbtables;"));
}

TEST(PasParserLexems, KeywordsInAnyCaseComeBackAsWritten) {
  EXPECT_EQ(
      "[32:Object][-101: ][28:END][-101: ][29:inHerited][-101: ][30:Inline][-101: ]"
      "[31:item][-101: ][-103:items][-101: ][-103:ends]",
      Lex(u"Object END inHerited Inline item items ends"));
}

TEST(PasParserLexems, EverySymbolHasItsTableCode) {
  const StringView symbols = u"!\"#%&'()*+,-./:;<=>?@[\\]^_`";
  for (size_t i = 0; i < symbols.size(); ++i) {
    int code = 0;
    EXPECT_TRUE(TPasParser::SymbolTable().Find(symbols.substr(i, 1), code));
    EXPECT_EQ(static_cast<int>(i) + 1, code);
  }
  EXPECT_EQ(27, TPasParser::SymbolTable().Count());
  EXPECT_EQ(6, TPasParser::KeywordTable().Count());
  // As lexed: ' opens a string and _ starts an identifier; the others are
  // delivered with their code.
  EXPECT_EQ(
      "[1:!][2:\"][3:#][4:%][5:&][7:(][8:)][9:*][10:+][11:,][12:-][13:.][14:/][15::]"
      "[16:;][17:<][18:=][19:>][20:?][21:@][22:[][23:\\][24:]][25:^][27:`]",
      Lex(u"!\"#%&()*+,-./:;<=>?@[\\]^`"));
}

TEST(PasParserLexems, CharacterTestsOfPascal) {
  TProbe p;
  EXPECT_FALSE(p.IsSymbol(u'$'));
  EXPECT_FALSE(p.IsSymbol(u'_'));
  for (char16_t c : u"{|}~`'#") EXPECT_TRUE(c == 0 || p.IsSymbol(c)) << static_cast<int>(c);
  EXPECT_FALSE(p.IsSymbol(u'a'));
  EXPECT_TRUE(p.IsNumber(u'$'));
  EXPECT_TRUE(p.IsNumber(u'f'));
  EXPECT_FALSE(p.IsNumber(u'g'));
  EXPECT_TRUE(p.IsStringQuote(u'\''));
  EXPECT_FALSE(p.IsStringQuote(u'"'));
  // | } ~ are symbols without a code; { opens a comment.
  EXPECT_EQ("[-102:|][-102:}][-102:~][-108:{]", Lex(u"|}~{"));
}

TEST(PasParserLexems, WordsStartingWithHexLettersAreIdentifiersAndNumbersTakeHex) {
  EXPECT_EQ(
      "[-103:DBTables][-101: ][-103:EDBEngineError][-101: ][-103:aBc][-101: ][-103:_f]"
      "[-101: ][-104:$1F][-101: ][-104:$][-101: ][-104:12][-101: ][-104:0FF][-103:h]",
      Lex(u"DBTables EDBEngineError aBc _f $1F $ 12 0FFh"));
  EXPECT_EQ(
      "[-103:Caption][-101: ][18:=][-101: ][-106:'a'][-105:#13][-105:#10][-106:'b''c']"
      "[-105:#$41]",
      Lex(u"Caption = 'a'#13#10'b''c'#$41"));
}

TEST(PasParserLexems, DirectivesAndBinaryDataAreOneComment) {
  EXPECT_EQ("[-108:{$R *.dfm}][-101:\r\n][-108:{$RESOURCE *.nfm}]",
            Lex(u"{$R *.dfm}\r\n{$RESOURCE *.nfm}"));
  const String form =
      u"  object Image1: TImage\r\n    Picture.Data = {\r\n      0A544269746D61700000\r\n"
      u"      FF00FF00}\r\n  end";
  EXPECT_EQ(
      "[-101:  ][32:object][-101: ][-103:Image1][15::][-101: ][-103:TImage][-101:\r\n    ]"
      "[-103:Picture][13:.][-103:Data][-101: ][18:=][-101: ]"
      "[-108:{\r\n      0A544269746D61700000\r\n      FF00FF00}][-101:\r\n  ][28:end]",
      Lex(form));
}

TEST(PasParserLexems, QuoteSwitchOffDeliversTheTextBetweenApostrophes) {
  TPasParser p(u"DatabaseName = 'Sales'");
  p.SetQuotedString(false);
  EXPECT_EQ("[-103:DatabaseName][-101: ][18:=][-101: ][-106:Sales]", Lex(p));
  p.SetText(u"'It''s' ''");
  EXPECT_EQ("[-106:It''s][-101: ][-106:]", Lex(p));
}

TEST(PasParserLexems, PrevPosCountsFromTheStartOfTheCurrentText) {
  TPasParser p(u"uses DBTables;");
  StringView lexem;
  EXPECT_EQ(0u, p.PrevPos());
  p.GetNext(lexem);
  p.GetNext(lexem);
  p.GetNext(lexem);
  EXPECT_EQ(u"DBTables", lexem);
  EXPECT_EQ(5u, p.PrevPos());
  p.SetText(u"  object X");
  EXPECT_EQ(LexBlank, p.GetNext(lexem));
  EXPECT_EQ(0u, p.PrevPos());
  EXPECT_EQ(LexKwObject, p.GetNext(lexem));
  EXPECT_EQ(2u, p.PrevPos());
  p.GetNext(lexem);
  p.GetNext(lexem);
  EXPECT_EQ(LexEnd, p.GetNext(lexem));
  EXPECT_EQ(u"", lexem);
  EXPECT_EQ(10u, p.PrevPos());
}

TEST(PasParserLexems, CommentTextScannedAgainFindsItsWords) {
  // A comment without its first character, as the unit rewriting rescans it.
  EXPECT_EQ("[-101: ][-103:TQuery][-101: ][-103:here][-102:}]", Lex(u" TQuery here}"));
  EXPECT_EQ("[9:*][-101: ][-103:TQuery][-101: ][9:*][8:)]", Lex(u"* TQuery *)"));
  EXPECT_EQ("[14:/][-101: ][-103:TQuery]", Lex(u"/ TQuery"));
}

TEST(PasParserProperty, RandomPascalAndFormTextsComeBackWhole) {
  static const char* const pieces[] = {
      "uses",       "USES", "object",   "end",     "inherited",
      "inline",     "item", "DBTables", "TQuery",  "EDBEngineError",
      "_x",         "a1",   "Ж",        "é",       "\xF0\x9F\x98\x80",
      " ",          "  ",   "\t",       "\r\n",    "\n",
      ";",          ",",    ":",        "=",       ":=",
      ".",          "..",   "(",        ")",       "[",
      "]",          "<",    ">",        "^",       "@",
      "'",          "''",   "'text'",   "'It''s'", "#13",
      "#$0D",       "#",    "$",        "$1F",     "12",
      "1.5",        "1e+3", "{",        "}",       "{$R *.dfm}",
      "{ 0A1B2C }", "(*",   "*)",       "//",      "/",
      "*",          "|",    "~",        "`",       "\"",
      "<item>",     "\\"};
  std::mt19937 rng(1337);
  const size_t count = sizeof pieces / sizeof pieces[0];
  for (int round = 0; round < 4000; ++round) {
    String text;
    const int n = static_cast<int>(rng() % 80);
    for (int i = 0; i < n; ++i) text += FromUtf8(pieces[rng() % count]);
    if (rng() % 4 == 0) text.push_back(static_cast<char16_t>(rng() % 0x10000));
    TPasParser p(text);
    String joined;
    StringView lexem;
    for (int code; (code = p.GetNext(lexem)) != LexEnd;) {
      ASSERT_FALSE(lexem.empty());
      ASSERT_EQ(joined.size(), p.PrevPos());
      if (code == LexIdent) {
        ASSERT_TRUE(lexem[0] != u'$' && (lexem[0] < u'0' || lexem[0] > u'9'));
      }
      joined += lexem;
    }
    ASSERT_EQ(text, joined) << "round " << round;
  }
}

TEST_F(PasParserFiles, CyrillicUnitInWindows1251DecodesAndIsWrittenBackUnchanged) {
  // unit Main; // Привет
  // uses DBTables; { Таблица клиентов }
  // const S = 'Ошибка: ''файл'''#13#10;
  const std::string bytes =
      "unit Main; // \xCF\xF0\xE8\xE2\xE5\xF2\r\nuses DBTables; { \xD2\xE0\xE1\xEB\xE8\xF6\xE0 "
      "\xEA\xEB\xE8\xE5\xED\xF2\xEE\xE2 }\r\nconst S = '\xCE\xF8\xE8\xE1\xEA\xE0: "
      "''\xF4\xE0\xE9\xEB'''#13#10;\r\n\x98"
      "Done \x98 end.";
  const fs::path in = Write("Main.pas", bytes);
  TEncoding::SetDefaultCodePage(1251);
  const auto lexems = RoundTrip(in, dir_ / "Main.out");
  TEncoding::SetDefaultCodePage(1252);
  EXPECT_TRUE(Has(lexems, LexComment, u"// Привет"));
  EXPECT_TRUE(Has(lexems, LexComment, u"{ Таблица клиентов }"));
  EXPECT_TRUE(Has(lexems, LexString, u"'Ошибка: ''файл'''"));
  EXPECT_TRUE(Has(lexems, LexIdent, u"DBTables"));
  EXPECT_TRUE(Has(lexems, LexKwUses, u"uses"));
  // A byte undefined in 1251 stays in its word; alone it is a word of its own.
  EXPECT_TRUE(Has(lexems, LexIdent,
                  u"\xDC98"
                  u"Done"));
  EXPECT_TRUE(Has(lexems, LexIdent, u"\xDC98"));
  EXPECT_TRUE(Has(lexems, LexKwEnd, u"end"));
  EXPECT_EQ(bytes, Read(dir_ / "Main.out"));
}

TEST_F(PasParserFiles, WesternUnitInWindows1252DecodesAndIsWrittenBackUnchanged) {
  const std::string bytes =
      "unit Caf\xE9;\r\n{ Gr\xFC\xDF"
      "e \x80 \x81\x8D\x8F\x90\x9D }\r\nconst Price = '12 \x80';"
      "\r\n// na\xEFve r\xE9sum\xE9\nend.";
  const fs::path in = Write("Cafe.pas", bytes);
  ASSERT_EQ(1252, TEncoding::DefaultCodePage());
  const auto lexems = RoundTrip(in, dir_ / "Cafe.out");
  EXPECT_TRUE(Has(lexems, LexIdent, u"Café"));
  EXPECT_TRUE(Has(lexems, LexString, u"'12 €'"));
  EXPECT_TRUE(Has(lexems, LexComment, u"// naïve résumé"));
  EXPECT_TRUE(Has(lexems, LexComment, u"{ Grüße € \xDC81\xDC8D\xDC8F\xDC90\xDC9D }"));
  EXPECT_EQ(bytes, Read(dir_ / "Cafe.out"));
}

TEST_F(PasParserFiles, Utf16AndUtf8FormsWithDamagedBytesAreWrittenBackUnchanged) {
  // A UTF-16LE form with a mark, a lone surrogate in a string and an odd
  // trailing byte; a UTF-8 form with a mark and invalid bytes in a comment.
  std::string utf16 = "\xFF\xFE";
  for (char16_t c : StringView(u"object Form1: TForm\r\n  Caption = 'x\xD800y'\r\nend\r\n"))
    utf16 += std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  utf16 += '\x0A';
  const fs::path f16 = Write("Wide.dfm", utf16);
  const auto lexems16 = RoundTrip(f16, dir_ / "Wide.out");
  EXPECT_TRUE(Has(lexems16, LexKwObject, u"object"));
  EXPECT_TRUE(Has(lexems16, LexIdent, u"TForm"));
  EXPECT_TRUE(Has(lexems16, LexString, u"'x\xD800y'"));
  EXPECT_EQ(utf16, Read(dir_ / "Wide.out"));

  const std::string utf8 =
      "\xEF\xBB\xBFobject Q: TQuery { \xC3\x28 \xED\xA0\x80\x80 }\r\n  SQL.Strings = (\r\n"
      "    'select \xE2\x82\xAC')\r\nend\xE2\x82";
  const fs::path f8 = Write("Narrow.dfm", utf8);
  const auto lexems8 = RoundTrip(f8, dir_ / "Narrow.out");
  EXPECT_TRUE(Has(lexems8, LexIdent, u"TQuery"));
  EXPECT_TRUE(Has(lexems8, LexString, u"'select €'"));
  EXPECT_EQ(utf8, Read(dir_ / "Narrow.out"));
}
