#include "host/DiskProjectHost.h"

#include <algorithm>
#include <unordered_set>

#include "files/FolderIndex.h"
#include "files/Paths.h"
#include "host/DprReader.h"
#include "host/DprojReader.h"
#include "host/HostFiles.h"

namespace mirel {

using diskhost::ReadFileBytes;

namespace {

class DiskUnit;
class DiskProject;
class DiskProjectGroup;

// An editor's file and its buffer, filled from disk when first read.
template <class Interface>
class DiskEditor final : public Interface,
                         public std::enable_shared_from_this<DiskEditor<Interface>> {
 public:
  DiskEditor(std::weak_ptr<TDiskProjectHost::Session> session, String file)
      : session_(std::move(session)), file_(std::move(file)) {}

  String GetFileName() override { return file_; }
  void Show() override;

  std::optional<std::string> Buffer(TFileSystem& fs) {
    if (!buffer_) Reload(fs);
    return buffer_;
  }
  /// Keeps the old buffer when the file cannot be read.
  bool Reload(TFileSystem& fs) {
    try {
      buffer_ = ReadFileBytes(file_, fs);
      return true;
    } catch (const EFOpenError&) {
      return false;
    }
  }

 private:
  std::weak_ptr<TDiskProjectHost::Session> session_;
  String file_;
  std::optional<std::string> buffer_;
};

using CodeEditor = DiskEditor<IOTASourceEditor>;
using FormEditor = DiskEditor<IOTAEditor>;

class DiskModuleInfo final : public IOTAModuleInfo {
 public:
  explicit DiskModuleInfo(String file) : file_(std::move(file)) {}
  String GetFileName() override { return file_; }

 private:
  String file_;
};

}  // namespace

struct TDiskProjectHost::Session {
  TDiskProjectHost* host = nullptr;
  std::shared_ptr<DiskProjectGroup> group;
  std::shared_ptr<DiskProject> project;
  std::vector<std::shared_ptr<DiskUnit>> units;  // the open unit modules
  std::shared_ptr<IOTAEditor> front;
};

namespace {

using Session = TDiskProjectHost::Session;

template <class Interface>
void DiskEditor<Interface>::Show() {
  auto s = session_.lock();
  if (!s) return;
  std::shared_ptr<IOTAEditor> self = this->shared_from_this();
  s->front = self;
  // A handler may close the project; self and s keep what it uses alive.
  if (s->host->OnEditorShown) s->host->OnEditorShown(self);
}

class DiskUnit final : public IOTAModule {
 public:
  DiskUnit(std::weak_ptr<Session> session, String file, std::shared_ptr<IOTAProject> owner,
           TFileSystem& fs, TFolderIndex* index)
      : session_(std::move(session)), file_(std::move(file)), owner_(std::move(owner)) {
    code_ = std::make_shared<CodeEditor>(session_, file_);
    FindForm(fs, index);
  }

  String GetFileName() override { return file_; }
  bool Save(bool, bool) override { return Open() != nullptr; }
  bool Close() override {
    if (auto s = Open()) {
      if (s->front == code_ || (form_ && s->front == form_)) s->front = nullptr;
      std::erase_if(s->units, [this](const auto& u) { return u.get() == this; });
    }
    return true;
  }
  int GetModuleFileCount() override { return Open() ? (form_ ? 2 : 1) : 0; }
  std::shared_ptr<IOTAEditor> GetModuleFileEditor(int index) override {
    if (!Open()) return nullptr;
    if (index == 0) return code_;
    if (index == 1) return form_;
    return nullptr;
  }
  int GetOwnerCount() override { return Open() ? 1 : 0; }
  std::shared_ptr<IOTAProject> GetOwner(int index) override {
    return Open() && index == 0 ? owner_ : nullptr;
  }

  CodeEditor& Code() { return *code_; }
  FormEditor* Form() { return form_.get(); }

  /// Looks for the form file again; it may have appeared or gone.
  void FindForm(TFileSystem& fs, TFolderIndex* index = nullptr) {
    const String formFile = FindFormFile(file_, fs, index);
    if (formFile.empty())
      form_.reset();
    else if (!form_ || form_->GetFileName() != formFile)
      form_ = std::make_shared<FormEditor>(session_, formFile);
  }

 private:
  // The session while this unit is one of its open modules.
  std::shared_ptr<Session> Open() {
    auto s = session_.lock();
    if (!s) return nullptr;
    for (const auto& u : s->units)
      if (u.get() == this) return s;
    return nullptr;
  }

