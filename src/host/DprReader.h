// Reads the units of a Delphi project source (.dpr): the entries of its uses
// clauses that name a file with `in 'path'`, with the form name of a
// following {Form} comment. Comments of all three kinds are skipped, and
// conditional directives are followed through every branch, so a unit listed
// under {$IFDEF} is found whether or not the symbol would be defined.
#pragma once

#include "files/FileSystem.h"
#include "host/ProjectFile.h"

namespace mirel {

/// Parses project source text; fileName only names the file in errors.
/// Throws EProjectFileError with the line of the fault for a missing
/// "program"/"library" header, an unterminated comment, string or uses
/// clause, or a uses entry that is not `Name [in 'path']`.
TProjectFile ParseDpr(StringView text, const String& fileName);

/// Reads (through fs) and parses a .dpr file. Throws EFOpenError when it cannot be read,
/// EProjectFileError as ParseDpr.
TProjectFile ReadDpr(const String& fileName, TFileSystem& fs = TFileSystem::Real());

}  // namespace mirel
