#include "replace/FileNames.h"

namespace mirel {

namespace {

size_t NameStart(StringView path) {
  const size_t slash = path.rfind(u'/');
  return slash == StringView::npos ? 0 : slash + 1;
}

// Index of the extension's dot in path, or npos.
size_t ExtDot(StringView path) {
  const size_t start = NameStart(path);
  const size_t dot = path.rfind(u'.');
  return dot == StringView::npos || dot < start ? StringView::npos : dot;
}

}  // namespace

String ExtractFilePath(StringView path) {
  return String(path.substr(0, NameStart(path)));
}

String ExtractFileName(StringView path) {
  return String(path.substr(NameStart(path)));
}

String ExtractFileExt(StringView path) {
  const size_t dot = ExtDot(path);
  return dot == StringView::npos ? String() : String(path.substr(dot));
}

String ChangeFileExt(StringView path, StringView ext) {
  const size_t dot = ExtDot(path);
  return String(path.substr(0, dot == StringView::npos ? path.size() : dot)) + String(ext);
}

}  // namespace mirel
