// Restores from undo files written in temporary folders: what is put back,
// what is left alone and why, and what a full disk or a failing file does.
#include "replace/Restore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "files/FolderLock.h"
#include "files/Paths.h"
#include "replace/RunManifest.h"
#include "replace/UndoFile.h"
#include "support/FaultyFileSystem.h"
#include "support/FilesTempDir.h"

using namespace mirel;
using namespace mirel::testing;
using mirel::testing::TTempDir;

namespace {

// The statuses of a result as text, "restored changed ...", in item order.
std::string Statuses(const TRestoreResult& r) {
  std::string out;
  for (const TRestoreItem& item : r.Items) {
    static const char* const kNames[] = {"pending", "restored", "changed", "failed", "refused"};
    out += (out.empty() ? "" : " ") + std::string(kNames[static_cast<int>(item.Status)]);
  }
  return out;
}

ino_t Inode(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// A run's aftermath: app/ holds the converted files, app/RBackup the
// originals and the undo file.
class RestoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("app/Main.pas", "converted unit");
    dir_.Write("app/Main.dfm", "converted form");
    dir_.Write("app/RBackup/Main.~pas", "original unit");
    dir_.Write("app/RBackup/Main.~dfm", "original form");
    AddLine("app/Main.pas", "app/RBackup/Main.~pas");
    AddLine("app/Main.dfm", "app/RBackup/Main.~dfm");
  }

  void AddLine(const std::string& original, const std::string& backup) {
    undo_.Add(dir_ / original + u"=" + (dir_ / backup));
  }
  String UndoFile() const { return dir_ / "app/RBackup/RExpert.reu"; }
  void SaveUndo() { ASSERT_TRUE(SaveUndoFile(undo_, UndoFile())); }
  // The manifest a run writes once it has replaced the originals.
  void SaveManifest() { ASSERT_TRUE(SaveRunManifest(undo_, UndoFile())); }

  TRestoreResult Restore(TFileSystem& fs = TFileSystem::Real(), bool force = false) {
    SaveUndo();
    TRestoreOptions options;
    options.Force = force;
    return RestoreFromUndoFile(UndoFile(), options, fs);
  }

  TTempDir dir_;
  TStringList undo_;
};

}  // namespace

TEST_F(RestoreTest, CopiesEveryBackupBackAndCanBeRepeated) {
  const TRestoreResult r = Restore();
  ASSERT_TRUE(r.Succeeded());
  EXPECT_EQ("restored restored", Statuses(r));
  EXPECT_EQ("original unit", dir_.Read("app/Main.pas"));
  EXPECT_EQ("original form", dir_.Read("app/Main.dfm"));
  dir_.Write("app/Main.pas", "converted again");
  EXPECT_TRUE(Restore().Succeeded());
  EXPECT_EQ("original unit", dir_.Read("app/Main.pas"));
  EXPECT_EQ("original unit", dir_.Read("app/RBackup/Main.~pas")) << "backups stay";
}

TEST_F(RestoreTest, AMissingBackupTouchesNothingAndIsNamed) {
  std::remove(dir_.Utf8("app/RBackup/Main.~dfm").c_str());
  const TRestoreResult r = Restore();
  EXPECT_FALSE(r.Succeeded());
  EXPECT_TRUE(r.BackupMissing);
  EXPECT_EQ("pending failed", Statuses(r));
  EXPECT_EQ(u"Failed to restore file: " + (dir_ / "app/Main.dfm") + u" (its backup " +
                (dir_ / "app/RBackup/Main.~dfm") + u" is missing)",
            DescribeRestoreItem(r.Items[1]));
  EXPECT_EQ("converted unit", dir_.Read("app/Main.pas"));
}

