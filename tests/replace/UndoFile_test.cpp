#include "replace/UndoFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>

#include "files/FileUtils.h"
#include "files/FolderIndex.h"
#include "support/FaultyFileSystem.h"
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
      {"utf16be.reu", std::string("\xFE\xFF\0/\0a\0=\0/\0b\0\r\0\n\0/\0c\0=\0/\0d", 26)},
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

TEST(UndoFile, ANameWithALineBreakIsNotUndoSafeAndIsNeverWritten) {
  EXPECT_TRUE(IsUndoSafeName(u"/app/a=b.pas"));
  EXPECT_TRUE(IsUndoSafeName(u"/app/Bestellung\u00fcbersicht.pas"));
  EXPECT_FALSE(IsUndoSafeName(u"/app/two\nlines.pas"));
  EXPECT_FALSE(IsUndoSafeName(u"/app/two\rlines.pas"));

  TTempDir dir;
  dir.Write("a.reu", "old\r\n");
  const TFsResult r = SaveUndoFile(
      Pairs({u"/app/ok.pas=/bak/ok.~pas", u"/app/two\nlines.pas=/bak/x.~pas"}), dir / "a.reu");
  EXPECT_FALSE(r);
  EXPECT_EQ(EINVAL, r.Error());
  EXPECT_EQ("old\r\n", dir.Read("a.reu")) << "the file is left as it was";
}

// Paths with "=" in them, as a run writes them: the split is where the rest
// of the line names a file inside the undo file's folder.
TEST(UndoFile, ALineIsSplitWhereTheBackupInTheUndoFilesFolderBegins) {
  TTempDir dir;
  dir.Write("proj=v2/RBackup/a=b.~pas", "backup");
  const String folder = dir / "proj=v2/RBackup";
  TUndoPair pair;
  const String line = (dir / "proj=v2/a=b.pas") + u"=" + (dir / "proj=v2/RBackup/a=b.~pas");
  ASSERT_TRUE(SplitUndoLine(line, folder, pair));
  EXPECT_EQ(dir / "proj=v2/a=b.pas", pair.Original);
  EXPECT_EQ(dir / "proj=v2/RBackup/a=b.~pas", pair.Backup);

  // The same when the backup is gone (it is then reported as missing, under
  // its own name).
  std::remove(dir.Utf8("proj=v2/RBackup/a=b.~pas").c_str());
  ASSERT_TRUE(SplitUndoLine(line, folder, pair));
  EXPECT_EQ(dir / "proj=v2/RBackup/a=b.~pas", pair.Backup);
}

TEST(UndoFile, ARelativeLineIsSplitAtTheBackupThatExists) {
  TTempDir dir;
  dir.Write("bak/x=y.~pas", "backup");
  TUndoPair pair;
  // "y.~pas" would lie in the folder too, but only "x=y.~pas" is there.
  ASSERT_TRUE(SplitUndoLine(u"../x=y.pas=x=y.~pas", dir / "bak", pair));
  EXPECT_EQ(u"../x=y.pas", pair.Original);
  EXPECT_EQ(u"x=y.~pas", pair.Backup);
}

TEST(UndoFile, ALineWhoseBackupLiesElsewhereIsSplitAtTheFirstEqualsSign) {
  TTempDir dir;
  dir.MakeFolder("bak");
  TUndoPair pair;
  EXPECT_FALSE(SplitUndoLine(u"/app/a.pas=/etc/a=b", dir / "bak", pair));
  EXPECT_EQ(u"/app/a.pas", pair.Original);
  EXPECT_EQ(u"/etc/a=b", pair.Backup);
  EXPECT_FALSE(SplitUndoLine(u"/app/a.pas=" + (dir / "bak/../a.~pas"), dir / "bak", pair))
      << "\"..\" does not lead back in";
  EXPECT_FALSE(SplitUndoLine(u"no equals sign", dir / "bak", pair));
  EXPECT_EQ(u"", pair.Original);
}

TEST(UndoFile, ALinkInTheUndoFilesFolderLeadingOutIsNotInside) {
  TTempDir dir;
  dir.Write("secret/x.~pas", "not a backup");
  dir.MakeFolder("bak");
  dir.MakeLink("bak/out", dir.Utf8("secret"));
  TUndoPair pair;
  EXPECT_FALSE(SplitUndoLine(u"/app/x.pas=" + (dir / "bak/out/x.~pas"), dir / "bak", pair));
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
