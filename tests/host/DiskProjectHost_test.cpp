#include "host/DiskProjectHost.h"

#include <gtest/gtest.h>

#include "files/Paths.h"
#include "host/DprReader.h"
#include "host/DprojReader.h"
#include "support/FaultyFileSystem.h"
#include "support/HostTestFiles.h"

using namespace mirel;
using namespace mirel::testing;
using mirel::testing::TempProjectDir;

namespace {

// "Name=path{Form}" per entry, for a one-line view of what was read.
std::string Entries(const TProjectFile& p) {
  std::string r;
  for (const auto& u : p.Units) {
    if (!r.empty()) r += " ";
    r += ToUtf8(u.UnitName) + "=" + ToUtf8(u.Path);
    if (!u.FormName.empty()) r += "{" + ToUtf8(u.FormName) + "}";
  }
  return r;
}

std::string ParseError(std::string_view dpr) {
  try {
    ParseDpr(FromUtf8(dpr), u"/p/Bad.dpr");
  } catch (const EProjectFileError& e) {
    return e.what();
  }
  return "no error";
}

std::string DprojError(std::string_view xml) {
  try {
    ParseDproj(xml, u"/p/Bad.dproj");
  } catch (const EProjectFileError& e) {
    return e.what();
  }
  return "no error";
}

// Names of every open module and of every entry of the project, relative to dir.
std::string OpenModules(TDiskProjectHost& host, const TempProjectDir& dir) {
  std::string r;
  for (int i = 0; i < host.GetModuleCount(); ++i) {
    String name = host.GetModule(i)->GetFileName();
    if (StartsText(dir.Path() + u"/", name)) name = name.substr(dir.Path().size() + 1);
    r += (r.empty() ? "" : " ") + ToUtf8(name) + "#" +
         std::to_string(host.GetModule(i)->GetModuleFileCount());
  }
  return r;
}

std::string ProjectEntries(TDiskProjectHost& host, const TempProjectDir& dir) {
  auto project = Supports<IOTAProjectGroup>(host.GetModule(0))->ActiveProject();
  std::string r;
  for (int i = 0; i < project->GetModuleCount(); ++i) {
    String name = project->GetModule(i)->GetFileName();
    if (StartsText(dir.Path() + u"/", name)) name = name.substr(dir.Path().size() + 1);
    r += (r.empty() ? "" : " ") + ToUtf8(name);
  }
  return r;
}

}  // namespace

// --- .dpr ---------------------------------------------------------------------

TEST(DprReader, CommentsStringsAndSlashesDoNotConfuseTheUsesClause) {
  const TProjectFile p = ParseDpr(FromUtf8(R"(// Demo.dpr { not a comment opener here
program Demo;
{ Ghost in 'Ghost.pas', }
(* Ghost2 in 'Ghost2.pas'; *)
uses
  Vcl.Forms, // Fake in 'Fake.pas',
  Main in 'Src\Main.pas' {MainForm},
  DataMod in 'data/DataMod.pas' {DM: TDataModule},
  Quote in 'It''s.pas',
  &Type in 'Type.pas' (* not a form *), Helpers in 'Lib\Helpers.pas';

{$R *.res}

begin
  Application.Run;
end.)"),
                                  u"Demo.dpr");
  EXPECT_EQ(
      "Main=Src/Main.pas{MainForm} DataMod=data/DataMod.pas{DM} Quote=It's.pas Type=Type.pas "
      "Helpers=Lib/Helpers.pas",
      Entries(p));
  EXPECT_EQ(7, p.Units[0].Line);
}

TEST(DprReader, AUnitOnAWindowsDriveIsListedAsWrittenAndKnownForOne) {
  const TProjectFile p = ParseDpr(
      u"program P;\r\nuses\r\n  Main in 'Main.pas',\r\n  Shared in 'C:\\Lib\\Shared.pas',\r\n"
      u"  Other in 'd:Other.pas';\r\nbegin end.",
      u"P.dpr");
  ASSERT_EQ(3u, p.Units.size());
  EXPECT_EQ(u"C:/Lib/Shared.pas", p.Units[1].Path);
  EXPECT_EQ(4, p.Units[1].Line);
  EXPECT_FALSE(IsWindowsDrivePath(p.Units[0].Path));
  EXPECT_TRUE(IsWindowsDrivePath(p.Units[1].Path));
  EXPECT_TRUE(IsWindowsDrivePath(p.Units[2].Path));
}

