#include "infobase/tree/TreeFile.h"

#include "TreeTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace infobase;

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

void put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QStringList filesIn(const QTemporaryDir& dir) {
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// A tree of `count` top-level nodes with 40-character texts.
void fill(TTreeNodes& items, int count, const QString& prefix) {
    for (int i = 0; i < count; ++i) {
        items.Add(nullptr, prefix + QString(39, QChar(0x0436)));
    }
}

QString writeFailure(const QString& path, const TTreeNodes& items) {
    try {
        writeTreeFile(path, TreeViewState{}, items);
    } catch (const Failure& failure) {
        return failure.message();
    }
    return {};
}

// While it lives, no file of this process may grow beyond `bytes`: writes past the limit fail
// with EFBIG as on a full disk, instead of raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
};

TEST(TreeFile, ReplacesTheFileAndReadsItBack) {
    QTemporaryDir dir;
    const QString path = dir.filePath("TreeView.dat");
    put(path, "an older tree file, longer than the new one will be ... ... ... ... ... ...");
    TTreeNodes items;
    items.AddChild(items.Add(nullptr, "Ветка"), "Подветка");
    writeTreeFile(path, TreeViewState{}, items);
    EXPECT_EQ(contents(path), writeToBytes(TreeViewState{}, items));
    EXPECT_EQ(filesIn(dir), QStringList{"TreeView.dat"});

    TreeViewState view;
    TTreeNodes back;
    readTreeFile(path, view, back);
    EXPECT_EQ(describe(back), describe(items));
}

// The reader takes a large node block from the file in pieces: entries of every text length
// (0 … 255 code units) fall across the pieces' edges, and the entries after the block are
// still read from the right place.
TEST(TreeFile, ALargeTreeComesBackWholeWithTheEntriesAfterIt) {
    QTemporaryDir dir;
    const QString path = dir.filePath("TreeView.dat");
    TTreeNodes items;
    TTreeNode* branch = nullptr;
    for (int i = 0; i < 3000; ++i) {
        QString text(i % 256, QChar(0x0410 + i % 32));
        if (i % 7 == 0) {
            branch = items.Add(nullptr, text);
        } else {
            items.AddChild(branch, text);
        }
    }
    TreeViewState view;
    view.explicitBounds.Height = 953; // written after the node block
    writeTreeFile(path, view, items);
    ASSERT_GT(contents(path).size(), 4 * 64 * 1024);

    TreeViewState viewBack;
    TTreeNodes back;
    readTreeFile(path, viewBack, back);
    EXPECT_EQ(describe(back), describe(items));
    EXPECT_EQ(viewBack.explicitBounds.Height, 953);
}

TEST(TreeFile, OpenAndCreateFailuresNameThePath) {
    QTemporaryDir dir;
    const QString missing = dir.filePath("Data/TreeView.dat");
    const QString shown = QDir::toNativeSeparators(missing);
    EXPECT_TRUE(
        writeFailure(missing, TTreeNodes{}).startsWith("Cannot create file \"" + shown + "\". "));
    TreeViewState view;
    TTreeNodes items;
    try {
        readTreeFile(missing, view, items);
        ADD_FAILURE() << "a missing file was read";
    } catch (const Failure& failure) {
        EXPECT_TRUE(failure.message().startsWith("Cannot open file \"" + shown + "\". "))
            << failure.message().toStdString();
    }
}

