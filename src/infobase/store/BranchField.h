#pragma once

#include "infobase/store/BranchTable.h"

#include <QString>

class QIODevice;

namespace infobase {

class BranchQuery;

// One field of the branch query's current record, as FieldByName gives it. Reads give the
// pending value while a change is pending; a field that holds no value reads as the empty
// text, 0, or an attachment of no bytes. The name is read from memory; the first read of
// another field reads the current record's fields from the file (RecordReadFailure when it
// cannot). Writes are allowed only in dsEdit or dsInsert
// (otherwise Failure "Query_Glav: Dataset not in edit or insert mode"), become the pending
// value and mark the field as written, even when the value is unchanged.
//
// Text fields are read and written with AsString, the kind code RashirenieFile with
// AsInteger, the attachment File with LoadFromStream and SaveToStream. AsString of the kind
// code gives its decimal text; any other access a field's type does not allow throws
// Failure "Query_Glav: Field '<name>' is not of the type asked for".
class BranchField {
public:
    QString FieldName() const;

    QString AsString() const;
    void SetAsString(const QString& value);

    qint32 AsInteger() const;
    void SetAsInteger(qint32 value);

    // Replaces the whole attachment with the device's whole content, read from its
    // beginning whatever its position; an empty device gives an empty attachment. A content
    // longer than BranchQuery::maxAttachmentSize() is refused at once (Failure
    // "Query_Glav: The file is larger than the base can hold: …", giving the limit) and
    // nothing becomes pending.
    //
    // The bytes are not read into memory: the post reads them from the device in pieces
    // straight into the base file, so a device that can seek must stay open until the
    // change is posted, and its content then is what is posted. A post that finds it closed
    // or destroyed drops the change with an error instead of keeping it pending. A device
    // that cannot seek is copied at once into a private temporary file.
    void LoadFromStream(QIODevice& stream);
    // Writes all of the attachment's bytes into the device at its position; an empty
    // attachment writes nothing. The bytes are read from the base file in pieces, so an
    // attachment of any size never sits in memory whole. A failed read or write throws.
    void SaveToStream(QIODevice& stream) const;

private:
    friend class BranchQuery;
    BranchField(BranchQuery* query, branch_table::Column column) : query_(query), column_(column) {}

    BranchQuery* query_;
    branch_table::Column column_;
};

} // namespace infobase
