#include "BaseCommand.h"

#include "common/Failure.h"
#include "infobase/store/AttachmentReader.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherConnection.h"
#include "jet/JetImport.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <unistd.h>

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

// Imports the Windows program's base, telling the records and the share read so far whenever
// the share grows by a percent: on a terminal in one line rewritten in place, otherwise (the
// program reads it) a line each. Then a summary.
void importBase(const QString& jetPath, const QString& basePath, QTextStream& out) {
    const bool terminal = ::isatty(STDOUT_FILENO) != 0;
    int shown = -1;
    const jet::ImportSummary summary =
        jet::importJetBase(jetPath, basePath, [&](const jet::ImportStep& step) {
            const int percent = step.totalBytes > 0 ? int(step.bytes * 100 / step.totalBytes) : 100;
            if (percent != shown) {
                shown = percent;
                out << (terminal ? "\r" : "")
                    << QStringLiteral("Перенесено записей: %1 из %2 (%3 %)")
                           .arg(step.records)
                           .arg(step.totalRecords)
                           .arg(percent)
                    << (terminal ? "" : "\n");
                out.flush();
            }
        });
    if (terminal) {
        out << '\n';
    }
    out << QStringLiteral("Готово: перенесено записей: %1, байт вложений: %2, за %3 с.\n")
               .arg(summary.records)
               .arg(summary.attachmentBytes)
               .arg(double(summary.milliseconds) / 1000.0, 0, 'f', 1);
    if (!summary.keptOldBase.isEmpty()) {
        out << QStringLiteral("Файл базы Windows сохранён без изменений: %1\n")
                   .arg(summary.keptOldBase);
    }
}

} // namespace

int runBaseCommand(const QStringList& args, Streams streams) {
    const bool create = args.size() == 2 && args[0] == QLatin1String("create");
    const bool list = args.size() == 2 && args[0] == QLatin1String("list");
    const bool import = args.size() == 3 && args[0] == QLatin1String("import");
    if (!create && !list && !import) {
        streams.err << "Usage: quorlent-tool base create FILE | base list FILE"
                       " | base import JET BASE\n";
        return 2;
    }
    try {
        if (create) {
            infobase::branch_table::createBaseFile(args[1]);
        } else if (import) {
            importBase(args[1], args[2], streams.out);
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
