// Folder and file helpers of the replace run, the restore and the wizard:
// creating a folder chain, allocating a private temporary folder, copying and
// deleting folder trees, putting files in place, naming backup copies. Paths
// themselves (joining, taking apart, normalising) are files/Paths.h.
//
// Paths are POSIX paths with the separator '/'; an absolute path begins with
// '/', and "/" is the root. The helpers keep no state; those that touch the
// disk do it through the given file system (the real one unless a test passes
// another), which they borrow for the duration of the call.
#pragma once

#include "files/FileSystem.h"
#include "rtl/SysUtils.h"

namespace mirel {

/// Creates the folder path together with every missing folder above it, from
/// the top down (an absolute path from the root). Returns true when path is a
/// folder afterwards (a link to a folder counts); false for an empty path, and
/// when a folder cannot be created or a non-folder stands in the way.
/// "/" and folders that exist already give true and change nothing.
bool ForceFolders(StringView path, TFileSystem& fs = TFileSystem::Real());

/// Creates a new, private (mode 0700) folder in the user's temporary folder
/// (TFileSystem::TempFolder) and returns its full, absolute path. Its name is
/// the first three characters of prefix followed by counter in upper-case
/// hexadecimal ("$DS1" for "$DS" and 1); when that name is taken, counter is
/// increased until a free name is found. Each candidate is claimed with one
/// mkdir, so two runs at the same time never get the same folder.
/// Never returns an empty path: throws EFCreateError, naming the temporary
/// folder and the reason, when no folder could be created. A counter of 0 is
/// taken as 1. prefix must not contain '/' (EAssertionFailed).
String MakeTempFolder(StringView prefix, unsigned counter, TFileSystem& fs = TFileSystem::Real());

/// Copies the entries of the folder source into the existing folder dest,
/// recursively, replacing files of the same name. A sub-folder of dest is
/// used when it exists and created otherwise. When an entry of a folder fails
/// (a file that cannot be copied, a sub-folder that can be neither found nor
/// created), the copying of that folder stops at it; its parent folders go on
/// with their next entries. Symbolic links in source are copied as the file
/// they point to; a link to a folder (or anything else that is not a file) is
/// not followed and counts as a failed entry, so that a link cannot make the
/// copy loop. Returns true only when every entry was copied.
bool CopyFolder(StringView source, StringView dest, TFileSystem& fs = TFileSystem::Real());

/// CopyFolder, with each file of source put in place of its namesake in
/// dest by ReplaceFile instead of copied: moved where the two folders share a
/// file system, copied where they do not. The files moved are gone from
/// source afterwards.
bool MoveFolder(StringView source, StringView dest, TFileSystem& fs = TFileSystem::Real());

/// Puts the file from in place of the file to: moved (TFileSystem::MoveFile)
/// when both are on one file system, else copied durably (CopyFile). Either
/// way to is replaced in one step and keeps its permission bits.
TFsResult ReplaceFile(const String& from, const String& to, TFileSystem& fs = TFileSystem::Real());

/// Makes backup a copy of the file original as it is now: a second name for
/// it (TFileSystem::LinkFile) where the file system allows, since every
/// later write of original goes to a new file; otherwise a copy. backup must
/// be a new name: anything already there (a file, or a link, which is never
/// followed) fails with EEXIST and stays as it was. The copy is not waited
/// for: call Sync before relying on it.
TFsResult BackUpFile(const String& original, const String& backup,
                     TFileSystem& fs = TFileSystem::Real());

/// Puts the bytes of the file converted into a new hidden file beside the
/// regular file target (same folder, ".~" + its name + process id and a
/// serial + ".tmp"), claimed exclusively: a second name of converted where
/// the two share a file system, else a durable copy. The new file gets the
/// permission bits and owner of target, so that renaming it over target
/// (which cannot fail for want of space) is all that is left to do. On
/// success staged names it; on failure nothing new is left beside target.
/// converted stays where it is either way.
TFsResult StageBeside(const String& converted, const String& target, String& staged,
                      TFileSystem& fs = TFileSystem::Real());

/// Deletes the folder with everything in it, bottom-up, and returns whether
/// the folder itself was removed. A failed entry does not stop the walk (its
/// folder then stays, and the result is false). Symbolic links are deleted as
/// links, never followed, so nothing outside the tree is touched.
/// Refuses (returns false, touching nothing) an empty or relative path, the
/// root, a path with a "." or ".." component, and a path that is itself a
/// symbolic link or not a folder.
bool DeleteFolder(StringView folder, TFileSystem& fs = TFileSystem::Real());

/// The name of the backup copy of a file: its extension (the part of the
/// last path element from its last '.') becomes ".~" followed by the old
/// extension without its dot, case kept. "Unit1.pas" gives "Unit1.~pas",
/// "a.b.pas" gives "a.b.~pas"; a name without extension, or ending in a lone
/// '.', gets ".~" in its place ("Makefile" gives "Makefile.~").
String BackupFileName(StringView fileName);

}  // namespace mirel
