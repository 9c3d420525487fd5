// A plugin whose entry point throws instead of answering.
#include <stdexcept>

#include "ide/ToolsAPI.h"

extern "C" bool INITWIZARD0001(mirel::IBorlandIDEServices*, mirel::TWizardRegisterProc,
                               mirel::TWizardTerminateProc*) {
  throw std::runtime_error("the plugin's configuration is missing");
}
