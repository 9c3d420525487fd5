// TFolderIndex: the names in folders, each folder listed once and looked up
// without regard to ASCII case. Finding the files of many names in one
// folder (a form for every unit, the units a project names in another case)
// then costs one listing of that folder in all, instead of one per name,
// which made opening a project of many units grow with the square of their
// number.
//
// A listing is kept until Clear or the index's end, so an index serves one
// run or one opening of a project, over which the folders it has seen are
// taken not to change; a caller that must see the disk as it is now looks
// without one. Listings go through the given file system (borrowed; it must
// outlive the index), so a test's faults reach them. A listing that fails is
// not kept: the next look-up in that folder tries again.
#pragma once

#include <unordered_map>

#include "files/FileSystem.h"
#include "rtl/SysUtils.h"

namespace mirel {

class TFolderIndex {
 public:
  explicit TFolderIndex(TFileSystem& fs) : fs_(fs) {}
  TFolderIndex(const TFolderIndex&) = delete;
  TFolderIndex& operator=(const TFolderIndex&) = delete;

  TFileSystem& FileSystem() const { return fs_; }

  /// The name of the entry of folder that equals name without regard to
  /// ASCII case, the first in name order when several do (links, folders and
  /// files alike); empty when none does or folder cannot be listed. folder is
  /// used as given: "a/b" and "a/b/" are listed once each.
  String Find(const String& folder, StringView name);

  /// Forgets every listing.
  void Clear() { folders_.clear(); }

 private:
  // Lower-cased name -> the first such entry name in name order.
  using TNames = std::unordered_map<String, String>;

  TFileSystem& fs_;
  std::unordered_map<String, TNames> folders_;
};

}  // namespace mirel
