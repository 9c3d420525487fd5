// The host interfaces: what the wizard may ask of the IDE that loads it, and
// the main-menu model the host shares with it.
//
// A host is one object that implements IBorlandIDEServices together with the
// service interfaces it offers (IOTAModuleServices, IOTAActionServices,
// INTAServices); callers reach a service by InterfaceCast on that object,
// which throws EIntfCastError when the host does not offer it.
//
// Ownership and lifetimes:
//  - BorlandIDEServices is a non-owning pointer; the host sets it and must
//    reset it to nullptr before it is destroyed. Service pointers obtained by
//    a cast of it are valid exactly as long as the host object.
//  - Modules, projects, module infos and editors are handed out as
//    std::shared_ptr: a caller's reference keeps the object alive, also after
//    the host closed the module or was destroyed. A closed object stays safe
//    to call: it answers with neutral values (false, 0, nullptr) and may
//    still give its file name.
//  - The main menu and its items belong to the host; a TMenuItem* stays valid
//    while the item is in the menu (the wizard never removes items).
//  - Wizards handed to a TWizardRegisterProc are held by the host until it
//    releases them, normally at its own destruction.
//
// Every call happens on the host's main thread.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "rtl/SysUtils.h"

namespace mirel {

/// A host does not offer the interface asked for.
class EIntfCastError : public Exception {
 public:
  using Exception::Exception;
};

/// Common root so that any host object can be tested for any interface.
class IInterface {
 public:
  virtual ~IInterface() = default;
};

/// The interface of obj's dynamic type, or nullptr when it has none.
template <class T, class U>
T* Supports(U* obj) {
  return dynamic_cast<T*>(obj);
}
template <class T, class U>
std::shared_ptr<T> Supports(const std::shared_ptr<U>& obj) {
  return std::dynamic_pointer_cast<T>(obj);
}

/// Like Supports, but a missing interface (or a null obj) throws EIntfCastError.
template <class T, class U>
T* InterfaceCast(U* obj, StringView interfaceName) {
  if (T* r = dynamic_cast<T*>(obj)) return r;
  throw EIntfCastError(u"Interface not supported: " + String(interfaceName));
}

// --- Editors and modules ----------------------------------------------------

/// One file editor of a module (the code editor of a unit, its form designer).
class IOTAEditor : public virtual IInterface {
 public:
  virtual String GetFileName() = 0;
  /// Brings this editor to the front; for a unit's code editor that hides the
  /// unit's form designer.
  virtual void Show() = 0;
};

/// The code editor of a module; `Supports<IOTASourceEditor>(editor)` is the
/// code-editor support test.
class IOTASourceEditor : public IOTAEditor {
 public:
  static constexpr const char* IID = "{5D965803-8147-4D32-B8C5-712F6DDCF98E}";
};

class IOTAProject;

/// An open module: a unit (with its form), a project or a project group.
class IOTAModule : public virtual IInterface {
 public:
  /// Full file name.
  virtual String GetFileName() = 0;
  /// False when the module was not saved.
  virtual bool Save(bool changeName, bool forceSave) = 0;
  /// True when the module was closed (closing a project group closes its projects).
  virtual bool Close() = 0;
  /// Number of file editors; more than one when the unit has a form.
  virtual int GetModuleFileCount() = 0;
  /// Editor index (0..count-1); nullptr outside.
  virtual std::shared_ptr<IOTAEditor> GetModuleFileEditor(int index) = 0;
  /// Projects that own this module, compared with the active project by identity.
  virtual int GetOwnerCount() = 0;
  virtual std::shared_ptr<IOTAProject> GetOwner(int index) = 0;
};

/// One entry of a project's module list.
class IOTAModuleInfo : public virtual IInterface {
 public:
  /// Full file name; may be empty.
  virtual String GetFileName() = 0;
};

class IOTAProject : public IOTAModule {
 public:
  virtual int GetModuleCount() = 0;
  /// Entry index (0..count-1); nullptr outside.
  virtual std::shared_ptr<IOTAModuleInfo> GetModule(int index) = 0;
};

class IOTAProjectGroup : public IOTAModule {
 public:
  /// The active project, or nullptr.
  virtual std::shared_ptr<IOTAProject> ActiveProject() = 0;
};

// --- Menu model ---------------------------------------------------------------

class TMainMenu;
class TMenuItem;

using TNotifyEvent = std::function<void(TMenuItem& sender)>;

/// One menu item. Children are owned by their parent; the root item of a
/// TMainMenu is owned by the menu. Changes are reported to the menu's
/// OnChange so a GUI host can mirror the model in its real menu bar.
class TMenuItem {
 public:
  TMenuItem() = default;
  TMenuItem(String name, String caption, TNotifyEvent onClick = nullptr);
  TMenuItem(const TMenuItem&) = delete;
  TMenuItem& operator=(const TMenuItem&) = delete;

  /// Component name; unique among the menu's items by convention.
  const String& Name() const { return name_; }
  void SetName(String name);
  const String& Caption() const { return caption_; }
  void SetCaption(String caption);
  const TNotifyEvent& OnClick() const { return on_click_; }
  void SetOnClick(TNotifyEvent handler);
  /// Runs OnClick when assigned.
  void Click();

