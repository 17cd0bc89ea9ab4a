// reelwright-cli frames: each frame's own rendering, the composed screens as browsers show them
// (transparent screen) and as the editor's painter shows them (background colour), as numbered
// PNG or BMP files.
#include "gif/GIFImage.h"
#include "cli/CliRunner.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

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
    const TCliRun composed = runCli({"frames", gif, dir.filePath("composed"), "--composed", "--background"});
    ASSERT_EQ(composed.exitCode, 0) << qPrintable(composed.output());
    out = composed.out;
    EXPECT_TRUE(out.contains("4 frames written")) << out.constData();
    for (int n = 0; n < 4; ++n) {
        const QImage shown(
            dir.filePath(QStringLiteral("composed/frame-%1.png").arg(n, 3, 10, QLatin1Char('0'))));
        const QImage expected(suiteFile("gif-test-suite/gifs/frames/animated_loop-") + QString::number(n) +
                              ".png");
        ASSERT_FALSE(shown.isNull());
        EXPECT_EQ(differingPixels(shown, expected), 0) << n;
    }
    ASSERT_EQ(runCli({"frames", gif, dir.filePath("plain"), "--bmp"}).exitCode, 0);
    EXPECT_EQ(QDir(dir.filePath("plain")).entryList({"frame-*.bmp"}, QDir::Files).size(), 4);
}

// A frame that leaves part of the screen uncovered and then restores to background: browsers
// show transparency there, the editor the background colour.
TEST(CliFrames, ComposedIsTransparentWhereNothingIsDrawnAndBackgroundFillsIt)
{
    QTemporaryDir dir;
    const QString gif = dir.filePath("two.gif");
    {
        // 4x2 screen, global map red, blue (background index 1); frame 0 covers the left half and
        // restores to background, frame 1 covers the right half.
        TGIFImage image;
        image.header().setWidth(4);
        image.header().setHeight(2);
        image.globalColorMap().add(rgbColor(255, 0, 0));
        image.globalColorMap().add(rgbColor(0, 0, 255));
        image.header().setBackgroundColorIndex(1);
        for (int f = 0; f < 2; ++f) {
            auto* frame = new TGIFSubImage(&image);
            image.images().add(frame);
            frame->setBounds(2 * f, 0, 2, 2);
            frame->setData(std::vector<uint8_t>(4, uint8_t(f)));
            auto* control = new TGIFGraphicControlExtension(frame);
            control->setDelay(10);
            control->setDisposal(f == 0 ? 2 : 1);
            frame->extensions().add(control);
        }
        image.saveToFile(gif);
    }
    ASSERT_EQ(runCli({"frames", gif, dir.filePath("web"), "--composed"}).exitCode, 0);
    ASSERT_EQ(runCli({"frames", gif, dir.filePath("editor"), "--composed", "--background"}).exitCode, 0);
    const QImage web0(dir.filePath("web/frame-000.png"));
    const QImage web1(dir.filePath("web/frame-001.png"));
    const QImage editor1(dir.filePath("editor/frame-001.png"));
    ASSERT_FALSE(web0.isNull());
    ASSERT_FALSE(web1.isNull());
    ASSERT_FALSE(editor1.isNull());
    EXPECT_EQ(web0.pixel(0, 0), 0xFFFF0000u);     // frame 0 drawn
    EXPECT_EQ(qAlpha(web0.pixel(3, 0)), 0);       // nothing there yet: transparent
    EXPECT_EQ(qAlpha(web1.pixel(0, 0)), 0);       // cleared to transparent
    EXPECT_EQ(web1.pixel(3, 1), 0xFF0000FFu);     // frame 1 drawn
    EXPECT_EQ(editor1.pixel(0, 0) | 0xFF000000u, 0xFF0000FFu); // background colour (blue)
}

TEST(CliFrames, BadArgumentsAndFilesFailCleanly)
{
    QTemporaryDir dir;
    EXPECT_EQ(runCli({"frames", suiteFile("gif-test-suite/gifs/animated_loop.gif")}).exitCode, 2);
    EXPECT_EQ(runCli({"frames", "a.gif", dir.path(), "--what"}).exitCode, 2);
    EXPECT_EQ(runCli({"frames", "a.gif", dir.path(), "--background"}).exitCode, 2); // only with --composed
    EXPECT_EQ(runCli({"frames", dir.filePath("missing.gif"), dir.filePath("out")}).exitCode, 1);
    EXPECT_FALSE(QDir(dir.filePath("out")).exists() && !QDir(dir.filePath("out")).isEmpty());
}

} // namespace
