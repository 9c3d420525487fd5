#include "rtl/StringList.h"

#include <gtest/gtest.h>

using namespace mirel;

TEST(StringList, SortedCaseInsensitiveIgnoresDuplicatesAndFindsAnyCase) {
  TStringList l;
  l.SetSorted(true);
  EXPECT_EQ(0, l.Add(u"TTable", 1));
  EXPECT_EQ(0, l.Add(u"TQuery", 2));
  EXPECT_EQ(1, l.Add(u"ttable", 3));  // duplicate: the first one stays
  ASSERT_EQ(2, l.Count());
  EXPECT_EQ(u"TQuery", l[0]);
  EXPECT_EQ(1, l.Objects(l.IndexOf(u"TTABLE")));
  EXPECT_EQ(-1, l.IndexOf(u"TDatabase"));
}

TEST(StringList, NameValueLinesFirstMatchAnswersWithoutRegardToCase) {
  TStringList l;
  l.Add(u"Sales=DataModule1.DB1");
  l.Add(u"SALES=Other.DB2");
  l.Add(u"no equals sign");
  EXPECT_EQ(u"DataModule1.DB1", l.Values(u"sales"));
  EXPECT_EQ(u"", l.Names(2));
  EXPECT_EQ(u"", l.Values(u"no equals sign"));
  l.SetValue(u"sales", u"X.Y");
  EXPECT_EQ(u"sales=X.Y", l[0]);
  l.SetValue(u"sales", u"");
  EXPECT_EQ(u"Other.DB2", l.Values(u"Sales"));
}

TEST(StringList, TextSplitsOnAnyLineBreakAndJoinsWithCrLf) {
  TStringList l;
  l.SetText(u"a\r\nb\nc\rd");
  ASSERT_EQ(4, l.Count());
  EXPECT_EQ(u"a\r\nb\r\nc\r\nd\r\n", l.Text());
}

TEST(SysUtils, Utf8RoundTripKeepsInvalidBytes) {
  for (const std::string raw : {"ok \xC3\xA9 \xFF\xFE \xED\xB2\x80 \xE2\x82",
                                "\xED\xA0\xBD\xED\xB8\x80", "\xED\xA0\x80\x80", "\xF0\x9F\x98\x80"})
    EXPECT_EQ(raw, ToUtf8(FromUtf8(raw)));
  EXPECT_EQ(u"ok \u00e9", FromUtf8("ok \xC3\xA9"));
}

TEST(SysUtils, AssertRaisesInsteadOfAborting) {
  EXPECT_THROW(MIREL_ASSERT(1 + 1 == 3), EAssertionFailed);
}
