#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <optional>

// Skin data for the message window and its controls. The program never loads a skin, so
// this holds only what the message component can take from it: an optional table of
// resource strings that replaces the English captions under keys such as "MSG_BTN_YES".
// Components refer to it through QPointer, so a reference clears when it is destroyed.
class TqsSkinData : public QObject {
    Q_OBJECT
public:
    explicit TqsSkinData(QObject* parent = nullptr);

    using ResourceStrings = QHash<QString, QString>;

    // Gives the skin data a resource-string table, or takes it away with std::nullopt.
    void SetResourceStrData(std::optional<ResourceStrings> table);
    bool HasResourceStrData() const { return resourceStrings_.has_value(); }

    // The string under a key of the table; empty when there is no table or no such key.
    QString ResourceStr(const QString& key) const;

private:
    std::optional<ResourceStrings> resourceStrings_;
};
