// How often a run lists folders: once per folder, however many units it has
// and however many of their forms are found only without regard to case, so
// that opening a folder of many units grows with their number and not with
// its square. The forms found are those a look-up without the run's folder
// index finds.
#include <gtest/gtest.h>

#include "files/FolderIndex.h"
#include "files/Paths.h"
#include "replace/KyReplacer.h"
#include "support/FaultyFileSystem.h"
#include "support/FilesTempDir.h"

using namespace mirel;
using mirel::testing::TFaultyFileSystem;
using mirel::testing::TFsOp;
using mirel::testing::TTempDir;

namespace {

const char kUnit[] =
    "unit %s;\r\n\r\ninterface\r\n\r\nuses DB, DBTables;\r\n\r\nimplementation\r\n\r\n"
    "{$R *.dfm}\r\n\r\nend.\r\n";
const char kForm[] = "object Data: TDataModule\r\n  object tblOrders: TTable\r\n  end\r\nend\r\n";

std::string UnitText(const std::string& name) {
  std::string text = kUnit;
  text.replace(text.find("%s"), 2, name);
  return text;
}

// A folder of units units, every second one with a form its directive finds
// only by listing the folder ("UnitN.Dfm"; unit 0 has two such forms), and
// the files a dry run over it changes, in order.
struct TFolderRun {
  std::vector<String> changed;
  int folderLists = 0;  // of the units' folder
  int lists = 0;        // of any folder
};

TFolderRun DryRun(const TTempDir& dir, int units) {
  for (int i = 0; i < units; ++i) {
    const std::string name = "Unit" + std::to_string(i);
    dir.Write("src/" + name + ".pas", UnitText(name));
    if (i % 2 == 0) dir.Write("src/" + name + ".Dfm", kForm);
  }
  dir.Write("src/Unit0.dFm", kForm);  // the second in name order

  TProfilesScope profiles;
  TComponentReplacer& replacer = BdeReplacer();
  TReplaceOptions o(u"BDE/ADO");
  o.SetScope(TRunScope::Folder);
  o.Directory = dir / "src";
  o.MakeBackup = false;
  o.WriteLog = false;
  // The real file system; its journal says which folders were listed.
  TFaultyFileSystem fs;
  TRunObserver quiet;
  EXPECT_TRUE(replacer.Run(TRunMode::DryRun, TRunInput{o, {}, fs, quiet}));
  TFolderRun run;
  for (const TRunFile& f : replacer.RunFiles()) run.changed.push_back(f.Original);
  for (const TFaultyFileSystem::TCall& call : fs.Journal()) {
    if (call.op != TFsOp::List) continue;
    ++run.lists;
    if (call.path == dir / "src" || call.path == dir / "src/") ++run.folderLists;
  }
  return run;
}

}  // namespace

TEST(FolderListing, ARunListsEachFolderOnceWhateverTheNumberOfUnits) {
  TTempDir small, large;
  const TFolderRun a = DryRun(small, 10);
  const TFolderRun b = DryRun(large, 40);

  // The units' folder: once for its units, once for the forms of them all.
  EXPECT_EQ(a.folderLists, 2);
  EXPECT_EQ(b.folderLists, 2);
  EXPECT_EQ(a.lists, b.lists);

  // Every unit and every form was found; of unit 0's two forms the first in
  // name order, as a look-up without the index finds it.
  ASSERT_EQ(b.changed.size(), 60u);
  int forms = 0;
  for (const String& file : b.changed) {
    if (!EndsText(u".dfm", file)) continue;
    ++forms;
    EXPECT_EQ(ExtractFileExt(file), u".Dfm") << ToUtf8(file);
    EXPECT_EQ(file, FindFileIgnoringCase(ChangeFileExt(file, u".dfm")));
  }
  EXPECT_EQ(forms, 20);
}
