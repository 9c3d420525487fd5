// What the workbench shows of a file: units and text forms decoded as the
// host decodes project sources, binary forms converted to form text.
#pragma once

#include <QString>

namespace mirel {

struct TViewText {
  QString Text;
  /// The file is a binary form and Text its converted form text.
  bool BinaryForm = false;
  /// Why the file could not be shown (then Text is empty): it cannot be
  /// read, or it is a damaged binary form. Names the file.
  QString Error;
};

/// Reads file for viewing; never throws.
TViewText ReadViewText(const QString& file);

}  // namespace mirel
