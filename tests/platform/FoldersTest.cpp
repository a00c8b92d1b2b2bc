#include "platform/Folders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

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

TEST(Folders, CreatesTheLastLevelForItsOwnerOnly) {
    QTemporaryDir root;
    const QString temp = root.filePath(QStringLiteral("Temp/"));
    ASSERT_TRUE(platform::createPrivateFolder(temp));
    EXPECT_EQ(permissionBits(temp), mode_t(0700));

    ASSERT_TRUE(QFile::setPermissions(temp, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                QFile::ReadOther | QFile::ExeOther));
    EXPECT_TRUE(platform::createPrivateFolder(temp)) << "an existing folder is left as it is";
    EXPECT_EQ(permissionBits(temp), mode_t(0705));

    EXPECT_FALSE(platform::createPrivateFolder(root.filePath(QStringLiteral("No/Temp/"))));
    EXPECT_FALSE(QFileInfo::exists(root.filePath(QStringLiteral("No"))));
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

    EXPECT_TRUE(platform::removeFolderTree(root.filePath(QStringLiteral("Temp/"))));
    EXPECT_FALSE(QFileInfo::exists(root.filePath(QStringLiteral("Temp"))));
    EXPECT_TRUE(QFileInfo::exists(root.filePath(QStringLiteral("Kept/file"))));
}

} // namespace
