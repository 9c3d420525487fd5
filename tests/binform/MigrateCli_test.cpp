// mirel-migrate form-to-text and form-to-binary, run as a user would: real
// files in a temporary folder, exit codes and messages checked.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "rtl/FormConvert.h"
#include "support/BinFormTestUtil.h"

using namespace mirel;
using mirel::testing::HexBytes;
using mirel::testing::ReadWholeFile;
using mirel::testing::TBinFormTempDir;
using mirel::testing::ToHex;
using mirel::testing::WriteWholeFile;

namespace {

const std::string kTool = MIREL_BINARY_DIR "/bin/mirel-migrate";

struct TRun {
  int code = -1;
  std::string out, err;
};

class MigrateCli : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kTool))
      GTEST_SKIP() << kTool << " is not built: build the target mirel-migrate first";
  }

  TRun Run(const std::string& args) {
    const std::string cmd = "'" + kTool + "' " + args + " >'" + dir_.File("stdout") + "' 2>'" +
                            dir_.File("stderr") + "'";
    const int status = std::system(cmd.c_str());
    TRun r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadWholeFile(dir_.File("stdout"));
    r.err = ReadWholeFile(dir_.File("stderr"));
    return r;
  }

  std::string F(const char* name) { return "'" + dir_.File(name) + "'"; }

  TBinFormTempDir dir_;
};

// A form with a Cyrillic caption in Windows-1251 (C0 C1), behind a resource
// header named MAINFORM (not the class name, so keeping it is visible).
const std::string kStream = HexBytes(
    "54 50 46 30 06 54 46 6F 72 6D 31 05 46 6F 72 6D 31"
    "07 43 61 70 74 69 6F 6E 06 02 C0 C1  04 4C 65 66 74 02 08 00"
    "06 54 51 75 65 72 79 06 51 75 65 72 79 31 00 00 00");

std::string ResourceFile(const std::string& name) {
  TResourceHeader h;
  h.Name = name;
  return WriteResourceFile(h, kStream);
}

TEST_F(MigrateCli, TextAndBackGivesTheOriginalFileAndKeepsItsResourceName) {
  const std::string original = ResourceFile("MAINFORM");
  WriteWholeFile(dir_.File("Main.dfm"), original);
  TRun r = Run("form-to-text --codepage 1251 " + F("Main.dfm") + " " + F("Main.txt"));
  ASSERT_EQ(0, r.code) << r.err;
  EXPECT_EQ("", r.out + r.err);
  EXPECT_EQ(
      "object Form1: TForm1\r\n  Caption = '\xC0\xC1'\r\n  Left = 8\r\n"
      "  object Query1: TQuery\r\n  end\r\nend\r\n",
      ReadWholeFile(dir_.File("Main.txt")));

  // Converting onto the existing binary form keeps its kind and name.
  r = Run("form-to-binary --codepage 1251 " + F("Main.txt") + " " + F("Main.dfm"));
  ASSERT_EQ(0, r.code) << r.err;
  EXPECT_EQ(ToHex(original), ToHex(ReadWholeFile(dir_.File("Main.dfm"))));

  // A new file gets the header the IDE writes: the class name in upper case.
  r = Run("form-to-binary --codepage 1251 " + F("Main.txt") + " " + F("New.dfm"));
  ASSERT_EQ(0, r.code) << r.err;
  EXPECT_EQ(ToHex(ResourceFile("TFORM1")), ToHex(ReadWholeFile(dir_.File("New.dfm"))));
}

TEST_F(MigrateCli, BareStreamsAndStandardStreams) {
  WriteWholeFile(dir_.File("bare.bin"), kStream);
  TRun r = Run("form-to-text " + F("bare.bin") + " -");
  ASSERT_EQ(0, r.code) << r.err;
  EXPECT_EQ("object Form1: TForm1\r\n  Caption = '\xC0\xC1'\r\n", r.out.substr(0, 40));
  WriteWholeFile(dir_.File("bare.txt"), r.out);
  r = Run("form-to-binary --bare - - <" + F("bare.txt"));
  ASSERT_EQ(0, r.code) << r.err;
  EXPECT_EQ(ToHex(kStream), ToHex(r.out));
  r = Run("form-to-binary --resource-name MAINFORM " + F("bare.txt") + " " + F("named.dfm"));
  ASSERT_EQ(0, r.code) << r.err;
  EXPECT_EQ(ToHex(ResourceFile("MAINFORM")), ToHex(ReadWholeFile(dir_.File("named.dfm"))));
}

