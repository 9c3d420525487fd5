#include "rtl/Menus.h"

#include <gtest/gtest.h>

using namespace mirel;

TEST(Menus, RemoveAmpersandsDropsAcceleratorsAndKeepsLiteralAmpersands) {
  EXPECT_EQ(u"Mirel", RemoveAmpersands(u"&Mirel"));
  EXPECT_EQ(u"Migration Wizard", RemoveAmpersands(u"&Migration &Wizard"));
  EXPECT_EQ(u"Save & Close", RemoveAmpersands(u"&Save && Close"));
  EXPECT_EQ(u"&Tools", RemoveAmpersands(u"&&&Tools"));
  EXPECT_EQ(u"End", RemoveAmpersands(u"End&"));
  EXPECT_EQ(u"", RemoveAmpersands(u""));
}

TEST(Menus, TheProductDescriptorHasDistinctCaptions) {
  EXPECT_EQ(u"&Mirel", Menu.Caption);
  EXPECT_FALSE(Menu.ItemName.empty());
  // The alternative must not clash with the caption it stands in for.
  EXPECT_FALSE(Menu.AltCaption.empty());
  EXPECT_NE(UpperCase(RemoveAmpersands(Menu.Caption)),
            UpperCase(RemoveAmpersands(Menu.AltCaption)));
}