TEST_F(RestoreTest, AFailedFileIsNamedAndTheOthersAreStillRestored) {
  TFaultyFileSystem fs;
  fs.FailOn(TFsOp::Link, u"*Main.~pas");
  fs.FailOn(TFsOp::Copy, u"*Main.~pas", ENOSPC);
  const TRestoreResult r = Restore(fs);
  EXPECT_FALSE(r.Succeeded());
  EXPECT_EQ("failed restored", Statuses(r));
  EXPECT_EQ(u"Failed to restore file: " + (dir_ / "app/Main.pas") + u" (No space left on device)",
            DescribeRestoreItem(r.Items[0]));
  EXPECT_EQ("converted unit", dir_.Read("app/Main.pas"));
  EXPECT_EQ("original form", dir_.Read("app/Main.dfm"));
  EXPECT_EQ(
      "Main.dfm Main.pas RBackup/ RBackup/.mirel.lock RBackup/Main.~dfm RBackup/Main.~pas "
      "RBackup/RExpert.reu",
      dir_.Tree("app"))
      << "no half-written file or stray link is left beside the originals";
}

TEST_F(RestoreTest, OnAFullDiskTheBackupIsLinkedIntoPlaceAndKept) {
  TFaultyFileSystem fs;
  fs.FailOn(TFsOp::Copy, u"*", ENOSPC);
  fs.FailOn(TFsOp::Write, u"*", ENOSPC);
  const TRestoreResult r = Restore(fs);
  ASSERT_TRUE(r.Succeeded()) << Statuses(r);
  EXPECT_TRUE(r.Items[0].Linked);
  EXPECT_EQ("original unit", dir_.Read("app/Main.pas"));
  EXPECT_EQ(Inode(dir_.Utf8("app/RBackup/Main.~pas")), Inode(dir_.Utf8("app/Main.pas")))
      << "a second name of the backup, no copy";
  EXPECT_EQ("original unit", dir_.Read("app/RBackup/Main.~pas"));
  EXPECT_TRUE(Restore(fs).Succeeded()) << "and again";
  EXPECT_EQ(
      "Main.dfm Main.pas RBackup/ RBackup/.mirel.lock RBackup/Main.~dfm RBackup/Main.~pas "
      "RBackup/RExpert.reu",
      dir_.Tree("app"));
}

TEST_F(RestoreTest, ARestoredFileIsACopySoAnEditInPlaceLeavesTheBackupAlone) {
  const TRestoreResult r = Restore();
  ASSERT_TRUE(r.Succeeded());
  EXPECT_FALSE(r.Items[0].Linked);
  EXPECT_NE(Inode(dir_.Utf8("app/RBackup/Main.~pas")), Inode(dir_.Utf8("app/Main.pas")));
  dir_.Write("app/Main.pas", "edited in place");  // as many editors save
  EXPECT_EQ("original unit", dir_.Read("app/RBackup/Main.~pas"));
}

TEST_F(RestoreTest, BackupsAreFoundWhateverTheCaseOfTheirNameOnDisk) {
  std::rename(dir_.Utf8("app/RBackup/Main.~dfm").c_str(),
              dir_.Utf8("app/RBackup/MAIN.~DFM").c_str());
  EXPECT_TRUE(Restore().Succeeded());
  EXPECT_EQ("original form", dir_.Read("app/Main.dfm"));
}

TEST_F(RestoreTest, AnEmptyUndoFileHasNothingToRestoreAndThatIsSuccess) {
  undo_.Clear();
  const TRestoreResult r = Restore();
  EXPECT_TRUE(r.NothingToRestore());
  EXPECT_TRUE(r.Succeeded());
  EXPECT_EQ("converted unit", dir_.Read("app/Main.pas"));
}

TEST_F(RestoreTest, PathsHoldingEqualsSignsAreRestored) {
  dir_.Write("app/proj=v2/a=b.pas", "converted");
  dir_.Write("app/RBackup/proj=v2/a=b.~pas", "original");
  AddLine("app/proj=v2/a=b.pas", "app/RBackup/proj=v2/a=b.~pas");
  const TRestoreResult r = Restore();
  ASSERT_TRUE(r.Succeeded()) << Statuses(r);
  EXPECT_EQ("original", dir_.Read("app/proj=v2/a=b.pas"));
}

