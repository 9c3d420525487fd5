// What the disk host reads from a project file (.dpr or .dproj), and the
// error it raises for a file it cannot make sense of.
#pragma once

#include <vector>

#include "rtl/SysUtils.h"

namespace mirel {

/// A project file that is not well formed. The message reads
/// "<file>:<line>: <what is wrong>".
class EProjectFileError : public Exception {
 public:
  EProjectFileError(const String& fileName, int line, const String& what);
  const String& FileName() const { return file_name_; }
  int Line() const { return line_; }

 private:
  String file_name_;
  int line_;
};

/// One source file the project names.
struct TProjectUnit {
  String UnitName;  // "Main", "Vcl.Data.Main"
  String Path;      // as written, with '/' for '\'; relative to the project folder or absolute,
                    // or on a Windows drive (IsWindowsDrivePath in files/Paths.h)
  String FormName;  // "MainForm" from {MainForm} or <Form>; may be empty
  int Line = 0;     // where the entry stands in the project file
};

struct TProjectFile {
  /// The main source of a .dproj (its <MainSource>, '/' separators); empty for a .dpr.
  String MainSource;
  /// In the order of the file. Entries under every branch of a conditional
  /// directive are all listed.
  std::vector<TProjectUnit> Units;
};

}  // namespace mirel
