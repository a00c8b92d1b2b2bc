#include "StoreTestSupport.h"
#include "common/Failure.h"
#include "infobase/store/RecordStore.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace {

using namespace infobase;
using store_test::failureOf;
using store_test::TempBase;

constexpr LocateOptions kBranchLookup = loCaseInsensitive | loPartialKey;

QByteArray attachmentOf(BranchQuery& query) {
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    query.FieldByName("File").SaveToStream(buffer);
    return buffer.data();
}

QString nameOf(BranchQuery& query) {
    return query.FieldByName("Imya_vetok").AsString();
}

TEST(QueryState, EmptyTableEditStartsANewRecordAndDeleteFails) {
    TempBase base;
    RecordStore store;
    BranchQuery& q = store.Query_Glav;
    EXPECT_EQ(q.State(), dsInactive);
    store.connect(base.path());
    EXPECT_TRUE(store.Connected());
    EXPECT_EQ(q.State(), dsBrowse);
    EXPECT_TRUE(q.IsEmpty());

    // No record: every field reads empty.
    EXPECT_EQ(q.FieldByName("Opisanie").AsString(), "");
    EXPECT_EQ(q.FieldByName("RashirenieFile").AsInteger(), 0);
    EXPECT_EQ(attachmentOf(q), QByteArray());
    EXPECT_EQ(failureOf([&] { q.Delete(); }),
              "Query_Glav: Cannot perform this operation on an empty dataset");

    q.Edit();
    EXPECT_EQ(q.State(), dsInsert);
    q.FieldByName("Imya_vetok").SetAsString("Первая");
    q.Edit(); // goes on with its marks
    EXPECT_EQ(q.State(), dsInsert);
    q.Post();
    EXPECT_EQ(q.State(), dsBrowse);
    EXPECT_EQ(nameOf(q), "Первая");
    EXPECT_EQ(base.names(), QStringList{"Первая"});
    EXPECT_EQ(failureOf([&] { q.Post(); }), "Query_Glav: Dataset not in edit or insert mode");
}

TEST(QueryState, FieldErrorsCarryTheStoreName) {
    TempBase base;
    base.seed({{"a"}});
    RecordStore store;
    BranchQuery& q = store.Query_Glav;
    EXPECT_EQ(failureOf([&] { q.FieldByName("Imya_vetok"); }),
              "Query_Glav: Field 'Imya_vetok' not found");
    store.connect(base.path());
    EXPECT_EQ(failureOf([&] { q.FieldByName("Imya"); }), "Query_Glav: Field 'Imya' not found");
    EXPECT_EQ(q.FieldByName("imya_VETOK").FieldName(), "Imya_vetok");
    EXPECT_EQ(failureOf([&] { q.FieldByName("Texty").SetAsString("x"); }),
              "Query_Glav: Dataset not in edit or insert mode");
    EXPECT_EQ(failureOf([&] { q.FieldByName("RashirenieFile").SetAsInteger(1); }),
              "Query_Glav: Dataset not in edit or insert mode");
    QBuffer empty;
    EXPECT_EQ(failureOf([&] { q.FieldByName("File").LoadFromStream(empty); }),
              "Query_Glav: Dataset not in edit or insert mode");
    EXPECT_EQ(failureOf([&] { q.Post(); }), "Query_Glav: Dataset not in edit or insert mode");
    q.Edit();
    EXPECT_EQ(failureOf([&] { q.FieldByName("Texty").AsInteger(); }),
              "Query_Glav: Field 'Texty' is not of the type asked for");
}

