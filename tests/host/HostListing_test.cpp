// Opening a project of many units lists each folder once, however many of
// the names it gives are in another case than on disk and however many of
// its units' forms are found only without regard to case.
#include <gtest/gtest.h>

#include "host/DiskProjectHost.h"
#include "support/FaultyFileSystem.h"
#include "support/FilesTempDir.h"

using namespace mirel;
using namespace mirel::testing;
using mirel::testing::TTempDir;

namespace {

struct TOpened {
  int lists = 0;
  std::vector<String> units;  // each unit's file, then its form's when it has one
};

// units units in one folder; the project names every third in lower case,
// and every second has a form "UnitN.DFM".
TOpened Open(const TTempDir& dir, int units) {
  std::string dpr = "program P;\r\nuses\r\n  Forms";
  for (int i = 0; i < units; ++i) {
    const std::string name = "Unit" + std::to_string(i);
    dir.Write(name + ".pas", "unit " + name + ";\r\ninterface\r\nimplementation\r\nend.\r\n");
    if (i % 2 == 0) dir.Write(name + ".DFM", "object F: TForm\r\nend\r\n");
    dpr += ",\r\n  " + name + " in '" + (i % 3 == 0 ? "unit" + std::to_string(i) : name) + ".pas'";
  }
  dir.Write("P.dpr", dpr + ";\r\nbegin\r\nend.\r\n");

  TFaultyFileSystem fs;
  TDiskProjectHost host;
  host.SetFileSystem(fs);
  host.Open(dir / "P.dpr");
  TOpened opened;
  opened.lists = fs.Calls(TFsOp::List);
  for (int m = 2; m < host.GetModuleCount(); ++m) {
    const auto unit = host.GetModule(m);
    for (int f = 0; f < unit->GetModuleFileCount(); ++f)
      opened.units.push_back(unit->GetModuleFileEditor(f)->GetFileName());
  }
  return opened;
}

}  // namespace

TEST(HostListing, OpeningAProjectListsItsFolderOnceWhateverTheNumberOfUnits) {
  TTempDir small, large;
  const TOpened a = Open(small, 9);
  const TOpened b = Open(large, 36);
  EXPECT_EQ(a.lists, 1);
  EXPECT_EQ(b.lists, 1);

  // Every unit under its name on disk, with its form when it has one.
  std::vector<String> expected;
  for (int i = 0; i < 36; ++i) {
    expected.push_back(large / ("Unit" + std::to_string(i) + ".pas"));
    if (i % 2 == 0) expected.push_back(large / ("Unit" + std::to_string(i) + ".DFM"));
  }
  EXPECT_EQ(b.units, expected);
}
