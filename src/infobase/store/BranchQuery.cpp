#include "infobase/store/BranchQuery.h"

#include "common/Failure.h"
#include "infobase/store/AttachmentBlob.h"
#include "infobase/store/AttachmentReader.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/NameOrderBuilder.h"
#include "infobase/store/RecordNameIndex.h"
#include "infobase/store/SqlcipherApi.h"
#include "infobase/store/SqlcipherConnection.h"

#include <QIODevice>
#include <QStringDecoder>
#include <algorithm>
#include <optional>
#include <stdexcept>

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

// The other fields of one row, after its name, which tells whether the row is still the record.
constexpr const char* kSelectFields = "SELECT Imya_vetok, Dat, Opisanie, Texty, RashirenieFile "
                                      "FROM Tab_DB_Delphi_10 WHERE rowid=?";
constexpr const char* kSelectName = "SELECT Imya_vetok FROM Tab_DB_Delphi_10 WHERE rowid=?";

// Names are decoded as QString::fromUtf8 decodes them (a byte-order mark kept, each bad byte
// one replacement character), into a buffer reused from name to name.
class NameDecoder {
public:
    QStringView decode(QByteArrayView utf8) {
        const qsizetype room = decoder_.requiredSpace(utf8.size());
        if (qsizetype(buffer_.size()) < room) {
            buffer_.resize(std::size_t(room));
        }
        const QChar* end = decoder_.appendToBuffer(buffer_.data(), utf8);
        return QStringView(buffer_.data(), end - buffer_.data());
    }

private:
    QStringDecoder decoder_{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                      QStringDecoder::Flag::ConvertInitialBom};
    std::vector<QChar> buffer_;
};

// Rows read between two reports of the open's progress.
constexpr int kRowsPerProgress = 8192;

