#include "gif/GIFImage.h"
#include "graphics/Bitmap.h"
#include "graphics/Streams.h"
#include "cli/CliRunner.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A 40 x 30 gradient in 24 bits: far more than 256 colours.
QImage gradient()
{
    QImage image(40, 30, QImage::Format_RGB32);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            image.setPixel(x, y, qRgb(x * 6, y * 8, (x + y) * 3));
    return image;
}

QString writeBmp(const QString& path)
{
    TBitmap bitmap;
    bitmap.fromImage(gradient());
    TMemoryStream stream;
    bitmap.saveToStream(stream);
    stream.saveToFile(path);
    return path;
}

} // namespace

TEST(CliReduce, BmpToEightBitPngWithTheWebPalette)
{
    QTemporaryDir dir;
    const QString in = writeBmp(dir.filePath("in.bmp"));
    const QString out = dir.filePath("out.png");
    const TCliRun run = runCli({"reduce", in, out, "--method", "6", "--dither", "1"});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.output());
    QImage result(out);
    ASSERT_FALSE(result.isNull());
    EXPECT_EQ(result.size(), QSize(40, 30));
    EXPECT_EQ(result.format(), QImage::Format_Indexed8);
    EXPECT_LE(result.colorCount(), 216);
    for (QRgb c : result.colorTable()) {
        EXPECT_EQ(qRed(c) % 51, 0);
        EXPECT_EQ(qGreen(c) % 51, 0);
        EXPECT_EQ(qBlue(c) % 51, 0);
    }
}

TEST(CliReduce, PngThroughTheImagingControlToAnEightBitBmp)
{
    QTemporaryDir dir;
    const QString in = dir.filePath("in.png");
    ASSERT_TRUE(gradient().save(in));
    const QString out = dir.filePath("out.bmp");
    const TCliRun run = runCli({"reduce", in, out, "--method", "7", "--bits", "4"});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.output());
    TBitmap result;
    TMemoryStream stream;
    stream.loadFromFile(out);
    result.loadFromStream(stream);
    EXPECT_EQ(result.width(), 40);
    EXPECT_EQ(result.pixelFormat(), pf8bit);
    QSet<QRgb> used;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            used.insert(result.pixelRgb(x, y));
    EXPECT_LE(used.size(), 16);
    EXPECT_GE(used.size(), 2);
}

TEST(CliReduce, GifFirstFrameToGreys)
{
    // Three colours in a GIF written by the engine; reduction 5 without dithering maps each to
    // the grey (77 r + 150 g + 29 b) >> 8.
    const QRgb colors[] = {qRgb(200, 10, 10), qRgb(10, 200, 10), qRgb(30, 30, 220)};
    TBitmap bitmap(6, 2, pf24bit);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 6; ++x)
            bitmap.setPixelRgb(x, y, colors[(x + y) % 3]);
    TGIFImage image;
    image.setColorReduction(0);
    image.add(&bitmap);
    QTemporaryDir dir;
    const QString in = dir.filePath("in.gif");
    TMemoryStream stream;
    image.saveToStream(stream);
    stream.saveToFile(in);

    const QString out = dir.filePath("out.bmp");
    const TCliRun run = runCli({"reduce", in, out, "--method", "5"});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.output());
    TBitmap result;
    TMemoryStream written;
    written.loadFromFile(out);
    result.loadFromStream(written);
    ASSERT_EQ(result.width(), 6);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 6; ++x) {
            const QRgb c = colors[(x + y) % 3];
            const int grey = (77 * qRed(c) + 150 * qGreen(c) + 29 * qBlue(c)) >> 8;
            EXPECT_EQ(result.pixelRgb(x, y), qRgb(grey, grey, grey)) << x << "," << y;
        }
}

TEST(CliReduce, RefusesWhatItCannotDoWithoutWritingTheOutput)
{
    QTemporaryDir dir;
    const QString in = writeBmp(dir.filePath("in.bmp"));
    const QString out = dir.filePath("out.bmp");
    struct Case
    {
        QStringList args;
        int exitCode;
    };
    const Case cases[] = {
        {{"reduce", in, out, "--method", "9"}, 1},         // custom palette: none on the command line
        {{"reduce", in, out, "--dither", "7"}, 1},         // no such ditherer
        {{"reduce", in, dir.filePath("out.jpg")}, 2},      // unknown output type
        {{"reduce", in, out, "--method", "x"}, 2},         // not a number
        {{"reduce", dir.filePath("missing.bmp"), out}, 1}, // no input
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qPrintable(c.args.join(' ')));
        const TCliRun run = runCli(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << qPrintable(run.output());
        EXPECT_FALSE(QFile::exists(out));
    }
}
