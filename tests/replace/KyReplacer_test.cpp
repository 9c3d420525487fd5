// The two migration profiles: their class pairs, the shared options, the
// registered target classes, and loading and unloading.
#include "replace/KyReplacer.h"

#include <gtest/gtest.h>

#include "rtl/Classes.h"

using namespace mirel;

namespace {

// "source=target" for every pair, in the order the targets were added.
std::vector<std::string> Pairs(const TComponentReplacer& r) {
  std::vector<std::string> pairs(static_cast<size_t>(r.TargetClasses().Count()));
  for (const TStringList::Item& item : r.ClassMap().Items())
    pairs.at(static_cast<size_t>(item.object)) =
        ToUtf8(item.text) + "=" + ToUtf8(r.TargetClasses()[static_cast<int>(item.object)]);
  return pairs;
}

TEST(KyReplacer, ProfilesHoldTheirPairsInOrderAndShareOneOptionsObject) {
  TProfilesScope scope;
  EXPECT_EQ((std::vector<std::string>{"TDatabase=TKyConnection", "TQuery=TKyQuery",
                                      "TwwQuery=TKyQuery", "TTable=TKyTable", "TwwTable=TKyTable",
                                      "TStoredProc=TKyStoredProc", "TwwStoredProc=TKyStoredProc",
                                      "TwwDataSource=TKyDataSource", "TUpdateSQL=TKyUpdateSQL",
                                      "EDBEngineError=EKyProvError", "TBatchMove=TQeBatchMove"}),
            Pairs(BdeReplacer()));
  EXPECT_EQ((std::vector<std::string>{"TADOConnection=TKyConnection", "TADOCommand=TKySQL",
                                      "TADODataSet=TKyQuery", "TADOTable=TKyTable",
                                      "TADOQuery=TKyQuery", "TADOStoredProc=TKyStoredProc"}),
            Pairs(AdoReplacer()));
  EXPECT_EQ(u"DBTABLES", BdeReplacer().SourceUnit());
  EXPECT_EQ(u"ADODB", AdoReplacer().SourceUnit());
  EXPECT_EQ(String(kKyTargetUnits), AdoReplacer().TargetUnits());
  EXPECT_FALSE(BdeReplacer().IsMappedClass(u"TDataSource"));
  EXPECT_FALSE(AdoReplacer().IsMappedClass(u"TDataSource"));

  EXPECT_EQ(&SharedOptions(), &BdeReplacer().Options());
  EXPECT_EQ(&SharedOptions(), &AdoReplacer().Options());
  EXPECT_EQ(u"BDE/ADO Migration Wizard", SharedOptions().Title());
  EXPECT_EQ(u"BDE/ADO Migration Wizard log", BdeReplacer().Log().LogTitle());
  SharedOptions().Directory = u"/work/app";
  EXPECT_EQ(u"/work/app", AdoReplacer().Options().Directory);
}

TEST(KyReplacer, LoadRegistersTheFiveTargetClassesAndTheLastUnloadRemovesThem) {
  ASSERT_FALSE(ProfilesLoaded());
  EXPECT_THROW(BdeReplacer(), EAssertionFailed);
  EXPECT_THROW(UnloadProfiles(), EAssertionFailed);
  {
    TProfilesScope outer;
    TComponentReplacer* bde = &BdeReplacer();
    for (const char16_t* name :
         {u"TKyConnection", u"TKyQuery", u"TKyTable", u"TKyStoredProc", u"TKyUpdateSQL"})
      EXPECT_NE(nullptr, GetClass(name)) << ToUtf8(name);
    for (const char16_t* name : {u"TKyDataSource", u"TKySQL", u"TQeBatchMove", u"EKyProvError"})
      EXPECT_EQ(nullptr, GetClass(name)) << ToUtf8(name);
    {
      // A second load builds nothing new; its unload tears nothing down.
      TProfilesScope inner;
      EXPECT_EQ(bde, &BdeReplacer());
    }
    EXPECT_TRUE(ProfilesLoaded());
    EXPECT_NE(nullptr, GetClass(u"TKyQuery"));
  }
  EXPECT_FALSE(ProfilesLoaded());
  EXPECT_EQ(nullptr, GetClass(u"TKyQuery"));
}

}  // namespace
