#pragma once

#include <QPoint>

class QMenu;

// Opens a menu from the keyboard at `at` (global) with its first item selected, so that the
// reader names an item at once and Enter takes it, as a menu of the menu bar opens.
void popupFromKeyboard(QMenu* menu, QPoint at);
