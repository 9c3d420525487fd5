#include "files/FileUtils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "support/FaultyFileSystem.h"
#include "support/FilesTempDir.h"

namespace mirel {
namespace {

using testing::TFaultyFileSystem;
using testing::TFsOp;
using testing::TTempDir;

TEST(BackupFileNameTest, ReplacesOnlyTheLastExtension) {
  struct Row {
    const char* name;
    const char* backup;
  };
  for (const Row& r :
       {Row{"Unit1.pas", "Unit1.~pas"}, Row{"Main.DFM", "Main.~DFM"}, Row{"a.b.pas", "a.b.~pas"},
        Row{"Makefile", "Makefile.~"}, Row{"a.", "a.~"}, Row{"/p/Main.pas", "/p/Main.~pas"},
        Row{"/x.y/Makefile", "/x.y/Makefile.~"}}) {
    EXPECT_EQ(U(r.backup), BackupFileName(U(r.name))) << r.name;
  }
}

TEST(ForceFoldersTest, CreatesTheChainFromTheRootDown) {
  TTempDir dir;
  TFaultyFileSystem fs;
  EXPECT_TRUE(ForceFolders(dir / "a/b/c", fs));
  EXPECT_EQ("a/ a/b/ a/b/c/", dir.Tree());
  // Every folder from the first one below the root was asked for, in order.
  ASSERT_GE(fs.Journal().size(), 3u);
  EXPECT_EQ(u"/" + dir.Path().substr(1, dir.Path().find(u'/', 1) - 1), fs.Journal()[0].path);
  EXPECT_EQ(dir / "a/b/c", fs.Journal().back().path);

  EXPECT_TRUE(ForceFolders(dir / "d/e/", fs));
  EXPECT_TRUE(dir.Exists("d/e"));
}

TEST(ForceFoldersTest, ExistingFoldersAndTheRootChangeNothing) {
  TTempDir dir;
  dir.Write("a/b/keep.txt", "x");
  EXPECT_TRUE(ForceFolders(dir / "a/b"));
  EXPECT_TRUE(ForceFolders(dir.Path() + u"//a//b"));
  EXPECT_EQ("a/ a/b/ a/b/keep.txt", dir.Tree());
  EXPECT_TRUE(ForceFolders(u"/"));
  EXPECT_FALSE(ForceFolders(u""));
}

TEST(ForceFoldersTest, FailsWhenAFileStandsInTheWayOrCreationFails) {
  TTempDir dir;
  dir.Write("file", "x");
  EXPECT_FALSE(ForceFolders(dir / "file"));
  EXPECT_FALSE(ForceFolders(dir / "file/sub"));

  TFaultyFileSystem fs;
  fs.FailOn(TFsOp::CreateFolder, u"*/b");
  EXPECT_FALSE(ForceFolders(dir / "a/b/c", fs));
  EXPECT_EQ("a/ file", dir.Tree());
}

// Points $TMPDIR at a fresh folder for the test's duration.
class MakeTempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("TMPDIR");
    had_old_ = old != nullptr;
    if (old) old_ = old;
    setenv("TMPDIR", dir_.Utf8("").c_str(), 1);
  }
  void TearDown() override {
    if (had_old_)
      setenv("TMPDIR", old_.c_str(), 1);
    else
      unsetenv("TMPDIR");
  }
  TTempDir dir_;
  bool had_old_ = false;
  std::string old_;
};

TEST_F(MakeTempFolderTest, CreatesPrivateNumberedFolders) {
  const String first = MakeTempFolder(u"$DS", 1);
  EXPECT_EQ(dir_ / "$DS1", first);
  EXPECT_EQ(0700u, dir_.Mode("$DS1"));
  EXPECT_EQ(dir_ / "$DS2", MakeTempFolder(u"$DS", 1));
  EXPECT_EQ(dir_ / "ABCA", MakeTempFolder(u"ABCDEF", 10));  // three characters, hexadecimal
  EXPECT_EQ(dir_ / "$DS1F", MakeTempFolder(u"$DS", 31));
}