TEST(DprReader, EveryBranchOfAConditionalDirectiveIsListed) {
  // Commas, and even the closing ';', may sit inside the branches.
  const TProjectFile p = ParseDpr(FromUtf8(R"(library Plug;
uses
  SysUtils,
  {$IFDEF DEBUG} Debug in 'Debug.pas', {$ENDIF}
  A in 'A.pas'
  {$IFDEF LINUX}, Posix in 'Posix.pas'; {$ELSE}, Win in 'Win.pas'; {$ENDIF}
{$IF Defined(X)}
uses Extra in 'Extra.pas';
{$IFEND}
begin
end.)"),
                                  u"Plug.dpr");
  EXPECT_EQ("Debug=Debug.pas A=A.pas Posix=Posix.pas Win=Win.pas Extra=Extra.pas", Entries(p));

  const TProjectFile q = ParseDpr(FromUtf8(R"(program P;
uses {$IFDEF A} One in 'One.pas' {$ELSE} Two in 'Two.pas' {$ENDIF};
begin end.)"),
                                  u"P.dpr");
  EXPECT_EQ("One=One.pas Two=Two.pas", Entries(q));
}

TEST(DprReader, MalformedSourcesNameTheFileAndTheLine) {
  EXPECT_EQ(
      "/p/Bad.dpr:1: expected 'program' or 'library' at the start of the project, found "
      "'unit'",
      ParseError("unit Main;\ninterface\nend."));
  EXPECT_EQ("/p/Bad.dpr:3: unterminated comment",
            ParseError("program P;\nuses\n { A in 'a.pas',\n B;"));
  EXPECT_EQ("/p/Bad.dpr:2: unterminated comment", ParseError("program P;\r\n(* open"));
  EXPECT_EQ("/p/Bad.dpr:3: unterminated string",
            ParseError("program P;\nuses\n A in 'a.pas,\n B;"));
  EXPECT_EQ("/p/Bad.dpr:2: the uses clause is not closed with ';'",
            ParseError("program P;\nuses\n A in 'a.pas',\n B in 'b.pas'"));
  EXPECT_EQ("/p/Bad.dpr:4: expected ',' or ';' in the uses clause, found 'B'",
            ParseError("program P;\nuses\n A in 'a.pas'\n B in 'b.pas';"));
  EXPECT_EQ("/p/Bad.dpr:3: expected a file name in quotes after 'in', found 'Main'",
            ParseError("program P;\nuses\n A in Main;"));
  EXPECT_EQ("/p/Bad.dpr:2: expected a unit name in the uses clause, found ';'",
            ParseError("program P;\nuses A, ;"));
  EXPECT_EQ("/p/Bad.dpr:1: expected ';' after the project name, found the end of the file",
            ParseError("program P"));
  EXPECT_EQ("/p/Bad.dpr:2: empty file name for unit 'A'", ParseError("program P;\nuses A in '';"));
  EXPECT_EQ(
      "/p/Bad.dpr:1: expected 'program' or 'library' at the start of the project, found "
      "the end of the file",
      ParseError(""));
}

// --- .dproj -------------------------------------------------------------------

