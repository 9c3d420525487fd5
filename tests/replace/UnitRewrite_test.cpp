// The Pascal side of the replacer: uses clauses, identifiers and comments, and
// the form files that resource directives name, on units written to a
// temporary folder and converted with the BDE profile.
#include <gtest/gtest.h>

#include <filesystem>

#include "replace/KyReplacer.h"
#include "replace/Replacer.h"
#include "support/FilesTempDir.h"

using namespace mirel;
using mirel::testing::TTempDir;

namespace {

const std::string kTargets = ", KyAccess, KyProvAccess, KyProvC, KyProvIntf, VantaAccess, VantaMem";

class UnitRewriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.MakeFolder("out");
    r_.Units().Clear();
    r_.SetChangedCount(0);
    r_.OnLogLine = [this](StringView line) {
      last_ = ToUtf8(line);
      log_.push_back(last_);
    };
  }
  void TearDown() override { r_.OnLogLine = nullptr; }

  // Converts a unit written as Main.pas (or `name`); the output, or
  // "<missing>" when the unit was left alone.
  std::string Convert(std::string_view source, const char* name = "Main.pas") {
    dir_.Write(name, source);
    std::filesystem::remove(dir_.Utf8(std::string("out/") + name));
    r_.ProcessFile(dir_ / name, dir_ / "out");
    return dir_.Read(std::string("out/") + name);
  }
  // The form files the unit's directives added, relative to the folder.
  std::vector<std::string> Forms() const {
    std::vector<std::string> forms;
    for (const TStringList::Item& item : r_.Units().Items())
      forms.push_back(ToUtf8(item.text.substr(dir_.Path().size() + 1)));
    return forms;
  }

  TProfilesScope profiles_;
  TComponentReplacer& r_ = BdeReplacer();
  TTempDir dir_;
  std::string last_;
  std::vector<std::string> log_;
};

using Names = std::vector<std::string>;

// --- uses clauses and identifiers ---------------------------------------------------

TEST_F(UnitRewriteTest, SourceUnitInAnyCaseGetsTheTargetsAfterIt) {
  EXPECT_EQ("uses Windows, dbtables" + kTargets + ", Forms;\r\n",
            Convert("uses Windows, dbtables, Forms;\r\n"));
  EXPECT_EQ("1 change(s)", last_);
  EXPECT_EQ(1, r_.ChangedCount());
}

TEST_F(UnitRewriteTest, ConvertingTwiceChangesNothingTheSecondTime) {
  const std::string once = Convert("uses DBTables;");
  EXPECT_EQ("uses DBTables" + kTargets + ";", once);
  // Twice the target units would no longer compile.
  EXPECT_EQ("<missing>", Convert(once));
  EXPECT_EQ("No changes", last_);
}

TEST_F(UnitRewriteTest, TargetUnitsTheClauseAlreadyNamesAreNotAddedAgain) {
  struct Row {
    const char* source;
    const char* converted;  // "<missing>" when nothing is added
  };
  const Row rows[] = {
      // Named before or after the source unit, in any case: only the others.
      {"uses KYACCESS, DBTables, Forms;",
       "uses KYACCESS, DBTables, KyProvAccess, KyProvC, KyProvIntf, VantaAccess, VantaMem, "
       "Forms;"},
      {"uses DBTables, vantamem, KyProvC;",
       "uses DBTables, KyAccess, KyProvAccess, KyProvIntf, VantaAccess, vantamem, KyProvC;"},
      // All of them already there, across lines and comments.
      {"uses DBTables, { kept } KyAccess,\r\n  KyProvAccess, KyProvC, KyProvIntf,\r\n"
       "  VantaAccess, VantaMem;",
       "<missing>"},
      // The source unit twice in one clause: the targets once.
      {"uses DBTables, DBTables;",
       "uses DBTables, KyAccess, KyProvAccess, KyProvC, KyProvIntf, "
       "VantaAccess, VantaMem, DBTables;"},
      // A unit of another clause does not count: each clause is its own.
      {"uses KyAccess; implementation uses DBTables;",
       "uses KyAccess; implementation uses DBTables, KyAccess, KyProvAccess, KyProvC, "
       "KyProvIntf, VantaAccess, VantaMem;"},
  };
  for (const Row& row : rows) EXPECT_EQ(row.converted, Convert(row.source)) << row.source;
}

