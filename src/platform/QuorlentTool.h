#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace platform {

// The program's command-line companion, quorlent-tool, run as a child process for work that
// must not take the program down with it when it fails hard (reading another program's base
// through a library that may crash on a damaged file).

// Where the tool is: the QUORLENT_TOOL variable when set, else beside the program's own
// executable; a ScopedToolPath overrides both.
QString quorlentToolPath();

// Makes the tool at `path` the one run, until the object goes (for tests).
class ScopedToolPath {
public:
    explicit ScopedToolPath(const QString& path);
    ~ScopedToolPath();
    ScopedToolPath(const ScopedToolPath&) = delete;
    ScopedToolPath& operator=(const ScopedToolPath&) = delete;

private:
    QString previous_;
};

// How a run of the tool ended.
struct ToolResult {
    bool succeeded = false; // it ran and ended with status 0
    QString message;        // what it said on standard error, or why it did not run or end
};

// Runs the tool with the arguments and waits for it, telling each line it prints on
// standard output as it comes. The tool's own messages are its last lines on standard error.
ToolResult runQuorlentTool(const QStringList& arguments,
                           const std::function<void(const QString& line)>& onLine);

} // namespace platform
