#include "StoreTestSupport.h"
#include "common/Failure.h"
#include "infobase/RecordStore.h"

#include <QProcess>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace infobase;
using store_test::TempBase;

constexpr LocateOptions kBranchLookup = loCaseInsensitive | loPartialKey;

TEST(Durability, ARefusedPostStaysPendingAndTheNextLookupPostsIt) {
    TempBase base;
    base.seed({{"a"}, {"b"}});
    // Another process holds the write lock: the database refuses the post.
    store_test::LockingProcess other(base.path());
    RecordStore store;
    store.connect(base.path(), 100);
    BranchQuery& q = store.Query_Glav;
    q.Edit();
    q.FieldByName("Opisanie").SetAsString("после блокировки");

    other.lock("BEGIN IMMEDIATE");
    try {
        q.Post();
        ADD_FAILURE() << "the post went through a lock";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.message(), "database is locked");
    }
    EXPECT_EQ(q.State(), dsEdit);
    EXPECT_EQ(q.FieldByName("Opisanie").AsString(), "после блокировки");
    EXPECT_THROW(q.Locate("Imya_vetok", "b", kBranchLookup), Failure);
    EXPECT_EQ(q.State(), dsEdit);

    other.release();
    EXPECT_TRUE(q.Locate("Imya_vetok", "b", kBranchLookup));
    EXPECT_EQ(q.State(), dsBrowse);
    EXPECT_EQ(base.column("a", "Opisanie"), "после блокировки");
}

TEST(Durability, EveryPostThatReturnedSurvivesAKill) {
    TempBase base;
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        try {
            RecordStore store;
            store.connect(base.path());
            for (int i = 0;; ++i) {
                BranchQuery& q = store.Query_Glav;
                q.Insert();
                q.FieldByName("Imya_vetok").SetAsString(QString::number(i));
                q.FieldByName("Texty").SetAsString(QString(2000, QChar(u'я')));
                q.Post();
                if (::write(pipeFds[1], &i, sizeof i) != sizeof i) {
                    break;
                }
            }
        } catch (...) {
        }
        ::_exit(1); // never back into the test runner
    }
    ::close(pipeFds[1]);
    int returned = -1;
    int value;
    while (returned < 60 && ::read(pipeFds[0], &value, sizeof value) == sizeof value) {
        returned = value;
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    while (::read(pipeFds[0], &value, sizeof value) == sizeof value) {
        returned = value;
    }
    ::close(pipeFds[0]);
    ASSERT_GE(returned, 60);

    RecordStore store;
    store.connect(base.path());
    const QStringList names = base.names();
    ASSERT_GE(names.size(), returned + 1);
    for (int i = 0; i <= returned; ++i) {
        EXPECT_EQ(names[i], QString::number(i));
    }
}

// The stock sqlcipher shell, fed one script on its standard input.
QString runShell(const QString& base, const QByteArray& script) {
    QProcess shell;
    shell.start("sqlcipher", {base});
    if (!shell.waitForStarted()) {
        ADD_FAILURE() << "the sqlcipher shell is not installed";
        return QString();
    }
    shell.write(script);
    shell.closeWriteChannel();
    shell.waitForFinished();
    return QString::fromUtf8(shell.readAllStandardOutput() + shell.readAllStandardError());
}

TEST(Durability, TheSqlcipherShellReadsTheBaseOnlyWithThePassword) {
    TempBase base;
    {
        RecordStore store;
        store.connect(base.path());
        store.Query_Glav.Insert();
        store.Query_Glav.FieldByName("Imya_vetok").SetAsString("Secret branch");
        store.Query_Glav.FieldByName("Opisanie").SetAsString("Тайное описание");
        store.Query_Glav.Post();
    }
    EXPECT_FALSE(store_test::fileBytes(base.path()).contains("Secret branch"));

    const QString withKey =
        runShell(base.path(),
                 "PRAGMA key='qmtrevolk';\nSELECT Imya_vetok, Opisanie FROM Tab_DB_Delphi_10;\n");
    EXPECT_TRUE(withKey.contains("Secret branch|Тайное описание")) << withKey.toStdString();

    const QString withoutKey = runShell(base.path(), "SELECT Imya_vetok FROM Tab_DB_Delphi_10;\n");
    EXPECT_TRUE(withoutKey.contains("file is encrypted or is not a database"))
        << withoutKey.toStdString();
    EXPECT_FALSE(withoutKey.contains("Secret branch"));
}

} // namespace