const char kDproj[] = R"xml(<?xml version="1.0" encoding="utf-8"?>
<Project xmlns="http://schemas.microsoft.com/developer/msbuild/2003">
    <PropertyGroup>
        <ProjectGuid>{6A3D1F2B-0C4E-4E8A-9B57-1D2C3E4F5A6B}</ProjectGuid>
        <ProjectVersion>20.1</ProjectVersion>
        <FrameworkType>VCL</FrameworkType>
        <MainSource>Orders.dpr</MainSource>
        <Base>True</Base>
        <Config Condition="'$(Config)'==''">Debug</Config>
        <Platform Condition="'$(Platform)'==''">Win32</Platform>
        <TargetedPlatforms>3</TargetedPlatforms>
        <AppType>Application</AppType>
    </PropertyGroup>
    <PropertyGroup Condition="'$(Base)'!=''">
        <DCC_Namespace>System;Xml;Data;Datasnap;Web;Soap;Vcl;Vcl.Imaging;$(DCC_Namespace)</DCC_Namespace>
        <SanitizedProjectName>Orders</SanitizedProjectName>
        <MainSource>Wrong.dpr</MainSource>
    </PropertyGroup>
    <ItemGroup>
        <DelphiCompile Include="$(MainSource)">
            <MainSource>MainSource</MainSource>
        </DelphiCompile>
        <DCCReference Include="Forms\OrderMain.pas">
            <Form>OrderMainForm</Form>
            <FormType>dfm</FormType>
        </DCCReference>
        <DCCReference Include="Data\OrderData.pas">
            <Form>OrderDM</Form>
            <FormType>dfm</FormType>
            <DesignClass>TDataModule</DesignClass>
        </DCCReference>
        <DCCReference Include="Common\Utils.pas"/>
        <BuildConfiguration Include="Base">
            <Key>Base</Key>
        </BuildConfiguration>
    </ItemGroup>
    <ProjectExtensions>
        <Borland.Personality>Delphi.Personality.12</Borland.Personality>
        <Borland.ProjectType>Application</Borland.ProjectType>
        <BorlandProject>
            <Delphi.Personality>
                <Source>
                    <Source Name="MainSource">Orders.dpr</Source>
                </Source>
            </Delphi.Personality>
            <Platforms>
                <Platform value="Win32">True</Platform>
                <Platform value="Win64">True</Platform>
            </Platforms>
        </BorlandProject>
        <ProjectFileVersion>12</ProjectFileVersion>
    </ProjectExtensions>
    <Import Project="$(BDS)\Bin\CodeGear.Delphi.Targets" Condition="Exists('$(BDS)\Bin\CodeGear.Delphi.Targets')"/>
</Project>
)xml";

TEST(DprojReader, ReadsMainSourceAndEveryReferenceWithItsForm) {
  // With a byte-order mark, as the IDE writes it.
  const TProjectFile p = ParseDproj(std::string("\xEF\xBB\xBF") + kDproj, u"Orders.dproj");
  EXPECT_EQ(u"Orders.dpr", p.MainSource);
  EXPECT_EQ(
      "OrderMain=Forms/OrderMain.pas{OrderMainForm} OrderData=Data/OrderData.pas{OrderDM} "
      "Utils=Common/Utils.pas",
      Entries(p));
  EXPECT_EQ(23, p.Units[0].Line);
}

TEST(DprojReader, MalformedFilesNameTheFileAndTheLine) {
  EXPECT_EQ(
      "/p/Bad.dproj:4: XML error: Opening and ending tag mismatch: DCCReference line 3 and "
      "ItemGroup",
      DprojError("<Project>\n<ItemGroup>\n<DCCReference Include=\"a.pas\">\n</ItemGroup>\n"
                 "</Project>"));
  EXPECT_EQ(
      "/p/Bad.dproj:2: not a project file: the root element is <Solution>, <Project> "
      "expected",
      DprojError("<?xml version=\"1.0\"?>\n<Solution/>"));
  EXPECT_EQ("/p/Bad.dproj:4: a DCCReference item without an Include file name",
            DprojError("<Project>\n<ItemGroup>\n<DCCReference Include=\"a.pas\"/>\n"
                       "<DCCReference Incude=\"b.pas\"/>\n</ItemGroup>\n</Project>"));
  EXPECT_NE(std::string::npos, DprojError("").find("/p/Bad.dproj:"));
  // An external entity is refused, not fetched.
  EXPECT_EQ("/p/Bad.dproj:2: XML error: Attribute references external entity 'x'",
            DprojError("<!DOCTYPE Project [<!ENTITY x SYSTEM \"/etc/passwd\">]>\n"
                       "<Project><ItemGroup><DCCReference Include=\"A&x;.pas\"/></ItemGroup>"
                       "</Project>"));
}

// --- the host over a project folder --------------------------------------------

class DiskHost : public ::testing::Test {
 protected:
  void WriteDemo() {
    dir.Write("Demo.dpr",
              "program Demo;\r\n\r\nuses\r\n  Forms,\r\n"
              "  Main in 'SRC\\main.PAS' {MainForm},\r\n"
              "  Helpers in 'src\\Helpers.pas',\r\n"
              "  Shared in '..\\" +
                  ToUtf8(ExtractLast()) +
                  "\\Lib\\Shared.pas';\r\n"
                  "\r\n{$R *.res}\r\n\r\nbegin\r\nend.\r\n");
    dir.Write("src/Main.pas", "unit Main;");
    dir.Write("src/Main.DFM", "object MainForm: TMainForm end");
    dir.Write("src/Helpers.pas", "unit Helpers;");
    dir.Write("Lib/Shared.pas", "unit Shared;");
  }
  String ExtractLast() const { return dir.Path().substr(dir.Path().rfind(u'/') + 1); }

