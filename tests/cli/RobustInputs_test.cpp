// mirel-migrate on inputs that once broke a run or were passed over in
// silence, run as a user would: a second run over a migrated project, forms
// with an "end" too many or a property named End, a form whose only mapped
// object does not parse, UTF-16 units with and without their mark, text forms
// with each byte-order mark, and a unit whose form is missing.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "rtl/Encoding.h"
#include "support/CliTest.h"
#include "support/FilesTempDir.h"

using mirel::testing::TRun;
using mirel::testing::TTempDir;
namespace stdfs = std::filesystem;

namespace {

const std::string& kTool = mirel::testing::kCliTool;
const std::string& kExamples = mirel::testing::kExamplesDir;
const std::string kTargets = ", KyAccess, KyProvAccess, KyProvC, KyProvIntf, VantaAccess, VantaMem";

class RobustInputs : public mirel::testing::CliTest {
 protected:
  // Every regular file below rel except the run's own (log, backups), by
  // path relative to rel.
  std::map<std::string, std::string> Files(const std::string& rel) {
    std::map<std::string, std::string> files;
    for (const auto& e : stdfs::recursive_directory_iterator(dir_.Utf8(rel))) {
      const std::string name = stdfs::relative(e.path(), dir_.Utf8(rel)).string();
      if (!e.is_regular_file() || name.rfind("RBackup", 0) == 0 || name == "Wiz_Log.txt") continue;
      files[name] = dir_.Read(rel + "/" + name);
    }
    return files;
  }

  static bool Has(const std::string& text, const std::string& what) {
    return text.find(what) != std::string::npos;
  }
};

}  // namespace

TEST_F(RobustInputs, ASecondReplaceOverAMigratedProjectChangesNothing) {
  stdfs::copy(kExamples + "/bde", dir_.Utf8("OrderDesk"), stdfs::copy_options::recursive);
  TRun first = Run("replace --project OrderDesk/OrderDesk.dpr");
  ASSERT_EQ(0, first.code) << first.err;
  const auto migrated = Files("OrderDesk");
  ASSERT_TRUE(Has(migrated.at("Main.pas"), "DBTables" + kTargets + ";"));

  // By mistake, or after a run that was stopped: nothing left to do.
  TRun second = Run("replace --project OrderDesk/OrderDesk.dpr");
  ASSERT_EQ(0, second.code) << second.err;
  EXPECT_TRUE(Has(second.out, "0 file(s) changed.")) << second.out;
  EXPECT_EQ(migrated, Files("OrderDesk"));
  const std::string log = dir_.Read("OrderDesk/Wiz_Log.txt");
  EXPECT_FALSE(Has(log, " change(s)")) << log;
}

TEST_F(RobustInputs, TheAdoProfileAfterTheBdeOneAddsNoUnitTwice) {
  dir_.MakeFolder("Both");
  dir_.Write("Both/Orders.pas",
             "unit Orders;\r\ninterface\r\nuses Classes, DBTables, ADODB;\r\n"
             "type TOrders = class\r\n  Q: TQuery;\r\n  A: TADOQuery;\r\nend;\r\n"
             "implementation\r\nend.\r\n");
  ASSERT_EQ(0, Run("replace --folder Both --no-backup").code);
  ASSERT_EQ(0, Run("replace --profile ado --folder Both --no-backup").code);
  EXPECT_EQ("unit Orders;\r\ninterface\r\nuses Classes, DBTables" + kTargets +
                ", ADODB;\r\n"
                "type TOrders = class\r\n  Q: TKyQuery;\r\n  A: TKyQuery;\r\nend;\r\n"
                "implementation\r\nend.\r\n",
            dir_.Read("Both/Orders.pas"));
}

TEST_F(RobustInputs, FormsWithAnEndTooManyOrAPropertyNamedEndAreConverted) {
  dir_.MakeFolder("in");
  dir_.Write("in/Extra.dfm",
             "object Form1: TForm1\r\n  Left = 1\r\nend\r\nend\r\n"
             "object Query1: TQuery\r\n  SQL.Strings = (\r\n    'x')\r\nend\r\n");
  dir_.Write("in/Named.dfm",
             "object Form1: TForm1\r\n"
             "  object L1: TLabel\r\n    End = 1\r\n  end\r\n"
             "  object L2: TLabel\r\n    End = 2\r\n  end\r\n"
             "  object Query1: TQuery\r\n    SQL.Strings = (\r\n      'x')\r\n  end\r\nend\r\n");
  TRun r = Run("convert in/Extra.dfm in/Named.dfm out");
  // Once: "basic_string::_M_create", no file named, and nothing converted.
  ASSERT_EQ(0, r.code) << r.err;
  EXPECT_EQ("", r.err);
  EXPECT_TRUE(Has(dir_.Read("out/Extra.dfm"), "\r\nobject Query1: TKyQuery\r\n  SQL.Strings"));
  EXPECT_TRUE(Has(dir_.Read("out/Named.dfm"), "\r\n  object Query1: TKyQuery\r\n    SQL.Strings"));
}

