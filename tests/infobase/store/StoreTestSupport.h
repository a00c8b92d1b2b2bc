#pragma once

#include "common/Failure.h"
#include "infobase/store/RecordStore.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <optional>
#include <ostream>
#include <sys/types.h>
#include <vector>

// Readable failure output for texts compared in the tests.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace store_test {

// A branch record as a test writes it straight into a base file.
struct Seed {
    QString name;
    QString description = {};
    QByteArray attachment = {};
};

// A fresh base file (both tables, no records) in a folder of its own.
class TempBase {
public:
    TempBase();
    QString path() const { return dir_.filePath(QStringLiteral("Quorlent.mdb")); }
    QString folder() const { return dir_.path(); }

    // Inserts records in the given order, with a connection of its own.
    void seed(const std::vector<Seed>& records) const;
    // Runs SQL on the base with a connection of its own.
    void execute(const QByteArray& sql) const;
    // The names of the base's rows in key order, read with a connection of its own.
    QStringList names() const;
    // One text column of the row with that name; a null QString when no row has it.
    QString column(const QString& name, const char* columnName) const;

private:
    QTemporaryDir dir_;
};

// The text of the Failure the call throws; empty when it throws none.
template <typename Call> QString failureOf(Call call) {
    try {
        call();
    } catch (const Failure& failure) {
        return failure.message();
    }
    return QString();
}

// The file's whole content, for "nothing changed" checks. Read only while no connection in
// this process holds a lock on the file.
QByteArray fileBytes(const QString& path);

// Runs the body in a child process as a user who cannot write files he does not own (a
// root run acts as "nobody"), for checks on files the system refuses to write. The body
// returns what went wrong, or the empty text when all went well. std::nullopt when no
// unprivileged user can be had here.
std::optional<QString> runUnprivileged(const std::function<QString()>& body);

// A second process that takes locks on a base when told to. Start it before this process
// opens the base: a connection must never be carried across fork().
class LockingProcess {
public:
    explicit LockingProcess(const QString& path);
    ~LockingProcess();
    LockingProcess(const LockingProcess&) = delete;
    LockingProcess& operator=(const LockingProcess&) = delete;

    // Begins a transaction in the child with "BEGIN IMMEDIATE" (no other writer) or
    // "BEGIN EXCLUSIVE" (no other reader either) and returns once the lock is held.
    void lock(const char* beginStatement);
    // Ends the child's transaction and returns once the lock is gone.
    void release();

private:
    void command(char what, const QByteArray& argument);
    pid_t pid_ = -1;
    int toChild_ = -1;
    int fromChild_ = -1;
};

// The stock sqlcipher shell on a base, fed one script on its standard input; what it printed
// (output and errors). A missing shell fails the test.
QString runShell(const QString& base, const QByteArray& script);

} // namespace store_test
