#include "MdbReadBack.h"

// libmdb's header includes glib inside its extern "C" block.
#include <QCryptographicHash>
#include <glib.h>
#include <mdbtools.h>
#include <memory>

namespace {

constexpr std::uint32_t kInline = 0x80000000;
constexpr std::uint32_t kLengthMask = 0x3FFFFFFF;

std::uint32_t little32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return u[0] | u[1] << 8 | u[2] << 16 | static_cast<std::uint32_t>(u[3]) << 24;
}

void readLongValue(MdbHandle* mdb, MdbColumn* column, const QByteArray& stored,
                   const MdbReadOptions& options, MdbCell& cell) {
    QCryptographicHash sha1(QCryptographicHash::Sha1);
    auto take = [&](const char* data, std::size_t length) {
        sha1.addData(QByteArrayView(data, static_cast<qsizetype>(length)));
        if (cell.read + length <= options.keepUpTo)
            cell.bytes.append(data, static_cast<qsizetype>(length));
        cell.read += length;
    };
    if (stored.size() < 12) {
        cell.sha1 = sha1.result();
        return;
    }
    cell.header = stored.left(12);
    const std::uint32_t header = little32(stored.constData());
    cell.declared = header & kLengthMask;
    if (header & kInline) {
        take(stored.constData() + 12, static_cast<std::size_t>(stored.size() - 12));
    } else {
        std::vector<char> buffer(MDB_BIND_SIZE);
        // libmdb refuses a chained value of 256 MiB or more, taking the length's high bits
        // for flags; it never reads the length itself, so the copy it is given has none.
        QByteArray ole = stored.left(12);
        if ((header & ~kLengthMask) == 0)
            std::fill_n(ole.data(), 4, '\0');
        column->bind_ptr = buffer.data();
        std::size_t length = mdb_ole_read(mdb, column, ole.data(), buffer.size());
        while (length > 0) {
            take(buffer.data(), length);
            if (cell.read > cell.declared)
                break;
            length = mdb_ole_read_next(mdb, column, ole.data());
        }
        column->bind_ptr = nullptr;
    }
    cell.sha1 = sha1.result();
}

} // namespace

MdbTable readWithLibmdb(const QString& file, const QString& tableName,
                        const MdbReadOptions& options) {
    MdbTable result;
    std::unique_ptr<MdbHandle, decltype(&mdb_close)> mdb(
        mdb_open(file.toLocal8Bit().constData(), MDB_NOFLAGS), &mdb_close);
    if (!mdb)
        return result;
    QByteArray name = tableName.toUtf8();
    std::unique_ptr<MdbTableDef, decltype(&mdb_free_tabledef)> table(
        mdb_read_table_by_name(mdb.get(), name.data(), MDB_TABLE), &mdb_free_tabledef);
    if (!table || !mdb_read_columns(table.get()))
        return result;
    result.opened = true;
    result.declaredRows = table->num_rows;
    for (guint i = 0; i < table->num_cols; ++i)
        result.columns.push_back(
            QString::fromUtf8(static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i))->name));

    mdb_rewind_table(table.get());
    std::vector<MdbField> fields(table->num_cols);
    while (mdb_fetch_row(table.get())) {
        int start = 0;
        size_t size = 0;
        if (mdb_find_row(mdb.get(), static_cast<int>(table->cur_row) - 1, &start, &size) != 0)
            continue;
        start &= 0x1FFF;
        if (mdb_crack_row(table.get(), start, size, fields.data()) < 0)
            continue;
        std::vector<MdbCell> row(table->num_cols);
        for (guint i = 0; i < table->num_cols; ++i) {
            const MdbField& field = fields[i];
            auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, field.colnum));
            MdbCell& cell = row[static_cast<std::size_t>(field.colnum)];
            if (column->col_type == MDB_BOOL) {
                cell.null = false;
                cell.bytes = QByteArray(1, field.is_null ? '\0' : '\1');
                continue;
            }
            if (field.is_null)
                continue;
            cell.null = false;
            const QByteArray stored(reinterpret_cast<const char*>(mdb->pg_buf) + field.start,
                                    field.siz);
            if (column->col_type == MDB_MEMO || column->col_type == MDB_OLE)
                readLongValue(mdb.get(), column, stored, options, cell);
            else
                cell.bytes = stored;
        }
        result.rows.push_back(std::move(row));
    }
    return result;
}
