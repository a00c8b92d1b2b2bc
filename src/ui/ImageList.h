#pragma once

#include <QIcon>
#include <QList>
#include <QPixmap>

// The main window's image list: ten 16 x 16 pictures with a transparency mask, addressed
// by index, for the menus and the picture pane.
class ImageList {
public:
    enum Index {
        QuestionMark = 0,
        FloppyDisk = 1,
        TreeDiagram = 2,
        ProhibitionSign = 3,
        CrossInCircle = 4,
        DatabaseCylinder = 5,
        WordDocument = 6,
        OpenBook = 7,
        BarChart = 8,
        ColouredLetters = 9,
    };

    ImageList();

    int count() const { return static_cast<int>(pictures_.size()); }
    const QPixmap& picture(int index) const { return pictures_.at(index); }
    QIcon icon(int index) const { return QIcon(pictures_.at(index)); }

private:
    QList<QPixmap> pictures_;
};
