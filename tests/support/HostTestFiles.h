// Temporary project folders for the host and IDE tests.
#pragma once

#include <string_view>

#include "rtl/SysUtils.h"

namespace mirel::testing {

/// A fresh folder under the system's temporary directory, removed with
/// everything in it when the object goes.
class TempProjectDir {
 public:
  TempProjectDir();
  ~TempProjectDir();
  TempProjectDir(const TempProjectDir&) = delete;
  TempProjectDir& operator=(const TempProjectDir&) = delete;

  /// Absolute path, without a trailing '/'.
  const String& Path() const { return path_; }
  /// Path() joined with rel ('/' separated).
  String operator/(std::string_view rel) const;
  /// Writes bytes to rel (parent folders created); returns the full path.
  String Write(std::string_view rel, std::string_view bytes) const;
  void Remove(std::string_view rel) const;
  /// Copies every file of examples/<example> into rel (created); returns
  /// the folder's full path.
  String CopyExample(std::string_view example, std::string_view rel) const;

 private:
  String path_;
};

}  // namespace mirel::testing
