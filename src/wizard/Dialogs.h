// Where the plugin's modal dialogs, message boxes, pickers and URLs go, and
// the conversions between the engine's text and Qt's.
#pragma once

#include <QString>

#include "rtl/SysUtils.h"
#include "wizard/DialogServices.h"

namespace mirel {

/// The services installed with SetDialogServices; else those the host offers
/// through BorlandIDEServices; else Qt's own. Looked up on every call, so a
/// host installed later is honoured.
IDialogServices& Dialogs();
/// Installs services for tests (borrowed; must outlive the installation);
/// nullptr goes back to the host's or Qt's.
void SetDialogServices(IDialogServices* services);

inline QString Q(StringView s) {
  return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}
inline String S(const QString& s) {
  return s.toStdU16String();
}
inline String S(QStringView s) {
  return String(reinterpret_cast<const char16_t*>(s.utf16()), static_cast<size_t>(s.size()));
}

}  // namespace mirel
