#include "forms/KyFormParser.h"

#include <gtest/gtest.h>

#include "support/FormTestText.h"

#include "rtl/KyClasses.h"

using namespace mirel;
using mirel::testing::Crlf;
using mirel::testing::Joined;

namespace {

// Registers the target library for the duration of a test and binds the
// database lookup the way the replacer does: Sales and DBDEMOS are known.
class KyFormParserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const TClassInfo* cls : KyTargetClasses()) RegisterClass(*cls);
    parser_.OnLookupValue = [this](StringView name, StringView value, String& answer) {
      lookups_.push_back(String(name) + u":" + String(value));
      if (value == u"Sales") answer = u"DataModule1.DB1";
      if (value == u"DBDEMOS") answer = u"Form1.Database1";
    };
  }
  void TearDown() override {
    for (const TClassInfo* cls : KyTargetClasses()) UnRegisterClass(*cls);
  }

  // Converts one object written at depth 1 and returns the rewritten text,
  // or "FAIL".
  String Convert(StringView source, StringView target) {
    const String text = Crlf(source);
    int pos = static_cast<int>(text.find_first_not_of(u' ')) + 1;
    parser_.SetTargetClass(target);
    if (!parser_.Parse(text, u"<object>", pos)) return u"FAIL";
    return parser_.WriteObject(1);
  }

  TKyFormParser parser_;
  std::vector<String> lookups_;
};

}  // namespace

TEST_F(KyFormParserTest, QueryWithItsDatabaseFoundOnAnotherForm) {
  const String out = Convert(
      u"  object Query1: TQuery\n"
      u"    DatabaseName = 'DBDEMOS'\n"
      u"    SQL.Strings = (\n"
      u"      'select *'\n"
      u"      'from customer')\n"
      u"    Left = 8\n"
      u"    Top = 16\n"
      u"  end\n",
      u"TKyQuery");
  EXPECT_EQ(Crlf(u"  object Query1: TKyQuery\n"
                 u"    Connection = Form1.Database1\n"
                 u"    SQL.Strings = (\n"
                 u"            'select *'\n"
                 u"            'from customer')\n"
                 u"    Left = 8\n"
                 u"    Top = 16\n"
                 u"  end\n"),
            out);
  EXPECT_EQ(std::vector<String>{u"DatabaseName:DBDEMOS"}, lookups_);
}

TEST_F(KyFormParserTest, AdoConnectionStringJoinedWithPlusKeepsItsLeadingBlank) {
  const String out = Convert(
      u"  object ADOConnection1: TADOConnection\n"
      u"    ConnectionString = \n"
      u"      'Data Source=server1;Initial Catalog=northwind;Integrated Secur' +\n"
      u"      'ity=SSPI'\n"
      u"    IsolationLevel = ilCursorStability\n"
      u"    DefaultDatabase = 'northwind'\n"
      u"    Left = 8\n"
      u"  end\n",
      u"TKyConnection");
  EXPECT_EQ(Crlf(u"  object ADOConnection1: TKyConnection\n"
                 u"    ConnectString =  \n"
                 u"            'Data Source=server1;Initial Catalog=northwind;Integrated Secur' +\n"
                 u"            'ity=SSPI'\n"
                 u"    IsolationLevel = ilReadCommitted\n"
                 u"    Database = 'northwind'\n"
                 u"    Left = 8\n"
                 u"  end\n"),
            out);
}

