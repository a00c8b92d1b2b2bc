#include "infobase/store/AttachmentReader.h"

#include "infobase/store/AttachmentBlob.h"
#include "infobase/store/SqlcipherConnection.h"

#include <QByteArray>
#include <algorithm>

namespace infobase {

void readAttachmentPieces(const SqlcipherConnection& connection, qint64 rowId,
                          const std::function<void(QByteArrayView piece)>& sink) {
    {
        SqlStatement probe =
            connection.prepare("SELECT typeof([File]) IN ('blob','text') AND length([File]) > 0"
                               " FROM Tab_DB_Delphi_10 WHERE rowid=?");
        probe.bindInt64(1, rowId);
        if (!probe.step() || probe.columnInt64(0) == 0) {
            return;
        }
    }
    AttachmentBlob blob(connection.handle(), rowId, AttachmentBlob::ReadOnly);
    constexpr int kPiece = AttachmentBlob::kPieceSize;
    QByteArray piece(std::min(kPiece, blob.size()), Qt::Uninitialized);
    for (int offset = 0; offset < blob.size(); offset += kPiece) {
        const int count = std::min(kPiece, blob.size() - offset);
        blob.read(piece.data(), count, offset);
        sink(QByteArrayView(piece.constData(), count));
    }
}

} // namespace infobase
