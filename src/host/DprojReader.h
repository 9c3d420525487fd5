// Reads the units of an MSBuild project of the Delphi IDE (.dproj): every
// DCCReference item (its Include path and its Form) and the MainSource
// property, with libxml2. Conditions on items are not evaluated: every
// reference is listed.
#pragma once

#include <string_view>

#include "files/FileSystem.h"
#include "host/ProjectFile.h"

namespace mirel {

/// Parses the XML bytes; fileName only names the file in errors. Throws
/// EProjectFileError with the line of the fault when the XML is not well
/// formed, the root element is not <Project>, or a DCCReference has no
/// Include. The document is read without network access or entity expansion.
TProjectFile ParseDproj(std::string_view xml, const String& fileName);

/// Reads (through fs) and parses a .dproj file. Throws EFOpenError when it cannot be read,
/// EProjectFileError as ParseDproj.
TProjectFile ReadDproj(const String& fileName, TFileSystem& fs = TFileSystem::Real());

}  // namespace mirel
