// TIDEUtils: the plain operations on the current project that the rest of the
// program uses instead of the host interfaces (see ide/ToolsAPI.h).
//
// The current project is the active project of the first open module that is
// a project group. Nothing is cached: every operation looks it up again, so
// it always reflects the host's present state.
#pragma once

#include <memory>

#include "ide/ToolsAPI.h"
#include "rtl/Menus.h"

namespace mirel {

class TIDEUtils {
 public:
  TIDEUtils() = delete;

  /// The host's module services. Throws EIntfCastError when BorlandIDEServices
  /// is not assigned or does not offer them. Valid as long as the host.
  static IOTAModuleServices& GetModuleServices();
  /// The host's action services; fails like GetModuleServices.
  static IOTAActionServices& GetActionServices();

  /// The first open module that is a project group; nullptr when there is
  /// none or BorlandIDEServices is not assigned.
  static std::shared_ptr<IOTAProjectGroup> GetCurrentProjectGroup();
  /// The current group's active project, or nullptr.
  static std::shared_ptr<IOTAProject> GetCurrentProject();
  /// The current project's file name; empty when there is no project.
  static String GetCurrentProjectFileName();
  /// Saves the current project (changeName false, forceSave true); false when
  /// there is no project or the host did not save it.
  static bool SaveCurrentProject();
  /// Closes the current project group; true when there is none.
  static bool CloseProjectGroup();
  /// Entries in the current project's module list; 0 without a project.
  static int GetProjectModuleCount();
  /// File name of entry index of the current project's module list; empty
  /// without a project, for an index outside the list, or for an entry the
  /// host leaves unnamed.
  static String GetProjectModuleFileName(int index);
  /// Asks the host to re-read an open file from disk; the host's answer.
  /// Throws like GetActionServices.
  static bool ReloadModuleFile(const String& fileName);
  /// Asks the host to open a project in a new project group; the host's
  /// answer. Throws like GetActionServices.
  static bool OpenProjectFile(const String& fileName);

  /// Puts a wizard item named itemName with caption and onClick under the
  /// product's top-level menu item described by menu, creating that item just
  /// before the last top-level item when it is missing. When an item named
  /// itemName is already under the product item (the wizard was loaded
  /// before), that item gets the new caption and handler instead of a
  /// duplicate being added. Throws EIntfCastError when the host offers no
  /// INTAServices.
  static void AddMenuItem(const TProductMenu& menu, const String& caption, const String& itemName,
                          TNotifyEvent onClick);
};

}  // namespace mirel