  TempProjectDir dir;
  TDiskProjectHost host;
};

TEST_F(DiskHost, OpensADprWithModulesResolvedWithoutRegardToCase) {
  WriteDemo();
  host.Open(dir / "Demo.dpr");
  EXPECT_EQ(dir / "Demo.dpr", host.ProjectFileName());
  EXPECT_EQ("Demo.dpr src/Main.pas src/Helpers.pas Lib/Shared.pas", ProjectEntries(host, dir));
  // group, project, then the units; a unit with a form has two files.
  EXPECT_EQ(
      "ProjectGroup1.groupproj#0 Demo.dpr#1 src/Main.pas#2 src/Helpers.pas#1 Lib/Shared.pas#1",
      OpenModules(host, dir));

  auto main = host.GetModule(2);
  auto code = main->GetModuleFileEditor(0);
  auto form = main->GetModuleFileEditor(1);
  EXPECT_EQ(dir / "src/Main.DFM", form->GetFileName());
  EXPECT_TRUE(Supports<IOTASourceEditor>(code));
  EXPECT_FALSE(Supports<IOTASourceEditor>(form));
  ASSERT_EQ(1, main->GetOwnerCount());
  EXPECT_EQ(Supports<IOTAProjectGroup>(host.GetModule(0))->ActiveProject(), main->GetOwner(0));
  EXPECT_EQ(nullptr, host.FrontEditor());
  code->Show();
  EXPECT_EQ(code, host.FrontEditor());
  EXPECT_TRUE(main->Save(false, true));
}

TEST_F(DiskHost, AnExactNameWinsOverOneThatDiffersOnlyInCase) {
  dir.Write("P.dpr", "program P; uses U in 'Unit1.pas', V in 'UNIT2.pas'; begin end.");
  dir.Write("Unit1.pas", "exact");
  dir.Write("UNIT1.PAS", "other");
  dir.Write("unit2.pas", "lower");
  dir.Write("Unit2.pas", "mixed");
  dir.Write("unit1.dfm", "form lower");
  dir.Write("Unit1.dfm", "form exact");
  host.Open(dir / "p.DPR");  // the project name itself resolves too
  EXPECT_EQ(dir / "P.dpr", host.ProjectFileName());
  // Without an exact match the first in name order is taken.
  EXPECT_EQ("P.dpr Unit1.pas Unit2.pas", ProjectEntries(host, dir));
  EXPECT_EQ(dir / "Unit1.dfm", host.GetModule(2)->GetModuleFileEditor(1)->GetFileName());
  EXPECT_EQ("exact", host.EditorBuffer(dir / "Unit1.pas").value());
}

TEST_F(DiskHost, OpensADprojWithItsMainSourceAndReferences) {
  dir.Write("Orders.dproj", kDproj);
  dir.Write("Orders.dpr", "program Orders; begin end.");
  dir.Write("forms/OrderMain.pas", "unit OrderMain;");
  dir.Write("forms/ordermain.dfm", "object OrderMainForm: TForm end");
  dir.Write("Data/OrderData.pas", "unit OrderData;");
  host.Open(dir / "Orders.dproj");
  EXPECT_EQ("Orders.dproj Orders.dpr forms/OrderMain.pas Data/OrderData.pas Common/Utils.pas",
            ProjectEntries(host, dir));
  EXPECT_EQ(
      "ProjectGroup1.groupproj#0 Orders.dproj#1 forms/OrderMain.pas#2 Data/OrderData.pas#1 "
      "Common/Utils.pas#1",
      OpenModules(host, dir));
  // The project's code editor edits its main source.
  EXPECT_EQ(dir / "Orders.dpr", host.GetModule(1)->GetModuleFileEditor(0)->GetFileName());
}

