// Where the files named by an undo file may lie. A restore writes over
// files of the user's, so it only reads backups from the undo file's own
// folder and only writes originals where the run could have written them;
// these helpers answer "is this path inside that folder" the way the kernel
// would resolve it, so neither ".." nor a symbolic link leads out.
//
// Paths are POSIX paths. The helpers keep no state. Resolution reads the
// disk directly (std::filesystem, read-only: links and folders are looked at,
// nothing is opened for writing), outside the file-system seam, which has no
// call for it.
#pragma once

#include "files/FileSystem.h"
#include "rtl/SysUtils.h"

namespace mirel {

/// The path the kernel reaches through path: every symbolic link along its
/// existing part followed (a link in its last element included), the rest
/// taken lexically. Never fails: when the disk cannot be asked, the
/// lexically normal path (files/Paths.h: LexicallyNormal).
String ResolvedPath(StringView path);

/// True when path lies strictly below folder once both are resolved
/// (ResolvedPath). A path equal to folder is not inside it.
bool IsInsideFolder(StringView path, StringView folder);

/// The folder a run's backups went to: the folder of the undo file, unless
/// that is a numbered folder ("2", "3", ...) that a later run made inside an
/// earlier run's backup folder (one that holds an undo file), which is then
/// the answer. Its parent is the folder the run worked on.
String BackupFolderOf(StringView undoFile, TFileSystem& fs = TFileSystem::Real());

}  // namespace mirel
