#include "files/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <functional>
#include <memory>
#include <system_error>

namespace mirel {

bool TFsResult::AlreadyExists() const {
  return error_ == EEXIST;
}

String TFsResult::Message() const {
  if (error_ == 0) return String();
  if (error_ < 0) return U("Operation failed");
  return FromUtf8(std::error_code(error_, std::generic_category()).message());
}

namespace {

TFsResult Outcome(int error) {
  return error == 0 ? TFsResult::Ok() : TFsResult::Fail(error);
}

TFileKind KindOf(mode_t mode) {
  if (S_ISREG(mode)) return TFileKind::File;
  if (S_ISDIR(mode)) return TFileKind::Folder;
  if (S_ISLNK(mode)) return TFileKind::Symlink;
  return TFileKind::Other;
}

TFileStat FromStat(const struct stat& st) {
  TFileStat r;
  r.kind = KindOf(st.st_mode);
  r.size = static_cast<uint64_t>(st.st_size);
  r.mode = static_cast<unsigned>(st.st_mode & 07777);
  r.device = static_cast<uint64_t>(st.st_dev);
  return r;
}

// Closes a descriptor when it goes out of scope, unless released.
class FdGuard {
 public:
  explicit FdGuard(int fd) : fd_(fd) {}
  ~FdGuard() {
    if (fd_ >= 0) ::close(fd_);
  }
  FdGuard(const FdGuard&) = delete;
  FdGuard& operator=(const FdGuard&) = delete;
  int get() const { return fd_; }
  // Closes now and reports the error close(2) gave (data not written back).
  int CloseChecked() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

int WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return 0;
}

std::string DirName(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a write to path really replaces: the target of a symbolic link,
// so that replacing a linked file keeps the link.
int ResolveTarget(const std::string& path, std::string& target) {
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    if (!real) return errno;
    target = real.get();
    return 0;
  }
  target = path;
  return 0;
}

// Moves from to to unless something named to appeared meanwhile (EEXIST).
int RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // The file system cannot rename without replacing; a hard link can.
  if (::link(from.c_str(), to.c_str()) != 0) return errno;
  ::unlink(from.c_str());
  return 0;
}

// Writes a new version of target through fill (which gets the descriptor of a
// fresh file beside it and returns 0 or an errno), then renames it over
// target. newMode is used when target does not exist yet.
int AtomicReplace(const std::string& target, unsigned newMode, bool overwrite, bool durable,
                  const std::function<int(int)>& fill) {
  struct stat old;
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists) {
    if (!overwrite) return EEXIST;
    if (S_ISDIR(old.st_mode)) return EISDIR;
    if (!S_ISREG(old.st_mode)) return EINVAL;
  }

  static std::atomic<unsigned> serial{0};
  const std::string dir = DirName(target);
  // Keep the temporary name within NAME_MAX whatever the length of the base.
  const std::string base = BaseName(target).substr(0, 200);
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = (dir == "/" ? std::string() : dir) + "/.~" + base + "." + std::to_string(::getpid()) +
           "-" + std::to_string(serial++) + ".tmp";
    // A new file takes newMode less the umask, as open(2) applies it; a
    // replacement starts private and gets the old bits below.
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                exists ? 0600 : static_cast<mode_t>(newMode & 07777));
    if (fd < 0 && errno != EEXIST) return errno;
  }
  if (fd < 0) return EEXIST;
  FdGuard guard(fd);

  int err = 0;
  if (exists) {
    // Owner first: changing it may clear set-id bits that the mode restores.
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
      // Only the superuser may give a file away; the bits still carry over.
    }
    if (::fchmod(fd, old.st_mode & 07777) != 0) err = errno;
  }
  if (err == 0) err = fill(fd);
  if (err == 0 && durable && ::fsync(fd) != 0) err = errno;
  if (err == 0) err = guard.CloseChecked();
  if (err == 0)
    err = overwrite ? (::rename(temp.c_str(), target.c_str()) == 0 ? 0 : errno)
                    : RenameNoReplace(temp, target);
  if (err != 0) ::unlink(temp.c_str());
  return err;
}

class PosixFileSystem final : public TFileSystem {
 public:
  TFileStat Stat(const String& path) override {
    struct stat st;
    if (::stat(ToUtf8(path).c_str(), &st) != 0) return TFileStat();
    return FromStat(st);
  }

  TFileStat LinkStat(const String& path) override {
    struct stat st;
    if (::lstat(ToUtf8(path).c_str(), &st) != 0) return TFileStat();
    return FromStat(st);
  }

