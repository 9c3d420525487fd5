// Finding the file a name means on a case-sensitive file system, whatever
// the case in which a project, an undo file or a {$R} directive spells it.
// Every such look-up matches names through TFolderIndex::Find, the one rule
// for "the same name without regard to ASCII case": the first entry in name
// order among those that match.
//
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

/// The file a name given by a project or an undo file means on this
/// case-sensitive file system: `path` itself when it exists; otherwise the
/// name with its extension in lower or upper case, or all of it in lower or
/// upper case, when such a file exists; otherwise the entry of its folder
/// whose name equals its last element without regard to ASCII case (the
/// first in name order, when several do); otherwise `path`.
/// kind, when given, receives the kind of what the returned path names
/// (links followed; TFileKind::None when nothing is there).
String FindFileIgnoringCase(StringView path, TFileSystem& fs = TFileSystem::Real(),
                            TFileKind* kind = nullptr);
/// The same, with the folder's entries taken from index (its file system is
/// the one looked through): for many names in few folders, where listing a
/// folder for each name would make the whole grow with the square of their
/// number. The result is the one without an index as long as the folders
/// have not changed since index listed them.
String FindFileIgnoringCase(StringView path, TFolderIndex& index, TFileKind* kind = nullptr);

/// The absolute, normalised (LexicallyNormal) path with every part that is
/// missing on disk replaced by the entry of its folder that matches it
/// without regard to ASCII case. An exact match always wins (anything of
/// that name, a dangling link included); a part no entry matches is kept as
/// given, with the rest. A relative path comes back normalised only. With
/// index (over fs), folders are listed through it: once each for many paths.
String ResolveCase(StringView absolutePath, TFileSystem& fs = TFileSystem::Real(),
                   TFolderIndex* index = nullptr);

/// The form file beside a unit: its base name with ".dfm" in any case, a
/// regular file (links followed); base name + ".dfm" as written wins.
/// Empty when there is none. index as for ResolveCase.
String FindFormFile(const String& unitPath, TFileSystem& fs = TFileSystem::Real(),
                    TFolderIndex* index = nullptr);

}  // namespace mirel
