#include "files/FolderIndex.h"

#include <vector>

#include "files/Paths.h"

namespace mirel {

String TFolderIndex::Find(const String& folder, StringView name) {
  auto listed = folders_.find(folder);
  if (listed == folders_.end()) {
    std::vector<TFolderEntry> entries;
    if (!fs_.ListFolder(folder, entries)) return String();
    TNames names;
    names.reserve(entries.size());
    for (TFolderEntry& entry : entries) {
      auto [at, added] = names.try_emplace(LowerCase(entry.name), entry.name);
      if (!added && entry.name < at->second) at->second = std::move(entry.name);
    }
    listed = folders_.emplace(folder, std::move(names)).first;
  }
  const auto found = listed->second.find(LowerCase(name));
  return found == listed->second.end() ? String() : found->second;
}

namespace {

// The entry of folder that matches name, through index when there is one,
// else from a listing made now.
String FindEntry(const String& folder, StringView name, TFileSystem& fs, TFolderIndex* index) {
  if (index != nullptr) return index->Find(folder, name);
  TFolderIndex once(fs);
  return once.Find(folder, name);
}

String FindFile(StringView path, TFileSystem& fs, TFolderIndex* index, TFileKind* kind) {
  TFileKind ignored;
  TFileKind& found = kind ? *kind : ignored;
  const String exact(path);
  found = TFileKind::None;
  if (path.empty()) return exact;
  if ((found = fs.Stat(exact).kind) != TFileKind::None) return exact;
  const size_t slash = path.rfind(u'/');
  const String folder =
      slash == StringView::npos ? String(u".") : String(path.substr(0, slash + 1));
  const StringView name = slash == StringView::npos ? path : path.substr(slash + 1);
  if (name.empty()) return exact;
  // The usual spellings first ("Main.DFM" written, "Main.dfm" on disk): one
  // look-up each instead of reading the whole folder.
  const String prefix = slash == StringView::npos ? String() : String(path.substr(0, slash + 1));
  const size_t dot = name.rfind(u'.');
  if (dot != StringView::npos) {
    const String stem(name.substr(0, dot));
    for (const String& guess :
         {stem + LowerCase(name.substr(dot)), stem + UpperCase(name.substr(dot)), LowerCase(name),
          UpperCase(name)})
      if (guess != name && (found = fs.Stat(prefix + guess).kind) != TFileKind::None)
        return prefix + guess;
  }
  const String best = FindEntry(folder, name, fs, index);
  if (best.empty()) return exact;
  found = fs.Stat(prefix + best).kind;
  return prefix + best;
}

// Anything of that name, a dangling link included.
bool Exists(const String& path, TFileSystem& fs) {
  return fs.LinkStat(path).kind != TFileKind::None;
}

}  // namespace

String FindFileIgnoringCase(StringView path, TFileSystem& fs, TFileKind* kind) {
  return FindFile(path, fs, nullptr, kind);
}

String FindFileIgnoringCase(StringView path, TFolderIndex& index, TFileKind* kind) {
  return FindFile(path, index.FileSystem(), &index, kind);
}

String ResolveCase(StringView absolutePath, TFileSystem& fs, TFolderIndex* index) {
  const String path = LexicallyNormal(absolutePath);
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
      const String match = FindEntry(resolved, part, fs, index);
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
  const String match = FindEntry(folder, name, fs, index);
  if (!match.empty() && fs.FileExists(JoinPath(folder, match))) return JoinPath(folder, match);
  return String();
}

}  // namespace mirel
