#include "ui/ImageList.h"

ImageList::ImageList() {
    static const char* const kFiles[] = {
        ":/imagelist/0-question.png",    ":/imagelist/1-floppy.png", ":/imagelist/2-tree.png",
        ":/imagelist/3-prohibition.png", ":/imagelist/4-cross.png",  ":/imagelist/5-database.png",
        ":/imagelist/6-word.png",        ":/imagelist/7-book.png",   ":/imagelist/8-chart.png",
        ":/imagelist/9-letters.png",
    };
    for (const char* file : kFiles) {
        pictures_.append(QPixmap(QLatin1String(file)));
    }
}
