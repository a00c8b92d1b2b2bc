#pragma once

#include <QtGlobal>

struct sqlite3;
struct sqlite3_blob;

namespace infobase {

// An open handle on the attachment (column File) of one row, for reading or overwriting
// its bytes in place, closed with the object. It holds a read transaction while it lives,
// or takes part in the write transaction that is open. Failures throw DatabaseFailure.
class AttachmentBlob {
public:
    enum Access { ReadOnly, ReadWrite };

    AttachmentBlob(sqlite3* db, qint64 rowId, Access access);
    ~AttachmentBlob();
    AttachmentBlob(const AttachmentBlob&) = delete;
    AttachmentBlob& operator=(const AttachmentBlob&) = delete;

    int size() const;
    void read(char* into, int count, int offset);
    // Overwrites bytes that exist already: a blob's size never changes through a handle.
    void write(const char* from, int count, int offset);

    // The size of the pieces an attachment is read and written in.
    static constexpr int kPieceSize = 1 << 20;

private:
    [[noreturn]] void raise();

    sqlite3* db_;
    sqlite3_blob* blob_ = nullptr;
};

} // namespace infobase
