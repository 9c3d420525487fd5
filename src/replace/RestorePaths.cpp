#include "replace/RestorePaths.h"

#include <filesystem>

#include "files/Paths.h"
#include "replace/UndoFile.h"

namespace mirel {

String ResolvedPath(StringView path) {
  const String normal = LexicallyNormal(path);
  std::error_code ec;
  const std::filesystem::path resolved =
      std::filesystem::weakly_canonical(std::filesystem::path(ToUtf8(normal)), ec);
  if (ec || resolved.empty()) return normal;
  return LexicallyNormal(FromUtf8(resolved.string()));
}

bool IsInsideFolder(StringView path, StringView folder) {
  const String p = ResolvedPath(path);
  String f = ResolvedPath(folder);
  if (f != u"/") f += u'/';
  return p.size() > f.size() && p.compare(0, f.size(), f) == 0;
}

String BackupFolderOf(StringView undoFile, TFileSystem& fs) {
  const String folder = ExtractDir(LexicallyNormal(undoFile));
  const String name = ExtractFileName(folder);
  bool numbered = !name.empty();
  for (char16_t c : name) numbered = numbered && c >= u'0' && c <= u'9';
  if (!numbered) return folder;
  const String parent = ExtractDir(folder);
  if (!parent.empty() && fs.FileExists(CombinePath(parent, kUndoFileName))) return parent;
  return folder;
}

}  // namespace mirel