TEST_F(MigrateCli, Utf8TextWithCharactersBeyondTheCodePageGivesWideStrings) {
  WriteWholeFile(dir_.File("u.txt"), "\xEF\xBB\xBFobject A: T\n  P = '\xD0\x96'\nend\n");
  const TRun r = Run("form-to-binary --bare " + F("u.txt") + " " + F("u.bin"));
  ASSERT_EQ(0, r.code) << r.err;
  EXPECT_EQ("54 50 46 30 01 54 01 41 01 50 12 01 00 00 00 16 04 00 00",
            ToHex(ReadWholeFile(dir_.File("u.bin"))));
}

TEST_F(MigrateCli, BadInputExitsWithTwoAndSaysWhyLeavingOutputUntouched) {
  WriteWholeFile(dir_.File("out.txt"), "keep me");
  std::string damaged = ResourceFile("TFORM1");
  damaged[16 + 25] = '\x16';  // the value type of Caption
  WriteWholeFile(dir_.File("bad.dfm"), damaged);
  TRun r = Run("form-to-text " + F("bad.dfm") + " " + F("out.txt"));
  EXPECT_EQ(2, r.code);
  EXPECT_NE(std::string::npos, r.err.find("bad.dfm: Binary form data, byte offset 41: unknown "
                                          "value type 22"))
      << r.err;
  EXPECT_EQ("keep me", ReadWholeFile(dir_.File("out.txt")));

  WriteWholeFile(dir_.File("text.dfm"), "object A: T\nend\n");
  r = Run("form-to-text " + F("text.dfm") + " " + F("out.txt"));
  EXPECT_EQ(2, r.code);
  EXPECT_NE(std::string::npos, r.err.find("is not a binary form file")) << r.err;

  WriteWholeFile(dir_.File("broken.txt"), "object A: T\n  P = 'x\nend\n");
  r = Run("form-to-binary " + F("broken.txt") + " " + F("out.txt"));
  EXPECT_EQ(2, r.code);
  EXPECT_NE(std::string::npos, r.err.find("Form text, line 2, column 9: unterminated string"))
      << r.err;
  EXPECT_EQ("keep me", ReadWholeFile(dir_.File("out.txt")));

  r = Run("form-to-binary " + F("out.txt") + " " + F("x") + " --codepage 65001");
  EXPECT_EQ(2, r.code);
  EXPECT_NE(std::string::npos, r.err.find("65001")) << r.err;

  r = Run("form-to-text " + F("text.dfm"));
  EXPECT_EQ(2, r.code);
  EXPECT_NE(std::string::npos, r.err.find("OUT is required")) << r.err;
  EXPECT_EQ(2, Run("").code);
  EXPECT_EQ(2, Run("frobnicate a b").code);
}

TEST_F(MigrateCli, MissingOrUnwritableFilesExitWithOne) {
  TRun r = Run("form-to-text " + F("nowhere.dfm") + " " + F("out.txt"));
  EXPECT_EQ(1, r.code);
  EXPECT_NE(std::string::npos, r.err.find("cannot read")) << r.err;
  WriteWholeFile(dir_.File("a.dfm"), ResourceFile("TFORM1"));
  r = Run("form-to-text " + F("a.dfm") + " " + F("no/such/folder/out.txt"));
  EXPECT_EQ(1, r.code);
  EXPECT_NE(std::string::npos, r.err.find("cannot write")) << r.err;
}

TEST_F(MigrateCli, HelpTeachesEachCommand) {
  TRun r = Run("--help");
  EXPECT_EQ(0, r.code);
  EXPECT_NE(std::string::npos, r.out.find("form-to-text")) << r.out;
  EXPECT_NE(std::string::npos, r.out.find("form-to-binary")) << r.out;
  for (const char* command : {"form-to-text", "form-to-binary"}) {
    r = Run(std::string(command) + " --help");
    EXPECT_EQ(0, r.code);
    EXPECT_NE(std::string::npos, r.out.find("--codepage")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find(std::string("mirel-migrate ") + command + " "))
        << r.out;
    EXPECT_NE(std::string::npos, r.out.find("Exit status")) << r.out;
  }
}

}  // namespace
