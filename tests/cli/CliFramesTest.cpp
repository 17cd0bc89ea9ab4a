// reelwright-cli frames: each frame's own rendering, and the composed screens the editor's
// painter shows, as numbered PNG or BMP files.
#include "support/TestSupport.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

int runCli(const QStringList& args, QByteArray* out = nullptr)
{
    QProcess process;
    process.start(QDir(testsupport::binDir()).filePath("reelwright-cli"), args);
    process.waitForFinished(60000);
    if (out)
        *out = process.readAllStandardOutput();
    return process.exitCode();
}

int differingPixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return -1;
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += (a.pixel(x, y) | 0xFF000000u) != (b.pixel(x, y) | 0xFF000000u);
    return count;
}

QString suiteFile(const char* name)
{
    return testsupport::sharedTestData(QStringLiteral("gif/conformance/") + QLatin1String(name));
}

TEST(CliFrames, ComposedFramesMatchTheSuiteAndPlainFramesAreTheFramesOwn)
{
    REQUIRE_SHARED_TESTDATA();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString gif = suiteFile("gif-test-suite/gifs/animated_loop.gif");
    QByteArray out;
    ASSERT_EQ(runCli({"frames", gif, dir.filePath("composed"), "--composed"}, &out), 0);
    EXPECT_TRUE(out.contains("4 frames written")) << out.constData();
    for (int n = 0; n < 4; ++n) {
        const QImage shown(
            dir.filePath(QStringLiteral("composed/frame-%1.png").arg(n, 3, 10, QLatin1Char('0'))));
        const QImage expected(suiteFile("gif-test-suite/gifs/frames/animated_loop-") + QString::number(n) +
                              ".png");
        ASSERT_FALSE(shown.isNull());
        EXPECT_EQ(differingPixels(shown, expected), 0) << n;
    }
    ASSERT_EQ(runCli({"frames", gif, dir.filePath("plain"), "--bmp"}), 0);
    EXPECT_EQ(QDir(dir.filePath("plain")).entryList({"frame-*.bmp"}, QDir::Files).size(), 4);
}

TEST(CliFrames, BadArgumentsAndFilesFailCleanly)
{
    QTemporaryDir dir;
    EXPECT_EQ(runCli({"frames", suiteFile("gif-test-suite/gifs/animated_loop.gif")}), 2);
    EXPECT_EQ(runCli({"frames", "a.gif", dir.path(), "--what"}), 2);
    EXPECT_EQ(runCli({"frames", dir.filePath("missing.gif"), dir.filePath("out")}), 1);
    EXPECT_FALSE(QDir(dir.filePath("out")).exists() && !QDir(dir.filePath("out")).isEmpty());
}

} // namespace
