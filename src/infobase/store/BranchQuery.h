#pragma once

#include "infobase/store/AttachmentSource.h"
#include "infobase/store/BranchField.h"
#include "infobase/store/DataSetState.h"
#include "infobase/store/NameIndex.h"
#include "infobase/store/RecordNames.h"
#include "infobase/store/SqlStatement.h"
#include "infobase/store/StoredRecord.h"

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace infobase {

class SqlcipherConnection;

// The fields of the current record could not be read from the file: nothing is shown as
// read, and nothing of another record stands for them.
class RecordReadFailure : public Failure {
public:
    using Failure::Failure;
};

// The query over the branch records (Query_Glav): one current record at a time, pending
// changes held in memory until posted, the record lookup in name order.
//
// Open reads only the hidden key and the name of every row, what the tree and the record
// lookup need. The other fields (date, description, text, kind code) are read from the file
// when a field of the current record is first read, and kept until a record is made current
// (the same one again included) or a post, delete, rowsRewritten or the end of a shared write
// changes the records; Edit reads them into the pending values. An attachment is read from the file
// whenever asked for. Changes made through this query reach the file at once, one row per post or
// delete. A name another program changed later is not seen; the other fields are shown as the file
// holds them when they are read. A row another program deleted, or replaced by one of its own under
// the same key, reads as empty fields.
//
// A post or delete touches a row only while it is still the record read: the same hidden key
// and the same name as read at the open or last posted. A row another program deleted, or
// deleted and replaced by one of its own under the same key, counts as deleted.
//
// Errors the query raises itself are Failure "Query_Glav: <text>"; a post or delete the
// database refuses raises Failure with the database's own message. A field of the current
// record that cannot be read from the file raises RecordReadFailure, its text in Russian.
class BranchQuery {
public:
    BranchQuery();
    BranchQuery(const BranchQuery&) = delete;
    BranchQuery& operator=(const BranchQuery&) = delete;
    ~BranchQuery();

    // The store's name, put before the errors the query raises itself.
    static QString name() { return QStringLiteral("Query_Glav"); }

    // The longest attachment the base can hold, in bytes: one value of the base is limited
    // to just under 10^9 bytes, and a little of that is kept for the record's other fields.
    // LoadFromStream refuses a longer stream.
    static qint64 maxAttachmentSize();

    // Told how far the open has got, from 0 to 1, now and then while it reads the rows.
    using Progress = std::function<void(double done)>;

    // Reads the key and the name of every row of the record table, from the record name
    // index when the base holds it (RecordNameIndex.h): dsBrowse, the first row (in key order)
    // current. Throws Failure with the database's message when the table or
    // one of the six columns is missing or a row cannot be read; the query then stays
    // dsInactive.
    void Open(const SqlcipherConnection& connection, const Progress& progress = {});
    // Drops a pending change (never posts it) and forgets the rows: dsInactive.
    void Close();

    DataSetState State() const { return state_; }
    bool Active() const { return state_ != dsInactive; }
    // The number of records in the table, the pending new one not counted.
    int RecordCount() const { return static_cast<int>(byKey_.size()); }
    // True when no record is current (the table is empty and nothing is being inserted).
    bool IsEmpty() const;

    // Posts a pending change when a field was written, drops it when none was.
    void CheckBrowseMode();
    // Drops a pending change: an edited record stays as the file holds it, a pending new
    // record disappears and the record current before it is current again.
    void Cancel();

    // Finishes a pending change, then makes current the first record in name order whose
    // keyField (only "Imya_vetok") begins with the value, ignoring letter case; the empty
    // value matches only the empty name. "*", "%", "_", "#" and apostrophes match
    // literally. Nothing found, or a search that fails: false, and the current record stays
    // the one current after the pending change was finished. Errors of finishing the
    // change reach the caller; the search itself never raises.
    bool Locate(const QString& keyField, const QString& value, LocateOptions options);

    // Finishes a pending change, then makes current the record that a branch of that name
    // owns (NameIndex::findOwn): the lookup for commands that write, so that they never
    // reach another branch's record through a prefix or a case-insensitive match. Nothing
    // found: false, and the current record stays the one current after the pending change
    // was finished. Errors of finishing the change reach the caller.
    bool LocateOwn(const QString& name);
    // Whether the current record is the one a branch of that name owns.
    bool CurrentIsOwnOf(const QString& name) const;

    // Finishes a pending change, then starts a new, empty record (dsInsert) with no field
    // marked as written. Nothing reaches the file yet.
    void Insert();
    // dsEdit or dsInsert: nothing happens. An empty table: acts as Insert. Otherwise the
    // current record's fields are read (RecordReadFailure when they cannot be, the state
    // staying dsBrowse) and it enters dsEdit.
    void Edit();
    // Writes the pending change (a new row holding the written fields, or an update of the
    // written fields only) in one transaction, an attachment in pieces: dsBrowse, the
    // posted record current. Outside dsEdit and dsInsert: "Dataset not in edit or insert
    // mode". A refusal of the database keeps the change pending with its marks, to be
    // posted again by the next Locate or Insert. A change that can never be posted is
    // dropped instead, with an error that says why: its record was deleted by another
    // program, the record is larger than the base can hold, or the device its attachment
    // was loaded from is closed, gone or ends early.
    void Post();
    // dsInsert: drops the pending record, deletes nothing. An empty table: "Cannot perform
    // this operation on an empty dataset". Otherwise removes the current record's row at
    // once (a pending edit is lost with it); the next record becomes current, or the one
    // before when it was the last, or none. A record another program deleted first is
    // just as gone, and a row it put in its place stays. A refused delete leaves the
    // record in place.
    void Delete();
    // Finishes a pending change, then deletes, in one transaction, the record a branch of that
    // name owns together with every other record of exactly that name (an older base may hold
    // a name more than once): for the last branch of a name, so that no record is left behind
    // that a new branch of the name would show. Returns how many records went; 0 when none
    // matched. The current record is then as after Delete of the last of them.
    int DeleteEveryRecordOf(const QString& name);

    // The field of that name (ignoring letter case); "Field '<name>' not found" otherwise.
    BranchField& FieldByName(const QString& fieldName);

    // A shared write: the caller has begun a transaction on the connection and commits or
    // rolls it back itself, so that the record work between beginSharedWrite and
    // endSharedWrite is stored together with the caller's own writes. Posts and deletes
    // then write inside that transaction, and the records in memory change only at
    // endSharedWrite(true), once the caller's commit succeeded. endSharedWrite(false) (the
    // transaction was rolled back) drops a pending change and makes the record current
    // before the shared write current again.
    void beginSharedWrite();
    void endSharedWrite(bool committed);

    // How a post or delete is about to change a row, as told to the row watch.
    enum class RowWrite {
        Replacing, // an update or delete of the row, told before it is written
        Added,     // a new row, told once it is written
    };
    // Told of every row a post or delete writes, inside the write's transaction, so that the
    // watcher can keep what the row held beside it; a failure it throws fails the write.
    void setRowWatch(std::function<void(qint64 rowId, RowWrite write)> watch);
    // Another part of the program rewrote, added or removed these rows in the file inside the
    // shared write: reads them now and takes them into the records in memory once it commits.
    void rowsRewritten(const std::vector<qint64>& rowIds);

private:
    friend class BranchField;

    using Slot = RecordNames::Slot;
    static constexpr Slot kNone = RecordNames::kNone;

    struct PendingChange {
        StoredRecord values;
        std::unique_ptr<AttachmentSource> attachment; // where the written File bytes are
        unsigned written = 0;                         // one bit per branch_table::Column
    };

    [[noreturn]] static void raise(const QString& text);
    void requireActive() const;
    void requireEditing() const;
    Slot currentSlot() const;
    // The position in key order of the first record whose key is not below rowId.
    std::size_t positionOf(qint64 rowId) const;
    void makeCurrent(Slot slot);
    // The current record's fields as the file now holds them, read once per current record.
    const StoredRecord& currentValues() const;
    void dropCachedValues() const;
    void postPending();
    void postInsert();
    // False, with nothing written, when the record's row is gone.
    bool postEdit();
    // Whether the row of the record's key is still the record: it holds the same name.
    bool rowStillHolds(Slot slot);
    // Deletes the record's row inside the running transaction, telling the row watch first,
    // unless another program deleted it first or put a row of its own under the same key.
    void deleteRowIfStillHeld(Slot slot);
    // Overwrites the zeros bound for the attachment with the pending source's bytes.
    void writeAttachmentInto(qint64 rowId, qint64 size);
    // The name the row of that key holds; `fallback` when it cannot be read.
    QString rereadName(qint64 rowId, const QString& fallback);
    void addRecord(qint64 rowId, QStringView name);
    void renameRecord(Slot slot, QStringView name);
    void forgetRecordAt(std::size_t position);
    // Runs a change of the records in memory now, or inside a shared write once it commits.
    void afterCommit(std::function<void()> change);
    SqlStatement& statementFor(const QByteArray& sql) const;

    // Field access for BranchField.
    bool isWritten(branch_table::Column column) const;
    const StoredRecord* readableValues() const;
    // The name a read of the name field gives: pending, current or none; no other field read.
    QString readableName() const;
    void markWritten(branch_table::Column column);
    StoredRecord& writableValues();
    void writeAttachment(QIODevice& stream);
    void readAttachment(QIODevice& stream) const;

    const SqlcipherConnection* connection_ = nullptr;
    DataSetState state_ = dsInactive;
    // The key and name of every record; byKey_ holds their slots in key order.
    RecordNames names_;
    std::vector<Slot> byKey_;
    NameIndex nameIndex_{names_};
    Slot current_ = kNone; // kNone while there is no record
    // The current record's other fields once read: for the slot cachedSlot_.
    mutable Slot cachedSlot_ = kNone;
    mutable StoredRecord cachedValues_;
    std::unique_ptr<PendingChange> pending_;
    std::array<BranchField, branch_table::kColumnCount> fields_;
    mutable std::map<QByteArray, SqlStatement> statements_;
    bool sharedWrite_ = false;
    Slot currentBeforeSharedWrite_ = kNone;
    std::vector<std::function<void()>> afterSharedWrite_;
    std::function<void(qint64, RowWrite)> rowWatch_;
};

} // namespace infobase
