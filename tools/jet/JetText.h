#pragma once

#include <QByteArrayView>
#include <QString>

namespace jet {

// Decodes a text value as a Jet 4 base stores it: UTF-16 little-endian, or, after the marker
// FF FE, Jet's compressed Unicode (one byte per character, a zero byte switching to two bytes
// per character and back). Characters outside the Basic Multilingual Plane come across as the
// surrogate pairs the file holds. Throws Failure for a text cut in the middle of a character.
QString decodeJetText(QByteArrayView stored);

} // namespace jet
