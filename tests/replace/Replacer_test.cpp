// TComponentReplacer on real files: units and forms of tests/data/replace are
// copied into a temporary folder, converted with the profiles, and the output
// compared byte for byte with the expected files beside them.
#include "replace/Replacer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "replace/KyReplacer.h"
#include "rtl/FormConvert.h"
#include "support/FaultyFileSystem.h"
#include "support/FilesTempDir.h"
#include "support/FormTestText.h"

using namespace mirel;
using namespace mirel::testing;
using mirel::testing::TTempDir;

namespace {

using mirel::testing::Crlf;

std::string ReadData(const std::string& rel) {
  std::ifstream in(std::string(MIREL_TEST_DATA_DIR) + "/replace/" + rel, std::ios::binary);
  EXPECT_TRUE(in.good()) << "missing test data " << rel;
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Utf16(std::string_view utf8) {
  return std::string("\xFF\xFE") + TEncoding::Unicode().GetBytes(FromUtf8(utf8));
}

class ReplacerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.MakeFolder("out");
    for (TComponentReplacer* r : {&BdeReplacer(), &AdoReplacer()}) {
      r->Units().Clear();
      r->DatabaseMap().Clear();
      r->SetChangedCount(0);
      r->OnLogLine = [this](StringView line) { log_.push_back(ToUtf8(line)); };
    }
  }
  void TearDown() override {
    for (TComponentReplacer* r : {&BdeReplacer(), &AdoReplacer()}) {
      r->OnLogLine = nullptr;
      r->SetFileSystem(TFileSystem::Real());
    }
  }

  // Copies data files into the temporary folder under their own names.
  void Copy(const std::string& set, std::initializer_list<const char*> names) {
    for (const char* name : names) dir_.Write(name, ReadData(set + "/" + name));
  }
  void Process(TComponentReplacer& r, const char* name) {
    r.ProcessFile(dir_ / name, dir_ / "out");
  }
  std::string Out(const char* name) { return dir_.Read(std::string("out/") + name); }

  TProfilesScope profiles_;
  TTempDir dir_;
  std::vector<std::string> log_;
};

using Log = std::vector<std::string>;

// --- Whole files against checked-in expectations -------------------------------

TEST_F(ReplacerTest, BdeUnitAndItsTextFormConvertAsExpected) {
  Copy("bde", {"Main.pas", "Main.dfm"});
  TComponentReplacer& r = BdeReplacer();
  Process(r, "Main.pas");
  // The unit's {$R *.dfm} hands its form to the run.
  ASSERT_EQ(1, r.Units().Count());
  EXPECT_EQ(dir_ / "Main.dfm", r.Units()[0]);
  r.CollectDatabaseNames(r.Units()[0]);
  Process(r, "Main.dfm");

  EXPECT_EQ(ReadData("bde/expected/Main.pas"), Out("Main.pas"));
  EXPECT_EQ(ReadData("bde/expected/Main.dfm"), Out("Main.dfm"));
  EXPECT_EQ(2, r.ChangedCount());
  EXPECT_EQ((Log{"Processing file: " + dir_.Utf8("Main.pas"), "17 change(s)",
                 "Processing file: " + dir_.Utf8("Main.dfm"), "9 change(s)"}),
            log_);
  // Originals are never written.
  EXPECT_EQ(ReadData("bde/Main.pas"), dir_.Read("Main.pas"));
  EXPECT_EQ(ReadData("bde/Main.dfm"), dir_.Read("Main.dfm"));
}