namespace {

struct ClassRow {
  const char16_t* Source;
  const char16_t* Target;
  const char16_t* Properties;  // of the source object, four spaces in
  const char16_t* Expected;    // of the rewritten object
};

// Every source class of the two profiles, each with the properties its rule
// names plus Left, Top, a dotted property, one its target does not publish
// and IndexDefs.
const ClassRow kClassRows[] = {
    {u"TDatabase", u"TKyConnection",
     u"    DatabaseName = 'Sales'\n"
     u"    LoginPrompt = False\n"
     u"    Params.Strings = (\n"
     u"      'DATABASE NAME=northwind'\n"
     u"      'USER NAME=sa'\n"
     u"      'PASSWORD=s3cret'\n"
     u"      'SERVER NAME=srv1')\n"
     u"    TransIsolation = tiDirtyRead\n"
     u"    SessionName = 'Default'\n"
     u"    IndexDefs = <>\n"
     u"    Options.Extra = 1\n"
     u"    Left = 8\n"
     u"    Top = 16\n",
     u"    LoginPrompt = False\n"
     u"    Database = 'northwind'\n"
     u"    Username = 'sa'\n"
     u"    Password = 's3cret'\n"
     u"    Server = 'srv1'\n"
     u"    IsolationLevel = ilReadUnCommitted\n"
     u"    Options.Extra = 1\n"
     u"    Left = 8\n"
     u"    Top = 16\n"},
    {u"TQuery", u"TKyQuery",
     u"    DatabaseName = 'Sales'\n"
     u"    DataSource = dsMaster\n"
     u"    ParamData = <\n"
     u"      item\n"
     u"        DataType = ftInteger\n"
     u"        Name = 'ID'\n"
     u"        ParamType = ptInput\n"
     u"      end>\n"
     u"    RequestLive = True\n"
     u"    SQL.Strings = (\n"
     u"      'select * from orders where customer = :ID')\n"
     u"    IndexDefs = <>\n"
     u"    Left = 8\n"
     u"    Top = 16\n",
     u"    Connection = DataModule1.DB1\n"
     u"    MasterSource = dsMaster\n"
     u"    ParamData = <\n"
     u"            item\n"
     u"              DataType = ftInteger\n"
     u"              Name = 'ID'\n"
     u"              ParamType = ptInput\n"
     u"            end>\n"
     u"    SQL.Strings = (\n"
     u"            'select * from orders where customer = :ID')\n"
     u"    Left = 8\n"
     u"    Top = 16\n"},
    {u"TTable", u"TKyTable",
     u"    DatabaseName = 'Sales'\n"
     u"    IndexFieldNames = 'ID'\n"
     u"    TableName = 'orders'\n"
     u"    Exclusive = True\n"
     u"    SQL.Strings = ('x')\n"
     u"    MasterFields.Dotted = 'a'\n"
     u"    IndexDefs = <\n"
     u"      item\n"
     u"        Name = 'PK'\n"
     u"      end>\n"
     u"    Left = 8\n"
     u"    Top = 16\n",
     u"    Connection = DataModule1.DB1\n"
     u"    DetailFields = 'ID'\n"
     u"    TableName = 'orders'\n"
     u"    MasterFields.Dotted = 'a'\n"
     u"    Left = 8\n"
     u"    Top = 16\n"},
    {u"TStoredProc", u"TKyStoredProc",
     u"    DatabaseName = 'Nowhere'\n"
     u"    StoredProcName = 'sp_orders'\n"
     u"    ParamData = <>\n"
     u"    Overload = 1\n"
     u"    Params.Strings = ('a')\n"
     u"    IndexDefs = <>\n"
     u"    Left = 8\n"
     u"    Top = 16\n",
     u"    StoredProcName = 'sp_orders'\n"
     u"    ParamData = <>\n"
     u"    Params.Strings = ('a')\n"
     u"    Left = 8\n"
     u"    Top = 16\n"},
    {u"TwwQuery", u"TKyQuery",
     u"    DatabaseName = 'Sales'\n"
     u"    DataSource = dsMaster\n"
     u"    ParamData = <>\n"
     u"    ControlType.Strings = ('a')\n"
     u"    SQL.Strings = ('select 1')\n"
     u"    IndexDefs = <>\n"
     u"    Left = 8\n"
     u"    Top = 16\n",
     u"    Connection = DataModule1.DB1\n"
     u"    ParamData = <>\n"
     u"    SQL.Strings = ('select 1')\n"
     u"    Left = 8\n"
     u"    Top = 16\n"},
    {u"TwwStoredProc", u"TKyStoredProc",
     u"    DatabaseName = 'Sales'\n"
     u"    ParamData = <>\n"
     u"    StoredProcName = 'p'\n"
     u"    Picture.Strings = ('a')\n"
     u"    IndexDefs = <>\n"
     u"    Left = 8\n"
     u"    Top = 16\n",
     u"    Connection = DataModule1.DB1\n"
     u"    ParamData = <>\n"
     u"    StoredProcName = 'p'\n"
     u"    Left = 8\n"
     u"    Top = 16\n"},
    {u"TwwTable", u"TKyTable",
     u"    DatabaseName = 'Sales'\n"
     u"    IndexFieldNames = 'ID'\n"
     u"    TableName = 't'\n"
     u"    Filter.Dotted = 1\n"
     u"    IndexDefs = <>\n"
     u"    Left = 8\n"
     u"    Top = 16\n",
     u"    Connection = DataModule1.DB1\n"
     u"    TableName = 't'\n"
     u"    Filter.Dotted = 1\n"
     u"    Left = 8\n"
     u"    Top = 16\n"},
    {u"TADOConnection", u"TKyConnection",
     u"    ConnectionString = 'Provider=SQLOLEDB.1;Data Source=srv'\n"
     u"    DefaultDatabase = 'northwind'\n"
     u"    IsolationLevel = ilSerializable\n"
     u"    LoginPrompt = False\n"
     u"    CommandTimeout = 60\n"
     u"    Attributes.Dotted = 1\n"
     u"    IndexDefs = <>\n"
     u"    Left = 8\n"
     u"    Top = 16\n",
     u"    ConnectString = 'Provider=SQLOLEDB.1;Data Source=srv'\n"
     u"    Database = 'northwind'\n"
     u"    IsolationLevel = ilIsolated\n"
     u"    LoginPrompt = False\n"
     u"    Left = 8\n"
     u"    Top = 16\n"},
    {u"TADOCommand", u"TKySQL",
     u"    CommandText = 'delete from t'\n"
     u"    Connection = ADOConnection1\n"
     u"    Parameters = <>\n"
     u"    Prepared.Dotted = True\n"
     u"    IndexDefs = <>\n"
     u"    Left = 8\n"
     u"    Top = 16\n",
     u"    SQL.Strings = ('delete from t')\n"
     u"    Connection = ADOConnection1\n"
     u"    Parameters = <>\n"
     u"    Prepared.Dotted = True\n"
     u"    Left = 8\n"
     u"    Top = 16\n"},
    {u"TADODataSet", u"TKyQuery",
     u"    CommandText = \n"
     u"      'select * from a' +\n"
     u"      ' where b = 1'\n"
     u"    DataSource = dsMaster\n"
     u"    Connection = ADOConnection1\n"
     u"    CursorType = ctStatic\n"
     u"    Params.Dotted = 1\n"
     u"    IndexDefs = <>\n"
     u"    Left = 8\n"
     u"    Top = 16\n",
     u"    SQL.Strings = ( \n"
     u"            'select * from a' +\n"
     u"            ' where b = 1')\n"
     u"    MasterSource = dsMaster\n"
     u"    Connection = ADOConnection1\n"
     u"    Params.Dotted = 1\n"
     u"    Left = 8\n"
     u"    Top = 16\n"},
    {u"TADOQuery", u"TKyQuery",
     u"    Connection = ADOConnection1\n"
     u"    DataSource = dsMaster\n"
     u"    SQL.Strings = ('select 1')\n"
     u"    LockType = ltReadOnly\n"
     u"    IndexDefs = <>\n"
     u"    Left = 8\n"
     u"    Top = 16\n",
     u"    Connection = ADOConnection1\n"
     u"    MasterSource = dsMaster\n"
     u"    SQL.Strings = ('select 1')\n"
     u"    Left = 8\n"
     u"    Top = 16\n"},
    {u"TADOStoredProc", u"TKyStoredProc",
     u"    Connection = ADOConnection1\n"
     u"    ProcedureName = 'sp_get;1'\n"
     u"    DataSource = dsMaster\n"
     u"    Parameters = <\n"
     u"      item\n"
     u"        Name = '@RETURN_VALUE'\n"
     u"        Value = Null\n"
     u"      end>\n"
     u"    SQL.Dotted = 1\n"
     u"    IndexDefs = <>\n"
     u"    Left = 8\n"
     u"    Top = 16\n",
     u"    Connection = ADOConnection1\n"
     u"    StoredProcName = 'sp_get;1'\n"
     u"    MasterSource = dsMaster\n"
     u"    SQL.Dotted = 1\n"
     u"    Left = 8\n"
     u"    Top = 16\n"},
    {u"TADOTable", u"TKyTable",
     u"    Connection = ADOConnection1\n"
     u"    IndexFieldNames = 'ID'\n"
     u"    TableName = 'orders'\n"
     u"    TableDirect = True\n"
     u"    OrderFields.Dotted = 1\n"
     u"    IndexDefs = <>\n"
     u"    Left = 8\n"
     u"    Top = 16\n",
     u"    Connection = ADOConnection1\n"
     u"    TableName = 'orders'\n"
     u"    OrderFields.Dotted = 1\n"
     u"    Left = 8\n"
     u"    Top = 16\n"},
    {u"TwwDataSource", u"TKyDataSource",
     u"    DataSet = Query1\n"
     u"    AutoEdit = False\n"
     u"    Font.Name = 'Tahoma'\n"
     u"    IndexDefs = <>\n"
     u"    Left = 8\n"
     u"    Top = 16\n",
     u"    DataSet = Query1\n"
     u"    AutoEdit = False\n"
     u"    Font.Name = 'Tahoma'\n"
     u"    Left = 8\n"
     u"    Top = 16\n"},
    {u"TUpdateSQL", u"TKyUpdateSQL",
     u"    ModifySQL.Strings = ('update t set a = :a')\n"
     u"    InsertSQL.Strings = ('insert into t values (:a)')\n"
     u"    DeleteSQL.Strings = ('delete from t')\n"
     u"    UpdateMode = upWhereAll\n"
     u"    IndexDefs = <>\n"
     u"    Left = 8\n"
     u"    Top = 16\n",
     u"    ModifySQL.Strings = ('update t set a = :a')\n"
     u"    InsertSQL.Strings = ('insert into t values (:a)')\n"
     u"    DeleteSQL.Strings = ('delete from t')\n"
     u"    Left = 8\n"
     u"    Top = 16\n"},
    {u"TBatchMove", u"TQeBatchMove",
     u"    Destination = Table2\n"
     u"    Mode = batAppend\n"
     u"    Mappings.Strings = ('A=B')\n"
     u"    IndexDefs = <>\n"
     u"    Left = 8\n"
     u"    Top = 16\n",
     u"    Destination = Table2\n"
     u"    Mode = batAppend\n"
     u"    Mappings.Strings = ('A=B')\n"
     u"    Left = 8\n"
     u"    Top = 16\n"},
};

}  // namespace

