// Round trips over a generated corpus of forms covering every value type and
// object flag: tree -> binary -> tree, binary -> text -> binary byte for
// byte, and the same inside the resource header.
#include <gtest/gtest.h>

#include <set>

#include "rtl/FormConvert.h"
#include "rtl/FormText.h"
#include "support/BinFormCorpus.h"
#include "support/BinFormTestUtil.h"

using namespace mirel;
using mirel::testing::TBinFormCorpus;
using mirel::testing::ToHex;

namespace {

constexpr int kForms = 400;

// Counts what the corpus held, so a generator change that drops a value type
// or flag shows up as a failure instead of silently weaker tests.
struct TCoverage {
  std::set<TValueType> types;
  uint8_t flags = 0;
  bool order = false;

  void Add(const TFormValue& v) {
    types.insert(v.Type);
    for (const auto& e : v.List) Add(e);
    for (const auto& i : v.Items) {
      order |= i.HasOrder;
      for (const auto& p : i.Properties) Add(p.Value);
    }
  }
  void Add(const TFormObjectNode& o) {
    flags |= o.Flags;
    for (const auto& p : o.Properties) Add(p.Value);
    for (const auto& c : o.Children) Add(c);
  }
};

void RoundTripCorpus(uint64_t seed, const TEncoding& cp, TCoverage& coverage) {
  TBinFormCorpus corpus(seed);
  for (int i = 0; i < kForms; ++i) {
    const TFormObjectNode form = corpus.NextForm();
    coverage.Add(form);
    const std::string binary = WriteObjectStream(form);
    ASSERT_EQ(form, ReadObjectStream(binary)) << "form " << i;
    const String text = ObjectBinaryToText(binary, cp);
    ASSERT_EQ(ToHex(binary), ToHex(ObjectTextToBinary(text, cp))) << "form " << i << ":\n"
                                                                  << ToUtf8(text);
    // The text goes through a file in the code page unchanged.
    ASSERT_EQ(text, cp.GetString(cp.GetBytes(text))) << "form " << i;
  }
}

TEST(FormCorpus, NormalFormsRoundTripByteForByte) {
  TCoverage coverage;
  RoundTripCorpus(20240611, TEncoding::CodePage(1252), coverage);
  // Every value type of the normal form, every flag and item orders occurred.
  for (int t = 0; t <= static_cast<int>(TValueType::vaWString); ++t)
    EXPECT_TRUE(coverage.types.count(static_cast<TValueType>(t))) << "value type " << t;
  EXPECT_TRUE(coverage.types.count(TValueType::vaInt64));
  EXPECT_EQ(ffInherited | ffChildPos | ffInline, coverage.flags);
  EXPECT_TRUE(coverage.order);
}

TEST(FormCorpus, OtherCodePagesRoundTripToo) {
  TCoverage coverage;
  for (int cp : {1250, 1251, 1253, 874, 932, 936, 949, 950})
    RoundTripCorpus(cp, TEncoding::CodePage(cp), coverage);
}

TEST(FormCorpus, ResourceHeaderIsKeptAsRead) {
  TBinFormCorpus corpus(7);
  const std::string stream = WriteObjectStream(corpus.NextForm());
  for (const std::string& name :
       {std::string("TFORM1"), std::string(""), std::string("\xFF\x05\x00", 3)}) {
    TBinaryFormKind kind;
    kind.HasHeader = true;
    kind.Header.Name = name;
    kind.Header.MemoryFlags = 0x1C30;
    const std::string file = WriteResourceFile(kind.Header, stream);
    TBinaryFormKind read;
    const String text = BinaryFormToText(file, read);
    EXPECT_TRUE(read.HasHeader);
    EXPECT_EQ(name, read.Header.Name);
    EXPECT_EQ(0x1C30, read.Header.MemoryFlags);
    EXPECT_EQ(stream.size(), read.Header.Size);
    EXPECT_EQ(ToHex(file), ToHex(TextToBinaryForm(text, read)));
  }
  TBinaryFormKind bare;
  const String text = BinaryFormToText(stream, bare);
  EXPECT_FALSE(bare.HasHeader);
  EXPECT_EQ(ToHex(stream), ToHex(TextToBinaryForm(text, bare)));
}

TEST(FormCorpus, DamageInsideAResourceFileNamesTheFileOffset) {
  TResourceHeader h;
  h.Name = "TFORM1";
  const std::string file = WriteResourceFile(h,
                                             "TPF0\x01T\x01"
                                             "A\x01P\x16\x00\x00");
  TBinaryFormKind kind;
  try {
    BinaryFormToText(file, kind);
    FAIL() << "no error";
  } catch (const EFormFormatError& e) {
    // Header: 3 + 6 + 1 + 2 + 4 = 16 bytes; the bad type code is at 16 + 10.
    EXPECT_STREQ("Binary form data, byte offset 26: unknown value type 22", e.what());
  }
  EXPECT_THROW(BinaryFormToText(std::string("\xFF\x0A\x00TFORM1", 9), kind), EFormFormatError);
}

}  // namespace
