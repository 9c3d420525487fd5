#include "replace/UndoFile.h"

#include <gtest/gtest.h>

#include "files/FaultyFileSystem.h"
#include "files/FileUtils.h"
#include "support/FilesTempDir.h"

using namespace mirel;
using mirel::testing::TTempDir;

namespace {

TStringList Pairs(std::initializer_list<String> lines) {
  TStringList l;
  for (const String& s : lines) l.Add(s);
  return l;
}

}  // namespace

TEST(UndoFile, WrittenAsPlainLinesWithAMarkOnlyForNonAsciiPaths) {
  TTempDir dir;
  ASSERT_TRUE(SaveUndoFile(
      Pairs({u"/app/Main.pas=/bak/Main.~pas", u"/app/Main.dfm=/bak/Main.~dfm"}), dir / "a.reu"));
  EXPECT_EQ("/app/Main.pas=/bak/Main.~pas\r\n/app/Main.dfm=/bak/Main.~dfm\r\n", dir.Read("a.reu"));

  ASSERT_TRUE(SaveUndoFile(TStringList(), dir / "empty.reu"));
  EXPECT_EQ("", dir.Read("empty.reu"));

  ASSERT_TRUE(
      SaveUndoFile(Pairs({u"/app/Bestellung\u00fcbersicht.pas=/bak/x.~pas"}), dir / "u.reu"));
  EXPECT_EQ(
      "\xEF\xBB\xBF/app/Bestellung\xC3\xBC"
      "bersicht.pas=/bak/x.~pas\r\n",
      dir.Read("u.reu"));

  TStringList back;
  LoadUndoFile(dir / "u.reu", back);
  EXPECT_EQ(u"/bak/x.~pas", back.Values(u"/app/Bestellung\u00fcbersicht.pas"));
}

TEST(UndoFile, ReadsAnyLineEndAndByteOrderMark) {
  TTempDir dir;
  const std::pair<const char*, std::string> files[] = {
      {"lf.reu", "/a=/b\n/c=/d\n"},
      {"cr.reu", "/a=/b\r/c=/d"},
      {"utf16.reu", std::string("\xFF\xFE/\0a\0=\0/\0b\0\r\0\n\0/\0c\0=\0/\0d\0", 26)},
      {"utf8.reu", "\xEF\xBB\xBF/a=/b\r\n/c=/d\r\n"},
  };
  for (const auto& [name, bytes] : files) {
    dir.Write(name, bytes);
    TStringList lines;
    LoadUndoFile(dir / name, lines);
    EXPECT_EQ(u"/a=/b\r\n/c=/d\r\n", lines.Text()) << name;
  }
  TStringList lines;
  EXPECT_THROW(LoadUndoFile(dir / "missing.reu", lines), EFOpenError);
}

class RestoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("app/Main.pas", "converted unit");
    dir_.Write("app/Main.dfm", "converted form");
    dir_.Write("bak/Main.~pas", "original unit");
    dir_.Write("bak/Main.~dfm", "original form");
    undo_ = Pairs({dir_ / "app/Main.pas" + u"=" + (dir_ / "bak/Main.~pas"),
                   dir_ / "app/Main.dfm" + u"=" + (dir_ / "bak/Main.~dfm")});
  }
  TTempDir dir_;
  TStringList undo_;
};

TEST_F(RestoreTest, CopiesEveryBackupBackAndCanBeRepeated) {
  ASSERT_TRUE(RestoreFiles(undo_));
  EXPECT_EQ("original unit", dir_.Read("app/Main.pas"));
  EXPECT_EQ("original form", dir_.Read("app/Main.dfm"));
  dir_.Write("app/Main.pas", "converted again");
  EXPECT_TRUE(RestoreFiles(undo_));
  EXPECT_EQ("original unit", dir_.Read("app/Main.pas"));
  EXPECT_EQ("original unit", dir_.Read("bak/Main.~pas")) << "backups stay";
}

TEST_F(RestoreTest, AMissingBackupTouchesNothing) {
  std::remove(dir_.Utf8("bak/Main.~dfm").c_str());
  EXPECT_FALSE(RestoreFiles(undo_));
  EXPECT_EQ("converted unit", dir_.Read("app/Main.pas"));
  EXPECT_FALSE(RestoreFiles(TStringList()));
}

TEST_F(RestoreTest, AFailedCopyStopsWithEarlierFilesRestoredAndOriginalsWhole) {
  TFaultyFileSystem fs;
  fs.FailOn(TFsOp::opCopy, u"*Main.~dfm");
  EXPECT_FALSE(RestoreFiles(undo_, fs));
  EXPECT_EQ("original unit", dir_.Read("app/Main.pas"));
  EXPECT_EQ("converted form", dir_.Read("app/Main.dfm"));
  EXPECT_EQ("app/ app/Main.dfm app/Main.pas bak/ bak/Main.~dfm bak/Main.~pas", dir_.Tree())
      << "no half-written file is left beside the originals";
}

TEST_F(RestoreTest, BackupsAreFoundWhateverTheCaseOfTheirNameOnDisk) {
  std::rename(dir_.Utf8("bak/Main.~dfm").c_str(), dir_.Utf8("bak/MAIN.~DFM").c_str());
  EXPECT_TRUE(RestoreFiles(undo_));
  EXPECT_EQ("original form", dir_.Read("app/Main.dfm"));
}

TEST(FindFileIgnoringCase, ExactNameWinsThenUsualSpellingsThenTheFirstCaseVariant) {
  TTempDir dir;
  dir.Write("Main.DFM", "1");
  dir.Write("main.dfm", "2");
  EXPECT_EQ(dir / "main.dfm", FindFileIgnoringCase(dir / "main.dfm"));
  EXPECT_EQ(dir / "main.dfm", FindFileIgnoringCase(dir / "MAIN.dfm"));  // the lower-case spelling
  dir.Write("Other.Pas", "3");
  dir.Write("OtHer.pAs", "4");
  EXPECT_EQ(dir / "OtHer.pAs", FindFileIgnoringCase(dir / "OTHER.pas"));  // else the first by name
  EXPECT_EQ(dir / "Missing.pas", FindFileIgnoringCase(dir / "Missing.pas"));
  EXPECT_EQ(dir / "nofolder/x", FindFileIgnoringCase(dir / "nofolder/x"));
}
