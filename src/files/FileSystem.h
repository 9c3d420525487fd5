// The file-system seam: every operation the file helpers, the replace run, the
// backups and the restore perform on the disk goes through a TFileSystem, so
// that tests can make a chosen operation fail (as root, which CI is, the
// permission errors a user meets never happen on their own).
//
// Paths are mirel::String and converted with ToUtf8 only here, at the OS
// boundary. File contents are bytes (std::string); decoding is the caller's.
//
// TFileSystem::Real() is the POSIX implementation, a process-wide object that
// lives for the whole program. The tests' TFaultyFileSystem
// (tests/support/FaultyFileSystem.h) wraps another file system and fails the
// operations a test asks it to fail.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "rtl/SysUtils.h"

namespace mirel {

/// Outcome of one file-system operation: success, or the errno value that
/// says why it failed. Converts to true on success.
class [[nodiscard]] TFsResult {
 public:
  TFsResult() = default;
  static TFsResult Ok() { return TFsResult(); }
  static TFsResult Fail(int error) { return TFsResult(error == 0 ? -1 : error); }

  explicit operator bool() const { return error_ == 0; }
  bool Succeeded() const { return error_ == 0; }
  /// errno of the failure (0 on success; -1 for a failure without errno).
  int Error() const { return error_; }
  /// The creation failed because something of that name is already there.
  bool AlreadyExists() const;
  /// A readable reason ("No such file or directory"), empty on success.
  String Message() const;

 private:
  explicit TFsResult(int error) : error_(error) {}
  int error_ = 0;
};

enum class TFileKind {
  None,     // nothing of that name (or it could not be examined)
  File,     // a regular file
  Folder,   // a directory
  Symlink,  // a symbolic link (only reported by LinkStat and ListFolder)
  Other     // a device, socket or pipe
};

struct TFileStat {
  TFileKind kind = TFileKind::None;
  uint64_t size = 0;
  /// Permission bits (07777 part of st_mode).
  unsigned mode = 0;
  /// The file system that holds it (st_dev): equal for two paths on one.
  uint64_t device = 0;
};

/// One entry of a folder listing. `kind` is that of the entry itself: a link
/// is reported as TFileKind::Symlink whatever it points to.
struct TFolderEntry {
  String name;
  TFileKind kind = TFileKind::None;
};

class TFileSystem {
 public:
  virtual ~TFileSystem() = default;

  /// The POSIX file system. Lives as long as the program.
  static TFileSystem& Real();

  /// Status of path; symbolic links are followed. kind is TFileKind::None when
  /// nothing is there (a dangling link included).
  virtual TFileStat Stat(const String& path) = 0;
  /// Status of path itself; a symbolic link is reported as TFileKind::Symlink.
  virtual TFileStat LinkStat(const String& path) = 0;

  /// The absolute path of what path names with every symbolic link, "." and
  /// ".." resolved (realpath(3)); empty when it cannot be resolved (nothing
  /// there, a dangling link, a folder that cannot be searched).
  virtual String RealPath(const String& path) = 0;

  bool Exists(const String& path) { return Stat(path).kind != TFileKind::None; }
  bool FileExists(const String& path) { return Stat(path).kind == TFileKind::File; }
  bool FolderExists(const String& path) { return Stat(path).kind == TFileKind::Folder; }

  /// Replaces entries by the entries of folder, without "." and "..", in the
  /// order the system lists them. On failure entries is left empty.
  virtual TFsResult ListFolder(const String& folder, std::vector<TFolderEntry>& entries) = 0;

  /// Reads the whole regular file into contents (anything else is refused:
  /// EISDIR for a folder, EINVAL for a pipe or device). On failure contents
  /// is left empty.
  virtual TFsResult ReadFile(const String& path, std::string& contents) = 0;

  /// Writes contents as the whole file, atomically: the data goes into a new
  /// file beside it, reaches the disk, and is then renamed over path, so a
  /// failure at any point leaves the old file as it was. A replaced file keeps
  /// its permission bits (and owner, where allowed); a new one gets 0666 less
  /// the umask. When path is a symbolic link, the file it points to is
  /// replaced and the link stays (a dangling link fails with ENOENT). Hard
  /// links to the old file keep the old contents.
  ///
  /// durable: wait for the data to reach the disk before the rename (what
  /// makes the replacement of an original safe against a crash). Scratch
  /// files that a crash may lose pass false and skip the wait; a new scratch
  /// file is then written in place (a failed write removes it again), as
  /// nothing older of that name can be lost.
  virtual TFsResult WriteFile(const String& path, std::string_view contents,
                              bool durable = true) = 0;

  /// Copies the regular file from to the file to. An existing file to is replaced
  /// only when overwrite is set (else the result is EEXIST); the copy is made
  /// the way WriteFile writes, so a failed copy leaves to as it was. A new
  /// file gets the permission bits of from.
  virtual TFsResult CopyFile(const String& from, const String& to, bool overwrite,
                             bool durable = true) = 0;

  /// Gives the file from the further name to (a hard link; a symbolic link
  /// from is followed, so to names the file itself). Nothing is copied: the
  /// two names share the contents until one of them is replaced, which every
  /// write of this file system does through a new file, so replacing from
  /// afterwards leaves to as it was. Fails with EEXIST when to exists, EXDEV
  /// when the two are on different file systems, EPERM where the file system
  /// has no hard links.
  virtual TFsResult LinkFile(const String& from, const String& to) = 0;

  /// Puts the file from in place of the file to, in one rename: from takes
  /// the permission bits (and owner, where allowed) of the file it replaces,
  /// and from's name is gone afterwards. When to is a symbolic link, the file
  /// it points to is replaced and the link stays. Nothing is copied, so from
  /// must be on the file system of to (EXDEV otherwise; the caller copies).
  /// The data of from reaches the disk no sooner than it would otherwise:
  /// a caller that needs it there first calls Sync.
  virtual TFsResult MoveFile(const String& from, const String& to) = 0;

  /// Gives the regular file to the permission bits (and owner, where
  /// allowed) of the file from (links followed). to itself is never followed:
  /// a symbolic link, a pipe or a device there fails (ELOOP, EINVAL) and is
  /// left as it is.
  virtual TFsResult CopyAttributes(const String& from, const String& to) = 0;

  /// Waits until everything written to the file system that holds path
  /// (files written with durable false included) has reached the disk.
  virtual TFsResult Sync(const String& path) = 0;

  /// Creates one folder with the given permission bits (less the umask).
  /// Fails with EEXIST (AlreadyExists()) when any entry of that name exists.
  virtual TFsResult CreateFolder(const String& path, unsigned mode = 0777) = 0;

  /// Renames from to to, replacing a file to (rename(2)).
  virtual TFsResult Rename(const String& from, const String& to) = 0;

  /// Deletes a file or a symbolic link; a link is removed, never what it
  /// points to. Folders are refused.
  virtual TFsResult DeleteFile(const String& path) = 0;

  /// Removes an empty folder; a folder with entries is refused (ENOTEMPTY),
  /// and so is a symbolic link (ENOTDIR).
  virtual TFsResult RemoveFolder(const String& path) = 0;

  /// The user's folder for temporary files: $TMPDIR when it is set to an
  /// absolute path, else "/tmp". Always absolute.
  virtual String TempFolder() = 0;
};

}  // namespace mirel
