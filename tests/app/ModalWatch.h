#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>

class QWidget;

// Watches for modal windows while a test drives the program, as a person at the screen
// would: each message window or message box that comes up is noted (its title and text,
// and whatever `onShown` wants to look at) and closed; other modal windows (the splash)
// are noted and left alone.
class ModalWatch : public QObject {
public:
    struct Seen {
        QString kind; // "message", "box" or the window's class
        QString title;
        QString text;
    };

    ModalWatch();

    QList<Seen> seen;
    // Called with each modal window when it is first seen, before it is closed.
    std::function<void(QWidget*)> onShown;

    QStringList texts() const;
    // Leaves the modal windows to someone else (a test that answers them itself).
    void stop() { poll_.stop(); }

private:
    void look();

    QTimer poll_;
    QPointer<QWidget> last_;
};