TEST_F(DiskHost, AFailedOpenKeepsTheOpenProject) {
  WriteDemo();
  host.Open(dir / "Demo.dpr");
  dir.Write("Broken.dpr", "program Broken;\nuses\n  A in 'a.pas'\n  B;\n");
  try {
    host.Open(dir / "Broken.dpr");
    FAIL() << "no error";
  } catch (const EProjectFileError& e) {
    EXPECT_EQ(dir / "Broken.dpr", e.FileName());
    EXPECT_EQ(4, e.Line());
  }
  EXPECT_THROW(host.Open(dir / "Missing.dpr"), EFOpenError);
  dir.Write("Folder.dpr/Unit1.pas", "unit Unit1;");  // a folder by a project's name
  EXPECT_THROW(host.Open(dir / "Folder.dpr"), EFOpenError);
  EXPECT_THROW(host.Open(dir / "src/Main.pas"), Exception);
  EXPECT_EQ(dir / "Demo.dpr", host.ProjectFileName());
  EXPECT_EQ(5, host.GetModuleCount());

  EXPECT_FALSE(host.OpenProject(dir / "Broken.dpr", true));
  EXPECT_EQ(ToUtf8(dir / "Broken.dpr") + ":4: expected ',' or ';' in the uses clause, found 'B'",
            ToUtf8(host.LastError()));
  EXPECT_FALSE(host.OpenProject(u"", true));
  EXPECT_EQ(dir / "Demo.dpr", host.ProjectFileName());
}

// Every look at the disk goes through the host's file system: a read or a
// listing made to fail there is what the host sees, and it only ever reads.
TEST_F(DiskHost, FaultsInjectedIntoItsFileSystemReachEveryRead) {
  WriteDemo();
  dir.Write("Other.dpr", "program Other; begin end.");
  TFaultyFileSystem faulty;
  host.SetFileSystem(faulty);
  host.Open(dir / "Demo.dpr");

  faulty.FailOn(TFsOp::Read, u"*/Other.dpr");
  EXPECT_FALSE(host.OpenProject(dir / "Other.dpr", true));
  EXPECT_EQ("Cannot open file \"" + ToUtf8(dir / "Other.dpr") + "\". Permission denied",
            ToUtf8(host.LastError()));
  EXPECT_EQ(dir / "Demo.dpr", host.ProjectFileName());

  // The search for a name in another case lists folders through it too.
  faulty.FailOn(TFsOp::List, u"*");
  EXPECT_THROW(host.Open(dir / "OTHER.DPR"), EFOpenError);
  faulty.FailOn(TFsOp::Read, u"*/Helpers.pas");
  EXPECT_FALSE(host.EditorBuffer(dir / "src/Helpers.pas").has_value());
  EXPECT_FALSE(host.ReloadFile(dir / "src/Helpers.pas"));
  EXPECT_EQ(dir / "Demo.dpr", host.ProjectFileName());

  faulty.ClearFaults();
  EXPECT_EQ("unit Helpers;", host.EditorBuffer(dir / "src/Helpers.pas").value());
  host.Open(dir / "OTHER.DPR");
  EXPECT_EQ(dir / "Other.dpr", host.ProjectFileName());
  for (const auto& call : faulty.Journal())
    EXPECT_TRUE(call.op == TFsOp::Read || call.op == TFsOp::List) << ToUtf8(call.path);
}

TEST_F(DiskHost, ReloadFileRereadsTheBufferAndReportsIt) {
  WriteDemo();
  host.Open(dir / "Demo.dpr");
  std::vector<String> reported;
  host.OnFileReloaded = [&](const String& f) { reported.push_back(f); };

  EXPECT_EQ("unit Helpers;", host.EditorBuffer(dir / "src/Helpers.pas").value());
  dir.Write("src/Helpers.pas", "unit Helpers; { changed }");
  dir.Write("src/Helpers.dfm", "object F: TForm end");
  EXPECT_EQ("unit Helpers;", host.EditorBuffer(dir / "src/Helpers.pas").value());
  EXPECT_EQ(1, host.GetModule(3)->GetModuleFileCount());

  // Any case of the name finds the open file.
  EXPECT_TRUE(host.ReloadFile(dir / "SRC/helpers.PAS"));
  EXPECT_EQ("unit Helpers; { changed }", host.EditorBuffer(dir / "src/Helpers.pas").value());
  EXPECT_EQ(2, host.GetModule(3)->GetModuleFileCount());  // the new form is seen
  ASSERT_EQ(1u, reported.size());
  EXPECT_EQ(dir / "src/Helpers.pas", reported[0]);
  EXPECT_EQ(reported, host.ReloadedFiles());

  EXPECT_FALSE(host.ReloadFile(dir / "src/NotInProject.pas"));
  dir.Remove("src/Helpers.pas");
  EXPECT_FALSE(host.ReloadFile(dir / "src/Helpers.pas"));  // unreadable: the buffer stays
  EXPECT_EQ("unit Helpers; { changed }", host.EditorBuffer(dir / "src/Helpers.pas").value());
  EXPECT_EQ(1u, host.ReloadedFiles().size());
}

