#include "window/menus.h"

#include <QAction>
#include <QMenu>

void AddMenuItems(const std::vector<TMenuItem>& Items, QObject* Owner,
                  const std::function<void(const std::function<void()>&)>& Run) {
    for (const TMenuItem& item : Items) {
        if (!item.Action) {
            item.Menu->addSeparator();
            continue;
        }
        QAction* action = *item.Action = item.Menu->addAction(QString::fromLatin1(item.Text));
        action->setShortcuts(item.Keys);
        QObject::connect(action, &QAction::triggered, Owner,
                         [Run, click = item.Click] { Run(click); });
    }
}
