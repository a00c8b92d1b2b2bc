#include "ui/KeyboardPopup.h"

#include <QMenu>

void popupFromKeyboard(QMenu* menu, QPoint at) {
    menu->popup(at);
    for (QAction* action : menu->actions()) {
        if (action->isVisible() && action->isEnabled() && !action->isSeparator()) {
            menu->setActiveAction(action);
            return;
        }
    }
}
