// Whole runs over the example projects, in project and folder mode, with
// backups, the undo file, the log and the restore; and runs that fail part
// way, through a file system that refuses chosen operations.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

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
const std::string kExpected = std::string(MIREL_TEST_DATA_DIR) + "/run";

const char* kBdeChanged[] = {"Main.pas", "DataMod.pas", "Customers.pas", "Reports.pas",
                             "Main.dfm", "DataMod.dfm", "Customers.dfm"};
const char* kBdeFiles[] = {"OrderDesk.dpr", "OrderDesk.dproj", "Main.pas",      "Main.dfm",
                           "DataMod.pas",   "DataMod.dfm",     "Customers.pas", "Customers.dfm",
                           "Reports.pas",   "Utils.pas"};

std::string ReadFile(const std::string& path) {
  std::string bytes;
  if (!TFileSystem::Real().ReadFile(FromUtf8(path), bytes)) return "<missing>";
  return bytes;
}

// Whether a log line begins with prefix.
bool HasLineStarting(const std::vector<std::string>& log, const std::string& prefix) {
  return std::any_of(log.begin(), log.end(),
                     [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
}

using mirel::testing::LogLines;

class TRecordingOpener : public TShellOpener {
 public:
  bool Open(StringView path) override {
    opened.push_back(String(path));
    return true;
  }
  std::vector<String> opened;
};

class ReplaceRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A temporary folder of the test's own, so that it can check that runs
    // leave none of theirs behind.
    tmp_ = dir_ / "tmp";
    stdfs::create_directories(ToUtf8(tmp_));
    const char* old = getenv("TMPDIR");
    old_tmp_ = old ? old : "";
    had_tmp_ = old != nullptr;
    setenv("TMPDIR", ToUtf8(tmp_).c_str(), 1);
    SetShellOpener(&opener_);
  }
  void TearDown() override {
    SetShellOpener(nullptr);
    if (had_tmp_)
      setenv("TMPDIR", old_tmp_.c_str(), 1);
    else
      unsetenv("TMPDIR");
  }

  // Copies an example into the test folder and returns its path there.
  std::string CopyExample(const std::string& name, const std::string& to) {
    const std::string dest = dir_.Utf8(to);
    stdfs::create_directories(stdfs::path(dest).parent_path());
    stdfs::copy(kExamples + "/" + name, dest, stdfs::copy_options::recursive);
    return dest;
  }

  // Opens the BDE example as the host's project and selects all its units.
  void OpenBdeProject(TComponentReplacer& r) {
    const std::string app = CopyExample("bde", "app");
    host_.Open(FromUtf8(app + "/OrderDesk.dpr"));
    host_.Install();
    TReplaceOptions& o = r.Options();
    o.Dest = 0;
    o.UnitNames.clear();
    for (int i = 0; i < TIDEUtils::GetProjectModuleCount(); ++i) {
      const String m = TIDEUtils::GetProjectModuleFileName(i);
      if (EndsText(u".pas", m)) o.UnitNames += m + u"\r\n";
    }
    o.MakeBackup = true;
    o.BackupDir = dir_ / "app/RBackup";
    o.WriteLog = true;
    o.ViewLog = false;
  }

  bool TmpIsEmpty() const { return stdfs::is_empty(ToUtf8(tmp_)); }

  // A run through fs; the real file system is back afterwards, thrown or not.
  static bool RunThrough(TComponentReplacer& r, TFaultyFileSystem& fs) {
    struct Restore {
      TComponentReplacer& r;
      ~Restore() { r.SetFileSystem(TFileSystem::Real()); }
    } restore{r};
    r.SetFileSystem(fs);
    return r.Run();
  }

  void ExpectOriginalsUntouched(const std::string& app) {
    for (const char* f : kBdeFiles)
      EXPECT_EQ(ReadFile(kExamples + "/bde/" + f), ReadFile(app + "/" + f)) << f;
  }

  TTempDir dir_;
  String tmp_;
  std::string old_tmp_;
  bool had_tmp_ = false;
  TRecordingOpener opener_;
  TDiskProjectHost host_;
  TProfilesScope profiles_;
};

}  // namespace

