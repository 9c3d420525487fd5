// mirel-bench-formconv: our side of the binary form comparison. Converts many
// binary form files to text, or form texts to binary form files, in one
// process, exactly like bench/fpc/formconv.pas does with Free Pascal.
//
//   mirel-bench-formconv b2t|t2b LISTFILE OUTDIR [REPEAT]
//
// b2t: BinaryFormToText, then the text encoded in the default code page, to
// OUTDIR/<name>.txt. t2b: the text decoded with the default code page, then
// TextToBinaryForm with a resource header named after the root class in upper
// case (as the IDE names it), to OUTDIR/<name>.dfm. Files are read into memory
// and written from memory with plain stdio, as the Pascal driver does (no
// atomic replacement, no fsync: the comparison is about the converters).
// Prints the counts; exit status 1 when a file failed, 2 for bad usage.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "rtl/Encoding.h"
#include "rtl/FormConvert.h"

namespace {

bool ReadWhole(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  bytes = std::move(s).str();
  return static_cast<bool>(in) || in.eof();
}

bool WriteWhole(const std::string& path, std::string_view bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

// The root class of form text ("object Form1: TForm1" -> "TFORM1"); "" when
// the first line has no class.
std::string RootClassUpper(mirel::StringView text) {
  const size_t eol = text.find_first_of(u"\r\n");
  const mirel::StringView line = text.substr(0, eol);
  size_t start = line.rfind(u':');
  start = start == mirel::StringView::npos ? line.rfind(u' ') : start;
  if (start == mirel::StringView::npos) return std::string();
  std::string name;
  for (const char16_t c : line.substr(start + 1))
    if (c != u' ') name += static_cast<char>(c < 0x80 ? mirel::AsciiUpper(c) : u'?');
  return name;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || argc > 5) {
    std::cerr << "usage: mirel-bench-formconv b2t|t2b LISTFILE OUTDIR [REPEAT]\n";
    return 2;
  }
  const std::string mode = argv[1];
  if (mode != "b2t" && mode != "t2b") {
    std::cerr << "mirel-bench-formconv: mode must be b2t or t2b\n";
    return 2;
  }
  const std::string outDir = argv[3];
  const int repeats = argc == 5 ? std::atoi(argv[4]) : 1;
  std::vector<std::string> names;
  {
    std::ifstream list(argv[2]);
    for (std::string line; std::getline(list, line);)
      if (!line.empty()) names.push_back(line);
  }

  const mirel::TEncoding& cp = mirel::TEncoding::Default();
  int done = 0, failed = 0;
  std::string input;
  for (int r = 0; r < repeats; ++r) {
    for (const std::string& name : names) {
      try {
        if (!ReadWhole(name, input)) throw std::runtime_error("cannot read the file");
        std::string output;
        if (mode == "b2t") {
          mirel::TBinaryFormKind kind;
          output = cp.GetBytes(mirel::BinaryFormToText(input, kind, cp));
        } else {
          const mirel::String text = cp.GetString(input);
          mirel::TBinaryFormKind kind;
          kind.HasHeader = true;
          kind.Header.Name = RootClassUpper(text);
          output = mirel::TextToBinaryForm(text, kind, cp);
        }
        const std::string out = outDir + "/" + BaseName(name) + (mode == "b2t" ? ".txt" : ".dfm");
        if (!WriteWhole(out, output)) throw std::runtime_error("cannot write " + out);
        ++done;
      } catch (const std::exception& e) {
        if (++failed <= 5) std::cerr << name << ": " << e.what() << '\n';
      }
    }
  }
  std::cout << done << " converted, " << failed << " failed\n";
  return failed > 0 ? 1 : 0;
}
