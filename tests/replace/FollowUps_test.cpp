// Follow-ups: what a unit still uses of the source library after a run.
#include "replace/FollowUps.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "replace/KyReplacer.h"
#include "rtl/Classes.h"

using namespace mirel;

namespace {

// "line:column Text | Hint", one per follow-up, in order.
std::vector<std::string> Found(StringView unit, bool ado = false) {
  TProfilesScope scope;
  const TComponentReplacer& replacer = ado ? AdoReplacer() : BdeReplacer();
  std::vector<std::string> lines;
  for (const TFollowUp& f :
       FindFollowUps(unit, ado ? AdoFollowUpRules() : BdeFollowUpRules(),
                     [&](StringView name) { return replacer.FindTargetClass(name); }))
    lines.push_back(std::to_string(f.Line) + ":" + std::to_string(f.Column) + " " + ToUtf8(f.Text) +
                    " | " + ToUtf8(f.Hint));
  return lines;
}

using Lines = std::vector<std::string>;

}  // namespace

TEST(FollowUps, MembersOfNamesDeclaredWithAMappedClassInEveryKindOfDeclaration) {
  const Lines found = Found(
      u"type\n"
      u"  TForm1 = class(TForm)\n"
      u"    Query1: TQuery;\n"
      u"    Table1, table2: DBTables.TTable;\n"
      u"  private\n"
      u"    FDb: TDatabase;\n"
      u"    property Q: TQuery read FQuery;\n"
      u"    procedure Use(const AProc: TStoredProc; var T: TwwTable);\n"
      u"  end;\n"
      u"procedure TForm1.Use(const AProc: TStoredProc; var T: TwwTable);\n"
      u"var L: TQuery;\n"
      u"begin\n"
      u"  Query1.DatabaseName := 'X'; Query1.SQL.Text := ''; Query1.Active := True;\n"
      u"  Self.Table2.IndexName := ''; Form1.table1.TableName := 'T';\n"
      u"  Q.RequestLive := True; AProc.ParamBindMode := pbByName; T.UpdateMode := upWhereAll;\n"
      u"  FDb.Params.Values['USER NAME'] := 'sa'; L.Params.Clear; L . sessionname := '';\n"
      u"end;\n");
  EXPECT_EQ((Lines{"13:3 Query1.DatabaseName | TKyQuery has no DatabaseName: set Connection to "
                   "the TKyConnection instead",
                   "14:8 Table2.IndexName | TKyTable has no IndexName: use OrderFields instead",
                   "15:3 Q.RequestLive | TKyQuery has no RequestLive: use ReadOnly instead",
                   "15:26 AProc.ParamBindMode | TKyStoredProc has no ParamBindMode: remove it",
                   "15:59 T.UpdateMode | TKyTable has no UpdateMode: name the key in KeyFields "
                   "instead",
                   "16:3 FDb.Params | TKyConnection has no Params: set Database, Server, Username "
                   "and Password instead",
                   "16:59 L . sessionname | TKyQuery has no SessionName: there are no sessions; "
                   "remove it"}),
            found);
}

TEST(FollowUps, OnlyNamesWhoseClassIsCertainAreFollowed) {
  EXPECT_EQ(Lines{}, Found(u"var L: TMyThing; Q: TQuery; A: array of TQuery; G: TList<TQuery>;\n"
                           u"procedure P(Q: TStringList);\n"
                           u"begin L.DatabaseName := ''; Q.DatabaseName := '';\n"
                           u"  A[0].DatabaseName := ''; G.DatabaseName := ''; X.Q.Foo;\n"
                           u"  Query1.DatabaseName := ''; Q.Foo.DatabaseName := ''; end;"));
  // A typecast or a new object tells the class as well as a declaration.
  EXPECT_EQ((Lines{"1:7 TQuery(Sender).RequestLive | TKyQuery has no RequestLive: use ReadOnly "
                   "instead",
                   "2:1 (Sender as TTable).TableType | TKyTable has no TableType: remove it",
                   "3:1 TQuery.Create(nil).DatabaseName | TKyQuery has no DatabaseName: set "
                   "Connection to the TKyConnection instead"}),
            Found(u"begin TQuery(Sender).RequestLive := True;\n"
                  u"(Sender as TTable).TableType := ttParadox;\n"
                  u"TQuery.Create(nil).DatabaseName := '';\n"
                  u"Find(Sender as TTable).TableType := ttParadox; end;"));
}

