#include "graphics/Canvas.h"
#include "graphics/Bitmap.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

const QRgb red = qRgb(255, 0, 0);
const QRgb green = qRgb(0, 255, 0);
const QRgb blue = qRgb(0, 0, 255);
const QRgb yellow = qRgb(255, 255, 0);
const QRgb grey = qRgb(128, 128, 128);

// A 2x2 bitmap: red, green / blue, yellow.
std::unique_ptr<TBitmap> quad(TPixelFormat format)
{
    auto bitmap = std::make_unique<TBitmap>(2, 2, pf24bit);
    bitmap->setPixelRgb(0, 0, red);
    bitmap->setPixelRgb(1, 0, green);
    bitmap->setPixelRgb(0, 1, blue);
    bitmap->setPixelRgb(1, 1, yellow);
    std::vector<TPaletteEntry> entries = {{255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}, {255, 255, 0, 0}};
    bitmap->setPalette(createPalette(entries));
    bitmap->setPixelFormat(format);
    return bitmap;
}

std::unique_ptr<TBitmap> filled(int width, int height, QRgb color)
{
    auto bitmap = std::make_unique<TBitmap>(width, height);
    bitmap->canvas().brush().color = rgbToColor(color);
    bitmap->canvas().fillRect(QRect(0, 0, width, height));
    return bitmap;
}

} // namespace

TEST(Canvas, StretchDrawScalesEachPixelIntoABlock)
{
    for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf15bit, pf24bit, pf32bit, pfDevice}) {
        SCOPED_TRACE(format);
        auto source = quad(format);
        auto target = filled(8, 6, grey);
        target->canvas().stretchDraw(QRect(1, 1, 6, 4), source.get());
        EXPECT_EQ(target->pixelRgb(0, 0), grey);
        EXPECT_EQ(target->pixelRgb(7, 5), grey);
        if (format == pf1bit)
            continue; // two colours only; the geometry is what is checked below
        for (int y = 1; y < 5; ++y)
            for (int x = 1; x < 7; ++x)
                ASSERT_EQ(target->pixelRgb(x, y), source->pixelRgb((x - 1) / 3, (y - 1) / 2))
                    << x << "," << y;
    }
}

TEST(Canvas, DrawPlacesAGraphicAtItsOwnSize)
{
    auto source = quad(pf24bit);
    auto target = filled(4, 4, grey);
    target->canvas().draw(2, 1, source.get());
    EXPECT_EQ(target->pixelRgb(2, 1), red);
    EXPECT_EQ(target->pixelRgb(3, 2), yellow);
    EXPECT_EQ(target->pixelRgb(1, 1), grey);
    EXPECT_EQ(target->pixelRgb(2, 3), grey);
}

TEST(Canvas, MaskBlitLeavesMaskedPixelsUnchanged)
{
    // The engine may have read a mask as 8-bit rows (which converts it) before drawing with it.
    for (TPixelFormat maskFormat : {pf1bit, pf8bit, pf24bit}) {
        SCOPED_TRACE(maskFormat);
        auto source = quad(pf8bit);
        TBitmap mask(2, 2, pf1bit);
        mask.scanLine(0)[0] = 0x40; // top-right hidden
        mask.scanLine(1)[0] = 0x80; // bottom-left hidden
        mask.setPixelFormat(maskFormat);
        auto target = filled(4, 4, grey);
        target->canvas().drawMasked(QRect(0, 0, 4, 4), *source, mask);
        const QRgb expected[4][4] = {{red, red, grey, grey},
                                     {red, red, grey, grey},
                                     {grey, grey, yellow, yellow},
                                     {grey, grey, yellow, yellow}};
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(target->pixelRgb(x, y), expected[y][x]) << x << "," << y;
    }
}

TEST(Canvas, TransparentBitmapDrawsThroughItsMask)
{
    auto source = quad(pf24bit);
    source->setTransparentColor(rgbToColor(green));
    source->setTransparent(true);
    auto target = filled(2, 2, grey);
    target->canvas().draw(0, 0, source.get());
    EXPECT_EQ(target->pixelRgb(0, 0), red);
    EXPECT_EQ(target->pixelRgb(1, 0), grey);
    EXPECT_EQ(target->pixelRgb(1, 1), yellow);
}

