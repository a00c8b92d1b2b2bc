#include "ProgramFolder.h"
#include "infobase/tree/TreeFile.h"
#include "platform/LogonName.h"
#include "ui/Form_Glavn.h"
#include "ui/Form_zastavka.h"
#include "ui/TreeModelAdapter.h"
#include "ui/VisualStyle.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStyle>
#include <QStyleFactory>
#include <QToolButton>
#include <QTreeView>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

const QString kFirstStartMessage =
    QStringLiteral("Возможно Вы в первый раз открываете приложение.\r"
                   "Не найден файл: TreeView.dat.\r"
                   "Конфигурация дерева останется старой.\r"
                   "Вы можете снова её создать и сохранить.");

// The components shown in the client area, by name.
QStringList visibleComponents(const TForm_Glavn& window) {
    QStringList names;
    for (const QWidget* child :
         window.centralWidget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child->isVisibleTo(&window)) {
            names << child->objectName();
        }
    }
    return names;
}

TEST(StartUp, SplashStandsModallyThenTheFirstStartMessageThenTheMainWindow) {
    ProgramFolder program;
    struct Moment {
        bool mainVisible;
        bool splashVisible;
        bool tempExists;
    };
    QList<Moment> moments;
    QElapsedTimer clock;
    program.watch.onShown = [&](QWidget*) {
        const TForm_Glavn& window = *program.window;
        moments.append({window.isVisible(), window.Form_zastavka->isVisible(),
                        QFileInfo(program.path(QStringLiteral("Temp"))).isDir()});
    };
    program.create().Memo_opisanie->setPlainText(QStringLiteral("left over"));
    clock.start();
    TForm_Glavn& window = program.show(/*fullSplash=*/true);
    const qint64 elapsed = clock.elapsed();

    ASSERT_EQ(program.watch.seen.size(), 2);
    EXPECT_EQ(program.watch.seen[0].kind, QStringLiteral("TForm_zastavka"));
    EXPECT_EQ(program.watch.seen[1].kind, QStringLiteral("message"));
    EXPECT_EQ(program.watch.seen[1].text, kFirstStartMessage);
    // Splash: modal, over a main window not yet on screen, Temp already made.
    EXPECT_FALSE(moments[0].mainVisible);
    EXPECT_TRUE(moments[0].splashVisible);
    EXPECT_TRUE(moments[0].tempExists);
    // Message: after the splash closed, still before the main window shows.
    EXPECT_FALSE(moments[1].splashVisible);
    EXPECT_FALSE(moments[1].mainVisible);
    EXPECT_GE(elapsed, 950) << "the splash stands for a second";

    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.isMaximized());
    EXPECT_FALSE(window.Timer1->isActive()) << "the timer fires once";
    EXPECT_FALSE(window.Form_zastavka->isVisible());
    EXPECT_EQ(visibleComponents(window), QStringList{QStringLiteral("Button_podluchit_bazy")});
    EXPECT_TRUE(window.menuBar()->isVisible());
    EXPECT_EQ(window.TreeNodes.Count(), 0);
    EXPECT_TRUE(window.Memo_opisanie->toPlainText().isEmpty());
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther | QFileDevice::ExeOther;
    EXPECT_FALSE(QFile::permissions(program.path(QStringLiteral("Temp"))) & others)
        << "Temp is its owner's alone";
}

// Temp receives decrypted attachments: a Temp of the user's own left open to others is made
// private; one that is not the user's own is reported after the splash and left alone.
TEST(StartUp, MakesAnOpenTempPrivateAndReportsOneThatIsNotTheUsersOwn) {
    {
        ProgramFolder program;
        ASSERT_TRUE(QDir().mkdir(program.path(QStringLiteral("Temp"))));
        ASSERT_TRUE(QFile::setPermissions(program.path(QStringLiteral("Temp")),
                                          QFileDevice::Permissions(0x7777)));
        program.start();
        EXPECT_EQ(program.watch.texts(), QStringList{kFirstStartMessage});
        EXPECT_EQ(QFile::permissions(program.path(QStringLiteral("Temp"))),
                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser |
                      QFile::WriteUser | QFile::ExeUser);
    }
    ProgramFolder program;
    const QString temp = program.path(QStringLiteral("Temp"));
    ASSERT_TRUE(QDir().mkdir(temp));
    if (::chown(QFile::encodeName(temp).constData(), 65534, 65534) != 0) {
        GTEST_SKIP() << "cannot give a folder to another user here";
    }
    program.start();
    EXPECT_EQ(program.watch.texts(),
              (QStringList{QStringLiteral("Папка %1 принадлежит не Вам, и другие пользователи "
                                          "могут подменить в ней файлы.\rПрикреплённые файлы в "
                                          "неё не выкладываются. Удалите эту папку.")
                               .arg(temp),
                           kFirstStartMessage}));
}

