#include "workbench/ViewText.h"

#include "host/HostFiles.h"
#include "rtl/FormConvert.h"
#include "rtl/TextFile.h"

namespace mirel {

TViewText ReadViewText(const QString& file) {
  TViewText view;
  try {
    const std::string bytes = diskhost::ReadFileBytes(file.toStdU16String());
    // By content rather than by name: a backup "Main.~dfm" is a form too.
    if (IsBinaryForm(bytes)) {
      TBinaryFormKind kind;
      view.Text = QString::fromStdU16String(BinaryFormToText(bytes, kind));
      view.BinaryForm = true;
    } else {
      view.Text = QString::fromStdU16String(ReadTextFile(bytes, TUnmarkedText::DetectUtf8).Text);
    }
  } catch (const std::exception& e) {
    view.Text.clear();
    view.Error = file + QStringLiteral(": ") + QString::fromUtf8(e.what());
  }
  return view;
}

}  // namespace mirel
