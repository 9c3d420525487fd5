// Path and folder helpers of the replace run, the restore and the wizard:
// joining a folder and a name, creating a folder chain, allocating a private
// temporary folder, copying and deleting folder trees, naming backup copies.
//
// Paths are POSIX paths with the separator '/'; an absolute path begins with
// '/', and "/" is the root. The helpers keep no state; those that touch the
// disk do it through the given file system (the real one unless a test passes
// another), which they borrow for the duration of the call.
#pragma once

#include "files/FileSystem.h"
#include "files/FolderIndex.h"
#include "rtl/SysUtils.h"

namespace mirel {

/// Joins folder and name with one '/': a '/' is added to a non-empty folder
/// that does not end in one, and one leading '/' of a name of two or more
/// characters is dropped. CombinePath("/x", "y.pas") and
/// CombinePath("/x/", "/y.pas") give "/x/y.pas"; an empty folder gives the
/// name (CombinePath("", "/y") is "y"); CombinePath("/x", "") is "/x/".
String CombinePath(StringView folder, StringView name);

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

/// path without "." elements, empty elements and "name/.." pairs, by its
/// text alone (no link is looked at); "" stays "".
String NormalizePath(StringView path);

/// Whether path lies inside folder (folder itself excluded), judged by the
/// text of the two normalised paths.
bool LiesInsideFolder(StringView path, StringView folder);

/// Deletes the folder with everything in it, bottom-up, and returns whether
/// the folder itself was removed. A failed entry does not stop the walk (its
/// folder then stays, and the result is false). Symbolic links are deleted as
/// links, never followed, so nothing outside the tree is touched.
/// Refuses (returns false, touching nothing) an empty or relative path, the
/// root, a path with a "." or ".." component, and a path that is itself a
/// symbolic link or not a folder.
bool DeleteFolder(StringView folder, TFileSystem& fs = TFileSystem::Real());

/// The file a name given by a project or an undo file means on this
/// case-sensitive file system: `path` itself when it exists; otherwise the
/// name with its extension in lower or upper case, or all of it in lower or
/// upper case, when such a file exists; otherwise the entry of its folder
/// whose name equals its last element without regard to ASCII case (the
/// first in name order, when several do); otherwise `path`.
/// kind, when given, receives the kind of what the returned path names
/// (links followed; fkNone when nothing is there).
String FindFileIgnoringCase(StringView path, TFileSystem& fs = TFileSystem::Real(),
                            TFileKind* kind = nullptr);
/// The same, with the folder's entries taken from index (its file system is
/// the one looked through): for many names in few folders, where listing a
/// folder for each name would make the whole grow with the square of their
/// number. The result is the one without an index as long as the folders
/// have not changed since index listed them.
String FindFileIgnoringCase(StringView path, TFolderIndex& index, TFileKind* kind = nullptr);

/// The name of the backup copy of a file: its extension (the part of the
/// last path element from its last '.') becomes ".~" followed by the old
/// extension without its dot, case kept. "Unit1.pas" gives "Unit1.~pas",
/// "a.b.pas" gives "a.b.~pas"; a name without extension, or ending in a lone
/// '.', gets ".~" in its place ("Makefile" gives "Makefile.~").
String BackupFileName(StringView fileName);

}  // namespace mirel
