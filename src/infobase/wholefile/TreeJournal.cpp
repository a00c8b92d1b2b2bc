#include "infobase/wholefile/TreeJournal.h"

#include "common/Failure.h"
#include "infobase/store/SqlcipherConnection.h"

#include <QDataStream>
#include <QIODevice>

namespace infobase::tree_journal {
namespace {

// The first bytes of every entry: the format's name and its version, so that an entry of
// another format is refused rather than misread.
constexpr quint32 kMagic = 0x544A524E; // "TJRN"
constexpr quint16 kVersion = 1;
constexpr auto kStreamVersion = QDataStream::Qt_6_0;

constexpr const char* kCreateTable = "CREATE TABLE IF NOT EXISTS TreeChangeJournal "
                                     "(seq INTEGER PRIMARY KEY AUTOINCREMENT, entry BLOB NOT NULL)";

[[noreturn]] void notAnEntry() {
    throw Failure(QStringLiteral("Запись журнала изменений дерева повреждена."));
}

void put(QDataStream& out, const std::vector<int>& values) {
    out << quint32(values.size());
    for (const int value : values) {
        out << qint32(value);
    }
}

// A count is checked against the bytes left before anything is allocated for it.
quint32 countOf(QDataStream& in, qint64 bytesEach) {
    quint32 count = 0;
    in >> count;
    const qint64 left = in.device()->bytesAvailable();
    if (in.status() != QDataStream::Ok || qint64(count) * bytesEach > left) {
        notAnEntry();
    }
    return count;
}

std::vector<int> takeInts(QDataStream& in) {
    std::vector<int> values(countOf(in, 4));
    for (int& value : values) {
        qint32 read = 0;
        in >> read;
        value = read;
    }
    return values;
}

void put(QDataStream& out, const TBounds& bounds) {
    out << bounds.Left << bounds.Top << bounds.Width << bounds.Height;
}

void take(QDataStream& in, TBounds& bounds) {
    in >> bounds.Left >> bounds.Top >> bounds.Width >> bounds.Height;
}

void put(QDataStream& out, const TreeViewState& view) {
    put(out, view.bounds);
    put(out, view.explicitBounds);
    out << view.Cursor << qint32(view.Align) << view.DragCursor;
    out << view.Font.Charset << view.Font.Color << view.Font.Height << view.Font.Name
        << view.Font.Style;
    out << view.Indent << view.ParentFont << view.TabOrder << view.Visible;
}

void take(QDataStream& in, TreeViewState& view) {
    take(in, view.bounds);
    take(in, view.explicitBounds);
    qint32 align = 0;
    in >> view.Cursor >> align >> view.DragCursor;
    if (align < 0 || align > qint32(TAlign::alCustom)) {
        notAnEntry();
    }
    view.Align = TAlign(align);
    in >> view.Font.Charset >> view.Font.Color >> view.Font.Height >> view.Font.Name >>
        view.Font.Style;
    in >> view.Indent >> view.ParentFont >> view.TabOrder >> view.Visible;
}

void put(QDataStream& out, const NodeFields& node) {
    out << qint32(node.depth) << node.text << node.imageIndex << node.selectedIndex
        << node.stateIndex << node.overlayIndex << node.expandedImageIndex << node.data
        << node.enabled << node.hasChildren;
}

void take(QDataStream& in, NodeFields& node) {
    qint32 depth = 0;
    in >> depth >> node.text >> node.imageIndex >> node.selectedIndex >> node.stateIndex >>
        node.overlayIndex >> node.expandedImageIndex >> node.data >> node.enabled >>
        node.hasChildren;
    node.depth = depth;
}

void put(QDataStream& out, const TreeChange& change) {
    out << qint32(change.kind);
    put(out, change.path);
    put(out, change.to);
    out << qint32(change.index) << change.text << change.flag;
    put(out, change.order);
    out << quint32(change.nodes.size());
    for (const NodeFields& node : change.nodes) {
        put(out, node);
    }
}

void take(QDataStream& in, TreeChange& change) {
    qint32 kind = 0;
    in >> kind;
    if (kind < TreeChange::Insert || kind > TreeChange::Reorder) {
        notAnEntry();
    }
    change.kind = TreeChange::Kind(kind);
    change.path = takeInts(in);
    change.to = takeInts(in);
    qint32 index = 0;
    in >> index >> change.text >> change.flag;
    change.index = index;
    change.order = takeInts(in);
    // A node takes at least its eight numbers and two flags.
    change.nodes.resize(countOf(in, 34));
    for (NodeFields& node : change.nodes) {
        take(in, node);
    }
}

} // namespace

QByteArray encode(const TreeViewState& view, const std::vector<TreeChange>& changes) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    out << kMagic << kVersion;
    put(out, view);
    out << quint32(changes.size());
    for (const TreeChange& change : changes) {
        put(out, change);
    }
    return bytes;
}

Entry decode(qint64 seq, const QByteArray& bytes) {
    QDataStream in(bytes);
    in.setVersion(kStreamVersion);
    quint32 magic = 0;
    quint16 version = 0;
    in >> magic >> version;
    if (magic != kMagic || version != kVersion) {
        notAnEntry();
    }
    Entry entry;
    entry.seq = seq;
    take(in, entry.view);
    // A change takes at least its kind, three counts, index, text length and flag.
    entry.changes.resize(countOf(in, 29));
    for (TreeChange& change : entry.changes) {
        take(in, change);
    }
    if (in.status() != QDataStream::Ok || !in.atEnd()) {
        notAnEntry();
    }
    return entry;
}

void append(const SqlcipherConnection& connection, const TreeViewState& view,
            const std::vector<TreeChange>& changes) {
    connection.execute(kCreateTable);
    SqlStatement insert = connection.prepare("INSERT INTO TreeChangeJournal (entry) VALUES (?)");
    insert.bindBlob(1, encode(view, changes));
    insert.step();
}

namespace {

bool tableExists(const SqlcipherConnection& connection) {
    SqlStatement has = connection.prepare(
        "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'TreeChangeJournal'");
    return has.step();
}

} // namespace

std::vector<Entry> entries(const SqlcipherConnection& connection) {
    std::vector<Entry> found;
    if (!tableExists(connection)) {
        return found;
    }
    SqlStatement select =
        connection.prepare("SELECT seq, entry FROM TreeChangeJournal ORDER BY seq");
    while (select.step()) {
        found.push_back(decode(select.columnInt64(0), select.columnBlob(1)));
    }
    return found;
}

bool any(const SqlcipherConnection& connection) {
    if (!tableExists(connection)) {
        return false;
    }
    SqlStatement select = connection.prepare("SELECT 1 FROM TreeChangeJournal LIMIT 1");
    return select.step();
}

void removeUpTo(const SqlcipherConnection& connection, qint64 seq) {
    if (!tableExists(connection)) {
        return;
    }
    SqlStatement remove = connection.prepare(
        seq < 0 ? "DELETE FROM TreeChangeJournal" : "DELETE FROM TreeChangeJournal WHERE seq <= ?");
    if (seq >= 0) {
        remove.bindInt64(1, seq);
    }
    remove.step();
}

} // namespace infobase::tree_journal
