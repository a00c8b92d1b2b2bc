#pragma once

#include <QList>
#include <QPixmap>
#include <QSize>

// A list of pictures of one size, from which a custom message shows its icon.
struct TqsImageList {
    QSize PictureSize{16, 16};
    QList<QPixmap> Pictures;

    int Count() const { return static_cast<int>(Pictures.size()); }
};
