// The patch of a run: every change a run makes, as one patch in git's format
// that `git apply` applies from the run's folder (the project's folder or
// the target folder), giving exactly the files the run writes.
//
// Each file's patch holds the file's own bytes, in its own encoding and with
// its own line ends: a text file as a unified diff (which `patch -p1` applies
// too), a file git takes for binary (one holding a NUL byte, a UTF-16 file)
// as a git binary patch (zlib and base85, applied by `git apply` only).
// Paths are relative to the run's folder, "a/<path>" and "b/<path>".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "files/FileSystem.h"
#include "replace/Replacer.h"

namespace mirel {

/// The files of a run cannot form one patch; the message names every file
/// concerned and why.
class EPatchError : public Exception {
 public:
  using Exception::Exception;
};

/// The patch that turns oldBytes into newBytes at path (relative, '/'
/// between folders, UTF-8), as `git diff --binary` writes it: header, then
/// hunks, or a binary patch when either side holds a NUL byte or forceBinary
/// is set. executable gives the file mode 100755 (else 100644), so applying
/// the patch keeps the file's executable bit. "" when the bytes are equal.
std::string FilePatch(std::string_view path, std::string_view oldBytes, std::string_view newBytes,
                      bool executable, bool forceBinary = false);

/// Whether git must take the file as binary for its patch to keep its bytes
/// readable as a diff: a UTF-16 file (by its byte-order mark) may hold no NUL
/// byte at all, and its lines would be cut in the middle of characters.
bool IsUtf16File(std::string_view bytes);

/// The patch of a run's changed files: each file's Target as it is now
/// against its Converted copy, in the order given. baseFolder is the run's
/// folder; paths are made relative to it after every link is resolved.
/// Throws EPatchError naming every file that lies outside baseFolder (a
/// patch applied from there cannot reach it; git refuses "../" paths), and
/// EFOpenError naming a file that cannot be read.
std::string MakeRunPatch(const std::vector<TRunFile>& files, StringView baseFolder,
                         TFileSystem& fs = TFileSystem::Real());

}  // namespace mirel