TEST_F(RestoreTest, AFileNameSplitByALineBreakIsNotMisread) {
  // As an older run wrote it: the name "two\nlines.pas" split its line in
  // three, none of which names a backup that is there.
  dir_.Write("app/two\nlines.pas", "converted");
  dir_.Write("app/RBackup/two\nlines.~pas", "original");
  dir_.Write(
      "app/RBackup/RExpert.reu",
      ToUtf8(dir_ / "app/two\nlines.pas=" + (dir_ / "app/RBackup/two\nlines.~pas") + u"\r\n"));
  const TRestoreResult r = RestoreFromUndoFile(UndoFile());
  EXPECT_EQ("refused failed refused", Statuses(r));
  EXPECT_TRUE(r.BackupMissing);
  EXPECT_EQ("converted", dir_.Read("app/two\nlines.pas"));
  EXPECT_EQ(
      "Main.dfm Main.pas RBackup/ RBackup/.mirel.lock RBackup/Main.~dfm RBackup/Main.~pas "
      "RBackup/RExpert.reu "
      "RBackup/two\nlines.~pas two\nlines.pas",
      dir_.Tree("app"))
      << "nothing written";
}

TEST_F(RestoreTest, RelativeLinesAreResolvedAgainstTheUndoFilesFolder) {
  undo_.Clear();
  undo_.Add(u"../Main.pas=Main.~pas");
  // A decoy in the current folder must not be taken.
  dir_.Write("cwd/Main.~pas", "decoy");
  const std::string old = std::filesystem::current_path().string();
  ASSERT_EQ(0, ::chdir(dir_.Utf8("cwd").c_str()));
  const TRestoreResult r = Restore();
  ASSERT_EQ(0, ::chdir(old.c_str()));
  ASSERT_TRUE(r.Succeeded()) << Statuses(r);
  EXPECT_EQ("original unit", dir_.Read("app/Main.pas"));
  EXPECT_FALSE(dir_.Exists("cwd/Main.pas"));
}

TEST_F(RestoreTest, ABackupOutsideTheUndoFilesFolderIsRefusedUnlessForced) {
  dir_.Write("app/Other.pas", "converted");
  dir_.Write("elsewhere/Other.~pas", "from elsewhere");
  AddLine("app/Other.pas", "elsewhere/Other.~pas");
  TRestoreResult r = Restore();
  EXPECT_EQ("restored restored refused", Statuses(r));
  EXPECT_EQ(u"Refused to restore file: " + (dir_ / "app/Other.pas") +
                u" (its backup lies outside the undo file's folder " + (dir_ / "app/RBackup") +
                u")",
            DescribeRestoreItem(r.Items[2]));
  EXPECT_EQ("converted", dir_.Read("app/Other.pas"));

  r = Restore(TFileSystem::Real(), /*force=*/true);
  EXPECT_TRUE(r.Succeeded()) << Statuses(r);
  EXPECT_EQ("from elsewhere", dir_.Read("app/Other.pas"));
}

TEST_F(RestoreTest, WithoutAManifestOriginalsOutsideTheRunsFolderAreRefusedUnlessForced) {
  dir_.Write("app/RBackup/passwd.~", "intruder");
  dir_.Write("etc/passwd", "precious");
  AddLine("etc/passwd", "app/RBackup/passwd.~");
  TRestoreResult r = Restore();
  EXPECT_EQ("restored restored refused", Statuses(r));
  EXPECT_EQ("precious", dir_.Read("etc/passwd"));

  r = Restore(TFileSystem::Real(), /*force=*/true);
  EXPECT_TRUE(r.Succeeded()) << Statuses(r);
  EXPECT_EQ("intruder", dir_.Read("etc/passwd"));
}

