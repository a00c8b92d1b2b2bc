#include "ToolRun.h"
#include "infobase/AppPaths.h"
#include "platform/FolderLock.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A node as dump prints it, with a new node's values unless given.
QString node(const char* text, const QString& children = {}, const char* fields = nullptr) {
    return QStringLiteral("{\"text\":\"%1\",%2,\"children\":[%3]}")
        .arg(QString::fromUtf8(text),
             QLatin1String(fields ? fields
                                  : "\"imageIndex\":0,\"selectedIndex\":0,\"stateIndex\":-1,"
                                    "\"overlayIndex\":-1,\"expandedImageIndex\":0,\"data\":0,"
                                    "\"enabled\":true,\"hasChildren\":false"),
             children);
}

TEST(TreeCommand, WritesTheWorkedExampleAndDumpsItBack) {
    QTemporaryDir dir;
    const QString json = dir.filePath("tree.json");
    const QString file = dir.filePath("TreeView.dat");
    put(json, R"({"nodes":[{"text":"Alpha","children":[{"text":"Gamma"}]},{"text":"Beta"}]})");
    const Captured written = run({"tree", "write", json, file});
    ASSERT_EQ(written.code, 0) << written.err.toStdString();
    const QByteArray bytes = contents(file);
    EXPECT_EQ(bytes.size(), 410);
    // Data 0, Count 0, enabled, "Beta", then the ends of both lists.
    EXPECT_TRUE(
        bytes.endsWith(QByteArray::fromHex("00000000 00000000 01 04 4200650074006100 0000")));

    const Captured dumped = run({"tree", "dump", file});
    EXPECT_EQ(dumped.code, 0);
    EXPECT_EQ(dumped.err, QString());
    const QString alpha =
        node("Alpha", node("Gamma"),
             "\"imageIndex\":0,\"selectedIndex\":0,\"stateIndex\":-1,\"overlayIndex\":-1,"
             "\"expandedImageIndex\":0,\"data\":0,\"enabled\":true,\"hasChildren\":true");
    EXPECT_EQ(dumped.out, "{\"nodes\":[" + alpha + "," + node("Beta") + "]}\n");
}

TEST(TreeCommand, EveryFieldAndAwkwardTextSurvivesWriteAndDump) {
    QTemporaryDir dir;
    const QString json = dir.filePath("tree.json");
    const QString file = dir.filePath("TreeView.dat");
    // A surrogate cut from its partner, quotes, a control character and Cyrillic.
    const QString fields =
        "\"imageIndex\":70000,\"selectedIndex\":-5,\"stateIndex\":3,\"overlayIndex\":1,"
        "\"expandedImageIndex\":-1,\"data\":-559038737,\"enabled\":false,\"hasChildren\":true";
    const QString tree = "{\"nodes\":[" +
                         node("Ветка \\\"1\\\"\\u0001\\ud83d", {}, fields.toUtf8().constData()) +
                         "," + node("") + "]}";
    put(json, tree.toUtf8());
    ASSERT_EQ(run({"tree", "write", json, file}).code, 0);
    EXPECT_EQ(run({"tree", "dump", file}).out, tree + "\n");
}

TEST(TreeCommand, ClientHeightMovesTheView) {
    QTemporaryDir dir;
    const QString json = dir.filePath("tree.json");
    put(json, R"({"nodes":[]})");
    ASSERT_EQ(run({"tree", "write", json, dir.filePath("a.dat"), "--client-height", "953"}).code,
              0);
    const QByteArray bytes = contents(dir.filePath("a.dat"));
    EXPECT_EQ(bytes.size(), 273);
    EXPECT_TRUE(bytes.contains(QByteArray("\x06Height\x03\xB9\x03")));
    EXPECT_TRUE(bytes.endsWith(QByteArray("\x0E"
                                          "ExplicitHeight\x03\xDC\x02\0\0",
                                          20)));
    ASSERT_EQ(run({"tree", "write", json, dir.filePath("b.dat")}).code, 0);
    EXPECT_EQ(contents(dir.filePath("b.dat")).size(), 255);
}