TEST_F(KyFormParserTest, EverySourceClassOfTheProfiles) {
  for (const ClassRow& row : kClassRows) {
    const String source =
        u"  object Obj1: " + String(row.Source) + u"\n" + row.Properties + u"  end\n";
    const String expected =
        u"  object Obj1: " + String(row.Target) + u"\n" + row.Expected + u"  end\n";
    EXPECT_EQ(Crlf(expected), Convert(source, row.Target)) << ToUtf8(row.Source);
  }
}

TEST_F(KyFormParserTest, NamesAndClassesAreComparedExactly) {
  // A lower-case class or property name is not the BDE one: the generic
  // registry check decides, and an unregistered target keeps the property.
  EXPECT_EQ(Crlf(u"  object D: TKySQL\n    Connection = DataModule1.DB1\n    Left = 1\n  end\n"),
            Convert(u"  object D: tdatabase\n    DatabaseName = 'Sales'\n    Left = 1\n  end\n",
                    u"TKySQL"))
      << "a tdatabase is asked for its connection like any other class";
  EXPECT_EQ(std::vector<String>{u"DatabaseName:Sales"}, lookups_);
  EXPECT_EQ(Crlf(u"  object Q: TKySQL\n    databasename = 'Sales'\n  end\n"),
            Convert(u"  object Q: TQuery\n    databasename = 'Sales'\n  end\n", u"TKySQL"));
  EXPECT_EQ(Crlf(u"  object D: TKyConnection\n  end\n"),
            Convert(u"  object D: TDatabase\n    TransIsolation = TIDIRTYREAD\n  end\n",
                    u"TKyConnection"));
}

