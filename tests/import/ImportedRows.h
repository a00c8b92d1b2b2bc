#pragma once

#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherConnection.h"

#include <QStringList>

// The records of a base file as "Dat|Imya_vetok|Opisanie|Texty|RashirenieFile|File", each row
// in the order it was written, a missing value shown as "∅" and the attachment as its size,
// a colon and the hex of its first four bytes.
inline QStringList importedRows(const QString& path) {
    using namespace infobase;
    SqlcipherConnection::Options options;
    options.readOnly = true;
    const SqlcipherConnection base =
        SqlcipherConnection::open(path, branch_table::kPassword, options);
    SqlStatement rows = base.prepare(
        "SELECT Dat, Imya_vetok, Opisanie, Texty, RashirenieFile, length(File), "
        "hex(substr(File, 1, 4)), File IS NULL FROM Tab_DB_Delphi_10 ORDER BY RecordId");
    QStringList out;
    while (rows.step()) {
        QStringList cells;
        for (int i = 0; i < 5; ++i) {
            cells << (rows.columnType(i) == 5 /* SQLITE_NULL */
                          ? QStringLiteral("∅")
                          : QString::fromUtf8(rows.columnText(i)));
        }
        cells << (rows.columnInt64(7) != 0
                      ? QStringLiteral("∅")
                      : QString::fromUtf8(rows.columnText(5) + ":" + rows.columnText(6)));
        out << cells.join(u'|');
    }
    return out;
}