// The key and the name of every row. From the record name index when the base holds it: a few
// bytes per row, in name order. Else from the record table in key order, where the name stands
// before the text columns, so a row's long text is never read, though the row's first part,
// which can fill a page, is.
SqlStatement nameStatement(const SqlcipherConnection& connection) {
    try {
        if (record_name_index::present(connection)) {
            return connection.prepare(
                QByteArray("SELECT rowid, Imya_vetok FROM Tab_DB_Delphi_10 INDEXED BY ") +
                record_name_index::kName);
        }
    } catch (const Failure&) {
        // The table holds the same names.
    }
    return connection.prepare("SELECT rowid, Imya_vetok FROM Tab_DB_Delphi_10 ORDER BY rowid");
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

void BranchQuery::Open(const SqlcipherConnection& connection, const Progress& progress) {
    Close();
    // Every column the program uses must exist, though only the key and the name are read
    // here.
    branch_table::requireColumns(connection);
    double mostRows = 1;
    if (progress) {
        // Keys are distinct: the rows number at most the keys from the first to the last, and
        // the rows read out of that many tell how far the open has got.
        SqlStatement range =
            connection.prepare("SELECT min(rowid), max(rowid) FROM Tab_DB_Delphi_10");
        if (range.step()) {
            mostRows = double(range.columnInt64(1)) - double(range.columnInt64(0)) + 1;
        }
    }
    SqlStatement rows = nameStatement(connection);
    RecordNames names;
    std::vector<Slot> byKey, byName;
    try {
        // The names are folded and put in order on the second core while the rows are read.
        NameOrderBuilder builder(names);
        NameDecoder decoder;
        qint64 count = 0;
        while (rows.step()) {
            builder.add(rows.columnInt64(0), decoder.decode(rows.columnTextView(1)));
            if (progress && ++count % kRowsPerProgress == 0) {
                progress(std::min(1.0, double(count) / mostRows));
            }
        }
        builder.finish(byKey, byName);
    } catch (const std::length_error&) {
        raise(QStringLiteral("The names of the records are too long to be held"));
    }
    names.shrinkToFit();
    byKey.shrink_to_fit();
    byName.shrink_to_fit();
    names_ = std::move(names);
    byKey_ = std::move(byKey);
    nameIndex_.adoptSorted(std::move(byName));
    current_ = byKey_.empty() ? kNone : byKey_.front();
    connection_ = &connection;
    state_ = dsBrowse;
    if (progress) {
        progress(1.0);
    }
}

void BranchQuery::Close() {
    pending_.reset();
    statements_.clear();
    nameIndex_.clear();
    byKey_ = {};
    names_.clear();
    current_ = kNone;
    dropCachedValues();
    connection_ = nullptr;
    state_ = dsInactive;
}

bool BranchQuery::IsEmpty() const {
    return state_ != dsInsert && byKey_.empty();
}

BranchQuery::Slot BranchQuery::currentSlot() const {
    return state_ == dsInsert ? kNone : current_;
}

std::size_t BranchQuery::positionOf(qint64 rowId) const {
    const auto it =
        std::lower_bound(byKey_.begin(), byKey_.end(), rowId,
                         [this](Slot slot, qint64 id) { return names_.rowId(slot) < id; });
    return std::size_t(it - byKey_.begin());
}

void BranchQuery::makeCurrent(Slot slot) {
    current_ = slot;
    // Even the same record again is read afresh: another program may have changed it.
    dropCachedValues();
}

void BranchQuery::dropCachedValues() const {
    cachedSlot_ = kNone;
    cachedValues_ = StoredRecord();
}

const StoredRecord& BranchQuery::currentValues() const {
    if (cachedSlot_ == current_) {
        return cachedValues_;
    }
    StoredRecord values;
    values.rowId = names_.rowId(current_);
    values.name = names_.name(current_).toString();
    try {
        SqlStatement& select = statementFor(kSelectFields);
        select.bindInt64(1, values.rowId);
        // A row that is gone, or that another program put under the key, is not this
        // record: its fields read as empty.
        if (select.step() && NameDecoder().decode(select.columnTextView(0)) == values.name) {
            values.date = select.columnText(1);
            values.description = select.columnText(2);
            values.text = select.columnText(3);
            values.kind = static_cast<qint32>(select.columnInt64(4));
        }
        select.reset();
    } catch (const Failure& failure) {
        throw RecordReadFailure(QStringLiteral("Не удалось прочитать запись ветки «%1»: %2")
                                    .arg(values.name, failure.message()));
    }
    cachedValues_ = std::move(values);
    cachedSlot_ = current_;
    return cachedValues_;
}

SqlStatement& BranchQuery::statementFor(const QByteArray& sql) const {
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
        const Slot found = nameIndex_.findFirst(value);
        if (found == kNone) {
            return false;
        }
        makeCurrent(found);
        return true;
    } catch (...) {
        // A failing search only means "not found".
        return false;
    }
}

bool BranchQuery::LocateOwn(const QString& name) {
    CheckBrowseMode();
    const Slot own = nameIndex_.findOwn(name);
    if (own == kNone) {
        return false;
    }
    makeCurrent(own);
    return true;
}

bool BranchQuery::CurrentIsOwnOf(const QString& name) const {
    return current_ != kNone && state_ != dsInsert && nameIndex_.findOwn(name) == current_;
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
    if (byKey_.empty()) {
        Insert();
        return;
    }
    auto pending = std::make_unique<PendingChange>();
    pending->values = currentValues();
    pending_ = std::move(pending);
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
        afterCommit([this, rowId = names_.rowId(current_)] { forgetRecordAt(positionOf(rowId)); });
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
    qint64 rowId;
    QString name;
    {
        WriteTransaction transaction(*connection_, sharedWrite_);
        SqlStatement& insert = statementFor(sql);
        bindWritten(insert, pending_->values, attachmentSize, written);
        stepOnce(insert);
        rowId = connection_->lastInsertRowId();
        if (rowWatch_) {
            rowWatch_(rowId, RowWrite::Added);
        }
        writeAttachmentInto(rowId, attachmentSize);
        // An unwritten name carries the table's default.
        name = rereadName(rowId, pending_->values.name);
        transaction.commit();
    }
    afterCommit([this, rowId, name] {
        addRecord(rowId, name);
        makeCurrent(byKey_[positionOf(rowId)]);
    });
}

