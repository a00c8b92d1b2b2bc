#include "ui/Fonts.h"

namespace ui {
namespace {

QFont face(const QString& family, int characterHeight, bool bold) {
    QFont font(family);
    font.setPixelSize(characterHeight);
    font.setBold(bold);
    return font;
}

} // namespace

QFont tahoma(int characterHeight) {
    return face(QStringLiteral("Tahoma"), characterHeight, false);
}

QFont tahomaBold(int characterHeight) {
    return face(QStringLiteral("Tahoma"), characterHeight, true);
}

QFont msSansSerifBold(int characterHeight) {
    return face(QStringLiteral("MS Sans Serif"), characterHeight, true);
}

} // namespace ui
