// Loading wizard plugins: shared libraries that export the entry point
// kWizardEntryPoint (ide/ToolsAPI.h).
//
// Where plugins are looked for (PluginFolders): every folder of the
// environment variable MIREL_PLUGIN_PATH (colon separated, in order), then
// "<folder of the program>/../lib/mirel/plugins". Every "*.so" file of a
// folder is tried, in name order; a file name already loaded from an earlier
// folder is skipped, so a folder on MIREL_PLUGIN_PATH overrides the installed
// plugin of the same name.
//
// Libraries are opened with RTLD_NODELETE: the code of a plugin stays mapped
// until the process ends, whatever the loader does. Qt and the host may still
// hold objects, callbacks or static destructors of a plugin long after its
// wizards are gone, and unmapping code that is still referenced would crash
// at exit; a workbench loads a handful of plugins once, so nothing is lost.
#pragma once

#include <string>
#include <vector>

#include "ide/ToolsAPI.h"

namespace mirel {

/// What became of one file that was tried.
struct TPluginReport {
  std::string File;  // full path
  bool Loaded = false;
  /// Why the file is not a working plugin (the loader's or the plugin's own
  /// words); empty when Loaded.
  std::string Error;
};

/// The folders plugins are looked for in, in order: those of pluginPath
/// (the value of MIREL_PLUGIN_PATH; empty parts are ignored), then
/// programDir + "/../lib/mirel/plugins" (normalised).
std::vector<std::string> PluginFolders(const std::string& programDir,
                                       const std::string& pluginPath);

class TPluginLoader {
 public:
  TPluginLoader() = default;
  /// Calls Terminate when it was not called, then drops the loader's
  /// references to the libraries (which stay mapped, see above).
  ~TPluginLoader();
  TPluginLoader(const TPluginLoader&) = delete;
  TPluginLoader& operator=(const TPluginLoader&) = delete;

  /// Tries every "*.so" of each folder (a missing folder is skipped): opens
  /// it, resolves the entry point and calls it with services and
  /// registerProc. services must outlive the wizards the plugins register.
  /// One report per file tried; never throws: a file that does not open, has
  /// no entry point, answers false or throws is reported and the next one
  /// tried.
  std::vector<TPluginReport> LoadFolders(const std::vector<std::string>& folders,
                                         IBorlandIDEServices* services,
                                         const TWizardRegisterProc& registerProc);
  /// The same for one file.
  TPluginReport LoadFile(const std::string& file, IBorlandIDEServices* services,
                         const TWizardRegisterProc& registerProc);

  /// Calls the termination callback each loaded plugin filled, in reverse
  /// load order, once; an exception from one is swallowed so the others
  /// still run. Call it before the host releases the wizards.
  void Terminate();

  /// Full paths of the plugins loaded, in load order.
  const std::vector<std::string>& Loaded() const { return loaded_; }

 private:
  struct Library {
    std::string file;
    void* handle = nullptr;
    TWizardTerminateProc terminate;
  };
  std::vector<Library> libraries_;
  std::vector<std::string> loaded_;
  bool terminated_ = false;
};

}  // namespace mirel
