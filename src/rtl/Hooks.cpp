#include "rtl/Hooks.h"

namespace mirel {

namespace {
TWaitIndicator* g_wait = nullptr;
TShellOpener* g_opener = nullptr;
}  // namespace

void SetWaitIndicator(TWaitIndicator* indicator) {
  g_wait = indicator;
}
void SetShellOpener(TShellOpener* opener) {
  g_opener = opener;
}

TWaitIndicator& WaitIndicator() {
  static TWaitIndicator none;
  return g_wait ? *g_wait : none;
}

TShellOpener& ShellOpener() {
  static TShellOpener none;
  return g_opener ? *g_opener : none;
}

void StartWait() {
  WaitIndicator().Start();
}
void StopWait() {
  WaitIndicator().Stop();
}

}  // namespace mirel
