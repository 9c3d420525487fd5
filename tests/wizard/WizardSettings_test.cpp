// What the wizard remembers between uses, in the user's settings file.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>

#include "WizardFixture.h"
#include "wizard/SettingsStore.h"

namespace mirel::testing {
namespace {

TEST(SettingsStore, SectionsWithSlashesStayOneSectionAndNeverCollide) {
  QTemporaryDir tmp;
  const QString file = tmp.filePath(QStringLiteral("store.ini"));
  const String names[] = {u"BDE/ADO Migration Wizard", u"BDE%2FADO Migration Wizard",
                          u"BDE\\ADO Migration Wizard", u"BDE", u"ADO Migration Wizard"};
  {
    TQSettingsIniFile store(file);
    for (size_t i = 0; i < std::size(names); ++i) store.WriteInteger(names[i], u"Left", int(i));
    store.WriteString(u"BDE", u"ADO Migration Wizard/Left", u"not a section");
  }
  TQSettingsIniFile store(file);
  TStringList sections;
  store.ReadSections(sections);
  EXPECT_EQ(static_cast<int>(std::size(names)), sections.Count());
  for (size_t i = 0; i < std::size(names); ++i) {
    EXPECT_TRUE(store.SectionExists(names[i]));
    EXPECT_EQ(int(i), store.ReadInteger(names[i], u"Left", -1)) << ToUtf8(names[i]);
  }
  TStringList values;
  store.ReadSection(u"BDE/ADO Migration Wizard", values);
  ASSERT_EQ(1, values.Count());
  EXPECT_EQ(u"Left", values.Strings(0));
  EXPECT_EQ(u"not a section", store.ReadString(u"BDE", u"ADO Migration Wizard/Left", u""));
}

TEST(SettingsStore, TextValuesComeBackByteForByte) {
  QTemporaryDir tmp;
  const QString file = tmp.filePath(QStringLiteral("store.ini"));
  const String values[] = {u"/a/one\n/b/two\n/c/three",
                           u"crlf\r\nlines\r\n",
                           u"  leading and trailing  ",
                           u"@Variant(not really)",
                           u"",
                           u"x=y; z # w [s]",
                           u"\u00e9\u00fc \u65e5\u672c \U0001F600",
                           u"back\\slash and \\n literal",
                           u"\"quoted\"",
                           u"tab\there"};
  {
    TQSettingsIniFile store(file);
    for (size_t i = 0; i < std::size(values); ++i)
      store.WriteString(u"S/T", u"V" + IntToStr(long(i)), values[i]);
  }
  TQSettingsIniFile store(file);
  for (size_t i = 0; i < std::size(values); ++i)
    EXPECT_EQ(values[i], store.ReadString(u"S/T", u"V" + IntToStr(long(i)), u"missing"))
        << ToUtf8(values[i]);
  EXPECT_EQ(u"missing", store.ReadString(u"S/T", u"Nope", u"missing"));
  store.DeleteKey(u"S/T", u"V0");
  EXPECT_FALSE(store.ValueExists(u"S/T", u"V0"));
  store.EraseSection(u"S/T");
  EXPECT_FALSE(store.SectionExists(u"S/T"));
}

TEST(SettingsStore, TheWizardStoreLivesUnderTheUsersConfigurationFolder) {
  auto store = OpenWizardSettings(u"&Mirel");
  auto* qs = dynamic_cast<TQSettingsIniFile*>(store.get());
  ASSERT_TRUE(qs != nullptr);
  EXPECT_TRUE(qs->FileName().endsWith(QStringLiteral("/Orvane/&Mirel.ini")))
      << qs->FileName().toStdString();
}

// --- The dialog's values through the real store ------------------------------------------

class WizardSettings : public WizardTest {
 protected:
  QTemporaryDir tmp;
  QString file = tmp.filePath(QStringLiteral("wizard.ini"));

