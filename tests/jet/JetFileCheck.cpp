#include "JetFileCheck.h"

#include "JetEncoding.h"

#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QtEndian>

namespace {

std::uint16_t u16(const QByteArray& bytes, int at) {
    return qFromLittleEndian<std::uint16_t>(bytes.constData() + at);
}
std::uint32_t u32(const QByteArray& bytes, int at) {
    return qFromLittleEndian<std::uint32_t>(bytes.constData() + at);
}

} // namespace

ToolRun runTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    ToolRun run;
    if (!process.waitForStarted() || !process.waitForFinished(120'000)) {
        process.kill();
        process.waitForFinished();
        run.crashed = true;
        return run;
    }
    run.crashed = process.exitStatus() == QProcess::CrashExit;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QStringList mdbTables(const QString& file) {
    return QString::fromUtf8(runTool(MDB_TABLES, {"-1", file}).out).split('\n', Qt::SkipEmptyParts);
}

std::vector<QJsonObject> mdbJson(const QString& file, const QString& table,
                                 const QStringList& options) {
    std::vector<QJsonObject> rows;
    const ToolRun run = runTool(MDB_JSON, options + QStringList{file, table});
    for (const QByteArray& line : run.out.split('\n'))
        if (!line.trimmed().isEmpty())
            rows.push_back(QJsonDocument::fromJson(line).object());
    return rows;
}

ToolRun mdbExportHex(const QString& file, const QString& table) {
    return runTool(MDB_EXPORT, {"-b", "hex", "-D", "%Y-%m-%d %H:%M:%S", "-T", "%Y-%m-%d %H:%M:%S",
                                file, table});
}

QByteArray filePage(const QString& path, std::uint32_t page) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const std::uint32_t key = jetfile::readHeaderPage(file.read(jetfile::kPageSize)).databaseKey;
    if (!file.seek(qint64(page) * jetfile::kPageSize))
        return {};
    QByteArray bytes = file.read(jetfile::kPageSize);
    if (page != 0 && key != 0)
        jetfile::rc4(jetfile::pageKey(key, page), bytes.data(), bytes.size());
    return bytes;
}

const ColumnEntry* TableDefinition::column(const QString& name) const {
    for (const ColumnEntry& c : columns)
        if (c.name == name)
            return &c;
    return nullptr;
}

TableDefinition parseDefinition(const QByteArray& page) {
    TableDefinition definition;
    definition.pageType = static_cast<unsigned char>(page[0]);
    definition.rows = u32(page, 16);
    definition.tableType = static_cast<unsigned char>(page[40]);
    definition.variableColumns = u16(page, 43);
    const int columnCount = u16(page, 45);
    const int realIndexes = static_cast<int>(u32(page, 51));
    definition.usageMap = u32(page, 55);
    definition.freeMap = u32(page, 59);
    int at = 63 + 12 * realIndexes;
    for (int i = 0; i < columnCount; ++i, at += 25) {
        ColumnEntry c;
        c.type = static_cast<unsigned char>(page[at]);
        c.number = u16(page, at + 5);
        c.variableIndex = u16(page, at + 7);
        c.flags = static_cast<unsigned char>(page[at + 15]);
        c.miscFlags = static_cast<unsigned char>(page[at + 16]);
        c.fixedOffset = u16(page, at + 21);
        c.length = u16(page, at + 23);
        definition.columns.push_back(c);
    }
    for (ColumnEntry& c : definition.columns) {
        const int length = u16(page, at);
        c.name = jetfile::decodeText(page.mid(at + 2, length));
        at += 2 + length;
    }
    return definition;
}

QByteArray pageRow(const QByteArray& page, int row) {
    const int start = u16(page, 14 + 2 * row) & 0x1FFF;
    const int end = row == 0 ? jetfile::kPageSize : u16(page, 14 + 2 * (row - 1)) & 0x1FFF;
    return page.mid(start, end - start);
}