TEST_F(ReplacerTest, BinaryFormIsConvertedAndWrittenBackBinaryWithItsResourceName) {
  TBinaryFormKind kind;
  kind.HasHeader = true;
  kind.Header.Name = "TFORM1";
  kind.Header.MemoryFlags = 0x1010;  // written back as 0x1030
  const std::string text = ReadData("bde/Main.dfm");
  dir_.Write("Main.dfm", TextToBinaryForm(FromUtf8(text), kind));
  TComponentReplacer& r = BdeReplacer();
  r.CollectDatabaseNames(dir_ / "Main.dfm");
  EXPECT_EQ(u"Form1.Database1", r.DatabaseMap().Values(u"Sales"));
  Process(r, "Main.dfm");

  const std::string out = Out("Main.dfm");
  // FF 0A 00, the name, 00, flags 30 10, then the size of what follows.
  ASSERT_GT(out.size(), 16u);
  EXPECT_EQ(std::string("\xFF\x0A\x00TFORM1\x00\x30\x10", 12), out.substr(0, 12));
  const uint32_t size = static_cast<uint8_t>(out[12]) | static_cast<uint8_t>(out[13]) << 8 |
                        static_cast<uint8_t>(out[14]) << 16 | static_cast<uint32_t>(out[15]) << 24;
  EXPECT_EQ(out.size() - 16, size);
  // The same objects as the text form gives; binary forms carry no layout.
  kind.Header.MemoryFlags = 0x1030;
  EXPECT_EQ(TextToBinaryForm(FromUtf8(ReadData("bde/expected/Main.dfm")), kind), out);
  EXPECT_EQ((Log{"Processing file: " + dir_.Utf8("Main.dfm"), "9 change(s)"}), log_);
}

TEST_F(ReplacerTest, BareObjectStreamStaysBare) {
  Copy("dbmap", {"DataModule1.dfm"});
  dir_.Write("Form2.dfm", ObjectTextToBinary(FromUtf8(ReadData("dbmap/Form2.dfm"))));
  BdeReplacer().CollectDatabaseNames(dir_ / "DataModule1.dfm");
  Process(BdeReplacer(), "Form2.dfm");
  const std::string out = Out("Form2.dfm");
  EXPECT_EQ("TPF0", out.substr(0, 4));
  // Layout aside (binary forms have none), what the text form gives.
  EXPECT_EQ(ObjectTextToBinary(FromUtf8(ReadData("dbmap/expected/Form2.dfm"))), out);
}

TEST_F(ReplacerTest, AdoUnitAndFormConvertAsExpected) {
  Copy("ado", {"Orders.pas", "Orders.dfm"});
  TComponentReplacer& r = AdoReplacer();
  Process(r, "Orders.pas");
  ASSERT_EQ(1, r.Units().Count());  // found through {$R *.DFM}
  Process(r, "Orders.dfm");
  EXPECT_EQ(ReadData("ado/expected/Orders.pas"), Out("Orders.pas"));
  EXPECT_EQ(ReadData("ado/expected/Orders.dfm"), Out("Orders.dfm"));
  EXPECT_EQ((Log{"Processing file: " + dir_.Utf8("Orders.pas"), "7 change(s)",
                 "Processing file: " + dir_.Utf8("Orders.dfm"), "6 change(s)"}),
            log_);
}

TEST_F(ReplacerTest, DatabaseOfADataModuleConnectsAQueryOnAnotherForm) {
  Copy("dbmap", {"DataModule1.dfm", "Form2.dfm"});
  TComponentReplacer& r = BdeReplacer();
  r.CollectDatabaseNames(dir_ / "DataModule1.dfm");
  r.CollectDatabaseNames(dir_ / "Form2.dfm");
  EXPECT_EQ(u"Sales=DataModule1.DB1\r\n", r.DatabaseMap().Text());
  EXPECT_EQ(u"DataModule1.DB1", r.GetDatabaseComponent(u"DatabaseName", u"sales"));
  EXPECT_TRUE(log_.empty());  // collecting logs nothing

  Process(r, "DataModule1.dfm");
  Process(r, "Form2.dfm");
  EXPECT_EQ(ReadData("dbmap/expected/DataModule1.dfm"), Out("DataModule1.dfm"));
  EXPECT_EQ(ReadData("dbmap/expected/Form2.dfm"), Out("Form2.dfm"));
}

