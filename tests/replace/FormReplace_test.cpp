// The form scan of TComponentReplacer on forms that are not what the IDE
// writes: an "end" too many, properties named like the scan's keywords, and
// forms of tests/data damaged at random. None of them may stop a run with an
// error the converter does not document.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

#include "replace/KyReplacer.h"
#include "replace/Replacer.h"
#include "rtl/FormConvert.h"
#include "support/FilesTempDir.h"
#include "support/FormTestText.h"

using namespace mirel;
using mirel::testing::Crlf;
using mirel::testing::TTempDir;

namespace {

std::string ReadData(const std::string& rel) {
  std::ifstream in(std::string(MIREL_TEST_DATA_DIR) + "/replace/" + rel, std::ios::binary);
  EXPECT_TRUE(in.good()) << "missing test data " << rel;
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class FormReplaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.MakeFolder("out");
    r_.Units().Clear();
    r_.DatabaseMap().Clear();
    r_.SetChangedCount(0);
    r_.OnLogLine = [this](StringView line) { log_.push_back(ToUtf8(line)); };
  }
  void TearDown() override { r_.OnLogLine = nullptr; }

  // Converts a form written with CR LF line ends; the output, or "<missing>".
  std::string Convert(std::string_view lf) {
    dir_.Write("F.dfm", Crlf(lf));
    r_.ProcessFile(dir_ / "F.dfm", dir_ / "out");
    return dir_.Read("out/F.dfm");
  }

  TProfilesScope profiles_;
  TComponentReplacer& r_ = BdeReplacer();
  TTempDir dir_;
  std::vector<std::string> log_;
};

TEST_F(FormReplaceTest, AnEndTooManyBeforeAMappedObjectLeavesItAtTheRootsDepth) {
  // The extra "end" once took the depth below the root's, and writing the
  // object at depth -1 failed the whole run with an internal error.
  EXPECT_EQ(Crlf("object Form1: TForm1\n"
                 "  Left = 1\n"
                 "end\n"
                 "end\n"
                 "object Query1: TKyQuery\n"
                 "  SQL.Strings = (\n"
                 "        'x')\n"
                 "end\n"),
            Convert("object Form1: TForm1\n"
                    "  Left = 1\n"
                    "end\n"
                    "end\n"
                    "object Query1: TQuery\n"
                    "  SQL.Strings = (\n"
                    "    'x')\n"
                    "end\n"));
  EXPECT_EQ("1 change(s)", log_.back());

  // Inside the root, too: the root is closed by the first, so the query
  // that follows is a root itself (its "end" is written at depth 0).
  EXPECT_EQ(Crlf("object Form1: TForm1\n"
                 "  end\n"
                 "  end\n"
                 "  object Query1: TKyQuery\n"
                 "  SQL.Strings = (\n"
                 "          'x')\n"
                 "end\n"
                 "end\n"),
            Convert("object Form1: TForm1\n"
                    "  end\n"
                    "  end\n"
                    "  object Query1: TQuery\n"
                    "    SQL.Strings = (\n"
                    "      'x')\n"
                    "  end\n"
                    "end\n"));
}

TEST_F(FormReplaceTest, PropertiesNamedEndCloseNothing) {
  // Two labels with a property End: counted as ends, they put the query two
  // levels too high, at depth -1.
  EXPECT_EQ(Crlf("object Form1: TForm1\n"
                 "  object L1: TLabel\n"
                 "    End = 1\n"
                 "  end\n"
                 "  object L2: TLabel\n"
                 "    end.Kind = 2\n"
                 "    Caption = end\n"
                 "  end\n"
                 "  object Query1: TKyQuery\n"
                 "    SQL.Strings = (\n"
                 "            'x')\n"  // depth 1: two levels of indentation before the value's
                 "  end\n"
                 "end\n"),
            Convert("object Form1: TForm1\n"
                    "  object L1: TLabel\n"
                    "    End = 1\n"
                    "  end\n"
                    "  object L2: TLabel\n"
                    "    end.Kind = 2\n"
                    "    Caption = end\n"
                    "  end\n"
                    "  object Query1: TQuery\n"
                    "    SQL.Strings = (\n"
                    "      'x')\n"
                    "  end\n"
                    "end\n"));
}

TEST_F(FormReplaceTest, PropertiesNamedLikeKeywordsOpenNothingEither) {
  EXPECT_EQ(Crlf("object Form1: TForm1\n"
                 "  Object = 1\n"
                 "  Item.Tag = 2\n"
                 "  Inherited = True\n"
                 "  object Query1: TKyQuery\n"
                 "    SQL.Strings = (\n"
                 "            'x')\n"
                 "  end\n"
                 "end\n"),
            Convert("object Form1: TForm1\n"
                    "  Object = 1\n"
                    "  Item.Tag = 2\n"
                    "  Inherited = True\n"
                    "  object Query1: TQuery\n"
                    "    SQL.Strings = (\n"
                    "      'x')\n"
                    "  end\n"
                    "end\n"));
}

TEST_F(FormReplaceTest, ADatabaseWithAPropertyNamedEndKeepsItsName) {
  dir_.Write("D.dfm", Crlf("object DataModule1: TDataModule\n"
                           "  object DB1: TDatabase\n"
                           "    End = 1\n"
                           "    DatabaseName = 'Sales'\n"
                           "  end\n"
                           "end\n"));
  r_.CollectDatabaseNames(dir_ / "D.dfm");
  EXPECT_EQ(u"DataModule1.DB1", r_.DatabaseMap().Values(u"Sales"));
}

