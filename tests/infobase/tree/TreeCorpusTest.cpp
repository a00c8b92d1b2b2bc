#include "TreeFileCheck.h"
#include "TreeJournalCheck.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

// Every file of a fuzz corpus passes its target's check: none crashes, hangs or runs out of
// memory, and each is handled as the check says.
void replayCorpus(const char* folder, int fewest, QString (*check)(QByteArrayView)) {
    const QDir corpus(QString::fromUtf8(folder));
    const QStringList files = corpus.entryList(QDir::Files, QDir::Name);
    ASSERT_GE(files.size(), fewest) << "corpus missing at " << folder;
    for (const QString& name : files) {
        QFile file(corpus.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        EXPECT_EQ(check(file.readAll()).toStdString(), "") << name.toStdString();
    }
}

// Every tree file reads cleanly or fails with the reader's own text, and what was read writes
// and reads back stably.
TEST(TreeFileCorpus, EveryHostileFileIsHandled) {
    replayCorpus(QUORLENT_TREE_CORPUS, 20, checkTreeFileInput);
}

// Every kept entry of tree changes decodes or is refused as damage, its changes fit or are
// refused, and the tree file written after them reads back.
TEST(TreeJournalCorpus, EveryHostileEntryIsHandled) {
    replayCorpus(QUORLENT_TREE_JOURNAL_CORPUS, 5, checkTreeJournalInput);
}

} // namespace