TEST(QueryState, PendingValuesAreReadBackAndOnlyWrittenFieldsArePosted) {
    TempBase base;
    base.seed({{"Ветка", "описание", "старое"}});
    RecordStore store;
    store.connect(base.path());
    BranchQuery& q = store.Query_Glav;

    // Another program changes the text meanwhile: an update of the description alone must
    // not overwrite it with the value read at connect.
    base.execute("UPDATE Tab_DB_Delphi_10 SET Texty='чужой текст'");
    q.Edit();
    q.FieldByName("Opisanie").SetAsString("новое\r\nописание");
    q.FieldByName("RashirenieFile").SetAsInteger(3);
    EXPECT_EQ(q.FieldByName("Opisanie").AsString(), "новое\r\nописание");
    EXPECT_EQ(q.FieldByName("RashirenieFile").AsInteger(), 3);
    EXPECT_EQ(q.FieldByName("RashirenieFile").AsString(), "3");
    EXPECT_EQ(attachmentOf(q), "старое"); // unwritten: the file's bytes
    q.Post();
    EXPECT_EQ(base.column("Ветка", "Opisanie"), "новое\r\nописание");
    EXPECT_EQ(base.column("Ветка", "RashirenieFile"), "3");
    EXPECT_EQ(base.column("Ветка", "Texty"), "чужой текст");
    EXPECT_EQ(q.FieldByName("Texty").AsString(), "чужой текст"); // the row as posted

    // A new record: unwritten fields read empty, before and after the post.
    q.Insert();
    EXPECT_EQ(nameOf(q), "");
    EXPECT_EQ(attachmentOf(q), QByteArray());
    q.FieldByName("Imya_vetok").SetAsString("Новая");
    q.FieldByName("Dat").SetAsString("05.06.2024");
    q.Post();
    EXPECT_EQ(nameOf(q), "Новая");
    EXPECT_EQ(q.FieldByName("Opisanie").AsString(), "");
    EXPECT_EQ(q.FieldByName("RashirenieFile").AsInteger(), 0);
    EXPECT_EQ(base.column("Новая", "Dat"), "05.06.2024");
    EXPECT_EQ(q.RecordCount(), 2);
}

TEST(QueryState, AttachmentsLoadWholeAndSaveAtTheStreamPosition) {
    TempBase base;
    base.seed({{"a"}});
    RecordStore store;
    store.connect(base.path());
    BranchQuery& q = store.Query_Glav;

    // Larger than the pieces the attachment is read in, and not a multiple of them.
    QByteArray big(3 * 1024 * 1024 + 17, Qt::Uninitialized);
    for (int i = 0; i < big.size(); ++i) {
        big[i] = char(i * 7 + i / 4096);
    }
    QBuffer source(&big);
    source.open(QIODevice::ReadOnly);
    source.seek(big.size()); // read from the beginning whatever the position
    q.Edit();
    q.FieldByName("File").LoadFromStream(source);
    EXPECT_EQ(attachmentOf(q), big);
    q.Post();

    QBuffer target;
    target.open(QIODevice::ReadWrite);
    target.write("head");
    q.FieldByName("File").SaveToStream(target);
    EXPECT_EQ(target.data(), "head" + big);

    // An empty stream empties the attachment.
    QBuffer empty;
    empty.open(QIODevice::ReadOnly);
    q.Edit();
    q.FieldByName("File").LoadFromStream(empty);
    q.Post();
    EXPECT_EQ(attachmentOf(q), QByteArray());
    EXPECT_EQ(failureOf([&] { q.FieldByName("File").AsString(); }),
              "Query_Glav: Field 'File' is not of the type asked for");
}

TEST(QueryState, DeleteMovesToTheNextRecordOrTheOneBefore) {
    TempBase base;
    base.seed({{"A"}, {"B"}, {"C"}, {"D"}});
    RecordStore store;
    store.connect(base.path());
    BranchQuery& q = store.Query_Glav;
    EXPECT_EQ(nameOf(q), "A"); // the first row after the connect

    ASSERT_TRUE(q.Locate("Imya_vetok", "b", kBranchLookup));
    q.Edit();
    q.FieldByName("Opisanie").SetAsString("lost with the record");
    q.Delete();
    EXPECT_EQ(q.State(), dsBrowse);
    EXPECT_EQ(nameOf(q), "C");

    ASSERT_TRUE(q.Locate("Imya_vetok", "d", kBranchLookup));
    q.Delete();
    EXPECT_EQ(nameOf(q), "C");

    // Delete while inserting drops the new record and deletes nothing.
    q.Insert();
    q.FieldByName("Imya_vetok").SetAsString("E");
    q.Delete();
    EXPECT_EQ(q.State(), dsBrowse);
    EXPECT_EQ(nameOf(q), "C");
    EXPECT_EQ(base.names(), (QStringList{"A", "C"}));

    q.Delete();
    q.Delete();
    EXPECT_TRUE(q.IsEmpty());
    EXPECT_EQ(nameOf(q), "");
    EXPECT_TRUE(base.names().isEmpty());
}