TEST_F(RobustInputs, AFormWhoseOnlyMappedObjectDoesNotParseNamesTheClassItsUnitDeclares) {
  dir_.MakeFolder("App");
  dir_.Write("App/Main.pas",
             "unit Main;\r\ninterface\r\nuses Forms, DBTables;\r\n"
             "type TForm1 = class(TForm)\r\n  Query1: TQuery;\r\nend;\r\n"
             "implementation\r\n{$R *.dfm}\r\nend.\r\n");
  dir_.Write("App/Main.dfm",
             "object Form1: TForm1\r\n  object Query1: TQuery\r\n    Tag = @\r\n  end\r\nend\r\n");
  TRun r = Run("replace --folder App --no-backup");
  ASSERT_EQ(0, r.code) << r.err;
  EXPECT_TRUE(Has(dir_.Read("App/Main.pas"), "Query1: TKyQuery;"));
  EXPECT_EQ("object Form1: TForm1\r\n  object Query1: TKyQuery\r\n    Tag = @\r\n  end\r\nend\r\n",
            dir_.Read("App/Main.dfm"));
  const std::string log = dir_.Read("App/Wiz_Log.txt");
  EXPECT_TRUE(
      Has(log, "Object Query1: TQuery could not be converted; only its class name was replaced"));
}

TEST_F(RobustInputs, Utf16UnitsAreConvertedWithTheirMarkOrNamedWithoutIt) {
  const mirel::String unit = u"unit Main;\r\nuses DBTables;\r\nvar Q: TQuery;\r\nend.\r\n";
  dir_.MakeFolder("in");
  dir_.Write("in/Big.pas", "\xFE\xFF" + mirel::TEncoding::BigEndianUnicode().GetBytes(unit));
  dir_.Write("in/Bare.pas", mirel::TEncoding::Unicode().GetBytes(unit));
  TRun r = Run("convert in/Big.pas in/Bare.pas out");
  ASSERT_EQ(0, r.code) << r.err;
  EXPECT_EQ("\xFE\xFF" + mirel::TEncoding::BigEndianUnicode().GetBytes(
                             u"unit Main;\r\nuses DBTables" + mirel::FromUtf8(kTargets) +
                             u";\r\nvar Q: TKyQuery;\r\nend.\r\n"),
            dir_.Read("out/Big.pas"));
  EXPECT_TRUE(Has(r.out, "Processing file: " + dir_.Utf8("in/Bare.pas") +
                             "\nThe file looks like UTF-16 text without a byte-order mark; it was "
                             "read as windows-1252 text\nNo changes\n"))
      << r.out;
  EXPECT_FALSE(dir_.Exists("out/Bare.pas"));
}

// form-to-binary reads text forms as a run does: a UTF-16 form of either byte
// order gives the binary form of its UTF-8 twin.
TEST_F(RobustInputs, FormTextWithAnyByteOrderMarkBecomesTheSameBinaryForm) {
  const mirel::String form = u"object Form1: TForm1\r\n  Caption = 'Gr\u00FC\u00DFe'\r\nend\r\n";
  dir_.Write("Utf8.txt", "\xEF\xBB\xBF" + mirel::ToUtf8(form));
  dir_.Write("Le.txt", "\xFF\xFE" + mirel::TEncoding::Unicode().GetBytes(form));
  dir_.Write("Be.txt", "\xFE\xFF" + mirel::TEncoding::BigEndianUnicode().GetBytes(form));
  for (const char* name : {"Utf8", "Le", "Be"}) {
    const TRun r = Run(std::string("form-to-binary ") + name + ".txt " + name + ".dfm");
    ASSERT_EQ(0, r.code) << name << ": " << r.err;
  }
  EXPECT_NE(std::string::npos, dir_.Read("Utf8.dfm").find("Gr\xFC\xDF"));
  EXPECT_EQ(dir_.Read("Utf8.dfm"), dir_.Read("Le.dfm"));
  EXPECT_EQ(dir_.Read("Utf8.dfm"), dir_.Read("Be.dfm"));
}

TEST_F(RobustInputs, AUnitWhoseFormIsMissingSaysSo) {
  dir_.MakeFolder("App");
  dir_.Write("App/Main.pas", "unit Main;\r\nuses DBTables;\r\n{$R *.dfm}\r\nend.\r\n");
  TRun r = Run("replace --folder App --no-backup");
  ASSERT_EQ(0, r.code) << r.err;
  EXPECT_TRUE(
      Has(dir_.Read("App/Wiz_Log.txt"), "Form file not found: " + dir_.Utf8("App/Main.DFM")));
}
