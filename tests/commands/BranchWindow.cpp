#include "BranchWindow.h"

#include "infobase/store/BranchTable.h"
#include "infobase/store/SqlcipherConnection.h"
#include "infobase/tree/TreeFile.h"
#include "ui/Form_Glavn.h"
#include "ui/TreeModelAdapter.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

using infobase::branch_table::kPassword;

QString pathOf(const infobase::TTreeNode* node) {
    QString path = node->Text();
    for (const infobase::TTreeNode* up = node->Parent(); up; up = up->Parent()) {
        path = up->Text() + u'/' + path;
    }
    return path;
}

void collect(const infobase::TTreeNode* node, QStringList& paths) {
    for (; node; node = node->getNextSibling()) {
        paths << pathOf(node);
        collect(node->getFirstChild(), paths);
    }
}

infobase::TTreeNode* find(infobase::TTreeNode* node, const QString& path) {
    for (; node; node = node->getNextSibling()) {
        if (pathOf(node) == path) {
            return node;
        }
        if (infobase::TTreeNode* inside = find(node->getFirstChild(), path)) {
            return inside;
        }
    }
    return nullptr;
}

void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

} // namespace

QByteArray jpegPicture(QSize size, Qt::GlobalColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    return bytes;
}

BranchWindow::BranchWindow(const QStringList& tree, const std::vector<SeedRecord>& records)
    : today_(platform::DesktopServices{
          [] { return QDateTime(QDate(2026, 3, 5), QTime(10, 30)); },
          [] { return QLocale(QLocale::Russian, QLocale::Russia); },
          {},
      }) {
    program.createBase();
    {
        auto base = infobase::SqlcipherConnection::open(
            program.path(QStringLiteral("Data/Quorlent.mdb")), kPassword, {});
        infobase::SqlStatement insert = base.prepare(
            "INSERT INTO Tab_DB_Delphi_10 (Dat, Imya_vetok, Opisanie, Texty, RashirenieFile, File)"
            " VALUES ('01.01.2026', ?, ?, ?, ?, ?)");
        for (const SeedRecord& record : records) {
            insert.bindText(1, record.name.toUtf8());
            insert.bindText(2, record.description.toUtf8());
            insert.bindText(3, record.text.toUtf8());
            insert.bindInt64(4, record.kind);
            insert.bindBlob(5, record.attachment);
            insert.step();
            insert.reset();
        }
    }
    infobase::TTreeNodes nodes;
    for (const QString& path : tree) {
        const qsizetype slash = path.lastIndexOf(u'/');
        infobase::TTreeNode* parent =
            slash < 0 ? nullptr : find(nodes.getFirstNode(), path.left(slash));
        nodes.AddChild(parent, path.mid(slash + 1));
    }
    infobase::writeTreeFile(program.path(QStringLiteral("Data/TreeView.dat")),
                            infobase::TreeViewState{}, nodes);

    TForm_Glavn& shown = program.start();
    shown.Button_podluchit_bazy->click();
    shown.PokazatClick();
    settle();
}

infobase::TTreeNode* BranchWindow::node(const QString& path) {
    return find(window().TreeNodes.getFirstNode(), path);
}

void BranchWindow::clickAt(QPoint viewportPos) {
    QTest::mouseClick(window().TreeView1->viewport(), Qt::LeftButton, {}, viewportPos);
    settle();
}

void BranchWindow::clickLabel(const QString& path) {
    infobase::TTreeNode* target = node(path);
    ASSERT_NE(target, nullptr) << path.toStdString();
    const QModelIndex index = window().TreeModel->indexOf(target);
    window().TreeView1->scrollTo(index);
    clickAt(window().TreeView1->visualRect(index).topLeft() + QPoint(4, 4));
}

void BranchWindow::clickExpandButton(const QString& path) {
    infobase::TTreeNode* target = node(path);
    ASSERT_NE(target, nullptr) << path.toStdString();
    const QRect label = window().TreeView1->visualRect(window().TreeModel->indexOf(target));
    clickAt(QPoint(label.left() - window().TreeView1->indentation() / 2, label.center().y()));
}

void BranchWindow::clickEmptySpace() {
    clickAt(QPoint(40, window().TreeView1->viewport()->height() - 5));
}

void BranchWindow::press(QWidget* button) {
    QTest::mouseClick(button, Qt::LeftButton);
    settle();
}

QStringList BranchWindow::recordNames() const {
    auto base = infobase::SqlcipherConnection::open(
        program.path(QStringLiteral("Data/Quorlent.mdb")), kPassword, {});
    infobase::SqlStatement select =
        base.prepare("SELECT Imya_vetok FROM Tab_DB_Delphi_10 ORDER BY rowid");
    QStringList names;
    while (select.step()) {
        names << QString::fromUtf8(select.columnText(0));
    }
    return names;
}

std::optional<QString> BranchWindow::column(const QString& name, const char* columnName) const {
    auto base = infobase::SqlcipherConnection::open(
        program.path(QStringLiteral("Data/Quorlent.mdb")), kPassword, {});
    infobase::SqlStatement select =
        base.prepare(QByteArray("SELECT ") + columnName +
                     " FROM Tab_DB_Delphi_10 WHERE Imya_vetok = ? ORDER BY rowid");
    select.bindText(1, name.toUtf8());
    if (!select.step()) {
        return std::nullopt;
    }
    return QString::fromUtf8(select.columnText(0));
}

QStringList BranchWindow::treeFileNodes() const {
    program.window->writeTreeFileNow();
    infobase::TreeViewState view;
    infobase::TTreeNodes nodes;
    infobase::readTreeFile(program.path(QStringLiteral("Data/TreeView.dat")), view, nodes);
    QStringList paths;
    collect(nodes.getFirstNode(), paths);
    return paths;
}