TEST_F(ReplacerTest, Utf8FilesKeepTheirMarkAndTheirText) {
  Copy("utf8", {"Caisse.pas", "Caisse.dfm"});
  TComponentReplacer& r = BdeReplacer();
  Process(r, "Caisse.pas");
  Process(r, "Caisse.dfm");
  EXPECT_EQ(ReadData("utf8/expected/Caisse.pas"), Out("Caisse.pas"));
  EXPECT_EQ(ReadData("utf8/expected/Caisse.dfm"), Out("Caisse.dfm"));
}

TEST_F(ReplacerTest, Utf16FilesAreWrittenBackInUtf16WithTheirMark) {
  // The UTF-8 set without its mark, as UTF-16LE with FF FE.
  const std::string pas = ReadData("utf8/Caisse.pas").substr(3);
  const std::string dfm = ReadData("utf8/Caisse.dfm").substr(3);
  dir_.Write("Caisse.pas", Utf16(pas));
  dir_.Write("Caisse.dfm", Utf16(dfm));
  TComponentReplacer& r = BdeReplacer();
  Process(r, "Caisse.pas");
  ASSERT_EQ(1, r.Units().Count());
  Process(r, "Caisse.dfm");
  EXPECT_EQ(Utf16(ReadData("utf8/expected/Caisse.pas").substr(3)), Out("Caisse.pas"));
  EXPECT_EQ(Utf16(ReadData("utf8/expected/Caisse.dfm").substr(3)), Out("Caisse.dfm"));
}

TEST_F(ReplacerTest, BigEndianUtf16FilesAreConvertedAndWrittenBackAsTheyCame) {
  // Once read as "No changes": the mark FE FF was taken for code-page text.
  const auto utf16be = [](const std::string& utf8) {
    return std::string("\xFE\xFF") + TEncoding::BigEndianUnicode().GetBytes(FromUtf8(utf8));
  };
  dir_.Write("Caisse.pas", utf16be(ReadData("utf8/Caisse.pas").substr(3)));
  dir_.Write("Caisse.dfm", utf16be(ReadData("utf8/Caisse.dfm").substr(3)));
  TComponentReplacer& r = BdeReplacer();
  Process(r, "Caisse.pas");
  ASSERT_EQ(1, r.Units().Count());
  Process(r, "Caisse.dfm");
  EXPECT_EQ(utf16be(ReadData("utf8/expected/Caisse.pas").substr(3)), Out("Caisse.pas"));
  EXPECT_EQ(utf16be(ReadData("utf8/expected/Caisse.dfm").substr(3)), Out("Caisse.dfm"));
  EXPECT_EQ(2, r.ChangedCount());
}

TEST_F(ReplacerTest, Utf16WithoutItsMarkIsNamedInTheLogNotPassedOverInSilence) {
  const std::string unit = "unit Main;\r\nuses DBTables;\r\nvar Q: TQuery;\r\n";
  const std::string form = "object Form1: TForm1\r\n  object Q: TQuery\r\n  end\r\nend\r\n";
  dir_.Write("Main.pas", TEncoding::Unicode().GetBytes(FromUtf8(unit)));
  dir_.Write("Main.dfm", TEncoding::BigEndianUnicode().GetBytes(FromUtf8(form)));
  Process(BdeReplacer(), "Main.pas");
  Process(BdeReplacer(), "Main.dfm");
  const std::string note =
      "The file looks like UTF-16 text without a byte-order mark; it was read as windows-1252 "
      "text";
  EXPECT_EQ((Log{"Processing file: " + dir_.Utf8("Main.pas"), note, "No changes",
                 "Processing file: " + dir_.Utf8("Main.dfm"), note, "No changes"}),
            log_);
  EXPECT_FALSE(dir_.Exists("out/Main.pas"));
  EXPECT_FALSE(dir_.Exists("out/Main.dfm"));
  // Code-page text with a NUL or two is not taken for it.
  log_.clear();
  dir_.Write("Nul.pas", std::string("uses DBTables;\0 var Q: TQuery;\0", 31));
  Process(BdeReplacer(), "Nul.pas");
  EXPECT_EQ((Log{"Processing file: " + dir_.Utf8("Nul.pas"), "2 change(s)"}), log_);
}