TEST_F(KyFormParserTest, LoginParametersFirstMatchNonEmptyInThatOrder) {
  const String out = Convert(
      u"  object DB: TDatabase\n"
      u"    Params.Strings = (\n"
      u"      '  PASSWORD=inside the quotes'\n"
      u"      'SERVER NAME=srv'\n"
      u"      'user name=first'\n"
      u"      'USER NAME=second'\n"
      u"      'PASSWORD='\n"
      u"      'DATABASE NAME='\n"
      u"      'ENABLE BCD=TRUE')\n"
      u"    TransIsolation = tiReadCommitted\n"
      u"  end\n",
      u"TKyConnection");
  EXPECT_EQ(Crlf(u"  object DB: TKyConnection\n"
                 u"    Username = 'first'\n"
                 u"    Server = 'srv'\n"
                 u"    IsolationLevel = ilReadCommitted\n"
                 u"  end\n"),
            out);
}

TEST_F(KyFormParserTest, UnmappedValuesAndUnknownDatabasesRecordNothing) {
  EXPECT_EQ(Crlf(u"  object C: TKyConnection\n  end\n"),
            Convert(u"  object C: TADOConnection\n    IsolationLevel = ilReadCommitted\n  end\n",
                    u"TKyConnection"));
  EXPECT_EQ(Crlf(u"  object D: TKyConnection\n  end\n"),
            Convert(u"  object D: TDatabase\n    TransIsolation = tiSnapshot\n  end\n",
                    u"TKyConnection"));
  EXPECT_EQ(Crlf(u"  object Q: TKyQuery\n  end\n"),
            Convert(u"  object Q: TQuery\n    DatabaseName = 'Unknown'\n  end\n", u"TKyQuery"));
  parser_.OnLookupValue = nullptr;
  EXPECT_EQ(Crlf(u"  object Q: TKyQuery\n  end\n"),
            Convert(u"  object Q: TQuery\n    DatabaseName = 'Sales'\n  end\n", u"TKyQuery"));
}

