// Keeps a QMenuBar the mirror of the host's menu model (TMainMenu): a QMenu
// per item that has children, a QAction per leaf, each with the item's
// component name as objectName and its caption as text (a caption "-" is a
// separator, as in the model's conventions). Items inserted and names or
// captions changed later reach the bar through TMainMenu::OnChange.
#pragma once

#include <QObject>
#include <functional>
#include <unordered_map>

#include "ide/ToolsAPI.h"

class QAction;
class QMenu;
class QMenuBar;

namespace mirel {

class TMenuMirror : public QObject {
  Q_OBJECT
 public:
  /// Called when the user picks a leaf item; the default runs item.Click().
  using TActivate = std::function<void(TMenuItem& item)>;

  /// Fills bar from menu and takes menu.OnChange (there is one mirror per
  /// menu). menu and bar are borrowed: the mirror must go before either; it
  /// gives OnChange back (empty) when it goes.
  TMenuMirror(TMainMenu& menu, QMenuBar& bar, QObject* parent = nullptr);
  ~TMenuMirror() override;

  void SetActivate(TActivate activate) { activate_ = std::move(activate); }

  /// The action that stands for item in the bar (for an item with children,
  /// its menu's action); nullptr when the item is not mirrored.
  QAction* ActionOf(const TMenuItem* item) const;

 private:
  void Changed(TMenuItem& item);
  // Mirrors item and its subtree at its place among its siblings.
  void Insert(TMenuItem& item);
  void Update(TMenuItem& item, QAction& action);
  // A leaf that gained a child becomes a menu, in place.
  QMenu* MakeMenu(TMenuItem& item);
  QMenu* MenuOf(const TMenuItem* item) const;
  // Puts action into the container of parent before the mirrored sibling
  // that follows item.
  void Place(TMenuItem& item, QAction* action);

  TMainMenu& menu_;
  QMenuBar& bar_;
  TActivate activate_;
  // Items of the model -> their action. A QMenu is reached through
  // QAction::menu() of its action.
  std::unordered_map<const TMenuItem*, QAction*> actions_;
};

}  // namespace mirel