TEST_F(ReplacerTest, LegacyCodePageBytesLineEndsTabsAndBlanksSurviveByteForByte) {
  Copy("raw", {"Legacy.pas", "Legacy.dfm"});
  TComponentReplacer& r = BdeReplacer();
  Process(r, "Legacy.pas");
  Process(r, "Legacy.dfm");
  EXPECT_EQ(ReadData("raw/expected/Legacy.pas"), Out("Legacy.pas"));
  EXPECT_EQ(ReadData("raw/expected/Legacy.dfm"), Out("Legacy.dfm"));
}

// --- Form scanning ------------------------------------------------------------

// Converts one form given as text with LF line ends (written with CR LF) and
// returns the output, or "<missing>" when nothing was written.
class FormScanTest : public ReplacerTest {
 protected:
  std::string Convert(std::string_view form, bool crlf = true) {
    dir_.Write("F.dfm", crlf ? Crlf(form) : std::string(form));
    Process(BdeReplacer(), "F.dfm");
    return Out("F.dfm");
  }
};

TEST_F(FormScanTest, ClassNamesMatchInAnyCaseAndWorkedExampleComesOutWhole) {
  BdeReplacer().DatabaseMap().SetValue(u"DBDEMOS", u"Form1.Database1");
  EXPECT_EQ(Crlf("object Form1: TForm1\n"
                 "  object Query1: TKyQuery\n"
                 "    Connection = Form1.Database1\n"
                 "    SQL.Strings = (\n"
                 "            'select *'\n"
                 "            'from customer')\n"
                 "    Left = 8\n"
                 "    Top = 16\n"
                 "  end\n"
                 "end\n"),
            Convert("object Form1: TForm1\n"
                    "  object Query1: tquery\n"
                    "    DatabaseName = 'DBDEMOS'\n"
                    "    SQL.Strings = (\n"
                    "      'select *'\n"
                    "      'from customer')\n"
                    "    Left = 8\n"
                    "    Top = 16\n"
                    "  end\n"
                    "end\n"));
}

TEST_F(FormScanTest, FormWithoutMappedObjectsIsNotWritten) {
  EXPECT_EQ("<missing>", Convert("object Form1: TForm1\n"
                                 "  object DataSource1: TDataSource\n"
                                 "    Left = 8\n"
                                 "  end\n"
                                 "end\n"));
  EXPECT_EQ((Log{"Processing file: " + dir_.Utf8("F.dfm"), "No changes"}), log_);
  EXPECT_EQ(0, BdeReplacer().ChangedCount());
}

TEST_F(FormScanTest, ObjectThatDoesNotParseOnlyGetsItsClassAndIsNotCounted) {
  // The '@' makes the query's text no form object; the table still converts.
  const std::string out = Convert(
      "object Form1: TForm1\n"
      "  object Query1: TQuery\n"
      "    Tag = @\n"
      "  end\n"
      "  object Table1: TTable\n"
      "    TableName = 'x'\n"
      "  end\n"
      "end\n");
  EXPECT_EQ(Crlf("object Form1: TForm1\n"
                 "  object Query1: TKyQuery\n"
                 "    Tag = @\n"
                 "  end\n"
                 "  object Table1: TKyTable\n"
                 "    TableName = 'x'\n"
                 "  end\n"
                 "end\n"),
            out);
  EXPECT_EQ((Log{"Processing file: " + dir_.Utf8("F.dfm"),
                 "Object Query1: TQuery could not be converted; only its class name was replaced",
                 "1 change(s)"}),
            log_);
}

TEST_F(FormScanTest, AFormWhoseOnlyMappedObjectDoesNotParseStillGetsItsClassName) {
  // Its unit declares the target class now: the form must name it too, as
  // the log says, or the two no longer load together.
  log_.clear();
  EXPECT_EQ(Crlf("object Form1: TForm1\n  object Query1: TKyQuery\n    Tag = @\n  end\nend\n"),
            Convert("object Form1: TForm1\n  object Query1: TQuery\n    Tag = @\n  end\nend\n"));
  EXPECT_EQ((Log{"Processing file: " + dir_.Utf8("F.dfm"),
                 "Object Query1: TQuery could not be converted; only its class name was replaced",
                 "1 change(s)"}),
            log_);
  EXPECT_EQ(1, BdeReplacer().ChangedCount());
  // And a second run finds nothing left to do.
  dir_.Write("F.dfm", Out("F.dfm"));
  std::filesystem::remove(dir_.Utf8("out/F.dfm"));
  EXPECT_EQ("<missing>", Convert(dir_.Read("F.dfm"), /*crlf=*/false));
  EXPECT_EQ("No changes", log_.back());
}