TEST_F(DiskHost, FrontEndHearsOfOpensClosesAndShownEditors) {
  WriteDemo();
  std::string heard;
  host.OnProjectChanged = [&] {
    const String p = host.ProjectFileName();
    heard += p.empty() ? "closed;" : "opened " + ToUtf8(ExtractFileName(p)) + ";";
  };
  host.OnEditorShown = [&](const std::shared_ptr<IOTAEditor>& e) {
    heard += "shown " + ToUtf8(ExtractFileName(e->GetFileName())) +
             (Supports<IOTASourceEditor>(e) ? " code;" : " form;");
  };
  host.Open(dir / "Demo.dpr");
  EXPECT_FALSE(host.OpenProject(dir / "Missing.dpr", true));  // a failed open is no change
  host.GetModule(2)->GetModuleFileEditor(1)->Show();
  host.GetModule(2)->GetModuleFileEditor(0)->Show();
  auto project = host.GetModule(1);
  EXPECT_TRUE(project->Close());
  EXPECT_TRUE(host.CloseProject());  // nothing open: nothing to hear
  EXPECT_TRUE(host.OpenProject(dir / "Demo.dpr", true));
  EXPECT_EQ(heard,
            "opened Demo.dpr;shown Main.DFM form;shown Main.pas code;closed;opened Demo.dpr;");
}

TEST_F(DiskHost, ReleaseWizardsCallsDestroyedOnceInRegistrationOrder) {
  struct Wizard : IOTAWizard {
    std::string* log;
    std::string name;
    Wizard(std::string* l, std::string n) : log(l), name(std::move(n)) {}
    void AfterSave() override {}
    void BeforeSave() override {}
    void Destroyed() override { *log += name + ";"; }
    void Modified() override {}
    String GetIDString() override { return u"Test." + FromUtf8(name); }
    String GetName() override { return FromUtf8(name); }
    TWizardState GetState() override { return 0; }
    void Execute() override {}
  };
  std::string log;
  host.RegisterProc()(std::make_shared<Wizard>(&log, "a"));
  host.RegisterProc()(std::make_shared<Wizard>(&log, "b"));
  host.ReleaseWizards();
  EXPECT_EQ(log, "a;b;");
  EXPECT_TRUE(host.Wizards().empty());
  host.ReleaseWizards();
  EXPECT_EQ(log, "a;b;");
}

TEST_F(DiskHost, ClosingLeavesHandedOutObjectsSafeAndNeutral) {
  WriteDemo();
  host.Open(dir / "Demo.dpr");
  auto group = Supports<IOTAProjectGroup>(host.GetModule(0));
  auto project = group->ActiveProject();
  auto unit = host.GetModule(2);
  unit->GetModuleFileEditor(0)->Show();

  // Closing one unit removes it from the open modules only.
  EXPECT_TRUE(host.GetModule(3)->Close());
  EXPECT_EQ("ProjectGroup1.groupproj#0 Demo.dpr#1 src/Main.pas#2 Lib/Shared.pas#1",
            OpenModules(host, dir));
  EXPECT_EQ(4, project->GetModuleCount());

  EXPECT_TRUE(group->Close());
  EXPECT_EQ(0, host.GetModuleCount());
  EXPECT_EQ(u"", host.ProjectFileName());
  EXPECT_EQ(nullptr, host.FrontEditor());
  EXPECT_EQ(nullptr, group->ActiveProject());
  EXPECT_EQ(0, project->GetModuleCount());
  EXPECT_EQ(nullptr, project->GetModule(0));
  EXPECT_FALSE(project->Save(false, true));
  EXPECT_EQ(0, unit->GetModuleFileCount());
  EXPECT_EQ(nullptr, unit->GetOwner(0));
  EXPECT_EQ(dir / "src/Main.pas", unit->GetFileName());

  EXPECT_TRUE(host.OpenProject(dir / "Demo.dpr", true));
  EXPECT_EQ(5, host.GetModuleCount());
  EXPECT_EQ(nullptr, group->ActiveProject());  // the old group stays closed
}

