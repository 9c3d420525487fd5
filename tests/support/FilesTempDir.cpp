#include "FilesTempDir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace mirel::testing {

TTempDir::TTempDir() {
  const char* env = std::getenv("TMPDIR");
  std::string base = (env && env[0] == '/') ? env : "/tmp";
  std::string templ = base + "/mirel-files-test-XXXXXX";
  if (!::mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed in " + base);
  // Canonical, so paths compare equal to what the code under test builds.
  utf8_ = fs::canonical(templ).string();
  path_ = FromUtf8(utf8_);
}

TTempDir::~TTempDir() {
  std::error_code ec;
  fs::remove_all(utf8_, ec);
}

String TTempDir::operator/(std::string_view rel) const {
  return FromUtf8(Utf8(rel));
}

std::string TTempDir::Utf8(std::string_view rel) const {
  return rel.empty() ? utf8_ : utf8_ + "/" + std::string(rel);
}

void TTempDir::Write(std::string_view rel, std::string_view contents) const {
  const fs::path p(Utf8(rel));
  fs::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
  if (!out) throw std::runtime_error("cannot write " + p.string());
}

std::string TTempDir::Read(std::string_view rel) const {
  std::ifstream in(Utf8(rel), std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void TTempDir::MakeFolder(std::string_view rel) const {
  fs::create_directories(Utf8(rel));
}

void TTempDir::MakeLink(std::string_view rel, const std::string& target) const {
  fs::create_symlink(target, Utf8(rel));
}

bool TTempDir::Exists(std::string_view rel) const {
  std::error_code ec;
  return fs::exists(fs::symlink_status(Utf8(rel), ec));
}

unsigned TTempDir::Mode(std::string_view rel) const {
  struct stat st;
  if (::stat(Utf8(rel).c_str(), &st) != 0) return 0;
  return st.st_mode & 07777;
}

std::string TTempDir::Tree(std::string_view rel) const {
  const fs::path root(Utf8(rel));
  std::set<std::string> entries;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
       ++it) {
    std::string name = it->path().lexically_relative(root).string();
    if (it->is_symlink())
      name += "->" + fs::read_symlink(it->path()).string();
    else if (it->is_directory())
      name += "/";
    entries.insert(name);
  }
  std::string out;
  for (const auto& e : entries) out += (out.empty() ? "" : " ") + e;
  return out;
}

}  // namespace mirel::testing
