// A working plugin: registers a wizard, adds a top-level menu after Tools
// with one item, fills the termination slot, and shows a message through the
// host's dialog seam when its item is clicked. What happened to it is
// readable through mirel_test_plugin_events().
#include <string>

#include "ide/ToolsAPI.h"
#include "wizard/DialogServices.h"

using namespace mirel;

namespace {

std::string& Events() {
  static std::string events;
  return events;
}

class TTestWizard : public IOTAWizard {
 public:
  String GetIDString() override { return u"Mirel.TestWizard"; }
  String GetName() override { return u"Test Wizard"; }
  TWizardState GetState() override { return wsEnabled; }
  void Execute() override {}
  void AfterSave() override {}
  void BeforeSave() override {}
  void Destroyed() override { Events() += "destroyed;"; }
  void Modified() override {}
};

}  // namespace

extern "C" const char* mirel_test_plugin_events() {
  return Events().c_str();
}

extern "C" bool INITWIZARD0001(IBorlandIDEServices* services, TWizardRegisterProc registerProc,
                               TWizardTerminateProc* terminate) {
  Events() += "init;";
  if (!registerProc(std::make_shared<TTestWizard>())) return false;
  auto* nta = InterfaceCast<INTAServices>(services, u"INTAServices");
  auto menu = std::make_unique<TMenuItem>(u"TestPluginMenu", u"Te&st Plugin");
  menu->Add(std::make_unique<TMenuItem>(u"TestPluginItem", u"&Say Hello", [services](TMenuItem&) {
    Events() += "click;";
    if (auto* dialogs = Supports<IDialogServices>(services))
      dialogs->MessageBox(nullptr, QStringLiteral("Hello from the test plugin"),
                          QStringLiteral("Test Plugin"), QMessageBox::Information);
  }));
  nta->AddActionMenu(u"ToolsMenu", std::move(menu), true, false);
  *terminate = [] { Events() += "terminate;"; };
  return true;
}