bool BranchQuery::postEdit() {
    const unsigned written = pending_->written;
    if (written == 0) {
        return true;
    }
    const Slot slot = current_;
    const qint64 rowId = names_.rowId(slot);
    const qint64 attachmentSize =
        (written & bitOf(Column::File)) ? pending_->attachment->size() : 0;
    QString name;
    {
        WriteTransaction transaction(*connection_, sharedWrite_);
        if (!rowStillHolds(slot)) {
            return false;
        }
        if (rowWatch_) {
            rowWatch_(rowId, RowWrite::Replacing);
        }
        QByteArray sql = "UPDATE Tab_DB_Delphi_10 SET " + writtenColumns(written).join("=?,") +
                         "=? WHERE rowid=?";
        SqlStatement& update = statementFor(sql);
        const int last = bindWritten(update, pending_->values, attachmentSize, written);
        update.bindInt64(last + 1, rowId);
        stepOnce(update);
        writeAttachmentInto(rowId, attachmentSize);
        name = rereadName(rowId, pending_->values.name);
        transaction.commit();
    }
    afterCommit([this, rowId, name] {
        const std::size_t position = positionOf(rowId);
        if (position < byKey_.size() && names_.rowId(byKey_[position]) == rowId) {
            renameRecord(byKey_[position], name);
        }
        // The fields are read again as the file now holds them.
        dropCachedValues();
    });
    return true;
}

