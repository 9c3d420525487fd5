// A run stopped abruptly after its k-th change to the disk, for every k: the
// file system from then on refuses everything and changes nothing, so the
// disk stays as a process killed at that moment would leave it (no clean-up
// reaches it). After each stop: every original is whole (its own bytes or
// its complete conversion), every replaced original is named in an undo file
// whose backup holds it, and a restore brings every original back.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cerrno>

#include <filesystem>
#include <map>

#include "files/FileSystem.h"
#include "replace/KyReplacer.h"
#include "replace/Restore.h"
#include "replace/UndoFile.h"
#include "support/FilesTempDir.h"

using namespace mirel;
using mirel::testing::TTempDir;
namespace stdfs = std::filesystem;

namespace {

// Passes the first `budget` changes (and every look) on to the real file
// system; from the change after that on, every call fails with EIO and
// touches nothing.
class TStoppingFileSystem final : public TFileSystem {
 public:
  explicit TStoppingFileSystem(long budget) : budget_(budget) {}
  long Changes() const { return changes_; }
  bool Stopped() const { return changes_ > budget_; }

  TFileStat Stat(const String& p) override { return Stopped() ? TFileStat{} : real_.Stat(p); }
  TFileStat LinkStat(const String& p) override {
    return Stopped() ? TFileStat{} : real_.LinkStat(p);
  }
  String RealPath(const String& p) override { return real_.RealPath(p); }
  TFsResult ListFolder(const String& f, std::vector<TFolderEntry>& e) override {
    return Stopped() ? Refused() : real_.ListFolder(f, e);
  }
  TFsResult ReadFile(const String& p, std::string& c) override {
    return Stopped() ? Refused() : real_.ReadFile(p, c);
  }
  TFsResult WriteFile(const String& p, std::string_view c, bool durable) override {
    return Change() ? real_.WriteFile(p, c, durable) : Refused();
  }
  TFsResult CopyFile(const String& f, const String& t, bool o, bool durable) override {
    return Change() ? real_.CopyFile(f, t, o, durable) : Refused();
  }
  TFsResult LinkFile(const String& f, const String& t) override {
    return Change() ? real_.LinkFile(f, t) : Refused();
  }
  TFsResult MoveFile(const String& f, const String& t) override {
    return Change() ? real_.MoveFile(f, t) : Refused();
  }
  TFsResult CopyAttributes(const String& f, const String& t) override {
    return Change() ? real_.CopyAttributes(f, t) : Refused();
  }
  TFsResult Sync(const String& p) override { return Change() ? real_.Sync(p) : Refused(); }
  TFsResult CreateFolder(const String& p, unsigned m) override {
    return Change() ? real_.CreateFolder(p, m) : Refused();
  }
  TFsResult Rename(const String& f, const String& t) override {
    return Change() ? real_.Rename(f, t) : Refused();
  }
  TFsResult DeleteFile(const String& p) override {
    return Change() ? real_.DeleteFile(p) : Refused();
  }
  TFsResult RemoveFolder(const String& p) override {
    return Change() ? real_.RemoveFolder(p) : Refused();
  }
  String TempFolder() override { return real_.TempFolder(); }

 private:
  bool Change() { return ++changes_ <= budget_; }
  static TFsResult Refused() { return TFsResult::Fail(EIO); }

  TFileSystem& real_ = TFileSystem::Real();
  long budget_;
  long changes_ = 0;
};

std::map<std::string, std::string> Files(const TTempDir& dir, const std::string& rel) {
  std::map<std::string, std::string> files;
  const stdfs::path root = dir.Utf8(rel);
  for (const auto& e : stdfs::recursive_directory_iterator(root)) {
    const std::string name = stdfs::relative(e.path(), root).string();
    if (e.is_regular_file() && name.rfind("RBackup", 0) != 0)
      files[name] = dir.Read(rel + "/" + name);
  }
  return files;
}

class CrashConsistency : public ::testing::Test {
 protected:
  TTempDir dir_;
  TProfilesScope profiles_;

  void SetUp() override {
    dir_.MakeFolder("tmp");
    const char* old = getenv("TMPDIR");
    had_tmp_ = old != nullptr;
    old_tmp_ = old ? old : "";
    setenv("TMPDIR", dir_.Utf8("tmp").c_str(), 1);
    for (const char* app : {"a", "b"}) {
      for (const auto& e :
           stdfs::directory_iterator(std::string(MIREL_SOURCE_DIR) + "/examples/bde"))
        dir_.Write(std::string("pristine/") + app + "/" + e.path().filename().string(),
                   dir_.Read(stdfs::relative(e.path(), dir_.Utf8("")).string()));
    }
  }
  void TearDown() override {
    BdeReplacer().SetFileSystem(TFileSystem::Real());
    if (had_tmp_)
      setenv("TMPDIR", old_tmp_.c_str(), 1);
    else
      unsetenv("TMPDIR");
  }

