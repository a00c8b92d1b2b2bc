#include "infobase/store/BranchTable.h"

#include "common/Failure.h"
#include "infobase/store/RecordNameIndex.h"
#include "infobase/store/SqlcipherConnection.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace infobase::branch_table {
namespace {

constexpr const char* kColumnNames[kColumnCount] = {
    "Dat", "Imya_vetok", "Opisanie", "Texty", "RashirenieFile", "File",
};

} // namespace

const char* columnName(Column column) {
    return kColumnNames[static_cast<int>(column)];
}

bool columnByName(const QString& name, Column* column) {
    for (int i = 0; i < kColumnCount; ++i) {
        if (name.compare(QLatin1String(kColumnNames[i]), Qt::CaseInsensitive) == 0) {
            *column = static_cast<Column>(i);
            return true;
        }
    }
    return false;
}

void requireColumns(const SqlcipherConnection& connection) {
    // The column list, not a query naming the columns: SQLite reads an unknown column name
    // in double quotes as a text, so such a query would not notice a missing column.
    SqlStatement info = connection.prepare("PRAGMA table_info(Tab_DB_Delphi_10)");
    QList<QByteArray> present;
    while (info.step()) {
        present.append(info.columnText(1).toLower());
    }
    if (present.isEmpty()) {
        throw Failure(QStringLiteral("no such table: %1").arg(QLatin1String(kRecordTable)));
    }
    for (const char* name : kColumnNames) {
        // Column names are compared ignoring ASCII letter case, as SQLite does.
        if (!present.contains(QByteArray(name).toLower())) {
            throw Failure(QStringLiteral("no such column: %1").arg(QLatin1String(name)));
        }
    }
}

void createTables(const SqlcipherConnection& connection) {
    connection.execute(QByteArray("BEGIN;"
                                  "CREATE TABLE Tab_DB_Delphi_10 ("
                                  " RecordId INTEGER PRIMARY KEY AUTOINCREMENT,"
                                  " Dat TEXT,"
                                  " Imya_vetok TEXT,"
                                  " Opisanie TEXT,"
                                  " Texty TEXT,"
                                  " RashirenieFile INTEGER"
                                  "  CHECK (RashirenieFile BETWEEN -2147483648 AND 2147483647),"
                                  " File BLOB);") +
                       record_name_index::kCreate +
                       ";"
                       "CREATE TABLE Tab_Parol (Parol TEXT);"
                       "COMMIT;");
}

void createBaseFile(const QString& path) {
    const QByteArray file = QFile::encodeName(path);
    // O_EXCL: an existing file, even one created a moment ago by someone else, is refused.
    const int fd = ::open(file.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        throw Failure(QStringLiteral("cannot create %1: %2")
                          .arg(path, QString::fromLocal8Bit(strerror(errno))));
    }
    ::close(fd);
    try {
        // An empty file is an empty base: the first write lays down the encrypted header.
        const SqlcipherConnection connection =
            SqlcipherConnection::open(path, kPassword, SqlcipherConnection::Options{});
        createTables(connection);
    } catch (...) {
        ::unlink(file.constData());
        throw;
    }
}

} // namespace infobase::branch_table
