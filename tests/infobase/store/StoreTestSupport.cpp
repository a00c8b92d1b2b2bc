#include "StoreTestSupport.h"

#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherConnection.h"

#include <QFile>
#include <QProcess>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace store_test {

using infobase::SqlcipherConnection;
using infobase::SqlStatement;

namespace {

SqlcipherConnection connectTo(const QString& path) {
    return SqlcipherConnection::open(path, infobase::branch_table::kPassword, {});
}

void writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n <= 0) {
            return;
        }
        data += n;
        size -= std::size_t(n);
    }
}

bool readByte(int fd, char* byte) {
    return ::read(fd, byte, 1) == 1;
}

} // namespace

TempBase::TempBase() {
    infobase::branch_table::createBaseFile(path());
}

void TempBase::seed(const std::vector<Seed>& records) const {
    const SqlcipherConnection connection = connectTo(path());
    SqlStatement insert =
        connection.prepare("INSERT INTO Tab_DB_Delphi_10 (Dat, Imya_vetok, Opisanie, \"File\")"
                           " VALUES ('01.02.2024', ?, ?, ?)");
    for (const Seed& record : records) {
        insert.reset();
        insert.bindText(1, record.name.toUtf8());
        insert.bindText(2, record.description.toUtf8());
        insert.bindBlob(3, record.attachment);
        insert.step();
    }
}

void TempBase::execute(const QByteArray& sql) const {
    connectTo(path()).execute(sql);
}

QStringList TempBase::names() const {
    const SqlcipherConnection connection = connectTo(path());
    SqlStatement select =
        connection.prepare("SELECT Imya_vetok FROM Tab_DB_Delphi_10 ORDER BY rowid");
    QStringList names;
    while (select.step()) {
        names.append(QString::fromUtf8(select.columnText(0)));
    }
    return names;
}

QString TempBase::column(const QString& name, const char* columnName) const {
    const SqlcipherConnection connection = connectTo(path());
    SqlStatement select = connection.prepare("SELECT ifnull(\"" + QByteArray(columnName) +
                                             "\", '') FROM Tab_DB_Delphi_10 WHERE Imya_vetok=?");
    select.bindText(1, name.toUtf8());
    return select.step() ? QString::fromUtf8(select.columnText(0)) : QString();
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::optional<QString> runUnprivileged(const std::function<QString()>& body) {
    constexpr int kNoUnprivilegedUser = 77;
    int fds[2];
    if (::pipe(fds) != 0) {
        return QStringLiteral("pipe() failed");
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(kNoUnprivilegedUser);
        }
        QByteArray report;
        try {
            report = body().toUtf8();
        } catch (const std::exception& e) {
            report = QByteArray("threw: ") + e.what();
        }
        writeAll(fds[1], report.constData(), std::size_t(report.size()));
        ::_exit(0); // never back into the test runner
    }
    ::close(fds[1]);
    QByteArray report;
    char byte;
    while (readByte(fds[0], &byte)) {
        report.append(byte);
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == kNoUnprivilegedUser) {
        return std::nullopt;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return QStringLiteral("the child process died");
    }
    return QString::fromUtf8(report);
}

// The child reads one-letter commands: 'l' + statement + '\n' locks, 'r' releases; it
// answers each with one byte ('+' done, '-' failed) and ends when the pipe closes.
LockingProcess::LockingProcess(const QString& path) {
    int down[2], up[2];
    if (::pipe(down) != 0 || ::pipe(up) != 0) {
        ADD_FAILURE() << "pipe() failed";
        return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
        ::close(down[1]);
        ::close(up[0]);
        SqlcipherConnection connection;
        char what;
        while (readByte(down[0], &what)) {
            QByteArray argument;
            char c;
            while (readByte(down[0], &c) && c != '\n') {
                argument.append(c);
            }
            char answer = '+';
            try {
                if (what == 'l') {
                    connection = connectTo(path);
                    connection.execute(argument);
                    // A read makes the lock real for "BEGIN IMMEDIATE" and the others alike.
                    connection.prepare("SELECT count(*) FROM Tab_DB_Delphi_10").step();
                } else {
                    connection.close(); // rolls the transaction back, dropping the lock
                }
            } catch (...) {
                answer = '-';
            }
            writeAll(up[1], &answer, 1);
        }
        ::_exit(0);
    }
    ::close(down[0]);
    ::close(up[1]);
    toChild_ = down[1];
    fromChild_ = up[0];
}

LockingProcess::~LockingProcess() {
    if (pid_ > 0) {
        ::close(toChild_);
        ::close(fromChild_);
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

void LockingProcess::command(char what, const QByteArray& argument) {
    const QByteArray line = what + argument + '\n';
    writeAll(toChild_, line.constData(), std::size_t(line.size()));
    char answer = 0;
    ASSERT_TRUE(readByte(fromChild_, &answer));
    ASSERT_EQ(answer, '+') << "the locking process failed: " << what << argument.constData();
}

void LockingProcess::lock(const char* beginStatement) {
    command('l', beginStatement);
}

void LockingProcess::release() {
    command('r', QByteArray());
}

QString runShell(const QString& base, const QByteArray& script) {
    QProcess shell;
    shell.start(QStringLiteral("sqlcipher"), {base});
    if (!shell.waitForStarted()) {
        ADD_FAILURE() << "the sqlcipher shell is not installed";
        return QString();
    }
    shell.write(script);
    shell.closeWriteChannel();
    shell.waitForFinished();
    return QString::fromUtf8(shell.readAllStandardOutput() + shell.readAllStandardError());
}

} // namespace store_test
