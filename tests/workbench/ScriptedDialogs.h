// An IDialogServices for tests: records every message box, answers pickers
// and dialogs from queues, and fails the test (answering "cancelled")
// instead of waiting for a person when nothing was queued.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "wizard/DialogServices.h"

namespace mirel::test {

class TScriptedDialogs : public IDialogServices {
 public:
  struct Message {
    std::string Caption, Text;
    QMessageBox::Icon Icon;
  };
  struct Picker {
    std::string Caption, Folder, Filter;
  };

  std::vector<Message> Messages;
  std::vector<Picker> Pickers;  // every file or folder picker asked
  std::deque<QString> FileAnswers, FolderAnswers;
  std::deque<int> DialogAnswers;

  int ExecDialog(QDialog& dialog) override {
    if (DialogAnswers.empty()) {
      ADD_FAILURE() << "unexpected modal dialog " << dialog.objectName().toStdString();
      return QDialog::Rejected;
    }
    const int answer = DialogAnswers.front();
    DialogAnswers.pop_front();
    return answer;
  }
  void MessageBox(QWidget*, const QString& text, const QString& caption,
                  QMessageBox::Icon icon) override {
    Messages.push_back({caption.toStdString(), text.toStdString(), icon});
  }
  QString GetOpenFileName(QWidget*, const QString& caption, const QString& folder,
                          const QString& filter) override {
    return Answer(FileAnswers, caption, folder, filter);
  }
  QString GetExistingDirectory(QWidget*, const QString& caption, const QString& folder) override {
    return Answer(FolderAnswers, caption, folder, QString());
  }
  bool OpenUrl(const QUrl& url) override {
    ADD_FAILURE() << "unexpected URL " << url.toString().toStdString();
    return false;
  }

 private:
  QString Answer(std::deque<QString>& answers, const QString& caption, const QString& folder,
                 const QString& filter) {
    Pickers.push_back({caption.toStdString(), folder.toStdString(), filter.toStdString()});
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected picker " << caption.toStdString();
      return QString();
    }
    const QString answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

}  // namespace mirel::test