TEST_F(UnitRewriteTest, TheSecondProfileAddsOnlyWhatTheFirstDidNot) {
  // A unit of both worlds, run with the BDE profile and then with the ADO
  // one: both profiles use the same target units, so the second adds none.
  const std::string bde =
      Convert("uses DBTables, ADODB;\r\nvar Q: TQuery; A: TADOQuery;\r\n", "Both.pas");
  EXPECT_EQ("uses DBTables" + kTargets + ", ADODB;\r\nvar Q: TKyQuery; A: TADOQuery;\r\n", bde);
  dir_.Write("Both.pas", bde);
  AdoReplacer().ProcessFile(dir_ / "Both.pas", dir_ / "out");
  EXPECT_EQ("uses DBTables" + kTargets + ", ADODB;\r\nvar Q: TKyQuery; A: TKyQuery;\r\n",
            dir_.Read("out/Both.pas"));
}

TEST_F(UnitRewriteTest, ATargetListWithMissingUnitsAddsJustThose) {
  // A profile of our own whose target units partly stand in the clause.
  TReplaceOptions options(u"Test");
  TComponentReplacer r(FormParserClassOf<TFormParser>, u"OldDb", u", NewA,NewB , NewC", options);
  dir_.Write("U.pas", "uses OldDb, newb;");
  r.ProcessFile(dir_ / "U.pas", dir_ / "out");
  EXPECT_EQ("uses OldDb, NewA, NewC, newb;", dir_.Read("out/U.pas"));
  // None there: the text as the profile gives it, unchanged.
  dir_.Write("V.pas", "uses OldDb;");
  r.ProcessFile(dir_ / "V.pas", dir_ / "out");
  EXPECT_EQ("uses OldDb, NewA,NewB , NewC;", dir_.Read("out/V.pas"));
}

TEST_F(UnitRewriteTest, SourceUnitOutsideAUsesClauseIsLeftAlone) {
  // A clause ends at its semicolon; 'uses' in a string opens none.
  EXPECT_EQ("<missing>", Convert("uses Forms; var DBTables: Integer;\r\n"
                                 "begin Log('uses', DBTables); end."));
  EXPECT_EQ("No changes", last_);
  EXPECT_EQ(0, r_.ChangedCount());
}

TEST_F(UnitRewriteTest, ClassNamesInCodeAndEveryKindOfCommentAreCounted) {
  EXPECT_EQ(
      "var Q: TKyQuery; { TKyQuery } // TKyTable\r\n"
      "(* EKyProvError *) if X is TKyStoredProc then S := 'TQuery';",
      Convert("var Q: TQuery; { tquery } // TTable\r\n"
              "(* EDBEngineError *) if X is TStoredProc then S := 'TQuery';"));
  EXPECT_EQ("5 change(s)", last_);
}

TEST_F(UnitRewriteTest, UnitWithNothingToConvertIsNotWritten) {
  EXPECT_EQ("<missing>", Convert("unit A; interface uses Forms, DB; type T = TDataSource; end."));
  EXPECT_EQ("No changes", last_);
}

TEST_F(UnitRewriteTest, ProjectFilesConvertLikeUnits) {
  EXPECT_EQ("program P; uses DBTables" + kTargets + ", Main in 'Main.pas';",
            Convert("program P; uses DBTables, Main in 'Main.pas';", "P.dpr"));
}

// --- resource directives --------------------------------------------------------------

TEST_F(UnitRewriteTest, StarDirectiveFindsTheFormBesideTheUnitInAnyCase) {
  dir_.Write("main.dfm", "x");
  Convert("{$R *.dfm}");
  EXPECT_EQ(Names{"main.dfm"}, Forms());

  // The exact name wins over a case variant.
  r_.Units().Clear();
  dir_.Write("Main.DFM", "x");
  Convert("{$R *.dfm}");
  EXPECT_EQ(Names{"Main.DFM"}, Forms());
}

TEST_F(UnitRewriteTest, DirectiveFormsAndWhatTheyName) {
  struct Row {
    const char* directive;
    Names forms;
  };
  dir_.Write("Main.dfm", "x");
  dir_.Write("Main.nfm", "x");
  dir_.Write("Unit1.dfm", "x");
  dir_.Write("Form_2.DFM", "x");
  const Row rows[] = {
      {"{$R *.DFM}", {"Main.dfm"}},
      {"{$RESOURCE *.nfm}", {"Main.nfm"}},
      {"{$r Main.dfm}", {"Main.dfm"}},
      {"{$R 'Main.dfm'}", {"Main.dfm"}},
      {"{$R Unit1.dfm}", {"Unit1.dfm"}},  // digits belong to the name
      {"{$R form_2.dfm}", {"Form_2.DFM"}},
      {"{$R '*.dfm'}", {}},  // no blank before the star
      {"{$R *.dfmx}", {}},   // another extension
      {"{$R *.res}", {}},
      {"{$R Missing.dfm}", {}},
      {"{$R .dfm}", {}},
      {"{$R *.df}", {}},
      {"{$Rx *.dfm}", {}},
  };
  for (const Row& row : rows) {
    r_.Units().Clear();
    // A directive is never changed, so the unit is not written.
    EXPECT_EQ("<missing>", Convert(row.directive)) << row.directive;
    EXPECT_EQ(row.forms, Forms()) << row.directive;
  }
}

