#include "files/FileSystem.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <map>

#include "files/FileUtils.h"
#include "support/FaultyFileSystem.h"
#include "support/FilesTempDir.h"

namespace mirel {
namespace {

using testing::TFaultyFileSystem;
using testing::TFsOp;
using testing::TTempDir;

TFileSystem& Real() {
  return TFileSystem::Real();
}

TEST(FileSystemTest, WriteReplacesAtomicallyAndKeepsPermissions) {
  TTempDir dir;
  dir.Write("Unit1.pas", "old");
  ::chmod(dir.Utf8("Unit1.pas").c_str(), 0640);
  ASSERT_TRUE(Real().WriteFile(dir / "Unit1.pas", "new contents"));
  EXPECT_EQ("new contents", dir.Read("Unit1.pas"));
  EXPECT_EQ(0640u, dir.Mode("Unit1.pas"));
  EXPECT_EQ("Unit1.pas", dir.Tree());  // no temporary file left beside it

  ASSERT_TRUE(Real().WriteFile(dir / "New.pas", std::string("a\0b", 3)));
  EXPECT_EQ(std::string("a\0b", 3), dir.Read("New.pas"));
}

TEST(FileSystemTest, WriteThroughALinkKeepsTheLink) {
  TTempDir dir;
  dir.Write("real/Main.pas", "old");
  dir.MakeLink("Main.pas", "real/Main.pas");
  ASSERT_TRUE(Real().WriteFile(dir / "Main.pas", "new"));
  EXPECT_EQ("Main.pas->real/Main.pas real/ real/Main.pas", dir.Tree());
  EXPECT_EQ("new", dir.Read("real/Main.pas"));
}

TEST(FileSystemTest, FailedWritesLeaveNothingBehind) {
  TTempDir dir;
  dir.MakeFolder("folder");
  const TFsResult missing = Real().WriteFile(dir / "nowhere/x.pas", "x");
  EXPECT_EQ(ENOENT, missing.Error());
  EXPECT_FALSE(missing.Message().empty());
  EXPECT_EQ(EISDIR, Real().WriteFile(dir / "folder", "x").Error());
  // A pipe named like a unit is refused at once instead of waiting for a writer.
  ASSERT_EQ(0, ::mkfifo(dir.Utf8("pipe.pas").c_str(), 0600));
  std::string contents;
  EXPECT_EQ(EINVAL, Real().ReadFile(dir / "pipe.pas", contents).Error());
  EXPECT_EQ(EINVAL, Real().CopyFile(dir / "pipe.pas", dir / "copy.pas", true).Error());
  EXPECT_EQ("folder/ pipe.pas", dir.Tree());
}

TEST(FileSystemTest, CopyOverwritesOnlyWhenAskedAndKeepsModes) {
  TTempDir dir;
  dir.Write("a.sh", "new");
  ::chmod(dir.Utf8("a.sh").c_str(), 0750);
  dir.Write("b.sh", "old");
  ::chmod(dir.Utf8("b.sh").c_str(), 0600);

  EXPECT_TRUE(Real().CopyFile(dir / "a.sh", dir / "b.sh", false).AlreadyExists());
  EXPECT_EQ("old", dir.Read("b.sh"));
  ASSERT_TRUE(Real().CopyFile(dir / "a.sh", dir / "b.sh", true));
  EXPECT_EQ("new", dir.Read("b.sh"));
  EXPECT_EQ(0600u, dir.Mode("b.sh"));  // a replaced file keeps its bits
  ASSERT_TRUE(Real().CopyFile(dir / "a.sh", dir / "c.sh", false));
  EXPECT_EQ(0750u, dir.Mode("c.sh") & 0750);  // a new one takes the source's
  ASSERT_TRUE(Real().CopyFile(dir / "a.sh", dir / "a.sh", true));
  EXPECT_EQ("new", dir.Read("a.sh"));

  EXPECT_FALSE(Real().CopyFile(dir / "missing", dir / "b.sh", true));
  EXPECT_EQ("new", dir.Read("b.sh"));
  EXPECT_EQ("a.sh b.sh c.sh", dir.Tree());
}

// Backups are second names of their originals: that is only safe because
// no write of this file system ever changes a file in place.
TEST(FileSystemTest, ALinkedBackupKeepsItsContentsThroughEveryKindOfWrite) {
  TTempDir dir;
  dir.Write("Unit1.pas", "v1");
  dir.Write("next.pas", "v4");
  ASSERT_TRUE(Real().LinkFile(dir / "Unit1.pas", dir / "Unit1.~pas"));
  EXPECT_TRUE(Real().LinkFile(dir / "Unit1.pas", dir / "Unit1.~pas").AlreadyExists());
  ASSERT_TRUE(Real().WriteFile(dir / "Unit1.pas", "v2"));
  ASSERT_TRUE(Real().WriteFile(dir / "Unit1.pas", "v3", /*durable=*/false));
  ASSERT_TRUE(Real().CopyFile(dir / "next.pas", dir / "Unit1.pas", true, false));
  EXPECT_EQ("v4", dir.Read("Unit1.pas"));
  EXPECT_EQ("v1", dir.Read("Unit1.~pas"));

  // A link is followed: the backup is the file, not a second link to it.
  dir.Write("real/Main.pas", "old");
  dir.MakeLink("Main.pas", "real/Main.pas");
  ASSERT_TRUE(Real().LinkFile(dir / "Main.pas", dir / "Main.~pas"));
  ASSERT_TRUE(Real().WriteFile(dir / "Main.pas", "new"));
  EXPECT_EQ("old", dir.Read("Main.~pas"));
  EXPECT_EQ("new", dir.Read("real/Main.pas"));
}

TEST(FileSystemTest, MoveTakesOverTheReplacedFilesBitsAndKeepsLinks) {
  TTempDir dir;
  dir.Write("tmp/Unit1.pas", "converted");
  dir.Write("Unit1.pas", "original");
  ::chmod(dir.Utf8("Unit1.pas").c_str(), 0640);
  ASSERT_TRUE(Real().MoveFile(dir / "tmp/Unit1.pas", dir / "Unit1.pas"));
  EXPECT_EQ("converted", dir.Read("Unit1.pas"));
  EXPECT_EQ(0640u, dir.Mode("Unit1.pas"));

  dir.Write("real/Main.pas", "original");
  dir.MakeLink("Main.pas", "real/Main.pas");
  dir.Write("tmp/Main.pas", "converted");
  ASSERT_TRUE(Real().MoveFile(dir / "tmp/Main.pas", dir / "Main.pas"));
  EXPECT_EQ("Main.pas->real/Main.pas Unit1.pas real/ real/Main.pas tmp/", dir.Tree());
  EXPECT_EQ("converted", dir.Read("real/Main.pas"));

  dir.MakeFolder("folder");
  dir.Write("tmp/x", "x");
  EXPECT_EQ(EISDIR, Real().MoveFile(dir / "tmp/x", dir / "folder").Error());
  EXPECT_EQ(ENOENT, Real().MoveFile(dir / "tmp/missing", dir / "Unit1.pas").Error());
  EXPECT_EQ("converted", dir.Read("Unit1.pas"));
}

// Across file systems nothing can be moved or linked; the helpers copy.
TEST(FileSystemTest, AcrossFileSystemsMovesAndBackupsBecomeCopies) {
  struct stat shm, tmp;
  TTempDir dir;
  if (::stat("/dev/shm", &shm) != 0 || ::stat(dir.Utf8("").c_str(), &tmp) != 0 ||
      shm.st_dev == tmp.st_dev)
    GTEST_SKIP() << "needs /dev/shm on a file system of its own";
  char other[] = "/dev/shm/mirel-test-XXXXXX";
  ASSERT_NE(nullptr, ::mkdtemp(other));
  const String far = FromUtf8(other);
  ASSERT_TRUE(Real().WriteFile(far + u"/Unit1.pas", "converted"));
  dir.Write("Unit1.pas", "original");
  ::chmod(dir.Utf8("Unit1.pas").c_str(), 0604);
  EXPECT_EQ(EXDEV, Real().MoveFile(far + u"/Unit1.pas", dir / "Unit1.pas").Error());
  EXPECT_EQ("original", dir.Read("Unit1.pas"));
  EXPECT_EQ(EXDEV, Real().LinkFile(dir / "Unit1.pas", far + u"/Unit1.~pas").Error());

  ASSERT_TRUE(BackUpFile(dir / "Unit1.pas", far + u"/Unit1.~pas"));
  ASSERT_TRUE(ReplaceFile(far + u"/Unit1.pas", dir / "Unit1.pas"));
  EXPECT_EQ("converted", dir.Read("Unit1.pas"));
  EXPECT_EQ(0604u, dir.Mode("Unit1.pas"));
  std::string backup;
  ASSERT_TRUE(Real().ReadFile(far + u"/Unit1.~pas", backup));
  EXPECT_EQ("original", backup);
  EXPECT_TRUE(DeleteFolder(far));
}

TEST(FileSystemTest, ListsEntriesWithTheirOwnKindAndAnyNameBytes) {
  TTempDir dir;
  dir.Write(".hidden", "h");
  dir.Write("\xff\xfe.pas", "raw name");  // not valid UTF-8
  dir.MakeFolder("Sub");
  dir.MakeLink("link", "Sub");
  std::vector<TFolderEntry> entries;
  ASSERT_TRUE(Real().ListFolder(dir.Path(), entries));
  std::map<std::string, TFileKind> kinds;
  for (const auto& e : entries) kinds[ToUtf8(e.name)] = e.kind;
  EXPECT_EQ((std::map<std::string, TFileKind>{{".hidden", TFileKind::File},
                                              {"\xff\xfe.pas", TFileKind::File},
                                              {"Sub", TFileKind::Folder},
                                              {"link", TFileKind::Symlink}}),
            kinds);
  std::string contents;
  ASSERT_TRUE(Real().ReadFile(dir.Path() + u"/" + FromUtf8("\xff\xfe.pas"), contents));
  EXPECT_EQ("raw name", contents);
  EXPECT_EQ(TFileKind::Folder, Real().Stat(dir / "link").kind);
  EXPECT_EQ(TFileKind::Symlink, Real().LinkStat(dir / "link").kind);
  EXPECT_FALSE(Real().ListFolder(dir / ".hidden", entries));
  EXPECT_TRUE(entries.empty());
}

TEST(FileSystemTest, DeleteAndRemoveNeverReachThroughLinks) {
  TTempDir dir;
  dir.Write("Sub/keep.txt", "k");
  dir.MakeLink("link", "Sub");
  EXPECT_EQ(ENOTDIR, Real().RemoveFolder(dir / "link").Error());
  EXPECT_EQ(ENOTEMPTY, Real().RemoveFolder(dir / "Sub").Error());
  EXPECT_EQ(EISDIR, Real().DeleteFile(dir / "Sub").Error());
  ASSERT_TRUE(Real().DeleteFile(dir / "link"));
  EXPECT_EQ("Sub/ Sub/keep.txt", dir.Tree());
}

TEST(FileSystemTest, TempFolderIsAlwaysAbsolute) {
  const char* old = std::getenv("TMPDIR");
  const std::string saved = old ? old : "";
  setenv("TMPDIR", "/var/tmp//", 1);
  EXPECT_EQ(u"/var/tmp", Real().TempFolder());
  setenv("TMPDIR", "relative/tmp", 1);
  EXPECT_EQ(u"/tmp", Real().TempFolder());
  unsetenv("TMPDIR");
  EXPECT_EQ(u"/tmp", Real().TempFolder());
  if (old) setenv("TMPDIR", saved.c_str(), 1);
}

TEST(FaultyFileSystemTest, FailsChosenCallsAndTouchesNothing) {
  TTempDir dir;
  dir.Write("a", "a");
  TFaultyFileSystem fs;
  fs.FailOnCall(TFsOp::Copy, 2, EIO);
  fs.FailOn(TFsOp::Rename, u"*/locked*");
  EXPECT_TRUE(fs.CopyFile(dir / "a", dir / "b", true));
  EXPECT_EQ(EIO, fs.CopyFile(dir / "a", dir / "c", true).Error());
  EXPECT_TRUE(fs.CopyFile(dir / "a", dir / "d", true));
  EXPECT_EQ(EACCES, fs.Rename(dir / "a", dir / "locked").Error());  // target matched
  EXPECT_EQ("a b d", dir.Tree());
  EXPECT_EQ(3, fs.Calls(TFsOp::Copy));
  ASSERT_EQ(4u, fs.Journal().size());
  EXPECT_TRUE(fs.Journal()[1].failed);
  EXPECT_EQ(dir / "c", fs.Journal()[1].target);

  fs.ClearFaults();
  EXPECT_TRUE(fs.Rename(dir / "a", dir / "locked"));
  EXPECT_EQ("b d locked", dir.Tree());
}

}  // namespace
}  // namespace mirel
