#pragma once

#include "ProgramFolder.h"

#include <QApplication>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <ostream>

class QFileDialog;
class TForm_Glavn;

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

// The program started in a fresh folder on a base holding one record per given name, its
// tree made of the same names as top-level branches plus those given as `treeOnly` (which
// have no record), connected, with the branch panel shown.
class BranchProgram {
public:
    explicit BranchProgram(const QStringList& records, const QStringList& treeOnly = {});

    TForm_Glavn& window() { return *program.window; }
    QString path(const QString& tail) const { return program.path(tail); }

    // Clicks the top-level branch of that text in the tree, as a person does, and forgets
    // the messages the click shows.
    void clickBranch(const QString& text);
    // Writes a file into the program's folder and gives its full path.
    QString writeFile(const QString& name, const QByteArray& bytes) const;

    // The texts of the message windows seen since the last call, then forgets them.
    QStringList takeMessages();
    // The texts of the error boxes seen since the last call to takeMessages.
    QStringList errorBoxes() const;

    // Reads one column of the record with that name straight from the base file, with a
    // connection of its own; a null array when no record has that name.
    QByteArray column(const QString& name, const char* columnName) const;
    // Runs SQL on the base with a connection of its own.
    void execute(const QByteArray& sql) const;

    ProgramFolder program;
};

// Answers the next modal window of that class once it shows: the answer gets the window.
// One that has not shown within five seconds is waited for no longer.
template <typename Dialog> void whenShown(std::function<void(Dialog*)> answer) {
    auto* poll = new QTimer;
    poll->setInterval(5);
    QTimer::singleShot(5000, poll, &QObject::deleteLater);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog != nullptr && dialog->isVisible()) {
            poll->stop();
            poll->deleteLater();
            answer(dialog);
        }
    });
    poll->start();
}

// Types a file's path into the file dialog's name field and presses Open.
void typeFileName(QFileDialog* dialog, const QString& path);

// Types text into a widget key by key (any letters, not only ASCII).
void typeText(QWidget* widget, const QString& text);

// Some bytes no text codec keeps: every byte value, twice over.
QByteArray binaryBytes(char salt);
