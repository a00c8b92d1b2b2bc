#include "TreeFileCheck.h"

#include "common/Failure.h"
#include "infobase/tree/TreeStream.h"

#include <QBuffer>

using namespace infobase;

namespace {

bool isReaderFailure(const QString& message) {
    // Unwrapped: failures in the header (an object prefix's child position included).
    static const QLatin1String plain[] = {QLatin1String("Invalid stream format"),
                                          QLatin1String("Stream read error"),
                                          QLatin1String("Invalid property value")};
    static const QLatin1String wrapped[] = {
        QLatin1String(": Stream read error"), QLatin1String(": Invalid property value"),
        QLatin1String(": Invalid property path"), QLatin1String(" does not exist")};
    for (const QLatin1String& text : plain) {
        if (message == text) {
            return true;
        }
    }
    if (!message.startsWith(QLatin1String("Error reading "))) {
        return false;
    }
    for (const QLatin1String& end : wrapped) {
        if (message.endsWith(end)) {
            return true;
        }
    }
    return false;
}

QByteArray write(const TreeViewState& view, const TTreeNodes& items) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    WriteComponent(buffer, view, items);
    return bytes;
}

// Reads into a fresh view and tree; returns the failure text, empty on success.
QString read(const QByteArray& bytes, TreeViewState& view, TTreeNodes& items) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    try {
        ReadComponent(buffer, view, items);
    } catch (const Failure& failure) {
        return failure.message().isEmpty() ? QStringLiteral("(empty failure)") : failure.message();
    }
    return {};
}

} // namespace

QString checkTreeFileInput(QByteArrayView bytes) {
    TreeViewState view;
    TTreeNodes items;
    const QString failure = read(bytes.toByteArray(), view, items);
    if (!failure.isEmpty()) {
        return isReaderFailure(failure) ? QString()
                                        : QStringLiteral("unexpected failure text: ") + failure;
    }
    // Texts that cannot be stored as they are (a name with a lone surrogate) may change once;
    // after that, writing and reading must be stable. The file leaves out settings that equal
    // their property's default, so it is read back over the state that wrote it.
    const QByteArray first = write(view, items);
    TreeViewState view2 = view;
    TTreeNodes items2;
    if (const QString again = read(first, view2, items2); !again.isEmpty()) {
        return QStringLiteral("the written file does not read back: ") + again;
    }
    const QByteArray second = write(view2, items2);
    if (second != first) {
        return QStringLiteral("writing what was read back gives other bytes");
    }
    if (items2.Count() != items.Count()) {
        return QStringLiteral("the tree read back has another node count");
    }
    return {};
}
