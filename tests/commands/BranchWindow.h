#pragma once

#include "ProgramFolder.h"
#include "infobase/tree/TreeNodes.h"
#include "platform/DesktopServices.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <ostream>
#include <vector>

class TForm_Glavn;

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

// A branch record as a test writes it into the base before the program starts.
struct SeedRecord {
    QString name;
    QString description = {};
    QString text = {};
    qint32 kind = 0;
    QByteArray attachment = {};
};

// The main window started in a fresh program folder on a base and a tree file made by the
// test, connected, with the branch panel shown; today is pinned to 5 March 2026 in a
// Russian short date format ("05.03.2026").
class BranchWindow {
public:
    // Each tree entry is a path of node texts joined by "/"; a parent comes before its
    // children.
    BranchWindow(const QStringList& tree, const std::vector<SeedRecord>& records);

    TForm_Glavn& window() { return *program.window; }
    infobase::TTreeNode* node(const QString& path);

    // Mouse clicks inside the tree, each followed by the work it queues.
    void clickLabel(const QString& path);
    void clickExpandButton(const QString& path);
    void clickEmptySpace();
    // A click on one of the panel's buttons, delivered as a person's click is.
    void press(QWidget* button);

    // Read from the files on disk with connections of their own.
    QStringList recordNames() const;
    // One text column of the first row with exactly that name; std::nullopt without one.
    std::optional<QString> column(const QString& name, const char* columnName) const;
    // Every node of the tree file as its path, in tree order, after the program brought the
    // file up to date with the changes the base keeps (as before a backup or at the close).
    QStringList treeFileNodes() const;

    QStringList messages() const { return program.watch.texts(); }
    void forgetMessages() { program.watch.seen.clear(); }

    ProgramFolder program;

private:
    void clickAt(QPoint viewportPos);
    platform::ScopedDesktopServices today_;
};

// A JPEG picture of that size in one colour.
QByteArray jpegPicture(QSize size, Qt::GlobalColor colour);
