#include "platform/ProgramFonts.h"

#include "platform/HeavierStems.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QPainterPath>
#include <QRawFont>

namespace platform {
namespace {

const QStringList kFontFolders{QStringLiteral("/usr/share/wine/fonts"),
                               QStringLiteral("/usr/share/fonts/truetype/wine"),
                               QStringLiteral("/usr/local/share/wine/fonts")};

const QString kTahoma = QStringLiteral("tahoma.ttf");
const QString kTahomaBold = QStringLiteral("tahomabd.ttf");
const QStringList kFontFiles{kTahoma, kTahomaBold, QStringLiteral("ms_sans_serif.ttf")};

// How much heavier a bold stroke is than a regular one, in ems: what Tahoma Bold's advances
// add per upright stroke over the regular face's ('l' one stroke, 'н' two, 'ш' three).
constexpr double kBoldStrokeGrowthEm = 0.055;

bool familyResolves(const QString& family) {
    return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

// The width of the letter l's one stroke as the face draws it, in pixels at 100 px.
qreal strokeWidthOf(const QRawFont& face) {
    const QList<quint32> glyphs = face.glyphIndexesForString(QStringLiteral("l"));
    return glyphs.size() == 1 ? face.pathForGlyph(glyphs[0]).boundingRect().width() : 0;
}

// Wine's Tahoma Bold has the advances of a bold face but the very outlines of the regular
// one, so nothing drawn in it looks bold. Such a face is registered with heavier strokes
// on its own advances and heights; a bold face of its own weight is registered as it is.
void registerTahomaBold(const QDir& folder) {
    QFile file(folder.filePath(kTahomaBold));
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray face = file.readAll();
        const qreal boldStroke = strokeWidthOf(QRawFont(face, 100));
        const qreal regularStroke = strokeWidthOf(QRawFont(folder.filePath(kTahoma), 100));
        if (boldStroke > 0 && boldStroke <= regularStroke) {
            const QByteArray heavier = withHeavierStems(face, kBoldStrokeGrowthEm);
            if (!heavier.isEmpty() && QFontDatabase::addApplicationFontFromData(heavier) >= 0) {
                return;
            }
        }
    }
    QFontDatabase::addApplicationFont(folder.filePath(kTahomaBold));
}

} // namespace

QStringList registerProgramFonts() {
    const bool allPresent =
        std::all_of(kProgramFontFamilies.begin(), kProgramFontFamilies.end(), familyResolves);
    if (!allPresent) {
        for (const QString& folder : kFontFolders) {
            const QDir dir(folder);
            for (const QString& file : kFontFiles) {
                if (!dir.exists(file)) {
                    continue;
                }
                if (file == kTahomaBold) {
                    registerTahomaBold(dir);
                } else {
                    QFontDatabase::addApplicationFont(dir.filePath(file));
                }
            }
        }
    }
    QStringList missing;
    for (const QString& family : kProgramFontFamilies) {
        if (!familyResolves(family)) {
            missing << family;
        }
    }
    return missing;
}

} // namespace platform
