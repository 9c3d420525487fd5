// A real folder for one test under $TMPDIR (else /tmp), removed with all its
// contents when the object goes. Its helpers use the C++ library directly, not
// the file-system seam, so they stay independent of the code under test.
#pragma once

#include <string>

#include "rtl/SysUtils.h"

namespace mirel::testing {

class TTempDir {
 public:
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  /// Absolute path of the folder, without a trailing '/'.
  const String& Path() const { return path_; }
  /// Absolute path of rel (a path relative to the folder).
  String operator/(std::string_view rel) const;
  std::string Utf8(std::string_view rel) const;

  /// Writes a file (creating its parent folders).
  void Write(std::string_view rel, std::string_view contents) const;
  /// Contents of a file; "<missing>" when there is no such file.
  std::string Read(std::string_view rel) const;
  void MakeFolder(std::string_view rel) const;
  void MakeLink(std::string_view rel, const std::string& target) const;
  bool Exists(std::string_view rel) const;
  /// Permission bits of rel.
  unsigned Mode(std::string_view rel) const;
  /// Every entry under the folder as sorted relative paths, folders with a
  /// trailing '/', links as "name->target": a picture of the whole tree.
  std::string Tree(std::string_view rel = "") const;

 private:
  String path_;
  std::string utf8_;
};

}  // namespace mirel::testing
