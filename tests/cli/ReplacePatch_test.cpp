// mirel-migrate replace --dry-run and --patch, run as a user would: a dry
// run leaves the tree as it was (bytes, times, no lock, log, backup or
// temporary file), and its patch, applied by git to a clean copy, gives the
// very tree a real run gives: on the examples, and on a project of binary
// forms, UTF-16 and UTF-8 units, CR LF line ends and an executable file.
#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "files/FolderLock.h"
#include "rtl/Encoding.h"
#include "rtl/FormConvert.h"
#include "support/CliTest.h"

using mirel::testing::TRun;
namespace stdfs = std::filesystem;

namespace {

class ReplacePatch : public mirel::testing::CliTest {
 protected:
  // Every entry below rel: its bytes (files), its permission bits and its
  // time of last change, to the nanosecond; folders too, since a file made
  // and removed again changes its folder's time.
  std::map<std::string, std::string> Snapshot(const std::string& rel) {
    std::map<std::string, std::string> entries;
    const std::string root = dir_.Utf8(rel);
    const auto add = [&](const std::string& path, const std::string& name) {
      struct stat st;
      if (::lstat(path.c_str(), &st) != 0) return;
      std::string value = std::to_string(st.st_mode) + " " + std::to_string(st.st_mtim.tv_sec) +
                          "." + std::to_string(st.st_mtim.tv_nsec);
      if (S_ISREG(st.st_mode)) value += " " + dir_.Read(rel + "/" + name);
      entries[name] = value;
    };
    add(root, ".");
    for (const auto& e : stdfs::recursive_directory_iterator(root))
      add(e.path().string(), stdfs::relative(e.path(), root).string());
    return entries;
  }

  // The files a run leaves below rel, the run's own (log, backups, lock)
  // left out: bytes and whether the owner may execute it.
  std::map<std::string, std::string> Files(const std::string& rel) {
    std::map<std::string, std::string> files;
    for (const auto& e : stdfs::recursive_directory_iterator(dir_.Utf8(rel))) {
      const std::string name = stdfs::relative(e.path(), dir_.Utf8(rel)).string();
      if (!e.is_regular_file() || name.rfind("RBackup", 0) == 0 || name == "Wiz_Log.txt" ||
          name == ".mirel.lock")
        continue;
      const bool exec = (dir_.Mode(rel + "/" + name) & 0100) != 0;
      files[name] = (exec ? "x " : "- ") + dir_.Read(rel + "/" + name);
    }
    return files;
  }