  int Count() const { return static_cast<int>(items_.size()); }
  /// Child index (0..Count-1); EAssertionFailed outside.
  TMenuItem& Items(int index) const;
  TMenuItem* Parent() const { return parent_; }
  int IndexOf(const TMenuItem* child) const;
  /// Inserts a child at index (0..Count); returns it, now owned by this item.
  TMenuItem& Insert(int index, std::unique_ptr<TMenuItem> item);
  TMenuItem& Add(std::unique_ptr<TMenuItem> item) { return Insert(Count(), std::move(item)); }
  /// An item named name in this item's subtree (itself excluded): a direct
  /// child before any deeper item; nullptr when none or name is empty.
  TMenuItem* Find(StringView name) const;

 private:
  friend class TMainMenu;
  void Changed();

  String name_;
  String caption_;
  TNotifyEvent on_click_;
  TMenuItem* parent_ = nullptr;
  TMainMenu* menu_ = nullptr;  // set on the root item only
  std::vector<std::unique_ptr<TMenuItem>> items_;
};

/// The host's main menu: its root item's children are the top-level items.
class TMainMenu {
 public:
  TMainMenu();
  TMainMenu(const TMainMenu&) = delete;
  TMainMenu& operator=(const TMainMenu&) = delete;

  TMenuItem& Items() { return root_; }
  const TMenuItem& Items() const { return root_; }

  /// Places item relative to the item named referenceName: before it
  /// (false, false), after it (true, false), as its first child (false, true)
  /// or as its last child (true, true). Returns the placed item. Throws
  /// Exception naming the reference when no item has that name; item is then
  /// destroyed.
  TMenuItem& InsertRelative(StringView referenceName, std::unique_ptr<TMenuItem> item,
                            bool insertAfter, bool insertAsChild);

  /// Called after an item was inserted or its name, caption or handler changed.
  std::function<void(TMenuItem& item)> OnChange;

 private:
  TMenuItem root_;
};

// --- Services -----------------------------------------------------------------

/// The host object that BorlandIDEServices points at.
class IBorlandIDEServices : public virtual IInterface {};

class IOTAModuleServices : public virtual IInterface {
 public:
  /// Every open module, in the host's order.
  virtual int GetModuleCount() = 0;
  /// Module index (0..count-1); nullptr outside.
  virtual std::shared_ptr<IOTAModule> GetModule(int index) = 0;
};

class IOTAActionServices : public virtual IInterface {
 public:
  /// Opens a project (in a new project group when newProjGroup); false when
  /// it could not be opened. An empty file name is ignored (false).
  virtual bool OpenProject(const String& fileName, bool newProjGroup) = 0;
  /// Re-reads the editor buffer of an open file from disk; false when the
  /// file is not open or cannot be read.
  virtual bool ReloadFile(const String& fileName) = 0;
};

class INTAServices : public virtual IInterface {
 public:
  /// The host's main menu; never nullptr.
  virtual TMainMenu* GetMainMenu() = 0;
  /// Places menuItem relative to the item named name (see
  /// TMainMenu::InsertRelative, which also says how it fails).
  virtual TMenuItem& AddActionMenu(const String& name, std::unique_ptr<TMenuItem> menuItem,
                                   bool insertAfter, bool insertAsChild) = 0;
};

/// The host's services; set by the host (or by the wizard's entry point when
/// the host has not set it). Non-owning.
extern IBorlandIDEServices* BorlandIDEServices;

// --- Wizards ------------------------------------------------------------------

class IOTANotifier : public virtual IInterface {
 public:
  virtual void AfterSave() = 0;
  virtual void BeforeSave() = 0;
  virtual void Destroyed() = 0;
  virtual void Modified() = 0;
};

enum TWizardStateFlag : unsigned { wsEnabled = 1, wsChecked = 2 };
using TWizardState = unsigned;  // set of TWizardStateFlag

class IOTAWizard : public IOTANotifier {
 public:
  virtual String GetIDString() = 0;
  virtual String GetName() = 0;
  virtual TWizardState GetState() = 0;
  virtual void Execute() = 0;
};

/// Given to a wizard entry point: registers a wizard, which the host then
/// holds (shared) until it releases it. False when the host refuses it.
using TWizardRegisterProc = std::function<bool(std::shared_ptr<IOTAWizard> wizard)>;
/// The slot for a termination callback that a wizard entry point may fill.
using TWizardTerminateProc = std::function<void()>;

/// The entry point a wizard plugin exports, unmangled, under the name
/// kWizardEntryPoint. The host calls it once after loading the plugin, with
/// its services (which must outlive every wizard the plugin registers), the
/// callback that registers a wizard, and a slot the plugin may fill with a
/// termination callback. True when the plugin is ready; a plugin reports its
/// own failures to the user and still answers true.
using TWizardInitProc = bool (*)(IBorlandIDEServices* services, TWizardRegisterProc registerProc,
                                 TWizardTerminateProc* terminate);
inline constexpr char kWizardEntryPoint[] = "INITWIZARD0001";

}  // namespace mirel
