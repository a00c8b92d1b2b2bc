#pragma once

#include <QApplication>

// The application object. A failure that no command caught ends at the event loop here:
// its text is shown in the standard error box and the program goes on; a silent abort
// ends the command without anything shown. Qt's own dialogs speak Russian.
class QuorlentApplication : public QApplication {
    Q_OBJECT
public:
    QuorlentApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};
