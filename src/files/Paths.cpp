#include "files/Paths.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace mirel {

namespace {

size_t NameStart(StringView path) {
  const size_t slash = path.rfind(u'/');
  return slash == StringView::npos ? 0 : slash + 1;
}

// Index of the extension's dot in path, or npos.
size_t ExtDot(StringView path) {
  const size_t start = NameStart(path);
  const size_t dot = path.rfind(u'.');
  return dot == StringView::npos || dot < start ? StringView::npos : dot;
}

bool HasExt(StringView path, StringView ext) {
  const size_t dot = ExtDot(path);
  return dot != StringView::npos && SameText(path.substr(dot), ext);
}

}  // namespace

String ToSlashes(StringView path) {
  String r(path);
  std::replace(r.begin(), r.end(), u'\\', u'/');
  return r;
}

String CombinePath(StringView folder, StringView name) {
  String result(folder);
  if (!result.empty() && result.back() != u'/') result.push_back(u'/');
  if (!name.empty()) {
    if (name.size() >= 2 && name.front() == u'/')
      result.append(name.substr(1));
    else
      result.append(name);
  }
  return result;
}

String JoinPath(StringView dir, StringView rel) {
  if (!rel.empty() && rel[0] == u'/') return String(rel);
  String r(dir);
  if (!r.empty() && r.back() != u'/') r += u'/';
  return r + String(rel);
}

String ResolveAgainst(StringView folder, StringView path) {
  return LexicallyNormal(JoinPath(folder, path));
}

String ExtractFilePath(StringView path) {
  return String(path.substr(0, NameStart(path)));
}

String ExtractDir(StringView path) {
  const size_t slash = path.rfind(u'/');
  if (slash == StringView::npos) return String();
  if (slash == 0) return u"/";
  return String(path.substr(0, slash));
}

String ExtractFileName(StringView path) {
  return String(path.substr(NameStart(path)));
}

String ExtractBaseName(StringView path) {
  String name = ExtractFileName(path);
  const size_t dot = name.rfind(u'.');
  if (dot != String::npos && dot > 0) name.resize(dot);
  return name;
}

String ExtractFileExt(StringView path) {
  const size_t dot = ExtDot(path);
  return dot == StringView::npos ? String() : String(path.substr(dot));
}

String ChangeFileExt(StringView path, StringView ext) {
  const size_t dot = ExtDot(path);
  return String(path.substr(0, dot == StringView::npos ? path.size() : dot)) + String(ext);
}

String RelativeToFolder(StringView file, StringView folder) {
  const String prefix = CombinePath(folder, u"");
  return StartsText(prefix, file) && file.size() > prefix.size()
             ? String(file.substr(prefix.size()))
             : String(file);
}

String NormalizePath(StringView path) {
  if (path.empty()) return String();
  // Through the bytes: a unit that encodes as '/' or '.' is one for the
  // kernel, so it must be one for the folding too.
  return LexicallyNormal(FromUtf8(ToUtf8(path)));
}

String LexicallyNormal(StringView path) {
  const bool absolute = !path.empty() && path[0] == u'/';
  std::vector<StringView> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(u'/', start);
    if (end == StringView::npos) end = path.size();
    const StringView part = path.substr(start, end - start);
    if (part == u"..") {
      if (!parts.empty() && parts.back() != u"..")
        parts.pop_back();
      else if (!absolute)
        parts.push_back(part);  // above a relative start: kept; above "/" is "/"
    } else if (!part.empty() && part != u".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  if (parts.empty()) return String(1, absolute ? u'/' : u'.');
  String out;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (absolute || i > 0) out += u'/';
    out += parts[i];
  }
  return out;
}

String AbsolutePath(StringView path) {
  if (!path.empty() && path[0] == u'/') return LexicallyNormal(path);
  std::error_code ec;
  const std::filesystem::path cwd = std::filesystem::current_path(ec);
  return ResolveAgainst(ec ? String() : FromUtf8(cwd.string()), path);
}

String AbsolutePath(const std::string& path) {
  return AbsolutePath(FromUtf8(path));
}

bool LiesInsideFolder(StringView path, StringView folder) {
  const String p = NormalizePath(path);
  String f = NormalizePath(folder);
  if (f.empty() || p.size() <= f.size()) return false;
  if (f.back() != u'/') f.push_back(u'/');
  return p.compare(0, f.size(), f) == 0;
}

bool IsUnitFile(StringView path) {
  return HasExt(path, u".pas");
}

bool IsPascalSource(StringView path) {
  return HasExt(path, u".pas") || HasExt(path, u".dpr");
}

bool IsProjectFile(StringView path) {
  return HasExt(path, u".dpr") || HasExt(path, u".dproj");
}

bool IsFormFile(StringView path) {
  return HasExt(path, u".dfm") || HasExt(path, u".nfm");
}

bool IsWindowsDrivePath(StringView path) {
  if (path.size() < 2 || path[1] != u':') return false;
  const char16_t letter = AsciiLower(path[0]);
  return letter >= u'a' && letter <= u'z';
}

}  // namespace mirel
