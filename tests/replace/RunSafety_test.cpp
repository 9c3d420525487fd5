// Runs that must lose nothing whatever they meet: files of one name in two
// folders or in two cases, a full disk while the converted files are put
// beside their originals, a second run, hostile entries in the project
// folder, links, and a run that changes nothing.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "files/FileUtils.h"
#include "files/FolderLock.h"
#include "files/Paths.h"
#include "host/DiskProjectHost.h"
#include "ide/IDEUtils.h"
#include "replace/KyReplacer.h"
#include "replace/UndoFile.h"
#include "rtl/Hooks.h"
#include "support/FaultyFileSystem.h"
#include "support/FilesTempDir.h"
#include "support/RunLog.h"

using namespace mirel;
using namespace mirel::testing;
using mirel::testing::TTempDir;
namespace stdfs = std::filesystem;

namespace {

const std::string kExamples = std::string(MIREL_SOURCE_DIR) + "/examples";

const char* kBdeFiles[] = {"OrderDesk.dpr", "Main.pas",    "Main.dfm",
                           "DataMod.pas",   "DataMod.dfm", "Customers.pas",
                           "Customers.dfm", "Reports.pas", "Utils.pas"};

// A form with one query to convert; name tells the two apart.
std::string FormWithQuery(const std::string& name) {
  return "object " + name + ": T" + name + "\r\n  object Q: TQuery\r\n  end\r\nend\r\n";
}
std::string UnitWithQuery(const std::string& name, const std::string& directive) {
  return "unit " + name + ";\r\ninterface\r\nuses DBTables;\r\nvar Q: TQuery;\r\n" + directive +
         "\r\nimplementation\r\nend.\r\n";
}

using mirel::testing::LogLines;

bool Contains(const std::vector<std::string>& lines, const std::string& part) {
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::string& l) { return l.find(part) != std::string::npos; });
}

class RunSafetyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tmp_ = dir_ / "tmp";
    dir_.MakeFolder("tmp");
    const char* old = getenv("TMPDIR");
    had_tmp_ = old != nullptr;
    old_tmp_ = old ? old : "";
    setenv("TMPDIR", ToUtf8(tmp_).c_str(), 1);
    SetShellOpener(&opener_);
  }
  void TearDown() override {
    BdeReplacer().SetFileSystem(TFileSystem::Real());
    SetShellOpener(nullptr);
    if (had_tmp_)
      setenv("TMPDIR", old_tmp_.c_str(), 1);
    else
      unsetenv("TMPDIR");
  }

  // Folder mode over rel, backups in rel/RBackup, with the log.
  TComponentReplacer& FolderRun(const std::string& rel, bool subdirs = false) {
    TComponentReplacer& r = BdeReplacer();
    TReplaceOptions& o = r.Options();
    o.Dest = 1;
    o.Directory = dir_ / rel;
    o.IncludeSubDirs = subdirs;
    o.MakeBackup = true;
    o.BackupDir = dir_ / (rel + "/RBackup");
    o.WriteLog = true;
    o.ViewLog = false;
    o.Threads = 0;
    return r;
  }

  // Project mode over every .pas module of the project file rel.
  TComponentReplacer& ProjectRun(const std::string& rel) {
    host_.Open(dir_ / rel);
    host_.Install();
    TComponentReplacer& r = BdeReplacer();
    TReplaceOptions& o = r.Options();
    o.Dest = 0;
    o.UnitNames.clear();
    for (int i = 0; i < TIDEUtils::GetProjectModuleCount(); ++i) {
      const String m = TIDEUtils::GetProjectModuleFileName(i);
      if (EndsText(u".pas", m)) o.UnitNames += m + u"\r\n";
    }
    o.MakeBackup = true;
    o.BackupDir = CombinePath(ExtractFilePath(dir_ / rel), u"RBackup");
    o.WriteLog = true;
    o.ViewLog = false;
    o.Threads = 0;
    return r;
  }

  std::string CopyBde(const std::string& to) {
    stdfs::copy(kExamples + "/bde", dir_.Utf8(to), stdfs::copy_options::recursive);
    return dir_.Utf8(to);
  }
  void ExpectBdeUntouched(const std::string& rel) {
    for (const char* f : kBdeFiles) {
      std::ifstream in(kExamples + "/bde/" + f, std::ios::binary);
      const std::string original((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
      EXPECT_EQ(original, dir_.Read(rel + "/" + f)) << f;
    }
  }
  // Entries of a folder (not below it) whose name begins with ".~".
  std::vector<std::string> StagedLeftIn(const std::string& rel) {
    std::vector<std::string> left;
    for (const auto& e : stdfs::directory_iterator(dir_.Utf8(rel)))
      if (e.path().filename().string().rfind(".~", 0) == 0) left.push_back(e.path().string());
    return left;
  }
  std::vector<std::string> Log(const std::string& rel) {
    return LogLines(dir_.Read(rel + "/Wiz_Log.txt"));
  }
  // The undo file's lines as original -> backup.
  std::map<std::string, std::string> UndoLines(const std::string& rel) {
    TStringList lines;
    LoadUndoFile(dir_ / rel, lines);
    std::map<std::string, std::string> pairs;
    for (int i = 0; i < lines.Count(); ++i)
      pairs[ToUtf8(lines.Names(i))] = ToUtf8(lines.ValueFromIndex(i));
    EXPECT_EQ(static_cast<size_t>(lines.Count()), pairs.size()) << "one line per file";
    return pairs;
  }
  bool TmpIsEmpty() const { return stdfs::is_empty(ToUtf8(tmp_)); }

  TTempDir dir_;
  String tmp_;
  std::string old_tmp_;
  bool had_tmp_ = false;
  TShellOpener opener_;
  TDiskProjectHost host_;
  TProfilesScope profiles_;
};

}  // namespace

