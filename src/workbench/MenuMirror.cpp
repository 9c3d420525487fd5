#include "workbench/MenuMirror.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace mirel {

namespace {

QString Q(const String& s) {
  return QString::fromStdU16String(s);
}

bool IsSeparator(const TMenuItem& item) {
  return item.Caption() == u"-";
}

}  // namespace

TMenuMirror::TMenuMirror(TMainMenu& menu, QMenuBar& bar, QObject* parent)
    : QObject(parent), menu_(menu), bar_(bar), activate_([](TMenuItem& item) { item.Click(); }) {
  for (int i = 0; i < menu_.Items().Count(); ++i) Insert(menu_.Items().Items(i));
  menu_.OnChange = [this](TMenuItem& item) { Changed(item); };
}

TMenuMirror::~TMenuMirror() {
  menu_.OnChange = nullptr;
}

QAction* TMenuMirror::ActionOf(const TMenuItem* item) const {
  auto it = actions_.find(item);
  return it == actions_.end() ? nullptr : it->second;
}

QMenu* TMenuMirror::MenuOf(const TMenuItem* item) const {
  QAction* action = ActionOf(item);
  return action != nullptr ? action->menu() : nullptr;
}

void TMenuMirror::Changed(TMenuItem& item) {
  if (QAction* action = ActionOf(&item)) {
    Update(item, *action);
    return;
  }
  // A new item: the parent may have been a leaf until now.
  TMenuItem* parent = item.Parent();
  if (parent != nullptr && parent != &menu_.Items() && MenuOf(parent) == nullptr) {
    if (ActionOf(parent) == nullptr) return;  // not mirrored: comes with its parent
    MakeMenu(*parent);
  }
  Insert(item);
}

void TMenuMirror::Update(TMenuItem& item, QAction& action) {
  action.setObjectName(Q(item.Name()));
  if (QMenu* menu = action.menu()) {
    menu->setObjectName(Q(item.Name()));
    menu->setTitle(Q(item.Caption()));
  } else {
    action.setSeparator(IsSeparator(item));
    action.setText(Q(item.Caption()));
  }
}

void TMenuMirror::Insert(TMenuItem& item) {
  QAction* action = nullptr;
  if (item.Count() > 0 || item.Parent() == &menu_.Items()) {
    // Top-level items are menus even while empty, as in any menu bar.
    auto* menu = new QMenu(&bar_);
    action = menu->menuAction();
  } else {
    action = new QAction(&bar_);
    TMenuItem* target = &item;
    connect(action, &QAction::triggered, this, [this, target] { activate_(*target); });
  }
  actions_[&item] = action;
  Update(item, *action);
  Place(item, action);
  for (int i = 0; i < item.Count(); ++i) Insert(item.Items(i));
}

QMenu* TMenuMirror::MakeMenu(TMenuItem& item) {
  QAction* old = ActionOf(&item);
  auto* menu = new QMenu(&bar_);
  actions_[&item] = menu->menuAction();
  Update(item, *menu->menuAction());
  Place(item, menu->menuAction());
  if (old != nullptr) {
    if (QMenu* container = MenuOf(item.Parent())) container->removeAction(old);
    old->deleteLater();  // it may be the action whose trigger is running
  }
  return menu;
}

void TMenuMirror::Place(TMenuItem& item, QAction* action) {
  TMenuItem* parent = item.Parent();
  QAction* before = nullptr;
  for (int i = parent->IndexOf(&item) + 1; i < parent->Count() && before == nullptr; ++i) {
    before = ActionOf(&parent->Items(i));
  }
  QWidget* container = parent == &menu_.Items() ? static_cast<QWidget*>(&bar_) : MenuOf(parent);
  if (container == nullptr) return;
  container->insertAction(before, action);
}

}  // namespace mirel
