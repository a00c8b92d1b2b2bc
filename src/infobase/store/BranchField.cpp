#include "infobase/store/BranchField.h"

#include "common/Failure.h"
#include "infobase/store/BranchQuery.h"

#include <QIODevice>

namespace infobase {

using branch_table::Column;

namespace {

[[noreturn]] void raiseWrongType(Column column) {
    throw Failure(QStringLiteral("%1: Field '%2' is not of the type asked for")
                      .arg(BranchQuery::name(), QLatin1String(branch_table::columnName(column))));
}

// The text field of a record that holds the column, for the const and the writable record.
template <typename Record> auto textOf(Record& record, Column column) -> decltype(&record.date) {
    switch (column) {
    case Column::Dat:
        return &record.date;
    case Column::Opisanie:
        return &record.description;
    case Column::Texty:
        return &record.text;
    default:
        return nullptr;
    }
}

} // namespace

QString BranchField::FieldName() const {
    return QLatin1String(branch_table::columnName(column_));
}

QString BranchField::AsString() const {
    if (column_ == Column::File) {
        raiseWrongType(column_);
    }
    if (column_ == Column::Imya_vetok) {
        // The name is in memory: reading it never reads the record's other fields.
        return query_->readableName();
    }
    const StoredRecord* values = query_->readableValues();
    if (values == nullptr) {
        return QString();
    }
    if (column_ == Column::RashirenieFile) {
        return QString::number(values->kind);
    }
    return QString::fromUtf8(*textOf(*values, column_));
}

void BranchField::SetAsString(const QString& value) {
    query_->requireEditing();
    if (column_ == Column::File || column_ == Column::RashirenieFile) {
        raiseWrongType(column_);
    }
    StoredRecord& values = query_->writableValues();
    if (column_ == Column::Imya_vetok) {
        values.name = value;
    } else {
        *textOf(values, column_) = value.toUtf8();
    }
    query_->markWritten(column_);
}

qint32 BranchField::AsInteger() const {
    if (column_ != Column::RashirenieFile) {
        raiseWrongType(column_);
    }
    const StoredRecord* values = query_->readableValues();
    return values ? values->kind : 0;
}

void BranchField::SetAsInteger(qint32 value) {
    query_->requireEditing();
    if (column_ != Column::RashirenieFile) {
        raiseWrongType(column_);
    }
    query_->writableValues().kind = value;
    query_->markWritten(column_);
}

void BranchField::LoadFromStream(QIODevice& stream) {
    query_->requireEditing();
    if (column_ != Column::File) {
        raiseWrongType(column_);
    }
    query_->writeAttachment(stream);
}

void BranchField::SaveToStream(QIODevice& stream) const {
    if (column_ != Column::File) {
        raiseWrongType(column_);
    }
    query_->readAttachment(stream);
}

} // namespace infobase
