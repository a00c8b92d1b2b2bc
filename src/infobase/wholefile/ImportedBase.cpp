#include "infobase/wholefile/ImportedBase.h"

#include "common/DurableSave.h"
#include "common/Failure.h"
#include "infobase/store/AttachmentBlob.h"
#include "infobase/store/BranchTable.h"
#include "infobase/wholefile/BaseCheck.h"

#include <QFileInfo>
#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

namespace infobase {
namespace {

void bindOptionalText(SqlStatement& statement, int index, const std::optional<QString>& text) {
    if (text) {
        statement.bindText(index, text->toUtf8());
    }
}

void syncFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    if (!synced) {
        throw Failure(QStringLiteral("Не удалось записать на диск файл \"%1\".").arg(path));
    }
}

} // namespace

AttachmentStream::AttachmentStream(AttachmentBlob& blob, qint64 size) : blob_(blob), size_(size) {
    buffer_.reserve(AttachmentBlob::kPieceSize);
}

void AttachmentStream::write(const char* data, qint64 size) {
    if (written_ + buffer_.size() + size > size_) {
        throw Failure(QStringLiteral("Вложение длиннее, чем указано в его заголовке."));
    }
    while (size > 0) {
        const qint64 room = AttachmentBlob::kPieceSize - buffer_.size();
        const qint64 part = std::min(room, size);
        buffer_.append(data, part);
        data += part;
        size -= part;
        if (buffer_.size() == AttachmentBlob::kPieceSize) {
            flush();
        }
    }
}

void AttachmentStream::flush() {
    if (!buffer_.isEmpty()) {
        blob_.write(buffer_.constData(), int(buffer_.size()), int(written_));
        written_ += buffer_.size();
        buffer_.resize(0); // keeps the buffer for the next piece
    }
}

void AttachmentStream::finish() {
    flush();
    if (written_ != size_) {
        throw Failure(QStringLiteral("Вложение короче, чем указано в его заголовке."));
    }
}

ImportedBase::ImportedBase(const QString& path) : path_(path) {
    branch_table::createBaseFile(path);
    try {
        connection_ = SqlcipherConnection::open(path, branch_table::kPassword,
                                                SqlcipherConnection::Options{});
        // The file is new and is thrown away whole on any failure, so nothing needs a journal
        // or a sync until the end, when finish() puts it on the disk at once.
        connection_.execute("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN");
    } catch (...) {
        connection_.close();
        QFile::remove(path);
        throw;
    }
}

ImportedBase::~ImportedBase() {
    if (!finished_) {
        connection_.close();
        QFile::remove(path_);
    }
}

void ImportedBase::add(const ImportedRecord& record, const AttachmentFill& fill) {
    SqlStatement insert = connection_.prepare(
        "INSERT INTO Tab_DB_Delphi_10 (Dat, Imya_vetok, Opisanie, Texty, RashirenieFile, File)"
        " VALUES (?, ?, ?, ?, ?, ?)");
    bindOptionalText(insert, 1, record.dat);
    bindOptionalText(insert, 2, record.name);
    bindOptionalText(insert, 3, record.description);
    bindOptionalText(insert, 4, record.text);
    if (record.kind) {
        insert.bindInt64(5, *record.kind);
    }
    if (record.attachmentSize) {
        insert.bindZeroBlob(6, *record.attachmentSize);
    }
    insert.step();
    ++records_;
    if (record.attachmentSize && *record.attachmentSize > 0) {
        AttachmentBlob blob(connection_.handle(), connection_.lastInsertRowId(),
                            AttachmentBlob::ReadWrite);
        AttachmentStream stream(blob, *record.attachmentSize);
        fill(stream);
        stream.finish();
        attachmentBytes_ += *record.attachmentSize;
    }
}

void ImportedBase::finish(qint64 expectedRecords, const CopyProgress& checkProgress) {
    connection_.execute("COMMIT");
    connection_.close();
    if (records_ != expectedRecords) {
        throw Failure(QStringLiteral("Перенесено записей: %1, а в таблице их %2.")
                          .arg(records_)
                          .arg(expectedRecords));
    }
    const BaseCheckResult check = checkBaseFile(path_, checkProgress);
    if (!check.failure.isEmpty() || !check.damage.isEmpty()) {
        throw Failure(QStringLiteral("Новая база не прошла проверку: %1")
                          .arg(check.failure.isEmpty() ? check.damage : check.failure));
    }
    if (check.records != expectedRecords) {
        throw Failure(QStringLiteral("В новой базе записей: %1, а в таблице их %2.")
                          .arg(check.records)
                          .arg(expectedRecords));
    }
    syncFile(path_);
    syncFolder(QFileInfo(path_).absolutePath());
    finished_ = true;
}

} // namespace infobase