TEST_F(RunSafetyTest, FormsOfOneNameInTwoFoldersKeepTheirOwnCopiesAndBackups) {
  dir_.Write("app/App.dpr",
             "program App;\r\nuses\r\n  UnitA in 'a\\UnitA.pas',\r\n  UnitB in 'b\\UnitB.pas';\r\n"
             "begin\r\nend.\r\n");
  dir_.Write("app/a/UnitA.pas", UnitWithQuery("UnitA", "{$R Common.dfm}"));
  dir_.Write("app/b/UnitB.pas", UnitWithQuery("UnitB", "{$R Common.dfm}"));
  dir_.Write("app/a/Common.dfm", FormWithQuery("FormA"));
  dir_.Write("app/b/Common.dfm", FormWithQuery("FormB"));
  TComponentReplacer& r = ProjectRun("app/App.dpr");
  ASSERT_TRUE(r.Run());
  EXPECT_EQ(4, r.ChangedCount());

  const std::string a = dir_.Read("app/a/Common.dfm");
  const std::string b = dir_.Read("app/b/Common.dfm");
  EXPECT_NE(std::string::npos, a.find("object FormA: TFormA")) << a;
  EXPECT_NE(std::string::npos, a.find("TKyQuery")) << a;
  EXPECT_NE(std::string::npos, b.find("object FormB: TFormB")) << b;
  EXPECT_NE(std::string::npos, b.find("TKyQuery")) << b;

  // The first keeps the usual name; the second gets a name of its own.
  const auto undo = UndoLines("app/RBackup/RExpert.reu");
  ASSERT_EQ(4u, undo.size());
  EXPECT_EQ(dir_.Utf8("app/RBackup/Common.~dfm"), undo.at(dir_.Utf8("app/a/Common.dfm")));
  EXPECT_EQ(dir_.Utf8("app/RBackup/Common.2.~dfm"), undo.at(dir_.Utf8("app/b/Common.dfm")));
  EXPECT_EQ(dir_.Utf8("app/RBackup/UnitA.~pas"), undo.at(dir_.Utf8("app/a/UnitA.pas")));
  EXPECT_EQ(FormWithQuery("FormA"), dir_.Read("app/RBackup/Common.~dfm"));
  EXPECT_EQ(FormWithQuery("FormB"), dir_.Read("app/RBackup/Common.2.~dfm"));

  ASSERT_TRUE(r.Restore(dir_ / "app/RBackup/RExpert.reu"));
  EXPECT_EQ(FormWithQuery("FormA"), dir_.Read("app/a/Common.dfm"));
  EXPECT_EQ(FormWithQuery("FormB"), dir_.Read("app/b/Common.dfm"));
  EXPECT_EQ(UnitWithQuery("UnitB", "{$R Common.dfm}"), dir_.Read("app/b/UnitB.pas"));
}