TEST(DiskHostLifetime, DestroyingTheHostUninstallsItAndReleasesWizards) {
  struct Wizard : IOTAWizard {
    int* destroyed;
    explicit Wizard(int* d) : destroyed(d) {}
    void AfterSave() override {}
    void BeforeSave() override {}
    void Destroyed() override { ++*destroyed; }
    void Modified() override {}
    String GetIDString() override { return u"Test.Wizard"; }
    String GetName() override { return u"Test"; }
    TWizardState GetState() override { return 0; }
    void Execute() override {}
  };
  int destroyed = 0;
  std::weak_ptr<IOTAWizard> held;
  std::shared_ptr<IOTAModule> module;
  {
    TempProjectDir dir;
    dir.Write("P.dpr", "program P; uses U in 'U.pas'; begin end.");
    TDiskProjectHost host;
    host.Install();
    EXPECT_EQ(&host, BorlandIDEServices);
    auto wizard = std::make_shared<Wizard>(&destroyed);
    held = wizard;
    EXPECT_TRUE(host.RegisterProc()(std::move(wizard)));
    EXPECT_FALSE(host.RegisterProc()(nullptr));
    EXPECT_FALSE(held.expired());
    host.Open(dir / "P.dpr");
    module = host.GetModule(2);
  }
  EXPECT_EQ(nullptr, BorlandIDEServices);
  EXPECT_EQ(1, destroyed);
  EXPECT_TRUE(held.expired());
  EXPECT_FALSE(module->Save(false, true));  // outlives the host, answers neutrally
  EXPECT_EQ(nullptr, module->GetModuleFileEditor(0));
}

TEST(DprReader, EveryTruncationEitherParsesOrFailsWithALine) {
  const std::string dpr =
      "program P;\r\n{$IFDEF X} uses A in 'a.pas' {AForm}; {$ELSE}\r\nuses (* c *) B in "
      "'b''.pas', // x\r\n C.D in 'c\\d.pas';{$ENDIF}\r\nbegin end.";
  for (size_t n = 0; n <= dpr.size(); ++n) {
    try {
      ParseDpr(FromUtf8(dpr.substr(0, n)), u"P.dpr");
    } catch (const EProjectFileError& e) {
      EXPECT_GE(e.Line(), 1) << n;
      EXPECT_LE(e.Line(), 4) << n;
    }
  }
}

TEST_F(DiskHost, ProjectSourcesInUtf16OfEitherByteOrderAndTheLegacyCodePageNameNonAsciiFiles) {
  dir.Write("Übersicht.pas", "unit Übersicht;");
  dir.Write("Größe.pas", "unit Größe;");
  // UTF-16LE with its byte-order mark.
  std::string utf16 = "\xFF\xFE";
  for (char16_t c : U("program W; uses Übersicht in 'Übersicht.pas'; begin end.")) {
    utf16 += static_cast<char>(c & 0xFF);
    utf16 += static_cast<char>(c >> 8);
  }
  dir.Write("W.dpr", utf16);
  host.Open(dir / "W.dpr");
  EXPECT_EQ("W.dpr Übersicht.pas", ProjectEntries(host, dir));
  // UTF-16BE with its mark.
  std::string utf16be = "\xFE\xFF";
  for (char16_t c : U("program B; uses Größe in 'Größe.pas'; begin end.")) {
    utf16be += static_cast<char>(c >> 8);
    utf16be += static_cast<char>(c & 0xFF);
  }
  dir.Write("B.dpr", utf16be);
  host.Open(dir / "B.dpr");
  EXPECT_EQ("B.dpr Größe.pas", ProjectEntries(host, dir));
  // Windows-1252 bytes (no byte-order mark, not UTF-8).
  dir.Write("A.dpr",
            "program A; uses Gr\xF6\xDF"
            "e in 'Gr\xF6\xDF"
            "e.pas'; begin end.");
  host.Open(dir / "A.dpr");
  EXPECT_EQ("A.dpr Größe.pas", ProjectEntries(host, dir));
  EXPECT_EQ(3, host.GetModuleCount());
}
