#include "support/HostTestFiles.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace mirel::testing {

namespace fs = std::filesystem;

TempProjectDir::TempProjectDir() {
  std::string templ = (fs::temp_directory_path() / "mirel-host-XXXXXX").string();
  if (mkdtemp(templ.data()) == nullptr) throw Exception(u"cannot create a temporary folder");
  path_ = FromUtf8(templ);
}

TempProjectDir::~TempProjectDir() {
  std::error_code ec;
  fs::remove_all(ToUtf8(path_), ec);
}

String TempProjectDir::operator/(std::string_view rel) const {
  return path_ + u"/" + FromUtf8(rel);
}

String TempProjectDir::Write(std::string_view rel, std::string_view bytes) const {
  const String full = *this / rel;
  const fs::path p(ToUtf8(full));
  fs::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw Exception(u"cannot write " + full);
  return full;
}

void TempProjectDir::Remove(std::string_view rel) const {
  fs::remove(ToUtf8(*this / rel));
}

String TempProjectDir::CopyExample(std::string_view example, std::string_view rel) const {
  const String target = *this / rel;
  fs::create_directories(ToUtf8(target));
  fs::copy(fs::path(MIREL_SOURCE_DIR) / "examples" / example, ToUtf8(target),
           fs::copy_options::recursive);
  return target;
}

}  // namespace mirel::testing
