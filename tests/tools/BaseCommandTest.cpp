#include "ToolRun.h"
#include "infobase/store/RecordStore.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(BaseCommand, CreatesAnEmptyBaseTheStoreOpensAndNeverOverwrites) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Quorlent.mdb");
    const Captured created = run({"base", "create", path});
    EXPECT_EQ(created.code, 0) << created.err.toStdString();

    infobase::RecordStore store;
    store.connect(path);
    EXPECT_TRUE(store.Connected());
    EXPECT_EQ(store.Query_Glav.RecordCount(), 0);
    store.Query_Glav.Insert();
    store.Query_Glav.FieldByName("Imya_vetok").SetAsString("kept");
    store.Query_Glav.Post();

    const Captured again = run({"base", "create", path});
    EXPECT_EQ(again.code, 1);
    EXPECT_TRUE(again.err.contains("File exists")) << again.err.toStdString();
    EXPECT_EQ(run({"base", "list", path}).out.count('\n'), 1);

    EXPECT_EQ(run({"base", "create", dir.filePath("no/such/folder.mdb")}).code, 1);
    EXPECT_FALSE(QFile::exists(dir.filePath("no/such/folder.mdb")));
    EXPECT_EQ(run({"base", "create"}).code, 2);
    EXPECT_EQ(run({"base", "remove", path}).code, 2);
}

TEST(BaseCommand, ListsOneJsonObjectPerRecordInKeyOrder) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Quorlent.mdb");
    ASSERT_EQ(run({"base", "create", path}).code, 0);
    {
        infobase::RecordStore store;
        store.connect(path);
        infobase::BranchQuery& q = store.Query_Glav;
        q.Insert();
        q.FieldByName("Imya_vetok").SetAsString("Фото \"лето\"");
        q.FieldByName("Opisanie").SetAsString("две\nстроки");
        q.FieldByName("Dat").SetAsString("01.02.2024");
        q.FieldByName("RashirenieFile").SetAsInteger(3);
        QByteArray bytes("abc");
        QBuffer source(&bytes);
        source.open(QIODevice::ReadOnly);
        q.FieldByName("File").LoadFromStream(source);
        q.Post();
        q.Insert();
        q.FieldByName("Imya_vetok").SetAsString("пусто");
        q.Post();
    }
    const Captured listed = run({"base", "list", path});
    EXPECT_EQ(listed.code, 0) << listed.err.toStdString();
    EXPECT_EQ(listed.out, "{\"Dat\":\"01.02.2024\",\"Imya_vetok\":\"Фото \\\"лето\\\"\","
                          "\"Opisanie\":\"две\\nстроки\",\"Texty\":\"\",\"RashirenieFile\":3,"
                          "\"FileSize\":3,\"FileSha256\":"
                          "\"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad\"}\n"
                          "{\"Dat\":\"\",\"Imya_vetok\":\"пусто\",\"Opisanie\":\"\",\"Texty\":\"\","
                          "\"RashirenieFile\":0,\"FileSize\":0,\"FileSha256\":\"\"}\n");

    QFile plain(dir.filePath("plain.mdb"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.write(QByteArray(4096, 'x'));
    plain.close();
    const Captured refused = run({"base", "list", plain.fileName()});
    EXPECT_EQ(refused.code, 1);
    EXPECT_TRUE(refused.err.contains("file is encrypted or is not a database"));
}

} // namespace
