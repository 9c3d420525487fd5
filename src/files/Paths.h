// Paths as text: joining, taking apart, normalising, making absolute, and
// which kind of Delphi file a name is. Nothing here looks at the disk (only
// AbsolutePath asks the process for its current folder); finding a file
// whatever the case of its name is files/FolderIndex.h.
//
// Paths are POSIX paths with the separator '/'; an absolute path begins with
// '/', and "/" is the root. The name part of a path is what follows its last
// '/', and its extension runs from the last '.' of the name part. Extensions
// are compared without regard to ASCII case, as Delphi compares file names.
#pragma once

#include <string>

#include "rtl/SysUtils.h"

namespace mirel {

// --- Joining ------------------------------------------------------------------

/// Backslashes become '/' (a project file's Windows paths).
String ToSlashes(StringView path);

/// Joins folder and name with one '/': a '/' is added to a non-empty folder
/// that does not end in one, and one leading '/' of a name of two or more
/// characters is dropped, so the name always lies in the folder.
/// CombinePath("/x", "y.pas") and CombinePath("/x/", "/y.pas") give
/// "/x/y.pas"; an empty folder gives the name (CombinePath("", "/y") is "y");
/// CombinePath("/x", "") is "/x/".
String CombinePath(StringView folder, StringView name);

/// rel taken from dir: rel itself when absolute, else dir and rel with one
/// '/' between them (JoinPath("/x", "/y") is "/y", where CombinePath gives
/// "/x/y"). Nothing is normalised.
String JoinPath(StringView dir, StringView rel);

/// LexicallyNormal(JoinPath(folder, path)): a path a file names relative to
/// its own folder. The current folder of the process plays no part.
String ResolveAgainst(StringView folder, StringView path);

// --- Taking apart -------------------------------------------------------------

/// The folder part with its trailing '/' ("" when the path has no '/').
String ExtractFilePath(StringView path);
/// The folder part without the trailing '/': "/" for a file in the root, ""
/// when the path has no '/'.
String ExtractDir(StringView path);
/// The part after the last '/'.
String ExtractFileName(StringView path);
/// The name part without its extension; a name that begins with its only
/// '.' (".hidden") is kept whole.
String ExtractBaseName(StringView path);
/// The extension of the name part from its last '.' ("" when it has none).
String ExtractFileExt(StringView path);
/// The path with the extension of its name part replaced by ext (which
/// brings its own dot); a name without extension gets ext appended.
String ChangeFileExt(StringView path, StringView ext);

/// file relative to folder when it lies below it, else file as given. The
/// folder is compared without regard to ASCII case: a name for the user's
/// eyes, never for the disk.
String RelativeToFolder(StringView file, StringView folder);

// --- Normalising --------------------------------------------------------------
// Both fold "." and empty elements and "name/.." pairs by the text alone (no
// link is looked at), drop ".." above the root of an absolute path, keep the
// ".." a relative path begins with, and drop a trailing '/'. They differ in
// two points, and each caller keeps the one it has always had.

/// The path as the kernel will be given it (its UTF-8 bytes), normalised:
/// "" stays "". Checks of where a path leads use this one, since a UTF-16
/// path may hold units that become '/' or '.' bytes (see rtl/SysUtils.h).
String NormalizePath(StringView path);

/// The path normalised by its UTF-16 text; a relative path that folds to
/// nothing, "" included, is ".".
String LexicallyNormal(StringView path);

/// The normalised absolute form of path: relative to the process's current
/// folder (a relative path is returned normalised when that cannot be
/// read); "" names the current folder.
String AbsolutePath(StringView path);
/// The same for a path as the system hands it over (a command-line
/// argument, UTF-8).
String AbsolutePath(const std::string& path);

/// Whether path lies inside folder (folder itself excluded), judged by the
/// text of the two NormalizePath forms.
bool LiesInsideFolder(StringView path, StringView folder);

// --- Kinds of file ------------------------------------------------------------

/// A Pascal unit: ".pas".
bool IsUnitFile(StringView path);
/// Pascal code the converter rewrites: a unit or a program's source, ".pas"
/// or ".dpr".
bool IsPascalSource(StringView path);
/// A project file the host opens: ".dpr" or ".dproj".
bool IsProjectFile(StringView path);
/// A form file: ".dfm" or ".nfm".
bool IsFormFile(StringView path);

/// Whether a path a project file names begins with a Windows drive
/// ("C:\Lib\Shared.pas", "c:/lib/shared.pas", "C:Shared.pas"). Such a path
/// names no file on this system: a unit it names is to be skipped (and the
/// skip logged), not read. Separators may be either slash.
bool IsWindowsDrivePath(StringView path);

}  // namespace mirel
