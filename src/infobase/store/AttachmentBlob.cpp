#include "infobase/store/AttachmentBlob.h"

#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlStatement.h"
#include "infobase/store/SqlcipherApi.h"

namespace infobase {

AttachmentBlob::AttachmentBlob(sqlite3* db, qint64 rowId, Access access) : db_(db) {
    if (sqlite3_blob_open(db, "main", branch_table::kRecordTable,
                          branch_table::columnName(branch_table::Column::File), rowId,
                          access == ReadWrite ? 1 : 0, &blob_) != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(db));
        const int code = sqlite3_errcode(db) & 0xff;
        sqlite3_blob_close(blob_);
        blob_ = nullptr;
        throw DatabaseFailure(message, code);
    }
}

AttachmentBlob::~AttachmentBlob() {
    sqlite3_blob_close(blob_);
}

int AttachmentBlob::size() const {
    return sqlite3_blob_bytes(blob_);
}

void AttachmentBlob::read(char* into, int count, int offset) {
    if (sqlite3_blob_read(blob_, into, count, offset) != SQLITE_OK) {
        raise();
    }
}

void AttachmentBlob::write(const char* from, int count, int offset) {
    if (sqlite3_blob_write(blob_, from, count, offset) != SQLITE_OK) {
        raise();
    }
}

void AttachmentBlob::raise() {
    throw DatabaseFailure(QString::fromUtf8(sqlite3_errmsg(db_)), sqlite3_errcode(db_) & 0xff);
}

} // namespace infobase
