#include "ide/ToolsAPI.h"

namespace mirel {

IBorlandIDEServices* BorlandIDEServices = nullptr;

TMenuItem::TMenuItem(String name, String caption, TNotifyEvent onClick)
    : name_(std::move(name)), caption_(std::move(caption)), on_click_(std::move(onClick)) {}

void TMenuItem::SetName(String name) {
  name_ = std::move(name);
  Changed();
}

void TMenuItem::SetCaption(String caption) {
  caption_ = std::move(caption);
  Changed();
}

void TMenuItem::SetOnClick(TNotifyEvent handler) {
  on_click_ = std::move(handler);
  Changed();
}

void TMenuItem::Click() {
  // A handler may replace itself (or be replaced) while it runs; call a copy.
  if (TNotifyEvent handler = on_click_) handler(*this);
}

TMenuItem& TMenuItem::Items(int index) const {
  MIREL_ASSERT(index >= 0 && index < Count());
  return *items_[static_cast<size_t>(index)];
}

int TMenuItem::IndexOf(const TMenuItem* child) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == child) return static_cast<int>(i);
  return -1;
}

TMenuItem& TMenuItem::Insert(int index, std::unique_ptr<TMenuItem> item) {
  MIREL_ASSERT(item != nullptr);
  MIREL_ASSERT(item->parent_ == nullptr && item->menu_ == nullptr);
  MIREL_ASSERT(index >= 0 && index <= Count());
  item->parent_ = this;
  TMenuItem& placed = *item;
  items_.insert(items_.begin() + index, std::move(item));
  placed.Changed();
  return placed;
}

TMenuItem* TMenuItem::Find(StringView name) const {
  if (name.empty()) return nullptr;
  // Nearer items first, so a top-level item wins over a nested namesake.
  for (const auto& child : items_)
    if (child->name_ == name) return child.get();
  for (const auto& child : items_)
    if (TMenuItem* found = child->Find(name)) return found;
  return nullptr;
}

void TMenuItem::Changed() {
  const TMenuItem* root = this;
  while (root->parent_ != nullptr) root = root->parent_;
  if (root->menu_ != nullptr && root->menu_->OnChange) root->menu_->OnChange(*this);
}

TMainMenu::TMainMenu() {
  root_.menu_ = this;
}

TMenuItem& TMainMenu::InsertRelative(StringView referenceName, std::unique_ptr<TMenuItem> item,
                                     bool insertAfter, bool insertAsChild) {
  TMenuItem* ref = root_.Find(referenceName);
  if (ref == nullptr) throw Exception(u"Menu item \"" + String(referenceName) + u"\" not found.");
  if (insertAsChild) return ref->Insert(insertAfter ? ref->Count() : 0, std::move(item));
  TMenuItem* parent = ref->Parent();
  const int at = parent->IndexOf(ref);
  return parent->Insert(insertAfter ? at + 1 : at, std::move(item));
}

}  // namespace mirel
