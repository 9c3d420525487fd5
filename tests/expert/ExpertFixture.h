// A copy of the example project open in a host, the profiles loaded, and a
// wizard dialog that a test walks through as a user would.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "support/HostTestFiles.h"
#include "support/ScriptedDialogs.h"
#include "wizard/KyWizard.h"
#include "wizard/SaveWarn.h"

namespace mirel::testing {

inline std::string ReadBytes(const String& file) {
  std::ifstream in(ToUtf8(file), std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

inline void ClickButton(QDialog& d, const char* name) {
  auto* b = d.findChild<QAbstractButton*>(QString::fromLatin1(name));
  ASSERT_TRUE(b != nullptr) << name;
  const bool mark = qobject_cast<QCheckBox*>(b) || qobject_cast<QRadioButton*>(b);
  QTest::mouseClick(b, Qt::LeftButton, {}, mark ? QPoint(6, b->height() / 2) : b->rect().center());
}

/// Steps through the wizard; each step a control to click, or "type:NAME=TEXT".
inline ScriptedDialogs::DialogScript Walk(std::vector<std::string> steps) {
  return [steps](QDialog& d) {
    for (const std::string& step : steps) {
      if (step.rfind("type:", 0) == 0) {
        const size_t eq = step.find('=');
        const QString name = QString::fromStdString(step.substr(5, eq - 5));
        const QString text = QString::fromStdString(step.substr(eq + 1));
        QWidget* w = d.findChild<QWidget*>(name);
        EXPECT_TRUE(w != nullptr) << step;
        if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->setText(text);
        if (auto* box = qobject_cast<QComboBox*>(w)) box->setEditText(text);
      } else {
        ClickButton(d, step.c_str());
      }
    }
    return d.result();
  };
}

/// Answers the confirmation dialog with Yes or No.
inline ScriptedDialogs::DialogScript Confirm(bool yes, std::string* warnText = nullptr) {
  return [yes, warnText](QDialog& d) {
    auto& form = static_cast<TSaveWarnForm&>(d);
    if (warnText != nullptr) *warnText = form.lblWarn->text().toStdString();
    QTest::mouseClick(yes ? form.OKBtn : form.CancelBtn, Qt::LeftButton);
    return form.result();
  };
}

/// The files of a folder (recursively) as "rel=bytes" lines, for comparing trees.
inline std::map<std::string, std::string> Tree(const String& folder) {
  std::map<std::string, std::string> files;
  const std::filesystem::path root(ToUtf8(folder));
  for (const auto& e : std::filesystem::recursive_directory_iterator(root))
    if (e.is_regular_file())
      files[std::filesystem::relative(e.path(), root).string()] =
          ReadBytes(FromUtf8(e.path().string()));
  return files;
}

}  // namespace mirel::testing