TEST_F(FormScanTest, DepthCountsInheritedInlineAndCollectionItems) {
  EXPECT_EQ(Crlf("inherited Form1: TForm1\n"
                 "  Items = <\n"
                 "    item\n"
                 "      Value = 1\n"
                 "    end>\n"
                 "  inline Frame1: TFrame1\n"
                 "    object Panel1: TPanel\n"
                 "      object Query1: TKyQuery\n"
                 "        SQL.Strings = (\n"
                 "                    'x')\n"  // depth 3: 10 blanks before the 10 of the line
                 "      end\n"
                 "    end\n"
                 "  end\n"
                 "  object Query2: TKyQuery\n"
                 "  end\n"
                 "end\n"),
            Convert("inherited Form1: TForm1\n"
                    "  Items = <\n"
                    "    item\n"
                    "      Value = 1\n"
                    "    end>\n"
                    "  inline Frame1: TFrame1\n"
                    "    object Panel1: TPanel\n"
                    "      object Query1: TQuery\n"
                    "        SQL.Strings = (\n"
                    "          'x')\n"
                    "      end\n"
                    "    end\n"
                    "  end\n"
                    "  object Query2: TQuery\n"
                    "  end\n"
                    "end\n"));
}

TEST_F(FormScanTest, ComponentNamedLikeAKeywordKeepsTheDepth) {
  // "Item" is a keyword of collections; as a name it opens nothing.
  EXPECT_EQ(Crlf("object Form1: TForm1\n"
                 "  object Item: TMenuItem\n"
                 "  end\n"
                 "  object Query1: TKyQuery\n"
                 "    Left = 8\n"
                 "  end\n"
                 "end\n"),
            Convert("object Form1: TForm1\n"
                    "  object Item: TMenuItem\n"
                    "  end\n"
                    "  object Query1: TQuery\n"
                    "    Left = 8\n"
                    "  end\n"
                    "end\n"));
}

TEST_F(FormScanTest, FormWithBareLineFeedsKeepsThemInTheConvertedObject) {
  EXPECT_EQ(
      "object Form1: TForm1\n"
      "\tobject Query1: TKyQuery\n"
      "    SQL.Strings = (\n"
      "          'x')\n"
      "    Left = 8\n"
      "  end   \n"
      "\t  object Label1: TLabel\n"
      "  end\n"
      "end",
      Convert("object Form1: TForm1\n"
              "\tobject Query1: TQuery\n"
              "    SQL.Strings = (\n"
              "    'x')\n"
              "    Left = 8\n"
              "\tend   \n"
              "\t  object Label1: TLabel\n"
              "  end\n"
              "end",
              false));
}

TEST_F(FormScanTest, BinaryDataInBracesIsCopiedUnchanged) {
  const std::string form =
      "object Form1: TForm1\n"
      "  object Image1: TImage\n"
      "    Picture.Data = {\n"
      "      0954426974 6D6170 TQuery end object}\n"
      "  end\n"
      "  object Query1: TQuery\n"
      "  end\n"
      "end\n";
  const std::string out = Convert(form);
  EXPECT_NE(std::string::npos, out.find(Crlf("      0954426974 6D6170 TQuery end object}\n")));
  EXPECT_NE(std::string::npos, out.find(Crlf("  object Query1: TKyQuery\n  end\n")));
}

