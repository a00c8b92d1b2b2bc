#include "JetImport.h"

#include "CrashGuard.h"
#include "JetTableReader.h"
#include "common/Failure.h"
#include "infobase/store/BranchTable.h"
#include "infobase/wholefile/ImportPlacement.h"
#include "infobase/wholefile/ImportedBase.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <array>

namespace jet {
namespace {

using infobase::branch_table::Column;

// How many bytes of an attachment are read between two reports of progress.
constexpr qint64 kProgressBytes = qint64(8) << 20;

// The six columns of a branch record in the Windows base, found by name whatever their
// order, each of a kind the program can take its value from.
struct RecordColumns {
    std::array<int, infobase::branch_table::kColumnCount> index{};

    int operator[](Column column) const { return index[std::size_t(column)]; }
};

bool kindFits(Column column, ColumnKind kind) {
    switch (column) {
    case Column::Dat:
        return kind == ColumnKind::Text || kind == ColumnKind::DateTime;
    case Column::RashirenieFile:
        return kind == ColumnKind::Integer;
    case Column::File:
        return kind == ColumnKind::Binary;
    default:
        return kind == ColumnKind::Text;
    }
}

RecordColumns findColumns(const JetTableReader& reader) {
    RecordColumns columns;
    for (int i = 0; i < infobase::branch_table::kColumnCount; ++i) {
        const auto column = static_cast<Column>(i);
        const QString name = QLatin1String(infobase::branch_table::columnName(column));
        const int found = reader.columnByName(name);
        if (found < 0) {
            throw Failure(QStringLiteral("В таблице %1 нет столбца %2.")
                              .arg(QLatin1String(infobase::branch_table::kRecordTable), name));
        }
        if (!kindFits(column, reader.columnKind(found))) {
            throw Failure(QStringLiteral("Столбец %1 таблицы %2 имеет тип, из которого "
                                         "значение не перенести.")
                              .arg(name, QLatin1String(infobase::branch_table::kRecordTable)));
        }
        columns.index[std::size_t(i)] = found;
    }
    return columns;
}

infobase::ImportedRecord readRecord(JetTableReader& reader, const RecordColumns& columns) {
    infobase::ImportedRecord record;
    const int dat = columns[Column::Dat];
    if (reader.columnKind(dat) == ColumnKind::DateTime) {
        // The date as the program itself writes it: in the user's short date format.
        if (const std::optional<QDate> date = reader.date(dat)) {
            record.dat = QLocale::system().toString(*date, QLocale::ShortFormat);
        }
    } else {
        record.dat = reader.text(dat);
    }
    record.name = reader.text(columns[Column::Imya_vetok]);
    record.description = reader.text(columns[Column::Opisanie]);
    record.text = reader.text(columns[Column::Texty]);
    if (const std::optional<qint64> kind = reader.integer(columns[Column::RashirenieFile])) {
        record.kind = qint32(*kind);
    }
    record.attachmentSize = reader.binarySize(columns[Column::File]);
    return record;
}

void refuseTakenBase(const QString& jetPath, const QString& basePath) {
    if (QFileInfo::exists(basePath) && !infobase::sameFile(basePath, jetPath)) {
        throw Failure(QStringLiteral("Файл \"%1\" уже существует: новая база не пишется поверх "
                                     "другого файла.")
                          .arg(basePath));
    }
}

} // namespace

ImportSummary importJetBase(const QString& jetPath, const QString& basePath,
                            const ImportProgress& progress) {
    QElapsedTimer timer;
    timer.start();
    refuseTakenBase(jetPath, basePath);
    const QString importing = infobase::importingPath(basePath);
    // Only a killed import leaves a file under this name, and only a half-written one.
    QFile::remove(importing);

    ImportSummary summary;
    {
        const CrashGuard guard(importing);
        JetTableReader reader(jetPath, QLatin1String(infobase::branch_table::kRecordTable));
        const RecordColumns columns = findColumns(reader);
        infobase::ImportedBase base(importing);
        ImportStep step{0, reader.declaredRows(), 0, reader.fileSize()};
        const auto tell = [&] {
            step.bytes = std::min(reader.bytesRead(), step.totalBytes);
            progress(step);
        };
        while (reader.next()) {
            const infobase::ImportedRecord record = readRecord(reader, columns);
            base.add(record, [&](infobase::AttachmentStream& stream) {
                // A large attachment tells its progress on the way, not only at its end.
                qint64 told = reader.bytesRead();
                reader.readBinary(columns[Column::File], [&](const char* data, qint64 size) {
                    stream.write(data, size);
                    if (reader.bytesRead() - told >= kProgressBytes) {
                        told = reader.bytesRead();
                        tell();
                    }
                });
            });
            step.records = base.records();
            tell();
        }
        if (base.records() != reader.declaredRows()) {
            throw Failure(QStringLiteral("Файл базы Windows повреждён: в таблице %1 прочитано "
                                         "записей %2 из %3.")
                              .arg(QLatin1String(infobase::branch_table::kRecordTable))
                              .arg(base.records())
                              .arg(reader.declaredRows()));
        }
        base.finish(reader.declaredRows(), [](qint64, qint64) {});
        summary.records = base.records();
        summary.attachmentBytes = base.attachmentBytes();
    }
    try {
        summary.keptOldBase = infobase::placeImportedBase(importing, basePath, jetPath);
    } catch (...) {
        QFile::remove(importing);
        throw;
    }
    summary.milliseconds = timer.elapsed();
    return summary;
}

} // namespace jet
