#include "platform/ProgramFonts.h"

#include <QDir>
#include <QFontDatabase>

namespace platform {
namespace {

const QStringList kFontFolders{QStringLiteral("/usr/share/wine/fonts"),
                               QStringLiteral("/usr/share/fonts/truetype/wine"),
                               QStringLiteral("/usr/local/share/wine/fonts")};

const QStringList kFontFiles{QStringLiteral("tahoma.ttf"), QStringLiteral("tahomabd.ttf"),
                             QStringLiteral("ms_sans_serif.ttf")};

bool familyResolves(const QString& family) {
    return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

} // namespace

QStringList registerProgramFonts() {
    const bool allPresent = std::all_of(kProgramFontFamilies.begin(), kProgramFontFamilies.end(),
                                        familyResolves);
    if (!allPresent) {
        for (const QString& folder : kFontFolders) {
            const QDir dir(folder);
            for (const QString& file : kFontFiles) {
                if (dir.exists(file)) {
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
