// File-name parts of the paths the replacer and its run work with, and the
// lookup of a file by name without regard to case. Paths use '/' only; the
// name part is what follows the last '/'.
#pragma once

#include "files/FileSystem.h"
#include "rtl/SysUtils.h"

namespace mirel {

/// The folder part with its trailing '/' ("" when the path has no '/').
String ExtractFilePath(StringView path);
/// The part after the last '/'.
String ExtractFileName(StringView path);
/// The extension of the name part from its last '.' ("" when it has none).
String ExtractFileExt(StringView path);
/// The path with the extension of its name part replaced by ext (which
/// brings its own dot); a name without extension gets ext appended.
String ChangeFileExt(StringView path, StringView ext);

/// The regular file `path` names, found as a case-insensitive file system
/// would find it: `path` itself when it is a file (an exact match always
/// wins), else the entry of its folder whose name equals the name part
/// without regard to ASCII case (the first in code-unit order when several
/// do). Only the name part is matched this way, not the folders above it.
/// "" when there is none or the folder cannot be listed. fs is borrowed for
/// the call.
String FindFileIgnoringCase(const String& path, TFileSystem& fs);

}  // namespace mirel
