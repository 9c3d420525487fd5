#include "host/HostFiles.h"

namespace mirel::diskhost {

std::string ReadFileBytes(const String& fileName, TFileSystem& fs) {
  std::string bytes;
  const TFsResult r = fs.ReadFile(fileName, bytes);
  if (!r) throw EFOpenError(u"Cannot open file \"" + fileName + u"\". " + r.Message());
  return bytes;
}

}  // namespace mirel::diskhost