TEST_F(KyFormParserTest, TransIsolationAndIsolationLevelOnOtherClassesGoToTheGenericRules) {
  EXPECT_EQ(Crlf(u"  object Q: TKyQuery\n  end\n"),
            Convert(u"  object Q: TQuery\n    TransIsolation = tiDirtyRead\n  end\n", u"TKyQuery"));
  EXPECT_EQ(Crlf(u"  object Q: TKySQL\n    IsolationLevel = ilBrowse\n  end\n"),
            Convert(u"  object Q: TADOQuery\n    IsolationLevel = ilBrowse\n  end\n", u"TKySQL"));
}

TEST_F(KyFormParserTest, RegisteredClassesDropWhatTheyDoNotPublishUnregisteredKeepAll) {
  const char16_t* source =
      u"  object T: TTable\n    SQL.Strings = ('x')\n    Exclusive = True\n    Left = 1\n  end\n";
  EXPECT_EQ(Crlf(u"  object T: TKyTable\n    Left = 1\n  end\n"), Convert(source, u"TKyTable"));
  EXPECT_EQ(Crlf(u"  object T: TSomethingElse\n    SQL.Strings = ('x')\n    Exclusive = True\n"
                 u"    Left = 1\n  end\n"),
            Convert(source, u"TSomethingElse"));
}

namespace {

class TCountingKyParser : public TKyFormParser {
 public:
  int Calls = 0;
  void ConvertProperty(StringView name, StringView value) override {
    ++Calls;
    TKyFormParser::ConvertProperty(name, value);
  }
};

}  // namespace

TEST_F(KyFormParserTest, WhatAnUndoneAlternativeRecordedIsGone) {
  // The last property is matched twice (the first time inside an alternative
  // that then fails at "end"); its four recorded properties must be written
  // once.
  TCountingKyParser p;
  const String text = Crlf(
      u"object DB: TDatabase\n"
      u"  Params.Strings = (\n"
      u"    'DATABASE NAME=n'\n"
      u"    'USER NAME=u'\n"
      u"    'PASSWORD=p'\n"
      u"    'SERVER NAME=s')\n"
      u"end\n");
  int pos = 1;
  p.SetTargetClass(u"TKyConnection");
  ASSERT_TRUE(p.Parse(text, u"<object>", pos));
  EXPECT_GE(p.Calls, 2);
  EXPECT_EQ(Crlf(u"object DB: TKyConnection\n"
                 u"  Database = 'n'\n"
                 u"  Username = 'u'\n"
                 u"  Password = 'p'\n"
                 u"  Server = 's'\n"
                 u"end\n"),
            p.WriteObject(0));
}

TEST(ClassRegistry, LooksUpClassesAndPublishedPropertiesWithoutRegardToCase) {
  EXPECT_EQ(nullptr, GetClass(u"TKyQuery"));
  RegisterClass(TKyQueryClass());
  RegisterClass(TKyQueryClass());  // again: no effect
  ASSERT_EQ(&TKyQueryClass(), GetClass(u"tkyquery"));
  EXPECT_TRUE(GetPropInfo(TKyQueryClass(), u"sql"));
  EXPECT_TRUE(GetPropInfo(TKyQueryClass(), u"Tag"));         // inherited
  EXPECT_TRUE(GetPropInfo(TKyQueryClass(), u"BeforeOpen"));  // data-set event
  EXPECT_FALSE(GetPropInfo(TKyQueryClass(), u"TableName"));
  EXPECT_FALSE(GetPropInfo(TKyQueryClass(), u"Left"));
  const TClassInfo impostor(u"TKyQuery", {});
  EXPECT_THROW(RegisterClass(impostor), EAssertionFailed);
  UnRegisterClass(TKyQueryClass());
  EXPECT_EQ(nullptr, GetClass(u"TKyQuery"));
}