TEST(Canvas, CopyRectCopiesBetweenCanvasesAndWithinOne)
{
    auto source = quad(pf24bit);
    auto target = filled(4, 2, grey);
    target->canvas().copyRect(QRect(2, 0, 2, 2), source->canvas(), QRect(0, 0, 2, 2));
    EXPECT_EQ(target->pixelRgb(2, 0), red);
    EXPECT_EQ(target->pixelRgb(3, 1), yellow);
    EXPECT_EQ(target->pixelRgb(0, 0), grey);
    // Overlapping copy on one canvas reads the picture as it was before the copy.
    target->canvas().copyRect(QRect(1, 0, 2, 2), target->canvas(), QRect(2, 0, 2, 2));
    EXPECT_EQ(target->pixelRgb(1, 0), red);
    EXPECT_EQ(target->pixelRgb(2, 0), green);
    EXPECT_EQ(target->pixelRgb(3, 0), green);

    // From a canvas over a plain QImage.
    QImage image(2, 2, QImage::Format_RGB32);
    image.fill(blue);
    TCanvas imageCanvas(&image);
    target->canvas().copyRect(QRect(0, 0, 1, 1), imageCanvas, QRect(1, 1, 1, 1));
    EXPECT_EQ(target->pixelRgb(0, 0), blue);
}

TEST(Canvas, XorCopyModeCombinesPictures)
{
    auto white = filled(2, 1, qRgb(255, 255, 255));
    auto black = filled(2, 1, qRgb(0, 0, 0));
    auto picture = quad(pf24bit);
    white->canvas().draw(0, 0, picture.get());
    black->canvas().draw(0, 0, picture.get());
    black->canvas().setCopyMode(cmSrcInvert);
    black->canvas().draw(0, 0, white.get());
    EXPECT_EQ(black->pixelRgb(0, 0), qRgb(0, 0, 0)) << "opaque pixels cancel out";
}

TEST(Canvas, FillRectangleAndPixels)
{
    TBitmap bitmap(5, 5, pf8bit);
    TCanvas& canvas = bitmap.canvas();
    canvas.brush().color = clRed;
    canvas.pen().color = clBlue;
    canvas.rectangle(QRect(0, 0, 5, 5));
    EXPECT_EQ(canvas.pixel(0, 0), clBlue);
    EXPECT_EQ(canvas.pixel(4, 4), clBlue);
    EXPECT_EQ(canvas.pixel(2, 2), clRed);
    canvas.setPixel(2, 2, clLime);
    EXPECT_EQ(canvas.pixel(2, 2), clLime);
    EXPECT_EQ(canvas.pixel(5, 0), clNone);
    canvas.brush().style = bsClear;
    canvas.fillRect(QRect(0, 0, 5, 5));
    EXPECT_EQ(canvas.pixel(2, 2), clLime);
}

TEST(Canvas, HandleStaysValidUntilTheCanvasOrItsDeviceGoes)
{
    auto bitmap = std::make_unique<TBitmap>(2, 2);
    const HDC handle = bitmap->canvas().handle();
    EXPECT_TRUE(TCanvas::isValidHandle(handle));
    bitmap->setSize(3, 3);
    EXPECT_TRUE(TCanvas::isValidHandle(handle));
    bitmap.reset();
    EXPECT_FALSE(TCanvas::isValidHandle(handle));

    QImage image(2, 2, QImage::Format_RGB32);
    TCanvas canvas(&image);
    const HDC imageHandle = canvas.handle();
    EXPECT_TRUE(canvas.handleAllocated());
    canvas.releaseHandle();
    EXPECT_FALSE(TCanvas::isValidHandle(imageHandle));
    EXPECT_FALSE(canvas.handleAllocated());
    canvas.fillRect(QRect(0, 0, 2, 2)); // goes nowhere, does not crash
    EXPECT_FALSE(TCanvas::isValidHandle(0));
}

TEST(Canvas, DrawsThroughAnActivePainter)
{
    QImage image(3, 3, QImage::Format_RGB32);
    image.fill(grey);
    {
        QPainter painter(&image);
        TCanvas canvas(&painter);
        auto source = quad(pf8bit);
        canvas.stretchDraw(QRect(0, 0, 1, 1), source.get());
        canvas.brush().color = clBlue;
        canvas.fillRect(QRect(2, 2, 1, 1));
    }
    EXPECT_EQ(image.pixel(0, 0), red);
    EXPECT_EQ(image.pixel(2, 2), blue);
    EXPECT_EQ(image.pixel(1, 1), grey);
}