  // Runs a shell command in the folder rel; its exit status. git must not
  // take the test folder for part of a repository above it.
  int Shell(const std::string& rel, const std::string& command) {
    const std::string cmd = "cd '" + dir_.Utf8(rel) + "' && GIT_CEILING_DIRECTORIES='" +
                            dir_.Utf8("") + "' " + command + " >'" + dir_.Utf8("run/shell") +
                            "' 2>&1 </dev/null";
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string ReadExample(const std::string& rel) {
    std::ifstream in(mirel::testing::kExamplesDir + "/" + rel, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  // args with every "{}" replaced by folder.
  static std::string On(std::string args, const std::string& folder) {
    for (size_t at; (at = args.find("{}")) != std::string::npos;) args.replace(at, 2, folder);
    return args;
  }

  // A dry run with a patch over the copy `dry`, a real run over the copy
  // `real` of the same tree, and the patch applied by git to a third copy:
  // the dry copy is untouched and the patched one is the real one. args
  // names the folder as "{}".
  void ExpectPatchGivesTheRealRun(const std::string& args) {
    stdfs::copy(dir_.Utf8("dry"), dir_.Utf8("real"), stdfs::copy_options::recursive);
    stdfs::copy(dir_.Utf8("dry"), dir_.Utf8("patched"), stdfs::copy_options::recursive);
    const auto before = Snapshot("dry");
    TRun dry = Run("replace --dry-run " + On(args, "dry") + " --patch changes.patch");
    ASSERT_EQ(0, dry.code) << dry.err;
    EXPECT_EQ(0u, dry.out.find("Dry run: no file was changed.\n")) << dry.out;
    EXPECT_EQ(before, Snapshot("dry")) << "a dry run changes nothing, not even a time";
    EXPECT_TRUE(stdfs::is_empty(dir_.Utf8("tmp"))) << "no temporary folder is left";

    const TRun real = Run("replace " + On(args, "real"));
    ASSERT_EQ(0, real.code) << real.err;
    ASSERT_NE(Files("dry"), Files("real")) << "the run changed something";
    EXPECT_EQ(0, Shell("patched", "git apply ../changes.patch")) << dir_.Read("run/shell");
    EXPECT_EQ(Files("real"), Files("patched"));
  }
};

TEST_F(ReplacePatch, TheExamplesPatchedGiveWhatARealRunWrites) {
  Copy("bde", "dry");
  ExpectPatchGivesTheRealRun("--project {}/OrderDesk.dproj");
  EXPECT_NE(std::string::npos, dir_.Read("changes.patch").find("GIT binary patch"))
      << "Customers.dfm is binary";

  stdfs::remove_all(dir_.Utf8("dry"));
  stdfs::remove_all(dir_.Utf8("real"));
  stdfs::remove_all(dir_.Utf8("patched"));
  Copy("ado", "dry");
  ExpectPatchGivesTheRealRun("--profile ado --folder {}");
  // Every file is text there, so patch(1) applies it as well.
  Copy("ado", "by-patch");
  EXPECT_EQ(0, Shell("by-patch", "patch -p1 --quiet -i ../changes.patch"))
      << dir_.Read("run/shell");
  EXPECT_EQ(Files("real"), Files("by-patch"));
}

TEST_F(ReplacePatch, BinaryFormsAndEveryEncodingComeThroughTheirPatchByteForByte) {
  const mirel::String form =
      u"object Form1: TForm1\r\n  Caption = 'Orders'\r\n  object Query1: TQuery\r\n"
      u"    DatabaseName = 'Sales'\r\n    SQL.Strings = (\r\n      'select * from orders')\r\n"
      u"  end\r\n  object Table1: TTable\r\n    TableName = 'items'\r\n  end\r\nend\r\n";
  const mirel::String unit =
      u"unit %;\r\ninterface\r\nuses DBTables;\r\ntype\r\n  TForm1 = class(TForm)\r\n"
      u"    Query1: TQuery;\r\n    Table1: TTable;\r\n  end;\r\nimplementation\r\n"
      u"{$R *.dfm}\r\nend.\r\n";
  const auto unitNamed = [&](const mirel::String& name) {
    mirel::String text = unit;
    text.replace(text.find(u'%'), 1, name);
    return text;
  };
  // A binary form with the resource header (as Delphi writes one) and one
  // without it, a text form, units in UTF-16LE, UTF-16BE and UTF-8 with their
  // marks and one in the code page, in folders whose names need quoting.
  mirel::TBinaryFormKind withHeader;
  (void)mirel::BinaryFormToText(ReadExample("bde/Customers.dfm"), withHeader);
  ASSERT_TRUE(withHeader.HasHeader);
  const mirel::TEncoding& utf16 = mirel::TEncoding::Unicode();
  dir_.Write("dry/Bin1.pas", "\xFF\xFE" + utf16.GetBytes(unitNamed(u"Bin1")));
  dir_.Write("dry/Bin1.dfm", mirel::TextToBinaryForm(form, withHeader));
  dir_.Write("dry/Sub Folder/Bin2.pas",
             "\xFE\xFF" + mirel::TEncoding::BigEndianUnicode().GetBytes(unitNamed(u"Bin2")));
  dir_.Write("dry/Sub Folder/Bin2.dfm", mirel::TextToBinaryForm(form, {}));
  dir_.Write("dry/Grüße/Text.pas",
             "\xEF\xBB\xBF" + mirel::TEncoding::UTF8().GetBytes(unitNamed(u"Text")));
  dir_.Write("dry/Grüße/Text.dfm", mirel::TEncoding::Default().GetBytes(form + u"  // Größe\r\n"));
  dir_.Write("dry/Run.pas", mirel::TEncoding::Default().GetBytes(unitNamed(u"Run") + u"\r\n"));
  stdfs::permissions(dir_.Utf8("dry/Run.pas"), stdfs::perms::owner_exec, stdfs::perm_options::add);
  stdfs::copy(dir_.Utf8("dry"), dir_.Utf8("pristine"), stdfs::copy_options::recursive);

  ExpectPatchGivesTheRealRun("--folder {} --subdirs");
  const std::string patch = dir_.Read("changes.patch");
  EXPECT_NE(std::string::npos, patch.find("diff --git a/Run.pas b/Run.pas\nindex "));
  EXPECT_NE(std::string::npos, patch.find(" 100755\n--- a/Run.pas")) << "the mode is kept";
  const auto count = [&](const std::string& what) {
    int n = 0;
    for (size_t at = patch.find(what); at != std::string::npos; at = patch.find(what, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(7, count("diff --git "));
  EXPECT_EQ(4, count("GIT binary patch\n")) << "two binary forms, two UTF-16 units";

  // The patch of a real run is the patch of its dry run.
  stdfs::copy(dir_.Utf8("pristine"), dir_.Utf8("again"), stdfs::copy_options::recursive);
  const TRun again = Run("replace --no-backup --folder again --subdirs --patch again.patch");
  ASSERT_EQ(0, again.code) << again.err;
  EXPECT_NE(std::string::npos, again.out.find("Patch: again.patch\n"));
  EXPECT_EQ(patch, dir_.Read("again.patch"));
}

TEST_F(ReplacePatch, FilesOutsideTheProjectsFolderStopThePatchAndTheRunBeforeAnyChange) {
  Copy("ado", "app");
  stdfs::create_directory(dir_.Utf8("lib"));
  stdfs::rename(dir_.Utf8("app/Main.pas"), dir_.Utf8("lib/Main.pas"));
  stdfs::rename(dir_.Utf8("app/Main.dfm"), dir_.Utf8("lib/Main.dfm"));
  std::string dpr = dir_.Read("app/Inventory.dpr");
  dpr.replace(dpr.find("'Main.pas'"), 10, "'../lib/Main.pas'");
  dir_.Write("app/Inventory.dpr", dpr);
  const auto app = Files("app");
  const auto lib = Files("lib");

  TRun r = Run("replace --profile ado --dry-run --project app/Inventory.dpr --patch p.patch");
  EXPECT_EQ(1, r.code);
  EXPECT_NE(std::string::npos,
            r.err.find("these files lie outside \"" + dir_.Utf8("app") +
                       "\", where the patch applies:\r\n  " + dir_.Utf8("lib/Main.pas") + "\r\n  " +
                       dir_.Utf8("lib/Main.dfm") + "\r\n"))
      << r.err;
  EXPECT_NE(std::string::npos, r.err.find("Dry run failed. No file was changed."));
  r = Run("replace --profile ado --project app/Inventory.dpr --patch p.patch");
  EXPECT_EQ(1, r.code);
  EXPECT_NE(std::string::npos, r.err.find("Replace failed. No original was changed.")) << r.err;
  EXPECT_EQ(app, Files("app"));
  EXPECT_EQ(lib, Files("lib"));
  EXPECT_FALSE(dir_.Exists("app/RBackup/RExpert.reu"));
  EXPECT_FALSE(dir_.Exists("p.patch"));

  // Without the patch the dry run lists them as they are named.
  r = Run("replace --profile ado --dry-run --project app/Inventory.dpr");
  ASSERT_EQ(0, r.code) << r.err;
  EXPECT_NE(std::string::npos, r.out.find("would change:\n  " + dir_.Utf8("lib/Main.pas")));
}

TEST_F(ReplacePatch, ADryRunKeepsToTheLockOfARunAndLeavesNoLockFile) {
  Copy("ado", "app");
  TRun r = Run("replace --profile ado --dry-run --folder app");
  ASSERT_EQ(0, r.code) << r.err;
  EXPECT_FALSE(dir_.Exists("app/.mirel.lock"));
  EXPECT_EQ("Dry run: no file was changed.\n2 file(s) would change:\n  Main.pas\n  Main.dfm\n",
            r.out);

  const mirel::TFolderLock held(dir_ / "app");
  r = Run("replace --profile ado --dry-run --folder app");
  EXPECT_EQ(1, r.code);
  EXPECT_NE(std::string::npos, r.err.find("Another run is using the folder")) << r.err;
}

TEST_F(ReplacePatch, ThePatchMayGoToStandardOutputButNeverOverAFileOfTheRun) {
  Copy("ado", "app");
  TRun r = Run("replace --profile ado --dry-run --folder app --patch -");
  ASSERT_EQ(0, r.code) << r.err;
  EXPECT_EQ(0u, r.out.find("diff --git a/Main.pas b/Main.pas\n")) << r.out;
  EXPECT_NE(std::string::npos, r.err.find("2 file(s) would change:"));

  const std::string unit = dir_.Read("app/Main.pas");
  r = Run("replace --profile ado --dry-run --folder app --patch app/Main.pas");
  EXPECT_EQ(1, r.code);
  EXPECT_NE(std::string::npos, r.err.find("it is a file of the run")) << r.err;
  EXPECT_EQ(unit, dir_.Read("app/Main.pas"));
  r = Run("replace --profile ado --folder app --patch - --view-log");
  EXPECT_EQ(2, r.code);
  r = Run("replace --profile ado --folder app --dry-run --view-log");
  EXPECT_EQ(2, r.code);
}

}  // namespace
