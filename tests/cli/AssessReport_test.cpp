// assess and --report, run as a user would on the example projects: the
// report of a run against the checked-in one (the ledger of dropped values
// and the follow-ups included), a report that still comes when a run fails,
// and an assessment that leaves the tree exactly as it was.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "support/CliTest.h"

using mirel::testing::CliTest;
using mirel::testing::TRun;
namespace stdfs = std::filesystem;

namespace {

const std::string kExpected = std::string(MIREL_TEST_DATA_DIR) + "/report";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReadExpected(const std::string& name) {
  return ReadFile(kExpected + "/" + name);
}

// Every path under root with its bytes (folders: "<dir>") and its times.
std::map<std::string, std::string> Snapshot(const std::string& root) {
  std::map<std::string, std::string> tree;
  for (const auto& e : stdfs::recursive_directory_iterator(root)) {
    struct stat st {};
    lstat(e.path().c_str(), &st);
    std::string entry = std::to_string(st.st_mtim.tv_sec) + "." +
                        std::to_string(st.st_mtim.tv_nsec) + " " + std::to_string(st.st_mode);
    if (e.is_regular_file()) {
      std::ifstream in(e.path(), std::ios::binary);
      entry += std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    tree[e.path().string()] = entry;
  }
  return tree;
}

class AssessReport : public CliTest {
 protected:
  // The report with the test's own folder taken out of its paths.
  std::string Report(const std::string& file, const std::string& folder) {
    std::string text = dir_.Read(file);
    const std::string prefix = dir_.Utf8(folder) + "/";
    for (size_t at; (at = text.find(prefix)) != std::string::npos;) text.erase(at, prefix.size());
    return text;
  }
};

TEST_F(AssessReport, TheExamplesReportsHoldEveryObjectDroppedValueAndFollowUp) {
  for (const std::string example : {"bde", "ado"}) {
    SCOPED_TRACE(example);
    Copy(example, example);
    const std::string project = example + (example == "bde" ? "/OrderDesk.dpr" : "/Inventory.dpr");
    TRun r = Run("replace --profile " + example + " --project " + project + " --report " + example +
                 ".json");
    ASSERT_EQ(0, r.code) << r.err;
    EXPECT_NE(std::string::npos, r.out.find("; report: " + dir_.Utf8(example + ".json") + "\n"))
        << r.out;
    EXPECT_EQ(ReadExpected(example + ".json"), Report(example + ".json", example));
  }
  // The ledger: a dropped value worth keeping is there in full, and so is
  // code that still sets what the new classes lack, in a with block too.
  const std::string bde = dir_.Read("bde.json");
  EXPECT_NE(std::string::npos, bde.find(R"("name": "SessionName",
              "value": "'Default'")"));
  EXPECT_NE(std::string::npos, bde.find(R"("text": "FQuery.DatabaseName")"));
  EXPECT_NE(std::string::npos, bde.find(R"("text": "RequestLive")"));
}

TEST_F(AssessReport, ARunThatFailsStillLeavesItsReportSayingWhereItStopped) {
  Copy("bde", "bde");
  dir_.Write("bde/Customers.dfm", std::string("TPF0\x05"
                                              "Broke",
                                              10));
  TRun r = Run("replace --project bde/OrderDesk.dpr --report r.json");
  EXPECT_EQ(1, r.code);
  const std::string report = dir_.Read("r.json");
  EXPECT_NE(std::string::npos, report.find(R"("finished": false)"));
  EXPECT_NE(std::string::npos, report.find("Customers.dfm: Binary form data")) << report;
  EXPECT_EQ(dir_.Read("bde/Main.pas"), ReadFile(mirel::testing::kExamplesDir + "/bde/Main.pas"));
}

TEST_F(AssessReport, ConvertReportsTheFilesItWasGiven) {
  Copy("bde", "bde");
  TRun r = Run("convert bde/Main.pas bde/Main.dfm out --report out/r.json");
  ASSERT_EQ(0, r.code) << r.err;
  // Without DataMod.dfm no query finds its connection: each database name
  // is dropped, and the report keeps it.
  EXPECT_NE(std::string::npos,
            r.out.find("9 object(s) converted, 10 property(ies) dropped, 2 follow-up(s); report: " +
                       dir_.Utf8("out/r.json")))
      << r.out;
  const std::string report = dir_.Read("out/r.json");
  EXPECT_NE(std::string::npos, report.find(R"("command": "convert")"));
  EXPECT_NE(std::string::npos, report.find(R"("name": "DatabaseName",
              "value": "'OrderDesk'")"));
}

TEST_F(AssessReport, AssessShowsTheInventoryAndChangesNothing) {
  Copy("bde", "bde");
  const auto before = Snapshot(dir_.Utf8("bde"));
  TRun r = Run("assess --project bde/OrderDesk.dpr --json a.json");
  ASSERT_EQ(0, r.code) << r.err;
  EXPECT_EQ(before, Snapshot(dir_.Utf8("bde")));
  EXPECT_TRUE(stdfs::is_empty(dir_.Utf8("tmp")));
  EXPECT_NE(std::string::npos, r.out.find("8 file(s), 7 would change")) << r.out;
  EXPECT_NE(
      std::string::npos,
      r.out.find("Customers.dfm  binary form        2        1           -  TQuery 1, TTable 1"))
      << r.out;
  EXPECT_NE(std::string::npos, dir_.Read("a.json").find(R"("command": "assess")"));

  // A file that cannot be read is named, after what was read before it.
  stdfs::remove(dir_.Utf8("bde/Utils.pas"));
  r = Run("assess --project bde/OrderDesk.dpr");
  EXPECT_EQ(1, r.code);
  EXPECT_NE(std::string::npos, r.err.find(dir_.Utf8("bde/Utils.pas"))) << r.err;
  EXPECT_NE(std::string::npos, r.out.find("Reports.pas")) << r.out;
  EXPECT_EQ(2, Run("assess").code);
  EXPECT_EQ(2, Run("assess --folder nowhere").code);
}

}  // namespace
