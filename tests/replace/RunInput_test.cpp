// A run handed its input reads nothing else: not the shared options, not the
// host, not the replacer's own file system, and it tells its observer rather
// than the replacer's hooks; afterwards the replacer is as it was.
#include <gtest/gtest.h>

#include "replace/KyReplacer.h"
#include "support/FaultyFileSystem.h"
#include "support/FilesTempDir.h"

using namespace mirel;
using namespace mirel::testing;
using mirel::testing::TTempDir;

namespace {

class TRecorder : public TRunObserver {
 public:
  std::vector<String> lines, steps;
  int starts = 0, stops = 0, converted = 0;
  void Start() override { ++starts; }
  void Stop() override { ++stops; }
  void LogLine(StringView line) override { lines.emplace_back(line); }
  void StepReached(StringView step) override { steps.emplace_back(step); }
  void Converted(const std::vector<TRunFile>& files) override {
    converted = static_cast<int>(files.size());
  }
};

}  // namespace

TEST(RunInput, ARunReadsItsInputAndTellsItsObserverOnly) {
  TTempDir dir;
  dir.Write("proj/Main.pas",
            "unit Main;\r\ninterface\r\nuses DBTables;\r\nvar Q: TQuery;\r\nimplementation\r\n"
            "end.\r\n");
  dir.Write("proj/Other.pas", "unit Other;\r\ninterface\r\nvar T: TTable;\r\nend.\r\n");

  TProfilesScope profiles;
  TComponentReplacer& replacer = BdeReplacer();
  // What the shared options say would fail the run: a folder that is not there.
  TReplaceOptions& shared = replacer.Options();
  shared.Dest = 1;
  shared.Directory = dir / "missing";
  int hookCalls = 0;
  replacer.OnLogLine = [&](StringView) { ++hookCalls; };
  replacer.OnStep = [&](StringView) { ++hookCalls; };

  TReplaceOptions options(u"BDE/ADO");
  options.SetScope(TRunScope::Project);
  options.UnitNames = u"Main.pas\r\n";
  options.BackupDir = dir / "proj/bak";
  options.Threads = 1;
  TRunProject project{dir / "proj/Proj.dpr", {dir / "proj/Main.pas", dir / "proj/Other.pas"}};
  TFaultyFileSystem fs;
  TRecorder observer;
  const bool ok = replacer.Run(TRunMode::Replace, TRunInput{options, project, fs, observer});
  replacer.OnLogLine = nullptr;
  replacer.OnStep = nullptr;

  EXPECT_TRUE(ok);
  // Only the unit the options choose, found through the project's modules.
  EXPECT_NE(dir.Read("proj/Main.pas").find("TKyQuery"), std::string::npos);
  EXPECT_NE(dir.Read("proj/Other.pas").find("TTable"), std::string::npos);
  EXPECT_TRUE(dir.Exists("proj/bak/RExpert.reu"));
  EXPECT_TRUE(dir.Exists("proj/Wiz_Log.txt"));
  EXPECT_GT(fs.Calls(TFsOp::Read), 0);
  EXPECT_GT(fs.Calls(TFsOp::Rename), 0);

  EXPECT_EQ(hookCalls, 0);
  EXPECT_EQ(observer.starts, 1);
  EXPECT_EQ(observer.stops, 1);
  EXPECT_EQ(observer.converted, 1);
  EXPECT_EQ(observer.steps,
            (std::vector<String>{u"converted", u"backed-up", u"staged", u"replacing"}));
  ASSERT_FALSE(observer.lines.empty());
  EXPECT_EQ(observer.lines.back(), u"Replace procedure was performed sucessfully.");

  // The replacer is back on its own file system, options and hooks.
  EXPECT_EQ(&replacer.FileSystem(), &TFileSystem::Real());
  EXPECT_EQ(shared.Dest, 1);
  replacer.Log().Close();
  const int before = hookCalls;
  replacer.OnLogLine = [&](StringView) { ++hookCalls; };
  EXPECT_THROW(replacer.Run(TRunMode::DryRun), EFOpenError);  // the missing folder
  replacer.OnLogLine = nullptr;
  EXPECT_GT(hookCalls, before);
}