TEST_F(ReplaceRunTest, ProjectModeConvertsBacksUpLogsAndRestores) {
  TComponentReplacer& r = BdeReplacer();
  OpenBdeProject(r);
  const std::string app = dir_.Utf8("app");
  ASSERT_TRUE(r.Run());

  for (const char* f : kBdeChanged) {
    EXPECT_EQ(ReadFile(kExpected + "/bde-expected/" + f), ReadFile(app + "/" + f)) << f;
    std::string backup(f);
    backup.insert(backup.rfind('.') + 1, "~");
    EXPECT_EQ(ReadFile(kExamples + "/bde/" + f), ReadFile(app + "/RBackup/" + backup)) << f;
  }
  EXPECT_EQ(ReadFile(kExamples + "/bde/Utils.pas"), ReadFile(app + "/Utils.pas"));
  EXPECT_EQ("<missing>", ReadFile(app + "/RBackup/Utils.~pas"));
  EXPECT_EQ(7, r.ChangedCount());
  EXPECT_EQ(0, r.Units().Count());
  EXPECT_TRUE(TmpIsEmpty());

  std::string undo;
  for (const char* f : kBdeChanged) {
    std::string backup(f);
    backup.insert(backup.rfind('.') + 1, "~");
    undo += app + "/" + f + "=" + app + "/RBackup/" + backup + "\r\n";
  }
  EXPECT_EQ(undo, ReadFile(app + "/RBackup/RExpert.reu"));

  std::vector<std::string> expectedLog = {"BDE/ADO Migration Wizard log", "Initializing unit list",
                                          "Creating backup folder", "Allocating temporary folder"};
  const std::pair<const char*, const char*> steps[] = {
      {"Main.pas", "27 change(s)"},     {"DataMod.pas", "7 change(s)"},
      {"Customers.pas", "3 change(s)"}, {"Reports.pas", "5 change(s)"},
      {"Utils.pas", "No changes"},      {"Main.dfm", "9 change(s)"},
      {"DataMod.dfm", "3 change(s)"},   {"Customers.dfm", "2 change(s)"}};
  for (const auto& [file, count] : steps) {
    expectedLog.push_back("Processing file: " + app + "/" + file);
    expectedLog.push_back(count);
  }
  expectedLog.insert(expectedLog.end(),
                     {"Replacing original files with changed versions",
                      "Backup file: " + app + "/RBackup/RExpert.reu", "Removing temporary folder",
                      "Replace procedure was performed sucessfully."});
  EXPECT_EQ(expectedLog, LogLines(ReadFile(app + "/Wiz_Log.txt")));

  // The restore gives back every original, byte for byte, and can be repeated.
  ASSERT_TRUE(r.Restore(dir_ / "app/RBackup/RExpert.reu"));
  ExpectOriginalsUntouched(app);
  ASSERT_TRUE(AdoReplacer().Restore(dir_ / "app/RBackup/RExpert.reu"));
  ExpectOriginalsUntouched(app);
}

