#pragma once

#include <QString>

namespace ui {

// Where the program carries its visual styles.
inline const QString kStyleResourceFolder = QStringLiteral(":/styles");

// Applies the visual style of that name (compared without regard to letter case) to the
// whole application. When no style has the name, shows "Style '<name>' not found" in a
// plain message box and leaves the toolkit's own look. Returns whether a style was found.
bool applyVisualStyle(const QString& name, const QString& folder = kStyleResourceFolder);

} // namespace ui
