#pragma once

#include "ModalWatch.h"

#include <QDir>
#include <QTemporaryDir>
#include <memory>

class TForm_Glavn;

// A fresh application folder made the current folder for the life of the object, and the
// program's windows started in it.
class ProgramFolder {
public:
    ProgramFolder();
    ~ProgramFolder();

    QString path(const QString& tail) const { return folder_.filePath(tail); }
    // Writes a base file holding the two empty tables to Data/Quorlent.mdb.
    void createBase() const;
    void writeFile(const QString& tail, const QByteArray& bytes) const;

    // Creates the windows, as the program's entry does.
    TForm_Glavn& create();
    // Shows the main window maximised. With `fullSplash` false the splash is closed as
    // soon as it stands, as if its timer had fired; otherwise the timer closes it.
    TForm_Glavn& show(bool fullSplash = false);
    TForm_Glavn& start() {
        create();
        return show();
    }

    ModalWatch watch;
    std::unique_ptr<TForm_Glavn> window;

private:
    QTemporaryDir folder_;
    QString previous_;
};
