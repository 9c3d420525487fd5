// A plugin whose entry point declines to start.
#include "ide/ToolsAPI.h"

extern "C" bool INITWIZARD0001(mirel::IBorlandIDEServices*, mirel::TWizardRegisterProc,
                               mirel::TWizardTerminateProc*) {
  return false;
}
