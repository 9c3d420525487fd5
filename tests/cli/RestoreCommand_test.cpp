// mirel-migrate restore, run as a user would: what it says, what it puts
// back, what it leaves alone, and its exit status.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/CliTest.h"
#include "support/FilesTempDir.h"

using mirel::testing::TRun;
using mirel::testing::TTempDir;
namespace stdfs = std::filesystem;

namespace {

const std::string& kTool = mirel::testing::kCliTool;
const std::string& kExamples = mirel::testing::kExamplesDir;

class RestoreCommand : public mirel::testing::CliTest {
 protected:
  // Runs the tool in the test folder; with a terminal as its standard output
  // (through script(1)) when asked, which then also carries its stderr; under
  // another command (such as flock(1)) when one is given.
  TRun Run(const std::string& args, bool terminal = false, const std::string& under = "") {
    std::string tool = under + "env TMPDIR='" + dir_.Utf8("tmp") + "' '" + kTool + "' " + args;
    if (terminal) tool = "script -qec \"" + tool + "\" /dev/null";
    const std::string cmd = "cd '" + dir_.Utf8("") + "' && " + tool + " >'" +
                            dir_.Utf8("run/stdout") + "' 2>'" + dir_.Utf8("run/stderr") +
                            "' </dev/null";
    const int status = std::system(cmd.c_str());
    TRun r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = dir_.Read("run/stdout");
    r.err = dir_.Read("run/stderr");
    return r;
  }

  // app/ as a run leaves it: converted files, their backups in app/RBackup
  // and the undo file naming them.
  void LeaveRun() {
    dir_.Write("app/Main.pas", "converted unit");
    dir_.Write("app/Main.dfm", "converted form");
    dir_.Write("app/RBackup/Main.~pas", "original unit");
    dir_.Write("app/RBackup/Main.~dfm", "original form");
    undo_ = Line("app/Main.pas", "app/RBackup/Main.~pas") +
            Line("app/Main.dfm", "app/RBackup/Main.~dfm");
    dir_.Write("app/RBackup/RExpert.reu", undo_);
  }
  std::string Line(const std::string& original, const std::string& backup) {
    return dir_.Utf8(original) + "=" + dir_.Utf8(backup) + "\r\n";
  }

  bool SameAsExample(const std::string& example, const std::string& copy) {
    for (const auto& e : stdfs::recursive_directory_iterator(kExamples + "/" + example)) {
      if (!e.is_regular_file()) continue;
      const std::string rel = stdfs::relative(e.path(), kExamples + "/" + example).string();
      std::ifstream in(e.path(), std::ios::binary);
      const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      if (dir_.Read(copy + "/" + rel) != bytes) return false;
    }
    return true;
  }

  std::string undo_;
};

}  // namespace

TEST_F(RestoreCommand, AnEmptyUndoFileIsNothingToRestore) {
  dir_.Write("RExpert.reu", "");
  const TRun r = Run("restore RExpert.reu");
  EXPECT_EQ(0, r.code);
  EXPECT_EQ("Nothing to restore.\n", r.out);
  EXPECT_EQ("", r.err);
}

TEST_F(RestoreCommand, AFileThatCannotBeRestoredIsNamedAndTheOthersAreRestored) {
  LeaveRun();
  std::remove(dir_.Utf8("app/Main.pas").c_str());
  dir_.MakeFolder("app/Main.pas");  // nothing can take its place
  const TRun r = Run("restore app/RBackup/RExpert.reu");
  EXPECT_EQ(1, r.code);
  EXPECT_EQ("1 of 2 file(s) restored.\n", r.out);
  EXPECT_EQ("Failed to restore file: " + dir_.Utf8("app/Main.pas") +
                " (Is a directory)\n"
                "Failed to restore files.\n",
            r.err);
  EXPECT_EQ("original form", dir_.Read("app/Main.dfm"));
}

