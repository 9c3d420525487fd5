// The patch of one file: text stays the file's own bytes (CR LF included),
// UTF-16 is a binary patch even when it holds no NUL byte, equal bytes make
// no patch.
#include "replace/RunPatch.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(RunPatch, TextKeepsItsBytesAndUtf16IsBinaryWithoutANul) {
  EXPECT_EQ("", mirel::FilePatch("Main.pas", "same\r\n", "same\r\n", false));

  const std::string text =
      mirel::FilePatch("Sub/Main.pas", "a\r\n\xE9t\xE9\r\nc\r\n", "a\r\n\xC9T\xC9\r\nc\r\n", false);
  EXPECT_EQ(0u, text.find("diff --git a/Sub/Main.pas b/Sub/Main.pas\nindex ")) << text;
  EXPECT_NE(std::string::npos, text.find(" 100644\n--- a/Sub/Main.pas\n+++ b/Sub/Main.pas\n"));
  EXPECT_NE(std::string::npos, text.find("\n-\xE9t\xE9\r\n+\xC9T\xC9\r\n c\r\n")) << text;

  // Two CJK characters in UTF-16LE: no NUL byte, and 0x0A inside a character.
  const std::string before = "\xFF\xFE\x2D\x4E\x0A\x65", after = "\xFF\xFE\x2D\x4E\x0A\x66";
  const std::string binary =
      mirel::FilePatch("U.pas", before, after, true, mirel::IsUtf16File(before));
  EXPECT_NE(std::string::npos, binary.find(" 100755\nGIT binary patch\n")) << binary;
  EXPECT_FALSE(mirel::IsUtf16File("\xFF"));
  EXPECT_TRUE(mirel::IsUtf16File("\xFE\xFFx"));
}

}  // namespace