TEST_F(RunSafetyTest, NamesThatDifferOnlyInCaseAreTwoFilesWithTwoBackupsAndTwoUndoLines) {
  dir_.Write("f/Main.pas", UnitWithQuery("Main", ""));
  dir_.Write("f/main.pas", UnitWithQuery("main", "// the other one"));
  TComponentReplacer& r = FolderRun("f");
  ASSERT_TRUE(r.Run());
  EXPECT_EQ(2, r.ChangedCount());
  EXPECT_NE(std::string::npos, dir_.Read("f/Main.pas").find("TKyQuery"));
  EXPECT_NE(std::string::npos, dir_.Read("f/main.pas").find("TKyQuery"));
  const auto undo = UndoLines("f/RBackup/RExpert.reu");
  ASSERT_EQ(2u, undo.size());
  const std::string upper = undo.at(dir_.Utf8("f/Main.pas"));
  const std::string lower = undo.at(dir_.Utf8("f/main.pas"));
  EXPECT_EQ(dir_.Utf8("f/RBackup/Main.~pas"), upper);
  // Folded to one case the natural names clash, as on a file system that
  // ignores case.
  EXPECT_EQ(dir_.Utf8("f/RBackup/main.2.~pas"), lower);
  EXPECT_EQ(UnitWithQuery("Main", ""), dir_.Read("f/RBackup/Main.~pas"));
  EXPECT_EQ(UnitWithQuery("main", "// the other one"), dir_.Read("f/RBackup/main.2.~pas"));
}

TEST_F(RunSafetyTest, AFileListedTwiceOrUnderASecondNameIsConvertedAndCountedOnce) {
  const std::string app = CopyBde("app");
  TComponentReplacer& r = ProjectRun("app/OrderDesk.dpr");
  r.Options().UnitNames = FromUtf8(app + "/Main.pas\r\n" + app + "/Main.pas\r\nMain.pas\r\n");
  ASSERT_TRUE(r.Run());
  EXPECT_EQ(2, r.ChangedCount());  // Main.pas and Main.dfm
  EXPECT_EQ(2u, UndoLines("app/RBackup/RExpert.reu").size());
  const std::vector<std::string> log = Log("app");
  EXPECT_EQ(1, std::count(log.begin(), log.end(), "Processing file: " + app + "/Main.pas"));
}

TEST_F(RunSafetyTest, AFullDiskBesideTheOriginalsReplacesNoneAndLeavesNothingBeside) {
  const std::string app = CopyBde("app");
  TComponentReplacer& r = ProjectRun("app/OrderDesk.dpr");
  TFaultyFileSystem fs;
  // The temporary folder on another file system: every converted file is
  // copied beside its original, and the sixth finds the disk full.
  fs.FailOn(TFsOp::Link, u"*/app/.~*", EXDEV);
  fs.FailOn(TFsOp::Copy, u"*/app/.~DataMod.dfm*", ENOSPC);
  r.SetFileSystem(fs);
  EXPECT_FALSE(r.Run());
  ExpectBdeUntouched("app");
  EXPECT_EQ(std::vector<std::string>{}, StagedLeftIn("app"));
  // The backups were second names, made before the copies.
  int backups = 0;
  for (const auto& call : fs.Journal())
    if (call.op == TFsOp::Link && !call.failed) ++backups;
  EXPECT_EQ(7, backups);
  const std::vector<std::string> log = Log("app");
  EXPECT_TRUE(Contains(log, "Failed to write converted file beside its original: " + app +
                                "/DataMod.dfm (No space left on device)"));
  EXPECT_EQ("Replace failed.", log.back());
  EXPECT_FALSE(Contains(log, "Replacing original files"));
  EXPECT_FALSE(dir_.Exists("app/RBackup/RExpert.reu")) << "no undo file for a run that replaced "
                                                          "nothing";
  EXPECT_TRUE(TmpIsEmpty());
}

