#include "platform/ProgramFonts.h"

#include "platform/HeavierStems.h"
#include "platform/SfntTables.h"

#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QPainterPath>
#include <QRawFont>

namespace platform {
namespace {

const QStringList kFontFolders{QStringLiteral("/usr/share/wine/fonts"),
                               QStringLiteral("/usr/share/fonts/truetype/wine"),
                               QStringLiteral("/usr/local/share/wine/fonts")};

const QString kTahomaBoldFile = QStringLiteral("tahomabd.ttf");
const QStringList kFontFiles{QStringLiteral("tahoma.ttf"), kTahomaBoldFile,
                             QStringLiteral("ms_sans_serif.ttf")};

// How much heavier a bold stroke is than a regular one, in ems: what Tahoma Bold's advances
// add per upright stroke over the regular face's ('l' one stroke, 'н' two, 'ш' three).
constexpr double kBoldStrokeGrowthEm = 0.055;

// The tables a TrueType face may carry that drawing and laying out text read.
const char* const kTrueTypeTables[] = {
    "cmap", "glyf", "head", "hhea", "hmtx", "loca", "maxp", "name", "post", "OS/2",
    "cvt ", "fpgm", "prep", "gasp", "hdmx", "LTSH", "VDMX", "EBDT", "EBLC", "EBSC",
    "GDEF", "GPOS", "GSUB", "kern", "BASE", "JSTF", "vhea", "vmtx", "PCLT"};

bool familyResolves(const QString& family) {
    return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

// The width of the letter l's one stroke as the face draws it at its size.
qreal strokeWidthOf(const QRawFont& face) {
    const QList<quint32> glyphs = face.glyphIndexesForString(QStringLiteral("l"));
    return glyphs.size() == 1 ? face.pathForGlyph(glyphs[0]).boundingRect().width() : 0;
}

// The face as a font file of its own, wherever the font database found it.
QByteArray fontFileOf(const QRawFont& face) {
    SfntTables tables;
    for (const char* tag : kTrueTypeTables) {
        const QByteArray table = face.fontTable(tag);
        if (!table.isEmpty()) {
            tables[QByteArray(tag)] = table;
        }
    }
    return writeSfntTables(std::move(tables));
}

// Wine's Tahoma Bold has the advances of a bold face but the very outlines of the regular
// one, so nothing drawn in it looks bold. Where the Tahoma Bold that resolves is such a
// face, a copy with heavier strokes on its own advances and heights is registered in its
// place; a bold face of its own weight is left as it is.
void giveTahomaBoldItsWeight(int registeredBoldFile) {
    QFont regular(QStringLiteral("Tahoma"));
    regular.setPixelSize(100);
    QFont bold = regular;
    bold.setBold(true);
    const QRawFont boldFace = QRawFont::fromFont(bold);
    const qreal boldStroke = strokeWidthOf(boldFace);
    if (boldStroke <= 0 || boldStroke > strokeWidthOf(QRawFont::fromFont(regular))) {
        return;
    }
    const QByteArray heavier = withHeavierStems(fontFileOf(boldFace), kBoldStrokeGrowthEm);
    if (!heavier.isEmpty() && QFontDatabase::addApplicationFontFromData(heavier) >= 0 &&
        registeredBoldFile >= 0) {
        QFontDatabase::removeApplicationFont(registeredBoldFile);
    }
}

} // namespace

QStringList registerProgramFonts() {
    const bool allPresent =
        std::all_of(kProgramFontFamilies.begin(), kProgramFontFamilies.end(), familyResolves);
    int registeredBoldFile = -1;
    if (!allPresent) {
        for (const QString& folder : kFontFolders) {
            const QDir dir(folder);
            for (const QString& file : kFontFiles) {
                if (dir.exists(file)) {
                    const int id = QFontDatabase::addApplicationFont(dir.filePath(file));
                    if (file == kTahomaBoldFile && id >= 0) {
                        registeredBoldFile = id;
                    }
                }
            }
        }
    }
    giveTahomaBoldItsWeight(registeredBoldFile);
    QStringList missing;
    for (const QString& family : kProgramFontFamilies) {
        if (!familyResolves(family)) {
            missing << family;
        }
    }
    return missing;
}

} // namespace platform