TEST_F(RestoreTest, ALinkLeadingOutOfTheRunsFolderIsOutside) {
  dir_.Write("etc/passwd", "precious");
  dir_.MakeLink("app/Linked.pas", dir_.Utf8("etc/passwd"));
  dir_.Write("app/RBackup/Linked.~pas", "intruder");
  AddLine("app/Linked.pas", "app/RBackup/Linked.~pas");
  EXPECT_EQ("restored restored refused", Statuses(Restore()));
  EXPECT_EQ("precious", dir_.Read("etc/passwd"));
}

TEST_F(RestoreTest, NothingEverOverwritesTheUndoFileOrABackup) {
  AddLine("app/RBackup/Main.~pas", "app/RBackup/Main.~dfm");
  AddLine("app/RBackup/RExpert.reu", "app/RBackup/Main.~dfm");
  const TRestoreResult r = Restore(TFileSystem::Real(), /*force=*/true);
  EXPECT_EQ("restored restored refused refused", Statuses(r));
  EXPECT_EQ("original unit", dir_.Read("app/RBackup/Main.~pas"));
  EXPECT_NE(std::string::npos, dir_.Read("app/RBackup/RExpert.reu").find("Main.~pas="));
}

TEST_F(RestoreTest, ALaterRunsNumberedFolderBelongsToTheSameProject) {
  dir_.Write("app/RBackup/RExpert.reu", "");  // the earlier run's
  dir_.Write("app/RBackup/2/Main.~pas", "second run's original");
  TStringList second;
  second.Add(dir_ / "app/Main.pas" + u"=" + (dir_ / "app/RBackup/2/Main.~pas"));
  ASSERT_TRUE(SaveUndoFile(second, dir_ / "app/RBackup/2/RExpert.reu"));
  const TRestoreResult r = RestoreFromUndoFile(dir_ / "app/RBackup/2/RExpert.reu");
  ASSERT_TRUE(r.Succeeded()) << Statuses(r);
  EXPECT_EQ("second run's original", dir_.Read("app/Main.pas"));
}

TEST_F(RestoreTest, AFileChangedSinceTheRunIsNotOverwrittenUnlessForced) {
  SaveManifest();
  dir_.Write("app/Main.pas", "converted unit, and a week of work");
  TRestoreResult r = Restore();
  EXPECT_TRUE(r.HasManifest);
  EXPECT_EQ("changed restored", Statuses(r));
  EXPECT_EQ(u"Changed since the run, not restored: " + (dir_ / "app/Main.pas"),
            DescribeRestoreItem(r.Items[0]));
  EXPECT_EQ("converted unit, and a week of work", dir_.Read("app/Main.pas"));
  EXPECT_EQ("original form", dir_.Read("app/Main.dfm"));

  r = Restore(TFileSystem::Real(), /*force=*/true);
  EXPECT_TRUE(r.Succeeded());
  EXPECT_EQ("original unit", dir_.Read("app/Main.pas"));
}

TEST_F(RestoreTest, WithAManifestARestoreCanBeRepeatedAndADeletedFileComesBack) {
  SaveManifest();
  ASSERT_TRUE(Restore().Succeeded());
  EXPECT_TRUE(Restore().Succeeded()) << "a restored file holds its backup, not later work";
  std::remove(dir_.Utf8("app/Main.dfm").c_str());
  EXPECT_TRUE(Restore().Succeeded());
  EXPECT_EQ("original form", dir_.Read("app/Main.dfm"));
}

TEST_F(RestoreTest, WithAManifestOnlyTheFilesTheRunWroteAreWritten) {
  SaveManifest();
  dir_.Write("app/Sub/Extra.pas", "mine");
  dir_.Write("app/RBackup/Extra.~pas", "not from the run");
  AddLine("app/Sub/Extra.pas", "app/RBackup/Extra.~pas");
  const TRestoreResult r = Restore();
  EXPECT_EQ("restored restored refused", Statuses(r));
  EXPECT_EQ(u"Refused to restore file: " + (dir_ / "app/Sub/Extra.pas") +
                u" (the run did not write it (it is not listed in RExpert.sum))",
            DescribeRestoreItem(r.Items[2]));
  EXPECT_EQ("mine", dir_.Read("app/Sub/Extra.pas"));
}

