#include "files/FileUtils.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "files/Paths.h"

namespace mirel {

namespace {

// Creates one folder of a chain; a folder that is already there will do, but
// a file (or a dangling link) of that name will not.
bool CreateOne(TFileSystem& fs, const String& path) {
  const TFsResult r = fs.CreateFolder(path);
  if (r) return true;
  return r.AlreadyExists() && fs.FolderExists(path);
}

}  // namespace

bool ForceFolders(StringView path, TFileSystem& fs) {
  if (path.empty()) return false;
  if (fs.FolderExists(String(path))) return true;  // the usual case in a run: nothing to do
  for (size_t i = 0; i < path.size(); ++i) {
    if (path[i] != u'/') continue;
    // The root, and the empty element of a doubled '/', need no creation.
    if (i > 0 && path[i - 1] != u'/' && !CreateOne(fs, String(path.substr(0, i)))) return false;
    if (i + 1 == path.size()) return true;
  }
  return CreateOne(fs, String(path));
}

String MakeTempFolder(StringView prefix, unsigned counter, TFileSystem& fs) {
  MIREL_ASSERT(prefix.find(u'/') == StringView::npos);
  const String temp = fs.TempFolder();
  const String stem(prefix.substr(0, 3));
  if (temp.empty() || temp.front() != u'/')
    throw EFCreateError(U("Cannot create a temporary folder: the temporary folder \"") + temp +
                        U("\" is not an absolute path."));
  if (counter == 0) counter = 1;
  // Bounded, so a temporary folder that is full of taken names (or a file
  // system that answers EEXIST to everything) cannot hang the run.
  constexpr int kMaxAttempts = 0x10000;
  TFsResult last;
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt, ++counter) {
    if (counter == 0) counter = 1;
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", counter);
    const String path = CombinePath(temp, stem + U(hex));
    last = fs.CreateFolder(path, 0700);
    if (last) return path;
    if (!last.AlreadyExists()) break;
  }
  throw EFCreateError(U("Cannot create a temporary folder in \"") + temp + U("\": ") +
                      last.Message());
}

namespace {

// Puts one file of a folder (a regular file, or a link to one) in place.
using TFileTransfer = TFsResult (*)(const String& from, const String& to, bool isLink,
                                    TFileSystem& fs);

bool TransferFolder(StringView source, StringView dest, TFileSystem& fs, TFileTransfer transfer) {
  std::vector<TFolderEntry> entries;
  if (!fs.ListFolder(String(source), entries)) return false;
  bool ok = true;
  for (const TFolderEntry& entry : entries) {
    const String from = CombinePath(source, entry.name);
    const String to = CombinePath(dest, entry.name);
    TFileKind kind = entry.kind;
    if (kind == TFileKind::Symlink) {
      // A link to a file is copied as that file; a link to a folder could
      // lead back up the tree, and is not followed.
      kind = fs.Stat(from).kind == TFileKind::File ? TFileKind::File : TFileKind::Other;
    }
    if (kind == TFileKind::Folder) {
      if (!fs.FolderExists(to) && !CreateOne(fs, to)) return false;
      if (!TransferFolder(from, to, fs, transfer)) ok = false;
    } else if (kind == TFileKind::File) {
      if (!transfer(from, to, entry.kind == TFileKind::Symlink, fs)) return false;
    } else {
      return false;
    }
  }
  return ok;
}

TFsResult CopyOver(const String& from, const String& to, bool, TFileSystem& fs) {
  return fs.CopyFile(from, to, true);
}

TFsResult MoveOver(const String& from, const String& to, bool isLink, TFileSystem& fs) {
  // A link is moved as the file it points to, which stays where it is.
  if (isLink) return fs.CopyFile(from, to, true);
  return ReplaceFile(from, to, fs);
}

}  // namespace

bool CopyFolder(StringView source, StringView dest, TFileSystem& fs) {
  return TransferFolder(source, dest, fs, CopyOver);
}

bool MoveFolder(StringView source, StringView dest, TFileSystem& fs) {
  return TransferFolder(source, dest, fs, MoveOver);
}

