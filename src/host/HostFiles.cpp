#include "host/HostFiles.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace mirel::diskhost {

std::string ReadFileBytes(const String& fileName, TFileSystem& fs) {
  std::string bytes;
  const TFsResult r = fs.ReadFile(fileName, bytes);
  if (!r) throw EFOpenError(u"Cannot open file \"" + fileName + u"\". " + r.Message());
  return bytes;
}

String ToSlashes(StringView path) {
  String r(path);
  std::replace(r.begin(), r.end(), u'\\', u'/');
  return r;
}

String NormalizePath(StringView path) {
  const bool absolute = !path.empty() && path[0] == u'/';
  std::vector<StringView> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(u'/', start);
    if (end == StringView::npos) end = path.size();
    const StringView part = path.substr(start, end - start);
    if (part.empty() || part == u".") {
      // nothing
    } else if (part == u"..") {
      if (!parts.empty() && parts.back() != u"..")
        parts.pop_back();
      else if (!absolute)
        parts.push_back(part);
    } else {
      parts.push_back(part);
    }
    start = end + 1;
  }
  String r = absolute ? u"/" : u"";
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) r += u'/';
    r += parts[i];
  }
  if (r.empty()) r = u".";
  return r;
}

String JoinPath(StringView dir, StringView rel) {
  if (!rel.empty() && rel[0] == u'/') return String(rel);
  String r(dir);
  if (!r.empty() && r.back() != u'/') r += u'/';
  return r + String(rel);
}

String AbsolutePath(StringView path) {
  if (!path.empty() && path[0] == u'/') return NormalizePath(path);
  std::error_code ec;
  const std::filesystem::path cwd = std::filesystem::current_path(ec);
  return NormalizePath(JoinPath(FromUtf8(cwd.string()), path));
}

String ExtractDir(StringView path) {
  const size_t slash = path.rfind(u'/');
  if (slash == StringView::npos) return String();
  if (slash == 0) return u"/";
  return String(path.substr(0, slash));
}

String ExtractName(StringView path) {
  const size_t slash = path.rfind(u'/');
  return String(slash == StringView::npos ? path : path.substr(slash + 1));
}

String ExtractBaseName(StringView path) {
  String name = ExtractName(path);
  const size_t dot = name.rfind(u'.');
  if (dot != String::npos && dot > 0) name.resize(dot);
  return name;
}

bool FileExists(const String& path, TFileSystem& fs) {
  return fs.FileExists(path);
}

namespace {

// Anything of that name, a dangling link included.
bool Exists(const String& path, TFileSystem& fs) {
  return fs.LinkStat(path).kind != TFileKind::fkNone;
}

/// The entry of folder whose name equals name ignoring ASCII case, the first
/// in name order; empty when none.
String FindEntryIgnoringCase(const String& folder, StringView name, TFileSystem& fs,
                             TFolderIndex* index) {
  if (index != nullptr) return index->Find(folder, name);
  std::vector<TFolderEntry> entries;
  if (!fs.ListFolder(folder, entries)) return String();
  String best;
  for (TFolderEntry& entry : entries)
    if (SameText(entry.name, name) && (best.empty() || entry.name < best))
      best = std::move(entry.name);
  return best;
}

}  // namespace

String ResolveCase(StringView absolutePath, TFileSystem& fs, TFolderIndex* index) {
  const String path = NormalizePath(absolutePath);
  if (path.empty() || path[0] != u'/' || Exists(path, fs)) return path;
  String resolved = u"/";
  size_t start = 1;
  while (start < path.size()) {
    size_t end = path.find(u'/', start);
    if (end == String::npos) end = path.size();
    const StringView part = StringView(path).substr(start, end - start);
    const String exact = JoinPath(resolved, part);
    if (Exists(exact, fs)) {
      resolved = exact;
    } else {
      const String match = FindEntryIgnoringCase(resolved, part, fs, index);
      if (match.empty()) return JoinPath(resolved, StringView(path).substr(start));
      resolved = JoinPath(resolved, match);
    }
    start = end + 1;
  }
  return resolved;
}

String FindFormFile(const String& unitPath, TFileSystem& fs, TFolderIndex* index) {
  const String folder = ExtractDir(unitPath);
  const String name = ExtractBaseName(unitPath) + u".dfm";
  const String exact = JoinPath(folder, name);
  if (fs.FileExists(exact)) return exact;
  const String match = FindEntryIgnoringCase(folder, name, fs, index);
  if (!match.empty() && fs.FileExists(JoinPath(folder, match))) return JoinPath(folder, match);
  return String();
}

}  // namespace mirel::diskhost
