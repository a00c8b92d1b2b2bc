#include "StoreTestSupport.h"
#include "common/Failure.h"
#include "infobase/store/AttachmentSource.h"
#include "infobase/store/RecordStore.h"
#include "infobase/store/SqlcipherApi.h"

#include <QBuffer>
#include <QIODevice>
#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace infobase;
using store_test::failureOf;
using store_test::TempBase;

constexpr LocateOptions kBranchLookup = loCaseInsensitive | loPartialKey;

char patternByte(qint64 i) {
    return char(i * 7 % 251);
}

QByteArray pattern(qint64 size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i) {
        bytes[i] = patternByte(i);
    }
    return bytes;
}

// A device that makes up its bytes as it is read: it can claim any size without holding
// it, be sequential, and end early as a file cut by another program would.
class PatternDevice : public QIODevice {
public:
    PatternDevice(qint64 size, bool sequential, qint64 endsAfter = -1)
        : size_(size), sequential_(sequential), endsAfter_(endsAfter < 0 ? size : endsAfter) {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return sequential_; }
    qint64 size() const override { return sequential_ ? 0 : size_; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 from = sequential_ ? produced_ : pos();
        const qint64 count = std::min(maxSize, endsAfter_ - from);
        for (qint64 i = 0; i < count; ++i) {
            data[i] = patternByte(from + i);
        }
        produced_ = from + std::max<qint64>(count, 0);
        return std::max<qint64>(count, 0);
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    qint64 size_;
    bool sequential_;
    qint64 endsAfter_;
    qint64 produced_ = 0;
};

QByteArray attachmentOf(BranchQuery& query) {
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    query.FieldByName("File").SaveToStream(buffer);
    return buffer.data();
}

// Larger than the pieces an attachment is written in, and not a multiple of them.
constexpr qint64 kSize = 3 * 1024 * 1024 + 17;

TEST(AttachmentStream, ALongerStreamThanTheBaseCanHoldIsRefusedBeforeAnythingIsPending) {
    const qint64 limit = BranchQuery::maxAttachmentSize();
    EXPECT_GT(limit, 990'000'000);
    EXPECT_LT(limit, 1'000'000'000);

    TempBase base;
    base.seed({{"a", {}, "старое"}});
    RecordStore store;
    store.connect(base.path());
    BranchQuery& q = store.Query_Glav;
    PatternDevice huge(limit + 1, false);
    q.Edit();
    EXPECT_EQ(failureOf([&] { q.FieldByName("File").LoadFromStream(huge); }),
              QStringLiteral("Query_Glav: The file is larger than the base can hold: an "
                             "attachment may have at most %1 bytes")
                  .arg(limit));
    EXPECT_EQ(huge.pos(), 0); // not a byte read
    // Nothing was written, so the lookup drops the change and the store goes on.
    EXPECT_TRUE(q.Locate("Imya_vetok", "a", kBranchLookup));
    EXPECT_EQ(q.State(), dsBrowse);
    EXPECT_EQ(attachmentOf(q), "старое");

    // A stream that cannot seek is measured while it is copied.
    PatternDevice endless(0, true, 1000);
    EXPECT_EQ(AttachmentSource::take(endless, 999), nullptr);
    PatternDevice fits(0, true, 1000);
    const auto source = AttachmentSource::take(fits, 1000);
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->size(), 1000);
}

// The device is read when the change is posted, from its beginning; one that cannot seek
// was copied at once and may be gone by then.
TEST(AttachmentStream, TheDevicesBytesArePostedWholeInPieces) {
    TempBase base;
    base.seed({{"a"}, {"b"}});
    RecordStore store;
    store.connect(base.path());
    BranchQuery& q = store.Query_Glav;
    const QByteArray expected = pattern(kSize);

    PatternDevice file(kSize, false);
    file.seek(kSize / 2);
    ASSERT_TRUE(q.LocateOwn("a"));
    q.Edit();
    q.FieldByName("File").LoadFromStream(file);
    EXPECT_EQ(attachmentOf(q), expected); // the pending value
    q.Post();

    auto pipe = std::make_unique<PatternDevice>(0, true, kSize);
    q.Insert();
    q.FieldByName("Imya_vetok").SetAsString("c");
    q.FieldByName("File").LoadFromStream(*pipe);
    pipe.reset();
    q.Post();

    RecordStore again;
    again.connect(base.path());
    for (const char* name : {"a", "c"}) {
        ASSERT_TRUE(again.Query_Glav.LocateOwn(name));
        EXPECT_EQ(attachmentOf(again.Query_Glav), expected) << name;
    }
}

// A refused post keeps the change pending while its device is open; once the device is
// gone it can never be posted, so the next try drops it and the store goes on.
TEST(AttachmentStream, APendingAttachmentIsPostedLaterOnlyWhileItsDeviceIsOpen) {
    TempBase base;
    base.seed({{"a", {}, "старое a"}, {"b", {}, "старое b"}});
    store_test::LockingProcess other(base.path());
    RecordStore store;
    store.connect(base.path(), 100);
    BranchQuery& q = store.Query_Glav;

    PatternDevice kept(kSize, false);
    ASSERT_TRUE(q.LocateOwn("a"));
    q.Edit();
    q.FieldByName("File").LoadFromStream(kept);
    other.lock("BEGIN IMMEDIATE");
    EXPECT_EQ(failureOf([&] { q.Post(); }), "database is locked");
    other.release();
    EXPECT_TRUE(q.LocateOwn("b"));
    EXPECT_TRUE(q.LocateOwn("a"));
    EXPECT_EQ(attachmentOf(q), pattern(kSize));

    auto closed = std::make_unique<PatternDevice>(kSize, false);
    ASSERT_TRUE(q.LocateOwn("b"));
    q.Edit();
    q.FieldByName("File").LoadFromStream(*closed);
    q.FieldByName("RashirenieFile").SetAsInteger(3);
    other.lock("BEGIN IMMEDIATE");
    EXPECT_EQ(failureOf([&] { q.Post(); }), "database is locked");
    other.release();
    closed.reset();
    EXPECT_EQ(failureOf([&] { q.LocateOwn("a"); }),
              "Query_Glav: The device the attachment was loaded from was closed before the "
              "change was posted; the change was not saved");
    EXPECT_EQ(q.State(), dsBrowse);
    EXPECT_TRUE(q.LocateOwn("b"));
    EXPECT_EQ(attachmentOf(q), "старое b");
    EXPECT_EQ(q.FieldByName("RashirenieFile").AsInteger(), 0);
    EXPECT_EQ(base.column("b", "RashirenieFile"), "");
}

// A change that can never be posted (a device that ends early, a record the base cannot
// hold) is rolled back whole and dropped, never half written nor pending for ever.
TEST(AttachmentStream, AChangeThatCanNeverBePostedIsRolledBackAndDropped) {
    struct Case {
        const char* what;
        std::function<void(BranchQuery&)> change;
        QString failure;
        int valueLimit = 0; // a smaller limit on values to stand in for the real one
    };
    PatternDevice cut(kSize, false, kSize / 2);
    PatternDevice tooBig(5000, false);
    const Case cases[] = {
        {"a file cut while it is read",
         [&](BranchQuery& q) {
             q.FieldByName("Texty").SetAsString("новый текст");
             q.FieldByName("File").LoadFromStream(cut);
         },
         QStringLiteral("Query_Glav: The device the attachment was loaded from ended before its "
                        "%1 bytes were read. Unknown error; the change was not saved")
             .arg(kSize)},
        {"an attachment too big for the base",
         [&](BranchQuery& q) { q.FieldByName("File").LoadFromStream(tooBig); },
         "Query_Glav: The record is larger than the base can hold; the change was not saved", 4000},
        {"a text too big for the base",
         [](BranchQuery& q) { q.FieldByName("Texty").SetAsString(QString(3000, u'ж')); },
         "Query_Glav: The record is larger than the base can hold; the change was not saved", 4000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempBase base;
        base.seed({{"a", {}, "старое"}});
        RecordStore store;
        store.connect(base.path());
        if (c.valueLimit > 0) {
            sqlite3_limit(store.ADOConnection1.handle(), SQLITE_LIMIT_LENGTH, c.valueLimit);
        }
        BranchQuery& q = store.Query_Glav;
        for (const bool inserting : {false, true}) {
            inserting ? q.Insert() : q.Edit();
            c.change(q);
            EXPECT_EQ(failureOf([&] { q.Post(); }), c.failure);
            EXPECT_EQ(q.State(), dsBrowse);
            EXPECT_EQ(failureOf([&] { q.Locate("Imya_vetok", "a", kBranchLookup); }), "");
        }
        EXPECT_EQ(q.RecordCount(), 1);
        EXPECT_EQ(base.names(), QStringList{"a"});
        EXPECT_EQ(base.column("a", "Texty"), "");
        EXPECT_EQ(attachmentOf(q), "старое");
    }
}

} // namespace
