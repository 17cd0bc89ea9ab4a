#include "platform/TempFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <gtest/gtest.h>

TEST(TempFiles, NamesAreReservedUniqueAndInTheTemporaryFolder)
{
    QSet<QString> names;
    for (int i = 0; i < 20; ++i) {
        const QString name = createTempFile();
        ASSERT_FALSE(name.isEmpty());
        const QFileInfo info(name);
        EXPECT_TRUE(info.exists());
        EXPECT_EQ(info.size(), 0);
        EXPECT_EQ(info.absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
        EXPECT_TRUE(info.fileName().startsWith(QStringLiteral("~GA")));
        EXPECT_EQ(info.fileName().size(), 3 + 6);
        EXPECT_TRUE(info.permissions() & QFileDevice::ReadOwner);
        EXPECT_FALSE(info.permissions() & QFileDevice::ReadOther); // other users cannot read undo data
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 20);
    for (const QString& name : names)
        EXPECT_TRUE(deleteTempFile(name));
    for (const QString& name : names)
        EXPECT_FALSE(QFileInfo::exists(name));
}

TEST(TempFiles, SuffixPrefixAndDeletion)
{
    const QString gif = createTempFile(QStringLiteral("~GA"), QStringLiteral(".gif"));
    ASSERT_FALSE(gif.isEmpty());
    EXPECT_TRUE(gif.endsWith(QStringLiteral(".gif")));
    EXPECT_TRUE(QFileInfo(gif).fileName().startsWith(QStringLiteral("~GA")));
    EXPECT_TRUE(deleteTempFile(gif));
    EXPECT_TRUE(deleteTempFile(gif)); // already gone counts as deleted
    EXPECT_TRUE(deleteTempFile(QString()));
    EXPECT_TRUE(createTempFile(QStringLiteral("../~GA")).isEmpty()); // never outside the folder
}
