// A project that uses visual form inheritance and frames, run as a user
// would: the ancestor form is text, the descendant binary, and a data module
// happens to be called Ttable. After the run every form must still load
// against its converted unit, and a restore must give the project back.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/CliTest.h"

using mirel::testing::CliTest;
using mirel::testing::TRun;
namespace stdfs = std::filesystem;

namespace {

const std::string kProject = std::string(MIREL_TEST_DATA_DIR) + "/cli/inherited";

class FormInheritance : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    if (IsSkipped()) return;
    stdfs::copy(kProject, dir_.Utf8("Inh"));
    // The descendant is a binary form, as most inherited forms in the wild.
    ASSERT_EQ(0, Run("form-to-binary Inh/ChildFrm.txt Inh/ChildFrm.dfm").code);
    stdfs::remove(dir_.Utf8("Inh/ChildFrm.txt"));
    stdfs::copy(dir_.Utf8("Inh"), dir_.Utf8("Original"));
  }
};

TEST_F(FormInheritance, AncestorAndDescendantFormsConvertTogetherAndRestore) {
  TRun r = Run("replace --project Inh/Inh.dpr");
  ASSERT_EQ(0, r.code) << r.err;

  EXPECT_EQ(
      "object BaseForm: TBaseForm\n"
      "  Caption = 'Base'\n"
      "  object DB1: TKyConnection\n"
      "  end\n"
      "  object quElement: TKyQuery\n"
      "    Connection = BaseForm.DB1\n"
      "    SQL.Strings = (\n"
      "            'select 1')\n"
      "    Left = 8\n"
      "  end\n"
      "end\n",
      dir_.Read("Inh/BaseFrm.dfm"));
  // The descendant's own values are converted by the same rules, its
  // database name through the database on its own form (keyed by its
  // inherited root), its child order kept, the frame's inner object too.
  ASSERT_EQ(0, Run("form-to-text Inh/ChildFrm.dfm Child.txt").code);
  EXPECT_EQ(
      "inherited ChildForm: TChildForm\r\n"
      "  Caption = 'Child'\r\n"
      "  inherited quElement: TKyQuery [1]\r\n"
      "    Connection = ChildForm.DB2\r\n"
      "    SQL.Strings = (\r\n"
      "      'select 2')\r\n"
      "  end\r\n"
      "  inline Frame1: TOrderFrame [2]\r\n"
      "    inherited quFrame: TKyQuery\r\n"
      "      SQL.Strings = (\r\n"
      "        'select 3')\r\n"
      "    end\r\n"
      "  end\r\n"
      "  object DB2: TKyConnection\r\n"
      "  end\r\n"
      "end\r\n",
      dir_.Read("Child.txt"));

  // The data module called Ttable keeps its class in its form and its unit;
  // the BDE query on it is converted.
  EXPECT_EQ(
      "object table: Ttable\n"
      "  object Query1: TKyQuery\n"
      "    Connection = BaseForm.DB1\n"
      "  end\n"
      "end\n",
      dir_.Read("Inh/Web.dfm"));
  const std::string web = dir_.Read("Inh/Web.pas");
  EXPECT_NE(std::string::npos, web.find("  Ttable = class(TWebDataModule)\n    Query1: TKyQuery;"));
  EXPECT_NE(std::string::npos, web.find("  table: Ttable;"));
  const std::string log = dir_.Read("Inh/Wiz_Log.txt");
  EXPECT_NE(std::string::npos,
            log.find("Class Ttable is declared in this unit; its name was left unchanged"));
  EXPECT_NE(std::string::npos,
            log.find("Object table: Ttable is the form itself; its class was left unchanged"));

  r = Run("restore Inh/RBackup/RExpert.reu");
  ASSERT_EQ(0, r.code) << r.err;
  for (const auto& e : stdfs::directory_iterator(dir_.Utf8("Original"))) {
    const std::string name = e.path().filename().string();
    EXPECT_EQ(dir_.Read("Original/" + name), dir_.Read("Inh/" + name)) << name;
  }
}

}  // namespace
