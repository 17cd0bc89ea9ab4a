#include "graphics/Bitmap.h"
#include "graphics/Canvas.h"
#include "graphics/Exceptions.h"

#include <gtest/gtest.h>

namespace {

HPALETTE palette(std::initializer_list<QRgb> colors)
{
    std::vector<TPaletteEntry> entries;
    for (QRgb c : colors)
        entries.push_back({uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c)), 0});
    return createPalette(entries);
}

const QRgb red = qRgb(255, 0, 0);
const QRgb green = qRgb(0, 255, 0);
const QRgb blue = qRgb(0, 0, 255);
const QRgb white = qRgb(255, 255, 255);
const QRgb black = qRgb(0, 0, 0);

} // namespace

TEST(Bitmap, OneBitRowsPackTheLeftmostPixelIntoTheHighBit)
{
    TBitmap bitmap;
    bitmap.setMonochrome(true);
    bitmap.setSize(9, 1);
    EXPECT_EQ(bitmap.bytesPerScanLine(), 4);
    bitmap.setPixelRgb(0, 0, white);
    bitmap.setPixelRgb(8, 0, white);
    const uint8_t* row = bitmap.scanLine(0);
    EXPECT_EQ(row[0], 0x80);
    EXPECT_EQ(row[1], 0x80);
    bitmap.scanLine(0)[1] = 0x00;
    EXPECT_EQ(bitmap.pixelRgb(8, 0), black);
}

TEST(Bitmap, FourBitRowsPackTheLeftPixelIntoTheHighNibble)
{
    for (int width : {1, 2, 3, 8, 9}) {
        SCOPED_TRACE(width);
        TBitmap bitmap;
        bitmap.setPixelFormat(pf4bit);
        bitmap.setSize(width, 1);
        EXPECT_EQ(bitmap.bytesPerScanLine(), ((width * 4 + 31) / 32) * 4);
        for (int x = 0; x < width; ++x)
            bitmap.setPixelRgb(x, 0, x % 2 ? red : blue); // standard colours 9 and 12
        const uint8_t* row = bitmap.scanLine(0);
        for (int x = 0; x < width; ++x)
            EXPECT_EQ(x % 2 ? row[x / 2] & 0x0F : row[x / 2] >> 4, x % 2 ? 9 : 12) << "pixel " << x;
    }
}

TEST(Bitmap, ScanLineOutsideTheBitmapIsRefused)
{
    TBitmap bitmap(4, 3, pf8bit);
    for (int y : {-1, 3, 1000}) {
        try {
            bitmap.scanLine(y);
            FAIL() << "row " << y;
        } catch (const EInvalidGraphicOperation& error) {
            EXPECT_EQ(error.message(), QStringLiteral("Scan line index out of range"));
        }
    }
    TBitmap empty;
    EXPECT_THROW(empty.scanLine(0), EInvalidGraphicOperation);
}

TEST(Bitmap, ConversionsToMoreColoursAreExactAndBackKeepsIndexes)
{
    const HPALETTE colors = palette({black, red, green, blue, qRgb(12, 34, 56), white});
    const TPixelFormat wider[] = {pf24bit, pf32bit, pfDevice, pf8bit};
    for (TPixelFormat format : wider) {
        SCOPED_TRACE(format);
        TBitmap bitmap;
        bitmap.setPixelFormat(pf4bit);
        bitmap.setPalette(colors);
        bitmap.setSize(6, 2);
        for (int x = 0; x < 6; ++x)
            bitmap.scanLine(1)[x / 2] |= uint8_t(x % 2 ? x : x << 4);
        bitmap.setPixelFormat(format);
        EXPECT_EQ(bitmap.pixelFormat(), format);
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(bitmap.pixelRgb(x, 1) | 0xFF000000u,
                      qRgb(colors->entries[size_t(x)].red, colors->entries[size_t(x)].green,
                           colors->entries[size_t(x)].blue));
        bitmap.setPixelFormat(pf4bit);
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(x % 2 ? bitmap.scanLine(1)[x / 2] & 0x0F : bitmap.scanLine(1)[x / 2] >> 4, x);
    }
}

