#include "platform/VisualStyles.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaEnum>

namespace platform {
namespace {

// Sets every role named in `colors`; false when a role or a colour is not valid.
bool applyColors(const QJsonObject& colors, QPalette::ColorGroup group, QPalette& palette) {
    const QMetaEnum roles = QMetaEnum::fromType<QPalette::ColorRole>();
    for (auto it = colors.begin(); it != colors.end(); ++it) {
        bool known = false;
        const int role = roles.keyToValue(it.key().toLatin1().constData(), &known);
        const QColor color = QColor::fromString(it.value().toString());
        if (!known || !color.isValid()) {
            return false;
        }
        palette.setColor(group, static_cast<QPalette::ColorRole>(role), color);
    }
    return true;
}

std::optional<VisualStyle> readStyle(const QString& file) {
    QFile source(file);
    if (!source.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QJsonObject description = QJsonDocument::fromJson(source.readAll()).object();
    VisualStyle style{description.value(QStringLiteral("name")).toString(),
                      description.value(QStringLiteral("base")).toString(), QPalette()};
    if (style.name.isEmpty() ||
        !applyColors(description.value(QStringLiteral("colors")).toObject(), QPalette::All,
                     style.palette) ||
        !applyColors(description.value(QStringLiteral("disabled")).toObject(), QPalette::Disabled,
                     style.palette)) {
        return std::nullopt;
    }
    return style;
}

} // namespace

VisualStyleRegistry::VisualStyleRegistry(const QString& folder) {
    const QDir dir(folder);
    const QStringList files = dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    for (const QString& file : files) {
        if (std::optional<VisualStyle> style = readStyle(dir.filePath(file))) {
            styles_.append(*style);
        }
    }
}

QStringList VisualStyleRegistry::names() const {
    QStringList result;
    for (const VisualStyle& style : styles_) {
        result << style.name;
    }
    return result;
}

std::optional<VisualStyle> VisualStyleRegistry::find(const QString& name) const {
    for (const VisualStyle& style : styles_) {
        if (style.name.compare(name, Qt::CaseInsensitive) == 0) {
            return style;
        }
    }
    return std::nullopt;
}

QString styleNotFoundMessage(const QString& name) {
    return QStringLiteral("Style '%1' not found").arg(name);
}

} // namespace platform