  std::weak_ptr<Session> session_;
  String file_;
  std::shared_ptr<IOTAProject> owner_;
  std::shared_ptr<CodeEditor> code_;
  std::shared_ptr<FormEditor> form_;
};

class DiskProject final : public IOTAProject {
 public:
  DiskProject(std::weak_ptr<Session> session, String file, String sourceFile,
              std::vector<String> moduleFiles)
      : session_(std::move(session)), file_(std::move(file)) {
    source_ = std::make_shared<CodeEditor>(session_, std::move(sourceFile));
    for (auto& f : moduleFiles) modules_.push_back(std::make_shared<DiskModuleInfo>(std::move(f)));
  }

  String GetFileName() override { return file_; }
  bool Save(bool, bool) override { return Open() != nullptr; }
  bool Close() override;
  int GetModuleFileCount() override { return Open() ? 1 : 0; }
  std::shared_ptr<IOTAEditor> GetModuleFileEditor(int index) override {
    return Open() && index == 0 ? source_ : nullptr;
  }
  int GetOwnerCount() override { return 0; }
  std::shared_ptr<IOTAProject> GetOwner(int) override { return nullptr; }
  int GetModuleCount() override { return Open() ? static_cast<int>(modules_.size()) : 0; }
  std::shared_ptr<IOTAModuleInfo> GetModule(int index) override {
    if (!Open() || index < 0 || index >= static_cast<int>(modules_.size())) return nullptr;
    return modules_[static_cast<size_t>(index)];
  }

  CodeEditor& Source() { return *source_; }

 private:
  std::shared_ptr<Session> Open() {
    auto s = session_.lock();
    return s && s->project.get() == this ? s : nullptr;
  }

  std::weak_ptr<Session> session_;
  String file_;
  std::shared_ptr<CodeEditor> source_;
  std::vector<std::shared_ptr<IOTAModuleInfo>> modules_;
};

class DiskProjectGroup final : public IOTAProjectGroup {
 public:
  DiskProjectGroup(std::weak_ptr<Session> session, String file)
      : session_(std::move(session)), file_(std::move(file)) {}

  String GetFileName() override { return file_; }
  bool Save(bool, bool) override { return session_.lock() != nullptr; }
  bool Close() override {
    if (auto s = session_.lock()) s->host->CloseProject();
    return true;
  }
  int GetModuleFileCount() override { return 0; }
  std::shared_ptr<IOTAEditor> GetModuleFileEditor(int) override { return nullptr; }
  int GetOwnerCount() override { return 0; }
  std::shared_ptr<IOTAProject> GetOwner(int) override { return nullptr; }
  std::shared_ptr<IOTAProject> ActiveProject() override {
    auto s = session_.lock();
    return s ? s->project : nullptr;
  }