TEST(Bitmap, FewerColoursTakeTheNearestPaletteColour)
{
    TBitmap bitmap(3, 1, pf24bit);
    bitmap.setPixelRgb(0, 0, qRgb(250, 10, 10));
    bitmap.setPixelRgb(1, 0, qRgb(10, 10, 240));
    bitmap.setPixelRgb(2, 0, qRgb(200, 200, 200));
    bitmap.setPalette(palette({black, red, blue, white}));
    bitmap.setPixelFormat(pf8bit);
    const uint8_t* row = bitmap.scanLine(0);
    EXPECT_EQ(row[0], 1);
    EXPECT_EQ(row[1], 2);
    EXPECT_EQ(row[2], 3);
    EXPECT_EQ(bitmap.palette()->entries.size(), 4u) << "the palette is the colour table";

    // 15 and 16 bits keep the top bits of each channel.
    bitmap.setPixelFormat(pf15bit);
    EXPECT_EQ(bitmap.pixelRgb(0, 0), red);
    bitmap.setPixelRgb(2, 0, qRgb(0x87, 0x43, 0x21));
    bitmap.setPixelFormat(pf16bit);
    EXPECT_EQ(bitmap.pixelRgb(2, 0), qRgb(0x84, 0x41, 0x21));
}

TEST(Bitmap, IndexedBitmapWithoutPaletteGetsADefaultTable)
{
    TBitmap bitmap(2, 1, pf8bit);
    ASSERT_TRUE(bitmap.palette());
    EXPECT_EQ(bitmap.palette()->entries.size(), 256u);
    TBitmap mono(2, 1, pf1bit);
    EXPECT_TRUE(mono.monochrome());
}

TEST(Bitmap, ResizingKeepsTheTopLeftPictureAndZeroesNewPixels)
{
    TBitmap bitmap(2, 2, pf24bit);
    bitmap.setPixelRgb(1, 1, red);
    bitmap.setSize(3, 3);
    EXPECT_EQ(bitmap.pixelRgb(1, 1), red);
    EXPECT_EQ(bitmap.pixelRgb(2, 2), black);
    bitmap.setWidth(1);
    EXPECT_EQ(bitmap.width(), 1);
    EXPECT_EQ(bitmap.height(), 3);
}

TEST(Bitmap, HugeSizesRaiseOutOfMemoryAndKeepTheBitmap)
{
    TBitmap bitmap(5, 5, pf32bit);
    EXPECT_THROW(bitmap.setSize(65535, 65535), EOutOfMemory);
    EXPECT_EQ(bitmap.width(), 5);
    EXPECT_THROW(bitmap.setPixelFormat(pfCustom), EInvalidGraphic);
    EXPECT_EQ(bitmap.pixelFormat(), pf32bit);
}

TEST(Bitmap, CanvasDrawingOnAnIndexedBitmapKeepsFormatPaletteAndUntouchedIndexes)
{
    // Index 3 repeats the colour of index 0: pixels the canvas does not touch must keep it.
    const HPALETTE colors = palette({black, red, green, black});
    TBitmap bitmap;
    bitmap.setPixelFormat(pf8bit);
    bitmap.setPalette(colors);
    bitmap.setSize(4, 1);
    std::fill_n(bitmap.scanLine(0), 4, uint8_t(3));
    bitmap.canvas().brush().color = rgbToColor(qRgb(0, 250, 0));
    bitmap.canvas().fillRect(QRect(0, 0, 2, 1));
    EXPECT_EQ(bitmap.pixelFormat(), pf8bit);
    EXPECT_EQ(bitmap.palette(), colors);
    const uint8_t* row = bitmap.scanLine(0);
    EXPECT_EQ(row[0], 2) << "nearest colour";
    EXPECT_EQ(row[1], 2);
    EXPECT_EQ(row[2], 3);
    EXPECT_EQ(row[3], 3);
}

TEST(Bitmap, MaskMarksTheTransparentColourAndFollowsPixelChanges)
{
    TBitmap bitmap(3, 2, pf24bit);
    bitmap.setPixelRgb(0, 1, blue); // bottom-left: the automatic transparent colour
    bitmap.setPixelRgb(2, 0, blue);
    TBitmap* mask = bitmap.mask();
    ASSERT_TRUE(mask);
    EXPECT_EQ(mask->pixelFormat(), pf1bit);
    EXPECT_EQ(mask->scanLine(0)[0], 0x20);
    EXPECT_EQ(mask->scanLine(1)[0], 0x80);

    bitmap.setTransparentColor(clBlack);
    EXPECT_EQ(bitmap.transparentMode(), tmFixed);
    EXPECT_EQ(bitmap.mask()->scanLine(0)[0], 0xC0);
    bitmap.scanLine(0)[0] = 0xFF;
    EXPECT_EQ(bitmap.mask()->scanLine(0)[0], 0x40) << "rebuilt after the pixels changed";

    auto explicitMask = std::make_unique<TBitmap>(3, 2, pf1bit);
    explicitMask->scanLine(1)[0] = 0x20;
    bitmap.setMask(std::move(explicitMask));
    EXPECT_EQ(bitmap.mask()->scanLine(0)[0], 0x00);
    EXPECT_EQ(bitmap.mask()->scanLine(1)[0], 0x20);
    EXPECT_THROW(bitmap.setMask(std::make_unique<TBitmap>(2, 2, pf1bit)), EInvalidGraphic);
}

