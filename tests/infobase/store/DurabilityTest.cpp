#include "StoreTestSupport.h"
#include "common/Failure.h"
#include "infobase/store/RecordStore.h"

#include <QFile>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace infobase;
using store_test::failureOf;
using store_test::runShell;
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

// A second copy of the program writing at the same moment: the post waits for its lock
// instead of failing at once.
TEST(Durability, APostWaitsForAnotherProcesssBriefLock) {
    TempBase base;
    base.seed({{"a"}});
    store_test::LockingProcess other(base.path());
    RecordStore store;
    store.connect(base.path());
    BranchQuery& q = store.Query_Glav;
    q.Edit();
    q.FieldByName("Texty").SetAsString("дождался");
    other.lock("BEGIN IMMEDIATE");
    std::thread releaser([&other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        other.release();
    });
    EXPECT_EQ(failureOf([&] { q.Post(); }), "");
    releaser.join();
    EXPECT_EQ(base.column("a", "Texty"), "дождался");
}

// A folder the user can no longer write: the rollback journal cannot be made, so the
// database refuses posts and deletes.
TEST(Durability, ChangesRefusedInAReadOnlyFolderAreKeptUntilItIsWritableAgain) {
    const std::optional<QString> problem = store_test::runUnprivileged([]() -> QString {
        TempBase base;
        base.seed({{"a"}, {"b"}});
        const QByteArray folder = QFile::encodeName(base.folder());
        RecordStore store;
        store.connect(base.path());
        BranchQuery& q = store.Query_Glav;
        q.Insert();
        q.FieldByName("Imya_vetok").SetAsString("c");
        q.FieldByName("Opisanie").SetAsString("новая");

        QStringList problems;
        ::chmod(folder.constData(), 0500);
        const QString refused = failureOf([&] { q.Post(); });
        if (refused != "unable to open database file") {
            problems << "post: \"" + refused + '"';
        }
        if (q.State() != dsInsert || q.FieldByName("Opisanie").AsString() != "новая") {
            problems << QStringLiteral("the refused change is not pending");
        }
        if (failureOf([&] { q.Locate("Imya_vetok", "a", kBranchLookup); }) != refused) {
            problems << QStringLiteral("the lookup did not raise the refusal");
        }
        ::chmod(folder.constData(), 0700);
        if (!q.Locate("Imya_vetok", "c", kBranchLookup) || q.State() != dsBrowse) {
            problems << QStringLiteral("the lookup did not post the change");
        }
        if (base.names() != QStringList{"a", "b", "c"} || base.column("c", "Opisanie") != "новая") {
            problems << "the base holds " + base.names().join(',');
        }

        // A refused delete leaves the record in place, and current.
        ::chmod(folder.constData(), 0500);
        q.Locate("Imya_vetok", "b", kBranchLookup);
        if (failureOf([&] { q.Delete(); }) != refused || q.RecordCount() != 3 ||
            q.FieldByName("Imya_vetok").AsString() != "b") {
            problems << QStringLiteral("the refused delete changed the records");
        }
        ::chmod(folder.constData(), 0700);
        q.Delete();
        if (base.names() != QStringList{"a", "c"}) {
            problems << "after the delete the base holds " + base.names().join(',');
        }
        return problems.join("; ");
    });
    if (!problem) {
        GTEST_SKIP() << "cannot act as an unprivileged user here";
    }
    EXPECT_EQ(*problem, "");
}

// The child posts in a loop, each round a new record and an edit of the first one, and
// reports each round once both posts returned. Killed at three different points, each time
// the base must open in the program (rolling back the half-written post) and hold every
// reported round; a new child then goes on where the last one stopped.
TEST(Durability, EveryPostThatReturnedSurvivesAKill) {
    TempBase base;
    int reported = -1;
    for (const int rounds : {7, 19, 31}) {
        SCOPED_TRACE(rounds);
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(pipeFds[0]);
            try {
                RecordStore store;
                store.connect(base.path());
                BranchQuery& q = store.Query_Glav;
                for (int i = q.RecordCount();; ++i) {
                    q.Insert();
                    q.FieldByName("Imya_vetok").SetAsString(QString::number(i));
                    q.FieldByName("Texty").SetAsString(QString(2000 + i, QChar(u'я')));
                    q.Post();
                    q.Locate("Imya_vetok", "0", kBranchLookup);
                    q.Edit();
                    q.FieldByName("Opisanie").SetAsString(QString::number(i));
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
        const int target = reported + rounds;
        int value;
        while (reported < target && ::read(pipeFds[0], &value, sizeof value) == sizeof value) {
            reported = value;
        }
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        while (::read(pipeFds[0], &value, sizeof value) == sizeof value) {
            reported = value;
        }
        ::close(pipeFds[0]);
        ASSERT_GE(reported, target);

        RecordStore store;
        store.connect(base.path());
        BranchQuery& q = store.Query_Glav;
        // At most one round beyond the last reported one reached the file, whole or in part.
        ASSERT_GE(q.RecordCount(), reported + 1);
        ASSERT_LE(q.RecordCount(), reported + 2);
        for (int i = 0; i < q.RecordCount(); ++i) {
            ASSERT_TRUE(q.Locate("Imya_vetok", QString::number(i), kBranchLookup));
            EXPECT_EQ(q.FieldByName("Imya_vetok").AsString(), QString::number(i));
            EXPECT_EQ(q.FieldByName("Texty").AsString().size(), 2000 + i);
        }
        ASSERT_TRUE(q.Locate("Imya_vetok", "0", kBranchLookup));
        const int lastEdit = q.FieldByName("Opisanie").AsString().toInt();
        EXPECT_GE(lastEdit, reported);
        EXPECT_LE(lastEdit, q.RecordCount() - 1);
        reported = q.RecordCount() - 1;
    }
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
