// Free Pascal's ObjectTextToBinary as an independent oracle: both converters
// turn the same form texts into binary streams, which must agree byte for
// byte. The texts hold only what the two formats write alike (see
// docs/binary-forms.md: Free Pascal has no vaDouble, writes singles,
// currency and dates as extended, reads Null as an identifier and ignores
// collection item orders; those are tested against the format instead).
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "rtl/FormConvert.h"
#include "rtl/FormText.h"
#include "support/BinFormCorpus.h"
#include "support/BinFormTestUtil.h"

using namespace mirel;
using mirel::testing::ReadWholeFile;
using mirel::testing::TBinFormCorpus;
using mirel::testing::TBinFormTempDir;
using mirel::testing::ToHex;
using mirel::testing::WriteWholeFile;

namespace {

namespace fs = std::filesystem;

const std::string kSource = MIREL_SOURCE_DIR "/tests/binform/fpc/text2bin.pas";
const std::string kOutDir = MIREL_BINARY_DIR "/binform-fpc";
const std::string kProgram = kOutDir + "/text2bin";

bool HaveFpc() {
  return std::system("command -v fpc >/dev/null 2>&1") == 0;
}

// Builds the oracle once per build folder; test processes that run at the
// same time wait for each other on a lock file. Returns "" or the reason
// the build failed.
std::string BuildOracle() {
  fs::create_directories(kOutDir);
  const int lock = ::open((kOutDir + "/.lock").c_str(), O_CREAT | O_RDWR, 0644);
  if (lock < 0 || ::flock(lock, LOCK_EX) != 0) return "cannot lock " + kOutDir;
  std::string error;
  std::error_code ec;
  const bool fresh = fs::exists(kProgram, ec) &&
                     fs::last_write_time(kProgram, ec) >= fs::last_write_time(kSource, ec);
  if (!fresh) {
    const std::string units = kOutDir + "/units";
    fs::create_directories(units);
    const std::string log = kOutDir + "/fpc.log";
    const std::string cmd =
        "fpc -O1 -FU'" + units + "' -o'" + kProgram + ".new' '" + kSource + "' >'" + log + "' 2>&1";
    if (std::system(cmd.c_str()) != 0)
      error = "fpc failed:\n" + ReadWholeFile(log);
    else
      fs::rename(kProgram + ".new", kProgram, ec);
    if (ec) error = "cannot install the oracle: " + ec.message();
  }
  ::flock(lock, LOCK_UN);
  ::close(lock);
  return error;
}

class FpcOracle : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveFpc()) GTEST_SKIP() << "Free Pascal (fpc) is not installed: oracle comparison skipped";
    const std::string error = BuildOracle();
    ASSERT_EQ("", error);
  }

  // Runs the oracle over the texts; returns each output, or "error: ..." .
  std::vector<std::string> RunOracle(const char* mode, const std::vector<std::string>& texts) {
    for (size_t i = 0; i < texts.size(); ++i)
      WriteWholeFile(dir_.File(std::to_string(i) + ".txt"), texts[i]);
    const std::string cmd =
        "'" + kProgram + "' " + mode + " '" + dir_.Path() + "' " + std::to_string(texts.size());
    EXPECT_EQ(0, std::system(cmd.c_str()));
    std::vector<std::string> out;
    for (size_t i = 0; i < texts.size(); ++i) {
      const std::string base = dir_.File(std::to_string(i));
      out.push_back(fs::exists(base + ".bin") ? ReadWholeFile(base + ".bin")
                                              : "error: " + ReadWholeFile(base + ".err"));
    }
    return out;
  }

  TBinFormTempDir dir_;
};

const TEncoding& Cp1252() {
  return TEncoding::CodePage(1252);
}

TEST_F(FpcOracle, GeneratedFormsConvertToTheSameBytes) {
  TBinFormCorpus corpus(99, mirel::testing::TCorpusProfile::cpFreePascal);
  std::vector<std::string> texts;
  for (int i = 0; i < 300; ++i)
    texts.push_back(Cp1252().GetBytes(WriteFormText(corpus.NextForm(), Cp1252())));
  const std::vector<std::string> theirs = RunOracle("bin", texts);
  for (size_t i = 0; i < texts.size(); ++i)
    ASSERT_EQ(ToHex(theirs[i]), ToHex(ObjectTextToBinary(Cp1252().GetString(texts[i]), Cp1252())))
        << "form " << i << ":\n"
        << texts[i];
}

TEST_F(FpcOracle, ResourceFilesGetTheSameHeader) {
  TBinFormCorpus corpus(5, mirel::testing::TCorpusProfile::cpFreePascal);
  std::vector<std::string> texts;
  std::vector<TBinaryFormKind> kinds;
  for (int i = 0; i < 40; ++i) {
    TFormObjectNode form = corpus.NextForm();
    form.Flags &= ~ffInline;  // the resource writer takes object or inherited only
    TBinaryFormKind kind;
    kind.HasHeader = true;
    for (char c : form.ClassName) kind.Header.Name += static_cast<char>(std::toupper(c));
    kinds.push_back(kind);
    texts.push_back(Cp1252().GetBytes(WriteFormText(form, Cp1252())));
  }
  const std::vector<std::string> theirs = RunOracle("res", texts);
  for (size_t i = 0; i < texts.size(); ++i)
    ASSERT_EQ(ToHex(theirs[i]),
              ToHex(TextToBinaryForm(Cp1252().GetString(texts[i]), kinds[i], Cp1252())))
        << "form " << i;
}

TEST_F(FpcOracle, HandWrittenLayoutsReadAlike) {
  // Texts not in our writer's layout: other spacing, case and line breaks,
  // strings joined with '+', hex data with blanks, numbers in other forms.
  const std::vector<std::string> texts = {
      "OBJECT Form1:TForm1 Left=8 Top = -300 end",
      "object Form1: TForm1\n"
      "  Caption = 'It''s'#13#10'done' + 'x'\n"
      "  Hint =\n    'a' +\n    #65 + 'b'#200\n"
      "  Data = {\n 0A0b 0C\n  FF }\n"
      "  Big = 9223372036854775807 Small = -9223372036854775808 Hex = $7F\n"
      "  Ratio = 1.25E2 Tiny = 0.001 Neg = -2.5e-3\n"
      "  Style=[ fsBold ,fsItalic ] Empty=[] List=( 1 'a' (nil True) ) NoList=()\n"
      "  Ref = Form2.Table1.Field\n"
      "  Cols = < item Width = 4 end item end >\n"
      "  inherited Frame: TFrame [ 2 ] end\n"
      "  inline Sub: TSub\n  end\n"
      "end\n",
      "inherited Form2: TForm2 [300]\n object A: TA end\nend",
  };
  const std::vector<std::string> theirs = RunOracle("bin", texts);
  for (size_t i = 0; i < texts.size(); ++i)
    EXPECT_EQ(ToHex(theirs[i]), ToHex(ObjectTextToBinary(Cp1252().GetString(texts[i]), Cp1252())))
        << texts[i];
}

}  // namespace
