// File access of the disk project host: whole-file reads and file names
// resolved as a case-insensitive file system would resolve them. Paths here
// are absolute or relative with '/' only. Every look at the disk goes through
// the given file system (the real one unless a test passes another), borrowed
// for the duration of the call; text is decoded by rtl/TextFile.h.
#pragma once

#include <string>
#include <string_view>

#include "files/FileSystem.h"
#include "files/FolderIndex.h"
#include "rtl/SysUtils.h"

namespace mirel::diskhost {

/// The whole file. Throws EFOpenError naming the file and the reason.
std::string ReadFileBytes(const String& fileName, TFileSystem& fs = TFileSystem::Real());

/// Backslashes become '/'.
String ToSlashes(StringView path);
/// "/a/./b/../c" -> "/a/c": drops "." and empty parts, folds ".." (never
/// above the root of an absolute path).
String NormalizePath(StringView path);
/// dir joined with rel; rel unchanged when absolute.
String JoinPath(StringView dir, StringView rel);
/// The normalised absolute form of path (relative to the process's current
/// folder, which is process state rather than a file access: no file system
/// is asked).
String AbsolutePath(StringView path);
/// Folder part without the trailing '/' ("/" for a file in the root).
String ExtractDir(StringView path);
/// Name part after the last '/'.
String ExtractName(StringView path);
/// Name part without its extension.
String ExtractBaseName(StringView path);

/// A regular file (links followed) is there.
bool FileExists(const String& path, TFileSystem& fs = TFileSystem::Real());

/// The absolute, normalised path with every part that is missing on disk
/// replaced by the entry of its folder that matches it without regard to
/// ASCII case (the first in name order when several do). An exact match
/// always wins; a part no entry matches is kept as given, with the rest.
/// With index (over fs), folders are listed through it: once each for many
/// paths (see files/FolderIndex.h).
String ResolveCase(StringView absolutePath, TFileSystem& fs = TFileSystem::Real(),
                   TFolderIndex* index = nullptr);

/// The form file beside a unit: its base name with ".dfm" in any case; the
/// exact lower-case name wins. Empty when there is none. index as for
/// ResolveCase.
String FindFormFile(const String& unitPath, TFileSystem& fs = TFileSystem::Real(),
                    TFolderIndex* index = nullptr);

}  // namespace mirel::diskhost
