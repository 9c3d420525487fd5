// One editor tab of the workbench: a read-only view of a unit (objectName
// "codeView") or of a form file as text (objectName "formView"). A binary
// form is converted to text and gets a banner ("binaryBanner") saying so.
#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;

namespace mirel {

class TFileView : public QWidget {
  Q_OBJECT
 public:
  /// Shows file (a full path); form chooses the form view. Check Error()
  /// afterwards: a file that cannot be shown leaves the view empty.
  TFileView(const QString& file, bool form, QWidget* parent = nullptr);

  const QString& File() const { return file_; }
  bool IsForm() const { return form_; }
  bool IsBinaryForm() const { return binary_; }
  /// Why the file could not be shown at the last (re)load; empty when it was.
  const QString& Error() const { return error_; }
  /// The text shown.
  QString Text() const;
  /// The tab title: the file name, "[binary]" after it for a binary form.
  QString Title() const;

  /// Reads the file again, keeping the scroll position; false (and Error
  /// set, the old text kept) when it cannot be shown.
  bool Reload();

 private:
  QString file_;
  bool form_;
  bool binary_ = false;
  QString error_;
  QLabel* banner_;
  QPlainTextEdit* text_;
};

}  // namespace mirel