// --- Damaged forms ------------------------------------------------------------------

// Pieces that upset a scan that counts keywords: what a careless edit or a
// bad merge leaves in a form.
const char* const kPieces[] = {
    "end\r\n",
    "  end\r\n",
    "object Q: TQuery\r\n",
    "End = 1\r\n",
    "item\r\n",
    "<",
    ">",
    "(",
    ")",
    "'",
    "{",
    "}",
    "inherited X: TTable ",
    "inline ",
    " = ",
    ".",
    "end.",
    "\0",
    "\xFF",
    "object ",
    ": TTable",
    "TDatabase\r\n",
    "[3]",
    "#",
    "\r",
    "end>",
    "  Items = <\r\n",
    "object Form1: TForm1\r\n",
};

// One random change of the form's bytes.
std::string Mutate(std::string form, std::mt19937& rng) {
  const auto pick = [&rng](size_t n) {
    return n == 0 ? size_t{0} : std::uniform_int_distribution<size_t>(0, n - 1)(rng);
  };
  const size_t at = pick(form.size() + 1);
  switch (pick(5)) {
    case 0: {  // insert a piece
      const char* piece = kPieces[pick(std::size(kPieces))];
      form.insert(at, piece[0] == '\0' ? std::string(1, '\0') : std::string(piece));
      break;
    }
    case 1:  // cut a stretch
      form.erase(at, pick(64) + 1);
      break;
    case 2:  // repeat a stretch
      form.insert(at, form.substr(pick(form.size() + 1), pick(200) + 1));
      break;
    case 3:  // flip a byte
      if (!form.empty()) form[pick(form.size())] = static_cast<char>(pick(256));
      break;
    default:  // cut the end off
      form.resize(at);
      break;
  }
  return form;
}

// Converts bytes as a run does, on a worker's parser; the error it stored.
std::exception_ptr ConvertBytes(const TComponentReplacer& r, TFormParser& parser,
                                const std::string& bytes) {
  String formText;
  TFileConversion conversion;
  r.ConvertFile(u"/nowhere/F.dfm", bytes, u"/nowhere/out/F.dfm", parser, formText, conversion);
  return conversion.Error;
}

// The errors a form's conversion documents: a damaged binary form (on
// reading, or a converted text that no longer converts to binary).
bool IsDocumented(const std::exception_ptr& error, std::string& what) {
  try {
    std::rethrow_exception(error);
  } catch (const EFormFormatError&) {
    return true;
  } catch (const std::exception& e) {
    what = e.what();
  } catch (...) {
    what = "an exception of an unknown type";
  }
  return false;
}

TEST(FormReplaceMutations, NoDamagedFormEndsAConversionWithAnUndocumentedError) {
  TProfilesScope profiles;
  TComponentReplacer& r = BdeReplacer();
  r.DatabaseMap().Clear();
  r.DatabaseMap().SetValue(u"Sales", u"DataModule1.DB1");
  const std::unique_ptr<TFormParser> parser = r.NewFormParser();
  const char* const forms[] = {"bde/Main.dfm",    "ado/Orders.dfm", "dbmap/DataModule1.dfm",
                               "dbmap/Form2.dfm", "raw/Legacy.dfm", "utf8/Caisse.dfm"};
  std::mt19937 rng(20240607);  // fixed: a failure names the mutant to reproduce
  int binaries = 0;
  for (const char* name : forms) {
    const std::string text = ReadData(name);
    // The same form in binary, damaged the same ways.
    std::string binary;
    try {
      binary = ObjectTextToBinary(TEncoding::Default().GetString(text));
      ++binaries;
    } catch (const EFormFormatError&) {
      // A form the binary format cannot carry is damaged as text only.
    }
    for (int i = 0; i < 300; ++i) {
      std::string mutant = Mutate(text, rng);
      if (i % 3 == 0) mutant = Mutate(std::move(mutant), rng);
      std::string what;
      const std::exception_ptr error = ConvertBytes(r, *parser, mutant);
      EXPECT_TRUE(!error || IsDocumented(error, what))
          << name << ", text mutant " << i << ": " << what << "\n"
          << mutant;
      if (binary.empty()) continue;
      const std::string damaged = Mutate(binary, rng);
      const std::exception_ptr binaryError = ConvertBytes(r, *parser, damaged);
      EXPECT_TRUE(!binaryError || IsDocumented(binaryError, what))
          << name << ", binary mutant " << i << ": " << what;
    }
  }
  EXPECT_GT(binaries, 0);
}

// A property rule with a fault of its own: what the converter does with an
// error that is none of its documented ones.
class TFaultyRuleParser : public TFormParser {
 public:
  using TFormParser::TFormParser;
  void ConvertProperty(StringView, StringView) override {
    throw std::length_error("basic_string::_M_create");
  }
};

TEST(FormReplaceFaults, AnInternalErrorNamesTheFileItStoppedAt) {
  TProfilesScope profiles;
  TFaultyRuleParser parser(StateClassOf<TFormParseState>);
  const std::exception_ptr error =
      ConvertBytes(BdeReplacer(), parser,
                   "object Form1: TForm1\r\n  object Q: TQuery\r\n    Tag = 1\r\n  end\r\nend\r\n");
  ASSERT_TRUE(error);
  try {
    std::rethrow_exception(error);
  } catch (const Exception& e) {
    EXPECT_EQ(u"/nowhere/F.dfm: the file could not be converted: basic_string::_M_create",
              e.Message());
  } catch (...) {
    ADD_FAILURE() << "not turned into an Exception";
  }
}

}  // namespace