TEST_F(RestoreTest, AFileALaterRunConvertedAgainIsStillOurs) {
  SaveManifest();
  // A later run into the same backup folder converted Main.pas once more.
  dir_.Write("app/Main.pas", "converted twice");
  dir_.Write("app/RBackup/2/Main.~pas", "converted unit");
  TStringList later;
  later.Add(dir_ / "app/Main.pas" + u"=" + (dir_ / "app/RBackup/2/Main.~pas"));
  ASSERT_TRUE(SaveUndoFile(later, dir_ / "app/RBackup/2/RExpert.reu"));
  ASSERT_TRUE(SaveRunManifest(later, dir_ / "app/RBackup/2/RExpert.reu"));
  const TRestoreResult r = Restore();
  EXPECT_TRUE(r.Succeeded()) << Statuses(r);
  EXPECT_EQ("original unit", dir_.Read("app/Main.pas"));
}

TEST_F(RestoreTest, AnUnreadableOriginalIsNotOverwrittenBlind) {
  SaveManifest();
  TFaultyFileSystem fs;
  fs.FailOn(TFsOp::Read, u"*/app/Main.pas");
  const TRestoreResult r = Restore(fs);
  EXPECT_EQ("failed restored", Statuses(r));
  EXPECT_EQ("converted unit", dir_.Read("app/Main.pas"));
}

TEST_F(RestoreTest, ThePlanIsShownBeforeAnythingIsWritten) {
  std::remove(dir_.Utf8("app/Main.dfm").c_str());
  SaveUndo();
  TRestoreOptions options;
  std::string seen;
  options.OnPlan = [&](const TRestoreResult& plan) {
    for (const TRestoreItem& item : plan.Items)
      seen += ToUtf8(ExtractFileName(item.Original)) + (item.Overwrites ? "!" : "") + " ";
    seen += dir_.Read("app/Main.pas");
  };
  ASSERT_TRUE(RestoreFromUndoFile(UndoFile(), options).Succeeded());
  EXPECT_EQ("Main.pas! Main.dfm converted unit", seen);
}

TEST_F(RestoreTest, NothingIsRestoredWhileARunHoldsTheBackupFolder) {
  SaveUndo();
  const TFolderLock run(dir_ / "app/RBackup");
  EXPECT_THROW(RestoreFromUndoFile(UndoFile()), EFolderLocked);
  EXPECT_EQ("converted unit", dir_.Read("app/Main.pas"));
}

TEST_F(RestoreTest, NorWhileARunHoldsTheFolderOfTheOriginals) {
  SaveUndo();
  {
    const TFolderLock earlier(dir_ / "app");  // a run has worked here before
  }
  const TFolderLock run(dir_ / "app");
  EXPECT_THROW(RestoreFromUndoFile(UndoFile()), EFolderLocked);
  EXPECT_EQ("converted unit", dir_.Read("app/Main.pas"));
}

TEST_F(RestoreTest, FoldersNoRunHasLockedAreNotLitteredWithLockFiles) {
  ASSERT_TRUE(Restore().Succeeded());
  EXPECT_FALSE(dir_.Exists("app/.mirel.lock"));
  EXPECT_FALSE(dir_.Exists(".mirel.lock"));
}

TEST_F(RestoreTest, AManifestThatNamesNoneOfTheFilesIsAnotherRunsAndIsPassedOver) {
  // An empty run's manifest, left beside an undo file a later run cut short
  // wrote into the same folder.
  dir_.Write("app/RBackup/RExpert.sum", "");
  const TRestoreResult r = Restore();
  EXPECT_FALSE(r.HasManifest);
  EXPECT_TRUE(r.Succeeded()) << Statuses(r);
}
