// Inputs the fuzzers once crashed the engine with (tests/data/fuzz/<target>/),
// each run through what its fuzz target runs: the engine may refuse an input
// with one of its own exceptions, never fail inside.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "replace/KyReplacer.h"

namespace mirel {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> Findings(const char* target) {
  std::vector<fs::path> files;
  const fs::path folder = fs::path(MIREL_TEST_DATA_DIR) / "fuzz" / target;
  if (fs::exists(folder))
    for (const auto& e : fs::directory_iterator(folder)) files.push_back(e.path());
  return files;
}

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Empty when the conversion ended cleanly or was refused by the engine;
// otherwise what escaped.
std::string InternalError(const TFileConversion& conversion) {
  if (!conversion.Error) return "";
  try {
    std::rethrow_exception(conversion.Error);
  } catch (const Exception&) {
    return "";
  } catch (const std::exception& e) {
    return e.what();
  }
}

TEST(FuzzFindings, FormsThatOnceCrashedTheConversionAreHandled) {
  TProfilesScope profiles;
  const auto files = Findings("FormConvert");
  ASSERT_FALSE(files.empty());
  for (const fs::path& file : files) {
    TComponentReplacer& replacer = BdeReplacer();
    const auto parser = replacer.NewFormParser();
    String formText;
    TFileConversion conversion;
    replacer.ConvertFile(u"/fuzz/Form1.dfm", Bytes(file), u"/fuzz/out/Form1.dfm", *parser, formText,
                         conversion);
    EXPECT_EQ("", InternalError(conversion)) << file;
  }
}

}  // namespace
}  // namespace mirel
