// The plugin's one exported symbol: the entry point the host calls after
// loading libmirel-wizard.so. Everything else in the plugin is hidden (see
// the version script beside this file), so the plugin's copy of the engine
// never meets the host's.
#include <QApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

#include "replace/KyReplacer.h"
#include "rtl/Hooks.h"
#include "wizard/Dialogs.h"
#include "wizard/KyWizard.h"
#include "wizard/ReplaceExpert.h"

namespace mirel {
namespace {

// While a run blocks the host, the mouse shows it is busy.
class TWaitCursor : public TWaitIndicator {
 public:
  void Start() override { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  void Stop() override { QGuiApplication::restoreOverrideCursor(); }
};

// The log is opened with whatever the desktop uses for text files.
class TDesktopOpener : public TShellOpener {
 public:
  bool Open(StringView path) override { return Dialogs().OpenUrl(QUrl::fromLocalFile(Q(path))); }
};

// What the plugin sets up once per load and tears down when it is unloaded:
// the migration profiles and the front-end hooks of its copy of the engine.
struct TPluginUnits {
  TProfilesScope profiles;
  TWaitCursor wait;
  TDesktopOpener opener;
  TPluginUnits() {
    SetWaitIndicator(&wait);
    SetShellOpener(&opener);
  }
  ~TPluginUnits() {
    SetWaitIndicator(nullptr);
    SetShellOpener(nullptr);
  }
};

TPluginUnits& PluginUnits() {
  static TPluginUnits units;
  return units;
}

}  // namespace
}  // namespace mirel

extern "C" __attribute__((visibility("default"))) bool INITWIZARD0001(
    mirel::IBorlandIDEServices* services, mirel::TWizardRegisterProc registerProc,
    mirel::TWizardTerminateProc* terminate) {
  using namespace mirel;
  try {
    PluginUnits();
    if (BorlandIDEServices == nullptr) BorlandIDEServices = services;
    auto expert = TCompReplaceExpert::Create(
        [](QWidget* owner) -> std::unique_ptr<TWizardForm> {
          return std::make_unique<TKyWizardForm>(owner);
        },
        u"&Mirel", Menu, BdeReplacer());
    ExpertInstance = expert.get();
    expert->AddReplacer(AdoReplacer());
    registerProc(expert);
    // The services belong to the host that loaded us. When it terminates,
    // forget them, so that a later host in the same process (the plugin
    // stays loaded) hands in its own instead of this one being kept.
    if (terminate != nullptr) {
      *terminate = [] {
        BorlandIDEServices = nullptr;
        ExpertInstance = nullptr;
      };
    }
  } catch (const std::exception& e) {
    // The host's application shows what went wrong; the load itself counts
    // as done.
    Dialogs().MessageBox(QApplication::activeWindow(), QString::fromUtf8(e.what()),
                         QApplication::applicationDisplayName(), QMessageBox::Critical);
  }
  return true;
}