bool BranchQuery::rowStillHolds(Slot slot) {
    // A table made without AUTOINCREMENT gives a deleted row's key to the next new row: the
    // key alone could name another program's record.
    SqlStatement& select = statementFor(kSelectName);
    select.bindInt64(1, names_.rowId(slot));
    const bool holds =
        select.step() && NameDecoder().decode(select.columnTextView(0)) == names_.name(slot);
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

QString BranchQuery::rereadName(qint64 rowId, const QString& fallback) {
    // The post is already in the file: a failure to read the row back must not leave the
    // change pending, or the next Locate would post it a second time (a second new row).
    // The name written then stands for the row.
    QString name = fallback;
    try {
        SqlStatement& select = statementFor(kSelectName);
        select.bindInt64(1, rowId);
        if (select.step()) {
            name = NameDecoder().decode(select.columnTextView(0)).toString();
        }
        select.reset();
    } catch (const Failure&) {
    }
    return name;
}

void BranchQuery::addRecord(qint64 rowId, QStringView name) {
    const Slot slot = names_.add(rowId, name);
    byKey_.insert(byKey_.begin() + std::ptrdiff_t(positionOf(rowId)), slot);
    nameIndex_.add(slot);
}

void BranchQuery::renameRecord(Slot slot, QStringView name) {
    // Most edits leave the name alone: the index then keeps its entry.
    if (names_.name(slot) == name) {
        return;
    }
    nameIndex_.remove(slot);
    names_.rename(slot, name);
    nameIndex_.add(slot);
}

void BranchQuery::forgetRecordAt(std::size_t position) {
    if (position >= byKey_.size()) {
        return;
    }
    const Slot slot = byKey_[position];
    nameIndex_.remove(slot);
    names_.remove(slot);
    byKey_.erase(byKey_.begin() + std::ptrdiff_t(position));
    // The following record moves into the position; after the last, the one before it.
    makeCurrent(byKey_.empty() ? kNone : byKey_[std::min(position, byKey_.size() - 1)]);
}

void BranchQuery::Delete() {
    requireActive();
    if (state_ == dsInsert) {
        Cancel();
        return;
    }
    if (byKey_.empty()) {
        raise(QStringLiteral("Cannot perform this operation on an empty dataset"));
    }
    const qint64 rowId = names_.rowId(current_);
    {
        WriteTransaction transaction(*connection_, sharedWrite_);
        deleteRowIfStillHeld(current_);
        transaction.commit();
    }
    pending_.reset();
    state_ = dsBrowse;
    afterCommit([this, rowId] { forgetRecordAt(positionOf(rowId)); });
}

void BranchQuery::deleteRowIfStillHeld(Slot slot) {
    // A row that another program deleted first is just as gone; a row it put under the same
    // key is its own and stays.
    if (!rowStillHolds(slot)) {
        return;
    }
    const qint64 rowId = names_.rowId(slot);
    if (rowWatch_) {
        rowWatch_(rowId, RowWrite::Replacing);
    }
    SqlStatement& remove = statementFor("DELETE FROM Tab_DB_Delphi_10 WHERE rowid=?");
    remove.bindInt64(1, rowId);
    stepOnce(remove);
}

int BranchQuery::DeleteEveryRecordOf(const QString& name) {
    CheckBrowseMode();
    std::vector<Slot> doomed;
    if (const Slot own = nameIndex_.findOwn(name); own != kNone) {
        doomed.push_back(own);
    }
    for (const Slot slot : nameIndex_.everyNamed(name)) {
        if (doomed.empty() || doomed.front() != slot) {
            doomed.push_back(slot);
        }
    }
    if (doomed.empty()) {
        return 0;
    }
    std::vector<qint64> rowIds;
    {
        WriteTransaction transaction(*connection_, sharedWrite_);
        for (const Slot slot : doomed) {
            rowIds.push_back(names_.rowId(slot));
            deleteRowIfStillHeld(slot);
        }
        transaction.commit();
    }
    afterCommit([this, rowIds] {
        for (const qint64 rowId : rowIds) {
            forgetRecordAt(positionOf(rowId));
        }
    });
    return int(rowIds.size());
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
    // Fields read inside the shared write may hold what it wrote, committed or not.
    dropCachedValues();
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
    std::vector<std::pair<qint64, std::optional<QString>>> rows;
    SqlStatement& select = statementFor(kSelectName);
    NameDecoder decoder;
    for (const qint64 rowId : rowIds) {
        select.reset();
        select.bindInt64(1, rowId);
        std::optional<QString> name;
        if (select.step()) {
            name = decoder.decode(select.columnTextView(0)).toString();
        }
        rows.emplace_back(rowId, std::move(name));
    }
    select.reset();
    afterCommit([this, rows = std::move(rows)] {
        for (const auto& [rowId, name] : rows) {
            const std::size_t position = positionOf(rowId);
            const bool known = position < byKey_.size() && names_.rowId(byKey_[position]) == rowId;
            if (known && !name) {
                forgetRecordAt(position);
            } else if (known) {
                renameRecord(byKey_[position], *name);
            } else if (name) {
                addRecord(rowId, *name);
                if (current_ == kNone) {
                    current_ = byKey_[position];
                }
            }
        }
        dropCachedValues();
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
    if (pending_) {
        return &pending_->values;
    }
    return currentSlot() == kNone ? nullptr : &currentValues();
}

QString BranchQuery::readableName() const {
    if (pending_) {
        return pending_->values.name;
    }
    return currentSlot() == kNone ? QString() : names_.name(current_).toString();
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
    const Slot slot = currentSlot();
    if (slot == kNone) {
        return;
    }
    readAttachmentPieces(*connection_, names_.rowId(slot), [&stream](QByteArrayView piece) {
        if (stream.write(piece.constData(), piece.size()) != piece.size()) {
            throw Failure(stream.errorString());
        }
    });
}

} // namespace infobase
