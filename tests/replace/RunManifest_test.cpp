// The run's manifest RExpert.sum: what it records, in which format, and when
// it is not written.
#include "replace/RunManifest.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

#include "support/FaultyFileSystem.h"
#include "support/FilesTempDir.h"

using namespace mirel;
using namespace mirel::testing;
using mirel::testing::TTempDir;

namespace {

class RunManifestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("app/Main.pas", "abc");
    dir_.Write("app/a=b.pas", "");
    dir_.Write("app/RBackup/Main.~pas", "old");
    dir_.Write("app/RBackup/a=b.~pas", "old");
    undo_.Add(dir_ / "app/Main.pas" + u"=" + (dir_ / "app/RBackup/Main.~pas"));
    undo_.Add(dir_ / "app/a=b.pas" + u"=" + (dir_ / "app/RBackup/a=b.~pas"));
  }
  String UndoFile() const { return dir_ / "app/RBackup/RExpert.reu"; }

  TTempDir dir_;
  TStringList undo_;
};

}  // namespace

TEST(RunManifest, Sha256OfKnownTexts) {
  EXPECT_EQ("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855", Sha256Hex(""));
  EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", Sha256Hex("abc"));
}

TEST_F(RunManifestTest, OneSha256sumLinePerFileOfTheUndoList) {
  ASSERT_TRUE(SaveRunManifest(undo_, UndoFile()));
  EXPECT_EQ(u"/RExpert.sum", RunManifestFileName(u"/RExpert.reu"));
  EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad  " +
                dir_.Utf8("app/Main.pas") +
                "\n"
                "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855  " +
                dir_.Utf8("app/a=b.pas") + "\n",
            dir_.Read("app/RBackup/RExpert.sum"));

  TRunManifest manifest;
  ASSERT_TRUE(LoadRunManifest(UndoFile(), manifest));
  EXPECT_EQ(2u, manifest.size());
  EXPECT_EQ(Sha256Hex("abc"), manifest[dir_ / "app/Main.pas"]);
  EXPECT_EQ(Sha256Hex(""), manifest[dir_ / "app/a=b.pas"]);
}

TEST_F(RunManifestTest, Sha256sumChecksItToo) {
  ASSERT_TRUE(SaveRunManifest(undo_, UndoFile()));
  const std::string check =
      "sha256sum --quiet -c '" + dir_.Utf8("app/RBackup/RExpert.sum") + "' >/dev/null 2>&1";
  EXPECT_EQ(0, std::system(check.c_str()));
  dir_.Write("app/Main.pas", "abc, edited");
  EXPECT_NE(0, std::system(check.c_str()));
}

TEST_F(RunManifestTest, NothingIsWrittenWhenAFileCannotBeReadOrHasALineBreak) {
  TFaultyFileSystem fs;
  fs.FailOn(TFsOp::Read, u"*/a=b.pas", EIO);
  const TFsResult r = SaveRunManifest(undo_, UndoFile(), fs);
  EXPECT_EQ(EIO, r.Error());
  EXPECT_FALSE(dir_.Exists("app/RBackup/RExpert.sum"));

  undo_.Add(dir_ / "app/two\nlines.pas" + u"=" + (dir_ / "app/RBackup/x.~pas"));
  EXPECT_EQ(EINVAL, SaveRunManifest(undo_, UndoFile()).Error());
  EXPECT_FALSE(dir_.Exists("app/RBackup/RExpert.sum"));
}

TEST_F(RunManifestTest, ReadingSkipsWhatIsNotAChecksumAndAPathAndToleratesCrLf) {
  TRunManifest manifest;
  EXPECT_FALSE(LoadRunManifest(UndoFile(), manifest)) << "no manifest";
  const std::string good = Sha256Hex("x");
  dir_.Write("app/RBackup/RExpert.sum", good + "  /a.pas\r\n" + "garbage\n" + good.substr(1) +
                                            "   /short.pas\n" + good + " /one-space.pas\n" + "ZZ" +
                                            good.substr(2) + "  /not-hex.pas\n");
  ASSERT_TRUE(LoadRunManifest(UndoFile(), manifest));
  ASSERT_EQ(1u, manifest.size());
  EXPECT_EQ(good, manifest[u"/a.pas"]);

  TFaultyFileSystem fs;
  fs.FailOn(TFsOp::Read, u"*RExpert.sum");
  EXPECT_THROW(LoadRunManifest(UndoFile(), manifest, fs), EFOpenError);
}
