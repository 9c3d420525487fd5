// The undo file of a replace run ("RExpert.reu" in the backup folder) and the
// restore that plays it back.
//
// The file holds one line per backed-up file, in backup order:
//   original path "=" backup path CR LF
// It is written in UTF-8, with a byte-order mark only when a path holds a
// character outside ASCII (so an all-ASCII file is plain text any tool
// reads); a run that backed up nothing writes an empty file. Reading accepts
// a UTF-8 or UTF-16LE byte-order mark (without one, the legacy code page),
// and lines ending in CR LF, CR or LF.
#pragma once

#include "files/FileSystem.h"
#include "rtl/StringList.h"

namespace mirel {

/// The name of the undo file inside a backup folder.
inline constexpr char16_t kUndoFileName[] = u"RExpert.reu";

/// Writes the name=value lines of `undo` as an undo file, atomically (a
/// crash leaves the old file or the new one, never a mix).
TFsResult SaveUndoFile(const TStringList& undo, StringView path,
                       TFileSystem& fs = TFileSystem::Real());

/// Reads an undo file into `lines` (replacing what they held). Throws
/// EFOpenError naming the file when it cannot be read.
void LoadUndoFile(StringView path, TStringList& lines, TFileSystem& fs = TFileSystem::Real());

/// Copies every backup named by `lines` back over its original. Nothing is
/// touched unless every backup exists; copies go in line order, each one
/// atomic, and the first failed copy stops the restore (earlier files stay
/// restored). The backup of a line is that of the first line naming the same
/// original (without regard to case); a backup whose exact name is missing is
/// looked for without regard to case in its folder. Returns true when every
/// file was copied back; false for an empty list.
bool RestoreFiles(const TStringList& lines, TFileSystem& fs = TFileSystem::Real());

}  // namespace mirel
