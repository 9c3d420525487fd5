// TFolderLock: one run at a time over a folder. A replace run holds the lock
// of its project's or target folder, and of its backup folder, for its whole
// length; a restore can take the same locks, so that neither starts while
// the other is changing the same files.
//
// The lock is flock(2) on the file ".mirel.lock" inside the folder (created
// when missing, never written, left in place afterwards: removing it would
// let a waiting process lock a file nobody else sees). The kernel drops the
// lock when the process ends, however it ends, so a killed run leaves no
// stale lock behind.
#pragma once

#include "rtl/SysUtils.h"

namespace mirel {

/// Another process (or another TFolderLock of this one) holds the lock. The
/// message names the folder.
class EFolderLocked : public Exception {
 public:
  using Exception::Exception;
};

class TFolderLock {
 public:
  /// The name of the lock file inside a locked folder.
  static constexpr char16_t kFileName[] = u".mirel.lock";

  /// Takes the lock of folder (an existing folder) at once, without waiting.
  /// Throws EFolderLocked when it is held elsewhere, and EFCreateError (naming
  /// the lock file and the reason) when the lock file cannot be opened: it
  /// is opened without following a link and refused unless it is a regular
  /// file, so a link or a pipe of that name neither leads the lock elsewhere
  /// nor hangs the caller.
  explicit TFolderLock(StringView folder);
  /// Releases the lock.
  ~TFolderLock();
  TFolderLock(const TFolderLock&) = delete;
  TFolderLock& operator=(const TFolderLock&) = delete;

  /// The folder as given.
  const String& Folder() const { return folder_; }

 private:
  String folder_;
  int fd_ = -1;
};

}  // namespace mirel