TEST(StartUp, TakesTheApplicationFolderAndLogonName) {
    ProgramFolder program;
    TForm_Glavn& window = program.start();
    EXPECT_EQ(window.Base, QDir::currentPath());
    EXPECT_TRUE(window.BRes);
    EXPECT_EQ(QString::fromUtf16(window.PRes.data()), platform::systemLogonName());
    EXPECT_EQ(window.Size, uint32_t(platform::systemLogonName().size() + 1));
}

TEST(StartUp, ReadsTheTreeFileCollapsedWithoutAMessage) {
    ProgramFolder program;
    {
        infobase::TTreeNodes tree;
        infobase::TTreeNode* photos = tree.AddChild(nullptr, QStringLiteral("Фото"));
        tree.AddChild(photos, QStringLiteral("Море"));
        tree.AddChild(nullptr, QStringLiteral("Книги"));
        infobase::writeTreeFile(program.path(QStringLiteral("Data/TreeView.dat")),
                                infobase::TreeViewState(), tree);
    }
    TForm_Glavn& window = program.start();
    EXPECT_TRUE(program.watch.texts().join(QString()).isEmpty());
    ASSERT_EQ(window.TreeModel->rowCount(), 2);
    const QModelIndex photos = window.TreeModel->index(0, 0);
    EXPECT_EQ(photos.data().toString(), QStringLiteral("Фото"));
    EXPECT_TRUE(window.TreeModel->hasChildren(photos));
    EXPECT_FALSE(window.TreeView1->isExpanded(photos));
    EXPECT_FALSE(window.TreeView1->isVisible()) << "the tree waits for the connect";
}

TEST(StartUp, UnreadableTreeFileIsKeptAsideAndReportedThenTheWindowShows) {
    ProgramFolder program;
    program.writeFile(QStringLiteral("Data/TreeView.dat"), QByteArrayLiteral("XXXX broken"));
    bool splashGone = false;
    program.watch.onShown = [&](QWidget*) {
        splashGone = !program.window->Form_zastavka->isVisible();
    };
    TForm_Glavn& window = program.start();
    EXPECT_TRUE(splashGone) << "the report comes after the splash";
    ASSERT_EQ(program.watch.seen.size(), 1);
    EXPECT_EQ(program.watch.seen[0].kind, QStringLiteral("box"));
    EXPECT_EQ(program.watch.seen[0].title, QStringLiteral("app_tests"));
    EXPECT_EQ(program.watch.seen[0].text, QStringLiteral("Invalid stream format"));
    EXPECT_FALSE(QFileInfo::exists(program.path(QStringLiteral("Data/TreeView.dat"))));
    QFile kept(program.path(QStringLiteral("Data/TreeView.dat.unreadable")));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArrayLiteral("XXXX broken"));
    EXPECT_TRUE(window.isVisible());
}

TEST(StartUp, AFolderNamedLikeTheTreeFileIsAFirstStartAndIsLeftAlone) {
    ProgramFolder program;
    ASSERT_TRUE(QDir().mkpath(program.path(QStringLiteral("Data/TreeView.dat"))));
    program.writeFile(QStringLiteral("Data/TreeView.dat/inside"), QByteArrayLiteral("kept"));
    TForm_Glavn& window = program.start();
    EXPECT_EQ(program.watch.texts(), QStringList{kFirstStartMessage});
    EXPECT_TRUE(QFileInfo(program.path(QStringLiteral("Data/TreeView.dat"))).isDir());
    EXPECT_TRUE(QFileInfo::exists(program.path(QStringLiteral("Data/TreeView.dat/inside"))));
    EXPECT_FALSE(QFileInfo::exists(program.path(QStringLiteral("Data/TreeView.dat.unreadable"))));
    EXPECT_EQ(window.TreeNodes.Count(), 0);
    EXPECT_TRUE(window.isVisible());
}

TEST(StartUp, AppliesTheCarriedStyleByNameInAnyCaseOrSaysItIsMissing) {
    const QString previousStyle = QApplication::style()->name();
    const QPalette previousPalette = QApplication::palette();
    ModalWatch watch;

    EXPECT_FALSE(ui::applyVisualStyle(QStringLiteral("Amethyst Kamri 2")));
    ASSERT_EQ(watch.seen.size(), 1);
    EXPECT_EQ(watch.seen[0].text, QStringLiteral("Style 'Amethyst Kamri 2' not found"));
    EXPECT_EQ(QApplication::style()->name(), previousStyle) << "the plain look stays";
    EXPECT_EQ(QApplication::palette(), previousPalette);

    EXPECT_TRUE(ui::applyVisualStyle(QStringLiteral("aMETHYST kAMRI")));
    EXPECT_EQ(watch.seen.size(), 1) << "found: nothing to say";
    EXPECT_EQ(QApplication::style()->name(), QStringLiteral("fusion"));
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), QColor(0xe6, 0xdf, 0xf0));

    QApplication::setStyle(QStyleFactory::create(previousStyle));
    QApplication::setPalette(previousPalette);
}

} // namespace
