#pragma once

#include <QFlags>

namespace infobase {

// The state of the branch query.
enum DataSetState {
    dsInactive, // not open: before the connect and after the end of the run
    dsBrowse,   // open, no pending change
    dsEdit,     // a change of the current record is pending
    dsInsert,   // a new record is pending; it is the current record
};

// Options of a record lookup. The lookup always ignores letter case and always matches a
// non-empty value as a prefix; the options are accepted as callers pass them.
enum LocateOption {
    loCaseInsensitive = 0x1,
    loPartialKey = 0x2,
};
Q_DECLARE_FLAGS(LocateOptions, LocateOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(LocateOptions)

} // namespace infobase
