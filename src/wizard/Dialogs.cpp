#include "wizard/Dialogs.h"

namespace mirel {

namespace {
IDialogServices* installed = nullptr;
}

IDialogServices& Dialogs() {
  if (installed != nullptr) return *installed;
  if (auto* host = Supports<IDialogServices>(BorlandIDEServices)) return *host;
  static TQtDialogServices qt;
  return qt;
}

void SetDialogServices(IDialogServices* services) {
  installed = services;
}

}  // namespace mirel
