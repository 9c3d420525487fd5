// The binary object stream: exact reading and writing of every value type,
// and bad input ending in an error that names the byte offset.
#include "rtl/FormStream.h"

#include <gtest/gtest.h>

#include <random>

#include "support/BinFormTestUtil.h"

using namespace mirel;
using mirel::testing::HexBytes;
using mirel::testing::ToHex;

namespace {

// One property of every value type (some in a form that is not the normal
// one), a collection with and without order, and an inherited child with a
// child position.
const std::string kSample = HexBytes(
    "54 50 46 30"                                    // TPF0
    "06 54 46 6F 72 6D 31  05 46 6F 72 6D 31"        // TForm1 Form1
    "02 49 38  02 FB"                                // I8 = -5
    "03 49 31 36  03 2C 01"                          // I16 = 300
    "03 49 33 32  04 70 11 01 00"                    // I32 = 70000
    "03 49 36 34  13 00 F2 05 2A 01 00 00 00"        // I64 = 5000000000
    "01 45  05 00 00 00 00 00 00 00 C0 FF 3F"        // E = 1.5
    "01 53  0F 00 00 C0 3F"                          // S = 1.5s
    "01 43  10 98 3A 00 00 00 00 00 00"              // C = 15000c
    "01 44  11 00 00 00 00 10 F9 E5 40"              // D = 45000.5d
    "03 44 62 6C  15 9A 99 99 99 99 99 B9 3F"        // Dbl = 0.1 (double)
    "03 53 74 72  06 03 41 27 E9"                    // Str = 'A''é'
    "04 4C 53 74 72  0C 02 00 00 00 68 69"           // LStr = 'hi' (long string)
    "04 57 53 74 72  12 02 00 00 00 41 00 AC 20"     // WStr = 'A'#8364
    "02 55 38  14 03 00 00 00 C3 A9 21"              // U8 = #233'!' (UTF-8)
    "02 49 64  07 05 63 6C 52 65 64"                 // Id = clRed
    "01 46 08  01 54 09  01 4E 0D  02 4E 75 00"      // F, T, N, Nu
    "03 42 69 6E  0A 03 00 00 00 01 02 FF"           // Bin = {0102FF}
    "03 53 65 74  0B 06 66 73 42 6F 6C 64 00"        // Set = [fsBold]
    "01 4C  01 02 01 06 01 78 00"                    // L = (1 'x')
    "03 43 6F 6C  0E 02 02 01 01 56 00 00 01 00 00"  // Col = <item [2] V = Null end item end>
    "00"                                             // end of properties
    "F3 02 03 02 54 54 02 54 31 00 00"               // inherited T1: TT [3]
    "00");                                           // end of children

const TFormProperty& Prop(const TFormObjectNode& o, const char* name) {
  for (const auto& p : o.Properties)
    if (p.Name == name) return p;
  throw std::runtime_error(std::string("no property ") + name);
}

TEST(FormStream, ReadsEveryValueTypeAndWritesTheSameBytesBack) {
  const TFormObjectNode root = ReadObjectStream(kSample);
  EXPECT_EQ("TForm1", root.ClassName);
  EXPECT_EQ("Form1", root.Name);
  EXPECT_EQ(-5, Prop(root, "I8").Value.Int);
  EXPECT_EQ(TValueType::vaInt16, Prop(root, "I16").Value.Type);
  EXPECT_EQ(5000000000LL, Prop(root, "I64").Value.Int);
  EXPECT_EQ(0xC000000000000000ULL, Prop(root, "E").Value.Bits);
  EXPECT_EQ(0x3FFF, Prop(root, "E").Value.ExtExponent);
  EXPECT_EQ(15000, Prop(root, "C").Value.Int);
  EXPECT_EQ("A'\xE9", Prop(root, "Str").Value.Bytes);
  EXPECT_EQ(u"A\u20AC", Prop(root, "WStr").Value.Wide);
  EXPECT_EQ("clRed", Prop(root, "Id").Value.Bytes);
  EXPECT_EQ(TValueType::vaNull, Prop(root, "Nu").Value.Type);
  EXPECT_EQ("\x01\x02\xFF", Prop(root, "Bin").Value.Bytes);
  ASSERT_EQ(2u, Prop(root, "L").Value.List.size());
  const auto& items = Prop(root, "Col").Value.Items;
  ASSERT_EQ(2u, items.size());
  EXPECT_TRUE(items[0].HasOrder);
  EXPECT_EQ(2, items[0].Order);
  EXPECT_EQ(TValueType::vaNull, items[0].Properties.at(0).Value.Type);
  EXPECT_FALSE(items[1].HasOrder);
  ASSERT_EQ(1u, root.Children.size());
  EXPECT_EQ(ffInherited | ffChildPos, root.Children[0].Flags);
  EXPECT_EQ(3, root.Children[0].ChildPos);

  EXPECT_EQ(ToHex(kSample), ToHex(WriteObjectStream(root)));
}

TEST(FormStream, KeepsEncodingsThatAreNotTheSmallest) {
  // An empty prefix byte, a 32-bit child position and a 16-bit item order.
  const std::string s = HexBytes(
      "54 50 46 30  F0 01 54 01 41 00"
      "F2 04 01 00 00 00 01 55 00  01 50 0E 03 05 00 01 00 00  00 00"
      "00");
  const TFormObjectNode root = ReadObjectStream(s);
  EXPECT_TRUE(root.EmptyPrefix);
  EXPECT_EQ(TValueType::vaInt32, root.Children.at(0).ChildPosType);
  EXPECT_EQ(TValueType::vaInt16, root.Children[0].Properties.at(0).Value.Items.at(0).OrderType);
  EXPECT_EQ(ToHex(s), ToHex(WriteObjectStream(root)));
}

TEST(FormStream, EveryTruncationOfTheSampleIsAnErrorNamingAnOffset) {
  for (size_t n = 0; n < kSample.size(); ++n) {
    try {
      ReadObjectStream(std::string_view(kSample).substr(0, n), 100);
      ADD_FAILURE() << "no error for the first " << n << " bytes";
    } catch (const EFormFormatError& e) {
      // The offset is where the input ran out or a stretch that runs past it began.
      const std::string m = e.what();
      const std::string prefix = "Binary form data, byte offset ";
      ASSERT_EQ(0u, m.find(prefix)) << m;
      const size_t offset = std::stoul(m.substr(prefix.size()));
      EXPECT_GE(offset, 100u) << m;
      EXPECT_LE(offset, 100u + n) << m;
    }
  }
}

std::string ErrorOf(const std::string& stream) {
  try {
    ReadObjectStream(stream);
  } catch (const EFormFormatError& e) {
    return e.what();
  }
  return "no error";
}

TEST(FormStream, CorruptInputGivesClearErrors) {
  const std::string head = HexBytes("54 50 46 30 01 54 01 41");  // TPF0 T A
  EXPECT_EQ(
      "Binary form data, byte offset 0: the stream does not begin with the signature "
      "\"TPF0\"",
      ErrorOf(HexBytes("54 50 46 31 01 54 00 00 00")));
  EXPECT_EQ("Binary form data, byte offset 10: unknown value type 22",
            ErrorOf(head + HexBytes("01 50 16 00 00")));
  EXPECT_EQ("Binary form data, byte offset 4: unknown object flag in prefix byte 0xF8",
            ErrorOf(HexBytes("54 50 46 30 F8") + HexBytes("01 54 01 41 00 00")));
  // A length of almost 4 GB is refused before anything is allocated for it.
  EXPECT_EQ(
      "Binary form data, byte offset 15: truncated long string (4294967280 bytes "
      "needed, 2 left)",
      ErrorOf(head + HexBytes("01 50 0C F0 FF FF FF 41 42")));
  EXPECT_EQ(
      "Binary form data, byte offset 15: truncated wide string (8589934560 bytes needed, "
      "2 left)",
      ErrorOf(head + HexBytes("01 50 12 F0 FF FF FF 41 00")));
  EXPECT_EQ(
      "Binary form data, byte offset 10: unexpected data after the end of the root object "
      "(1 bytes)",
      ErrorOf(head + HexBytes("00 00 00")));
  EXPECT_EQ("Binary form data, byte offset 8: property name is not an identifier",
            ErrorOf(head + HexBytes("03 41 20 42 08 00 00")));
  EXPECT_EQ("Binary form data, byte offset 4: class name is not allowed to be empty",
            ErrorOf(HexBytes("54 50 46 30 00 01 41 00 00")));
  EXPECT_EQ(
      "Binary form data, byte offset 5: child position must be an 8, 16 or 32-bit "
      "integer, found value type 19",
      ErrorOf(HexBytes("54 50 46 30 F2 13 00 00 00 00 00 00 00 00")));
  EXPECT_EQ(
      "Binary form data, byte offset 13: a collection item must be a property list "
      "(value type 1)",
      ErrorOf(head + HexBytes("01 50 0E 02 01 06 00 00 00 00")));
}

TEST(FormStream, DeepNestingIsRefusedInsteadOfExhaustingTheStack) {
  std::string s = HexBytes("54 50 46 30 01 54 01 41 01 50");
  s += std::string(100000, '\x01');  // lists inside lists
  EXPECT_NE(std::string::npos, ErrorOf(s).find("nest deeper than 256 levels"));

  std::string objects = HexBytes("54 50 46 30");
  for (int i = 0; i < 20000; ++i) objects += HexBytes("01 54 01 41 00");
  EXPECT_NE(std::string::npos, ErrorOf(objects).find("nest deeper than 256 levels"));
}

TEST(FormStream, WriterRefusesTreesWithoutABinaryForm) {
  TFormObjectNode o;
  o.ClassName = "TForm1";
  TFormProperty p;
  p.Name = "L";
  p.Value.Type = TValueType::vaList;
  p.Value.List.emplace_back();  // vaNull would end the list early
  o.Properties.push_back(p);
  EXPECT_THROW(WriteObjectStream(o), EFormFormatError);

  o.Properties.clear();
  o.Name = std::string(256, 'x');
  EXPECT_THROW(WriteObjectStream(o), EFormFormatError);
}

TEST(FormStream, LongClassNamesGetAPrefixSoTheyCannotReadAsFlags) {
  TFormObjectNode o;
  o.ClassName = "T" + std::string(244, 'x');
  o.Name = "A";
  const std::string s = WriteObjectStream(o);
  EXPECT_EQ('\xF0', s[4]);
  EXPECT_EQ(o, ReadObjectStream(s));
}

}  // namespace

#include "rtl/FormConvert.h"
#include "rtl/FormText.h"

namespace {

// Random damage to a real stream and its text: every outcome is either a
// conversion or EFormFormatError; anything else (a crash under the
// sanitizers, another exception) fails.
TEST(FormStream, RandomDamageEndsInAResultOrAFormatError) {
  std::mt19937 rng(4242);
  const TEncoding& cp = TEncoding::CodePage(1252);
  const String text = ObjectBinaryToText(kSample, cp);
  int errors = 0;
  for (int i = 0; i < 3000; ++i) {
    std::string bin = kSample;
    String txt = text;
    for (int k = std::uniform_int_distribution<int>(1, 3)(rng); k > 0; --k) {
      bin[rng() % bin.size()] = static_cast<char>(rng());
      txt[rng() % txt.size()] = static_cast<char16_t>(rng() % 2 ? rng() % 128 : rng());
    }
    try {
      ObjectBinaryToText(bin, cp);
    } catch (const EFormFormatError&) {
      ++errors;
    }
    try {
      ObjectTextToBinary(txt, cp);
    } catch (const EFormFormatError&) {
      ++errors;
    }
  }
  EXPECT_GT(errors, 1000);  // the damage was real
}

}  // namespace