TEST_F(RunSafetyTest, ConvertedFilesBesideTheirOriginalsTakeTheirPermissions) {
  const std::string app = CopyBde("app");
  ::chmod((app + "/Main.pas").c_str(), 0640);
  ::chmod((app + "/Main.dfm").c_str(), 0604);
  ASSERT_TRUE(ProjectRun("app/OrderDesk.dpr").Run());
  EXPECT_EQ(0640u, dir_.Mode("app/Main.pas"));
  EXPECT_EQ(0604u, dir_.Mode("app/Main.dfm"));
  EXPECT_EQ(std::vector<std::string>{}, StagedLeftIn("app"));
}

TEST_F(RunSafetyTest, ARunOnAFolderAnotherRunHoldsRefusesAndChangesNothing) {
  CopyBde("app");
  dir_.Write("app/Wiz_Log.txt", "the first run's log");
  TComponentReplacer& r = ProjectRun("app/OrderDesk.dpr");
  {
    TFolderLock first(dir_ / "app");
    try {
      r.Run();
      FAIL() << "no exception";
    } catch (const EFolderLocked& e) {
      EXPECT_NE(String::npos, e.Message().find(dir_ / "app")) << ToUtf8(e.Message());
    }
  }
  ExpectBdeUntouched("app");
  EXPECT_EQ("the first run's log", dir_.Read("app/Wiz_Log.txt"));
  EXPECT_FALSE(dir_.Exists("app/RBackup"));
  EXPECT_TRUE(TmpIsEmpty());
  // Released with its holder.
  ASSERT_TRUE(r.Run());
}

TEST_F(RunSafetyTest, TwoRunsSharingABackupFolderDoNotRunAtOnce) {
  CopyBde("app");
  dir_.MakeFolder("shared");
  TComponentReplacer& r = ProjectRun("app/OrderDesk.dpr");
  r.Options().BackupDir = dir_ / "shared";
  TFolderLock other(dir_ / "shared");
  EXPECT_THROW(r.Run(), EFolderLocked);
  ExpectBdeUntouched("app");
  EXPECT_EQ("Replace failed.", Log("app").back());
}

TEST_F(RunSafetyTest, AnEmptyUndoFileDoesNotPushTheNextRunIntoANumberedFolder) {
  dir_.Write("f/Utils.pas", "unit Utils;\r\ninterface\r\nimplementation\r\nend.\r\n");
  TComponentReplacer& r = FolderRun("f");
  ASSERT_TRUE(r.Run());
  EXPECT_EQ("", dir_.Read("f/RBackup/RExpert.reu"));
  dir_.Write("f/Q.pas", UnitWithQuery("Q", ""));
  ASSERT_TRUE(r.Run());
  EXPECT_EQ(dir_ / "f/RBackup/RExpert.reu", r.UndoFileName());
  EXPECT_FALSE(dir_.Exists("f/RBackup/2"));
  EXPECT_EQ(UnitWithQuery("Q", ""), dir_.Read("f/RBackup/Q.~pas"));
}