  // One use as the expert makes it: load, show, act, finish, save.
  template <class Act>
  void Use(Act act) {
    {
      TQSettingsIniFile ini(file);
      Show(&ini);
    }
    act();
    TQSettingsIniFile ini(file);
    form->SaveSettings(ini, section);
  }
  String Stored(const char16_t* name) {
    TQSettingsIniFile ini(file);
    return ini.ReadString(section, name, u"<missing>");
  }
  void ReplaceInFolder(const QString& folder) {
    Next();
    Click("rbDestFolder");
    Next();
    Type("cbDirectory", folder);
    Next();
    Next();
    Click("btFinish");
  }
};

TEST_F(WizardSettings, FirstUseOpensInReplaceModeWithEmptyHistories) {
  TQSettingsIniFile ini(file);
  Show(&ini);
  EXPECT_TRUE(form->rbModeReplace->isChecked());
  EXPECT_EQ(0, form->cbDirectory->count());
  EXPECT_EQ(0, form->cbBackupDir->count());
  EXPECT_EQ(QString(), form->edUndoFile->text());
}

TEST_F(WizardSettings, WithoutABaseFolderNoBareUndoFileNameIsStored) {
  Use([] {});  // no project, no target folder
  EXPECT_EQ(u"", Stored(u"LastUndo"));
}

TEST_F(WizardSettings, AReplaceWithBackupOffersItsUndoFileToTheNextRestore) {
  dir.Write("src/x.pas", "");
  Use([&] { ReplaceInFolder(QPath("src")); });
  EXPECT_EQ(dir / "src/RBackup/RExpert.reu", Stored(u"LastUndo"));
  EXPECT_EQ(u"1", Stored(u"ReplaceMode"));
  EXPECT_EQ(dir / "src", Stored(u"DirHistory"));

  Use([&] {
    EXPECT_EQ(QPath("src/RBackup/RExpert.reu"), form->edUndoFile->text());
    EXPECT_EQ(QPath("src"), form->cbDirectory->itemText(0));
    EXPECT_EQ(QPath("src/RBackup"), form->cbBackupDir->itemText(0));
  });
}

TEST_F(WizardSettings, WithoutBackupTheUndoFileIsForgotten) {
  dir.Write("src/x.pas", "");
  Use([&] {
    Next();
    Next();
    Type("cbDirectory", QPath("src"));
    Next();
    Click("chMakeBackup");
    Next();
    Click("btFinish");
  });
  EXPECT_EQ(u"", Stored(u"LastUndo"));
}

TEST_F(WizardSettings, ElevenFoldersInTurnKeepTheTenNewest) {
  for (int i = 1; i <= 11; ++i) {
    dir.Write("f" + std::to_string(i) + "/x.pas", "");
    Use([&] { ReplaceInFolder(QPath(("f" + std::to_string(i)).c_str())); });
  }
  QStringList expected;
  for (int i = 11; i >= 2; --i) expected << QPath(("f" + std::to_string(i)).c_str());
  EXPECT_EQ(S(expected.join(u'\n')), Stored(u"DirHistory"));
  // Again with a known folder in other letter case: the order stays.
  dir.Write("F5/x.pas", "");
  Use([&] { ReplaceInFolder(QPath("F5")); });
  EXPECT_EQ(S(expected.join(u'\n')), Stored(u"DirHistory"));
}

TEST_F(WizardSettings, ARestoreIsRememberedAndItsUndoFileFollowsTheBaseFolder) {
  const String undo = dir.Write("RBackup/RExpert.reu", "");
  options.Directory = dir.Path();
  Use([&] {
    Click("rbModeRestore");
    Next();
    Type("edUndoFile", Q(undo));
    Next();
    Click("btFinish");
  });
  EXPECT_EQ(u"0", Stored(u"ReplaceMode"));
  EXPECT_EQ(dir / "RExpert.reu", Stored(u"LastUndo"))
      << "the step 4 controls as they stood: an empty backup folder under the base";
  Use([&] { EXPECT_TRUE(form->rbModeRestore->isChecked()); });
}

TEST_F(WizardSettings, TheAdoModeIsRememberedAndSoIsTheWayBack) {
  dir.Write("src/x.pas", "");
  Use([&] {
    Click("rbModeReplaceADO");
    ReplaceInFolder(QPath("src"));
  });
  EXPECT_EQ(u"0", Stored(u"ReplaceMode"));
  EXPECT_EQ(u"1", Stored(u"ReplaceADO"));
  Use([&] {
    auto& ky = static_cast<TKyWizardForm&>(*form);
    EXPECT_TRUE(ky.rbModeReplaceADO->isChecked()) << "not restore mode";
    EXPECT_EQ(1, ky.GetMode());
    Click("rbModeReplace");
    ReplaceInFolder(QPath("src"));
  });
  EXPECT_EQ(u"1", Stored(u"ReplaceMode"));
  EXPECT_EQ(u"0", Stored(u"ReplaceADO"));
  Use([&] { EXPECT_TRUE(form->rbModeReplace->isChecked()); });
}

TEST_F(WizardSettings, APositionOnAScreenIsUsedOneOffEveryScreenIsNot) {
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  {
    TQSettingsIniFile ini(file);
    ini.WriteInteger(section, u"Left", screen.left() + 7);
    ini.WriteInteger(section, u"Top", screen.top() + 9);
  }
  Use([&] { EXPECT_EQ(QPoint(screen.left() + 7, screen.top() + 9), form->pos()); });
  {
    TQSettingsIniFile ini(file);
    ini.WriteInteger(section, u"Left", screen.right() + 5000);
    ini.WriteInteger(section, u"Top", -4000);
  }
  Use([&] { EXPECT_TRUE(screen.contains(form->frameGeometry().center())) << "centred instead"; });
}

}  // namespace
}  // namespace mirel::testing
