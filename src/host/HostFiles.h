// File access of the disk project host: whole-file reads through the given
// file system (the real one unless a test passes another), borrowed for the
// duration of the call; text is decoded by rtl/TextFile.h. Paths are
// files/Paths.h, names in another case files/FolderIndex.h.
#pragma once

#include <string>

#include "files/FileSystem.h"
#include "rtl/SysUtils.h"

namespace mirel::diskhost {

/// The whole file. Throws EFOpenError naming the file and the reason.
std::string ReadFileBytes(const String& fileName, TFileSystem& fs = TFileSystem::Real());

}  // namespace mirel::diskhost