TEST_F(RestoreCommand, LinesOutsideTheRunsFoldersAreRefusedUnlessForced) {
  LeaveRun();
  dir_.Write("precious.txt", "mine");
  dir_.Write("app/RBackup/precious.~txt", "intruder");
  dir_.Write("app/RBackup/RExpert.reu", undo_ + Line("precious.txt", "app/RBackup/precious.~txt"));
  TRun r = Run("restore app/RBackup/RExpert.reu");
  EXPECT_EQ(1, r.code);
  EXPECT_EQ("2 of 3 file(s) restored.\n", r.out);
  EXPECT_EQ("Refused to restore file: " + dir_.Utf8("precious.txt") +
                " (it lies outside the folder " + dir_.Utf8("app") +
                ", where the run worked)\n"
                "Use --force to restore those too.\n"
                "Failed to restore files.\n",
            r.err);
  EXPECT_EQ("mine", dir_.Read("precious.txt"));
  EXPECT_EQ("original unit", dir_.Read("app/Main.pas"));

  r = Run("restore --force app/RBackup/RExpert.reu");
  EXPECT_EQ(0, r.code) << r.err;
  EXPECT_EQ("intruder", dir_.Read("precious.txt"));
}

TEST_F(RestoreCommand, AMissingBackupIsNamedAndNothingIsRestored) {
  LeaveRun();
  std::remove(dir_.Utf8("app/RBackup/Main.~dfm").c_str());
  const TRun r = Run("restore app/RBackup/RExpert.reu");
  EXPECT_EQ(1, r.code);
  EXPECT_EQ("", r.out);
  EXPECT_EQ("Failed to restore file: " + dir_.Utf8("app/Main.dfm") + " (its backup " +
                dir_.Utf8("app/RBackup/Main.~dfm") +
                " is missing)\n"
                "Nothing was restored: every backup must be there.\n"
                "Failed to restore files.\n",
            r.err);
  EXPECT_EQ("converted unit", dir_.Read("app/Main.pas"));
}

TEST_F(RestoreCommand, OnATerminalTheFilesToBeOverwrittenAreListedFirst) {
  LeaveRun();
  std::remove(dir_.Utf8("app/Main.dfm").c_str());
  const TRun r = Run("restore app/RBackup/RExpert.reu", /*terminal=*/true);
  EXPECT_EQ(0, r.code);
  EXPECT_EQ("Restoring will overwrite:\r\n  " + dir_.Utf8("app/Main.pas") +
                "\r\n"
                "Files were succefully restored.\r\n",
            r.out);
  EXPECT_EQ("original form", dir_.Read("app/Main.dfm"));
}

TEST_F(RestoreCommand, AFileEditedAfterTheRunIsKeptUnlessForced) {
  stdfs::copy(kExamples + "/bde", dir_.Utf8("OrderDesk"), stdfs::copy_options::recursive);
  TRun r = Run("replace --folder OrderDesk");
  ASSERT_EQ(0, r.code) << r.err;
  ASSERT_TRUE(dir_.Exists("OrderDesk/RBackup/RExpert.sum"));
  const std::string edited = dir_.Read("OrderDesk/Main.pas") + "// a week of work\r\n";
  dir_.Write("OrderDesk/Main.pas", edited);

  r = Run("restore OrderDesk/RBackup/RExpert.reu");
  EXPECT_EQ(1, r.code);
  EXPECT_EQ("Changed since the run, not restored: " + dir_.Utf8("OrderDesk/Main.pas") +
                "\n"
                "Use --force to restore those too.\n"
                "Failed to restore files.\n",
            r.err);
  EXPECT_EQ(edited, dir_.Read("OrderDesk/Main.pas"));
  EXPECT_FALSE(SameAsExample("bde", "OrderDesk"));

  r = Run("restore --force OrderDesk/RBackup/RExpert.reu");
  EXPECT_EQ(0, r.code) << r.err;
  EXPECT_EQ("Files were succefully restored.\n", r.out);
  EXPECT_TRUE(SameAsExample("bde", "OrderDesk"));
}

TEST_F(RestoreCommand, WhileARunHoldsTheBackupFolderNothingIsRestored) {
  LeaveRun();
  dir_.Write("app/RBackup/.mirel.lock", "");
  // flock(1) holds the lock, as a run does, for as long as the restore runs.
  const TRun r = Run("restore app/RBackup/RExpert.reu", false, "flock app/RBackup/.mirel.lock ");
  EXPECT_EQ(1, r.code);
  EXPECT_NE(std::string::npos,
            r.err.find("Another run is using the folder \"" + dir_.Utf8("app/RBackup") +
                       "\"; wait until it has ended."))
      << r.err;
  EXPECT_NE(std::string::npos, r.err.find("Failed to restore files."));
  EXPECT_EQ("converted unit", dir_.Read("app/Main.pas"));
}
