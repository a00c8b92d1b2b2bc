#include "platform/Folders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void writeFile(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write("x");
}

mode_t permissionBits(const QString& path) {
    struct stat info {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    return info.st_mode & 0777;
}

TEST(Folders, CreatesTheLastLevelForItsOwnerOnlyAndMakesAnOwnFolderSo) {
    using platform::PrivateFolder;
    QTemporaryDir root;
    const QString temp = root.filePath(QStringLiteral("Temp/"));
    ASSERT_EQ(platform::createPrivateFolder(temp), PrivateFolder::Ready);
    EXPECT_EQ(permissionBits(temp), mode_t(0700));

    for (const mode_t mode : {0777, 0705, 01777, 0500}) {
        ASSERT_EQ(::chmod(QFile::encodeName(temp).constData(), mode), 0);
        EXPECT_EQ(platform::createPrivateFolder(temp), PrivateFolder::Ready) << std::oct << mode;
        EXPECT_EQ(permissionBits(temp), mode_t(0700)) << std::oct << mode;
    }

    EXPECT_EQ(platform::createPrivateFolder(root.filePath(QStringLiteral("No/Temp/"))),
              PrivateFolder::NotCreated);
    EXPECT_FALSE(QFileInfo::exists(root.filePath(QStringLiteral("No"))));
}

TEST(Folders, RefusesWhatIsNotTheUsersOwnFolderAndLeavesItAlone) {
    using platform::PrivateFolder;
    QTemporaryDir root;
    const QString shared = root.filePath(QStringLiteral("Shared"));
    ASSERT_TRUE(QDir(root.path()).mkdir(QStringLiteral("Shared")));
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 0777), 0);
    ASSERT_TRUE(QFile::link(shared, root.filePath(QStringLiteral("Link"))));
    writeFile(root.filePath(QStringLiteral("File")));
    for (const char* name : {"Link", "File"}) {
        EXPECT_EQ(platform::createPrivateFolder(root.filePath(QString::fromLatin1(name))),
                  PrivateFolder::NotOwn)
            << name;
    }
    EXPECT_EQ(permissionBits(shared), mode_t(0777)) << "what the link points to is left alone";

    // Another user's folder: only an administrator can give a folder away.
    if (::chown(QFile::encodeName(shared).constData(), 65534, 65534) != 0) {
        GTEST_SKIP() << "cannot give a folder to another user here";
    }
    EXPECT_EQ(platform::createPrivateFolder(shared), PrivateFolder::NotOwn);
    EXPECT_EQ(permissionBits(shared), mode_t(0777));
}

TEST(Folders, RemovesATreeButNotWhatALinkPointsTo) {
    QTemporaryDir root;
    QDir(root.path()).mkpath(QStringLiteral("Temp/inner"));
    QDir(root.path()).mkpath(QStringLiteral("Kept"));
    writeFile(root.filePath(QStringLiteral("Temp/Dokument.jpg")));
    writeFile(root.filePath(QStringLiteral("Temp/inner/.hidden")));
    writeFile(root.filePath(QStringLiteral("Kept/file")));
    ASSERT_TRUE(QFile::link(root.filePath(QStringLiteral("Kept")),
                            root.filePath(QStringLiteral("Temp/link"))));

    ASSERT_TRUE(QFile::link(root.filePath(QStringLiteral("Kept")),
                            root.filePath(QStringLiteral("LinkedTemp"))));
    EXPECT_FALSE(platform::removeFolderTree(root.filePath(QStringLiteral("LinkedTemp/"))));
    EXPECT_TRUE(platform::removeFolderTree(root.filePath(QStringLiteral("Temp/"))));
    EXPECT_FALSE(QFileInfo::exists(root.filePath(QStringLiteral("Temp"))));
    EXPECT_TRUE(QFileInfo::exists(root.filePath(QStringLiteral("Kept/file"))));
}

} // namespace