TEST_F(FormScanTest, InheritedAndInlineObjectsConvertLikeTheirAncestorsObjects) {
  // The descendant repeats the ancestor's query with values of its own, in
  // its child order; a frame's objects are inherited inside an inline one.
  BdeReplacer().DatabaseMap().SetValue(u"Sales", u"BaseForm.DB1");
  EXPECT_EQ(Crlf("inherited ChildForm: TChildForm\n"
                 "  inherited quElement: TKyQuery [1]\n"
                 "    Connection = BaseForm.DB1\n"
                 "    SQL.Strings = (\n"
                 "            'select 2')\n"  // as the writer indents any converted list
                 "  end\n"
                 "  inline Frame1: TOrderFrame\n"
                 "    inherited quFrame: TKyQuery\n"
                 "      Tag = 3\n"
                 "    end\n"
                 "  end\n"
                 "  inline Frame2: TKyQuery\n"
                 "  end\n"
                 "end\n"),
            Convert("inherited ChildForm: TChildForm\n"
                    "  inherited quElement: TQuery [1]\n"
                    "    DatabaseName = 'Sales'\n"
                    "    SQL.Strings = (\n"
                    "      'select 2')\n"
                    "  end\n"
                    "  inline Frame1: TOrderFrame\n"
                    "    inherited quFrame: TQuery\n"
                    "      Tag = 3\n"
                    "    end\n"
                    "  end\n"
                    "  inline Frame2: TQuery\n"
                    "  end\n"
                    "end\n"));
  EXPECT_EQ("3 change(s)", log_.back());
}

TEST_F(FormScanTest, TheFormsOwnClassIsNeverConvertedWhateverItsName) {
  // A data module whose class happens to be called Ttable.
  EXPECT_EQ(Crlf("object table: Ttable\n"
                 "  object Query1: TKyQuery\n"
                 "  end\n"
                 "end\n"),
            Convert("object table: Ttable\n"
                    "  object Query1: TQuery\n"
                    "  end\n"
                    "end\n"));
  EXPECT_EQ(
      (Log{"Processing file: " + dir_.Utf8("F.dfm"),
           "Object table: Ttable is the form itself; its class was left unchanged", "1 change(s)"}),
      log_);
  log_.clear();
  std::filesystem::remove(dir_.Utf8("out/F.dfm"));
  EXPECT_EQ("<missing>", Convert("inherited Q: TQuery\n  SQL.Strings = (\n    'x')\nend\n"));
}

// --- Database names -----------------------------------------------------------

TEST_F(ReplacerTest, DatabaseNamesAreKeyedByTheRootOfTheFormEvenWhenItIsInherited) {
  dir_.Write("A.dfm", Crlf("inherited Form3: TForm3\n"
                           "  object Panel1: TPanel\n"
                           "  end\n"
                           "  object DB1: TDatabase\n"
                           "    DatabaseName = 'Sales'\n"
                           "  end\n"
                           "  object DB2: TDatabase\n"
                           "    DatabaseName = ''\n"
                           "  end\n"
                           "  object DB3: TDatabase\n"
                           "    DatabaseName = 'a=b'\n"
                           "  end\n"
                           "  object Q: TQuery\n"
                           "    DatabaseName = 'Other'\n"
                           "  end\n"
                           "  object DB4: tdatabase\n"  // class compared exactly
                           "    DatabaseName = 'Lower'\n"
                           "  end\n"
                           "end\n"));
  TComponentReplacer& r = BdeReplacer();
  r.DatabaseMap().SetValue(u"Sales", u"Old.DB");
  r.CollectDatabaseNames(dir_ / "A.dfm");
  // Replaced, not added; empty names and names with '=' name nothing.
  EXPECT_EQ(u"Sales=Form3.DB1\r\n", r.DatabaseMap().Text());
  EXPECT_EQ(u"", r.GetDatabaseComponent(u"DatabaseName", u"Other"));
  EXPECT_THROW(r.GetDatabaseComponent(u"AliasName", u"Sales"), EAssertionFailed);
}

// --- Failures -------------------------------------------------------------------

