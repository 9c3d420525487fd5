// The workbench's main window (objectName "workbenchWindow"): a small
// project window over TWorkbenchServices that hosts wizard plugins.
//
//  - menu bar: the mirror of the host's main menu model (File, Edit, Project,
//    Tools, Help and whatever plugins add). The window's own commands are
//    items of that model too, so they carry component names like any other:
//    File > "actOpenProject", "actCloseProject", "actQuit"; Help > "actAbout".
//  - "projectPanel" (dock) with the TProjectTree "projectTree";
//  - "editorTabs" (QTabWidget, central) with a TFileView per open file;
//  - "messagesPanel" (dock) with the QListWidget "messagesList": plugin
//    reports and failures, each also shown in the status bar;
//  - "changesPanel" (dock) with the TChangesPanel of the last replace run.
//
// Every message box and file picker goes through the IDialogServices the
// window was given, which is also what plugins find on BorlandIDEServices.
//
// While it exists the window's services are the ones BorlandIDEServices
// points at (one window per process). On destruction the plugins' termination
// callbacks run, then the wizards are released (Destroyed), then the host
// goes; plugin code is never unmapped (see PluginLoader.h).
#pragma once

#include <QMainWindow>
#include <memory>
#include <string>
#include <vector>

#include "workbench/PluginLoader.h"
#include "workbench/WorkbenchServices.h"

class QDockWidget;
class QListWidget;
class QTabWidget;

namespace mirel {

class TChangesPanel;
class TFileView;
class TMenuMirror;
class TProjectTree;

class TWorkbenchWindow : public QMainWindow {
  Q_OBJECT
 public:
  /// dialogs is borrowed and must outlive the window; nullptr: Qt's own
  /// dialogs (TQtDialogServices).
  explicit TWorkbenchWindow(IDialogServices* dialogs = nullptr, QWidget* parent = nullptr);
  ~TWorkbenchWindow() override;

  TWorkbenchServices& Services() { return *services_; }

  /// Opens a .dpr or .dproj file in place of the open project. When it
  /// cannot be opened, says so in a message box naming the file and the
  /// reason, and the open project (if any) stays; then false.
  bool OpenProject(const QString& file);
  /// Closes the project, its tabs and the Changes panel.
  void CloseProject();

  /// Loads every plugin of folders (see TPluginLoader::LoadFolders) and puts
  /// a line per file in the Messages panel.
  std::vector<TPluginReport> LoadPlugins(const std::vector<std::string>& folders);

  /// Opens (or brings to the front) the tab of file: a form view when form.
  /// False, with a line in the Messages panel, when the file cannot be shown.
  bool OpenFile(const QString& file, bool form);
  /// The tab showing file (exact path), or nullptr.
  TFileView* ViewOf(const QString& file) const;
  /// The view of the current tab, or nullptr.
  TFileView* CurrentView() const;

  /// Lists the run of undoFile in the Changes panel and brings it to the
  /// front; false, with a line in the Messages panel, when the undo file
  /// cannot be read.
  bool ShowChanges(const QString& undoFile);
  TChangesPanel& Changes() const { return *changes_; }

  /// Adds a line to the Messages panel and shows it in the status bar.
  void AddMessage(const QString& text);

  /// Runs a menu item's handler as a click of the menu does: an exception
  /// from it is reported (message box and Messages panel), and a replace run
  /// it made shows in the Changes panel (see UndoRuns.h for the rule). When
  /// the run shown was undone meanwhile (a restore), the panel is emptied.
  void RunMenuItem(TMenuItem& item);

 private:
  void AddOwnMenuItems();
  void ProjectChanged();
  void EditorShown(const std::shared_ptr<IOTAEditor>& editor);
  void FileReloaded(const String& file);
  void ChooseProject();
  void ShowAbout();
  QString ProjectFolder() const;
  void CloseTabOf(const QString& file);

  std::unique_ptr<IDialogServices> own_dialogs_;
  // Declared before services_ so that it goes after it: wizards and menu
  // handlers of plugin code are released with the services.
  std::unique_ptr<TPluginLoader> plugins_;
  std::unique_ptr<TWorkbenchServices> services_;
  std::unique_ptr<TMenuMirror> mirror_;

  TProjectTree* tree_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  QListWidget* messages_ = nullptr;
  TChangesPanel* changes_ = nullptr;
  QDockWidget* changes_dock_ = nullptr;

  // The project shown and, across a close, its open tabs, so that a project
  // closed and opened again (as a restore does) gets its tabs back.
  QString shown_project_;
  QString closed_project_;
  std::vector<std::pair<QString, bool>> closed_tabs_;
  // Why the last OpenFile failed.
  QString open_error_;
};

}  // namespace mirel
