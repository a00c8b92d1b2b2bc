#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// The names that a component stream uses for values of the tree view's properties: cursors,
// colours and charsets are integers of which some have names; alignments and font styles are
// enumerations. Names are looked up without regard to case.
namespace infobase::idents {

QString cursorName(qint32 value); // empty when the value has no name
std::optional<qint32> cursorValue(const QString& name);

QString colorName(qint32 value);
std::optional<qint32> colorValue(const QString& name);

QString charsetName(qint32 value);
std::optional<qint32> charsetValue(const QString& name);

QString alignName(int value);
std::optional<int> alignValue(const QString& name);

// The font style element of a bit number 0–3.
QString fontStyleName(int bit);
std::optional<int> fontStyleBit(const QString& name);

} // namespace infobase::idents
