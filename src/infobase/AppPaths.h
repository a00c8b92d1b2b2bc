#pragma once

#include <QString>
#include <QStringList>

namespace infobase {

// Every data path is the application folder followed by a fixed tail that begins with a
// separator. The folder is the working directory at start-up, not the executable's.
struct AppPaths {
    QString base; // as the platform reports it: no trailing separator except at the root

    QString treeFile() const { return join(QStringLiteral("/Data/TreeView.dat")); }
    QString baseFile() const { return join(QStringLiteral("/Data/Quorlent.mdb")); }
    QString dataFolder() const { return join(QStringLiteral("/Data")); }
    QString tempFolder() const { return join(QStringLiteral("/Temp/")); }
    QString backupFolder() const { return join(QStringLiteral("/Backup copies/")); }

    // The folders one running program holds locked: the application folder, the folder its
    // data really lies in (Data, followed through symbolic links), and the folder a tree or
    // base file that is a symbolic link leads to. Each real folder once, as a path.
    QStringList lockedFolders() const;

    // The application folder is the current directory, exactly as reported.
    static AppPaths fromCurrentDirectory();

private:
    QString join(const QString& tail) const { return base + tail; }
};

} // namespace infobase
