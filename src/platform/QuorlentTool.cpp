#include "platform/QuorlentTool.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace platform {
namespace {

QString& chosenPath() {
    static QString path;
    return path;
}

// The tool's messages begin with its name; what it said without one (a crash reported by
// the system, say) is told as it is.
QString toolMessage(const QByteArray& standardError) {
    QString text = QString::fromUtf8(standardError).trimmed();
    const QString prefix = QStringLiteral("quorlent-tool: ");
    QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
    for (QString& line : lines) {
        if (line.startsWith(prefix)) {
            line.remove(0, prefix.size());
        }
    }
    return lines.join(u'\n');
}

} // namespace

QString quorlentToolPath() {
    if (!chosenPath().isEmpty()) {
        return chosenPath();
    }
    const QString fromEnvironment = qEnvironmentVariable("QUORLENT_TOOL");
    if (!fromEnvironment.isEmpty()) {
        return fromEnvironment;
    }
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("quorlent-tool"));
}

ScopedToolPath::ScopedToolPath(const QString& path) : previous_(chosenPath()) {
    chosenPath() = path;
}

ScopedToolPath::~ScopedToolPath() {
    chosenPath() = previous_;
}

ToolResult runQuorlentTool(const QStringList& arguments,
                           const std::function<void(const QString& line)>& onLine) {
    QProcess tool;
    tool.start(quorlentToolPath(), arguments);
    if (!tool.waitForStarted(-1)) {
        return {false, QStringLiteral("Не удалось запустить программу %1: %2")
                           .arg(QDir::toNativeSeparators(quorlentToolPath()), tool.errorString())};
    }
    QByteArray pending;
    const auto tell = [&](bool all) {
        pending += tool.readAllStandardOutput();
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0 || (all && !pending.isEmpty())) {
            const qsizetype length = end >= 0 ? end : pending.size();
            onLine(QString::fromUtf8(pending.left(length)));
            pending.remove(0, end >= 0 ? end + 1 : length);
        }
    };
    while (tool.state() != QProcess::NotRunning) {
        tool.waitForReadyRead(100);
        tell(false);
    }
    tell(true);
    const QString message = toolMessage(tool.readAllStandardError());
    if (tool.exitStatus() != QProcess::NormalExit) {
        return {false, message.isEmpty() ? QStringLiteral("Программа %1 аварийно завершилась.")
                                               .arg(QFileInfo(quorlentToolPath()).fileName())
                                         : message};
    }
    return {tool.exitCode() == 0, message};
}

} // namespace platform