TEST_F(RunSafetyTest, ALogThatIsALinkOrAPipeStopsTheRunBeforeAnythingChanges) {
  CopyBde("app");
  dir_.Write("outside.txt", "not a log");
  dir_.MakeLink("app/Wiz_Log.txt", dir_.Utf8("outside.txt"));
  TComponentReplacer& r = ProjectRun("app/OrderDesk.dpr");
  try {
    r.Run();
    FAIL() << "no exception";
  } catch (const EFCreateError& e) {
    EXPECT_NE(String::npos, e.Message().find(dir_ / "app/Wiz_Log.txt")) << ToUtf8(e.Message());
  }
  EXPECT_EQ("not a log", dir_.Read("outside.txt"));
  ExpectBdeUntouched("app");
  EXPECT_FALSE(dir_.Exists("app/RBackup"));

  stdfs::remove(dir_.Utf8("app/Wiz_Log.txt"));
  ASSERT_EQ(0, ::mkfifo(dir_.Utf8("app/Wiz_Log.txt").c_str(), 0600));
  EXPECT_THROW(r.Run(), EFCreateError);  // at once, without waiting for a reader
  ExpectBdeUntouched("app");
  EXPECT_TRUE(TmpIsEmpty());
}

TEST_F(RunSafetyTest, ABackupNameThatIsALinkStopsTheRunBeforeAnyBackupIsMade) {
  CopyBde("app");
  dir_.Write("outside.txt", "keep me");
  dir_.MakeFolder("app/RBackup");
  dir_.MakeLink("app/RBackup/Main.~pas", dir_.Utf8("outside.txt"));
  TComponentReplacer& r = ProjectRun("app/OrderDesk.dpr");
  try {
    r.Run();
    FAIL() << "no exception";
  } catch (const EFCreateError& e) {
    EXPECT_NE(String::npos, e.Message().find(dir_ / "app/RBackup/Main.~pas"))
        << ToUtf8(e.Message());
  }
  EXPECT_EQ("keep me", dir_.Read("outside.txt"));
  ExpectBdeUntouched("app");
  // No backup was made: the names were all checked first.
  std::vector<std::string> backups;
  for (const auto& e : stdfs::directory_iterator(dir_.Utf8("app/RBackup")))
    if (e.path().filename() != ".mirel.lock") backups.push_back(e.path().filename().string());
  EXPECT_EQ(std::vector<std::string>{"Main.~pas"}, backups);
  const std::vector<std::string> log = Log("app");
  EXPECT_EQ("Replace failed.", log.back());
  EXPECT_TRUE(Contains(log, "RBackup/Main.~pas"));
  EXPECT_TRUE(TmpIsEmpty());
}

TEST_F(RunSafetyTest, AnUndoFileThatIsALinkStopsTheRun) {
  CopyBde("app");
  dir_.Write("outside.txt", "keep me");
  dir_.MakeFolder("app/RBackup");
  dir_.MakeLink("app/RBackup/RExpert.reu", dir_.Utf8("outside.txt") + ".missing");
  EXPECT_THROW(ProjectRun("app/OrderDesk.dpr").Run(), EFCreateError);
  ExpectBdeUntouched("app");
  EXPECT_FALSE(dir_.Exists("outside.txt.missing"));
}

TEST_F(RunSafetyTest, AStaleBackupOfAnEarlierRunIsKeptAndTheNewOneNamedApart) {
  CopyBde("app");
  dir_.Write("app/RBackup/Main.~pas", "an older backup");
  TComponentReplacer& r = ProjectRun("app/OrderDesk.dpr");
  ASSERT_TRUE(r.Run());
  EXPECT_EQ("an older backup", dir_.Read("app/RBackup/Main.~pas"));
  EXPECT_EQ(dir_.Utf8("app/RBackup/Main.2.~pas"),
            UndoLines("app/RBackup/RExpert.reu").at(dir_.Utf8("app/Main.pas")));
}

