#include "infobase/store/AttachmentReader.h"

#include "common/Failure.h"
#include "infobase/store/SqlcipherApi.h"
#include "infobase/store/SqlcipherConnection.h"

#include <QByteArray>
#include <algorithm>

namespace infobase {
namespace {

// An open handle on one attachment's bytes, closed with the object. It holds a read
// transaction while it lives.
class BlobHandle {
public:
    BlobHandle(sqlite3* db, qint64 rowId) : db_(db) {
        if (sqlite3_blob_open(db, "main", "Tab_DB_Delphi_10", "File", rowId, 0, &blob_) !=
            SQLITE_OK) {
            const QString message = QString::fromUtf8(sqlite3_errmsg(db));
            sqlite3_blob_close(blob_);
            throw Failure(message);
        }
    }
    ~BlobHandle() { sqlite3_blob_close(blob_); }
    BlobHandle(const BlobHandle&) = delete;
    BlobHandle& operator=(const BlobHandle&) = delete;

    int size() const { return sqlite3_blob_bytes(blob_); }
    void read(char* into, int count, int offset) {
        if (sqlite3_blob_read(blob_, into, count, offset) != SQLITE_OK) {
            throw Failure(QString::fromUtf8(sqlite3_errmsg(db_)));
        }
    }

private:
    sqlite3* db_;
    sqlite3_blob* blob_ = nullptr;
};

} // namespace

void readAttachmentPieces(const SqlcipherConnection& connection, qint64 rowId,
                          const std::function<void(QByteArrayView piece)>& sink) {
    {
        SqlStatement probe =
            connection.prepare("SELECT typeof(\"File\") IN ('blob','text') AND length(\"File\") > 0"
                               " FROM Tab_DB_Delphi_10 WHERE rowid=?");
        probe.bindInt64(1, rowId);
        if (!probe.step() || probe.columnInt64(0) == 0) {
            return;
        }
    }
    BlobHandle blob(connection.handle(), rowId);
    constexpr int kPiece = 1 << 20;
    QByteArray piece(std::min(kPiece, blob.size()), Qt::Uninitialized);
    for (int offset = 0; offset < blob.size(); offset += kPiece) {
        const int count = std::min(kPiece, blob.size() - offset);
        blob.read(piece.data(), count, offset);
        sink(QByteArrayView(piece.constData(), count));
    }
}

} // namespace infobase