TEST(QueryState, APendingChangeIsDroppedAtTheEndOfTheRun) {
    TempBase base;
    base.seed({{"a"}});
    {
        RecordStore store;
        store.connect(base.path());
        QByteArray bytes("never posted");
        QBuffer source(&bytes);
        source.open(QIODevice::ReadOnly);
        store.Query_Glav.Edit();
        store.Query_Glav.FieldByName("File").LoadFromStream(source);
        store.Query_Glav.FieldByName("Texty").SetAsString("never posted");
    }
    EXPECT_EQ(base.column("a", "Texty"), "");
    RecordStore again;
    again.connect(base.path());
    EXPECT_EQ(attachmentOf(again.Query_Glav), QByteArray());
}

TEST(QueryState, InsertPostsTheWrittenChangeFirst) {
    TempBase base;
    base.seed({{"a"}});
    RecordStore store;
    store.connect(base.path());
    BranchQuery& q = store.Query_Glav;
    q.Edit();
    q.FieldByName("Texty").SetAsString("текст");
    q.Insert();
    EXPECT_EQ(q.State(), dsInsert);
    EXPECT_EQ(base.column("a", "Texty"), "текст");
}

TEST(QueryState, AnEditOfARowAnotherProgramDeletedFailsAndForgetsTheRow) {
    TempBase base;
    base.seed({{"a"}, {"b"}});
    RecordStore store;
    store.connect(base.path());
    BranchQuery& q = store.Query_Glav;
    base.execute("DELETE FROM Tab_DB_Delphi_10 WHERE Imya_vetok='a'");
    q.Edit();
    q.FieldByName("Texty").SetAsString("x");
    EXPECT_TRUE(failureOf([&] { q.Post(); }).startsWith("Query_Glav: The record was deleted"));
    EXPECT_EQ(q.State(), dsBrowse);
    EXPECT_EQ(nameOf(q), "b");
    EXPECT_EQ(q.RecordCount(), 1);
    EXPECT_EQ(base.names(), QStringList{"b"});
}

// A table made without AUTOINCREMENT gives a deleted row's key to the next new row: after
// another program deleted "c" and added "theirs", our record "c" must not reach "theirs".
TEST(QueryState, ARowAnotherProgramPutUnderADeletedRecordsKeyIsNeverTouched) {
    TempBase base;
    base.execute("DROP TABLE Tab_DB_Delphi_10;"
                 "CREATE TABLE Tab_DB_Delphi_10 (Dat, Imya_vetok, Opisanie, Texty,"
                 " RashirenieFile, File);"
                 "INSERT INTO Tab_DB_Delphi_10 (Imya_vetok) VALUES ('a'), ('b'), ('c')");
    const QByteArray replace = "DELETE FROM Tab_DB_Delphi_10 WHERE Imya_vetok='c';"
                               "INSERT INTO Tab_DB_Delphi_10 (Imya_vetok, Opisanie)"
                               " VALUES ('theirs', 'их')";
    for (const bool deleting : {false, true}) {
        SCOPED_TRACE(deleting ? "delete" : "edit");
        RecordStore store;
        store.connect(base.path());
        BranchQuery& q = store.Query_Glav;
        // Our own rename is the name the row is known by from then on.
        ASSERT_TRUE(q.LocateOwn("a"));
        q.Edit();
        q.FieldByName("Imya_vetok").SetAsString("a2");
        q.Post();
        q.Edit();
        q.FieldByName("Opisanie").SetAsString("после переименования");
        EXPECT_EQ(failureOf([&] { q.Post(); }), "");

        ASSERT_TRUE(q.LocateOwn("c"));
        base.execute(replace);
        ASSERT_EQ(base.names(), (QStringList{"a2", "b", "theirs"})); // the key was reused
        if (deleting) {
            EXPECT_EQ(failureOf([&] { q.Delete(); }), "");
        } else {
            q.Edit();
            q.FieldByName("Opisanie").SetAsString("наше");
            EXPECT_TRUE(
                failureOf([&] { q.Post(); }).startsWith("Query_Glav: The record was deleted"));
        }
        EXPECT_EQ(q.State(), dsBrowse);
        EXPECT_FALSE(q.LocateOwn("c"));
        EXPECT_EQ(q.RecordCount(), 2);
        EXPECT_EQ(base.names(), (QStringList{"a2", "b", "theirs"}));
        EXPECT_EQ(base.column("theirs", "Opisanie"), "их");
        EXPECT_EQ(base.column("a2", "Opisanie"), "после переименования");
        // Back to the start for the next round.
        base.execute("DELETE FROM Tab_DB_Delphi_10 WHERE Imya_vetok='theirs';"
                     "UPDATE Tab_DB_Delphi_10 SET Imya_vetok='a', Opisanie=NULL"
                     " WHERE Imya_vetok='a2';"
                     "INSERT INTO Tab_DB_Delphi_10 (Imya_vetok) VALUES ('c')");
    }
}

} // namespace

