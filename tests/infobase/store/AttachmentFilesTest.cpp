#include "infobase/store/AttachmentFiles.h"

#include "StoreTestSupport.h"
#include "common/Failure.h"
#include "infobase/store/RecordStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using namespace infobase;
using store_test::TempBase;

TEST(AttachmentKinds, ByExtensionIgnoringCaseAndOnlyTheFourKinds) {
    const struct {
        const char* fileName;
        std::optional<qint32> kind;
    } cases[] = {
        {"/home/u/contract.pdf", kindPdf},
        {"C.PDF", kindPdf},
        {"notes.Docx", kindDocx},
        {"IMG_0001.JPG", kindJpeg},
        {"a.b.jpg", kindJpeg},
        {"backup.rar", kindRar},
        {"photo.jpeg", std::nullopt},
        {"archive.tar", std::nullopt},
        {"noextension", std::nullopt},
        {"/some.dir/noextension", std::nullopt},
        {"pdf", std::nullopt},
        {"x.pdf.txt", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(attachmentKindOfFileName(QString::fromUtf8(c.fileName)), c.kind) << c.fileName;
    }
    EXPECT_EQ(extractedAttachmentName(kindPdf), "Dokument.pdf");
    EXPECT_EQ(extractedAttachmentName(kindDocx), "Dokument.docx");
    EXPECT_EQ(extractedAttachmentName(kindJpeg), "Dokument.jpg");
    EXPECT_EQ(extractedAttachmentName(kindRar), "Dokument.rar");
    EXPECT_EQ(extractedAttachmentName(4), QString());
    EXPECT_EQ(extractedAttachmentName(-1), QString());
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class Extraction : public ::testing::Test {
protected:
    void SetUp() override {
        // Larger than the pieces an attachment is read in, and not a multiple of them.
        big.resize(3 * 1024 * 1024 + 17);
        for (qsizetype i = 0; i < big.size(); ++i) {
            big[i] = char(i * 7 % 251);
        }
        base.seed({{"big", {}, big}, {"none"}});
        store.connect(base.path());
        target = temp.filePath("Dokument.jpg");
    }

    QByteArray big;
    TempBase base;
    RecordStore store;
    QTemporaryDir temp;
    QString target;
};

TEST_F(Extraction, ReplacesTheFileWholeReadableByItsOwnerOnly) {
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an earlier, longer attachment of the same kind .................");
    old.close();
    ASSERT_TRUE(store.Query_Glav.LocateOwn("big"));
    EXPECT_EQ(extractAttachment(store.Query_Glav.FieldByName("File"), target), big.size());
    EXPECT_EQ(readAll(target), big);
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    // Nothing but the file itself is left in the folder.
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Dokument.jpg"});
}

TEST_F(Extraction, AnEmptyAttachmentLeavesTheEarlierFile) {
    ASSERT_TRUE(store.Query_Glav.LocateOwn("big"));
    extractAttachment(store.Query_Glav.FieldByName("File"), target);
    ASSERT_TRUE(store.Query_Glav.LocateOwn("none"));
    EXPECT_EQ(extractAttachment(store.Query_Glav.FieldByName("File"), target), 0);
    EXPECT_EQ(readAll(target), big);
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Dokument.jpg"});
}

TEST_F(Extraction, AFolderThatCannotBeWrittenFailsWithItsText) {
    ASSERT_TRUE(store.Query_Glav.LocateOwn("big"));
    try {
        extractAttachment(store.Query_Glav.FieldByName("File"), temp.filePath("gone/Dokument.jpg"));
        FAIL() << "no failure";
    } catch (const Failure& failure) {
        EXPECT_TRUE(failure.message().contains("gone/Dokument.jpg")) << failure.what();
    }
}

} // namespace