TEST_F(RunSafetyTest, InFolderModeALinkInsideIsFollowedAndALinkOutsideIsSkippedAndSaid) {
  dir_.Write("f/sub/Real.pas", UnitWithQuery("Real", ""));
  dir_.MakeLink("f/Alias.pas", "sub/Real.pas");
  dir_.Write("elsewhere/Far.pas", UnitWithQuery("Far", ""));
  dir_.MakeLink("f/Far.pas", dir_.Utf8("elsewhere/Far.pas"));
  TComponentReplacer& r = FolderRun("f");
  ASSERT_TRUE(r.Run());
  EXPECT_EQ(1, r.ChangedCount());
  EXPECT_TRUE(stdfs::is_symlink(dir_.Utf8("f/Alias.pas")));
  EXPECT_NE(std::string::npos, dir_.Read("f/sub/Real.pas").find("TKyQuery"));
  EXPECT_EQ(UnitWithQuery("Real", ""), dir_.Read("f/RBackup/Alias.~pas"));
  EXPECT_EQ(UnitWithQuery("Far", ""), dir_.Read("elsewhere/Far.pas"));
  EXPECT_TRUE(stdfs::is_symlink(dir_.Utf8("f/Far.pas")));
  EXPECT_TRUE(Contains(Log("f"), "Skipped: " + dir_.Utf8("f/Far.pas") +
                                     " is a symbolic link to a file outside " + dir_.Utf8("f")));
  EXPECT_EQ(std::vector<std::string>{}, StagedLeftIn("elsewhere"));
}

