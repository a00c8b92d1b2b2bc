#include "ui/Fonts.h"

#include <QFontDatabase>
#include <QFontInfo>

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
    // MS Sans Serif usually comes as a bitmap face with a few fixed sizes, and Qt draws such
    // a face only at the first size it lists, without emboldening it. Unless an outline
    // MS Sans Serif is at hand, the text is drawn in Nimbus Sans, an outline grotesque of the
    // same look with a true bold, at the character height asked for.
    const QFont wanted = face(QStringLiteral("MS Sans Serif"), characterHeight, true);
    const QFontInfo drawn(wanted);
    if (drawn.family() == wanted.family() &&
        QFontDatabase::isSmoothlyScalable(drawn.family(), drawn.styleName())) {
        return wanted;
    }
    const QString standIn = QStringLiteral("Nimbus Sans");
    if (QFontDatabase::hasFamily(standIn)) {
        return face(standIn, characterHeight, true);
    }
    return tahomaBold(characterHeight);
}

} // namespace ui
