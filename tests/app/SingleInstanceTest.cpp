// One running program per application folder, with the program started as separate
// processes on one folder.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

// Readable failure output for the texts compared here.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

const QString kFirstStartMessage =
    QStringLiteral("message\tВозможно Вы в первый раз открываете приложение.\\r"
                   "Не найден файл: TreeView.dat.\\r"
                   "Конфигурация дерева останется старой.\\r"
                   "Вы можете снова её создать и сохранить.");

// The program running in a folder; what it showed, one line per window (ProgramRun.cpp).
class Program {
public:
    explicit Program(const QString& folder) {
        process_.setWorkingDirectory(folder);
        process_.setProgram(QStringLiteral(PROGRAM_RUN));
        process_.start();
        EXPECT_TRUE(process_.waitForStarted());
    }
    ~Program() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished();
        }
    }

    // Waits until the main window is on screen; false when the program ended first.
    bool waitUntilStarted() {
        while (!lines().contains(QStringLiteral("started"))) {
            if (!process_.waitForReadyRead(30000)) {
                return false;
            }
        }
        return true;
    }
    QStringList lines() {
        output_ += QString::fromUtf8(process_.readAllStandardOutput());
        return output_.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    QProcess& process() { return process_; }

private:
    QProcess process_;
    QString output_;
};

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

QStringList entriesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

TEST(SingleInstance, ASecondStartOnTheFolderIsRefusedUntouchedAndAKilledFirstBlocksNothing) {
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("Data")));
    const QString temp = folder.filePath(QStringLiteral("Temp"));
    const QString tree = folder.filePath(QStringLiteral("Data/TreeView.dat"));

    Program first(folder.path());
    ASSERT_TRUE(first.waitUntilStarted());
    EXPECT_EQ(first.lines(), (QStringList{"TForm_zastavka\t", kFirstStartMessage, "started"}));

    // What a start would touch: Temp, made again, and a tree file it would read and, being
    // unreadable, set aside.
    ASSERT_TRUE(QDir(temp).removeRecursively());
    const QByteArray broken("XXXX broken");
    {
        QFile file(tree);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(broken);
    }
    {
        Program second(folder.path());
        ASSERT_TRUE(second.process().waitForFinished(15000)) << "the second start ends by itself";
        EXPECT_EQ(second.process().exitStatus(), QProcess::NormalExit);
        EXPECT_NE(second.process().exitCode(), 0);
        EXPECT_EQ(second.lines(),
                  QStringList{QStringLiteral("message\tПрограмма уже работает с папкой\\r") +
                              QDir::toNativeSeparators(folder.path())});
    }
    EXPECT_EQ(entriesIn(folder.path()), QStringList{"Data"}) << "no Temp, no backup folder";
    EXPECT_EQ(entriesIn(folder.filePath(QStringLiteral("Data"))), QStringList{"TreeView.dat"});
    EXPECT_EQ(bytesOf(tree), broken);

    // Killed, the first program leaves nothing that keeps the next one out.
    ::kill(pid_t(first.process().processId()), SIGKILL);
    ASSERT_TRUE(first.process().waitForFinished(10000));
    ASSERT_TRUE(QFile::remove(tree));
    Program third(folder.path());
    ASSERT_TRUE(third.waitUntilStarted());
    EXPECT_EQ(third.lines(), (QStringList{"TForm_zastavka\t", kFirstStartMessage, "started"}));
    EXPECT_TRUE(QFileInfo(temp).isDir());
    third.process().terminate();
    ASSERT_TRUE(third.process().waitForFinished(10000));
    EXPECT_EQ(third.process().exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(temp)) << "ended as asked, Temp removed";
}

// Two application folders whose Data is one folder, through a symbolic link, are one folder
// to the lock: the second start is refused and names the folder the data lies in.
TEST(SingleInstance, TwoFoldersSharingOneDataThroughALinkDoNotRunAtOnce) {
    QTemporaryDir root;
    const QString first = root.filePath(QStringLiteral("first"));
    const QString second = root.filePath(QStringLiteral("second"));
    ASSERT_TRUE(QDir().mkpath(first + QStringLiteral("/Data")));
    ASSERT_TRUE(QDir().mkpath(second));
    ASSERT_TRUE(QFile::link(first + QStringLiteral("/Data"), second + QStringLiteral("/Data")));

    Program running(first);
    ASSERT_TRUE(running.waitUntilStarted());
    Program refused(second);
    ASSERT_TRUE(refused.process().waitForFinished(15000));
    EXPECT_NE(refused.process().exitCode(), 0);
    const QString data = QFileInfo(first + QStringLiteral("/Data")).canonicalFilePath();
    EXPECT_EQ(refused.lines(),
              QStringList{QStringLiteral("message\tПрограмма уже работает с папкой\\r") +
                          QDir::toNativeSeparators(data)});
    EXPECT_FALSE(QFileInfo::exists(second + QStringLiteral("/Temp")));
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

// A start clears what a killed run left: a backup's temporary copies with a journal that was
// not finished. Other files, the earlier backup pair and a user's files among them (also ones
// named like a temporary of this or an earlier version), stay as they are.
TEST(KilledRun, TheNextStartClearsItsTemporariesAndNothingElse) {
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("Data")));
    ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("Backup copies")));
    const QStringList kept{
        "Backup copies/.Quorlent.mdb.backup", "Backup copies/.Quorlent.mdb.x1Y2z3",
        "Backup copies/.TreeView.dat.swp",    "Backup copies/Quorlent.mdb",
        "Backup copies/TreeView.dat",         "Backup copies/notes.txt",
        "Data/Quorlent.mdb.AbCdEf",           "Data/TreeView.dat.new",
        "Data/TreeView.dat.pending",          "Data/TreeView.dat.qWeRtY",
        "Data/TreeView.dat.unreadable",       "Data/TreeView.dat.unreadable2",
        "Data/XTreeView.dat.AbCdEf"};
    const QStringList cleared{"Backup copies/.Quorlent.mdb.swap",
                              "Backup copies/.TreeView.dat.swap",
                              "Backup copies/.backup-journal.swap"};
    for (const QString& name : kept + cleared) {
        writeFile(folder.filePath(name), name.toUtf8());
    }

    Program program(folder.path());
    ASSERT_TRUE(program.waitUntilStarted());
    program.process().terminate();
    ASSERT_TRUE(program.process().waitForFinished(10000));

    QStringList left;
    for (const QString& sub : {QStringLiteral("Backup copies"), QStringLiteral("Data")}) {
        for (const QString& name : entriesIn(folder.filePath(sub))) {
            left << sub + QLatin1Char('/') + name;
            EXPECT_EQ(bytesOf(folder.filePath(left.constLast())), left.constLast().toUtf8());
        }
    }
    EXPECT_EQ(left, kept);
}

} // namespace
