// Dialog services that a test answers: message boxes are recorded, pickers
// and modal dialogs take their answers from queues. Nothing ever waits for a
// person: a modal dialog or picker without a queued answer fails the test and
// is cancelled.
#pragma once

#include <gtest/gtest.h>

#include <QDialog>
#include <QUrl>
#include <deque>
#include <functional>
#include <vector>

#include "wizard/DialogServices.h"

namespace mirel::testing {

struct ShownMessage {
  QString text;
  QString caption;
  QMessageBox::Icon icon;
};

class ScriptedDialogs : public IDialogServices {
 public:
  /// Acts on a shown dialog (click, type) and returns the result exec()
  /// would have returned; the dialog's own result() when it closed itself.
  using DialogScript = std::function<int(QDialog&)>;

  std::vector<ShownMessage> messages;
  std::deque<QString> openFiles;    // answers of GetOpenFileName ("" = cancel)
  std::deque<QString> directories;  // answers of GetExistingDirectory
  std::deque<DialogScript> dialogs;
  std::vector<QUrl> urls;
  std::vector<QString> pickerFolders;  // the folder each picker opened in
  std::vector<QString> pickerCaptions;
  std::vector<QString> pickerFilters;

  int ExecDialog(QDialog& dialog) override {
    if (dialogs.empty()) {
      ADD_FAILURE() << "unexpected modal dialog " << dialog.objectName().toStdString();
      return QDialog::Rejected;
    }
    DialogScript script = std::move(dialogs.front());
    dialogs.pop_front();
    dialog.setModal(false);
    dialog.show();
    const int result = script(dialog);
    dialog.hide();
    return result;
  }
  void MessageBox(QWidget*, const QString& text, const QString& caption,
                  QMessageBox::Icon icon) override {
    messages.push_back({text, caption, icon});
  }
  QString GetOpenFileName(QWidget*, const QString& caption, const QString& folder,
                          const QString& filter) override {
    pickerCaptions.push_back(caption);
    pickerFolders.push_back(folder);
    pickerFilters.push_back(filter);
    return Next(openFiles, "file picker");
  }
  QString GetExistingDirectory(QWidget*, const QString& caption, const QString& folder) override {
    pickerCaptions.push_back(caption);
    pickerFolders.push_back(folder);
    return Next(directories, "folder picker");
  }
  bool OpenUrl(const QUrl& url) override {
    urls.push_back(url);
    return true;
  }

 private:
  static QString Next(std::deque<QString>& answers, const char* what) {
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected " << what;
      return QString();
    }
    QString answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

}  // namespace mirel::testing
