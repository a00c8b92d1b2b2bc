#include "JetTableReader.h"

#include "JetText.h"
#include "common/Failure.h"
#include "infobase/wholefile/JetHeader.h"

// libmdb's header includes glib inside its extern "C" block, which glib's C++ parts do not
// survive: glib comes first, on its own.
#include <QFileInfo>
#include <QSet>
#include <QtEndian>
#include <cmath>
#include <glib.h>
#include <mdbtools.h>
#include <vector>

namespace jet {
namespace {

constexpr qint64 kPageSize = 4096;
constexpr int kLongValueHeader = 12;
constexpr quint32 kInlineFlag = 0x80000000u;
constexpr quint32 kSinglePageFlag = 0x40000000u;
constexpr quint32 kLengthMask = 0x3FFFFFFFu;
constexpr int kOffsetMask = 0x1FFF;

quint32 readUint32(const unsigned char* data) {
    return qFromLittleEndian<quint32>(data);
}

[[noreturn]] void damaged(const QString& what) {
    throw Failure(QStringLiteral("Файл базы Windows повреждён: %1").arg(what));
}

ColumnKind kindOf(int type) {
    switch (type) {
    case MDB_TEXT:
    case MDB_MEMO:
        return ColumnKind::Text;
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
        return ColumnKind::Integer;
    case MDB_DATETIME:
        return ColumnKind::DateTime;
    case MDB_BINARY:
    case MDB_OLE:
        return ColumnKind::Binary;
    default:
        return ColumnKind::Other;
    }
}

// libmdb copies a long value's pages into the column's bound buffer; while it is bound, every
// row fetched would also be converted into it as text. So the buffer is bound only while a
// value is read.
class BoundBuffer {
public:
    BoundBuffer(MdbColumn* column, char* buffer) : column_(column) { column_->bind_ptr = buffer; }
    ~BoundBuffer() { column_->bind_ptr = nullptr; }
    BoundBuffer(const BoundBuffer&) = delete;
    BoundBuffer& operator=(const BoundBuffer&) = delete;

private:
    MdbColumn* column_;
};

} // namespace

struct JetTableReader::State {
    QString tableName;
    MdbHandle* mdb = nullptr;
    MdbTableDef* table = nullptr;
    std::vector<MdbColumn*> columns;
    std::vector<MdbField> fields;
    std::vector<int> fieldOf; // the cracked field of each column
    std::vector<char> page = std::vector<char>(kPageSize);
    qint64 fileSize = 0;
    qint64 bytesRead = 0;
    qint64 rowsRead = 0;

    State() = default;
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    // Also when the reader's constructor fails half way.
    ~State() {
        if (table != nullptr) {
            mdb_free_tabledef(table);
        }
        if (mdb != nullptr) {
            mdb_close(mdb);
        }
    }

    const MdbField* field(int column) const { return &fields[std::size_t(fieldOf[column])]; }
    const unsigned char* valueBytes(const MdbField* f) const { return mdb->pg_buf + f->start; }

    QString where(int column) const {
        return QStringLiteral("столбец %1, запись %2")
            .arg(QString::fromUtf8(columns[std::size_t(column)]->name))
            .arg(rowsRead);
    }

    std::optional<qint64> longValueLength(int column) const {
        const MdbField* f = field(column);
        if (f->is_null) {
            return std::nullopt;
        }
        if (f->siz == 0) {
            return 0;
        }
        if (f->siz < kLongValueHeader) {
            damaged(QStringLiteral("заголовок длинного значения обрезан (%1).").arg(where(column)));
        }
        return readUint32(valueBytes(f)) & kLengthMask;
    }

