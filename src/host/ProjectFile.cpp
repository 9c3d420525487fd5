#include "host/ProjectFile.h"

namespace mirel {

EProjectFileError::EProjectFileError(const String& fileName, int line, const String& what)
    : Exception(fileName + u":" + IntToStr(line) + u": " + what),
      file_name_(fileName),
      line_(line) {}

bool IsWindowsDrivePath(StringView path) {
  if (path.size() < 2 || path[1] != u':') return false;
  const char16_t letter = AsciiLower(path[0]);
  return letter >= u'a' && letter <= u'z';
}

}  // namespace mirel
