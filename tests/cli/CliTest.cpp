// reelwright-cli end to end: exit codes, messages and the files it writes.
#include "gif/GIFImage.h"
#include "graphics/Streams.h"
#include "cli/CliRunner.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Two frames on a global map; the second repeats most of the first.
QString writeSample(const QTemporaryDir& dir)
{
    TGIFImage image;
    for (TColor c : {0x000000u, 0xFFFFFFu, 0x0000FFu})
        image.globalColorMap().add(c);
    for (int f = 0; f < 2; ++f) {
        auto* frame = new TGIFSubImage(&image);
        image.images().add(frame);
        frame->setBounds(0, 0, 4, 4);
        std::vector<uint8_t> pixels(16, 1);
        pixels[size_t(f)] = 2;
        frame->setData(pixels);
        auto* control = new TGIFGraphicControlExtension(frame);
        control->setDelay(uint16_t(10 + f));
        frame->extensions().add(control);
    }
    const QString path = dir.filePath("sample.gif");
    TMemoryStream stream;
    image.saveToStream(stream);
    stream.saveToFile(path);
    return path;
}

int framesIn(const QString& path)
{
    TGIFImage image;
    TMemoryStream stream;
    stream.loadFromFile(path);
    image.loadFromStream(stream);
    return image.images().count();
}

} // namespace

TEST(Cli, InfoDescribesTheFile)
{
    QTemporaryDir dir;
    const QString sample = writeSample(dir);
    const TCliRun text = runCli({"info", sample});
    EXPECT_EQ(text.exitCode, 0) << text.err.constData();
    EXPECT_TRUE(text.out.contains("Frames: 2"));
    EXPECT_TRUE(text.out.contains("Logical screen: 4x4"));
    const TCliRun json = runCli({"info", sample, "--json"});
    ASSERT_EQ(json.exitCode, 0);
    const QJsonObject info = QJsonDocument::fromJson(json.out).object();
    EXPECT_EQ(info["frames"].toArray().size(), 2);
    EXPECT_EQ(info["frames"].toArray()[1].toObject()["delay"].toInt(), 11);
    EXPECT_EQ(info["globalColors"].toInt(), 4); // written padded to a power of two
}

TEST(Cli, CopyAndOptimizeWriteReadableFiles)
{
    QTemporaryDir dir;
    const QString sample = writeSample(dir);
    struct Case
    {
        QStringList args;
        int frames;
    } cases[] = {
        {{"copy", sample, dir.filePath("lzw.gif")}, 2},
        {{"copy", sample, dir.filePath("rle.gif"), "--rle"}, 2},
        {{"optimize", sample, dir.filePath("all.gif")}, 2},
        {{"optimize", sample, dir.filePath("maps.gif"), "--merge-maps", "--colormaps"}, 2},
    };
    for (const Case& c : cases) {
        const TCliRun run = runCli(c.args);
        EXPECT_EQ(run.exitCode, 0) << run.err.constData();
        EXPECT_EQ(framesIn(c.args[2]), c.frames);
    }
}

TEST(Cli, FailuresGiveTheMessageAndExitCodeOne)
{
    QTemporaryDir dir;
    const QString notGif = dir.filePath("note.gif");
    QFile file(notGif);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("this is not a picture");
    file.close();
    const TCliRun bad = runCli({"info", notGif});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.err.trimmed(), (notGif + ": Invalid GIF signature").toLocal8Bit());

    // A failed save leaves the existing target untouched.
    const QString sample = writeSample(dir);
    const QString target = dir.filePath("keep.gif");
    QFile keep(target);
    ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
    keep.write("old");
    keep.close();
    const TCliRun failed = runCli({"copy", notGif, target});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(testsupport::readFile(target), "old");
    const TCliRun missingFolder = runCli({"copy", sample, dir.filePath("no/such/folder/out.gif")});
    EXPECT_EQ(missingFolder.exitCode, 1);
    EXPECT_FALSE(missingFolder.err.isEmpty());

    EXPECT_EQ(runCli({"frobnicate"}).exitCode, 2);
    EXPECT_EQ(runCli({"optimize", sample, target, "--bogus"}).exitCode, 2);
}