TEST_F(MakeTempFolderTest, SkipsNamesTakenByFoldersOrFiles) {
  dir_.MakeFolder("$DS1");
  dir_.Write("$DS2", "not a folder");
  EXPECT_EQ(dir_ / "$DS3", MakeTempFolder(u"$DS", 1));
  EXPECT_EQ("$DS1/ $DS2 $DS3/", dir_.Tree());
}

TEST_F(MakeTempFolderTest, FailureThrowsInsteadOfGivingAnEmptyPath) {
  TFaultyFileSystem fs;
  fs.FailOn(TFsOp::CreateFolder, u"*", EACCES);
  EXPECT_THROW(MakeTempFolder(u"$DS", 1, fs), EFCreateError);
  EXPECT_EQ(1, fs.Calls(TFsOp::CreateFolder));  // a refusal is not retried forever
  EXPECT_EQ("", dir_.Tree());

  dir_.Write("notafolder", "x");
  setenv("TMPDIR", dir_.Utf8("notafolder").c_str(), 1);
  EXPECT_THROW(MakeTempFolder(u"$DS", 1), EFCreateError);
}

void WriteSampleTree(const TTempDir& dir) {
  dir.Write("src/Main.pas", "unit Main;");
  dir.Write("src/Main.dfm", "object Form1");
  dir.Write("src/Sub/A.pas", "unit A;");
  dir.Write("src/Sub/Deeper/B.pas", "unit B;");
  dir.MakeFolder("src/Empty");
}

TEST(CopyFolderTest, CopiesTheTreeOverTheDestination) {
  TTempDir dir;
  WriteSampleTree(dir);
  dir.Write("dst/Main.pas", "old text, longer than the new one");
  dir.Write("dst/Sub/Other.pas", "untouched");
  EXPECT_TRUE(CopyFolder(dir / "src", dir / "dst"));
  EXPECT_EQ("Empty/ Main.dfm Main.pas Sub/ Sub/A.pas Sub/Deeper/ Sub/Deeper/B.pas Sub/Other.pas",
            dir.Tree("dst"));
  EXPECT_EQ("unit Main;", dir.Read("dst/Main.pas"));
  EXPECT_EQ("unit B;", dir.Read("dst/Sub/Deeper/B.pas"));
  EXPECT_EQ("untouched", dir.Read("dst/Sub/Other.pas"));
}

TEST(CopyFolderTest, ReportsFailureOfAnyEntry) {
  TTempDir dir;
  WriteSampleTree(dir);
  dir.MakeFolder("dst");
  {
    TFaultyFileSystem fs;
    fs.FailOn(TFsOp::Copy, u"*/Deeper/B.pas");  // deep in a sub-folder
    EXPECT_FALSE(CopyFolder(dir / "src", dir / "dst", fs));
    EXPECT_EQ("<missing>", dir.Read("dst/Sub/Deeper/B.pas"));
  }
  {
    TFaultyFileSystem fs;
    fs.FailOn(TFsOp::CreateFolder, u"*/dst2/Sub");
    dir.MakeFolder("dst2");
    EXPECT_FALSE(CopyFolder(dir / "src", dir / "dst2", fs));
    EXPECT_FALSE(dir.Exists("dst2/Sub"));
  }
  {
    TFaultyFileSystem fs;
    fs.FailOn(TFsOp::List, u"*/src/Sub");
    dir.MakeFolder("dst3");
    EXPECT_FALSE(CopyFolder(dir / "src", dir / "dst3", fs));
  }
  EXPECT_FALSE(CopyFolder(dir / "missing", dir / "dst"));
  dir.Write("src2/x.pas", "x");
  EXPECT_FALSE(CopyFolder(dir / "src2", dir / "no-such-dest"));
}

