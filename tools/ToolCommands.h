#pragma once

#include <QStringList>
#include <QTextStream>

// The command table of quorlent-tool. Each subcommand takes its own arguments (the words
// after its name) and the two output streams, and returns the process exit code.
namespace tool {

struct Streams {
    QTextStream& out;
    QTextStream& err;
};

using CommandFunction = int (*)(const QStringList& args, Streams streams);

struct Command {
    const char* name;
    const char* usage;   // the argument synopsis shown by --help
    const char* summary; // one line
    CommandFunction run;
};

// Runs the tool with its arguments (without the program name).
int runTool(const QStringList& args, Streams streams);

} // namespace tool