TEST_F(ReplacerTest, UnreadableInputThrowsAndNothingIsCounted) {
  TComponentReplacer& r = BdeReplacer();
  try {
    r.ProcessFile(dir_ / "Missing.pas", dir_ / "out");
    FAIL() << "no exception";
  } catch (const EFOpenError& e) {
    EXPECT_NE(String::npos, e.Message().find(u"Missing.pas"));
  }
  EXPECT_EQ(0, r.ChangedCount());
}

TEST_F(ReplacerTest, FailedWriteThrowsAndCountsNothing) {
  Copy("bde", {"Main.pas", "Main.dfm"});
  TFaultyFileSystem faulty;
  faulty.FailOn(TFsOp::Write, u"*/out/*", ENOSPC);
  TComponentReplacer& r = BdeReplacer();
  r.SetFileSystem(faulty);
  EXPECT_THROW(Process(r, "Main.pas"), EFCreateError);
  EXPECT_THROW(Process(r, "Main.dfm"), EFCreateError);
  EXPECT_EQ(0, r.ChangedCount());
  EXPECT_FALSE(dir_.Exists("out/Main.pas"));
  // Every read went through the seam too.
  EXPECT_EQ(2, faulty.Calls(TFsOp::Read));
}

TEST_F(ReplacerTest, OutputFolderOfTheOriginalIsRefused) {
  Copy("bde", {"Main.pas"});
  EXPECT_THROW(BdeReplacer().ProcessFile(dir_ / "Main.pas", dir_.Path()), EFCreateError);
  EXPECT_EQ(ReadData("bde/Main.pas"), dir_.Read("Main.pas"));
}

TEST_F(ReplacerTest, DamagedBinaryFormIsRefusedNamingTheFile) {
  dir_.Write("Bad.dfm", std::string("\xFF\x0A\x00"
                                    "F\x00\x30\x10\x05\x00\x00\x00TPF0\x01",
                                    17));
  try {
    Process(BdeReplacer(), "Bad.dfm");
    FAIL() << "no exception";
  } catch (const EFormFormatError& e) {
    EXPECT_NE(String::npos, e.Message().find(u"Bad.dfm"));
  }
  EXPECT_FALSE(dir_.Exists("out/Bad.dfm"));
}

// --- Class map ------------------------------------------------------------------

// A profile that computes the written name: the hook code goes through.
class TPrefixReplacer : public TComponentReplacer {
 public:
  using TComponentReplacer::TComponentReplacer;
  String GetTargetName(StringView source, StringView target) const override {
    return String(target) + u"_" + String(source);
  }
};

TEST(ReplacerClassMap, FirstPairWinsLookupIgnoresCaseAndTheHookNamesCode) {
  TReplaceOptions options(u"Test");
  TPrefixReplacer r(FormParserClassOf<TFormParser>, u"dbtables", u", X", options);
  EXPECT_EQ(u"DBTABLES", r.SourceUnit());
  EXPECT_EQ(u"Test Migration Wizard log", r.Log().LogTitle());
  r.AddClassPair(u"TQuery", u"TKyQuery");
  r.AddClassPair(u"TTable", u"TKyTable");
  r.AddClassPair(u"tquery", u"TOther");
  EXPECT_EQ(3, r.TargetClasses().Count());
  EXPECT_EQ(2, r.ClassMap().Count());
  EXPECT_EQ(u"TKyQuery", *r.FindTargetClass(u"TQUERY"));
  EXPECT_EQ(nullptr, r.FindTargetClass(u"TDataSource"));
  EXPECT_EQ(u"TKyQuery_tQuery", r.ReplaceClassName(u"tQuery"));
  EXPECT_EQ(u"TDataSource", r.ReplaceClassName(u"TDataSource"));

  // Code goes through the hook; comments take the target as it stands.
  TTempDir dir;
  dir.MakeFolder("out");
  dir.Write("U.pas", "var Q: TQuery; { TQuery }");
  r.ProcessFile(dir / "U.pas", dir / "out");
  EXPECT_EQ("var Q: TKyQuery_TQuery; { TKyQuery }", dir.Read("out/U.pas"));
}

}  // namespace

// --- Child-order indexes and typed numbers in whole forms -----------------------

