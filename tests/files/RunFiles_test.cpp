// The file helpers a run leans on to lose nothing: the folder lock, backups
// that never overwrite or follow a link, converted files staged beside their
// originals, and a log that never writes through a link.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "files/FileUtils.h"
#include "files/FolderLock.h"
#include "files/LogWriter.h"
#include "support/FaultyFileSystem.h"
#include "support/FilesTempDir.h"

namespace mirel {
namespace {

using testing::TFaultyFileSystem;
using testing::TFsOp;
using testing::TTempDir;
namespace stdfs = std::filesystem;

TEST(FolderLockTest, OneHolderAtATimeAndReleasedWithIt) {
  TTempDir dir;
  {
    TFolderLock first(dir.Path());
    try {
      TFolderLock second(dir.Path());
      FAIL() << "locked twice";
    } catch (const EFolderLocked& e) {
      EXPECT_NE(String::npos, e.Message().find(u"\"" + dir.Path() + u"\"")) << ToUtf8(e.Message());
    }
  }
  TFolderLock again(dir.Path());
  EXPECT_EQ(dir.Path(), again.Folder());
  EXPECT_TRUE(dir.Exists(".mirel.lock"));
}

TEST(FolderLockTest, ALinkOrAPipeAsTheLockFileIsRefusedWithoutFollowingOrWaiting) {
  TTempDir dir;
  dir.Write("target.txt", "untouched");
  dir.MakeFolder("a");
  dir.MakeLink("a/.mirel.lock", dir.Utf8("target.txt"));
  EXPECT_THROW(TFolderLock(dir / "a"), EFCreateError);
  dir.MakeFolder("b");
  ASSERT_EQ(0, ::mkfifo(dir.Utf8("b/.mirel.lock").c_str(), 0600));
  EXPECT_THROW(TFolderLock(dir / "b"), EFCreateError);
  EXPECT_EQ("untouched", dir.Read("target.txt"));
}

TEST(BackUpFileTest, NeverOverwritesNorFollowsWhatIsAlreadyThere) {
  TTempDir dir;
  dir.Write("Main.pas", "new");
  dir.Write("old.~pas", "an earlier backup");
  dir.Write("outside.txt", "outside");
  dir.MakeLink("link.~pas", dir.Utf8("outside.txt"));
  dir.MakeLink("dangling.~pas", dir.Utf8("nowhere.txt"));
  TFaultyFileSystem noLinks;
  noLinks.FailOn(TFsOp::Link, u"*", EPERM);  // the copy path as well
  for (TFileSystem* fs : {&TFileSystem::Real(), static_cast<TFileSystem*>(&noLinks)}) {
    for (const char* name : {"old.~pas", "link.~pas", "dangling.~pas"}) {
      const TFsResult r = BackUpFile(dir / "Main.pas", dir / name, *fs);
      EXPECT_TRUE(r.AlreadyExists()) << name << " " << ToUtf8(r.Message());
    }
  }
  EXPECT_EQ("an earlier backup", dir.Read("old.~pas"));
  EXPECT_EQ("outside", dir.Read("outside.txt"));
  EXPECT_FALSE(dir.Exists("nowhere.txt"));
  ASSERT_TRUE(BackUpFile(dir / "Main.pas", dir / "Main.~pas"));
  EXPECT_EQ("new", dir.Read("Main.~pas"));
}

TEST(StageBesideTest, ANewHiddenFileBesideTheTargetWithItsPermissions) {
  TTempDir dir;
  dir.Write("tmp/Main.pas", "converted");
  dir.Write("app/Main.pas", "original");
  ::chmod(dir.Utf8("app/Main.pas").c_str(), 0640);
  String staged;
  ASSERT_TRUE(StageBeside(dir / "tmp/Main.pas", dir / "app/Main.pas", staged));
  EXPECT_EQ(0u, ToUtf8(staged).find(dir.Utf8("app/.~Main.pas.")));
  EXPECT_EQ("converted", dir.Read(ToUtf8(staged).substr(dir.Utf8("").size())));
  EXPECT_EQ("original", dir.Read("app/Main.pas"));
  EXPECT_EQ("converted", dir.Read("tmp/Main.pas"));
  struct stat st;
  ASSERT_EQ(0, ::stat(ToUtf8(staged).c_str(), &st));
  EXPECT_EQ(0640u, st.st_mode & 07777);
}

TEST(StageBesideTest, AFullDiskLeavesNothingBeside) {
  TTempDir dir;
  dir.Write("tmp/Main.pas", "converted");
  dir.Write("app/Main.pas", "original");
  TFaultyFileSystem fs;
  fs.FailOn(TFsOp::Link, u"*", EXDEV);
  fs.FailOn(TFsOp::Copy, u"*", ENOSPC);
  String staged = u"stale";
  const TFsResult r = StageBeside(dir / "tmp/Main.pas", dir / "app/Main.pas", staged, fs);
  EXPECT_EQ(ENOSPC, r.Error());
  EXPECT_TRUE(staged.empty());
  EXPECT_EQ("Main.pas", dir.Tree("app"));

  // Nor when the permissions cannot be given.
  TFaultyFileSystem noAttributes;
  noAttributes.FailOn(TFsOp::Attributes, u"*", EPERM);
  EXPECT_FALSE(StageBeside(dir / "tmp/Main.pas", dir / "app/Main.pas", staged, noAttributes));
  EXPECT_EQ("Main.pas", dir.Tree("app"));
}

TEST(LogWriterFilesTest, AnOldLogIsReplacedNeverEmptiedThroughAnotherName) {
  TTempDir dir;
  dir.Write("other.txt", "another name of the old log");
  ::link(dir.Utf8("other.txt").c_str(), dir.Utf8("Wiz_Log.txt").c_str());
  TLogWriter log;
  log.Open(dir / "Wiz_Log.txt");
  log.WriteLine(u"new");
  log.Close();
  EXPECT_EQ("another name of the old log", dir.Read("other.txt"));
  EXPECT_NE(std::string::npos, dir.Read("Wiz_Log.txt").find("new\r\n"));
}

TEST(LogWriterFilesTest, ALinkOrAPipeOfTheLogsNameIsRefusedAndLeftAsItIs) {
  TTempDir dir;
  dir.Write("target.txt", "keep");
  dir.MakeLink("Wiz_Log.txt", dir.Utf8("target.txt"));
  dir.MakeLink("Dangling.txt", dir.Utf8("created-through-the-link.txt"));
  ASSERT_EQ(0, ::mkfifo(dir.Utf8("Pipe.txt").c_str(), 0600));
  TLogWriter log;
  for (const char* name : {"Wiz_Log.txt", "Dangling.txt", "Pipe.txt"}) {
    try {
      log.Open(dir / name);
      FAIL() << name << " was opened";
    } catch (const EFCreateError& e) {
      EXPECT_NE(String::npos, e.Message().find(dir / name)) << ToUtf8(e.Message());
    }
    EXPECT_FALSE(log.IsOpen());
  }
  EXPECT_EQ("keep", dir.Read("target.txt"));
  EXPECT_FALSE(dir.Exists("created-through-the-link.txt"));
  EXPECT_TRUE(stdfs::is_symlink(dir.Utf8("Wiz_Log.txt")));
}

TEST(FileSystemSeamTest, RealPathAndAttributesNeverFollowTheTarget) {
  TTempDir dir;
  dir.Write("a.txt", "a");
  dir.Write("b.txt", "b");
  dir.MakeLink("link.txt", "a.txt");
  TFileSystem& fs = TFileSystem::Real();
  EXPECT_EQ(fs.RealPath(dir / "a.txt"), fs.RealPath(dir / "link.txt"));
  EXPECT_EQ(u"", fs.RealPath(dir / "missing.txt"));
  ::chmod(dir.Utf8("b.txt").c_str(), 0600);
  EXPECT_EQ(ELOOP, fs.CopyAttributes(dir / "b.txt", dir / "link.txt").Error());
  EXPECT_EQ(0644u & dir.Mode("a.txt"), dir.Mode("a.txt"));
  ASSERT_TRUE(fs.CopyAttributes(dir / "b.txt", dir / "a.txt"));
  EXPECT_EQ(0600u, dir.Mode("a.txt"));
  EXPECT_EQ(fs.Stat(dir / "a.txt").device, fs.Stat(dir / "b.txt").device);
}

}  // namespace
}  // namespace mirel
