// The Changes panel after real replace runs of the engine, started from a
// menu item as a wizard starts them, and after restores.
#include "workbench/ChangesPanel.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QListWidget>
#include <QPlainTextEdit>

#include "WorkbenchTestUtil.h"
#include "host/HostFiles.h"
#include "replace/KyReplacer.h"
#include "rtl/FormConvert.h"
#include "support/HostTestFiles.h"
#include "support/ScriptedDialogs.h"
#include "workbench/TextDiff.h"

namespace mirel::testing {
namespace {

class ChangesPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.CopyExample("bde", ".");
    project_ = QString::fromStdU16String(dir_ / "OrderDesk.dpr");
    // DataMod.dfm binary as well (Customers.dfm of the example is binary).
    TBinaryFormKind kind;
    kind.HasHeader = true;
    kind.Header.Name = "TORDERDATA";
    dir_.Write("DataMod.dfm",
               TextToBinaryForm(FromUtf8(diskhost::ReadFileBytes(dir_ / "DataMod.dfm")), kind));
    ASSERT_TRUE(window_.OpenProject(project_));
    AddItem(u"RunReplace", [this] { Replace(); });
    AddItem(u"RunRestore", [this] { BdeReplacer().Restore(LastUndo()); });
    AddItem(u"RunRestoreReopen", [this] {
      // A restore as the wizard does it: the project is closed first and
      // opened again afterwards.
      window_.Services().GetModule(0)->Close();
      BdeReplacer().Restore(LastUndo());
      window_.Services().OpenProject(project_.toStdU16String(), true);
    });
    AddItem(u"RunNothing", [] {});
  }
  // Nothing here opens a link; a real host would start a browser for one.
  void TearDown() override { EXPECT_TRUE(dialogs_.urls.empty()); }

  void AddItem(StringView name, std::function<void()> run) {
    window_.Services().AddActionMenu(
        u"ToolsMenu",
        std::make_unique<TMenuItem>(String(name), String(name), [run](TMenuItem&) { run(); }), true,
        true);
  }
  void Click(const char* name) { FindAction(window_, QString::fromLatin1(name))->trigger(); }

  // The BDE profile over every unit of the open project, as the wizard runs it.
  void Replace() {
    TReplaceOptions& o = SharedOptions();
    o.Dest = 0;
    o.MakeBackup = true;
    o.BackupDir = dir_ / "RBackup";
    o.WriteLog = true;
    o.ViewLog = false;
    o.Threads = 1;
    o.UnitNames.clear();
    auto project = Supports<IOTAProjectGroup>(window_.Services().GetModule(0))->ActiveProject();
    for (int i = 0; i < project->GetModuleCount(); ++i)
      if (EndsText(u".pas", project->GetModule(i)->GetFileName()))
        o.UnitNames += project->GetModule(i)->GetFileName() + u"\r\n";
    ASSERT_TRUE(BdeReplacer().Run());
    last_undo_ = BdeReplacer().UndoFileName();
  }
  const String& LastUndo() const { return last_undo_; }

  std::string ListText() {
    auto* list = window_.findChild<QListWidget*>(QStringLiteral("changesList"));
    std::string r;
    for (int i = 0; i < list->count(); ++i)
      r += (i ? " " : "") + list->item(i)->text().toStdString();
    return r;
  }
  std::string DiffOf(const char* row) {
    auto* list = window_.findChild<QListWidget*>(QStringLiteral("changesList"));
    auto found = list->findItems(QString::fromLatin1(row), Qt::MatchExactly);
    if (found.isEmpty()) return "(no row)";
    list->setCurrentItem(found[0]);
    return window_.findChild<QPlainTextEdit*>(QStringLiteral("changesDiff"))
        ->toPlainText()
        .toStdString();
  }

  TProfilesScope profiles_;
  TempProjectDir dir_;
  QString project_;
  String last_undo_;
  ScriptedDialogs dialogs_;
  TWorkbenchWindow window_{&dialogs_};
};

