// Where a restore may read and write: paths taken apart as the kernel would.
#include "replace/RestorePaths.h"

#include <gtest/gtest.h>

#include "support/FilesTempDir.h"

using namespace mirel;
using mirel::testing::TTempDir;

TEST(RestorePaths, InsideMeansStrictlyBelowOnceLinksAreFollowed) {
  TTempDir dir;
  dir.Write("p/in/x", "1");
  dir.Write("p-sibling/x", "2");
  dir.Write("q/y", "3");
  dir.MakeLink("p/out", dir.Utf8("q"));
  dir.MakeLink("alias", dir.Utf8("p"));
  EXPECT_TRUE(IsInsideFolder(dir / "p/in/x", dir / "p"));
  EXPECT_TRUE(IsInsideFolder(dir / "p/new/file", dir / "p")) << "need not exist";
  EXPECT_FALSE(IsInsideFolder(dir / "p", dir / "p"));
  EXPECT_FALSE(IsInsideFolder(dir / "p-sibling/x", dir / "p"));
  EXPECT_FALSE(IsInsideFolder(dir / "p/../q/y", dir / "p"));
  EXPECT_FALSE(IsInsideFolder(dir / "p/out/y", dir / "p")) << "a link leading out";
  EXPECT_TRUE(IsInsideFolder(dir / "alias/in/x", dir / "p")) << "another way in";
}

TEST(RestorePaths, TheBackupFolderOfANumberedRunIsTheEarlierRunsFolder) {
  TTempDir dir;
  dir.Write("app/RBackup/2/RExpert.reu", "");
  EXPECT_EQ(dir / "app/RBackup/2", BackupFolderOf(dir / "app/RBackup/2/RExpert.reu"))
      << "no earlier undo file: a folder like any other";
  dir.Write("app/RBackup/RExpert.reu", "");
  EXPECT_EQ(dir / "app/RBackup", BackupFolderOf(dir / "app/RBackup/2/RExpert.reu"));
  EXPECT_EQ(dir / "app/RBackup", BackupFolderOf(dir / "app/RBackup/RExpert.reu"));
}