TEST(FollowUps, BareMembersInsideWithStatementsUntilTheStatementEnds) {
  const Lines found = Found(
      u"var Query1: TQuery; Db: TDatabase; DS: TDataSource;\n"
      u"begin\n"
      u"  with Query1 do DatabaseName := 'A'; DatabaseName := 'not in the with';\n"
      u"  with Query1 do\n"
      u"  begin\n"
      u"    if RequestLive then begin Close; UpdateMode := upWhereAll end;\n"
      u"    case Kind of 1: SessionName := ''; end;\n"
      u"    try Open; except Constrained := False; end;\n"
      u"    Self.DatabaseName := ''; X.DataSource := nil;\n"
      u"  end;\n"
      u"  RequestLive := False;\n"
      u"  if B then with Query1 do DatabaseName := '' else DataSource := nil;\n"
      u"  with DS, Query1 do DataSource := nil;\n"
      u"  with Query1, DS do DataSource := nil;\n"
      u"  with Query1 do with DS.DataSet do DatabaseName := '';\n"
      u"  with Db, Query1 do Params.Clear;\n"
      u"  with TQuery(Sender) do begin DataSource := nil end; DataSource := nil;\n"
      u"end;\n");
  const std::string noConnection =
      "TKyQuery has no DatabaseName: set Connection to the TKyConnection instead";
  EXPECT_EQ((Lines{"3:18 DatabaseName | " + noConnection,
                   "6:8 RequestLive | TKyQuery has no RequestLive: use ReadOnly instead",
                   "6:38 UpdateMode | TKyQuery has no UpdateMode: name the key in KeyFields "
                   "instead",
                   "7:21 SessionName | TKyQuery has no SessionName: there are no sessions; "
                   "remove it",
                   "8:22 Constrained | TKyQuery has no Constrained: remove it",
                   "12:28 DatabaseName | " + noConnection,
                   "13:22 DataSource | TKyQuery has no DataSource: use MasterSource instead",
                   "17:32 DataSource | TKyQuery has no DataSource: use MasterSource instead"}),
            found);
}

TEST(FollowUps, LibraryRoutinesAndTypesBareOrQualifiedByTheLibrarysUnits) {
  const Lines found = Found(
      u"uses DBTables, BDE, DbiProcs;\n"
      u"var S: TSession; R: DBIResult; H: hDBIDb; DBInfo: Integer;\n"
      u"begin\n"
      u"  Session.Active := True; DBTables.Session.Open; Other.Session.Open;\n"
      u"  Check(DbiSaveChanges(H)); DbiProcs.DbiGetSysInfo(Info); dbiFoo;\n"
      u"  ShowMessage('Session TSession DbiGetSysInfo'); { Session } // TSession\n"
      u"  on E: EDBEngineError do ; if R = DBIERR_NONE then ;\n"
      u"end;\n");
  const std::string session = "BDE sessions have no counterpart; use the TKyConnection";
  EXPECT_EQ(
      (Lines{"2:8 TSession | " + session, "2:21 DBIResult | a BDE API type without counterpart",
             "2:35 hDBIDb | a BDE API handle without counterpart", "4:3 Session | " + session,
             "4:27 DBTables.Session | " + session,
             "5:9 DbiSaveChanges | a BDE API routine without counterpart; rewrite the code "
             "(and its Check)",
             "5:29 DbiProcs.DbiGetSysInfo | a BDE API routine without counterpart; rewrite "
             "the code (and its Check)",
             "7:36 DBIERR_NONE | a BDE API error code without counterpart"}),
      found);
  // A name the unit declares itself is its own, not the library's.
  EXPECT_EQ(Lines{}, Found(u"type TSession = class end;\n"
                           u"var Session: TSession;\n"
                           u"function Sessions: Integer;\n"
                           u"begin Session.Open; Result := Sessions; end;"));
}

TEST(FollowUps, LinesAndColumnsCountUtf16UnitsAndEveryKindOfLineBreak) {
  EXPECT_EQ((Lines{"4:13 Session | BDE sessions have no counterpart; use the TKyConnection",
                   "5:4 Session | BDE sessions have no counterpart; use the TKyConnection"}),
            Found(u"{ a comment\r\n over two lines }\r\nbegin\r\n"
                  u"  X('\U0001F600\u00e9'); Session.Open;\r"
                  u"\tA;Session.Close;\n"
                  u"end."));
  EXPECT_EQ(Lines{}, Found(u""));
  // Text cut short in a with statement or before its "do".
  EXPECT_EQ(Lines{"1:42 DatabaseName | TKyQuery has no DatabaseName: set Connection to the "
                  "TKyConnection instead"},
            Found(u"var Query1: TQuery; with Query1 do begin DatabaseName"));
  EXPECT_EQ(Lines{}, Found(u"var Query1: TQuery; with Query1 DatabaseName"));
}

