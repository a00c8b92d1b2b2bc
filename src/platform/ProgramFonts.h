#pragma once

#include <QStringList>

namespace platform {

// The faces the windows ask for by name. Where fontconfig does not list them, they are
// loaded from the folders that Wine's font package installs them to, so that every
// measured size comes out as designed.
inline const QStringList kProgramFontFamilies{QStringLiteral("Tahoma"),
                                              QStringLiteral("MS Sans Serif")};

// Makes the program's faces available to this process; needs a QGuiApplication. A bold
// face whose strokes are no heavier than its regular face's is given heavier ones.
// Returns the families that still do not resolve afterwards (empty when all do).
QStringList registerProgramFonts();

} // namespace platform
