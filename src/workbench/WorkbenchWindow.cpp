#include "workbench/WorkbenchWindow.h"

#include <QAction>
#include <QCoreApplication>
#include <QDockWidget>
#include <QFileInfo>
#include <QListWidget>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabWidget>

#include "files/FolderIndex.h"
#include "files/Paths.h"
#include "workbench/ChangesPanel.h"
#include "workbench/FileView.h"
#include "workbench/MenuMirror.h"
#include "workbench/ProjectTree.h"
#include "workbench/UndoRuns.h"

namespace mirel {

namespace {

QString Q(const String& s) {
  return QString::fromStdU16String(s);
}

QDockWidget* NewDock(const QString& title, const QString& name, QWidget* contents,
                     QMainWindow* window) {
  auto* dock = new QDockWidget(title, window);
  dock->setObjectName(name);
  dock->setWidget(contents);
  return dock;
}

}  // namespace

TWorkbenchWindow::TWorkbenchWindow(IDialogServices* dialogs, QWidget* parent)
    : QMainWindow(parent) {
  setObjectName(QStringLiteral("workbenchWindow"));
  if (dialogs == nullptr) {
    own_dialogs_ = std::make_unique<TQtDialogServices>();
    dialogs = own_dialogs_.get();
  }
  plugins_ = std::make_unique<TPluginLoader>();
  services_ = std::make_unique<TWorkbenchServices>(*dialogs);
  services_->Install();

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("editorTabs"));
  tabs_->setDocumentMode(true);
  tabs_->setTabsClosable(true);
  connect(tabs_, &QTabWidget::tabCloseRequested, this, [this](int index) {
    QWidget* view = tabs_->widget(index);
    tabs_->removeTab(index);
    view->deleteLater();
  });
  setCentralWidget(tabs_);

  tree_ = new TProjectTree(this);
  connect(tree_, &TProjectTree::FileActivated, this, [this](const QString& file, bool form) {
    if (!OpenFile(file, form))
      services_->MessageBox(this, open_error_, tr("Open File"), QMessageBox::Warning);
  });
  auto* projectDock = NewDock(tr("Project"), "projectPanel", tree_, this);
  addDockWidget(Qt::LeftDockWidgetArea, projectDock);

  messages_ = new QListWidget(this);
  messages_->setObjectName(QStringLiteral("messagesList"));
  auto* messagesDock = NewDock(tr("Messages"), "messagesPanel", messages_, this);
  addDockWidget(Qt::BottomDockWidgetArea, messagesDock);
  changes_ = new TChangesPanel(this);
  changes_dock_ = NewDock(tr("Changes"), "changesPanel", changes_, this);
  addDockWidget(Qt::BottomDockWidgetArea, changes_dock_);
  tabifyDockWidget(messagesDock, changes_dock_);
  messagesDock->raise();
  // The editor gets the room; the panels start at a size that shows a few
  // lines and a file name without clipping.
  resizeDocks({messagesDock}, {170}, Qt::Vertical);
  resizeDocks({projectDock}, {260}, Qt::Horizontal);

  statusBar()->setObjectName(QStringLiteral("statusBar"));
  AddOwnMenuItems();
  mirror_ = std::make_unique<TMenuMirror>(*services_->GetMainMenu(), *menuBar());
  mirror_->SetActivate([this](TMenuItem& item) { RunMenuItem(item); });
  TMainMenu& menu = *services_->GetMainMenu();
  if (QAction* a = mirror_->ActionOf(menu.Items().Find(u"actOpenProject")))
    a->setShortcut(QKeySequence::Open);
  if (QAction* a = mirror_->ActionOf(menu.Items().Find(u"actCloseProject")))
    a->setShortcut(QKeySequence::Close);
  if (QAction* a = mirror_->ActionOf(menu.Items().Find(u"actQuit")))
    a->setShortcut(QKeySequence::Quit);

  services_->OnProjectChanged = [this] { ProjectChanged(); };
  services_->OnEditorShown = [this](const std::shared_ptr<IOTAEditor>& e) { EditorShown(e); };
  services_->OnFileReloaded = [this](const String& file) { FileReloaded(file); };
  ProjectChanged();
  resize(1100, 720);
}

TWorkbenchWindow::~TWorkbenchWindow() {
  // The menu bar's actions point at items of the model: unhook them first.
  mirror_.reset();
  services_->OnProjectChanged = nullptr;
  services_->OnEditorShown = nullptr;
  services_->OnFileReloaded = nullptr;
  plugins_->Terminate();
  services_->ReleaseWizards();
  services_.reset();
  plugins_.reset();
}

