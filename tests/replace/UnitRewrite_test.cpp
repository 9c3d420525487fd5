// The Pascal side of the replacer: uses clauses, identifiers and comments, and
// the form files that resource directives name, on units written to a
// temporary folder and converted with the BDE profile.
#include <gtest/gtest.h>

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
    r_.OnLogLine = [this](StringView line) { last_ = ToUtf8(line); };
  }
  void TearDown() override { r_.OnLogLine = nullptr; }

  // Converts a unit written as Main.pas (or `name`); the output, or
  // "<missing>" when the unit was left alone.
  std::string Convert(std::string_view source, const char* name = "Main.pas") {
    dir_.Write(name, source);
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
};

using Names = std::vector<std::string>;

// --- uses clauses and identifiers ---------------------------------------------------

TEST_F(UnitRewriteTest, SourceUnitInAnyCaseGetsTheTargetsAfterIt) {
  EXPECT_EQ("uses Windows, dbtables" + kTargets + ", Forms;\r\n",
            Convert("uses Windows, dbtables, Forms;\r\n"));
  EXPECT_EQ("1 change(s)", last_);
  EXPECT_EQ(1, r_.ChangedCount());
}

TEST_F(UnitRewriteTest, ConvertingTwiceAddsTheTargetsTwice) {
  const std::string once = Convert("uses DBTables;");
  EXPECT_EQ("uses DBTables" + kTargets + kTargets + ";", Convert(once));
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
