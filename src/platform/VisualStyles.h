#pragma once

#include <QList>
#include <QPalette>
#include <QString>
#include <QStringList>
#include <optional>

namespace platform {

// A visual style: a palette laid over one of the toolkit's built-in styles.
struct VisualStyle {
    QString name;
    QString baseStyle; // a style name the toolkit's style factory knows, e.g. "Fusion"
    QPalette palette;
};

// The visual styles described by the JSON files of one folder (a resource folder in the
// program). Each file holds {"name", "base", "colors": {role: "#rrggbb"}, "disabled":
// {role: "#rrggbb"}}; roles are QPalette::ColorRole names. Files that do not parse are
// not styles and are skipped.
class VisualStyleRegistry {
public:
    explicit VisualStyleRegistry(const QString& folder);

    QStringList names() const;
    // The style whose name equals `name` without regard to letter case.
    std::optional<VisualStyle> find(const QString& name) const;

private:
    QList<VisualStyle> styles_;
};

// The text shown when a style asked for by name is not among the available ones.
QString styleNotFoundMessage(const QString& name);

} // namespace platform
