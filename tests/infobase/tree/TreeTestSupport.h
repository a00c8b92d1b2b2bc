#pragma once

#include "common/Failure.h"
#include "infobase/tree/TreeNodes.h"
#include "infobase/tree/TreeStream.h"
#include "infobase/tree/TreeViewState.h"

#include <QBuffer>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <ostream>

// Lets GoogleTest print texts readably in failure messages.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

// One line per node in pre-order, indented by level, with every field that the tree file
// keeps: two trees are the same to the file when their descriptions are equal.
inline QString describe(const infobase::TTreeNodes& items) {
    QStringList lines;
    const auto visit = [&](const auto& self, const infobase::TTreeNode* node) -> void {
        lines.append(QStringLiteral("%1%2 [img %3 sel %4 state %5 ovl %6 exp %7 data %8%9%10]")
                         .arg(QString(2 * node->Level(), QLatin1Char(' ')), node->Text())
                         .arg(node->ImageIndex)
                         .arg(node->SelectedIndex)
                         .arg(node->StateIndex)
                         .arg(node->OverlayIndex)
                         .arg(node->ExpandedImageIndex)
                         .arg(node->Data)
                         .arg(node->Enabled ? "" : " disabled")
                         .arg(node->HasChildren() ? " +" : ""));
        for (int i = 0; i < node->Count(); ++i) {
            self(self, node->Item(i));
        }
    };
    for (int i = 0; i < items.TopCount(); ++i) {
        visit(visit, items.TopItem(i));
    }
    return lines.join(QLatin1Char('\n'));
}

inline QByteArray writeToBytes(const infobase::TreeViewState& view,
                               const infobase::TTreeNodes& items) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    infobase::WriteComponent(buffer, view, items);
    return bytes;
}

// Reads bytes into the view and tree; returns the failure text, empty on success.
inline QString readFromBytes(const QByteArray& bytes, infobase::TreeViewState& view,
                             infobase::TTreeNodes& items) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    try {
        infobase::ReadComponent(buffer, view, items);
    } catch (const Failure& failure) {
        return failure.message();
    }
    return {};
}
