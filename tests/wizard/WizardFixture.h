// A wizard dialog shown as the expert shows it, over a project on disk that a
// test writes, with dialog services the test answers.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>
#include <initializer_list>
#include <memory>
#include <string>

#include "host/DiskProjectHost.h"
#include "replace/ReplaceOptions.h"
#include "support/HostTestFiles.h"
#include "support/ScriptedDialogs.h"
#include "wizard/Dialogs.h"
#include "wizard/KyWizard.h"

namespace mirel::testing {

class WizardTest : public ::testing::Test {
 protected:
  TempProjectDir dir;
  TDiskProjectHost host;
  TReplaceOptions options{u"BDE/ADO"};
  TMemIniFile store;
  ScriptedDialogs dialogs;
  std::unique_ptr<TWizardForm> form;
  const String section = u"BDE/ADO Migration Wizard";

  void SetUp() override { SetDialogServices(&dialogs); }
  void TearDown() override {
    form.reset();
    SetDialogServices(nullptr);
    EXPECT_TRUE(dialogs.dialogs.empty()) << "a queued dialog answer was never used";
  }

  /// Writes a project App.dpr naming the given unit files (relative paths)
  /// and opens it in the host.
  String OpenProject(std::initializer_list<std::string> units) {
    std::string dpr = "program App;\n\nuses\n  Forms";
    for (const std::string& unit : units) {
      std::string name = unit.substr(unit.find_last_of('/') + 1);
      name = name.substr(0, name.find('.'));
      dpr += ",\n  " + name + " in '" + unit + "'";
      dir.Write(unit, "unit " + name + ";\n\ninterface\n\nimplementation\n\nend.\n");
    }
    dpr += ";\n\nbegin\nend.\n";
    const String file = dir.Write("App.dpr", dpr);
    host.Open(file);
    host.Install();
    return file;
  }

  /// Creates and shows the dialog as the expert does before showing it.
  template <class Form = TKyWizardForm>
  Form& Show(TCustomIniFile* ini = nullptr) {
    auto created = std::make_unique<Form>();
    Form& f = *created;
    form = std::move(created);
    f.SetProductName(QStringLiteral("Mirel"));
    f.SetOptions(&options);
    f.SetWelcomeText(QStringLiteral("BDE/ADO"), QStringLiteral("Mirel"));
    f.rbModeReplace->setText(QStringLiteral("&Replace BDE/ADO components"));
    f.LoadSettings(ini != nullptr ? *ini : store, section);
    f.show();
    return f;
  }

  template <class W = QWidget>
  W* Get(const char* name) {
    W* w = form->findChild<W*>(QString::fromLatin1(name));
    if (w == nullptr) ADD_FAILURE() << "no control " << name;
    return w;
  }
  void Click(const char* name) {
    auto* button = Get<QAbstractButton>(name);
    ASSERT_TRUE(button != nullptr);
    // Check boxes and radio buttons react to a click on their mark or text,
    // not on the empty rest of a row they are stretched over.
    const bool mark = qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button);
    QTest::mouseClick(button, Qt::LeftButton, {},
                      mark ? QPoint(6, button->height() / 2) : button->rect().center());
  }
  void Next() { Click("btNext"); }
  void Back() { Click("btPrev"); }
  /// Replaces the text of a line edit or editable combo box as typed.
  void Type(const char* name, const QString& text) {
    QWidget* w = Get(name);
    ASSERT_TRUE(w != nullptr);
    QLineEdit* edit = qobject_cast<QLineEdit*>(w);
    if (edit == nullptr) edit = qobject_cast<QComboBox*>(w)->lineEdit();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
  }
  std::string Page() { return form->PageControl->currentWidget()->objectName().toStdString(); }
  std::string Caption() { return form->windowTitle().toStdString(); }
  std::string Summary() { return form->lSummary->text().toStdString(); }
  bool Enabled(const char* name) { return Get(name)->isEnabled(); }
  /// The unit list as "name+" (checked) / "name-" entries, joined by blanks.
  std::string Units() {
    std::string r;
    for (int i = 0; i < form->lbModules->count(); ++i) {
      const QListWidgetItem* item = form->lbModules->item(i);
      if (!r.empty()) r += ' ';
      r += item->text().toStdString() + (item->checkState() == Qt::Checked ? "+" : "-");
    }
    return r;
  }
  void SetUnitChecked(int row, bool checked) {
    form->lbModules->item(row)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
  }
  String Path(const char* rel) { return dir / rel; }
  QString QPath(const char* rel) { return Q(dir / rel); }
};

}  // namespace mirel::testing