TEST(FollowUps, AdoMembersEventsAndRoutines) {
  const Lines found = Found(
      u"uses ADODB, ADOInt;\n"
      u"type TDM = class(TDataModule)\n"
      u"  Conn: TADOConnection; Cmd: TADOCommand; Q: TADOQuery; SP: TADOStoredProc;\n"
      u"end;\n"
      u"procedure TDM.Go;\n"
      u"var RS: _Recordset;\n"
      u"begin\n"
      u"  Conn.ConnectionString := 'x'; Conn.OnWillConnect := DoWill; Conn.Connected := True;\n"
      u"  Cmd.CommandText := 'delete'; Q.Parameters[0].Value := 1; Q.Connection := Conn;\n"
      u"  with SP do begin ProcedureName := 'p'; Connection := Conn; end;\n"
      u"  RS := CreateADOObject(CLASS_Recordset) as _Recordset; Q.SQL.Text := 'select';\n"
      u"end;\n",
      true);
  EXPECT_EQ((Lines{"6:9 _Recordset | an ADO interface without counterpart; rewrite the code",
                   "8:3 Conn.ConnectionString | TKyConnection has no ConnectionString: use "
                   "ConnectString instead",
                   "8:33 Conn.OnWillConnect | TKyConnection has no OnWillConnect: use "
                   "BeforeConnect (other parameters) instead",
                   "9:3 Cmd.CommandText | TKySQL has no CommandText: use SQL instead",
                   "9:32 Q.Parameters | TKyQuery has no Parameters: use Params instead",
                   "10:20 ProcedureName | TKyStoredProc has no ProcedureName: use StoredProcName "
                   "instead",
                   "11:9 CreateADOObject | ADO objects have no counterpart; rewrite the code",
                   "11:45 _Recordset | an ADO interface without counterpart; rewrite the code"}),
            found);
  // BDE names mean nothing to the ADO profile.
  EXPECT_EQ(Lines{}, Found(u"var Q: TQuery; begin Q.DatabaseName := ''; Session.Open; end;", true));
}

// The tables against the profiles and the target library: every class a row
// names is one the profile maps, no member is one the target class publishes
// (code setting it would mean the same after the run), no library name is
// mapped, and the documentation shows every row.
TEST(FollowUps, TablesAgreeWithTheProfilesTheTargetClassesAndTheDocumentation) {
  TProfilesScope scope;
  std::ifstream file(std::string(MIREL_SOURCE_DIR) + "/docs/follow-ups.md");
  ASSERT_TRUE(file) << "docs/follow-ups.md";
  std::stringstream doc;
  doc << file.rdbuf();
  for (const auto& [rules, replacer] :
       {std::pair{&BdeFollowUpRules(), &BdeReplacer()}, {&AdoFollowUpRules(), &AdoReplacer()}}) {
    for (const TFollowUpMember& m : rules->Members) {
      std::u16string_view classes = m.Classes;
      while (!classes.empty()) {
        const StringView cls = classes.substr(0, classes.find(u' '));
        classes.remove_prefix(std::min(classes.size(), cls.size() + 1));
        const String* target = replacer->FindTargetClass(cls);
        ASSERT_NE(nullptr, target) << ToUtf8(cls);
        const TClassInfo* info = GetClass(*target);
        if (info) {
          EXPECT_FALSE(GetPropInfo(*info, m.Name)) << ToUtf8(*target) << "." << ToUtf8(m.Name);
        }
      }
      const std::string row =
          "| " + ToUtf8(m.Name) + " | " + ToUtf8(m.Classes) + " | " + ToUtf8(m.Advice) + " |";
      EXPECT_NE(std::string::npos, doc.str().find(row)) << row;
    }
    for (const auto& names : {rules->Names, rules->Prefixes})
      for (const TFollowUpName& n : names) {
        EXPECT_FALSE(replacer->IsMappedClass(n.Name)) << ToUtf8(n.Name);
        const std::string row = "| " + ToUtf8(n.Name) + " | " + ToUtf8(n.Hint) + " |";
        EXPECT_NE(std::string::npos, doc.str().find(row)) << row;
      }
  }
}