// A disk that runs full anywhere: before the first byte, inside the codec's 4096-byte
// blocks, in the last block that goes out when writing ends, and one byte short of the
// end. The old file stays byte for byte and no temporary file is left behind.
TEST(TreeFile, AFullDiskLeavesTheOldFileAsItWas) {
    QTemporaryDir dir;
    const QString path = dir.filePath("TreeView.dat");
    TTreeNodes old;
    fill(old, 3, "old");
    writeTreeFile(path, TreeViewState{}, old);
    const QByteArray before = contents(path);

    for (const int nodes : {5, 500}) {
        TTreeNodes items;
        fill(items, nodes, "new");
        const qint64 size = writeToBytes(TreeViewState{}, items).size();
        for (const qint64 room : {qint64(0), qint64(100), qint64(4096), qint64(5000), size - 1}) {
            if (room >= size) {
                continue;
            }
            QString failure;
            {
                const FileSizeLimit limit(static_cast<rlim_t>(room));
                failure = writeFailure(path, items);
            }
            EXPECT_EQ(failure, "Stream write error") << nodes << " nodes, room " << room;
            EXPECT_EQ(contents(path), before) << nodes << " nodes, room " << room;
            EXPECT_EQ(filesIn(dir), QStringList{"TreeView.dat"}) << nodes << " nodes, " << room;
        }
        // With just enough room the write goes through.
        {
            const FileSizeLimit limit(static_cast<rlim_t>(size));
            EXPECT_EQ(writeFailure(path, items), QString()) << nodes;
        }
        EXPECT_EQ(contents(path).size(), size);
        writeTreeFile(path, TreeViewState{}, old);
    }
}

TEST(TreeFile, StartUpKeepsAnUnreadableFileAsideWithoutReplacingEarlierCopies) {
    QTemporaryDir dir;
    const QString path = dir.filePath("TreeView.dat");
    TreeViewState view;
    TTreeNodes items;
    EXPECT_EQ(loadTreeFileAtStartUp(path, view, items), TreeFileLoad::Missing);

    TTreeNodes good;
    fill(good, 2, "good");
    writeTreeFile(path, TreeViewState{}, good);
    EXPECT_EQ(loadTreeFileAtStartUp(path, view, items), TreeFileLoad::Loaded);
    EXPECT_EQ(describe(items), describe(good));
    EXPECT_TRUE(QFile::exists(path));

    const QByteArray cut = contents(path).left(300);
    const QByteArray junk = "not a tree file";
    for (const QByteArray& bad : {cut, junk}) {
        put(path, bad);
        try {
            loadTreeFileAtStartUp(path, view, items);
            ADD_FAILURE() << "an unreadable file was loaded";
        } catch (const Failure& failure) {
            EXPECT_FALSE(failure.message().isEmpty());
        }
        EXPECT_FALSE(QFile::exists(path));
    }
    EXPECT_EQ(contents(path + ".unreadable"), cut);
    EXPECT_EQ(contents(path + ".unreadable-2"), junk);
    EXPECT_EQ(filesIn(dir), (QStringList{"TreeView.dat.unreadable", "TreeView.dat.unreadable-2"}));

    put(path, junk);
    put(path + ".unreadable-3", "someone's file");
    EXPECT_EQ(keepUnreadableTreeFile(path), path + ".unreadable-4");
    EXPECT_EQ(contents(path + ".unreadable-3"), "someone's file");
    EXPECT_EQ(keepUnreadableTreeFile(path), QString()); // nothing left to keep
}

TEST(TreeFile, AFolderInThePlaceOfTheTreeFileIsAFirstStartAndStaysWhereItIs) {
    QTemporaryDir dir;
    const QString path = dir.filePath("TreeView.dat");
    ASSERT_TRUE(QDir(dir.path()).mkdir("TreeView.dat"));
    put(path + "/inside", "someone's file");
    TreeViewState view;
    TTreeNodes items;

    EXPECT_EQ(loadTreeFileAtStartUp(path, view, items), TreeFileLoad::Missing);
    EXPECT_EQ(items.Count(), 0);
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_EQ(contents(path + "/inside"), "someone's file");
    EXPECT_FALSE(QFileInfo::exists(path + ".unreadable"));

    // Writing the tree there fails like any path that cannot be written, and leaves the
    // folder as it was.
    fill(items, 1, "new");
    EXPECT_NE(writeFailure(path, items), QString());
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_EQ(contents(path + "/inside"), "someone's file");
}

} // namespace
