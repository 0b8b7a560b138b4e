// The menus' commands built from one table: each its menu, caption, keys and
// handler, run the way the window runs its handlers.
#pragma once

#include <QKeySequence>
#include <QList>
#include <functional>
#include <vector>

class QAction;
class QMenu;
class QObject;

struct TMenuItem {
    QMenu* Menu = nullptr;
    QAction** Action = nullptr;  // none: a separator
    const char* Text = "";
    QList<QKeySequence> Keys = {};
    std::function<void()> Click = {};
};

// Adds the items to their menus in order, storing each action; Run runs a
// handler when its action is triggered.
void AddMenuItems(const std::vector<TMenuItem>& Items, QObject* Owner,
                  const std::function<void(const std::function<void()>&)>& Run);