TEST_F(ReplacerTest, IndexedHeadersAndTypedNumbersConvertInsideAForm) {
  dir_.Write("Inh.dfm", Crlf("inherited OrdersForm: TOrdersForm\n"
                             "  Caption = 'Orders'\n"
                             "  object tblOrders: TTable [3]\n"
                             "    DatabaseName = 'Sales'\n"
                             "    TableName = 'orders'\n"
                             "    Left = 8\n"
                             "  end\n"
                             "end\n"));
  BdeReplacer().DatabaseMap().Add(u"Sales=DataModule1.DB1");
  Process(BdeReplacer(), "Inh.dfm");
  EXPECT_EQ(Crlf("inherited OrdersForm: TOrdersForm\n"
                 "  Caption = 'Orders'\n"
                 "  object tblOrders: TKyTable [3]\n"
                 "    Connection = DataModule1.DB1\n"
                 "    TableName = 'orders'\n"
                 "    Left = 8\n"
                 "  end\n"
                 "end\n"),
            Out("Inh.dfm"));

  dir_.Write("Proc.dfm", Crlf("object ProcForm: TProcForm\n"
                              "  object spGet: TADOStoredProc\n"
                              "    ProcedureName = 'sp_get;1'\n"
                              "    Parameters = <\n"
                              "      item\n"
                              "        Name = '@RETURN_VALUE'\n"
                              "        Value = Null\n"
                              "      end\n"
                              "      item\n"
                              "        Name = '@Amount'\n"
                              "        Value = 0c\n"
                              "      end\n"
                              "      item\n"
                              "        Name = '@Ratio'\n"
                              "        Value = 1.5s\n"
                              "      end>\n"
                              "    Left = 16\n"
                              "  end\n"
                              "end\n"));
  Process(AdoReplacer(), "Proc.dfm");
  EXPECT_EQ(Crlf("object ProcForm: TProcForm\n"
                 "  object spGet: TKyStoredProc\n"
                 "    StoredProcName = 'sp_get;1'\n"
                 "    Left = 16\n"
                 "  end\n"
                 "end\n"),
            Out("Proc.dfm"));
}

TEST_F(FormScanTest, ObjectsNestedTooDeeplyAreNotParsedOverAndOver) {
  // With a small stack budget, a chain of 3000 nested queries is too deep to
  // follow; each query inside the first failed one would fail the same way,
  // so they are not parsed again (which would take time growing with the
  // square of the depth) but get their class name only.
  std::string form = "object Form1: TForm1\n";
  const int levels = 3000;
  for (int i = 0; i < levels; ++i) form += "object Q" + std::to_string(i) + ": TQuery\n";
  for (int i = 0; i <= levels; ++i) form += "end\n";
  BdeReplacer().FormParser().SetStackBudget(256 * 1024);
  const std::string out = Convert(form, /*crlf=*/false);
  BdeReplacer().FormParser().SetStackBudget(64u << 20);
  const auto occurrences = [&out](const std::string& what) {
    size_t n = 0;
    for (size_t at = out.find(what); at != std::string::npos; at = out.find(what, at + 1)) ++n;
    return n;
  };
  // The innermost queries fit: the outermost of them is converted, and the
  // ones nested in it are written back as they were.
  const size_t kept = occurrences(": TQuery");
  EXPECT_EQ(static_cast<size_t>(levels), occurrences(": TKyQuery") + kept);
  EXPECT_LT(kept, static_cast<size_t>(levels) / 2);
  EXPECT_EQ("1 change(s)", log_.back());
  size_t parsedAndFailed = 0;
  for (const std::string& line : log_)
    if (line.rfind("Object Q", 0) == 0) ++parsedAndFailed;
  // Without the skipping, nearly every one of the 3000 would be parsed.
  EXPECT_LT(parsedAndFailed, static_cast<size_t>(levels) / 10);
  EXPECT_NE(log_.end(), std::find_if(log_.begin(), log_.end(), [](const std::string& l) {
              return l.find("more object(s) nested too deeply could not be converted") !=
                     std::string::npos;
            }));
}
