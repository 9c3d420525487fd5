#include "replace/UndoFile.h"

#include <cerrno>

#include "files/FolderIndex.h"
#include "files/Paths.h"
#include "replace/RestorePaths.h"
#include "rtl/Encoding.h"
#include "rtl/TextFile.h"

namespace mirel {

namespace {

bool IsAscii(StringView text) {
  for (char16_t c : text)
    if (c >= 0x80) return false;
  return true;
}

}  // namespace

bool IsUndoSafeName(StringView path) {
  return path.find_first_of(u"\r\n") == StringView::npos;
}

TFsResult SaveUndoFile(const TStringList& undo, StringView path, TFileSystem& fs) {
  for (int i = 0; i < undo.Count(); ++i)
    if (!IsUndoSafeName(undo[i])) return TFsResult::Fail(EINVAL);
  const String text = undo.Text();
  TTextFile file;
  file.Encoding = &TEncoding::UTF8();
  file.HasPreamble = !IsAscii(text);
  return fs.WriteFile(String(path), file.Bytes(text));
}

void LoadUndoFile(StringView path, TStringList& lines, TFileSystem& fs) {
  std::string bytes;
  const TFsResult r = fs.ReadFile(String(path), bytes);
  if (!r) throw EFOpenError(u"Cannot open file \"" + String(path) + u"\". " + r.Message());
  lines.Clear();
  lines.SetText(ReadTextFile(bytes).Text);
}

bool SplitUndoLine(StringView line, StringView undoFolder, TUndoPair& pair, TFileSystem& fs) {
  const auto splitAt = [&](size_t at) {
    pair.Original = String(line.substr(0, at));
    pair.Backup = String(line.substr(at + 1));
  };
  const auto exists = [&](const String& backup) {
    return fs.FileExists(FindFileIgnoringCase(backup, fs));
  };
  size_t firstAbsolute = StringView::npos;
  size_t firstRelative = StringView::npos;  // whose backup exists
  for (size_t at = line.find(u'='); at != StringView::npos; at = line.find(u'=', at + 1)) {
    const StringView rest = line.substr(at + 1);
    if (at == 0 || rest.empty()) continue;
    const String backup = ResolveAgainst(undoFolder, rest);
    if (!IsInsideFolder(backup, undoFolder)) continue;
    if (rest[0] == u'/') {
      if (exists(backup)) {
        splitAt(at);
        return true;
      }
      if (firstAbsolute == StringView::npos) firstAbsolute = at;
    } else if (firstRelative == StringView::npos && exists(backup)) {
      firstRelative = at;
    }
  }
  if (firstRelative != StringView::npos || firstAbsolute != StringView::npos) {
    splitAt(firstRelative != StringView::npos ? firstRelative : firstAbsolute);
    return true;
  }
  const size_t first = line.find(u'=');
  if (first == StringView::npos)
    pair = TUndoPair{String(), String(line)};
  else
    splitAt(first);
  return false;
}

}  // namespace mirel