TEST_F(RunSafetyTest, AFormReachedThroughALinkOutsideTheProjectIsNotWritten) {
  const std::string app = CopyBde("app");
  dir_.MakeFolder("elsewhere");
  stdfs::rename(app + "/Customers.dfm", dir_.Utf8("elsewhere/Customers.dfm"));
  dir_.MakeLink("app/Customers.dfm", dir_.Utf8("elsewhere/Customers.dfm"));
  TComponentReplacer& r = ProjectRun("app/OrderDesk.dpr");
  ASSERT_TRUE(r.Run());
  std::ifstream in(kExamples + "/bde/Customers.dfm", std::ios::binary);
  const std::string original((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
  EXPECT_EQ(original, dir_.Read("elsewhere/Customers.dfm"));
  EXPECT_TRUE(Contains(Log("app"),
                       "Skipped: " + app + "/Customers.dfm is a symbolic link to a file outside"));
  EXPECT_EQ(6, r.ChangedCount());
  EXPECT_EQ(std::vector<std::string>{}, StagedLeftIn("elsewhere"));
}

TEST_F(RunSafetyTest, AStoppedRunLeavesEveryOriginalAndNothingBesideThem) {
  for (const char* step : {"converted", "backed-up", "staged"}) {
    SCOPED_TRACE(step);
    const std::string rel = std::string("app-") + step;
    CopyBde(rel);
    TComponentReplacer& r = ProjectRun(rel + "/OrderDesk.dpr");
    bool stop = false;
    r.StopRequested = [&] { return stop; };
    r.OnStep = [&](StringView at) { stop = stop || at == FromUtf8(step); };
    EXPECT_THROW(r.Run(), ERunStopped);
    r.StopRequested = nullptr;
    r.OnStep = nullptr;
    ExpectBdeUntouched(rel);
    EXPECT_EQ(std::vector<std::string>{}, StagedLeftIn(rel));
    const std::vector<std::string> log = Log(rel);
    EXPECT_TRUE(Contains(log, "Stopped on request before any original was replaced"));
    EXPECT_EQ("Replace failed.", log.back());
    EXPECT_TRUE(TmpIsEmpty());
  }
}

TEST_F(RunSafetyTest, AStopDuringTheRenamesLetsThemFinish) {
  const std::string app = CopyBde("app");
  TComponentReplacer& r = ProjectRun("app/OrderDesk.dpr");
  bool stop = false;
  r.StopRequested = [&] { return stop; };
  r.OnStep = [&](StringView at) { stop = stop || at == u"replacing"; };
  const bool ok = r.Run();
  r.StopRequested = nullptr;
  r.OnStep = nullptr;
  ASSERT_TRUE(ok);
  EXPECT_EQ(7u, UndoLines("app/RBackup/RExpert.reu").size());
  EXPECT_NE(std::string::npos, dir_.Read("app/Customers.dfm").find("TKyQuery"));
  const std::vector<std::string> log = Log("app");
  EXPECT_TRUE(Contains(log, "Stop requested while originals were being replaced"));
  EXPECT_EQ("Replace procedure was performed sucessfully.", log.back());
  ASSERT_TRUE(r.Restore(dir_ / "app/RBackup/RExpert.reu"));
  ExpectBdeUntouched("app");
}

TEST_F(RunSafetyTest, AnExceptionEndsTheLogWithItsReasonAndReplaceFailed) {
  const std::string app = CopyBde("app");
  TComponentReplacer& r = ProjectRun("app/OrderDesk.dpr");
  TFaultyFileSystem fs;
  fs.FailOn(TFsOp::Read, u"*/app/Reports.pas", EIO);
  r.SetFileSystem(fs);
  EXPECT_THROW(r.Run(), EFOpenError);
  const std::vector<std::string> log = Log("app");
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ("Cannot open file \"" + app + "/Reports.pas\". Input/output error",
            log[log.size() - 2]);
  EXPECT_EQ("Replace failed.", log.back());
}

TEST_F(RunSafetyTest, AFolderThatCannotBeCreatedIsNamedOnTheNextLine) {
  const std::string app = CopyBde("app");
  TComponentReplacer& r = ProjectRun("app/OrderDesk.dpr");
  TFaultyFileSystem fs;
  fs.FailOn(TFsOp::CreateFolder, u"*/app/RBackup");
  r.SetFileSystem(fs);
  try {
    r.Run();
    FAIL() << "no exception";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(0u, e.Message().find(u"Failed to create directory."));
  }
  const std::vector<std::string> log = Log("app");
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ("Failed to create directory.", log[log.size() - 3]);
  EXPECT_EQ(app + "/RBackup", log[log.size() - 2]);
  EXPECT_EQ("Replace failed.", log.back());
  ExpectBdeUntouched("app");
}

namespace {

TEST_F(RunSafetyTest, AFileWhoseNameHoldsALineBreakStopsTheRunBeforeAnythingChanges) {
  dir_.Write("f/A.pas", UnitWithQuery("A", ""));
  dir_.Write("f/Two\nLines.pas", UnitWithQuery("Two", ""));
  TComponentReplacer& r = FolderRun("f");
  try {
    r.Run();
    ADD_FAILURE() << "the run went on";
  } catch (const EFCreateError& e) {
    EXPECT_NE(String::npos, e.Message().find(u"Two\nLines.pas")) << ToUtf8(e.Message());
  }
  EXPECT_EQ(UnitWithQuery("A", ""), dir_.Read("f/A.pas"));
  EXPECT_EQ(UnitWithQuery("Two", ""), dir_.Read("f/Two\nLines.pas"));
  EXPECT_FALSE(dir_.Exists("f/RBackup/RExpert.reu"));
}

TEST_F(RunSafetyTest, AUnitOnAWindowsDriveIsSkippedAndTheRestOfTheProjectConverts) {
  CopyBde("p");
  std::string dpr = dir_.Read("p/OrderDesk.dpr");
  const std::string utils = "  Utils in 'Utils.pas';";
  ASSERT_NE(std::string::npos, dpr.find(utils));
  dpr.replace(dpr.find(utils), utils.size(),
              "  Utils in 'Utils.pas',\r\n  Shared in 'C:\\Lib\\Shared.pas';");
  dir_.Write("p/OrderDesk.dpr", dpr);
  TComponentReplacer& r = ProjectRun("p/OrderDesk.dpr");
  r.Options().UnitNames += u"Shared.pas\r\n";
  EXPECT_TRUE(r.Run());
  const auto log = LogLines(dir_.Read("p/Wiz_Log.txt"));
  EXPECT_TRUE(Contains(log, "Skipped: C:/Lib/Shared.pas is on a Windows drive"))
      << dir_.Read("p/Wiz_Log.txt");
  EXPECT_NE(std::string::npos, dir_.Read("p/Main.pas").find("KyAccess"));
}

}  // namespace
