// Helpers of the workbench tests: the window's widgets found by objectName
// and written out as one line of text.
#pragma once

#include <QString>
#include <string>

#include "workbench/WorkbenchWindow.h"

class QAction;

namespace mirel::testing {

/// The project tree as "Top[Child[Grandchild] Child]".
std::string TreeText(TWorkbenchWindow& window);
/// The menu bar as "File(Open Project...,-,Quit) Edit() ..." with the
/// accelerator marks kept out.
std::string MenuBarText(TWorkbenchWindow& window);
/// The tab titles, the current one in brackets: "Main.pas [Main.dfm]".
std::string TabsText(TWorkbenchWindow& window);
/// The rows of the Messages panel, one per line.
std::string MessagesText(TWorkbenchWindow& window);

/// The QAction whose objectName is name anywhere under the window; nullptr
/// when none.
QAction* FindAction(TWorkbenchWindow& window, const QString& name);

/// Double-clicks the tree item of file, as a user does.
void DoubleClickTreeItem(TWorkbenchWindow& window, const QString& file);

}  // namespace mirel::testing
