#include "replace/ReplaceOptions.h"

#include <gtest/gtest.h>

namespace mirel {
namespace {

constexpr char16_t kSection[] = u"BDE/ADO Migration Wizard";

TEST(ReplaceOptionsTest, EmptySectionLeavesTheInitialValues) {
  TMemIniFile ini;
  ini.WriteString(u"Other Migration Wizard", u"Dest", u"1");
  TReplaceOptions o(u"BDE/ADO");
  o.Load(ini, kSection);
  EXPECT_EQ(kSection, o.Title());
  EXPECT_EQ(0, o.Dest);
  EXPECT_EQ(u"", o.Directory);
  EXPECT_TRUE(o.MakeBackup);
  EXPECT_TRUE(o.WriteLog);
  EXPECT_FALSE(o.ViewLog);
  EXPECT_FALSE(o.IncludeSubDirs);

  // A value missing from the store keeps what an earlier use left.
  o.Directory = u"/earlier";
  o.ViewLog = true;
  ini.WriteBool(kSection, u"MakeBackup", false);
  o.Load(ini, kSection);
  EXPECT_EQ(u"/earlier", o.Directory);
  EXPECT_TRUE(o.ViewLog);
  EXPECT_FALSE(o.MakeBackup);
}

TEST(ReplaceOptionsTest, SaveAndLoadRoundTripTheSixValuesOnly) {
  TReplaceOptions saved(u"BDE/ADO");
  saved.Dest = 1;
  saved.Directory = u"/home/me/Projects/Ördner mit Leerzeichen";
  saved.IncludeSubDirs = true;
  saved.MakeBackup = false;
  saved.WriteLog = false;
  saved.ViewLog = true;
  saved.BackupDir = u"/backup";
  saved.UnitNames = u"Main.pas\r\nData.pas";
  TMemIniFile ini;
  saved.Save(ini, saved.Title());

  TStringList names;
  ini.ReadSection(kSection, names);
  EXPECT_EQ(u"Dest\r\nDirectory\r\nIncludeSubDirs\r\nMakeBackup\r\nWriteLog\r\nViewLog\r\n",
            names.Text());

  TMemIniFile reread;  // through the text form, as a stored file would be
  reread.SetText(ini.GetText());
  TReplaceOptions loaded(u"BDE/ADO");
  loaded.Load(reread, kSection);
  EXPECT_EQ(1, loaded.Dest);
  EXPECT_EQ(saved.Directory, loaded.Directory);
  EXPECT_TRUE(loaded.IncludeSubDirs);
  EXPECT_FALSE(loaded.MakeBackup);
  EXPECT_FALSE(loaded.WriteLog);
  EXPECT_TRUE(loaded.ViewLog);
  EXPECT_EQ(u"", loaded.BackupDir);
  EXPECT_EQ(u"", loaded.UnitNames);
}

TEST(ReplaceOptionsTest, DestKeepsTheLowEightBitsAndIgnoresJunk) {
  TMemIniFile ini;
  TReplaceOptions o(u"BDE/ADO");
  ini.WriteInteger(kSection, u"Dest", 257);
  o.Load(ini, kSection);
  EXPECT_EQ(1, o.Dest);
  ini.WriteString(kSection, u"Dest", u"folder");
  o.Dest = 0;
  o.Load(ini, kSection);
  EXPECT_EQ(0, o.Dest);
}

}  // namespace
}  // namespace mirel
