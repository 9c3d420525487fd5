// mirel-bench-gen: writes a synthetic Delphi project for the benchmarks.
//
//   mirel-bench-gen [--shape generated|real] [--seed N] [--units N] [--forms N] OUTDIR
//       units Name0000.pas .. and the forms of the first --forms of them
//       (every tenth binary), plus BenchProject.dpr; with --shape real, a
//       project shaped like public applications (see TShape::Real; --forms
//       is ignored, each unit draws whether it has a form);
//   mirel-bench-gen --binary-set [--seed N] [--forms N] OUTDIR
//       the same forms, all of them binary (resource header), for timing the
//       binary form converters on more data than the project's tenth.
//
// OUTDIR is created when missing. The same seed and sizes give the same
// bytes. Exit status: 0 done, 1 a file could not be written, 2 bad usage.
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>

#include "gen/ProjectGenerator.h"
#include "rtl/Encoding.h"
#include "rtl/FormConvert.h"

namespace {

int Usage() {
  std::cerr << "usage: mirel-bench-gen [--binary-set] [--shape generated|real] [--seed N] "
               "[--units N] [--forms N] OUTDIR\n";
  return 2;
}

bool ParseNumber(const char* text, long long max, long long& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtoll(text, &end, 10);
  return errno == 0 && end != text && *end == '\0' && value >= 0 && value <= max;
}

}  // namespace

int main(int argc, char** argv) {
  long long seed = 20240601, units = 1000, forms = -1;
  bool binarySet = false;
  auto shape = mirel::bench::TShape::Generated;
  std::string outDir;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    long long* target = arg == "--seed"    ? &seed
                        : arg == "--units" ? &units
                        : arg == "--forms" ? &forms
                                           : nullptr;
    if (target) {
      const long long max = target == &seed ? LLONG_MAX : 1000000;
      if (i + 1 >= argc || !ParseNumber(argv[++i], max, *target)) return Usage();
    } else if (arg == "--shape" && i + 1 < argc) {
      const std::string name = argv[++i];
      if (name == "real")
        shape = mirel::bench::TShape::Real;
      else if (name != "generated")
        return Usage();
    } else if (arg == "--binary-set") {
      binarySet = true;
    } else if (!arg.empty() && arg[0] != '-' && outDir.empty()) {
      outDir = arg;
    } else {
      return Usage();
    }
  }
  if (outDir.empty()) return Usage();
  if (forms < 0) forms = units;
  if (forms > units) forms = units;

  std::error_code ec;
  std::filesystem::create_directories(outDir, ec);
  if (ec) {
    std::cerr << "mirel-bench-gen: cannot create " << outDir << ": " << ec.message() << '\n';
    return 1;
  }
  try {
    const mirel::bench::TProjectGenerator gen(static_cast<uint64_t>(seed), shape);
    if (binarySet) {
      const mirel::TEncoding& cp = mirel::TEncoding::CodePage(1252);
      mirel::bench::TGenSummary summary;
      for (int i = 0; i < forms; ++i) {
        mirel::TBinaryFormKind kind;
        kind.HasHeader = true;
        // Named as the IDE names it: the root class in upper case.
        std::string name = "TFRM" + mirel::bench::TProjectGenerator::UnitName(i);
        for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        kind.Header.Name = name;
        const std::string bytes = mirel::TextToBinaryForm(cp.GetString(gen.FormText(i)), kind, cp);
        const std::string path =
            outDir + "/" + mirel::bench::TProjectGenerator::UnitName(i) + ".dfm";
        if (!mirel::bench::SaveFile(path, bytes)) throw std::runtime_error("cannot write " + path);
        summary.Bytes += bytes.size();
        ++summary.BinaryForms;
      }
      std::cout << summary.BinaryForms << " binary forms, " << summary.Bytes << " bytes\n";
    } else {
      const auto summary =
          mirel::bench::WriteProject(gen, outDir, static_cast<int>(units), static_cast<int>(forms));
      std::cout << summary.Units << " units";
      if (summary.TypeLibraries > 0)
        std::cout << " (" << summary.TypeLibraries << " type-library imports)";
      std::cout << ", " << summary.TextForms << " text forms, " << summary.BinaryForms
                << " binary forms, " << summary.Bytes << " bytes\n";
    }
  } catch (const std::exception& e) {
    std::cerr << "mirel-bench-gen: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
