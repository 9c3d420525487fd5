// Projects written on Chinese and Japanese Windows: units and binary forms in
// the double-byte code pages, converted and shown as text by mirel-migrate.
#include <gtest/gtest.h>

#include "rtl/FormConvert.h"
#include "support/CliTest.h"

using namespace mirel;
using mirel::testing::CliTest;
using mirel::testing::TRun;

namespace {

// A unit whose comments hold double-byte characters with the trail bytes
// given: were a trail '}' read as the end of the comment, the rest of the
// comment would be read as the uses clause and as code.
std::string Unit(const std::string& trailCurly, const std::string& others) {
  return "unit Main;\r\n\r\ninterface\r\n\r\nuses\r\n"
         "  Forms { " +
         trailCurly + ", DBTables };\r\n\r\ntype\r\n  TForm1 = class(TForm)\r\n" + "    { " +
         trailCurly + " TTable " + others + " }\r\n" + "    Query1: TQuery; // " + others +
         "\r\n  end;\r\n\r\n" + "implementation\r\n\r\nconst\r\n  Title = '" + others + trailCurly +
         "';\r\n\r\nend.\r\n";
}

std::string Converted(const std::string& trailCurly, const std::string& others) {
  return "unit Main;\r\n\r\ninterface\r\n\r\nuses\r\n"
         "  Forms { " +
         trailCurly + ", DBTables };\r\n\r\ntype\r\n  TForm1 = class(TForm)\r\n" + "    { " +
         trailCurly + " TKyTable " + others + " }\r\n" + "    Query1: TKyQuery; // " + others +
         "\r\n  end;\r\n\r\n" + "implementation\r\n\r\nconst\r\n  Title = '" + others + trailCurly +
         "';\r\n\r\nend.\r\n";
}

TEST_F(CliTest, CommentsInShiftJisAndGbkEndAtTheirOwnBrace) {
  struct Row {
    const char* page;
    std::string trailCurly, others;
  } const rows[] = {
      // マ (83 7D); 表 (95 5C), ソ (83 5C) end in '\'.
      {"932", "\x83\x7D", "\x95\x5C\x83\x5C"},
      // 亇 (81 7D); 亅 (81 7C) ends in '|', 中文.
      {"936", "\x81\x7D", "\x81\x7C\xD6\xD0\xCE\xC4"},
  };
  for (const Row& row : rows) {
    dir_.Write("Main.pas", Unit(row.trailCurly, row.others));
    TRun r = Run(std::string("convert --codepage ") + row.page + " Main.pas out");
    ASSERT_EQ(0, r.code) << r.err;
    EXPECT_EQ(Converted(row.trailCurly, row.others), dir_.Read("out/Main.pas")) << row.page;
    // Read as Windows-1252, the same bytes end the comments early.
    r = Run("convert Main.pas out1252");
    ASSERT_EQ(0, r.code) << r.err;
    EXPECT_NE(Converted(row.trailCurly, row.others), dir_.Read("out1252/Main.pas")) << row.page;
  }
}

// A binary form of a GBK project: a caption, SQL text with characters whose
// trail bytes are '|' and '}', a string that ends in a lone lead byte and one
// with a lead and trail byte that are no character.
TFormObjectNode GbkForm() {
  const auto text = [](std::string bytes) {
    TFormValue v;
    v.Type = TValueType::vaString;
    v.Bytes = std::move(bytes);
    return v;
  };
  TFormObjectNode form;
  form.ClassName = "TForm1";
  form.Name = "Form1";
  form.Properties.push_back({"Caption", text("\xB6\xA9\xB5\xA5")});  // 订单
  form.Properties.push_back({"Hint", text("ab\x81")});
  form.Properties.push_back({"HelpKeyword", text("\xA2\xA1\xA2\x7D")});
  TFormObjectNode query;
  query.ClassName = "TQuery";
  query.Name = "Query1";
  TFormValue sql;
  sql.Type = TValueType::vaList;
  sql.List.push_back(text("select * from \x81\x7C\x81\x7D"));
  query.Properties.push_back({"SQL.Strings", sql});
  form.Children.push_back(query);
  return form;
}

TEST_F(CliTest, BinaryFormsInGbkAreShownAsTextAndComeBackByteForByte) {
  TResourceHeader header;
  header.Name = "TFORM1";
  const TFormObjectNode form = GbkForm();
  const std::string binary = WriteResourceFile(header, WriteObjectStream(form));
  dir_.Write("Main.dfm", binary);

  TRun r = Run("form-to-text --codepage 936 Main.dfm Main.txt");
  ASSERT_EQ(0, r.code) << r.err;
  EXPECT_EQ(
      "object Form1: TForm1\r\n"
      "  Caption = '\xB6\xA9\xB5\xA5'\r\n"
      "  Hint = 'ab\x81'\r\n"
      "  HelpKeyword = '\xA2\xA1\xA2\x7D'\r\n"
      "  object Query1: TQuery\r\n"
      "    SQL.Strings = (\r\n"
      "      'select * from \x81\x7C\x81\x7D')\r\n"
      "  end\r\n"
      "end\r\n",
      dir_.Read("Main.txt"));
  r = Run("form-to-binary --codepage 936 Main.txt Back.dfm");
  ASSERT_EQ(0, r.code) << r.err;
  EXPECT_EQ(binary, dir_.Read("Back.dfm"));

  // Converted by a run, every string keeps its bytes.
  r = Run("convert --codepage 936 Main.dfm out");
  ASSERT_EQ(0, r.code) << r.err;
  TBinaryFormKind kind;
  const String converted =
      BinaryFormToText(dir_.Read("out/Main.dfm"), kind, TEncoding::CodePage(936));
  const TFormObjectNode back =
      ReadObjectStream(ObjectTextToBinary(converted, TEncoding::CodePage(936)));
  ASSERT_EQ(1u, back.Children.size());
  EXPECT_EQ("TKyQuery", back.Children[0].ClassName);
  EXPECT_EQ(form.Properties, back.Properties);
  EXPECT_EQ(form.Children[0].Properties, back.Children[0].Properties);
}

}  // namespace