    // Reads a long value (memo or OLE object) whole, up to the length its header declares:
    // kept inline in the row, on one long-value page, or in a chain of them. A chain that ends
    // or loops before that length, or holds more, is damage.
    void readLongValue(int column, const ByteSink& sink) {
        const MdbField* f = field(column);
        const qint64 length = longValueLength(column).value_or(0);
        if (length == 0) {
            return;
        }
        unsigned char header[kLongValueHeader];
        std::memcpy(header, valueBytes(f), kLongValueHeader);
        const quint32 flags = readUint32(header) & ~kLengthMask;
        if (flags & kInlineFlag) {
            if (f->siz - kLongValueHeader != length) {
                damaged(QStringLiteral("длина значения не совпадает с заголовком (%1).")
                            .arg(where(column)));
            }
            sink(reinterpret_cast<const char*>(valueBytes(f)) + kLongValueHeader, length);
            bytesRead += length;
            return;
        }
        // libmdb takes the length's upper bits for flags it does not know (values of 16 MiB
        // and more) and gives up; it is handed a header holding the page reference only.
        qToLittleEndian<quint32>(flags & kSinglePageFlag, header);
        MdbColumn* col = columns[std::size_t(column)];
        const BoundBuffer bound(col, page.data());
        qint64 got = qint64(mdb_ole_read(mdb, col, header, std::size_t(kPageSize)));
        if (flags & kSinglePageFlag) {
            if (got < length) {
                damaged(QStringLiteral("страница длинного значения не читается или короче "
                                       "заголовка (%1).")
                            .arg(where(column)));
            }
            sink(page.data(), length);
            bytesRead += length;
            return;
        }
        QSet<quint32> seen{readUint32(header + 4)};
        qint64 total = 0;
        while (true) {
            if (got == 0) {
                damaged(QStringLiteral("цепочка страниц длинного значения обрывается: прочитано "
                                       "%1 байт из %2 (%3).")
                            .arg(total)
                            .arg(length)
                            .arg(where(column)));
            }
            if (total + got > length) {
                damaged(QStringLiteral("длинное значение длиннее, чем указано в заголовке (%1).")
                            .arg(where(column)));
            }
            sink(page.data(), got);
            total += got;
            bytesRead += got;
            const quint32 next = col->cur_blob_pg_row;
            if (next != 0 && seen.contains(next)) {
                damaged(QStringLiteral("цепочка страниц длинного значения зацикливается (%1).")
                            .arg(where(column)));
            }
            if (total == length) {
                if (next != 0) {
                    damaged(QStringLiteral("цепочка страниц длинного значения длиннее, чем "
                                           "указано в заголовке (%1).")
                                .arg(where(column)));
                }
                return;
            }
            seen.insert(next);
            got = next == 0 ? 0 : qint64(mdb_ole_read_next(mdb, col, header));
        }
    }
};

JetTableReader::JetTableReader(const QString& path, const QString& table)
    : d(std::make_unique<State>()) {
    d->tableName = table;
    const infobase::AccessFileKind kind = infobase::accessFileKind(path);
    if (kind != infobase::AccessFileKind::Jet4) {
        throw Failure(QStringLiteral("Файл \"%1\" — %2, а не база Jet 4.0.")
                          .arg(path, infobase::accessFileKindName(kind)));
    }
    d->fileSize = QFileInfo(path).size();
    if (d->fileSize % kPageSize != 0 || d->fileSize < 2 * kPageSize) {
        damaged(QStringLiteral("файл обрезан (%1 байт — не целое число страниц по %2 байт).")
                    .arg(d->fileSize)
                    .arg(kPageSize));
    }
    d->mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (d->mdb == nullptr) {
        throw Failure(QStringLiteral("Не удалось открыть файл \"%1\".").arg(path));
    }
    if (mdb_read_catalog(d->mdb, MDB_TABLE) == nullptr) {
        damaged(QStringLiteral("каталог базы не читается."));
    }
    MdbCatalogEntry* entry = nullptr;
    for (unsigned i = 0; i < d->mdb->num_catalog; ++i) {
        auto* candidate = static_cast<MdbCatalogEntry*>(g_ptr_array_index(d->mdb->catalog, i));
        if (candidate->object_type == MDB_TABLE &&
            table.compare(QString::fromUtf8(candidate->object_name), Qt::CaseInsensitive) == 0) {
            entry = candidate;
            break;
        }
    }
    if (entry == nullptr) {
        // A catalog that does not even list itself was not read from a sound page.
        if (mdb_get_catalogentry_by_name(d->mdb, "MSysObjects") == nullptr) {
            damaged(QStringLiteral("каталог базы не читается."));
        }
        throw Failure(QStringLiteral("В базе нет таблицы %1.").arg(table));
    }
    d->table = mdb_read_table(entry);
    if (d->table == nullptr || mdb_read_columns(d->table) == nullptr) {
        damaged(QStringLiteral("описание таблицы %1 не читается.").arg(table));
    }
    for (unsigned i = 0; i < d->table->num_cols; ++i) {
        d->columns.push_back(static_cast<MdbColumn*>(g_ptr_array_index(d->table->columns, i)));
    }
    d->fields.resize(d->columns.size());
    d->fieldOf.assign(d->columns.size(), 0);
    mdb_rewind_table(d->table);
}

JetTableReader::~JetTableReader() = default;

qint64 JetTableReader::declaredRows() const {
    return d->table->num_rows;
}

qint64 JetTableReader::fileSize() const {
    return d->fileSize;
}

int JetTableReader::columnCount() const {
    return int(d->columns.size());
}

QString JetTableReader::columnName(int column) const {
    return QString::fromUtf8(d->columns[std::size_t(column)]->name);
}

ColumnKind JetTableReader::columnKind(int column) const {
    return kindOf(d->columns[std::size_t(column)]->col_type);
}

int JetTableReader::columnByName(const QString& name) const {
    for (int i = 0; i < columnCount(); ++i) {
        if (name.compare(columnName(i), Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

bool JetTableReader::next() {
    if (!mdb_fetch_row(d->table)) {
        return false;
    }
    ++d->rowsRead;
    // The row just fetched is cracked again here for what libmdb's bound values lose: which
    // values are missing, and the stored bytes of the others.
    int start = 0;
    size_t size = 0;
    if (mdb_find_row(d->mdb, int(d->table->cur_row) - 1, &start, &size) != 0) {
        damaged(
            QStringLiteral("запись %1 таблицы %2 не читается.").arg(d->rowsRead).arg(d->tableName));
    }
    start &= kOffsetMask;
    // A row written before columns were added holds fewer than the table has; libmdb gives
    // the missing ones as missing values.
    const int count = columnCount();
    if (mdb_crack_row(d->table, start, size, d->fields.data()) < 0) {
        damaged(
            QStringLiteral("запись %1 таблицы %2 не читается.").arg(d->rowsRead).arg(d->tableName));
    }
    for (int i = 0; i < count; ++i) {
        const MdbField& f = d->fields[std::size_t(i)];
        if (f.colnum < 0 || f.colnum >= count || f.start < 0 || f.siz < 0 ||
            f.start + f.siz > kPageSize) {
            damaged(QStringLiteral("запись %1 таблицы %2 не читается.")
                        .arg(d->rowsRead)
                        .arg(d->tableName));
        }
        d->fieldOf[std::size_t(f.colnum)] = i;
    }
    return true;
}

std::optional<QString> JetTableReader::text(int column) {
    const MdbField* f = d->field(column);
    if (f->is_null) {
        return std::nullopt;
    }
    if (d->columns[std::size_t(column)]->col_type == MDB_TEXT) {
        d->bytesRead += f->siz;
        return decodeJetText(QByteArrayView(d->valueBytes(f), f->siz));
    }
    QByteArray stored;
    stored.reserve(d->longValueLength(column).value_or(0));
    d->readLongValue(column,
                     [&stored](const char* data, qint64 size) { stored.append(data, size); });
    return decodeJetText(stored);
}

std::optional<qint64> JetTableReader::integer(int column) const {
    const MdbField* f = d->field(column);
    if (f->is_null) {
        return std::nullopt;
    }
    const unsigned char* data = d->valueBytes(f);
    const int type = d->columns[std::size_t(column)]->col_type;
    const int expected = type == MDB_BYTE ? 1 : type == MDB_INT ? 2 : 4;
    if (f->siz != expected) {
        damaged(QStringLiteral("длина числа не совпадает с его типом (%1).").arg(d->where(column)));
    }
    switch (type) {
    case MDB_BYTE:
        return data[0];
    case MDB_INT:
        return qFromLittleEndian<qint16>(data);
    default:
        return qFromLittleEndian<qint32>(data);
    }
}

std::optional<QDate> JetTableReader::date(int column) const {
    const MdbField* f = d->field(column);
    if (f->is_null) {
        return std::nullopt;
    }
    if (f->siz != 8) {
        damaged(QStringLiteral("длина даты не совпадает с её типом (%1).").arg(d->where(column)));
    }
    // Days since 30 December 1899; the whole part, toward zero, is the day.
    const double days = qFromLittleEndian<double>(d->valueBytes(f));
    if (!std::isfinite(days) || std::fabs(days) > 3e6) {
        damaged(QStringLiteral("дата вне допустимых пределов (%1).").arg(d->where(column)));
    }
    return QDate(1899, 12, 30).addDays(qint64(std::trunc(days)));
}

std::optional<qint64> JetTableReader::binarySize(int column) const {
    const MdbField* f = d->field(column);
    if (d->columns[std::size_t(column)]->col_type == MDB_BINARY) {
        return f->is_null ? std::nullopt : std::optional<qint64>(f->siz);
    }
    return d->longValueLength(column);
}

void JetTableReader::readBinary(int column, const ByteSink& sink) {
    const MdbField* f = d->field(column);
    if (d->columns[std::size_t(column)]->col_type == MDB_BINARY) {
        if (!f->is_null && f->siz > 0) {
            sink(reinterpret_cast<const char*>(d->valueBytes(f)), f->siz);
            d->bytesRead += f->siz;
        }
        return;
    }
    d->readLongValue(column, sink);
}

qint64 JetTableReader::bytesRead() const {
    return d->bytesRead;
}

} // namespace jet
