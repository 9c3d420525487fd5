// The modal seam of the GUI: every modal dialog, message box, file or folder
// picker and URL opened by the wizard plugin or the workbench goes through an
// IDialogServices, so that a test can answer it instead of a person.
//
// A host offers it as one more service of the object BorlandIDEServices
// points at (reached with Supports<IDialogServices>); the plugin uses the
// host's when there is one and TQtDialogServices otherwise. Tests that link
// the dialogs directly install their own with SetDialogServices (see
// wizard/Dialogs.h). The header is shared by the plugin and the workbench and
// holds no state, so both may include it.
//
// Every call happens on the GUI thread and returns only when the user (or a
// test) has answered.
#pragma once

#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QString>
#include <QUrl>

#include "ide/ToolsAPI.h"

namespace mirel {

class IDialogServices : public virtual IInterface {
 public:
  /// Shows dialog modally and returns its result (QDialog::Accepted or
  /// Rejected, or a QDialogButtonBox role a dialog chose with done()).
  virtual int ExecDialog(QDialog& dialog) = 0;
  /// An OK-only message box with caption and icon; returns when dismissed.
  virtual void MessageBox(QWidget* parent, const QString& text, const QString& caption,
                          QMessageBox::Icon icon) = 0;
  /// A file to open: its full path, or empty when cancelled. filter uses
  /// Qt's ";;" separated form; the file must exist.
  virtual QString GetOpenFileName(QWidget* parent, const QString& caption, const QString& folder,
                                  const QString& filter) = 0;
  /// An existing folder, or empty when cancelled.
  virtual QString GetExistingDirectory(QWidget* parent, const QString& caption,
                                       const QString& folder) = 0;
  /// Hands a URL (mailto:, file:) to the desktop; false when nothing took it.
  virtual bool OpenUrl(const QUrl& url) = 0;
};

/// The real thing: Qt's own modal dialogs and the desktop's URL handlers.
class TQtDialogServices : public IDialogServices {
 public:
  int ExecDialog(QDialog& dialog) override { return dialog.exec(); }
  void MessageBox(QWidget* parent, const QString& text, const QString& caption,
                  QMessageBox::Icon icon) override {
    QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.exec();
  }
  QString GetOpenFileName(QWidget* parent, const QString& caption, const QString& folder,
                          const QString& filter) override {
    return QFileDialog::getOpenFileName(parent, caption, folder, filter, nullptr,
                                        QFileDialog::ReadOnly);
  }
  QString GetExistingDirectory(QWidget* parent, const QString& caption,
                               const QString& folder) override {
    return QFileDialog::getExistingDirectory(parent, caption, folder);
  }
  bool OpenUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }
};

}  // namespace mirel
