#include "ide/IDEUtils.h"

namespace mirel {

namespace {

template <class T>
T& HostService(StringView name) {
  if (BorlandIDEServices == nullptr)
    throw EIntfCastError(u"The IDE services are not available (" + String(name) + u").");
  return *InterfaceCast<T>(BorlandIDEServices, name);
}

String MenuKey(StringView caption) {
  return UpperCase(RemoveAmpersands(caption));
}

}  // namespace

IOTAModuleServices& TIDEUtils::GetModuleServices() {
  return HostService<IOTAModuleServices>(u"IOTAModuleServices");
}

IOTAActionServices& TIDEUtils::GetActionServices() {
  return HostService<IOTAActionServices>(u"IOTAActionServices");
}

std::shared_ptr<IOTAProjectGroup> TIDEUtils::GetCurrentProjectGroup() {
  if (BorlandIDEServices == nullptr) return nullptr;
  IOTAModuleServices& services = GetModuleServices();
  const int count = services.GetModuleCount();
  for (int i = 0; i < count; ++i) {
    if (auto group = Supports<IOTAProjectGroup>(services.GetModule(i))) return group;
  }
  return nullptr;
}

std::shared_ptr<IOTAProject> TIDEUtils::GetCurrentProject() {
  auto group = GetCurrentProjectGroup();
  return group ? group->ActiveProject() : nullptr;
}

String TIDEUtils::GetCurrentProjectFileName() {
  auto project = GetCurrentProject();
  return project ? project->GetFileName() : String();
}

bool TIDEUtils::SaveCurrentProject() {
  auto project = GetCurrentProject();
  return project && project->Save(false, true);
}

bool TIDEUtils::CloseProjectGroup() {
  auto group = GetCurrentProjectGroup();
  return !group || group->Close();
}

int TIDEUtils::GetProjectModuleCount() {
  auto project = GetCurrentProject();
  return project ? project->GetModuleCount() : 0;
}

String TIDEUtils::GetProjectModuleFileName(int index) {
  auto project = GetCurrentProject();
  if (!project) return String();
  auto info = project->GetModule(index);
  return info ? info->GetFileName() : String();
}

bool TIDEUtils::ReloadModuleFile(const String& fileName) {
  return GetActionServices().ReloadFile(fileName);
}

bool TIDEUtils::OpenProjectFile(const String& fileName) {
  return GetActionServices().OpenProject(fileName, true);
}

void TIDEUtils::AddMenuItem(const TProductMenu& menu, const String& caption, const String& itemName,
                            TNotifyEvent onClick) {
  INTAServices& services = HostService<INTAServices>(u"INTAServices");
  TMainMenu& mainMenu = *services.GetMainMenu();
  TMenuItem& top = mainMenu.Items();

  TMenuItem* productItem = nullptr;
  bool clash = false;
  const String productKey = MenuKey(menu.Caption);
  for (int i = 0; i < top.Count(); ++i) {
    TMenuItem& item = top.Items(i);
    if (!menu.ItemName.empty() && item.Name() == menu.ItemName) {
      productItem = &item;
      break;
    }
    if (!menu.AltCaption.empty() && MenuKey(item.Caption()) == productKey) clash = true;
  }
  const String& topCaption = clash ? menu.AltCaption : menu.Caption;

  if (productItem != nullptr) {
    productItem->SetCaption(topCaption);
  } else {
    auto item = std::make_unique<TMenuItem>(menu.ItemName, topCaption);
    if (top.Count() == 0) {
      // No reference item to place it before: it becomes the only top-level item.
      productItem = &top.Add(std::move(item));
    } else {
      TMenuItem& last = top.Items(top.Count() - 1);
      if (last.Name().empty())  // cannot be named as a reference; place it directly
        productItem = &top.Insert(top.Count() - 1, std::move(item));
      else
        productItem = &services.AddActionMenu(last.Name(), std::move(item), false, false);
    }
  }

  // A second load of the wizard must not leave the old item (and its handler,
  // which may point at a destroyed wizard) in the menu beside the new one.
  for (int i = 0; i < productItem->Count(); ++i) {
    TMenuItem& existing = productItem->Items(i);
    if (!itemName.empty() && existing.Name() == itemName) {
      existing.SetCaption(caption);
      existing.SetOnClick(std::move(onClick));
      return;
    }
  }
  auto wizardItem = std::make_unique<TMenuItem>(itemName, caption, std::move(onClick));
  if (productItem->Name().empty())
    productItem->Add(std::move(wizardItem));
  else
    services.AddActionMenu(productItem->Name(), std::move(wizardItem), true, true);
}

}  // namespace mirel