TFsResult ReplaceFile(const String& from, const String& to, TFileSystem& fs) {
  const TFsResult moved = fs.MoveFile(from, to);
  if (moved || moved.Error() != EXDEV) return moved;
  return fs.CopyFile(from, to, /*overwrite=*/true, /*durable=*/true);
}

TFsResult BackUpFile(const String& original, const String& backup, TFileSystem& fs) {
  const TFsResult linked = fs.LinkFile(original, backup);
  if (linked || linked.AlreadyExists()) return linked;
  // A copy would resolve a link of that name (a dangling one included).
  if (fs.LinkStat(backup).kind != TFileKind::None) return TFsResult::Fail(EEXIST);
  return fs.CopyFile(original, backup, /*overwrite=*/false, /*durable=*/false);
}

TFsResult StageBeside(const String& converted, const String& target, String& staged,
                      TFileSystem& fs) {
  static std::atomic<unsigned> serial{0};
  staged.clear();
  // Within NAME_MAX whatever the length of the target's name.
  const String name = ExtractFileName(target).substr(0, 200);
  String folder = ExtractDir(target);
  if (folder.empty()) folder = u".";  // a bare name lies in the current folder
  const String stem =
      CombinePath(folder, u".~" + name + u"." + IntToStr(static_cast<int>(::getpid())) + u"-");
  TFsResult made = TFsResult::Fail(EEXIST);
  String candidate;
  for (int attempt = 0; attempt < 100 && made.AlreadyExists(); ++attempt) {
    candidate = stem + IntToStr(static_cast<int>(serial++)) + u".tmp";
    // A second name costs no space; a copy is where a full disk shows, and
    // it shows here, before any original is replaced.
    made = fs.LinkFile(converted, candidate);
    if (!made && !made.AlreadyExists())
      made = fs.CopyFile(converted, candidate, /*overwrite=*/false, /*durable=*/true);
  }
  if (!made) return made;
  const TFsResult attributes = fs.CopyAttributes(target, candidate);
  if (!attributes) {
    (void)fs.DeleteFile(candidate);
    return attributes;
  }
  staged = candidate;
  return TFsResult::Ok();
}

namespace {

// Whether folder may be deleted as a tree: an absolute path other than the
// root, without "." or ".." elements that could lead somewhere else.
bool IsDeletablePath(StringView folder) {
  if (folder.empty() || folder.front() != u'/') return false;
  bool hasName = false;
  size_t start = 0;
  while (start <= folder.size()) {
    size_t end = folder.find(u'/', start);
    if (end == StringView::npos) end = folder.size();
    const StringView element = folder.substr(start, end - start);
    if (element == u"." || element == u"..") return false;
    if (!element.empty()) hasName = true;
    start = end + 1;
  }
  return hasName;
}

// Empties folder (a real folder, not a link) bottom-up; failures of single
// entries do not stop the walk.
void EmptyFolder(const String& folder, TFileSystem& fs) {
  std::vector<TFolderEntry> entries;
  if (!fs.ListFolder(folder, entries)) return;
  for (const TFolderEntry& entry : entries) {
    const String path = CombinePath(folder, entry.name);
    TFileKind kind = entry.kind;
    if (kind == TFileKind::None) kind = fs.LinkStat(path).kind;
    if (kind == TFileKind::Folder) {
      EmptyFolder(path, fs);
      (void)fs.RemoveFolder(path);
    } else {
      (void)fs.DeleteFile(path);
    }
  }
}

}  // namespace

bool DeleteFolder(StringView folder, TFileSystem& fs) {
  if (!IsDeletablePath(folder)) return false;
  // Without the trailing '/': "link/" would name the folder a link points to.
  String path(folder);
  while (path.back() == u'/') path.pop_back();
  if (fs.LinkStat(path).kind != TFileKind::Folder) return false;
  EmptyFolder(path, fs);
  return static_cast<bool>(fs.RemoveFolder(path));
}

String BackupFileName(StringView fileName) {
  const String ext = ExtractFileExt(fileName);
  return ChangeFileExt(fileName, u".~" + (ext.size() >= 2 ? ext.substr(1) : String()));
}

}  // namespace mirel
