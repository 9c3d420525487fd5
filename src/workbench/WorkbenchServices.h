// The object BorlandIDEServices points at while the workbench runs: the disk
// project host (modules, actions, main menu, wizard registry) plus the modal
// seam IDialogServices, so a plugin finds every service it may ask for with
// Supports<...>(BorlandIDEServices) on one object.
#pragma once

#include "host/DiskProjectHost.h"
#include "wizard/DialogServices.h"

namespace mirel {

class TWorkbenchServices final : public TDiskProjectHost, public IDialogServices {
 public:
  /// dialogs is borrowed and must outlive this object; every IDialogServices
  /// call is forwarded to it.
  explicit TWorkbenchServices(IDialogServices& dialogs) : dialogs_(&dialogs) {}
  /// Releases the wizards while the dialog seam is still whole, since a
  /// wizard's Destroyed may still reach it through BorlandIDEServices.
  ~TWorkbenchServices() override { ReleaseWizards(); }

  IDialogServices& Dialogs() const { return *dialogs_; }

  int ExecDialog(QDialog& dialog) override { return dialogs_->ExecDialog(dialog); }
  void MessageBox(QWidget* parent, const QString& text, const QString& caption,
                  QMessageBox::Icon icon) override {
    dialogs_->MessageBox(parent, text, caption, icon);
  }
  QString GetOpenFileName(QWidget* parent, const QString& caption, const QString& folder,
                          const QString& filter) override {
    return dialogs_->GetOpenFileName(parent, caption, folder, filter);
  }
  QString GetExistingDirectory(QWidget* parent, const QString& caption,
                               const QString& folder) override {
    return dialogs_->GetExistingDirectory(parent, caption, folder);
  }
  bool OpenUrl(const QUrl& url) override { return dialogs_->OpenUrl(url); }

 private:
  IDialogServices* dialogs_;
};

}  // namespace mirel
