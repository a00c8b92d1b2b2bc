#pragma once

#include <QFile>

// Tahoma Bold as Wine's font package installs it (the outlines of the regular face on bold
// advances); empty where the package is not installed.
inline QByteArray winesTahomaBold() {
    for (const char* folder : {"/usr/share/wine/fonts", "/usr/share/fonts/truetype/wine"}) {
        QFile file(QString::fromLatin1(folder) + QStringLiteral("/tahomabd.ttf"));
        if (file.open(QIODevice::ReadOnly)) {
            return file.readAll();
        }
    }
    return {};
}
