#include "infobase/store/BranchQuery.h"

#include "common/Failure.h"
#include "infobase/store/AttachmentBlob.h"
#include "infobase/store/AttachmentReader.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherApi.h"
#include "infobase/store/SqlcipherConnection.h"

#include <QIODevice>
#include <algorithm>
#include <optional>

namespace infobase {

using branch_table::Column;

namespace {

constexpr unsigned bitOf(Column column) {
    return 1u << static_cast<int>(column);
}

// The columns an insert or update writes, as SQL, each quoted.
QList<QByteArray> writtenColumns(unsigned written) {
    QList<QByteArray> names;
    for (int i = 0; i < branch_table::kColumnCount; ++i) {
        if (written & (1u << i)) {
            names.append('"' + QByteArray(branch_table::columnName(Column(i))) + '"');
        }
    }
    return names;
}

constexpr const char* kSelectRecords =
    "SELECT rowid, Dat, Imya_vetok, Opisanie, Texty, RashirenieFile FROM Tab_DB_Delphi_10";

// Reads the current row of a statement made from kSelectRecords.
void readRecord(const SqlStatement& row, StoredRecord& record) {
    record.rowId = row.columnInt64(0);
    record.date = row.columnText(1);
    record.name = QString::fromUtf8(row.columnText(2));
    record.description = row.columnText(3);
    record.text = row.columnText(4);
    record.kind = static_cast<qint32>(row.columnInt64(5));
}

// Binds the written fields of the pending change to the parameters from 1 on, in column order;
// the attachment as zeros of its size, overwritten once the row is written.
int bindWritten(SqlStatement& statement, const StoredRecord& values, qint64 attachmentSize,
                unsigned written) {
    int parameter = 0;
    for (int i = 0; i < branch_table::kColumnCount; ++i) {
        if (!(written & (1u << i))) {
            continue;
        }
        ++parameter;
        switch (Column(i)) {
        case Column::Dat:
            statement.bindText(parameter, values.date);
            break;
        case Column::Imya_vetok:
            statement.bindText(parameter, values.name.toUtf8());
            break;
        case Column::Opisanie:
            statement.bindText(parameter, values.description);
            break;
        case Column::Texty:
            statement.bindText(parameter, values.text);
            break;
        case Column::RashirenieFile:
            statement.bindInt64(parameter, values.kind);
            break;
        case Column::File:
            statement.bindZeroBlob(parameter, attachmentSize);
            break;
        }
    }
    return parameter;
}

// Runs a statement that returns no rows, then resets it whether it succeeded or not, so that
// it holds nothing of the transaction when that ends.
void stepOnce(SqlStatement& statement) {
    try {
        statement.step();
    } catch (...) {
        statement.reset();
        throw;
    }
    statement.reset();
}

// One write transaction: it takes the base's write lock at once (waiting for it as long as
// the connection's busy timeout allows) and is rolled back unless committed. Inside a shared
// write the writes join the transaction the shared write's owner began, commits and rolls
// back.
class WriteTransaction {
public:
    WriteTransaction(const SqlcipherConnection& connection, bool shared)
        : connection_(connection), own_(!shared) {
        if (own_) {
            connection_.execute("BEGIN IMMEDIATE");
        }
    }
    ~WriteTransaction() {
        // Some failures (a full disk, an I/O error) end the transaction themselves.
        if (own_ && !committed_ && !sqlite3_get_autocommit(connection_.handle())) {
            sqlite3_exec(connection_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        }
    }
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

    void commit() {
        if (own_) {
            connection_.execute("COMMIT");
        }
        committed_ = true;
    }

private:
    const SqlcipherConnection& connection_;
    bool own_;
    bool committed_ = false;
};

// Room kept in a record beside its attachment for the other fields and the record's header.
constexpr qint64 kRecordRoom = 1 << 20;

} // namespace

qint64 BranchQuery::maxAttachmentSize() {
    static const qint64 size = [] {
        // The limit is SQLite's, set when it is built; any connection tells it.
        sqlite3* db = nullptr;
        sqlite3_open(":memory:", &db);
        const qint64 limit = db ? sqlite3_limit(db, SQLITE_LIMIT_LENGTH, -1) : 0;
        sqlite3_close(db);
        return std::max<qint64>(0, limit - kRecordRoom);
    }();
    return size;
}

BranchQuery::BranchQuery()
    : fields_{BranchField(this, Column::Dat),
              BranchField(this, Column::Imya_vetok),
              BranchField(this, Column::Opisanie),
              BranchField(this, Column::Texty),
              BranchField(this, Column::RashirenieFile),
              BranchField(this, Column::File)} {}

BranchQuery::~BranchQuery() = default;

void BranchQuery::raise(const QString& text) {
    throw Failure(QStringLiteral("%1: %2").arg(name(), text));
}

void BranchQuery::requireActive() const {
    if (state_ == dsInactive) {
        raise(QStringLiteral("Cannot perform this operation on a closed dataset"));
    }
}

void BranchQuery::requireEditing() const {
    if (state_ != dsEdit && state_ != dsInsert) {
        raise(QStringLiteral("Dataset not in edit or insert mode"));
    }
}

void BranchQuery::Open(const SqlcipherConnection& connection) {
    Close();
    // Every column the program uses must exist, the attachment included, though only the
    // text columns and the kind code are read here.
    branch_table::requireColumns(connection);
    SqlStatement rows = connection.prepare(QByteArray(kSelectRecords) + " ORDER BY rowid");
    std::vector<std::unique_ptr<StoredRecord>> records;
    while (rows.step()) {
        auto record = std::make_unique<StoredRecord>();
        readRecord(rows, *record);
        records.push_back(std::move(record));
    }
    std::vector<const StoredRecord*> view;
    view.reserve(records.size());
    for (const auto& record : records) {
        view.push_back(record.get());
    }
    nameIndex_.build(view);
    records_ = std::move(records);
    current_ = records_.empty() ? nullptr : records_.front().get();
    connection_ = &connection;
    state_ = dsBrowse;
}

void BranchQuery::Close() {
    pending_.reset();
    statements_.clear();
    nameIndex_.clear();
    records_.clear();
    current_ = nullptr;
    connection_ = nullptr;
    state_ = dsInactive;
}

bool BranchQuery::IsEmpty() const {
    return state_ != dsInsert && records_.empty();
}

const StoredRecord* BranchQuery::currentRecord() const {
    return state_ == dsInsert ? nullptr : current_;
}

std::size_t BranchQuery::positionOf(qint64 rowId) const {
    const auto it = std::lower_bound(
        records_.begin(), records_.end(), rowId,
        [](const std::unique_ptr<StoredRecord>& record, qint64 id) { return record->rowId < id; });
    return std::size_t(it - records_.begin());
}

SqlStatement& BranchQuery::statementFor(const QByteArray& sql) {
    auto it = statements_.find(sql);
    if (it == statements_.end()) {
        it = statements_.emplace(sql, connection_->prepare(sql)).first;
    }
    it->second.reset();
    return it->second;
}

void BranchQuery::CheckBrowseMode() {
    requireActive();
    if (state_ != dsEdit && state_ != dsInsert) {
        return;
    }
    if (pending_->written != 0) {
        postPending();
    } else {
        Cancel();
    }
}

void BranchQuery::Cancel() {
    if (state_ == dsEdit || state_ == dsInsert) {
        pending_.reset();
        state_ = dsBrowse;
    }
}

bool BranchQuery::Locate(const QString& keyField, const QString& value, LocateOptions) {
    CheckBrowseMode();
    try {
        if (keyField.compare(QLatin1String("Imya_vetok"), Qt::CaseInsensitive) != 0) {
            return false;
        }
        const StoredRecord* found = nameIndex_.findFirst(value);
        if (found == nullptr) {
            return false;
        }
        current_ = found;
        return true;
    } catch (...) {
        // A failing search only means "not found".
        return false;
    }
}

bool BranchQuery::LocateOwn(const QString& name) {
    CheckBrowseMode();
    const StoredRecord* own = nameIndex_.findOwn(name);
    if (own == nullptr) {
        return false;
    }
    current_ = own;
    return true;
}

bool BranchQuery::CurrentIsOwnOf(const QString& name) const {
    return current_ != nullptr && state_ != dsInsert && nameIndex_.findOwn(name) == current_;
}

void BranchQuery::Insert() {
    CheckBrowseMode();
    pending_ = std::make_unique<PendingChange>();
    state_ = dsInsert;
}

void BranchQuery::Edit() {
    requireActive();
    if (state_ == dsEdit || state_ == dsInsert) {
        return;
    }
    if (records_.empty()) {
        Insert();
        return;
    }
    pending_ = std::make_unique<PendingChange>();
    pending_->values = *current_;
    state_ = dsEdit;
}

void BranchQuery::Post() {
    requireEditing();
    postPending();
}

void BranchQuery::postPending() {
    bool posted;
    try {
        posted = state_ == dsInsert ? (postInsert(), true) : postEdit();
    } catch (const AttachmentSourceFailure& failure) {
        Cancel();
        raise(failure.message() + QStringLiteral("; the change was not saved"));
    } catch (const DatabaseFailure& failure) {
        if (failure.code() != SQLITE_TOOBIG) {
            throw; // a passing refusal: the change stays pending
        }
        Cancel();
        raise(QStringLiteral("The record is larger than the base can hold; the change was not "
                             "saved"));
    }
    pending_.reset();
    state_ = dsBrowse;
    if (!posted) {
        // Nothing was saved, and the record is gone from the file. Forget it here too
        // rather than post the change forever.
        afterCommit([this, rowId = current_->rowId] { forgetRecordAt(positionOf(rowId)); });
        raise(QStringLiteral("The record was deleted by another program; the change was not "
                             "saved"));
    }
}

void BranchQuery::postInsert() {
    const unsigned written = pending_->written;
    QByteArray sql = "INSERT INTO Tab_DB_Delphi_10 ";
    if (written == 0) {
        sql += "DEFAULT VALUES";
    } else {
        const QList<QByteArray> columns = writtenColumns(written);
        sql += '(' + columns.join(',') + ") VALUES (" +
               QByteArray("?,").repeated(columns.size()).chopped(1) + ')';
    }
    const qint64 attachmentSize =
        (written & bitOf(Column::File)) ? pending_->attachment->size() : 0;
    auto record = std::make_unique<StoredRecord>(pending_->values);
    {
        WriteTransaction transaction(*connection_, sharedWrite_);
        SqlStatement& insert = statementFor(sql);
        bindWritten(insert, pending_->values, attachmentSize, written);
        stepOnce(insert);
        record->rowId = connection_->lastInsertRowId();
        if (rowWatch_) {
            rowWatch_(record->rowId, RowWrite::Added);
        }
        writeAttachmentInto(record->rowId, attachmentSize);
        rereadRow(*record);
        transaction.commit();
    }
    afterCommit([this, posted = std::shared_ptr<StoredRecord>(std::move(record))] {
        const qint64 rowId = posted->rowId;
        const auto position = std::upper_bound(
            records_.begin(), records_.end(), rowId,
            [](qint64 id, const std::unique_ptr<StoredRecord>& r) { return id < r->rowId; });
        current_ = records_.insert(position, std::make_unique<StoredRecord>(*posted))->get();
        nameIndex_.add(current_);
    });
}

bool BranchQuery::postEdit() {
    const unsigned written = pending_->written;
    const std::size_t position = positionOf(current_->rowId);
    StoredRecord& record = *records_[position];
    if (written == 0) {
        return true;
    }
    const qint64 attachmentSize =
        (written & bitOf(Column::File)) ? pending_->attachment->size() : 0;
    StoredRecord updated = pending_->values;
    {
        WriteTransaction transaction(*connection_, sharedWrite_);
        if (!rowStillHolds(record)) {
            return false;
        }
        if (rowWatch_) {
            rowWatch_(record.rowId, RowWrite::Replacing);
        }
        QByteArray sql = "UPDATE Tab_DB_Delphi_10 SET " + writtenColumns(written).join("=?,") +
                         "=? WHERE rowid=?";
        SqlStatement& update = statementFor(sql);
        const int last = bindWritten(update, pending_->values, attachmentSize, written);
        update.bindInt64(last + 1, record.rowId);
        stepOnce(update);
        writeAttachmentInto(record.rowId, attachmentSize);
        rereadRow(updated);
        transaction.commit();
    }
    afterCommit([this, &record, updated = std::move(updated)] {
        // Most edits leave the name alone: the index then keeps its entry.
        const bool renamed = updated.name != record.name;
        if (renamed) {
            nameIndex_.remove(&record);
        }
        record = updated;
        if (renamed) {
            nameIndex_.add(&record);
        }
    });
    return true;
}

bool BranchQuery::rowStillHolds(const StoredRecord& record) {
    // A table made without AUTOINCREMENT gives a deleted row's key to the next new row: the
    // key alone could name another program's record.
    SqlStatement& select = statementFor("SELECT Imya_vetok FROM Tab_DB_Delphi_10 WHERE rowid=?");
    select.bindInt64(1, record.rowId);
    const bool holds = select.step() && QString::fromUtf8(select.columnText(0)) == record.name;
    select.reset();
    return holds;
}

void BranchQuery::writeAttachmentInto(qint64 rowId, qint64 size) {
    if (size == 0) {
        return;
    }
    AttachmentBlob blob(connection_->handle(), rowId, AttachmentBlob::ReadWrite);
    int offset = 0;
    pending_->attachment->readPieces(size, [&blob, &offset](QByteArrayView piece) {
        blob.write(piece.constData(), int(piece.size()), offset);
        offset += int(piece.size());
    });
}

void BranchQuery::rereadRow(StoredRecord& record) {
    // The post is already in the file: a failure to read the row back must not leave the
    // change pending, or the next Locate would post it a second time (a second new row).
    // The written values then stand for the row, the unwritten ones as last read.
    try {
        SqlStatement& select = statementFor(QByteArray(kSelectRecords) + " WHERE rowid=?");
        select.bindInt64(1, record.rowId);
        if (select.step()) {
            readRecord(select, record);
        }
        select.reset();
    } catch (const Failure&) {
    }
}

void BranchQuery::forgetRecordAt(std::size_t position) {
    nameIndex_.remove(records_[position].get());
    records_.erase(records_.begin() + std::ptrdiff_t(position));
    // The following record moves into the position; after the last, the one before it.
    current_ = records_.empty() ? nullptr : records_[std::min(position, records_.size() - 1)].get();
}

void BranchQuery::Delete() {
    requireActive();
    if (state_ == dsInsert) {
        Cancel();
        return;
    }
    if (records_.empty()) {
        raise(QStringLiteral("Cannot perform this operation on an empty dataset"));
    }
    {
        WriteTransaction transaction(*connection_, sharedWrite_);
        // A row that another program deleted first is just as gone; a row it put under the
        // same key is its own and stays.
        if (rowStillHolds(*current_)) {
            if (rowWatch_) {
                rowWatch_(current_->rowId, RowWrite::Replacing);
            }
            SqlStatement& remove = statementFor("DELETE FROM Tab_DB_Delphi_10 WHERE rowid=?");
            remove.bindInt64(1, current_->rowId);
            stepOnce(remove);
        }
        transaction.commit();
    }
    pending_.reset();
    state_ = dsBrowse;
    afterCommit([this, rowId = current_->rowId] { forgetRecordAt(positionOf(rowId)); });
}

int BranchQuery::DeleteEveryRecordOf(const QString& name) {
    CheckBrowseMode();
    std::vector<qint64> doomed;
    if (const StoredRecord* own = nameIndex_.findOwn(name)) {
        doomed.push_back(own->rowId);
    }
    for (const std::unique_ptr<StoredRecord>& record : records_) {
        if (record->name == name && (doomed.empty() || doomed.front() != record->rowId)) {
            doomed.push_back(record->rowId);
        }
    }
    if (doomed.empty()) {
        return 0;
    }
    {
        WriteTransaction transaction(*connection_, sharedWrite_);
        for (const qint64 rowId : doomed) {
            if (rowStillHolds(*records_[positionOf(rowId)])) {
                if (rowWatch_) {
                    rowWatch_(rowId, RowWrite::Replacing);
                }
                SqlStatement& remove = statementFor("DELETE FROM Tab_DB_Delphi_10 WHERE rowid=?");
                remove.bindInt64(1, rowId);
                stepOnce(remove);
            }
        }
        transaction.commit();
    }
    afterCommit([this, doomed] {
        for (const qint64 rowId : doomed) {
            forgetRecordAt(positionOf(rowId));
        }
    });
    return int(doomed.size());
}

void BranchQuery::afterCommit(std::function<void()> change) {
    if (sharedWrite_) {
        afterSharedWrite_.push_back(std::move(change));
    } else {
        change();
    }
}

void BranchQuery::beginSharedWrite() {
    requireActive();
    sharedWrite_ = true;
    currentBeforeSharedWrite_ = current_;
    afterSharedWrite_.clear();
}

void BranchQuery::endSharedWrite(bool committed) {
    sharedWrite_ = false;
    std::vector<std::function<void()>> changes = std::move(afterSharedWrite_);
    afterSharedWrite_.clear();
    if (committed) {
        for (const auto& change : changes) {
            change();
        }
        return;
    }
    // Nothing of the work reached the file: the records in memory are as they were, and a
    // change the work left pending goes with it.
    pending_.reset();
    state_ = dsBrowse;
    current_ = currentBeforeSharedWrite_;
}

void BranchQuery::setRowWatch(std::function<void(qint64, RowWrite)> watch) {
    rowWatch_ = std::move(watch);
}

void BranchQuery::rowsRewritten(const std::vector<qint64>& rowIds) {
    requireActive();
    // Read inside the transaction, so that memory takes exactly what commits.
    std::vector<std::pair<qint64, std::optional<StoredRecord>>> rows;
    SqlStatement& select = statementFor(QByteArray(kSelectRecords) + " WHERE rowid=?");
    for (const qint64 rowId : rowIds) {
        select.reset();
        select.bindInt64(1, rowId);
        std::optional<StoredRecord> row;
        if (select.step()) {
            row.emplace();
            readRecord(select, *row);
        }
        rows.emplace_back(rowId, std::move(row));
    }
    select.reset();
    afterCommit([this, rows = std::move(rows)] {
        for (const auto& [rowId, row] : rows) {
            const std::size_t position = positionOf(rowId);
            const bool known = position < records_.size() && records_[position]->rowId == rowId;
            if (known && !row) {
                forgetRecordAt(position);
            } else if (known) {
                nameIndex_.remove(records_[position].get());
                *records_[position] = *row;
                nameIndex_.add(records_[position].get());
            } else if (row) {
                const auto inserted = records_.insert(records_.begin() + std::ptrdiff_t(position),
                                                      std::make_unique<StoredRecord>(*row));
                nameIndex_.add(inserted->get());
                if (current_ == nullptr) {
                    current_ = inserted->get();
                }
            }
        }
    });
}

BranchField& BranchQuery::FieldByName(const QString& fieldName) {
    Column column;
    if (state_ == dsInactive || !branch_table::columnByName(fieldName, &column)) {
        raise(QStringLiteral("Field '%1' not found").arg(fieldName));
    }
    return fields_[static_cast<int>(column)];
}

bool BranchQuery::isWritten(Column column) const {
    return pending_ && (pending_->written & bitOf(column));
}

const StoredRecord* BranchQuery::readableValues() const {
    return pending_ ? &pending_->values : currentRecord();
}

void BranchQuery::markWritten(Column column) {
    pending_->written |= bitOf(column);
}

StoredRecord& BranchQuery::writableValues() {
    return pending_->values;
}

void BranchQuery::writeAttachment(QIODevice& stream) {
    std::unique_ptr<AttachmentSource> source = AttachmentSource::take(stream, maxAttachmentSize());
    if (!source) {
        raise(QStringLiteral("The file is larger than the base can hold: an attachment may have "
                             "at most %1 bytes")
                  .arg(maxAttachmentSize()));
    }
    pending_->attachment = std::move(source);
    markWritten(Column::File);
}

void BranchQuery::readAttachment(QIODevice& stream) const {
    if (isWritten(Column::File)) {
        const AttachmentSource& source = *pending_->attachment;
        source.readPieces(source.size(), [&stream](QByteArrayView piece) {
            if (stream.write(piece.constData(), piece.size()) != piece.size()) {
                throw Failure(stream.errorString());
            }
        });
        return;
    }
    const StoredRecord* record = currentRecord();
    if (record == nullptr) {
        return;
    }
    readAttachmentPieces(*connection_, record->rowId, [&stream](QByteArrayView piece) {
        if (stream.write(piece.constData(), piece.size()) != piece.size()) {
            throw Failure(stream.errorString());
        }
    });
}

} // namespace infobase
