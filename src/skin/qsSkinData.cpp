#include "skin/qsSkinData.h"

TqsSkinData::TqsSkinData(QObject* parent) : QObject(parent) {}

void TqsSkinData::SetResourceStrData(std::optional<ResourceStrings> table) {
    resourceStrings_ = std::move(table);
}

QString TqsSkinData::ResourceStr(const QString& key) const {
    return resourceStrings_ ? resourceStrings_->value(key) : QString();
}
