#pragma once

#include <QGuiApplication>

// Fonts and glyphs need a GUI application, never a screen: one offscreen application for
// the whole test program, made by the first test that needs it and kept to the end (an
// application destroyed among the library's own statics at exit would outlive them).
inline void ensureOffscreenGuiApplication() {
    static int argc = 3;
    static char name[] = "platform_tests";
    static char platform[] = "-platform";
    static char offscreen[] = "offscreen";
    static char* argv[] = {name, platform, offscreen, nullptr};
    static const QGuiApplication* const app = new QGuiApplication(argc, argv);
    Q_UNUSED(app);
}
