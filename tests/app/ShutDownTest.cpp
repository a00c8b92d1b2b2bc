#include "ProgramFolder.h"
#include "ui/Form_Glavn.h"
#include "ui/Form_ob_prilojenii.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kRemoved = QStringLiteral("Мусор удален.");
const QString kNotRemoved = QStringLiteral("Не удалось удалить мусор.\rПолучится следующий раз.");

// Makes a file inside a folder impossible to remove for as long as the object lives, as a
// file held open by another program is on other systems: for the superuser the file is
// marked immutable, for anybody else the folder loses its write permission.
class Undeletable {
public:
    Undeletable(const QString& folder, const QString& file)
        : folder_(QFile::encodeName(folder)), file_(QFile::encodeName(file)) {
        if (::geteuid() == 0) {
            immutable_ = setImmutable(true);
        } else {
            ::chmod(folder_.constData(), S_IRUSR | S_IXUSR);
        }
    }
    ~Undeletable() {
        if (immutable_) {
            setImmutable(false);
        } else {
            ::chmod(folder_.constData(), S_IRWXU);
        }
    }
    // Whether the file could be locked on this system.
    bool locked() const { return ::geteuid() != 0 || immutable_; }

private:
    bool setImmutable(bool on) const {
        const int fd = ::open(file_.constData(), O_RDONLY);
        if (fd < 0) {
            return false;
        }
        int flags = 0;
        bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        ::close(fd);
        return done;
    }

    QByteArray folder_;
    QByteArray file_;
    bool immutable_ = false;
};

TEST(ShutDown, RemovesTempAndSaysSoOrSaysNothingWithoutIt) {
    ProgramFolder program;
    TForm_Glavn& window = program.start();
    program.writeFile(QStringLiteral("Temp/photo.jpg"), QByteArrayLiteral("extracted"));
    QDir(program.path(QStringLiteral("Temp"))).mkpath(QStringLiteral("inner"));
    window.N2->trigger();
    ASSERT_TRUE(window.Form_ob_prilojenii->isVisible());
    program.watch.seen.clear();

    // Closed from inside the program's event loop, which must then end although the about
    // window is still open (it goes when the main window is destroyed after the loop).
    QTimer giveUp;
    giveUp.setSingleShot(true);
    bool endedByItself = true;
    QObject::connect(&giveUp, &QTimer::timeout, [&] {
        endedByItself = false;
        QApplication::quit();
    });
    giveUp.start(5000);
    QTimer::singleShot(0, &window, [&] { window.close(); });
    QApplication::exec();
    EXPECT_TRUE(endedByItself) << "the open about window kept the program running";
    EXPECT_EQ(program.watch.texts(), QStringList{kRemoved});
    EXPECT_FALSE(QFileInfo::exists(program.path(QStringLiteral("Temp"))));
    EXPECT_FALSE(window.isVisible());

    // Temp removed by something else during the run: nothing to say.
    program.create();
    program.show();
    QDir(program.path(QStringLiteral("Temp"))).removeRecursively();
    program.watch.seen.clear();
    program.window->close();
    EXPECT_TRUE(program.watch.seen.isEmpty());
}

TEST(ShutDown, TempThatCannotBeRemovedGivesTheTwoLineMessage) {
    ProgramFolder program;
    TForm_Glavn& window = program.start();
    QDir(program.path(QStringLiteral("Temp"))).mkpath(QStringLiteral("held"));
    program.writeFile(QStringLiteral("Temp/held/report.pdf"), QByteArrayLiteral("open elsewhere"));
    const Undeletable held(program.path(QStringLiteral("Temp/held")),
                           program.path(QStringLiteral("Temp/held/report.pdf")));
    if (!held.locked()) {
        GTEST_SKIP() << "no way to keep a file from being removed here";
    }
    program.watch.seen.clear();
    window.close();
    EXPECT_EQ(program.watch.texts(), QStringList{kNotRemoved});
    EXPECT_FALSE(window.isVisible()) << "the program ends all the same";
}

} // namespace
