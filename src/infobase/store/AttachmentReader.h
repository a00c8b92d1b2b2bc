#pragma once

#include <QByteArrayView>
#include <functional>

namespace infobase {

class SqlcipherConnection;

// Reads the attachment (column File) of one branch record from the base file in pieces of at
// most 1 MiB, handing each piece to the sink in order, so that an attachment of any size
// never sits in memory whole. A record without one (no row, NULL, no bytes, or a value that
// is neither bytes nor text) gives no pieces. A failed read throws Failure with the
// database's message; a sink may throw to stop.
void readAttachmentPieces(const SqlcipherConnection& connection, qint64 rowId,
                          const std::function<void(QByteArrayView piece)>& sink);

} // namespace infobase
