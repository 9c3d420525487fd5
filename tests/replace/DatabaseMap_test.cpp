// TDatabaseMap answers as the name=value lines of a string list would, while
// finding names through its index.
#include "replace/DatabaseMap.h"

#include <gtest/gtest.h>

#include "rtl/StringList.h"

using namespace mirel;

TEST(DatabaseMap, AnswersAsNameValueLinesOfAStringListWould) {
  TDatabaseMap map;
  TStringList list;
  // Case folding, first line wins, a line without '=', replacing, deleting
  // (which uncovers a later line of the same name), and names re-added.
  const auto add = [&](const String& line) {
    map.Add(line);
    list.Add(line);
  };
  const auto set = [&](StringView name, StringView value) {
    map.SetValue(name, value);
    list.SetValue(name, value);
  };
  add(u"Sales=Form1.DB1");
  add(u"SALES=Form2.DB2");
  add(u"no value here");
  add(u"=Form3.Nameless");
  set(u"sales", u"Form4.DB4");
  set(u"Orders", u"Form5.DB5");
  set(u"Sales", u"");
  set(u"Missing", u"");
  set(u"Ørders", u"Form6.DB6");
  for (const StringView name :
       {u"Sales", u"sales", u"Orders", u"ORDERS", u"", u"no value here", u"Ørders", u"ørders"})
    EXPECT_EQ(list.Values(name), map.Values(name)) << String(name).size();
  EXPECT_EQ(u"Form2.DB2", map.Values(u"sAlEs"));
  EXPECT_EQ(list.Text(), map.Text());
  EXPECT_EQ(list.Count(), map.Count());

  map.Clear();
  EXPECT_EQ(0, map.Count());
  EXPECT_EQ(u"", map.Values(u"Orders"));
}