TEST_F(ChangesPanelTest, RunFromAMenuItemListsEveryChangedFileWithItsDiff) {
  EXPECT_EQ(ListText(), "");
  Click("RunReplace");
  EXPECT_EQ(ToUtf8(LastUndo()), ToUtf8(dir_ / "RBackup/RExpert.reu"));
  EXPECT_EQ(window_.Changes().UndoFile().toStdU16String(), LastUndo());
  EXPECT_EQ(ListText(),
            "Main.pas DataMod.pas Customers.pas Reports.pas Main.dfm DataMod.dfm Customers.dfm");

  const std::string form = DiffOf("DataMod.dfm");
  EXPECT_EQ(form.rfind("Binary form: compared as form text.\n--- " + ToUtf8(dir_.Path()) +
                           "/RBackup/DataMod.~dfm\n+++ " + ToUtf8(dir_.Path()) + "/DataMod.dfm\n@@",
                       0),
            0u)
      << form;
  EXPECT_NE(form.find("\n-  object dbOrderDesk: TDatabase\n"), std::string::npos) << form;
  EXPECT_NE(form.find("\n+  object dbOrderDesk: TKyConnection\n"), std::string::npos) << form;
  const std::string unit = DiffOf("DataMod.pas");
  EXPECT_EQ(unit.find("Binary form"), std::string::npos);
  EXPECT_NE(unit.find("\n-    dbOrderDesk: TDatabase;\n"), std::string::npos) << unit;
  EXPECT_NE(unit.find("\n+    dbOrderDesk: TKyConnection;\n"), std::string::npos) << unit;

  // Another menu item that runs nothing leaves the panel as it is.
  Click("RunNothing");
  EXPECT_EQ(window_.Changes().Entries().size(), 7u);
}

TEST_F(ChangesPanelTest, RestoreEmptiesThePanelAndALaterRunShowsItsOwnUndoFile) {
  Click("RunReplace");
  Click("RunRestore");
  EXPECT_EQ(ListText(), "");
  EXPECT_NE(MessagesText(window_).find("were undone"), std::string::npos);

  Click("RunReplace");  // its backups go into RBackup/2
  EXPECT_EQ(window_.Changes().UndoFile().toStdU16String(), dir_ / "RBackup/2/RExpert.reu");
  EXPECT_EQ(window_.Changes().Entries().size(), 7u);
  Click("RunRestoreReopen");
  EXPECT_EQ(ListText(), "");
  EXPECT_EQ(TreeText(window_).rfind("OrderDesk.dpr[", 0), 0u);
}

TEST_F(ChangesPanelTest, PanelStaysUntilTheProjectIsClosed) {
  Click("RunReplace");
  window_.OpenFile(QString::fromStdU16String(dir_ / "Main.pas"), false);
  EXPECT_EQ(window_.Changes().Entries().size(), 7u);
  window_.CloseProject();
  EXPECT_EQ(ListText(), "");
  EXPECT_TRUE(window_.Changes().UndoFile().isEmpty());
}

TEST_F(ChangesPanelTest, UndoFileThatCannotBeReadIsReported) {
  const QString missing = QString::fromStdU16String(dir_ / "RBackup/RExpert.reu");
  EXPECT_FALSE(window_.ShowChanges(missing));
  EXPECT_NE(MessagesText(window_).find("Cannot list the changes: "), std::string::npos);
  EXPECT_NE(MessagesText(window_).find(missing.toStdString()), std::string::npos)
      << MessagesText(window_);
}

TEST(UndoSnapshot, FindsTheNewestNewOrRewrittenUndoFileWithinThreeLevels) {
  TempProjectDir dir;
  dir.Write("RBackup/RExpert.reu", "a=b\r\n");
  const QString root = QString::fromStdU16String(dir.Path());
  const TUndoSnapshot before = TUndoSnapshot::Take(root);
  EXPECT_EQ(before.Count(), 1);
  EXPECT_TRUE(TUndoSnapshot::Take(root).NewestSince(before).isEmpty());

  dir.Write("RBackup/2/RExpert.reu", "c=d\r\n");
  dir.Write("deep/er/still/RExpert.reu", "e=f\r\n");  // level 4: not searched
  EXPECT_EQ(TUndoSnapshot::Take(root).NewestSince(before).toStdU16String(),
            dir / "RBackup/2/RExpert.reu");
  // Rewritten in place (another size) counts as a new run too.
  const TUndoSnapshot second = TUndoSnapshot::Take(root);
  dir.Write("RBackup/RExpert.reu", "a=b\r\ng=h\r\n");
  EXPECT_EQ(TUndoSnapshot::Take(root).NewestSince(second).toStdU16String(),
            dir / "RBackup/RExpert.reu");
}

TEST(UnifiedDiff, PrintsHunksWithThreeLinesOfContextWhateverTheLineEnds) {
  EXPECT_EQ(UnifiedDiff("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n", "1\n2\n3\n4\nfive\n6\n7\n8\n",
                        "old", "new")
                .toStdString(),
            "--- old\n+++ new\n@@ -2,7 +2,7 @@\n 2\n 3\n 4\n-5\n+five\n 6\n 7\n 8\n");
  EXPECT_EQ(UnifiedDiff("a\r\nb", "a\nb\n", "old", "new").toStdString(), "--- old\n+++ new\n");
}

}  // namespace
}  // namespace mirel::testing
