#include "replace/UndoFile.h"

#include "files/FileUtils.h"
#include "rtl/Encoding.h"

namespace mirel {

namespace {

bool IsAscii(StringView text) {
  for (char16_t c : text)
    if (c >= 0x80) return false;
  return true;
}

String DecodeUndoText(std::string_view bytes) {
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
    return TEncoding::UTF8().GetString(bytes.substr(3));
  if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFF\xFE")
    return TEncoding::Unicode().GetString(bytes.substr(2));
  return TEncoding::Default().GetString(bytes);
}

}  // namespace

TFsResult SaveUndoFile(const TStringList& undo, StringView path, TFileSystem& fs) {
  const String text = undo.Text();
  std::string bytes;
  if (!IsAscii(text)) bytes = std::string(TEncoding::UTF8().Preamble());
  bytes += TEncoding::UTF8().GetBytes(text);
  return fs.WriteFile(String(path), bytes);
}

void LoadUndoFile(StringView path, TStringList& lines, TFileSystem& fs) {
  std::string bytes;
  const TFsResult r = fs.ReadFile(String(path), bytes);
  if (!r) throw EFOpenError(u"Cannot open file \"" + String(path) + u"\". " + r.Message());
  lines.Clear();
  lines.SetText(DecodeUndoText(bytes));
}

bool RestoreFiles(const TStringList& lines, TFileSystem& fs) {
  if (lines.Empty()) return false;
  std::vector<std::pair<String, String>> copies;
  for (int i = 0; i < lines.Count(); ++i) {
    const String original = lines.Names(i);
    const String backup = FindFileIgnoringCase(lines.Values(original), fs);
    if (original.empty() || !fs.FileExists(backup)) return false;
    copies.emplace_back(original, backup);
  }
  for (const auto& [original, backup] : copies)
    if (!fs.CopyFile(backup, original, /*overwrite=*/true)) return false;
  return true;
}

}  // namespace mirel
