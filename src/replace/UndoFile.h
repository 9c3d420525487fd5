// The undo file of a replace run ("RExpert.reu" in the backup folder): how it
// is written, read, and how each of its lines is split into its two paths.
// The restore that plays it back is in Restore.h.
//
// The file holds one line per backed-up file, in backup order:
//   original path "=" backup path CR LF
// It is written in UTF-8, with a byte-order mark only when a path holds a
// character outside ASCII (so an all-ASCII file is plain text any tool
// reads); a run that backed up nothing writes an empty file. Reading accepts
// a UTF-8 or UTF-16LE byte-order mark (without one, the legacy code page),
// and lines ending in CR LF, CR or LF.
//
// Either path may hold "=" (a folder "proj=v2", a unit "a=b.pas"). A line is
// still read unambiguously: every backup lies inside the undo file's own
// folder, so the split is at the "=" after which the rest of the line names a
// file there (see SplitUndoLine). A path cannot hold a line break: the run
// must not back up such a file (IsUndoSafeName), and SaveUndoFile refuses it.
#pragma once

#include <vector>

#include "files/FileSystem.h"
#include "rtl/StringList.h"

namespace mirel {

/// The name of the undo file inside a backup folder.
inline constexpr char16_t kUndoFileName[] = u"RExpert.reu";

/// False for a path the undo file cannot hold: one with a carriage return or
/// a line feed in it, which would split its line in two. The run asks this
/// of every file before it backs it up, and leaves a file it refuses as it is.
bool IsUndoSafeName(StringView path);

/// Writes the name=value lines of `undo` as an undo file, atomically (a
/// crash leaves the old file or the new one, never a mix). Fails with EINVAL,
/// writing nothing, when a line holds a line break (see IsUndoSafeName).
TFsResult SaveUndoFile(const TStringList& undo, StringView path,
                       TFileSystem& fs = TFileSystem::Real());

/// Reads an undo file into `lines` (replacing what they held). Throws
/// EFOpenError naming the file when it cannot be read.
void LoadUndoFile(StringView path, TStringList& lines, TFileSystem& fs = TFileSystem::Real());

/// One line of an undo file, split. Both paths are the texts of the line
/// (a relative one is relative to the undo file's folder).
struct TUndoPair {
  String Original;
  String Backup;
};

/// Splits a line of the undo file whose folder is undoFolder (absolute), at
/// the "=" after which the rest of the line names a backup inside
/// undoFolder (resolved against it when relative): the first such absolute
/// path that exists (found whatever the case of its name), else the first
/// such relative path that exists, else the first such absolute path even
/// though it is missing (what a run writes, so the line is reported under
/// its own names). Returns false when no "=" qualifies: pair is then split
/// at the first "=" (Original empty when the line has none).
bool SplitUndoLine(StringView line, StringView undoFolder, TUndoPair& pair,
                   TFileSystem& fs = TFileSystem::Real());

}  // namespace mirel