TEST_F(ReplaceRunTest, FolderModeKeepsSubfoldersForCopiesBackupsAndUndoLines) {
  TComponentReplacer& r = AdoReplacer();
  CopyExample("ado", "root/sub/ado");
  const std::string root = dir_.Utf8("root");
  TReplaceOptions& o = r.Options();
  o.Dest = 1;
  o.Directory = FromUtf8(root);
  o.IncludeSubDirs = true;
  o.MakeBackup = true;
  o.BackupDir = dir_ / "bak";
  o.WriteLog = true;
  o.ViewLog = true;
  ASSERT_TRUE(r.Run());

  for (const char* f : {"Main.pas", "Main.dfm"})
    EXPECT_EQ(ReadFile(kExpected + "/ado-expected/" + f), ReadFile(root + "/sub/ado/" + f)) << f;
  EXPECT_EQ(ReadFile(kExamples + "/ado/Main.pas"), ReadFile(dir_.Utf8("bak/sub/ado/Main.~pas")));
  EXPECT_EQ(root + "/sub/ado/Main.pas=" + dir_.Utf8("bak/sub/ado/Main.~pas") + "\r\n" + root +
                "/sub/ado/Main.dfm=" + dir_.Utf8("bak/sub/ado/Main.~dfm") + "\r\n",
            ReadFile(dir_.Utf8("bak/RExpert.reu")));
  EXPECT_EQ(std::vector<String>{FromUtf8(root + "/Wiz_Log.txt")}, opener_.opened);
  EXPECT_TRUE(TmpIsEmpty());

  // Without subfolders, the folder holds no unit: nothing changes.
  o.IncludeSubDirs = false;
  o.WriteLog = false;  // ViewLog without a log opens nothing
  opener_.opened.clear();
  ASSERT_TRUE(r.Run());
  EXPECT_EQ(0, r.ChangedCount());
  EXPECT_TRUE(opener_.opened.empty());
}

TEST_F(ReplaceRunTest, ARunThatChangesNothingStillLeavesAnEmptyUndoFile) {
  TComponentReplacer& r = BdeReplacer();
  dir_.Write("plain/Utils.pas", "unit Utils;\r\ninterface\r\nimplementation\r\nend.\r\n");
  TReplaceOptions& o = r.Options();
  o.Dest = 1;
  o.Directory = dir_ / "plain";
  o.IncludeSubDirs = false;
  o.MakeBackup = true;
  o.BackupDir = dir_ / "plain/RBackup";
  o.WriteLog = true;
  o.ViewLog = false;
  ASSERT_TRUE(r.Run());
  EXPECT_EQ("", ReadFile(dir_.Utf8("plain/RBackup/RExpert.reu")));
  const std::vector<std::string> log = LogLines(ReadFile(dir_.Utf8("plain/Wiz_Log.txt")));
  EXPECT_EQ(log.end(),
            std::find(log.begin(), log.end(), "Replacing original files with changed versions"));
  EXPECT_TRUE(r.Restore(dir_ / "plain/RBackup/RExpert.reu")) << "nothing to restore is no failure";

  // Without backups: no backup folder, no undo file, no "Backup file" line.
  o.MakeBackup = false;
  o.BackupDir = dir_ / "plain/none";
  dir_.Write("plain/Q.pas", "uses DBTables; var Q: TQuery;");
  ASSERT_TRUE(r.Run());
  EXPECT_FALSE(dir_.Exists("plain/none"));
  EXPECT_EQ(
      "uses DBTables, KyAccess, KyProvAccess, KyProvC, KyProvIntf, VantaAccess, VantaMem; "
      "var Q: TKyQuery;",
      dir_.Read("plain/Q.pas"));
  for (const std::string& line : LogLines(ReadFile(dir_.Utf8("plain/Wiz_Log.txt"))))
    EXPECT_NE(0u, line.rfind("Backup file", 0));
}

TEST_F(ReplaceRunTest, AFailedBackupStopsTheRunBeforeAnyOriginalIsReplaced) {
  TComponentReplacer& r = BdeReplacer();
  OpenBdeProject(r);
  TFaultyFileSystem fs;
  // Neither a second name nor a copy can be made.
  fs.FailOn(TFsOp::Link, u"*/RBackup/DataMod.~dfm", EXDEV);
  fs.FailOn(TFsOp::Copy, u"*/RBackup/DataMod.~dfm");
  EXPECT_FALSE(RunThrough(r, fs));
  const std::string app = dir_.Utf8("app");
  ExpectOriginalsUntouched(app);
  const std::vector<std::string> log = LogLines(ReadFile(app + "/Wiz_Log.txt"));
  EXPECT_TRUE(HasLineStarting(log, "Failed to back up file: " + app + "/DataMod.dfm"));
  EXPECT_EQ("Replace failed.", log.back());
  EXPECT_TRUE(TmpIsEmpty());
}

