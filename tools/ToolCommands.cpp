#include "ToolCommands.h"

#include "BaseCommand.h"
#include "TreeCommand.h"

#include <vector>

namespace tool {
namespace {

// Subcommands, each a group name followed by its own verb and arguments.
const std::vector<Command> kCommands = {
    {"base", "create|list FILE | import JET BASE",
     "create an empty base, list its records as JSON lines, or import the Windows program's"
     " Jet 4.0 base (in place when BASE is JET: the Jet file is kept beside)",
     runBaseCommand},
    {"tree", "dump FILE | write JSON FILE [--client-height N]",
     "print a tree file as JSON, or write one from JSON", runTreeCommand},
};

void printHelp(QTextStream& out) {
    out << "Usage: quorlent-tool COMMAND [ARGS...]\n"
           "A command-line companion for Quorlent's data files.\n\n"
           "Commands:\n";
    out << "  --help                 print this help\n"
           "  --version              print the version\n";
    for (const Command& c : kCommands) {
        const QString head =
            QStringLiteral("%1 %2").arg(QLatin1String(c.name), QLatin1String(c.usage));
        // A usage too long for the column gets a line of its own, the summary under it.
        const QString gap = head.size() > 22 ? QStringLiteral("\n") + QString(25, u' ') : " ";
        out << "  " << head.leftJustified(22) << gap << c.summary << '\n';
    }
}

} // namespace

int runTool(const QStringList& args, Streams streams) {
    if (args.isEmpty()) {
        printHelp(streams.err);
        return 2;
    }
    const QString& name = args.first();
    if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
        printHelp(streams.out);
        return 0;
    }
    if (name == QLatin1String("--version")) {
        streams.out << "quorlent-tool " << QUORLENT_VERSION << '\n';
        return 0;
    }
    for (const Command& c : kCommands) {
        if (name == QLatin1String(c.name)) {
            return c.run(args.mid(1), streams);
        }
    }
    streams.err << "quorlent-tool: unknown command '" << name << "' (see --help)\n";
    return 2;
}

} // namespace tool
