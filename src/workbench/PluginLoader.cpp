#include "workbench/PluginLoader.h"

#include <dlfcn.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <set>

namespace mirel {

namespace fs = std::filesystem;

std::vector<std::string> PluginFolders(const std::string& programDir,
                                       const std::string& pluginPath) {
  std::vector<std::string> folders;
  size_t start = 0;
  while (start <= pluginPath.size()) {
    size_t end = pluginPath.find(':', start);
    if (end == std::string::npos) end = pluginPath.size();
    if (end > start) folders.push_back(pluginPath.substr(start, end - start));
    start = end + 1;
  }
  folders.push_back(
      (fs::path(programDir) / ".." / "lib" / "mirel" / "plugins").lexically_normal().string());
  return folders;
}

TPluginLoader::~TPluginLoader() {
  Terminate();
  // With RTLD_NODELETE this only drops our reference; the code stays mapped.
  for (auto it = libraries_.rbegin(); it != libraries_.rend(); ++it) dlclose(it->handle);
}

std::vector<TPluginReport> TPluginLoader::LoadFolders(const std::vector<std::string>& folders,
                                                      IBorlandIDEServices* services,
                                                      const TWizardRegisterProc& registerProc) {
  std::vector<TPluginReport> reports;
  std::set<std::string> names;
  for (const auto& f : loaded_) names.insert(fs::path(f).filename().string());
  for (const std::string& folder : folders) {
    std::error_code ec;
    std::vector<fs::path> files;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      const fs::path& p = it->path();
      if (p.extension() == ".so" && !it->is_directory(ec)) files.push_back(p);
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& p : files) {
      // The first folder that has a name wins, also over a file that failed:
      // a broken override must not silently fall back to another copy.
      if (!names.insert(p.filename().string()).second) continue;
      reports.push_back(LoadFile(p.string(), services, registerProc));
    }
  }
  return reports;
}

TPluginReport TPluginLoader::LoadFile(const std::string& file, IBorlandIDEServices* services,
                                      const TWizardRegisterProc& registerProc) {
  TPluginReport report;
  report.File = file;
  dlerror();
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (handle == nullptr) {
    const char* why = dlerror();
    report.Error = why != nullptr ? why : "cannot be opened as a shared library";
    return report;
  }
  auto init = reinterpret_cast<TWizardInitProc>(dlsym(handle, kWizardEntryPoint));
  if (init == nullptr) {
    report.Error = std::string("not a wizard plugin: it has no entry point ") + kWizardEntryPoint;
    dlclose(handle);
    return report;
  }
  // Kept from here on even when the entry point fails: it may have
  // registered wizards or menu handlers before failing, and their code must
  // stay reachable.
  libraries_.push_back(Library{file, handle, nullptr});
  TWizardTerminateProc terminate;
  try {
    if (!init(services, registerProc, &terminate))
      report.Error = std::string("its entry point ") + kWizardEntryPoint + " answered false";
  } catch (const std::exception& e) {
    report.Error = std::string("its entry point ") + kWizardEntryPoint + " failed: " + e.what();
  } catch (...) {
    report.Error =
        std::string("its entry point ") + kWizardEntryPoint + " failed with an unknown exception";
  }
  libraries_.back().terminate = std::move(terminate);
  report.Loaded = report.Error.empty();
  if (report.Loaded) loaded_.push_back(file);
  return report;
}

void TPluginLoader::Terminate() {
  if (terminated_) return;
  terminated_ = true;
  for (auto it = libraries_.rbegin(); it != libraries_.rend(); ++it) {
    TWizardTerminateProc terminate = std::move(it->terminate);
    it->terminate = nullptr;
    if (!terminate) continue;
    try {
      terminate();
    } catch (...) {
      // A plugin failing on its way out must not keep the others from theirs.
    }
  }
}

}  // namespace mirel