TEST_F(ReplaceRunTest, AFailedReplacementIsReportedAndTheUndoFileRestoresEverything) {
  TComponentReplacer& r = BdeReplacer();
  OpenBdeProject(r);
  TFaultyFileSystem fs;
  fs.FailOnCall(TFsOp::Rename, 2);  // the second original
  EXPECT_FALSE(RunThrough(r, fs));
  const std::string app = dir_.Utf8("app");
  EXPECT_EQ(ReadFile(kExamples + "/bde/DataMod.pas"), ReadFile(app + "/DataMod.pas"))
      << "the failed copy left the original whole";
  EXPECT_EQ(ReadFile(kExpected + "/bde-expected/Main.pas"), ReadFile(app + "/Main.pas"));
  EXPECT_EQ("Replace failed.", LogLines(ReadFile(app + "/Wiz_Log.txt")).back());
  ASSERT_TRUE(r.Restore(dir_ / "app/RBackup/RExpert.reu"));
  ExpectOriginalsUntouched(app);
}

// As with a temporary folder on another file system, or backups on a file
// system without hard links.
TEST_F(ReplaceRunTest, WhereNothingCanBeLinkedOrMovedTheRunCopies) {
  TComponentReplacer& r = BdeReplacer();
  OpenBdeProject(r);
  TFaultyFileSystem fs;
  fs.FailOn(TFsOp::Link, u"*", EPERM);
  fs.FailOn(TFsOp::Move, u"*", EXDEV);
  ASSERT_TRUE(RunThrough(r, fs));
  EXPECT_EQ(14, fs.Calls(TFsOp::Copy));  // seven backups, seven replacements
  const std::string app = dir_.Utf8("app");
  for (const char* f : kBdeChanged)
    EXPECT_EQ(ReadFile(kExpected + "/bde-expected/" + f), ReadFile(app + "/" + f)) << f;
  EXPECT_TRUE(TmpIsEmpty());
  ASSERT_TRUE(r.Restore(dir_ / "app/RBackup/RExpert.reu"));
  ExpectOriginalsUntouched(app);
}

TEST_F(ReplaceRunTest, ConvertedCopiesThatCannotReachTheDiskReplaceNothing) {
  TComponentReplacer& r = BdeReplacer();
  OpenBdeProject(r);
  TFaultyFileSystem fs;
  fs.FailOn(TFsOp::Sync, u"*/$DS*", EIO);
  EXPECT_FALSE(RunThrough(r, fs));
  const std::string app = dir_.Utf8("app");
  ExpectOriginalsUntouched(app);
  const std::vector<std::string> log = LogLines(ReadFile(app + "/Wiz_Log.txt"));
  EXPECT_TRUE(HasLineStarting(log, "Failed to write converted files to disk: "));
  EXPECT_EQ("Replace failed.", log.back());
  EXPECT_TRUE(TmpIsEmpty());
}

TEST_F(ReplaceRunTest, AUnitReachedThroughALinkIsBackedUpAndReplacedAsItsFile) {
  TComponentReplacer& r = BdeReplacer();
  OpenBdeProject(r);
  const std::string app = dir_.Utf8("app");
  stdfs::create_directories(app + "/shared");
  stdfs::rename(app + "/Reports.pas", app + "/shared/Reports.pas");
  stdfs::create_symlink("shared/Reports.pas", app + "/Reports.pas");
  ASSERT_TRUE(r.Run());
  EXPECT_TRUE(stdfs::is_symlink(app + "/Reports.pas"));
  EXPECT_EQ(ReadFile(kExpected + "/bde-expected/Reports.pas"),
            ReadFile(app + "/shared/Reports.pas"));
  EXPECT_EQ(ReadFile(kExamples + "/bde/Reports.pas"), ReadFile(app + "/RBackup/Reports.~pas"));
  EXPECT_FALSE(stdfs::is_symlink(app + "/RBackup/Reports.~pas"));
  ASSERT_TRUE(r.Restore(dir_ / "app/RBackup/RExpert.reu"));
  ExpectOriginalsUntouched(app);
}

