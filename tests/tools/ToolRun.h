#pragma once

#include "ToolCommands.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

// What one call of quorlent-tool printed and returned, run in this process.
struct Captured {
    QString out, err;
    int code = 0;
};

inline Captured run(const QStringList& args) {
    Captured c;
    QTextStream out(&c.out), err(&c.err);
    c.code = tool::runTool(args, {out, err});
    out.flush();
    err.flush();
    return c;
}
