#include "infobase/store/AttachmentPresence.h"

#include "StoreTestSupport.h"
#include "infobase/store/RecordStore.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace {

using namespace infobase;
using store_test::TempBase;

TEST(AttachmentPresence, StoredAndPendingAttachmentsOfOneByteAndMore) {
    TempBase base;
    QByteArray big(3 * 1024 * 1024, 'x'); // more than one piece of the read
    base.seed({{"big", {}, big}, {"one", {}, "1"}, {"none"}});
    RecordStore store;
    store.connect(base.path());
    BranchQuery& query = store.Query_Glav;

    for (const auto& [name, expected] :
         {std::pair{"big", true}, std::pair{"one", true}, std::pair{"none", false}}) {
        ASSERT_TRUE(query.LocateOwn(QString::fromUtf8(name)));
        EXPECT_EQ(hasAttachment(query.FieldByName("File")), expected) << name;
    }

    // A pending change is what the field holds until it is posted.
    query.Edit();
    QBuffer attached;
    attached.setData("new");
    attached.open(QIODevice::ReadOnly);
    query.FieldByName("File").LoadFromStream(attached);
    EXPECT_TRUE(hasAttachment(query.FieldByName("File")));
    QBuffer emptied;
    emptied.open(QIODevice::ReadOnly);
    ASSERT_TRUE(query.LocateOwn("big"));
    query.Edit();
    query.FieldByName("File").LoadFromStream(emptied);
    EXPECT_FALSE(hasAttachment(query.FieldByName("File")));
}

} // namespace