void TWorkbenchWindow::AddOwnMenuItems() {
  TMenuItem& file = *services_->GetMainMenu()->Items().Find(u"FileMenu");
  file.Add(std::make_unique<TMenuItem>(u"actOpenProject", u"&Open Project...",
                                       [this](TMenuItem&) { ChooseProject(); }));
  file.Add(std::make_unique<TMenuItem>(u"actCloseProject", u"&Close Project",
                                       [this](TMenuItem&) { CloseProject(); }));
  file.Add(std::make_unique<TMenuItem>(u"FileSeparator1", u"-"));
  file.Add(std::make_unique<TMenuItem>(u"actQuit", u"&Quit", [this](TMenuItem&) { close(); }));
  TMenuItem& help = *services_->GetMainMenu()->Items().Find(u"HelpMenu");
  help.Add(std::make_unique<TMenuItem>(u"actAbout", u"&About mirel-host",
                                       [this](TMenuItem&) { ShowAbout(); }));
}

bool TWorkbenchWindow::OpenProject(const QString& file) {
  if (services_->OpenProject(file.toStdU16String(), true)) {
    AddMessage(tr("Opened project %1").arg(file));
    return true;
  }
  const QString reason = Q(services_->LastError());
  AddMessage(tr("Cannot open the project %1: %2").arg(file, reason));
  services_->MessageBox(this, tr("Cannot open the project \"%1\".\n\n%2").arg(file, reason),
                        tr("Open Project"), QMessageBox::Warning);
  return false;
}

void TWorkbenchWindow::CloseProject() {
  services_->CloseProject();
  // Closed by the user: nothing to give back if it is opened again.
  closed_tabs_.clear();
  closed_project_.clear();
}

void TWorkbenchWindow::ChooseProject() {
  const QString file =
      services_->GetOpenFileName(this, tr("Open Project"), ProjectFolder(),
                                 tr("Delphi projects (*.dpr *.dproj);;All files (*)"));
  if (!file.isEmpty()) OpenProject(file);
}

void TWorkbenchWindow::ShowAbout() {
  const auto folders = PluginFolders(QCoreApplication::applicationDirPath().toStdString(),
                                     qEnvironmentVariable("MIREL_PLUGIN_PATH").toStdString());
  QString text =
      tr("mirel-host: a small project workbench for Delphi projects on disk, "
         "hosting the Mirel migration wizard.\n\nPlugin folders:");
  for (const auto& f : folders) text += QStringLiteral("\n  ") + QString::fromStdString(f);
  text += tr("\n\nPlugins loaded: %1").arg(plugins_->Loaded().size());
  services_->MessageBox(this, text, tr("About mirel-host"), QMessageBox::Information);
}

QString TWorkbenchWindow::ProjectFolder() const {
  const String project = services_->ProjectFileName();
  return project.empty() ? QString() : Q(ExtractDir(project));
}

void TWorkbenchWindow::ProjectChanged() {
  const QString project = Q(services_->ProjectFileName());
  if (!shown_project_.isEmpty()) {
    // Remember the tabs of the project going away.
    closed_project_ = shown_project_;
    closed_tabs_.clear();
    for (int i = 0; i < tabs_->count(); ++i)
      if (auto* v = qobject_cast<TFileView*>(tabs_->widget(i)))
        closed_tabs_.emplace_back(v->File(), v->IsForm());
  }
  while (tabs_->count() > 0) {
    QWidget* view = tabs_->widget(0);
    tabs_->removeTab(0);
    view->deleteLater();
  }
  changes_->Clear();
  shown_project_ = project;
  tree_->Fill(*services_);
  setWindowTitle(project.isEmpty() ? tr("mirel-host")
                                   : tr("%1 - mirel-host").arg(QFileInfo(project).fileName()));
  if (!project.isEmpty() && project == closed_project_) {
    const auto reopen = std::move(closed_tabs_);
    closed_tabs_.clear();
    for (const auto& [file, form] : reopen) OpenFile(file, form);
  }
}

bool TWorkbenchWindow::OpenFile(const QString& file, bool form) {
  if (TFileView* view = ViewOf(file)) {
    tabs_->setCurrentWidget(view);
    return true;
  }
  auto* view = new TFileView(file, form);
  if (!view->Error().isEmpty()) {
    open_error_ = tr("Cannot show %1").arg(view->Error());
    AddMessage(open_error_);
    delete view;
    return false;
  }
  const int index = tabs_->addTab(view, view->Title());
  tabs_->setTabToolTip(index, file);
  tabs_->setCurrentIndex(index);
  return true;
}

