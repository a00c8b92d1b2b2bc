#pragma once

class QCoreApplication;

// Makes Qt's own texts (the file, font and colour dialogs, the standard buttons, the text
// fields' context menus) Russian, whatever language the system is set to: the program's
// users read Russian only. Looks for Qt's translation catalogue where Qt's build keeps its
// translations. Returns whether it was found; without it Qt's texts stay English.
bool installQtRussianTranslation(QCoreApplication& application);