TEST_F(UnitRewriteTest, AFormADirectiveNamesThatIsNotThereIsLogged) {
  EXPECT_EQ("unit Main; var Q: TKyQuery; {$R *.dfm}",
            Convert("unit Main; var Q: TQuery; {$R *.dfm}"));
  EXPECT_EQ((Names{"Processing file: " + dir_.Utf8("Main.pas"),
                   "Form file not found: " + dir_.Utf8("Main.DFM"), "1 change(s)"}),
            log_);
  EXPECT_EQ(Names{}, Forms());
  // A form that is there is taken without a word.
  log_.clear();
  dir_.Write("Other.dfm", "x");
  Convert("{$R Other.dfm}");
  EXPECT_EQ((Names{"Processing file: " + dir_.Utf8("Main.pas"), "No changes"}), log_);
}

TEST_F(UnitRewriteTest, AFormNamedTwiceIsAddedOnce) {
  dir_.Write("Main.dfm", "x");
  Convert("{$R *.dfm} {$R Main.dfm}");
  Convert("{$R *.dfm}");
  EXPECT_EQ(Names{"Main.dfm"}, Forms());
}

TEST_F(UnitRewriteTest, NonLetterBytesAndCodePageCharactersPassThroughUnchanged) {
  // Windows-1252 é and the undefined 81 around a replaced name.
  EXPECT_EQ("{ caf\xE9 TKyTable \x81 }\r\nvar T:\tTKyTable;\n",
            Convert("{ caf\xE9 TTable \x81 }\r\nvar T:\tTTable;\n"));
}

}  // namespace

// --- classes a unit declares itself ----------------------------------------------

TEST_F(UnitRewriteTest, AClassTheUnitDeclaresKeepsItsNameEverywhereInThatUnit) {
  // A data module of its own called Ttable, used before and after its
  // declaration and in a comment; BDE's TQuery in the same unit still goes.
  EXPECT_EQ(
      "unit Web;\r\n"
      "interface\r\n"
      "uses Classes, DBTables" +
          kTargets +
          ";\r\n"
          "type\r\n"
          "  TTable = class;  { the TTable below }\r\n"
          "  Ttable = class(TWebDataModule)\r\n"
          "    Query1: TKyQuery;\r\n"
          "    FNext: TTABLE;\r\n"
          "  end;\r\n"
          "  TTableClass = class of TTable;\r\n"
          "var table: Ttable;\r\n"
          "end.\r\n",
      Convert("unit Web;\r\n"
              "interface\r\n"
              "uses Classes, DBTables;\r\n"
              "type\r\n"
              "  TTable = class;  { the TTable below }\r\n"
              "  Ttable = class(TWebDataModule)\r\n"
              "    Query1: TQuery;\r\n"
              "    FNext: TTABLE;\r\n"
              "  end;\r\n"
              "  TTableClass = class of TTable;\r\n"
              "var table: Ttable;\r\n"
              "end.\r\n"));
  // Said once for the unit, though declared twice in two spellings.
  EXPECT_EQ(
      (Names{"Processing file: " + dir_.Utf8("Main.pas"),
             "Class TTable is declared in this unit; its name was left unchanged", "2 change(s)"}),
      log_);
}

TEST_F(UnitRewriteTest, OnlyAClassDeclarationKeepsAName) {
  // A class reference type, a comparison and a class-typed field declare no
  // class of the mapped name: those still convert.
  EXPECT_EQ(
      "type\r\n"
      "  TQueryClass = class of TKyQuery;\r\n"
      "  TForm1 = class(TForm)\r\n"
      "    Q: TKyQuery;\r\n"
      "  end;\r\n"
      "const IsQuery = TKyQuery = nil;\r\n",
      Convert("type\r\n"
              "  TQueryClass = class of TQuery;\r\n"
              "  TForm1 = class(TForm)\r\n"
              "    Q: TQuery;\r\n"
              "  end;\r\n"
              "const IsQuery = TQuery = nil;\r\n"));
  EXPECT_EQ("3 change(s)", last_);
  // A declaration at the very end of the text counts too.
  EXPECT_EQ("<missing>", Convert("var T: TQuery;\r\ntype TQuery = class"));
  EXPECT_EQ("No changes", last_);
}
