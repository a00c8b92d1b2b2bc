#include "TreeFileCheck.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

// Every file of the fuzz corpus reads cleanly or fails with the reader's own text, and what
// was read writes and reads back stably; none crashes, hangs or runs out of memory.
TEST(TreeFileCorpus, EveryHostileFileIsHandled) {
    const QDir corpus(QStringLiteral(QUORLENT_TREE_CORPUS));
    const QStringList files = corpus.entryList(QDir::Files, QDir::Name);
    ASSERT_GE(files.size(), 20) << "corpus missing at " << QUORLENT_TREE_CORPUS;
    for (const QString& name : files) {
        QFile file(corpus.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        EXPECT_EQ(checkTreeFileInput(file.readAll()).toStdString(), "") << name.toStdString();
    }
}

} // namespace
