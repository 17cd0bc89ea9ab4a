#include "graphics/Exceptions.h"
#include "graphics/Streams.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(MemoryStream, ReadsComeShortAtTheEndAndExactReadsThrow)
{
    TMemoryStream stream(QByteArray("abc"));
    char buffer[8] = {};
    EXPECT_EQ(stream.read(buffer, 8), 3);
    EXPECT_EQ(stream.read(buffer, 8), 0);
    stream.setPosition(1);
    EXPECT_THROW(stream.readBuffer(buffer, 3), EReadError);
}

TEST(MemoryStream, WritingPastTheEndGrowsAndSeekNeverGoesBeforeTheStart)
{
    TMemoryStream stream;
    stream.seek(2, SeekOrigin::Begin);
    stream.writeBuffer("xy", 2);
    EXPECT_EQ(stream.size(), 4);
    EXPECT_EQ(stream.data(), QByteArray("\0\0xy", 4));
    EXPECT_EQ(stream.seek(-10, SeekOrigin::Current), 0);
    EXPECT_EQ(stream.seek(-1, SeekOrigin::End), 3);
}

TEST(FileStream, RoundTripAndOpenFailureNamesTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.bin"));
    {
        TFileStream out(path, TFileStream::Create);
        out.writeBuffer("hello", 5);
    }
    TFileStream in(path, TFileStream::OpenRead);
    EXPECT_EQ(in.size(), 5);
    TMemoryStream copy;
    copy.copyFrom(in, 0);
    EXPECT_EQ(copy.data(), QByteArray("hello"));
    try {
        TFileStream missing(dir.filePath(QStringLiteral("missing.bin")), TFileStream::OpenRead);
        FAIL() << "opening a missing file must throw";
    } catch (const EFOpenError& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("missing.bin")));
    }
}