TEST(Bitmap, ImagesConvertBothWays)
{
    QImage indexed(3, 1, QImage::Format_Indexed8);
    indexed.setColorTable({red, green, blue});
    indexed.setPixel(0, 0, 2);
    indexed.setPixel(1, 0, 0);
    indexed.setPixel(2, 0, 1);
    TBitmap bitmap;
    bitmap.fromImage(indexed);
    EXPECT_EQ(bitmap.pixelFormat(), pf8bit);
    EXPECT_EQ(bitmap.scanLine(0)[0], 2);
    EXPECT_EQ(bitmap.toImage().pixel(0, 0), blue);
    EXPECT_EQ(bitmap.toImage().format(), QImage::Format_Indexed8);

    QImage alpha(2, 1, QImage::Format_ARGB32);
    alpha.setPixel(0, 0, qRgba(1, 2, 3, 0));
    alpha.setPixel(1, 0, qRgba(4, 5, 6, 255));
    bitmap.fromImage(alpha);
    EXPECT_EQ(bitmap.pixelFormat(), pf32bit);
    EXPECT_EQ(bitmap.toImage().pixel(0, 0), qRgba(1, 2, 3, 0));

    QImage opaque(2, 1, QImage::Format_RGB32);
    opaque.fill(green);
    bitmap.fromImage(opaque);
    EXPECT_EQ(bitmap.pixelFormat(), pf24bit);
    EXPECT_EQ(bitmap.toImage().pixel(1, 0), green);
}

TEST(Bitmap, AssignCopiesDeeplyAndDrawsOtherGraphics)
{
    TBitmap source(2, 2, pf8bit);
    source.scanLine(0)[1] = 7;
    source.setTransparent(true);
    TBitmap copy;
    copy.assign(&source);
    source.scanLine(0)[1] = 9;
    EXPECT_EQ(copy.pixelFormat(), pf8bit);
    EXPECT_EQ(copy.scanLine(0)[1], 7);
    EXPECT_TRUE(copy.transparent());
    EXPECT_FALSE(copy.equals(&source));
    copy.assign(nullptr);
    EXPECT_TRUE(copy.empty());
}

TEST(Bitmap, ChangesFireTheChangeEvent)
{
    TBitmap bitmap(2, 2, pf24bit);
    int changes = 0;
    bitmap.onChange = [&](TObject*) {
        ++changes;
    };
    bitmap.canvas().fillRect(QRect(0, 0, 1, 1));
    bitmap.setPixelFormat(pf8bit);
    bitmap.setSize(3, 3);
    EXPECT_EQ(changes, 3);
}

TEST(Bitmap, ClipboardCarriesACompleteBitmapFile)
{
    TBitmap source(3, 2, pf4bit);
    source.setPixelRgb(2, 1, red);
    QString format;
    QByteArray data;
    source.saveToClipboardFormat(format, data);
    EXPECT_EQ(format, QStringLiteral("image/bmp"));
    EXPECT_TRUE(data.startsWith("BM"));
    TBitmap target;
    target.loadFromClipboardFormat(format, data);
    EXPECT_EQ(target.pixelFormat(), pf4bit);
    EXPECT_EQ(target.pixelRgb(2, 1), red);
    EXPECT_THROW(target.loadFromClipboardFormat(QStringLiteral("text/plain"), data), EInvalidGraphic);
}

TEST(Bitmap, TextOutPaintsInTheFontColourOverTheBrush)
{
    TBitmap bitmap(40, 30, pf8bit);
    TCanvas& canvas = bitmap.canvas();
    if (canvas.textWidth(QStringLiteral("W")) <= 0)
        GTEST_SKIP() << "no fonts on this machine";
    canvas.brush().color = clWhite;
    canvas.setFontColor(clBlack);
    canvas.textOut(2, 2, QStringLiteral("W"));
    int dark = 0;
    int light = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            (qGray(bitmap.pixelRgb(x, y)) < 128 ? dark : light)++;
    EXPECT_GT(dark, 0);
    EXPECT_GT(light, 0) << "the brush paints the text's background";
    EXPECT_EQ(bitmap.pixelFormat(), pf8bit);
}
