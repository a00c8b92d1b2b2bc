#pragma once

class QCoreApplication;

// Makes Qt's own texts (the file, font and colour dialogs, the standard buttons, the text
// fields' context menus, the dates, sizes and file kinds in the file dialog's list) Russian,
// whatever language the system is set to: the program's users read Russian only. The short
// date of the exports keeps following the user's regional settings. Looks for Qt's translation
// catalogue where Qt's build keeps its translations. Returns whether it was found; without it Qt's
// texts stay English.
bool installQtRussianTranslation(QCoreApplication& application);
