// The accents above capitals in the rows of the tree and of the search's result list.
#include "BranchWindow.h"
#include "skin/qsFontCellHeight.h"
#include "ui/Fonts.h"
#include "ui/Form_Glavn.h"
#include "ui/SearchBar.h"
#include "ui/TreeModelAdapter.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QEventLoop>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

// The pixels that differ clearly between two pictures of the same size.
int differingPixels(const QImage& a, const QImage& b) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            count += qAbs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y))) > 64;
        }
    }
    return count;
}

// The pixels of the dots of "Ё" in that font, drawn with nothing around to cut them.
int dotPixels(const QFont& font) {
    const auto draw = [&](const QString& text) {
        QImage image(200, 100, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QPoint(10, 60), text);
        return image;
    };
    return differingPixels(draw("Ёлка"), draw("Елка"));
}

// The pixels in which the rows of "Ёлка" and "Елка" differ in a view.
int rowDifference(QAbstractItemView* view, const QModelIndex& yo, const QModelIndex& ye) {
    view->selectionModel()->clear();
    const auto row = [&](const QModelIndex& index) {
        return view->viewport()->grab(view->visualRect(index)).toImage();
    };
    return differingPixels(row(yo), row(ye));
}

TEST(WholeAccents, TreeRowsAndResultRowsShowTheDotsOfYoWhole) {
    BranchWindow program{{"Ёлка", "Елка"}, {{"Ёлка"}, {"Елка"}}};
    TForm_Glavn& window = program.window();
    QTreeView* tree = window.TreeView1;
    const QModelIndex yo = window.TreeModel->indexOf(program.node("Ёлка"));
    const QModelIndex ye = window.TreeModel->indexOf(program.node("Елка"));
    for (const int height : {11, 13, 16, 19, 21}) {
        for (const QFont& font : {ui::tahoma(height), ui::tahomaBold(height)}) {
            SCOPED_TRACE(font.toString().toStdString());
            tree->setFont(font);
            QCoreApplication::processEvents();
            const int dots = dotPixels(font);
            ASSERT_GT(dots, 0);
            EXPECT_GE(rowDifference(tree, yo, ye), dots * 9 / 10) << "in the tree";
        }
    }

    window.N_poisk->trigger();
    SearchBar& bar = *window.SearchBar1;
    bar.field()->setText("лка");
    for (int i = 0; i < 500 && !bar.count()->text().startsWith("Найдено"); ++i) {
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    const QAbstractItemModel* results = bar.list()->model();
    ASSERT_EQ(results->rowCount(), 2);
    ASSERT_TRUE(results->index(0, 0).data().toString().startsWith("Ёлка"));
    // Each result keeps its two lines: the path above, where it was found below.
    bar.list()->selectionModel()->clear();
    const QRect first = bar.list()->visualRect(results->index(0, 0));
    EXPECT_GE(first.height(), 2 * CellOf(bar.list()->font()).Height());
    const QImage lowerHalf =
        bar.list()->viewport()->grab(first.adjusted(0, first.height() / 2, 0, 0)).toImage();
    QImage empty(lowerHalf.size(), lowerHalf.format());
    empty.fill(bar.list()->palette().color(QPalette::Base));
    EXPECT_GT(differingPixels(lowerHalf, empty), 20) << "the second line is drawn";
    const int dots = dotPixels(bar.list()->font());
    EXPECT_GE(rowDifference(bar.list(), results->index(0, 0), results->index(1, 0)), dots * 9 / 10)
        << "in the result list";
}

} // namespace