TFileView* TWorkbenchWindow::ViewOf(const QString& file) const {
  for (int i = 0; i < tabs_->count(); ++i)
    if (auto* v = qobject_cast<TFileView*>(tabs_->widget(i)); v && v->File() == file) return v;
  return nullptr;
}

TFileView* TWorkbenchWindow::CurrentView() const {
  return qobject_cast<TFileView*>(tabs_->currentWidget());
}

void TWorkbenchWindow::CloseTabOf(const QString& file) {
  if (TFileView* view = ViewOf(file)) {
    tabs_->removeTab(tabs_->indexOf(view));
    view->deleteLater();
  }
}

void TWorkbenchWindow::EditorShown(const std::shared_ptr<IOTAEditor>& editor) {
  const String file = editor->GetFileName();
  if (Supports<IOTASourceEditor>(editor)) {
    OpenFile(Q(file), false);
    // Showing a unit's code hides its form designer.
    if (IsUnitFile(file)) {
      const String form = FindFormFile(file);
      if (!form.empty()) CloseTabOf(Q(form));
    }
  } else {
    OpenFile(Q(file), true);
  }
}

void TWorkbenchWindow::FileReloaded(const String& file) {
  std::vector<QString> files{Q(file)};
  // A unit reloaded after a replace comes with its form, changed alike.
  if (IsUnitFile(file)) {
    const String form = FindFormFile(file);
    if (!form.empty()) files.push_back(Q(form));
  }
  for (const QString& f : files) {
    if (TFileView* view = ViewOf(f)) {
      if (!view->Reload()) AddMessage(tr("Cannot reload %1").arg(view->Error()));
      tabs_->setTabText(tabs_->indexOf(view), view->Title());
    }
  }
}

std::vector<TPluginReport> TWorkbenchWindow::LoadPlugins(const std::vector<std::string>& folders) {
  std::vector<TPluginReport> reports =
      plugins_->LoadFolders(folders, services_.get(), services_->RegisterProc());
  for (const TPluginReport& r : reports) {
    const QString file = QString::fromStdString(r.File);
    AddMessage(r.Loaded
                   ? tr("Loaded plugin %1").arg(file)
                   : tr("Plugin %1 not loaded: %2").arg(file, QString::fromStdString(r.Error)));
  }
  return reports;
}

bool TWorkbenchWindow::ShowChanges(const QString& undoFile) {
  const QString project = Q(services_->ProjectFileName());
  try {
    changes_->ShowRun(undoFile,
                      project.isEmpty() ? QFileInfo(undoFile).path() : QFileInfo(project).path());
  } catch (const std::exception& e) {
    AddMessage(tr("Cannot list the changes: %1").arg(QString::fromUtf8(e.what())));
    return false;
  }
  changes_dock_->show();
  changes_dock_->raise();
  AddMessage(tr("Changes of the run: %1").arg(undoFile));
  return true;
}

void TWorkbenchWindow::AddMessage(const QString& text) {
  messages_->addItem(text);
  messages_->scrollToBottom();
  statusBar()->showMessage(text);
}

void TWorkbenchWindow::RunMenuItem(TMenuItem& item) {
  const QString folder = ProjectFolder();
  const TUndoSnapshot before = folder.isEmpty() ? TUndoSnapshot() : TUndoSnapshot::Take(folder);
  // Copied: the handler may rename the item.
  const QString caption = Q(item.Caption()).remove(QLatin1Char('&'));
  try {
    item.Click();
  } catch (const std::exception& e) {
    const QString what = QString::fromUtf8(e.what());
    AddMessage(tr("%1 failed: %2").arg(caption, what));
    services_->MessageBox(this, what, caption, QMessageBox::Critical);
  } catch (...) {
    AddMessage(tr("%1 failed with an unknown error").arg(caption));
    services_->MessageBox(this, tr("%1 failed with an unknown error.").arg(caption), caption,
                          QMessageBox::Critical);
  }
  // Only a project that stayed where it was can be compared with before.
  if (!folder.isEmpty() && ProjectFolder() == folder) {
    const QString undo = TUndoSnapshot::Take(folder).NewestSince(before);
    if (!undo.isEmpty()) {
      ShowChanges(undo);
      return;
    }
  }
  if (!changes_->UndoFile().isEmpty() && !changes_->Entries().empty() &&
      RunWasUndone(changes_->UndoFile())) {
    AddMessage(tr("The changes of %1 were undone.").arg(changes_->UndoFile()));
    changes_->Clear();
  }
}

}  // namespace mirel
