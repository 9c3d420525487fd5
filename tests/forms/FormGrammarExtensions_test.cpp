// Child-order indexes in headers and typed numbers: forms written by the IDE
// for inherited forms and by the binary-to-text conversion hold both.
#include <gtest/gtest.h>

#include "support/FormTestText.h"

#include "forms/KyFormParser.h"
#include "rtl/KyClasses.h"

using namespace mirel;
using mirel::testing::Crlf;
using mirel::testing::Joined;

namespace {

// Parses the object at the first keyword; "FAIL" or the written object.
String Rewrite(TFormParser& p, StringView lfText, StringView target, int depth) {
  const String text = Crlf(lfText);
  int pos = static_cast<int>(text.find_first_not_of(u' ')) + 1;
  p.SetTargetClass(target);
  if (!p.Parse(text, u"<object>", pos)) return u"FAIL";
  return p.WriteObject(depth);
}

class FormGrammarExtensions : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const TClassInfo* cls : KyTargetClasses()) RegisterClass(*cls);
    parser_.OnLookupValue = [](StringView, StringView value, String& answer) {
      if (value == u"Sales") answer = u"DataModule1.DB1";
    };
  }
  void TearDown() override {
    for (const TClassInfo* cls : KyTargetClasses()) UnRegisterClass(*cls);
  }
  TKyFormParser parser_;
};

}  // namespace

TEST_F(FormGrammarExtensions, ChildOrderIndexIsKeptAfterTheNewClassName) {
  EXPECT_EQ(Crlf(u"  object tblOrders: TKyTable [3]\n"
                 u"    Connection = DataModule1.DB1\n"
                 u"    TableName = 'orders'\n"
                 u"  end\n"),
            Rewrite(parser_,
                    u"  object tblOrders: TTable [3]\n"
                    u"    DatabaseName = 'Sales'\n"
                    u"    TableName = 'orders'\n"
                    u"  end\n",
                    u"TKyTable", 1));
  EXPECT_EQ(Crlf(u"inherited Panel1: TPanel [0]\nend\n"),
            Rewrite(parser_, u"inherited Panel1: TPanel [0]\nend\n", u"", 0));
  EXPECT_EQ(Crlf(u"object T: TKyTable [-12]\nend\n"),
            Rewrite(parser_, u"object T :TTable[-12]\nend\n", u"TKyTable", 0));
  // A nested object's index stays in its text; it is not the parent's.
  EXPECT_EQ(Crlf(u"object F: TForm\n  inherited P: TPanel [1]\n  end\nend\n"),
            Rewrite(parser_, u"object F: TForm\n  inherited P: TPanel [1]\n  end\nend\n", u"", 0));
  for (const char16_t* bad : {u"object T: TTable []\nend\n", u"object T: TTable [x]\nend\n",
                              u"object T: TTable [3\nend\n"})
    EXPECT_EQ(u"FAIL", Rewrite(parser_, bad, u"TKyTable", 0)) << ToUtf8(bad);
}

TEST_F(FormGrammarExtensions, TypedNumbersInValuesListsAndCollectionItems) {
  EXPECT_EQ(Crlf(u"  object spGet: TKyStoredProc\n"
                 u"    StoredProcName = 'sp_get;1'\n"
                 u"  end\n"),
            Rewrite(parser_,
                    u"  object spGet: TADOStoredProc\n"
                    u"    ProcedureName = 'sp_get;1'\n"
                    u"    Parameters = <\n"
                    u"      item\n"
                    u"        Name = '@RETURN_VALUE'\n"
                    u"        Value = Null\n"
                    u"      end\n"
                    u"      item\n"
                    u"        Name = '@Amount'\n"
                    u"        Value = 0c\n"
                    u"      end\n"
                    u"      item\n"
                    u"        Name = '@Ratio'\n"
                    u"        Value = 1.5s\n"
                    u"      end>\n"
                    u"  end\n",
                    u"TKyStoredProc", 1));

  TFormParser plain;
  struct Row {
    const char16_t* value;
    bool accepted;
  };
  const Row rows[] = {
      {u"0c", true},
      {u"1.5s", true},
      {u"45000.5d", true},
      {u"45000d", true},
      {u"-1.5e+3s", true},
      {u"+2c", true},
      {u"1E5d", true},
      {u"12.0000C", true},
      {u"(1.5s 2c -3d 4)", true},
      {u"<\n    item\n      V = -0.25c\n    end>", true},
      {u"1.5x", false},
      {u"1.5sx", false},
      {u"c1", true /* a name */},
      {u"1.5 s", false},
      {u"(1.5q)", false},
  };
  for (const Row& r : rows) {
    const String text = u"object O: TX\n  P = " + String(r.value) + u"\nend\n";
    const String out = Rewrite(plain, text, u"", 0);
    EXPECT_EQ(r.accepted, out != u"FAIL") << ToUtf8(r.value);
    if (r.accepted && out != u"FAIL") {  // handed to the rules exactly as written
      ASSERT_EQ(1u, plain.Properties().size());
      EXPECT_EQ(Crlf(r.value), Joined(plain.Properties()[0].Values));
    }
  }
}
