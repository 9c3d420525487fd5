#include "support/BinFormTestUtil.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace mirel {

void PrintTo(const TFormObjectNode& node, std::ostream* os) {
  try {
    *os << testing::ToHex(WriteObjectStream(node));
  } catch (const std::exception& e) {
    *os << "(no stream: " << e.what() << ")";
  }
}

}  // namespace mirel

namespace mirel::testing {

std::string HexBytes(std::string_view hex) {
  std::string out;
  int high = -1;
  for (const char c : hex) {
    if (c == ' ' || c == '\n') continue;
    int v;
    if (c >= '0' && c <= '9')
      v = c - '0';
    else if (c >= 'A' && c <= 'F')
      v = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f')
      v = c - 'a' + 10;
    else
      throw std::invalid_argument("HexBytes: not a hex digit");
    if (high < 0) {
      high = v;
    } else {
      out += static_cast<char>(high * 16 + v);
      high = -1;
    }
  }
  if (high >= 0) throw std::invalid_argument("HexBytes: odd number of digits");
  return out;
}

std::string ToHex(std::string_view bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string s;
  for (const char c : bytes) {
    if (!s.empty()) s += ' ';
    s += kDigits[static_cast<unsigned char>(c) >> 4];
    s += kDigits[static_cast<unsigned char>(c) & 15];
  }
  return s;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteWholeFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

TBinFormTempDir::TBinFormTempDir() {
  std::string templ = (std::filesystem::temp_directory_path() / "mirel-binform-XXXXXX").string();
  if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
  path_ = templ;
}

TBinFormTempDir::~TBinFormTempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

}  // namespace mirel::testing