TEST(CopyFolderTest, LinksToFilesAreCopiedLinksToFoldersAreNotFollowed) {
  TTempDir dir;
  dir.Write("outside/o.txt", "outside");
  dir.Write("src/real.txt", "real");
  dir.MakeLink("src/file-link", dir.Utf8("outside/o.txt"));
  dir.MakeFolder("dst");
  EXPECT_TRUE(CopyFolder(dir / "src", dir / "dst"));
  EXPECT_EQ("outside", dir.Read("dst/file-link"));
  EXPECT_EQ("file-link real.txt", dir.Tree("dst"));

  dir.MakeLink("src/loop", "..");  // would copy forever if followed
  EXPECT_FALSE(CopyFolder(dir / "src", dir / "dst"));
  EXPECT_FALSE(dir.Exists("dst/loop"));
}

TEST(DeleteFolderTest, RemovesNestedTreeBottomUp) {
  TTempDir dir;
  WriteSampleTree(dir);
  TFaultyFileSystem fs;
  EXPECT_TRUE(DeleteFolder(dir / "src", fs));
  EXPECT_EQ("", dir.Tree());
  // Each entry was removed, and each folder after everything inside it.
  const auto& journal = fs.Journal();
  const auto at = [&](const char* rel) {
    const String path = dir / rel;
    return std::find_if(journal.begin(), journal.end(),
                        [&](const TFaultyFileSystem::TCall& c) {
                          return c.path == path && (c.op == TFsOp::Delete || c.op == TFsOp::Remove);
                        }) -
           journal.begin();
  };
  EXPECT_LT(at("src/Sub/Deeper/B.pas"), at("src/Sub/Deeper"));
  EXPECT_LT(at("src/Sub/Deeper"), at("src/Sub"));
  EXPECT_LT(at("src/Sub"), at("src"));
}

TEST(DeleteFolderTest, LinksAreRemovedNeverFollowed) {
  TTempDir dir;
  dir.Write("outside/keep.txt", "keep");
  dir.Write("tree/a.txt", "a");
  dir.MakeLink("tree/to-folder", dir.Utf8("outside"));
  dir.MakeLink("tree/to-file", dir.Utf8("outside/keep.txt"));
  dir.MakeLink("link-to-tree", dir.Utf8("outside"));
  EXPECT_FALSE(DeleteFolder(dir / "link-to-tree"));
  EXPECT_FALSE(DeleteFolder(dir / "link-to-tree/"));
  EXPECT_TRUE(DeleteFolder(dir / "tree/"));
  EXPECT_EQ("link-to-tree->" + dir.Utf8("outside") + " outside/ outside/keep.txt", dir.Tree());
}

TEST(DeleteFolderTest, RefusesPathsThatAreNotAnAbsoluteFolder) {
  TTempDir dir;
  dir.Write("x/file.txt", "x");
  TFaultyFileSystem fs;
  for (const String& path :
       {String(), String(u"/"), String(u"//"), String(u"x"), String(u"relative/x"), dir / "x/..",
        dir / "x/.", dir / "x/../x", dir / "x/file.txt"}) {
    EXPECT_FALSE(DeleteFolder(path, fs)) << ToUtf8(path);
  }
  EXPECT_EQ(0, fs.Calls(TFsOp::Delete) + fs.Calls(TFsOp::Remove) + fs.Calls(TFsOp::List));
  EXPECT_EQ("x/ x/file.txt", dir.Tree());
}

TEST(DeleteFolderTest, AFailedEntryKeepsItsFoldersButTheWalkGoesOn) {
  TTempDir dir;
  dir.Write("t/locked/held.txt", "x");
  dir.Write("t/locked/other.txt", "x");
  dir.Write("t/free/f.txt", "x");
  dir.Write("t/top.txt", "x");
  TFaultyFileSystem fs;
  fs.FailOn(TFsOp::Delete, u"*/held.txt", EBUSY);
  EXPECT_FALSE(DeleteFolder(dir / "t", fs));
  EXPECT_EQ("t/ t/locked/ t/locked/held.txt", dir.Tree());
}

}  // namespace
}  // namespace mirel