  // A folder run over rel through fs; what it returned, or false when it threw.
  bool Run(const std::string& rel, TFileSystem& fs) {
    TComponentReplacer& r = BdeReplacer();
    TReplaceOptions& o = r.Options();
    o.Dest = 1;
    o.Directory = dir_ / rel;
    o.IncludeSubDirs = true;
    o.MakeBackup = true;
    o.BackupDir = dir_ / (rel + "/RBackup");
    o.WriteLog = false;
    o.ViewLog = false;
    o.Threads = 1;
    r.SetFileSystem(fs);
    bool ok = false;
    try {
      ok = r.Run();
    } catch (const Exception&) {
    }
    r.SetFileSystem(TFileSystem::Real());
    return ok;
  }
  // Also empties the temporary folder: a stopped run leaves its private
  // folder behind, as a killed process would, and each stop must start from
  // the same state so that its k-th change is the same step every time.
  void Copy(const std::string& from, const std::string& to) {
    stdfs::remove_all(dir_.Utf8("tmp"));
    dir_.MakeFolder("tmp");
    stdfs::remove_all(dir_.Utf8(to));
    stdfs::copy(dir_.Utf8(from), dir_.Utf8(to), stdfs::copy_options::recursive);
  }

  bool had_tmp_ = false;
  std::string old_tmp_;
};

TEST_F(CrashConsistency, AStopAfterAnyChangeLeavesEveryOriginalWholeAndRestorable) {
  // An uninterrupted run: what every original becomes, and how many changes
  // it makes to the disk.
  Copy("pristine", "converted");
  TStoppingFileSystem counting(1L << 40);
  ASSERT_TRUE(Run("converted", counting));
  const long total = counting.Changes();
  const auto pristine = Files(dir_, "pristine");
  const auto converted = Files(dir_, "converted");
  ASSERT_GT(total, 20);
  ASSERT_NE(pristine, converted);

  // Stops that left some originals replaced and others not: the moments a
  // run must be most careful about. The test is only worth its name if it
  // reaches them.
  int halfway = 0;
  int changing = 0;
  for (const auto& [name, bytes] : pristine) changing += converted.at(name) != bytes;
  for (long k = 0; k <= total; ++k) {
    SCOPED_TRACE("stopped after change " + std::to_string(k) + " of " + std::to_string(total));
    Copy("pristine", "run");
    TStoppingFileSystem stopping(k);
    Run("run", stopping);

    // Each original is whole; a replaced one is in the undo file with a
    // backup that holds it.
    TStringList undo;
    const String undoFile = dir_ / "run/RBackup/RExpert.reu";
    if (dir_.Exists("run/RBackup/RExpert.reu")) LoadUndoFile(undoFile, undo);
    int replaced = 0;
    for (const auto& [name, bytes] : pristine) {
      const std::string now = dir_.Read("run/" + name);
      if (now == bytes) continue;
      ASSERT_EQ(converted.at(name), now) << name << " is neither the original nor its conversion";
      const int line = undo.IndexOfName(dir_ / ("run/" + name));
      ASSERT_GE(line, 0) << name << " replaced without an undo line";
      EXPECT_EQ(
          bytes,
          dir_.Read(stdfs::relative(ToUtf8(undo.ValueFromIndex(line)), dir_.Utf8("")).string()))
          << "the backup of " << name;
      ++replaced;
    }
    // The stop can leave hidden files beside the originals; never a file
    // that is not ours in place of one.
    for (const auto& [name, bytes] : Files(dir_, "run")) {
      if (pristine.count(name)) continue;
      const std::string base = stdfs::path(name).filename().string();
      EXPECT_TRUE(base.rfind(".~", 0) == 0 || base == "Wiz_Log.txt" || base == ".mirel.lock")
          << "unexpected file " << name;
    }
    if (replaced > 0 && replaced < changing) ++halfway;
    if (replaced > 0) {
      const TRestoreResult restored = RestoreFromUndoFile(undoFile);
      EXPECT_TRUE(restored.Succeeded());
      for (const auto& [name, bytes] : pristine)
        EXPECT_EQ(bytes, dir_.Read("run/" + name)) << name << " not restored";
    }
  }
  EXPECT_GT(halfway, 0);
}

}  // namespace
