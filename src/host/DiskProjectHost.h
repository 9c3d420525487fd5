// A host without a GUI over a Delphi project on disk: the project opened from
// its .dpr or .dproj plays "the project open in the IDE".
//
// What it presents through the host interfaces (ide/ToolsAPI.h):
//  - the open modules: one project group, its one project, and a unit module
//    for every .pas file the project names, in the project's order;
//  - the project's module list: the project file itself first, then (for a
//    .dproj) its main source, then every file the project names, each with
//    its full path. A name missing on disk resolves to the entry that matches
//    it without regard to case (an exact match wins);
//  - per unit a code editor and, when the form file (.dfm, any case) is
//    beside it, a second file editor for the form;
//  - Save answers true while the module is open (the files are on disk
//    already); Close on the group or the project closes the whole project;
//  - OpenProject, ReloadFile (re-reads the editor buffer from disk and
//    reports it through OnFileReloaded and ReloadedFiles), and a main menu
//    with the top-level items File, Edit, Project, Tools and Help.
//
// Every read of the disk (project files, editor buffers, the search for
// files without regard to case) goes through the host's file system, the
// real one unless SetFileSystem gives another.
//
// Usage:
//   TDiskProjectHost host;
//   host.Open(u"/src/app/App.dproj");   // throws on an unreadable or malformed file
//   host.Install();                      // BorlandIDEServices = &host
//   ... TIDEUtils::GetCurrentProjectFileName() ...
// The host resets BorlandIDEServices when it is destroyed while installed.
// Objects it handed out stay safe to call after a close or its destruction;
// they then answer false, 0 or nullptr (file names are kept).
//
// A front end may derive from it to offer more services on the same object,
// and follows what a wizard does through the host interfaces with the On...
// callbacks (a wizard may close and reopen the project, show editors and
// reload files at any time while one of its handlers runs).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "files/FileSystem.h"
#include "ide/ToolsAPI.h"

namespace mirel {

class TDiskProjectHost : public IBorlandIDEServices,
                         public IOTAModuleServices,
                         public IOTAActionServices,
                         public INTAServices {
 public:
  TDiskProjectHost();
  ~TDiskProjectHost() override;
  TDiskProjectHost(const TDiskProjectHost&) = delete;
  TDiskProjectHost& operator=(const TDiskProjectHost&) = delete;

  /// Makes this host the one BorlandIDEServices points at.
  void Install();

  /// The file system the host reads through. Borrowed: it must outlive the
  /// host; set it before the project is opened.
  TFileSystem& FileSystem() const { return *fs_; }
  void SetFileSystem(TFileSystem& fs) { fs_ = &fs; }

  /// Opens a project from a .dpr or .dproj file (extension in any case) in a
  /// new project group, closing the current one. Throws EFOpenError when the
  /// file cannot be read, EProjectFileError (file and line) when it is
  /// malformed, Exception for another extension; the current project then
  /// stays open.
  void Open(const String& fileName);
  /// Closes the project group (nothing when none is open). Always true.
  bool CloseProject();
  /// Called after Open put a project in place and after CloseProject closed
  /// one (also when a wizard closes the group or the project, or opens one
  /// through OpenProject). ProjectFileName() tells which state it is in.
  std::function<void()> OnProjectChanged;
  /// Full file name of the open project; empty when none is open.
  String ProjectFileName() const;

  /// Why the last OpenProject call answered false.
  const String& LastError() const { return last_error_; }
  /// Every file ReloadFile re-read, in order.
  const std::vector<String>& ReloadedFiles() const { return reloaded_; }
  /// Called with the full file name after each successful ReloadFile.
  std::function<void(const String& fileName)> OnFileReloaded;

  /// The editor most recently brought to the front with Show; nullptr when
  /// none was, or its project was closed since.
  std::shared_ptr<IOTAEditor> FrontEditor() const;
  /// Called with the editor after each Show of an editor of the open project.
  std::function<void(const std::shared_ptr<IOTAEditor>& editor)> OnEditorShown;
  /// The buffer of the editor of an open file (the file's bytes as read from
  /// disk when first asked for, or at the last ReloadFile); nullopt when no
  /// open module has that file or it cannot be read.
  std::optional<std::string> EditorBuffer(const String& fileName);

  /// The callback to hand to a wizard entry point. The host holds every
  /// wizard registered through it until ReleaseWizards or its destruction,
  /// and calls each wizard's Destroyed before releasing it.
  TWizardRegisterProc RegisterProc();
  /// Calls Destroyed on every registered wizard, in registration order, and
  /// releases them. A derived host calls it from its own destructor when a
  /// wizard may still use the services the derived part adds.
  void ReleaseWizards();
  const std::vector<std::shared_ptr<IOTAWizard>>& Wizards() const { return wizards_; }

  // IOTAModuleServices
  int GetModuleCount() override;
  std::shared_ptr<IOTAModule> GetModule(int index) override;
  // IOTAActionServices: OpenProject answers false (LastError says why) for
  // an empty name or a file Open rejects; there is only ever one project
  // group, so NewProjGroup makes no difference.
  bool OpenProject(const String& fileName, bool newProjGroup) override;
  bool ReloadFile(const String& fileName) override;
  // INTAServices
  TMainMenu* GetMainMenu() override { return &main_menu_; }
  TMenuItem& AddActionMenu(const String& name, std::unique_ptr<TMenuItem> menuItem,
                           bool insertAfter, bool insertAsChild) override;

  struct Session;  // the objects of the open project

 private:
  TFileSystem* fs_ = &TFileSystem::Real();
  std::shared_ptr<Session> session_;
  TMainMenu main_menu_;
  std::vector<std::shared_ptr<IOTAWizard>> wizards_;
  std::vector<String> reloaded_;
  String last_error_;
};

}  // namespace mirel