TEST_F(ReplaceRunTest, NoTemporaryFolderMeansNothingIsTouched) {
  TComponentReplacer& r = BdeReplacer();
  OpenBdeProject(r);
  TFaultyFileSystem fs;
  fs.FailOn(TFsOp::CreateFolder, u"*/$DS*");
  EXPECT_THROW(RunThrough(r, fs), EFCreateError);
  ExpectOriginalsUntouched(dir_.Utf8("app"));
  EXPECT_EQ(0, r.Units().Count());
  for (const auto& call : fs.Journal())
    EXPECT_NE(TFsOp::Remove, call.op) << "nothing may be deleted: " << ToUtf8(call.path);
}

TEST_F(ReplaceRunTest, AUnitVanishingMidRunLeavesEveryOriginalAndNoTemporaryFolder) {
  TComponentReplacer& r = BdeReplacer();
  OpenBdeProject(r);
  TFaultyFileSystem fs;
  fs.FailOn(TFsOp::Read, u"*/app/Customers.pas", ENOENT);
  EXPECT_THROW(RunThrough(r, fs), EFOpenError);
  ExpectOriginalsUntouched(dir_.Utf8("app"));
  EXPECT_TRUE(TmpIsEmpty());
  EXPECT_EQ(0, r.Units().Count());
  EXPECT_FALSE(r.Log().IsOpen());
}

TEST_F(ReplaceRunTest, AFailedReplacementInFolderModeIsAFailedRun) {
  TComponentReplacer& r = AdoReplacer();
  CopyExample("ado", "root");
  TReplaceOptions& o = r.Options();
  o.Dest = 1;
  o.Directory = dir_ / "root";
  o.IncludeSubDirs = false;
  o.MakeBackup = true;
  o.BackupDir = dir_ / "bak";
  o.WriteLog = true;
  o.ViewLog = false;
  TFaultyFileSystem fs;
  fs.FailOnCall(TFsOp::Rename, 1);  // the first converted file
  EXPECT_FALSE(RunThrough(r, fs));
  EXPECT_EQ("Replace failed.", LogLines(ReadFile(dir_.Utf8("root/Wiz_Log.txt"))).back());
  ASSERT_TRUE(r.Restore(dir_ / "bak/RExpert.reu"));
  for (const char* f : {"Main.pas", "Main.dfm"})
    EXPECT_EQ(ReadFile(kExamples + "/ado/" + f), ReadFile(dir_.Utf8("root/") + f)) << f;
}

TEST_F(ReplaceRunTest, ProjectModeWithTheAdoProfile) {
  TComponentReplacer& r = AdoReplacer();
  const std::string app = CopyExample("ado", "inv");
  host_.Open(FromUtf8(app + "/Inventory.dpr"));
  host_.Install();
  TReplaceOptions& o = r.Options();
  o.Dest = 0;
  o.UnitNames = u"Main.pas";  // a bare name: the project's module of that name is meant
  o.MakeBackup = true;
  o.BackupDir = dir_ / "inv/RBackup";
  o.WriteLog = false;
  ASSERT_TRUE(r.Run());
  for (const char* f : {"Main.pas", "Main.dfm"})
    EXPECT_EQ(ReadFile(kExpected + "/ado-expected/" + f), ReadFile(app + "/" + f)) << f;
  EXPECT_EQ("<missing>", ReadFile(app + "/Wiz_Log.txt"));
}

