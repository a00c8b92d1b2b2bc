#include "StoreTestSupport.h"
#include "common/Failure.h"
#include "infobase/store/BranchTable.h"
#include "infobase/store/RecordStore.h"

#include <QFile>
#include <QRandomGenerator>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>

namespace {

using namespace infobase;
using store_test::TempBase;

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// A base with enough records to spread over many pages.
void fillBase(const TempBase& base) {
    std::vector<store_test::Seed> records;
    for (int i = 0; i < 200; ++i) {
        records.push_back({QStringLiteral("ветка %1").arg(i), QString(300, QChar(u'ж'))});
    }
    base.seed(records);
}

struct DamagedBase {
    const char* what;
    std::function<void(const TempBase&)> damage;
    const char* message; // what the database says, or nullptr when it varies
};

TEST(OpenFailure, AnUnusableFileDoesNotOpenAndStaysAsItWas) {
    const DamagedBase cases[] = {
        {"missing file", [](const TempBase& b) { QFile::remove(b.path()); },
         "unable to open database file"},
        {"wrong password",
         [](const TempBase& b) {
             QFile::remove(b.path());
             QFile(b.path()).open(QIODevice::WriteOnly);
             branch_table::createTables(SqlcipherConnection::open(b.path(), "qmtrevolK", {}));
         },
         "file is encrypted or is not a database"},
        {"no Tab_Parol", [](const TempBase& b) { b.execute("DROP TABLE Tab_Parol"); },
         "no such table: Tab_Parol"},
        {"no record table", [](const TempBase& b) { b.execute("DROP TABLE Tab_DB_Delphi_10"); },
         "no such table: Tab_DB_Delphi_10"},
        {"a column missing",
         [](const TempBase& b) {
             b.execute("DROP TABLE Tab_DB_Delphi_10;"
                       "CREATE TABLE Tab_DB_Delphi_10 (Dat, Imya_vetok, Opisanie, Texty, File)");
         },
         "no such column: RashirenieFile"},
        {"no attachment column",
         [](const TempBase& b) {
             b.execute("DROP TABLE Tab_DB_Delphi_10;"
                       "CREATE TABLE Tab_DB_Delphi_10 (Dat, Imya_vetok, Opisanie, Texty,"
                       " RashirenieFile)");
         },
         "no such column: File"},
        {"random bytes",
         [](const TempBase& b) {
             QByteArray bytes(8192, Qt::Uninitialized);
             QRandomGenerator rng(7);
             rng.fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
             writeFile(b.path(), bytes);
         },
         "file is encrypted or is not a database"},
        {"empty file", [](const TempBase& b) { writeFile(b.path(), QByteArray()); },
         "no such table: Tab_DB_Delphi_10"},
        {"first page damaged",
         [](const TempBase& b) {
             fillBase(b);
             QByteArray bytes = store_test::fileBytes(b.path());
             bytes[100] = char(bytes[100] ^ 0x40);
             writeFile(b.path(), bytes);
         },
         "file is encrypted or is not a database"},
        {"truncated to half",
         [](const TempBase& b) {
             fillBase(b);
             const QByteArray bytes = store_test::fileBytes(b.path());
             writeFile(b.path(), bytes.left(bytes.size() / 2));
         },
         nullptr},
        {"truncated inside the first page",
         [](const TempBase& b) {
             fillBase(b);
             writeFile(b.path(), store_test::fileBytes(b.path()).left(700));
         },
         nullptr},
    };
    for (const DamagedBase& c : cases) {
        SCOPED_TRACE(c.what);
        TempBase base;
        c.damage(base);
        const QByteArray before = store_test::fileBytes(base.path());
        const bool existed = QFile::exists(base.path());

        RecordStore store;
        QString message;
        try {
            store.connect(base.path(), 100);
        } catch (const Failure& failure) {
            message = failure.message();
        }
        EXPECT_FALSE(message.isEmpty());
        if (c.message) {
            EXPECT_EQ(message, c.message);
        }
        EXPECT_FALSE(store.Connected());
        store.Query_Glav.Close();
        store.ADOConnection1.close();
        EXPECT_EQ(QFile::exists(base.path()), existed);
        EXPECT_EQ(store_test::fileBytes(base.path()), before);
    }
}

TEST(OpenFailure, ABaseUnderAnotherProcesssExclusiveLockDoesNotOpen) {
    TempBase base;
    base.seed({{"a"}});
    const QByteArray before = store_test::fileBytes(base.path());
    store_test::LockingProcess other(base.path());
    other.lock("BEGIN EXCLUSIVE");
    RecordStore store;
    try {
        store.connect(base.path(), 100);
        ADD_FAILURE() << "opened a locked base";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.message(), "database is locked");
    }
    other.release();
    EXPECT_EQ(store_test::fileBytes(base.path()), before);
    store.connect(base.path(), 100);
    EXPECT_TRUE(store.Connected());
}

// A file the system lets this user read but not write: opening it for reading only would
// leave every later post refused, so the connect fails instead.
TEST(OpenFailure, ABaseFileThatCannotBeWrittenDoesNotOpen) {
    TempBase base;
    base.seed({{"a"}});
    ASSERT_EQ(::chmod(QFile::encodeName(base.folder()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(base.path()).constData(), 0444), 0);
    const QByteArray before = store_test::fileBytes(base.path());
    const std::optional<QString> problem = store_test::runUnprivileged([&]() -> QString {
        try {
            RecordStore store;
            store.connect(base.path(), 100);
        } catch (const Failure& failure) {
            return failure.message() == "attempt to write a readonly database"
                       ? QString()
                       : "another failure: " + failure.message();
        }
        return QStringLiteral("it opened");
    });
    if (!problem) {
        GTEST_SKIP() << "cannot act as an unprivileged user here";
    }
    EXPECT_EQ(*problem, "");
    EXPECT_EQ(store_test::fileBytes(base.path()), before);
}

TEST(OpenFailure, ASecondConnectAfterAHalfFinishedOneStartsAgain) {
    TempBase base;
    base.seed({{"a"}});
    base.execute("ALTER TABLE Tab_Parol RENAME TO Tab_Parol_old");
    RecordStore store;
    EXPECT_THROW(store.connect(base.path()), Failure);
    // The connection and the branch query stay open after the failed step.
    EXPECT_TRUE(store.ADOConnection1.isOpen());
    EXPECT_EQ(store.Query_Glav.State(), dsBrowse);
    EXPECT_FALSE(store.Connected());

    base.execute("ALTER TABLE Tab_Parol_old RENAME TO Tab_Parol");
    store.connect(base.path());
    EXPECT_TRUE(store.Connected());
    EXPECT_EQ(store.Query_Glav.RecordCount(), 1);
}

} // namespace
