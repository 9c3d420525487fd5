// mirel-migrate replace and restore, run as a user would on copies of the
// example projects: messages, exit codes, files written and put back.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/CliTest.h"
#include "support/FilesTempDir.h"

using mirel::testing::TRun;
using mirel::testing::TTempDir;
namespace stdfs = std::filesystem;

namespace {

const std::string& kTool = mirel::testing::kCliTool;
const std::string& kExamples = mirel::testing::kExamplesDir;

class ReplaceCommands : public mirel::testing::CliTest {
 protected:
  bool SameAsExample(const std::string& example, const std::string& copy) {
    for (const auto& e : stdfs::recursive_directory_iterator(kExamples + "/" + example)) {
      if (!e.is_regular_file()) continue;
      const std::string rel = stdfs::relative(e.path(), kExamples + "/" + example).string();
      if (dir_.Read(copy + "/" + rel) != ReadExample(example + "/" + rel)) return false;
    }
    return true;
  }
  std::string ReadExample(const std::string& rel) {
    std::ifstream in(kExamples + "/" + rel, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
};

}  // namespace

TEST_F(ReplaceCommands, ProjectReplaceThenRestore) {
  Copy("bde", "OrderDesk");
  TRun r = Run("replace --project OrderDesk/OrderDesk.dproj --unit main --unit DataMod.pas");
  ASSERT_EQ(0, r.code) << r.err;
  EXPECT_NE(std::string::npos, r.out.find("Replace procedure was performed sucessfully.\n"));
  EXPECT_NE(std::string::npos, r.out.find("4 file(s) changed."));  // two units and their forms
  EXPECT_NE(std::string::npos,
            r.out.find("Undo file: " + dir_.Utf8("OrderDesk/RBackup/RExpert.reu")));
  EXPECT_NE(ReadExample("bde/Main.pas"), dir_.Read("OrderDesk/Main.pas"));
  EXPECT_EQ(ReadExample("bde/Customers.pas"), dir_.Read("OrderDesk/Customers.pas"));
  EXPECT_TRUE(dir_.Exists("OrderDesk/Wiz_Log.txt"));
  EXPECT_TRUE(stdfs::is_empty(dir_.Utf8("tmp")));

  r = Run("restore OrderDesk/RBackup/RExpert.reu");
  ASSERT_EQ(0, r.code) << r.err;
  EXPECT_EQ("Files were succefully restored.\n", r.out);
  EXPECT_TRUE(SameAsExample("bde", "OrderDesk"));
}

TEST_F(ReplaceCommands, FolderReplaceWithRelativeBackupDirAndViewLog) {
  Copy("ado", "Inventory");
  const TRun r = Run("replace --profile ado --folder Inventory --backup-dir old --view-log");
  ASSERT_EQ(0, r.code) << r.err;
  EXPECT_EQ(0u, r.out.find("BDE/ADO Migration Wizard log\r\n")) << "the log comes first";
  EXPECT_NE(std::string::npos, r.out.find("Processing file: " + dir_.Utf8("Inventory/Main.dfm")));
  EXPECT_TRUE(dir_.Exists("Inventory/old/Main.~pas"));
  EXPECT_TRUE(dir_.Exists("Inventory/old/RExpert.reu"));
}

TEST_F(ReplaceCommands, BadUsageAndBadInputExitWithTwo) {
  Copy("bde", "OrderDesk");
  const std::pair<std::string, std::string> cases[] = {
      {"replace", "give either --project FILE or --folder DIR"},
      {"replace --folder nowhere", "Target directory \"nowhere\" does not exist."},
      {"replace --project OrderDesk/Main.pas", "must be a .dpr or .dproj file"},
      {"replace --project OrderDesk/OrderDesk.dpr --unit Nope", "the project has no unit Nope"},
      {"replace --folder OrderDesk --unit Main", "--unit requires --project"},
      {"replace --project OrderDesk/OrderDesk.dpr --no-backup --backup-dir x", "excludes"},
      {"replace --project OrderDesk/OrderDesk.dpr --codepage 65001", "65001"},
      {"restore nothing.reu", "Undo file \"nothing.reu\" does not exist."},
  };
  for (const auto& [args, message] : cases) {
    const TRun r = Run(args);
    EXPECT_EQ(2, r.code) << args;
    EXPECT_NE(std::string::npos, r.err.find(message)) << args << ": " << r.err;
  }
  EXPECT_TRUE(SameAsExample("bde", "OrderDesk"));
}

TEST_F(ReplaceCommands, MalformedProjectAndFailedRestoreAreReported) {
  dir_.Write("Broken.dpr", "program Broken;\r\nuses\r\n  Main in 'Main.pas\r\n");
  TRun r = Run("replace --project Broken.dpr");
  EXPECT_EQ(2, r.code);
  EXPECT_NE(std::string::npos, r.err.find("Broken.dpr")) << r.err;

  dir_.Write("undo.reu", dir_.Utf8("a.pas") + "=" + dir_.Utf8("gone.~pas") + "\r\n");
  dir_.Write("a.pas", "x");
  r = Run("restore undo.reu");
  EXPECT_EQ(1, r.code);
  EXPECT_EQ("Failed to restore file: " + dir_.Utf8("a.pas") + " (its backup " +
                dir_.Utf8("gone.~pas") +
                " is missing)\n"
                "Nothing was restored: every backup must be there.\n"
                "Failed to restore files.\n",
            r.err);
  EXPECT_EQ("x", dir_.Read("a.pas"));
}

TEST_F(ReplaceCommands, HelpTeaches) {
  for (const char* cmd : {"--help", "replace --help", "restore --help"}) {
    const TRun r = Run(cmd);
    EXPECT_EQ(0, r.code) << cmd;
    EXPECT_NE(std::string::npos, r.out.find("Example")) << cmd;
  }
}
