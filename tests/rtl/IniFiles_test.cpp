#include "rtl/IniFiles.h"

#include <gtest/gtest.h>

namespace mirel {
namespace {

TEST(MemIniFileTest, TypedReadsFallBackToTheirDefaults) {
  TMemIniFile ini;
  struct Row {
    const char16_t* stored;
    int asInteger;  // with default 7
    int asBool;     // 0, 1, or -1 for the default
  };
  for (const Row& r :
       {Row{u"42", 42, 1}, Row{u" -3 ", -3, 1}, Row{u"0", 0, 0}, Row{u"$1F", 31, 1},
        Row{u"0xff", 255, 1}, Row{u"$FFFFFFFF", -1, 1}, Row{u"true", 7, 1}, Row{u"FALSE", 7, 0},
        Row{u"", 7, -1}, Row{u"12abc", 7, -1}, Row{u"99999999999", 7, -1}, Row{u"-", 7, -1}}) {
    ini.WriteString(u"S", u"v", r.stored);
    EXPECT_EQ(r.asInteger, ini.ReadInteger(u"S", u"v", 7)) << ToUtf8(r.stored);
    if (r.asBool >= 0) {
      EXPECT_EQ(r.asBool == 1, ini.ReadBool(u"S", u"v", false)) << ToUtf8(r.stored);
      EXPECT_EQ(r.asBool == 1, ini.ReadBool(u"S", u"v", true)) << ToUtf8(r.stored);
    } else {
      EXPECT_TRUE(ini.ReadBool(u"S", u"v", true)) << ToUtf8(r.stored);
      EXPECT_FALSE(ini.ReadBool(u"S", u"v", false)) << ToUtf8(r.stored);
    }
  }
  EXPECT_EQ(u"dflt", ini.ReadString(u"S", u"missing", u"dflt"));
  EXPECT_EQ(5, ini.ReadInteger(u"Nope", u"v", 5));
  ini.WriteInteger(u"S", u"n", -12);
  ini.WriteBool(u"S", u"b", true);
  EXPECT_EQ(u"-12", ini.ReadString(u"s", u"N", u""));  // names ignore case
  EXPECT_EQ(u"1", ini.ReadString(u"S", u"b", u""));
}

TEST(MemIniFileTest, SectionsAndValuesCanBeListedAndErased) {
  TMemIniFile ini;
  ini.WriteString(u"B", u"x", u"1");
  ini.WriteString(u"A", u"y", u"2");
  ini.WriteString(u"A", u"z", u"3");
  ini.WriteString(u"a", u"Y", u"4");  // same section, same value
  TStringList names;
  ini.ReadSections(names);
  EXPECT_EQ(u"B\r\nA\r\n", names.Text());
  ini.ReadSection(u"A", names);
  EXPECT_EQ(u"y\r\nz\r\n", names.Text());
  EXPECT_EQ(u"4", ini.ReadString(u"A", u"y", u""));
  ini.DeleteKey(u"A", u"y");
  EXPECT_FALSE(ini.ValueExists(u"A", u"y"));
  EXPECT_TRUE(ini.ValueExists(u"A", u"z"));
  ini.EraseSection(u"a");
  EXPECT_FALSE(ini.SectionExists(u"A"));
  EXPECT_TRUE(ini.SectionExists(u"B"));
  ini.EraseSection(u"never there");
  ini.DeleteKey(u"never", u"there");
}

TEST(MemIniFileTest, MultiLineValuesSurviveTheTextForm) {
  TMemIniFile ini;
  const String history = u"/a/one\r\n/b/two\n/c\\three\\n\r";
  ini.WriteString(u"Wizard", u"DirHistory", history);
  ini.WriteString(u"Wizard", u"Eq", u"a=b");
  EXPECT_EQ(u"[Wizard]\nDirHistory=/a/one\\r\\n/b/two\\n/c\\\\three\\\\n\\r\nEq=a=b\n",
            ini.GetText());

  TMemIniFile copy;
  copy.SetText(u"stray=before any section\r\n; comment\r\n\r\n" + ini.GetText() +
               u"# comment\nno equals sign\n[Other]\n k = v\n");
  EXPECT_EQ(history, copy.ReadString(u"Wizard", u"DirHistory", u""));
  EXPECT_EQ(u"a=b", copy.ReadString(u"Wizard", u"Eq", u""));
  EXPECT_EQ(u" v", copy.ReadString(u"Other", u"k", u""));
  TStringList names;
  copy.ReadSections(names);
  EXPECT_EQ(u"Wizard\r\nOther\r\n", names.Text());
}

}  // namespace
}  // namespace mirel