TEST_F(ReplaceRunTest, ASecondRunNeverOverwritesTheBackupsOfTheFirst) {
  TComponentReplacer& r = BdeReplacer();
  OpenBdeProject(r);
  const std::string app = dir_.Utf8("app");
  ASSERT_TRUE(r.Run());
  const std::string firstUndo = ReadFile(app + "/RBackup/RExpert.reu");
  // A unit that still has something to convert (an older copy put back).
  const std::string older = "unit Main;\r\nuses DBTables;\r\nvar Q: TQuery;\r\nend.\r\n";
  dir_.Write("app/Main.pas", older);
  ASSERT_TRUE(r.Run());  // by mistake, on the converted files
  EXPECT_EQ(dir_ / "app/RBackup/2/RExpert.reu", r.UndoFileName());
  EXPECT_EQ(firstUndo, ReadFile(app + "/RBackup/RExpert.reu"));
  EXPECT_EQ(ReadFile(kExamples + "/bde/Main.pas"), ReadFile(app + "/RBackup/Main.~pas"));
  EXPECT_EQ(older, ReadFile(app + "/RBackup/2/Main.~pas"));
  // The first run's undo file still leads back to the true originals.
  ASSERT_TRUE(r.Restore(dir_ / "app/RBackup/RExpert.reu"));
  ExpectOriginalsUntouched(app);
}

// Files are converted on several threads at once; the run must not show it.
TEST_F(ReplaceRunTest, ConvertingManyFilesAtOnceGivesTheRunOfOneAtATime) {
  TComponentReplacer& r = BdeReplacer();
  const auto runWith = [&](int threads, const std::string& name, bool damaged) {
    for (const char* sub : {"a", "b", "c", "d", "e", "f"}) CopyExample("bde", name + "/" + sub);
    if (damaged)  // a binary form cut short, in the middle of the run
      dir_.Write(name + "/c/Customers.dfm",
                 ReadFile(kExamples + "/bde/Customers.dfm").substr(0, 90));
    TReplaceOptions& o = r.Options();
    o.Dest = 1;
    o.Directory = dir_ / name;
    o.IncludeSubDirs = true;
    o.MakeBackup = true;
    o.BackupDir = dir_ / (name + "/RBackup");
    o.WriteLog = true;
    o.ViewLog = false;
    o.Threads = threads;
    std::string outcome;
    try {
      outcome = r.Run() ? "done" : "failed";
    } catch (const EFormFormatError&) {
      outcome = "damaged form";
    }
    o.Threads = 0;
    // The log and the tree, with the folder's own name taken out.
    std::string log;
    const std::string root = dir_.Utf8(name);
    for (std::string line : LogLines(ReadFile(root + "/Wiz_Log.txt"))) {
      for (size_t at; (at = line.find(root)) != std::string::npos;)
        line.replace(at, root.size(), "~");
      log += line + "\n";
    }
    std::string tree;
    for (const auto& e : stdfs::recursive_directory_iterator(root))
      if (e.is_regular_file() && e.path().filename() != "Wiz_Log.txt" &&
          e.path().filename() != "RExpert.reu" && e.path().filename() != "RExpert.sum")
        tree += e.path().string().substr(root.size()) + "=" + ReadFile(e.path().string()) + "\n";
    return outcome + "\n" + log + tree;
  };
  const std::string one = runWith(1, "one", false);
  EXPECT_EQ(0u, one.rfind("done\n", 0));
  EXPECT_EQ(one, runWith(4, "four", false));
  EXPECT_EQ(one, runWith(3, "three", false));

  const std::string oneDamaged = runWith(1, "one-damaged", true);
  EXPECT_EQ(0u, oneDamaged.rfind("damaged form\n", 0));
  EXPECT_EQ(oneDamaged, runWith(4, "four-damaged", true));
  ExpectOriginalsUntouched(dir_.Utf8("four-damaged/a"));
  EXPECT_TRUE(TmpIsEmpty());
}
