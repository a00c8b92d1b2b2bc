#include "BaseCommand.h"

#include "common/Failure.h"
#include "infobase/store/AttachmentReader.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherConnection.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>

namespace tool {
namespace {

using infobase::SqlcipherConnection;
using infobase::SqlStatement;

// A JSON string literal holding the text, quotes included.
QByteArray jsonString(const QString& text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2); // without the brackets
}

void listRecords(const QString& path, QTextStream& out) {
    SqlcipherConnection::Options options;
    options.readOnly = true;
    const SqlcipherConnection connection =
        SqlcipherConnection::open(path, infobase::branch_table::kPassword, options);
    SqlStatement rows =
        connection.prepare("SELECT rowid, Dat, Imya_vetok, Opisanie, Texty, RashirenieFile,"
                           " CASE typeof(\"File\") WHEN 'blob' THEN length(\"File\")"
                           " WHEN 'text' THEN length(CAST(\"File\" AS BLOB)) ELSE 0 END"
                           " FROM Tab_DB_Delphi_10 ORDER BY rowid");
    while (rows.step()) {
        const qint64 fileSize = rows.columnInt64(6);
        QByteArray sha256;
        if (fileSize > 0) {
            QCryptographicHash hash(QCryptographicHash::Sha256);
            infobase::readAttachmentPieces(connection, rows.columnInt64(0),
                                           [&hash](QByteArrayView piece) { hash.addData(piece); });
            sha256 = hash.result().toHex();
        }
        QByteArray line = "{\"Dat\":" + jsonString(QString::fromUtf8(rows.columnText(1)));
        line += ",\"Imya_vetok\":" + jsonString(QString::fromUtf8(rows.columnText(2)));
        line += ",\"Opisanie\":" + jsonString(QString::fromUtf8(rows.columnText(3)));
        line += ",\"Texty\":" + jsonString(QString::fromUtf8(rows.columnText(4)));
        line += ",\"RashirenieFile\":" + QByteArray::number(qint32(rows.columnInt64(5)));
        line += ",\"FileSize\":" + QByteArray::number(fileSize);
        line += ",\"FileSha256\":\"" + sha256 + "\"}\n";
        out << QString::fromUtf8(line);
    }
}

} // namespace

int runBaseCommand(const QStringList& args, Streams streams) {
    const bool create = args.size() == 2 && args[0] == QLatin1String("create");
    const bool list = args.size() == 2 && args[0] == QLatin1String("list");
    if (!create && !list) {
        streams.err << "Usage: quorlent-tool base create FILE | base list FILE\n";
        return 2;
    }
    try {
        if (create) {
            infobase::branch_table::createBaseFile(args[1]);
        } else {
            listRecords(args[1], streams.out);
        }
    } catch (const Failure& failure) {
        streams.err << "quorlent-tool: " << args[1] << ": " << failure.message() << '\n';
        return 1;
    }
    return 0;
}

} // namespace tool
