// The run's manifest: "RExpert.sum" beside the undo file, a SHA-256 of every
// file the run left converted, so that a restore can tell a file the user
// has edited since the run (which it must not overwrite) from one that still
// holds what the run wrote. The undo file keeps its format; the manifest is
// a file of its own.
//
// One line per file, in undo-file order:
//   64 lower-case hex digits, two spaces, the original's path as its undo
//   line names it, LF
// in UTF-8 without a byte-order mark: the format of sha256sum(1), so
// `sha256sum -c RExpert.sum` also tells which files changed. A path cannot
// hold a line break (the run refuses such names; see IsUndoSafeName).
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "files/FileSystem.h"
#include "rtl/StringList.h"

namespace mirel {

/// The name of the manifest inside a backup folder.
inline constexpr char16_t kRunManifestName[] = u"RExpert.sum";

/// The manifest that belongs to an undo file: kRunManifestName in its folder.
String RunManifestFileName(StringView undoFile);

/// SHA-256 of bytes as 64 lower-case hex digits.
std::string Sha256Hex(std::string_view bytes);

/// Writes the manifest of undoFile for the files of `undo` (the run's undo
/// list, original=backup lines, split as SplitUndoLine splits them): the
/// checksum of each original as it is on disk now, so the run calls this once
/// it has replaced them. Atomic, like SaveUndoFile. Fails, writing nothing,
/// when an original cannot be read (its error) or a path holds a line break
/// (EINVAL).
TFsResult SaveRunManifest(const TStringList& undo, StringView undoFile,
                          TFileSystem& fs = TFileSystem::Real());

/// What a manifest records: original path (as its undo line names it) to
/// the checksum the run left.
using TRunManifest = std::unordered_map<String, std::string>;

/// Reads the manifest of undoFile into manifest (replacing what it held).
/// Returns false when there is none (an undo file of an older run, or of a
/// run cut short before it was written). Lines that are not a checksum and a
/// path are left out. Throws EFOpenError, naming the file, when it exists but
/// cannot be read.
bool LoadRunManifest(StringView undoFile, TRunManifest& manifest,
                     TFileSystem& fs = TFileSystem::Real());

/// original path → every checksum a run left it with.
using TRunChecksums = std::unordered_map<String, std::vector<std::string>>;

/// What the runs that used backupFolder left: its own manifest and those of
/// the numbered folders ("2", "3", ...) of later runs inside it. A file that
/// a later run converted again still holds work of ours, not the user's.
/// Manifests that cannot be read are left out.
TRunChecksums LoadRunChecksums(StringView backupFolder, TFileSystem& fs = TFileSystem::Real());

}  // namespace mirel
