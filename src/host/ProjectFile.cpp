#include "host/ProjectFile.h"

namespace mirel {

EProjectFileError::EProjectFileError(const String& fileName, int line, const String& what)
    : Exception(fileName + u":" + IntToStr(line) + u": " + what),
      file_name_(fileName),
      line_(line) {}

}  // namespace mirel
