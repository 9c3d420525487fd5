// File access of the disk project host: whole-file reads, the decoding of
// project sources, and file names resolved as a case-insensitive file system
// would resolve them. Paths here are absolute or relative with '/' only.
#pragma once

#include <string>
#include <string_view>

#include "rtl/SysUtils.h"

namespace mirel::diskhost {

/// The whole file. Throws EFOpenError naming the file and the reason.
std::string ReadFileBytes(const String& fileName);

/// Text of a source file: UTF-16LE or UTF-8 by byte-order mark, else UTF-8
/// when the bytes are well-formed UTF-8, else the legacy code page.
String DecodeText(std::string_view bytes);

/// Backslashes become '/'.
String ToSlashes(StringView path);
/// "/a/./b/../c" -> "/a/c": drops "." and empty parts, folds ".." (never
/// above the root of an absolute path).
String NormalizePath(StringView path);
/// dir joined with rel; rel unchanged when absolute.
String JoinPath(StringView dir, StringView rel);
/// The normalised absolute form of path (relative to the current folder).
String AbsolutePath(StringView path);
/// Folder part without the trailing '/' ("/" for a file in the root).
String ExtractDir(StringView path);
/// Name part after the last '/'.
String ExtractName(StringView path);
/// Name part without its extension.
String ExtractBaseName(StringView path);

bool FileExists(const String& path);

/// The absolute, normalised path with every part that is missing on disk
/// replaced by the entry of its folder that matches it without regard to
/// ASCII case (the first in name order when several do). An exact match
/// always wins; a part no entry matches is kept as given, with the rest.
String ResolveCase(StringView absolutePath);

/// The form file beside a unit: its base name with ".dfm" in any case; the
/// exact lower-case name wins. Empty when there is none.
String FindFormFile(const String& unitPath);

}  // namespace mirel::diskhost
