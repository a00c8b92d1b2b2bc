#include "TreeJournalCheck.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

// Every entry of the fuzz corpus decodes or is refused as damage, its changes fit or are
// refused, and the tree file written after them reads back; none crashes, hangs or runs out
// of memory.
TEST(TreeJournalCorpus, EveryHostileEntryIsHandled) {
    const QDir corpus(QStringLiteral(QUORLENT_TREE_JOURNAL_CORPUS));
    const QStringList files = corpus.entryList(QDir::Files, QDir::Name);
    ASSERT_GE(files.size(), 5) << "corpus missing at " << QUORLENT_TREE_JOURNAL_CORPUS;
    for (const QString& name : files) {
        QFile file(corpus.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        EXPECT_EQ(checkTreeJournalInput(file.readAll()).toStdString(), "") << name.toStdString();
    }
}

} // namespace