// Another program may have made the table itself, with no column types, a column of its
// own, and values of any type in the six columns: each reads as a defined value.
TEST(QueryState, ValuesOfUnexpectedTypesReadAsDefinedValues) {
    TempBase base;
    base.execute("DROP TABLE Tab_DB_Delphi_10;"
                 "CREATE TABLE Tab_DB_Delphi_10 (Extra NOT NULL DEFAULT 'x', Dat, Imya_vetok,"
                 " Opisanie, Texty, RashirenieFile, File);"
                 "INSERT INTO Tab_DB_Delphi_10 (Dat, Imya_vetok, Opisanie, Texty,"
                 " RashirenieFile, File) VALUES"
                 " (NULL, 'a', 42, NULL, 'abc', 'текст'),"
                 " (1.5, X'FF62', NULL, X'', '7', 17),"
                 " (NULL, 'c', 'три', 'x', 2.9, X'00FF')");
    struct Expected {
        QString name, dat, description, text;
        qint32 kind;
        QByteArray attachment;
    };
    const Expected rows[] = {
        {"a", "", "42", "", 0, QByteArray("текст")},
        {QStringLiteral("\uFFFDb"), "1.5", "", "", 7, QByteArray()},
        {"c", "", "три", "x", 2, QByteArray("\0\xFF", 2)},
    };
    RecordStore store;
    store.connect(base.path());
    BranchQuery& q = store.Query_Glav;
    for (const Expected& row : rows) {
        SCOPED_TRACE(row.name.toStdString());
        ASSERT_TRUE(q.Locate("Imya_vetok", row.name, kBranchLookup));
        EXPECT_EQ(q.FieldByName("Dat").AsString(), row.dat);
        EXPECT_EQ(q.FieldByName("Opisanie").AsString(), row.description);
        EXPECT_EQ(q.FieldByName("Texty").AsString(), row.text);
        EXPECT_EQ(q.FieldByName("RashirenieFile").AsInteger(), row.kind);
        EXPECT_EQ(attachmentOf(q), row.attachment);
    }

    // Posts write the six columns only; the table's own column keeps its default.
    q.Insert();
    q.FieldByName("Imya_vetok").SetAsString("d");
    q.Post();
    EXPECT_EQ(base.column("d", "Extra"), "x");
}

// Attachments are read from the file when asked for, not held from the connect: another
// program's change to them shows, while the texts stay as read at the connect.
TEST(QueryState, AnAttachmentAndTheTextFieldsAreReadAsTheFileHoldsThemNow) {
    TempBase base;
    base.seed({{"a", "описание", "старое"}, {"b", "", "второе"}});
    RecordStore store;
    store.connect(base.path());
    BranchQuery& q = store.Query_Glav;
    base.execute("UPDATE Tab_DB_Delphi_10 SET File=X'6E6577', Opisanie='чужое'"
                 " WHERE Imya_vetok='a';"
                 "DELETE FROM Tab_DB_Delphi_10 WHERE Imya_vetok='b'");
    ASSERT_TRUE(q.Locate("Imya_vetok", "a", kBranchLookup));
    EXPECT_EQ(attachmentOf(q), "new");
    EXPECT_EQ(q.FieldByName("Opisanie").AsString(), "чужое");
    ASSERT_TRUE(q.Locate("Imya_vetok", "b", kBranchLookup));
    EXPECT_EQ(attachmentOf(q), QByteArray());
}
