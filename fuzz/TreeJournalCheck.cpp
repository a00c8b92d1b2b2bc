#include "TreeJournalCheck.h"

#include "common/Failure.h"
#include "infobase/tree/TreeChange.h"
#include "infobase/tree/TreeNodes.h"
#include "infobase/tree/TreeStream.h"
#include "infobase/wholefile/TreeJournal.h"

#include <QBuffer>

using namespace infobase;

namespace {

// A few branches on two levels: enough for every kind of change to fit somewhere.
void plantSmallTree(TTreeNodes& items) {
    TTreeNode* first = items.AddChild(nullptr, QStringLiteral("A"));
    items.AddChild(first, QStringLiteral("A1"));
    items.AddChild(first, QStringLiteral("A2"));
    items.AddChild(nullptr, QStringLiteral("B"));
    TTreeNode* third = items.AddChild(nullptr, QStringLiteral("C"));
    items.AddChild(third, QStringLiteral("C1"));
}

} // namespace

QString checkTreeJournalInput(QByteArrayView bytes) {
    tree_journal::Entry entry;
    try {
        entry = tree_journal::decode(1, bytes.toByteArray());
    } catch (const Failure&) {
        return {};
    }
    TTreeNodes items;
    plantSmallTree(items);
    for (const TreeChange& change : entry.changes) {
        try {
            applyTreeChange(items, change);
        } catch (const Failure&) {
            // A change that does not fit this tree is refused whole.
        }
    }
    QByteArray file;
    QBuffer out(&file);
    out.open(QIODevice::WriteOnly);
    WriteComponent(out, entry.view, items);
    QBuffer in;
    in.setData(file);
    in.open(QIODevice::ReadOnly);
    TreeViewState view = entry.view;
    TTreeNodes again;
    try {
        ReadComponent(in, view, again);
    } catch (const Failure& failure) {
        return QStringLiteral("the tree file written from the entry does not read back: ") +
               failure.message();
    }
    if (again.Count() != items.Count()) {
        return QStringLiteral("the tree file written from the entry reads back %1 branches of %2")
            .arg(again.Count())
            .arg(items.Count());
    }
    return {};
}