 private:
  std::weak_ptr<Session> session_;
  String file_;
};

bool DiskProject::Close() {
  if (auto s = Open()) s->host->CloseProject();
  return true;
}

// The full name of a file the project names. A Windows drive path cannot name
// a file here and is kept as written.
String ResolveProjectPath(const String& folder, const String& path, TFileSystem& fs,
                          TFolderIndex& index) {
  if (IsWindowsDrivePath(path)) return path;
  return ResolveCase(JoinPath(folder, path), fs, &index);
}

}  // namespace

TDiskProjectHost::TDiskProjectHost() {
  static const char16_t* const kTopLevel[][2] = {{u"FileMenu", u"&File"},
                                                 {u"EditMenu", u"&Edit"},
                                                 {u"ProjectMenu", u"&Project"},
                                                 {u"ToolsMenu", u"&Tools"},
                                                 {u"HelpMenu", u"&Help"}};
  for (const auto& item : kTopLevel)
    main_menu_.Items().Add(std::make_unique<TMenuItem>(item[0], item[1]));
}

TDiskProjectHost::~TDiskProjectHost() {
  if (BorlandIDEServices == this) BorlandIDEServices = nullptr;
  ReleaseWizards();
  session_.reset();
}

void TDiskProjectHost::ReleaseWizards() {
  // Taken out first: a wizard's Destroyed must not see itself still held.
  std::vector<std::shared_ptr<IOTAWizard>> wizards;
  wizards.swap(wizards_);
  for (auto& wizard : wizards) wizard->Destroyed();
}

void TDiskProjectHost::Install() {
  BorlandIDEServices = this;
}

void TDiskProjectHost::Open(const String& fileName) {
  const String file = ResolveCase(AbsolutePath(ToSlashes(fileName)), *fs_);
  if (!IsProjectFile(file))
    throw Exception(u"\"" + fileName + u"\" is not a Delphi project file (.dpr or .dproj).");
  const bool isDproj = SameText(ExtractFileExt(file), u".dproj");
  // Read everything before the current project is touched: a file that fails
  // leaves the open project as it was.
  const TProjectFile parsed = isDproj ? ReadDproj(file, *fs_) : ReadDpr(file, *fs_);
  const String folder = ExtractDir(file);
  // Each folder is listed once for all the names the project gives in
  // another case and all its units' forms, not once per name.
  TFolderIndex index(*fs_);

  auto session = std::make_shared<Session>();
  session->host = this;
  std::vector<String> moduleFiles{file};
  String source = file;
  if (!parsed.MainSource.empty()) {
    source = ResolveProjectPath(folder, parsed.MainSource, *fs_, index);
    moduleFiles.push_back(source);
  }
  for (const auto& unit : parsed.Units)
    moduleFiles.push_back(ResolveProjectPath(folder, unit.Path, *fs_, index));

  session->project = std::make_shared<DiskProject>(session, file, source, moduleFiles);
  session->group =
      std::make_shared<DiskProjectGroup>(session, JoinPath(folder, u"ProjectGroup1.groupproj"));
  std::unordered_set<String> seen;
  for (size_t i = isDproj && !parsed.MainSource.empty() ? 2 : 1; i < moduleFiles.size(); ++i) {
    const String& unitFile = moduleFiles[i];
    if (!IsUnitFile(unitFile) || IsWindowsDrivePath(unitFile)) continue;
    if (seen.insert(unitFile).second)
      session->units.push_back(
          std::make_shared<DiskUnit>(session, unitFile, session->project, *fs_, &index));
  }
  session_ = std::move(session);
  if (OnProjectChanged) OnProjectChanged();
}

bool TDiskProjectHost::CloseProject() {
  // Objects handed out hold the session weakly: they see the close at once.
  if (!session_) return true;
  session_.reset();
  if (OnProjectChanged) OnProjectChanged();
  return true;
}

String TDiskProjectHost::ProjectFileName() const {
  return session_ ? session_->project->GetFileName() : String();
}

std::shared_ptr<IOTAEditor> TDiskProjectHost::FrontEditor() const {
  return session_ ? session_->front : nullptr;
}

namespace {

// The editor of an open file: exact name first, then without regard to case.
template <class Fn>
bool WithEditorOf(Session& s, const String& fileName, Fn&& fn) {
  const String file = AbsolutePath(ToSlashes(fileName));
  for (const bool ignoreCase : {false, true}) {
    auto same = [&](const String& f) { return ignoreCase ? SameText(f, file) : f == file; };
    if (same(s.project->GetFileName()) || same(s.project->Source().GetFileName())) {
      fn(s.project->Source(), static_cast<DiskUnit*>(nullptr));
      return true;
    }
    for (const auto& unit : s.units) {
      if (same(unit->GetFileName())) {
        fn(unit->Code(), unit.get());
        return true;
      }
      if (unit->Form() && same(unit->Form()->GetFileName())) {
        fn(*unit->Form(), unit.get());
        return true;
      }
    }
  }
  return false;
}

}  // namespace

std::optional<std::string> TDiskProjectHost::EditorBuffer(const String& fileName) {
  std::optional<std::string> result;
  if (session_)
    WithEditorOf(*session_, fileName,
                 [&](auto& editor, DiskUnit*) { result = editor.Buffer(*fs_); });
  return result;
}

TWizardRegisterProc TDiskProjectHost::RegisterProc() {
  return [this](std::shared_ptr<IOTAWizard> wizard) {
    if (!wizard) return false;
    wizards_.push_back(std::move(wizard));
    return true;
  };
}

int TDiskProjectHost::GetModuleCount() {
  return session_ ? 2 + static_cast<int>(session_->units.size()) : 0;
}

std::shared_ptr<IOTAModule> TDiskProjectHost::GetModule(int index) {
  if (!session_ || index < 0 || index >= GetModuleCount()) return nullptr;
  if (index == 0) return session_->group;
  if (index == 1) return session_->project;
  return session_->units[static_cast<size_t>(index - 2)];
}

bool TDiskProjectHost::OpenProject(const String& fileName, bool) {
  if (Trim(fileName).empty()) {
    last_error_ = u"No project file name given.";
    return false;
  }
  try {
    Open(fileName);
    last_error_.clear();
    return true;
  } catch (const Exception& e) {
    last_error_ = e.Message();
    return false;
  }
}

bool TDiskProjectHost::ReloadFile(const String& fileName) {
  if (!session_) return false;
  bool reloaded = false;
  String file;
  const bool found = WithEditorOf(*session_, fileName, [&](auto& editor, DiskUnit* unit) {
    reloaded = editor.Reload(*fs_);
    file = editor.GetFileName();
    if (unit != nullptr) unit->FindForm(*fs_);
  });
  if (!found || !reloaded) return false;
  reloaded_.push_back(file);
  if (OnFileReloaded) OnFileReloaded(file);
  return true;
}

TMenuItem& TDiskProjectHost::AddActionMenu(const String& name, std::unique_ptr<TMenuItem> menuItem,
                                           bool insertAfter, bool insertAsChild) {
  return main_menu_.InsertRelative(name, std::move(menuItem), insertAfter, insertAsChild);
}

}  // namespace mirel
