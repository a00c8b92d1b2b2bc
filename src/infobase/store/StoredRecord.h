#pragma once

#include <QByteArray>
#include <QString>

namespace infobase {

// The text fields and kind code of one branch record, as the branch query holds them for the
// current record and a pending change (the other records are known by key and name only).
// The attachment's bytes stay in the base file and are read when asked for. A field that
// holds no value is kept as empty (and 0 for the kind).
struct StoredRecord {
    qint64 rowId = 0;       // the table's hidden key
    QString name;           // Imya_vetok, kept as UTF-16 for the name order
    QByteArray date;        // Dat, UTF-8
    QByteArray description; // Opisanie, UTF-8
    QByteArray text;        // Texty, UTF-8
    qint32 kind = 0;        // RashirenieFile
};

} // namespace infobase
