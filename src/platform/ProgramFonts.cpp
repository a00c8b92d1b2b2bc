#include "platform/ProgramFonts.h"

#include "platform/HeavierStems.h"
#include "platform/SfntTables.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QPainterPath>
#include <QRawFont>
#include <QtEndian>

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

// Whether the face is a bold one by its own weight class. Where a family has no bold face,
// the toolkit draws its regular face emboldened, and a widened copy of that would take the
// regular face's place.
bool isBoldFace(const QRawFont& face) {
    const QByteArray os2 = face.fontTable("OS/2");
    return os2.size() >= 6 && qFromBigEndian<quint16>(os2.constData() + 4) >= 600;
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
// one, so nothing drawn in it looks bold: such a face, measured at 100 px, draws its l no
// wider than the regular Tahoma that resolves. A bold face of its own weight does not.
bool drawsRegularStrokes(const QRawFont& boldFace) {
    QFont regular(QStringLiteral("Tahoma"));
    regular.setPixelSize(100);
    const qreal boldStroke = strokeWidthOf(boldFace);
    return isBoldFace(boldFace) && boldStroke > 0 &&
           boldStroke <= strokeWidthOf(QRawFont::fromFont(regular));
}

// Registers the Tahoma Bold file at `path`, given heavier strokes on its own advances and
// heights where it draws regular ones. The file is read once and registered once. Returns
// whether it was registered.
bool registerTahomaBold(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray face = file.readAll();
    const QByteArray heavier = drawsRegularStrokes(QRawFont(face, 100))
                                   ? withHeavierStems(face, kBoldStrokeGrowthEm)
                                   : QByteArray();
    return QFontDatabase::addApplicationFontFromData(heavier.isEmpty() ? face : heavier) >= 0;
}

// Where Tahoma Bold comes from the system's fonts and draws regular strokes, a copy
// of that face with heavier ones is registered, which the toolkit then prefers.
void giveSystemTahomaBoldItsWeight() {
    QFont bold(QStringLiteral("Tahoma"));
    bold.setPixelSize(100);
    bold.setBold(true);
    const QRawFont boldFace = QRawFont::fromFont(bold);
    if (drawsRegularStrokes(boldFace)) {
        const QByteArray heavier = withHeavierStems(fontFileOf(boldFace), kBoldStrokeGrowthEm);
        if (!heavier.isEmpty()) {
            QFontDatabase::addApplicationFontFromData(heavier);
        }
    }
}

} // namespace

QStringList registerProgramFonts() {
    const bool allPresent =
        std::all_of(kProgramFontFamilies.begin(), kProgramFontFamilies.end(), familyResolves);
    bool boldRegistered = false;
    if (!allPresent) {
        // Tahoma's regular face comes first in each folder: the bold one is measured against it.
        for (const QString& folder : kFontFolders) {
            const QDir dir(folder);
            for (const QString& file : kFontFiles) {
                if (!dir.exists(file)) {
                    continue;
                }
                if (file == kTahomaBoldFile) {
                    boldRegistered = registerTahomaBold(dir.filePath(file)) || boldRegistered;
                } else {
                    QFontDatabase::addApplicationFont(dir.filePath(file));
                }
            }
        }
    }
    if (!boldRegistered) {
        giveSystemTahomaBoldItsWeight();
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
