// mirel-bench-open: how the time to open a project or folder and list its
// files grows with the number of units, before anything is converted.
//
// For each size N it writes, into a folder of its own below WORKDIR, N units
// in one folder, each with "{$R *.dfm}", and a project file naming them all;
// in the "with forms" shape every unit also has its form, a data module with
// a TDatabase of its own name. It then times, in one process:
//  - project mode: opening the project in the disk host, the unit list of a
//    run (InitUnitList), every unit's form looked for as its resource
//    directive does, and the database names of every form found collected;
//  - folder mode: the same over the folder instead of the project.
// That is everything a run does before its first file is converted; the
// conversion itself is timed by bench/run.sh's whole runs.
//
//   mirel-bench-open WORKDIR [N...]        (default N: 1000 4000 16000)
//
// Prints one line per shape and size: "forms=no units=N project_s=T folder_s=T";
// a size is skipped ("skipped") once a smaller one took longer than
// MIREL_BENCH_OPEN_CUTOFF seconds (60). Exit status 1 when a step failed or
// found other files than it should.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/DiskProjectHost.h"
#include "ide/IDEUtils.h"
#include "replace/KyReplacer.h"

namespace {

namespace fs = std::filesystem;
using mirel::String;

std::string UnitName(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "Unit%05d", i);
  return name;
}

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

// The project of n units (and their forms) in folder; its project file.
fs::path WriteProject(const fs::path& folder, int n, bool forms) {
  fs::remove_all(folder);
  fs::create_directories(folder);
  std::string dpr = "program Scale;\r\n\r\nuses\r\n  Forms";
  for (int i = 0; i < n; ++i) {
    const std::string name = UnitName(i);
    dpr += ",\r\n  " + name + " in '" + name + ".pas' {Data" + std::to_string(i) + ": TDataModule}";
    WriteText(folder / (name + ".pas"),
              "unit " + name +
                  ";\r\n\r\ninterface\r\n\r\nuses\r\n  SysUtils, Classes, DB, "
                  "DBTables;\r\n\r\nimplementation\r\n\r\n{$R *.dfm}\r\n\r\nend.\r\n");
    if (forms)
      WriteText(folder / (name + ".dfm"),
                "object Data" + std::to_string(i) +
                    ": TData\r\n  object dbMain: TDatabase\r\n    DatabaseName = 'DB" +
                    std::to_string(i) +
                    "'\r\n    AliasName = 'Orders'\r\n  end\r\n  object qryOrders: TQuery\r\n"
                    "    DatabaseName = 'DB" +
                    std::to_string(i) + "'\r\n  end\r\nend\r\n");
  }
  dpr += ";\r\n\r\nbegin\r\n  Application.Initialize;\r\n  Application.Run;\r\nend.\r\n";
  const fs::path project = folder / "Scale.dpr";
  WriteText(project, dpr);
  return project;
}

// The unit list of a run, every unit's form looked for and the database
// names of the forms collected; the number of files listed.
int ListFiles(mirel::TComponentReplacer& replacer) {
  replacer.InitUnitList();
  // A copy: asking for Units() makes the replacer check the whole list
  // again before it adds a form, as the caller may have changed it.
  const std::vector<mirel::TStringList::Item> units = replacer.Units().Items();
  int count = 0;
  for (const auto& unit : units) (void)replacer.ProcessComment(u"{$R *.dfm}", unit.text, count);
  const mirel::TStringList& listed = replacer.Units();
  for (int i = static_cast<int>(units.size()); i < listed.Count(); ++i)
    replacer.CollectDatabaseNames(listed[i]);
  return listed.Count();
}

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: mirel-bench-open WORKDIR [N...]\n");
    return 2;
  }
  const fs::path work = argv[1];
  std::vector<int> sizes;
  for (int a = 2; a < argc; ++a) sizes.push_back(std::atoi(argv[a]));
  if (sizes.empty()) sizes = {1000, 4000, 16000};
  const char* cutoffText = std::getenv("MIREL_BENCH_OPEN_CUTOFF");
  const double cutoff = cutoffText ? std::atof(cutoffText) : 60.0;

  mirel::TProfilesScope profiles;
  mirel::TComponentReplacer& replacer = mirel::BdeReplacer();
  mirel::TReplaceOptions& options = replacer.Options();
  options.WriteLog = false;
  int status = 0;
  for (const bool forms : {false, true}) {
    bool skip = false;
    for (const int n : sizes) {
      if (skip) {
        std::printf("forms=%s units=%d skipped\n", forms ? "yes" : "no", n);
        continue;
      }
      const fs::path folder = work / ("open-" + std::to_string(n) + (forms ? "-forms" : ""));
      const fs::path project = WriteProject(folder, n, forms);
      const int expected = forms ? 2 * n : n;

      auto start = std::chrono::steady_clock::now();
      int listed = 0;
      {
        mirel::TDiskProjectHost host;
        host.Open(mirel::FromUtf8(project.string()));
        host.Install();
        options.Dest = 0;
        String lines;
        for (int m = 0; m < mirel::TIDEUtils::GetProjectModuleCount(); ++m) {
          const String module = mirel::TIDEUtils::GetProjectModuleFileName(m);
          if (mirel::EndsText(u".pas", module)) lines += module + u"\r\n";
        }
        options.UnitNames = lines;
        replacer.DatabaseMap().Clear();
        listed = ListFiles(replacer);
      }
      const double projectSeconds = Seconds(start);
      const int projectDatabases = replacer.DatabaseMap().Count();
      if (listed != expected || projectDatabases != (forms ? n : 0)) status = 1;

      start = std::chrono::steady_clock::now();
      options.Dest = 1;
      options.Directory = mirel::FromUtf8(folder.string());
      options.IncludeSubDirs = false;
      replacer.DatabaseMap().Clear();
      // The project file is a unit of the folder too.
      listed = ListFiles(replacer) - 1;
      const double folderSeconds = Seconds(start);
      if (listed != expected || replacer.DatabaseMap().Count() != (forms ? n : 0)) status = 1;
      replacer.Units().Clear();

      std::printf("forms=%s units=%d project_s=%.3f folder_s=%.3f\n", forms ? "yes" : "no", n,
                  projectSeconds, folderSeconds);
      std::fflush(stdout);
      fs::remove_all(folder);
      skip = projectSeconds > cutoff || folderSeconds > cutoff;
    }
  }
  if (status != 0) std::fprintf(stderr, "mirel-bench-open: a listing found other files\n");
  return status;
}
