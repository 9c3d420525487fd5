#include "files/FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "files/Paths.h"

namespace mirel {

namespace {

String Reason(int error) {
  return FromUtf8(std::error_code(error, std::generic_category()).message());
}

}  // namespace

TFolderLock::TFolderLock(StringView folder) : folder_(folder) {
  const String path = CombinePath(folder, kFileName);
  // Non-blocking, so that a pipe of that name cannot hang the open.
  const int fd =
      ::open(ToUtf8(path).c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) {
    const int err = errno;
    throw EFCreateError(u"Cannot create file \"" + path + u"\". " + Reason(err));
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw EFCreateError(u"Cannot create file \"" + path + u"\". It is not a regular file.");
  }
  int locked;
  while ((locked = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
  }
  if (locked != 0) {
    const int err = errno;
    ::close(fd);
    if (err == EWOULDBLOCK)
      throw EFolderLocked(u"Another run is using the folder \"" + folder_ +
                          u"\"; wait until it has ended.");
    throw EFCreateError(u"Cannot lock file \"" + path + u"\". " + Reason(err));
  }
  fd_ = fd;
}

TFolderLock::~TFolderLock() {
  if (fd_ >= 0) ::close(fd_);  // closing the only descriptor releases the lock
}

}  // namespace mirel