TEST(TreeCommand, FailuresGoToStandardErrorAsTheProgramShowsThem) {
    QTemporaryDir dir;
    const QString file = dir.filePath("TreeView.dat");
    const QString json = dir.filePath("tree.json");
    put(json, R"({"nodes":[{"text":"Alpha"}]})");
    ASSERT_EQ(run({"tree", "write", json, file}).code, 0);
    const QByteArray whole = contents(file);

    put(file, whole.left(whole.size() - 10));
    const Captured cut = run({"tree", "dump", file});
    EXPECT_EQ(cut.code, 1);
    EXPECT_EQ(cut.out, QString());
    EXPECT_EQ(cut.err, "Error reading TreeView1.Items.NodeData: Stream read error\n");
    EXPECT_TRUE(QFile::exists(file)); // dump never moves or changes the file

    put(file, "TPF1");
    EXPECT_EQ(run({"tree", "dump", file}).err, "Invalid stream format\n");
    EXPECT_TRUE(run({"tree", "dump", dir.filePath("none.dat")})
                    .err.startsWith("Cannot open file \"" + dir.filePath("none.dat") + "\". "));

    // Bad JSON leaves the old file alone.
    put(file, whole);
    for (const char* bad :
         {"{", R"({"nodes":{}})", R"({"nodes":[{"data":4294967296}]})", R"({"nodes":[{"text":5}]})",
          R"({"nodes":[{"enabled":1}]})", R"({"nodes":[{"children":{}}]})", R"({"nodes":[7]})"}) {
        put(json, bad);
        const Captured c = run({"tree", "write", json, file});
        EXPECT_EQ(c.code, 1) << bad;
        EXPECT_TRUE(c.err.startsWith("JSON: ")) << bad << ": " << c.err.toStdString();
        EXPECT_EQ(contents(file), whole) << bad;
    }
    put(json, R"({"nodes":[]})");
    const Captured missingFolder =
        run({"tree", "write", json, dir.filePath("no/folder/TreeView.dat")});
    EXPECT_EQ(missingFolder.code, 1);
    EXPECT_TRUE(missingFolder.err.startsWith("Cannot create file \""))
        << missingFolder.err.toStdString();
    for (const QStringList& args :
         {QStringList{"tree"}, QStringList{"tree", "dump"}, QStringList{"tree", "write", json},
          QStringList{"tree", "write", json, file, "--client-height"},
          QStringList{"tree", "write", json, file, "--client-height", "tall"},
          QStringList{"tree", "show", file}}) {
        EXPECT_EQ(run(args).code, 2) << args.join(' ').toStdString();
    }
}

// The program holds its application folder locked while it runs; its tree file is not
// written under it, and is written as soon as the program has ended.
TEST(TreeCommand, RefusesTheTreeFileOfARunningProgram) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("Data"));
    const QString json = dir.filePath("tree.json");
    const QString file = dir.filePath("Data/TreeView.dat");
    put(json, R"({"nodes":[{"text":"Alpha"}]})");
    put(file, "the program's own tree");
    {
        const platform::FolderLock program(dir.path());
        ASSERT_EQ(program.state(), platform::FolderLock::State::Held);
        const Captured refused = run({"tree", "write", json, file});
        EXPECT_EQ(refused.code, 1);
        EXPECT_TRUE(refused.err.contains("Quorlent is running with the folder"))
            << refused.err.toStdString();
        EXPECT_EQ(contents(file), "the program's own tree");
    }
    const Captured written = run({"tree", "write", json, file});
    EXPECT_EQ(written.code, 0) << written.err.toStdString();
    EXPECT_NE(contents(file), "the program's own tree");
}

// The lock is the folder's, whatever path reaches it: a Data shared through a symbolic link,
// or a tree file that is itself a link.
TEST(TreeCommand, RefusesTheTreeFileOfARunningProgramThroughALink) {
    QTemporaryDir dir;
    const QString app = dir.filePath("app");
    ASSERT_TRUE(QDir().mkpath(app + "/Data"));
    ASSERT_TRUE(QDir().mkpath(dir.filePath("other")));
    ASSERT_TRUE(QFile::link(app + "/Data", dir.filePath("other/Data")));
    ASSERT_TRUE(QFile::link(app + "/Data/TreeView.dat", dir.filePath("tree-link.dat")));
    const QString json = dir.filePath("tree.json");
    const QString file = app + "/Data/TreeView.dat";
    put(json, R"({"nodes":[{"text":"Alpha"}]})");
    put(file, "the program's own tree");
    const platform::FolderLocks program(infobase::AppPaths{app}.lockedFolders());
    ASSERT_TRUE(program.held());
    for (const QString& path :
         {dir.filePath("other/Data/TreeView.dat"), dir.filePath("tree-link.dat")}) {
        SCOPED_TRACE(path.toStdString());
        const Captured refused = run({"tree", "write", json, path});
        EXPECT_EQ(refused.code, 1);
        EXPECT_TRUE(refused.err.contains("Quorlent is running with the folder"))
            << refused.err.toStdString();
        EXPECT_EQ(contents(file), "the program's own tree");
    }
}

} // namespace
