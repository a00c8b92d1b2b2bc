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

// The Tahoma Bold file this process registered itself, if any.
struct RegisteredFile {
    int id = -1;
    QString path;
};

// Wine's Tahoma Bold has the advances of a bold face but the very outlines of the regular
// one, so nothing drawn in it looks bold. Where the Tahoma Bold that resolves is such a
// face, a copy with heavier strokes on its own advances and heights is registered in its
// place; a bold face of its own weight is left as it is.
void giveTahomaBoldItsWeight(const RegisteredFile& boldFile) {
    QFont regular(QStringLiteral("Tahoma"));
    regular.setPixelSize(100);
    QFont bold = regular;
    bold.setBold(true);
    const QRawFont boldFace = QRawFont::fromFont(bold);
    const qreal boldStroke = strokeWidthOf(boldFace);
    if (!isBoldFace(boldFace) || boldStroke <= 0 ||
        boldStroke > strokeWidthOf(QRawFont::fromFont(regular))) {
        return;
    }
    QFile file(boldFile.path);
    const QByteArray face = boldFile.id >= 0 && file.open(QIODevice::ReadOnly)
                                ? file.readAll() // quicker than gathering its tables
                                : fontFileOf(boldFace);
    const QByteArray heavier = withHeavierStems(face, kBoldStrokeGrowthEm);
    if (!heavier.isEmpty() && QFontDatabase::addApplicationFontFromData(heavier) >= 0 &&
        boldFile.id >= 0) {
        QFontDatabase::removeApplicationFont(boldFile.id);
    }
}

} // namespace

QStringList registerProgramFonts() {
    const bool allPresent =
        std::all_of(kProgramFontFamilies.begin(), kProgramFontFamilies.end(), familyResolves);
    RegisteredFile boldFile;
    if (!allPresent) {
        for (const QString& folder : kFontFolders) {
            const QDir dir(folder);
            for (const QString& file : kFontFiles) {
                if (dir.exists(file)) {
                    const int id = QFontDatabase::addApplicationFont(dir.filePath(file));
                    if (file == kTahomaBoldFile && id >= 0) {
                        boldFile = {id, dir.filePath(file)};
                    }
                }
            }
        }
    }
    giveTahomaBoldItsWeight(boldFile);
    QStringList missing;
    for (const QString& family : kProgramFontFamilies) {
        if (!familyResolves(family)) {
            missing << family;
        }
    }
    return missing;
}

} // namespace platform
