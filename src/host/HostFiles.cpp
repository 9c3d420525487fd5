#include "host/HostFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "rtl/Encoding.h"

namespace mirel::diskhost {

namespace fs = std::filesystem;

namespace {

fs::path OsPath(StringView path) {
  return fs::path(ToUtf8(path));
}

bool IsWellFormedUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    size_t n;
    uint32_t cp;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      n = 1;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      n = 2;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      n = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + n >= s.size()) return false;  // truncated sequence
    for (size_t k = 1; k <= n; ++k) {
      const auto d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if ((n == 1 && cp < 0x80) || (n == 2 && cp < 0x800) || (n == 3 && cp < 0x10000) ||
        (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
      return false;
    i += n + 1;
  }
  return true;
}

}  // namespace

std::string ReadFileBytes(const String& fileName) {
  std::ifstream in(OsPath(fileName), std::ios::binary);
  if (!in) {
    const int err = errno;
    throw EFOpenError(u"Cannot open file \"" + fileName + u"\". " +
                      FromUtf8(std::strerror(err != 0 ? err : ENOENT)));
  }
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw EFOpenError(u"Cannot read file \"" + fileName + u"\".");
  return bytes;
}

String DecodeText(std::string_view bytes) {
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE')
    return TEncoding::Unicode().GetString(bytes.substr(2));
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
    return TEncoding::UTF8().GetString(bytes.substr(3));
  if (IsWellFormedUtf8(bytes)) return TEncoding::UTF8().GetString(bytes);
  return TEncoding::Default().GetString(bytes);
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
  const fs::path cwd = fs::current_path(ec);
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

bool FileExists(const String& path) {
  std::error_code ec;
  return fs::is_regular_file(OsPath(path), ec);
}

namespace {

bool Exists(const String& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(OsPath(path), ec));
}

/// The entry of folder whose name equals name ignoring ASCII case, the first
/// in name order; empty when none.
String FindEntryIgnoringCase(const String& folder, StringView name) {
  std::error_code ec;
  fs::directory_iterator it(OsPath(folder), ec);
  if (ec) return String();
  String best;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    String entry = FromUtf8(it->path().filename().string());
    if (SameText(entry, name) && (best.empty() || entry < best)) best = std::move(entry);
  }
  return best;
}

}  // namespace

String ResolveCase(StringView absolutePath) {
  const String path = NormalizePath(absolutePath);
  if (path.empty() || path[0] != u'/' || Exists(path)) return path;
  String resolved = u"/";
  size_t start = 1;
  while (start < path.size()) {
    size_t end = path.find(u'/', start);
    if (end == String::npos) end = path.size();
    const StringView part = StringView(path).substr(start, end - start);
    const String exact = JoinPath(resolved, part);
    if (Exists(exact)) {
      resolved = exact;
    } else {
      const String match = FindEntryIgnoringCase(resolved, part);
      if (match.empty()) return JoinPath(resolved, StringView(path).substr(start));
      resolved = JoinPath(resolved, match);
    }
    start = end + 1;
  }
  return resolved;
}

String FindFormFile(const String& unitPath) {
  const String folder = ExtractDir(unitPath);
  const String name = ExtractBaseName(unitPath) + u".dfm";
  const String exact = JoinPath(folder, name);
  if (FileExists(exact)) return exact;
  const String match = FindEntryIgnoringCase(folder, name);
  if (!match.empty() && FileExists(JoinPath(folder, match))) return JoinPath(folder, match);
  return String();
}

}  // namespace mirel::diskhost
