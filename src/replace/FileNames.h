// File-name parts of the paths the replacer and its run work with. Paths use
// '/' only; the name part is what follows the last '/'.
#pragma once

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

}  // namespace mirel