  String RealPath(const String& path) override {
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(ToUtf8(path).c_str(), nullptr),
                                                     &std::free);
    return real ? FromUtf8(real.get()) : String();
  }

  TFsResult ListFolder(const String& folder, std::vector<TFolderEntry>& entries) override {
    entries.clear();
    DIR* dir = ::opendir(ToUtf8(folder).c_str());
    if (!dir) return TFsResult::Fail(errno);
    struct DirCloser {
      void operator()(DIR* d) const { ::closedir(d); }
    };
    std::unique_ptr<DIR, DirCloser> guard(dir);
    for (;;) {
      errno = 0;
      const dirent* e = ::readdir(dir);
      if (!e) {
        if (errno != 0) {
          const int err = errno;
          entries.clear();
          return TFsResult::Fail(err);
        }
        break;
      }
      const std::string_view name(e->d_name);
      if (name == "." || name == "..") continue;
      TFolderEntry entry;
      entry.name = FromUtf8(name);
      switch (e->d_type) {
        case DT_REG:
          entry.kind = TFileKind::File;
          break;
        case DT_DIR:
          entry.kind = TFileKind::Folder;
          break;
        case DT_LNK:
          entry.kind = TFileKind::Symlink;
          break;
        default: {
          // Some file systems do not fill d_type; ask for the entry itself.
          struct stat st;
          if (::fstatat(::dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
            entry.kind = KindOf(st.st_mode);
          else
            entry.kind = e->d_type == DT_UNKNOWN ? TFileKind::None : TFileKind::Other;
        }
      }
      entries.push_back(std::move(entry));
    }
    return TFsResult::Ok();
  }

  TFsResult ReadFile(const String& path, std::string& contents) override {
    contents.clear();
    // Non-blocking, so that a pipe under a source's name cannot hang a run.
    const int fd = ::open(ToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return TFsResult::Fail(errno);
    FdGuard guard(fd);
    struct stat st;
    if (::fstat(fd, &st) != 0) return TFsResult::Fail(errno);
    if (S_ISDIR(st.st_mode)) return TFsResult::Fail(EISDIR);
    if (!S_ISREG(st.st_mode)) return TFsResult::Fail(EINVAL);
    // Read straight into the result, one byte more than the size asks for:
    // a short read of a regular file is its end, so the usual file takes a
    // single read, and one that grew meanwhile is still read whole.
    std::string data;
    size_t used = 0;
    size_t want = st.st_size > 0 ? static_cast<size_t>(st.st_size) + 1 : 4096;
    for (;;) {
      if (data.size() < used + want) data.resize(used + want);
      const ssize_t n = ::read(fd, data.data() + used, want);
      if (n < 0) {
        if (errno == EINTR) continue;
        return TFsResult::Fail(errno);
      }
      used += static_cast<size_t>(n);
      if (static_cast<size_t>(n) < want) {
        if (n == 0 || st.st_size > 0) break;
        continue;  // no size given (a file in /proc, say): read to the end
      }
      want = std::max<size_t>(want, 65536);
    }
    data.resize(used);
    contents = std::move(data);
    return TFsResult::Ok();
  }

  TFsResult WriteFile(const String& path, std::string_view contents, bool durable) override {
    if (!durable) {
      // A scratch file nobody had before: written where it goes, without the
      // detour through a second name. Anything of that name already there
      // (a link included) takes the safe way below.
      const std::string p = ToUtf8(path);
      const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
      if (fd >= 0) {
        FdGuard guard(fd);
        int err = WriteAll(fd, contents.data(), contents.size());
        if (err == 0) err = guard.CloseChecked();
        if (err != 0) ::unlink(p.c_str());
        return Outcome(err);
      }
      if (errno != EEXIST) return TFsResult::Fail(errno);
    }
    std::string target;
    if (const int err = ResolveTarget(ToUtf8(path), target)) return TFsResult::Fail(err);
    return Outcome(AtomicReplace(target, 0666, true, durable, [&](int fd) {
      return WriteAll(fd, contents.data(), contents.size());
    }));
  }

  TFsResult CopyFile(const String& from, const String& to, bool overwrite, bool durable) override {
    const int in = ::open(ToUtf8(from).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in < 0) return TFsResult::Fail(errno);
    FdGuard guard(in);
    struct stat st;
    if (::fstat(in, &st) != 0) return TFsResult::Fail(errno);
    if (S_ISDIR(st.st_mode)) return TFsResult::Fail(EISDIR);
    if (!S_ISREG(st.st_mode)) return TFsResult::Fail(EINVAL);
    std::string target;
    if (const int err = ResolveTarget(ToUtf8(to), target)) return TFsResult::Fail(err);
    return Outcome(AtomicReplace(
        target, static_cast<unsigned>(st.st_mode & 07777), overwrite, durable, [&](int out) {
          char buffer[65536];
          for (;;) {
            const ssize_t n = ::read(in, buffer, sizeof buffer);
            if (n < 0) {
              if (errno == EINTR) continue;
              return errno;
            }
            if (n == 0) return 0;
            if (const int err = WriteAll(out, buffer, static_cast<size_t>(n))) return err;
          }
        }));
  }

  TFsResult LinkFile(const String& from, const String& to) override {
    if (::linkat(AT_FDCWD, ToUtf8(from).c_str(), AT_FDCWD, ToUtf8(to).c_str(), AT_SYMLINK_FOLLOW) !=
        0)
      return TFsResult::Fail(errno);
    return TFsResult::Ok();
  }

  TFsResult MoveFile(const String& from, const String& to) override {
    const std::string source = ToUtf8(from);
    std::string target = ToUtf8(to);
    struct stat st;
    if (::lstat(source.c_str(), &st) != 0) return TFsResult::Fail(errno);
    if (!S_ISREG(st.st_mode)) return TFsResult::Fail(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    struct stat old;
    int found = ::lstat(target.c_str(), &old);
    if (found == 0 && S_ISLNK(old.st_mode)) {
      if (const int err = ResolveTarget(ToUtf8(to), target)) return TFsResult::Fail(err);
      found = ::stat(target.c_str(), &old);
    }
    if (found == 0) {
      if (S_ISDIR(old.st_mode)) return TFsResult::Fail(EISDIR);
      if (!S_ISREG(old.st_mode)) return TFsResult::Fail(EINVAL);
      // A move to another file system would fail only at the rename, after
      // the source had been given the target's owner and bits.
      if (old.st_dev != st.st_dev) return TFsResult::Fail(EXDEV);
      // Owner first: changing it may clear set-id bits that the mode restores.
      if ((old.st_uid != st.st_uid || old.st_gid != st.st_gid) &&
          ::chown(source.c_str(), old.st_uid, old.st_gid) == 0)
        st.st_mode &= ~static_cast<mode_t>(06000);  // what chown may have cleared
      // (Only the superuser may give a file away; the bits still carry over.)
      if ((old.st_mode & 07777) != (st.st_mode & 07777) &&
          ::chmod(source.c_str(), old.st_mode & 07777) != 0)
        return TFsResult::Fail(errno);
    } else if (errno != ENOENT) {
      return TFsResult::Fail(errno);
    }
    if (::rename(source.c_str(), target.c_str()) != 0) return TFsResult::Fail(errno);
    return TFsResult::Ok();
  }

  TFsResult CopyAttributes(const String& from, const String& to) override {
    struct stat source;
    if (::stat(ToUtf8(from).c_str(), &source) != 0) return TFsResult::Fail(errno);
    const int fd = ::open(ToUtf8(to).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return TFsResult::Fail(errno);
    FdGuard guard(fd);
    struct stat st;
    if (::fstat(fd, &st) != 0) return TFsResult::Fail(errno);
    if (!S_ISREG(st.st_mode)) return TFsResult::Fail(EINVAL);
    // Owner first: changing it may clear set-id bits that the mode restores.
    if ((st.st_uid != source.st_uid || st.st_gid != source.st_gid) &&
        ::fchown(fd, source.st_uid, source.st_gid) != 0) {
      // Only the superuser may give a file away; the bits still carry over.
    }
    if (::fchmod(fd, source.st_mode & 07777) != 0) return TFsResult::Fail(errno);
    return TFsResult::Ok();
  }

  TFsResult Sync(const String& path) override {
    const int fd = ::open(ToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return TFsResult::Fail(errno);
    FdGuard guard(fd);
    if (::syncfs(fd) != 0) return TFsResult::Fail(errno);
    return TFsResult::Ok();
  }

  TFsResult CreateFolder(const String& path, unsigned mode) override {
    if (::mkdir(ToUtf8(path).c_str(), static_cast<mode_t>(mode)) != 0)
      return TFsResult::Fail(errno);
    return TFsResult::Ok();
  }

  TFsResult Rename(const String& from, const String& to) override {
    if (::rename(ToUtf8(from).c_str(), ToUtf8(to).c_str()) != 0) return TFsResult::Fail(errno);
    return TFsResult::Ok();
  }

  TFsResult DeleteFile(const String& path) override {
    const std::string p = ToUtf8(path);
    struct stat st;
    if (::lstat(p.c_str(), &st) != 0) return TFsResult::Fail(errno);
    if (S_ISDIR(st.st_mode)) return TFsResult::Fail(EISDIR);
    if (::unlink(p.c_str()) != 0) return TFsResult::Fail(errno);
    return TFsResult::Ok();
  }

  TFsResult RemoveFolder(const String& path) override {
    const std::string p = ToUtf8(path);
    struct stat st;
    if (::lstat(p.c_str(), &st) != 0) return TFsResult::Fail(errno);
    if (!S_ISDIR(st.st_mode)) return TFsResult::Fail(ENOTDIR);
    if (::rmdir(p.c_str()) != 0) return TFsResult::Fail(errno);
    return TFsResult::Ok();
  }

  String TempFolder() override {
    const char* env = std::getenv("TMPDIR");
    std::string dir = (env && env[0] == '/') ? std::string(env) : std::string("/tmp");
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return FromUtf8(dir);
  }
};

}  // namespace

TFileSystem& TFileSystem::Real() {
  static PosixFileSystem real;
  return real;
}

}  // namespace mirel
