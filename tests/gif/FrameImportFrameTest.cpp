#include "gif/FrameImport.h"
#include "gif/GIFException.h"
#include "gif/GIFImage.h"
#include "graphics/Canvas.h"
#include "graphics/Exceptions.h"
#include "graphics/Icon.h"
#include "graphics/Metafile.h"
#include "graphics/Picture.h"
#include "graphics/Streams.h"

#include <gtest/gtest.h>

namespace {

QRgb rgbOf(TColor color)
{
    return qRgb(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

// An 8-bit bitmap of 16 x 16 pixels using each of 256 distinct palette colours once.
std::unique_ptr<TBitmap> fullPaletteBitmap()
{
    std::vector<TPaletteEntry> entries;
    for (int i = 0; i < 256; ++i)
        entries.push_back({uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0});
    auto bitmap = std::make_unique<TBitmap>(16, 16, pf8bit);
    bitmap->setPalette(createPalette(entries));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            bitmap->scanLine(y)[x] = uint8_t(y * 16 + x);
    return bitmap;
}

// A 24-bit picture: white background, a red square at (1,1)-(2,2), blue bottom-left pixel.
std::unique_ptr<TBitmap> squareBitmap()
{
    auto bitmap = std::make_unique<TBitmap>(4, 4, pf24bit);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            bitmap->setPixelRgb(x, y, qRgb(255, 255, 255));
    for (int y = 1; y < 3; ++y)
        for (int x = 1; x < 3; ++x)
            bitmap->setPixelRgb(x, y, qRgb(255, 0, 0));
    return bitmap;
}

int countGraphicControls(TGIFSubImage& frame)
{
    int count = 0;
    for (int i = 0; i < frame.extensions().count(); ++i)
        if (dynamic_cast<TGIFGraphicControlExtension*>(frame.extensions().extension(i)))
            ++count;
    return count;
}

QByteArray placeableMetafile(int width, int height)
{
    QByteArray data(22 + 18, '\0');
    auto put16 = [&](int at, int value) {
        data[at] = char(value & 0xFF);
        data[at + 1] = char((value >> 8) & 0xFF);
    };
    put16(0, 0xCDD7);
    put16(2, 0x9AC6);
    put16(10, width);
    put16(12, height);
    put16(14, 96);
    put16(22, 1);
    put16(24, 9);
    return data;
}

} // namespace

TEST(FrameImport, TransparentBitmapWithAFullPaletteStaysOpaque)
{
    TGIFImage image;
    auto bitmap = fullPaletteBitmap();
    bitmap->setTransparent(true);
    image.add(bitmap.get());
    TGIFSubImage* frame = image.images().subImage(0);
    EXPECT_FALSE(frame->transparent());
    EXPECT_EQ(countGraphicControls(*frame), 0);
    EXPECT_EQ(frame->colorMap().count(), 256);
}

TEST(FrameImport, AllZeroMaskLeavesTheFrameOpaqueWithoutTheExtraBlack)
{
    TGIFImage image;
    auto bitmap = squareBitmap();
    bitmap->setTransparent(true);
    bitmap->setMask(std::make_unique<TBitmap>(4, 4, pf1bit));
    image.setColorReduction(rmNone);
    image.add(bitmap.get());
    TGIFSubImage* frame = image.images().subImage(0);
    EXPECT_FALSE(frame->transparent());
    EXPECT_EQ(countGraphicControls(*frame), 0);
    ASSERT_EQ(frame->colorMap().count(), 2); // white and red, sorted by use; no black appended
    EXPECT_EQ(rgbOf(frame->colorMap().color(0)), qRgb(255, 255, 255));
    EXPECT_EQ(rgbOf(frame->colorMap().color(1)), qRgb(255, 0, 0));
}

TEST(FrameImport, MaskedPixelsBecomeTheAppendedTransparentBlack)
{
    TGIFImage image;
    image.setColorReduction(rmNone);
    auto bitmap = squareBitmap();
    bitmap->setTransparent(true); // the bottom-left colour (white) is transparent
    image.add(bitmap.get());
    TGIFSubImage* frame = image.images().subImage(0);
    ASSERT_TRUE(frame->transparent());
    EXPECT_EQ(countGraphicControls(*frame), 1);
    ASSERT_EQ(frame->colorMap().count(), 3);
    const int k = frame->transparentIndex();
    EXPECT_EQ(k, 2);
    EXPECT_EQ(rgbOf(frame->colorMap().color(k)), qRgb(0, 0, 0));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const bool square = x >= 1 && x <= 2 && y >= 1 && y <= 2;
            if (square)
                EXPECT_EQ(rgbOf(frame->colorMap().color(frame->pixel(x, y))), qRgb(255, 0, 0));
            else
                EXPECT_EQ(frame->pixel(x, y), k) << x << "," << y;
        }
}

TEST(FrameImport, TrueColourWithoutReductionAcceptsExactly256Colours)
{
    for (int colors : {256, 257}) {
        SCOPED_TRACE(colors);
        TGIFImage image;
        image.setColorReduction(rmNone);
        TBitmap bitmap(colors, 1, pf24bit);
        for (int x = 0; x < colors; ++x)
            bitmap.setPixelRgb(x, 0, qRgb(x % 256, x / 256, 1));
        if (colors == 256) {
            ASSERT_EQ(image.add(&bitmap), 0);
            TGIFSubImage* frame = image.images().subImage(0);
            ASSERT_EQ(frame->colorMap().count(), 256);
            for (int x = 0; x < colors; ++x)
                ASSERT_EQ(rgbOf(frame->colorMap().color(frame->pixel(x, 0))), qRgb(x % 256, x / 256, 1));
        } else {
            try {
                image.add(&bitmap);
                ADD_FAILURE() << "no error";
            } catch (const GIFException& e) {
                EXPECT_EQ(e.message(), QStringLiteral("Color table overflow"));
            }
            EXPECT_EQ(image.images().count(), 0);
        }
    }
}

TEST(FrameImport, CustomReductionWithoutAPaletteFailsForTrueColour)
{
    TGIFImage image;
    image.setColorReduction(rmPalette);
    auto bitmap = squareBitmap();
    EXPECT_THROW(image.add(bitmap.get()), GIFException);
    EXPECT_EQ(image.images().count(), 0);
    // An 8-bit picture needs no reduction.
    auto indexed = fullPaletteBitmap();
    EXPECT_EQ(image.add(indexed.get()), 0);
}

TEST(FrameImport, FormatsShowTheirColoursThroughTheFrameMap)
{
    for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf24bit, pf32bit}) {
        SCOPED_TRACE(int(format));
        TGIFImage image;
        image.setColorReduction(rmNone);
        auto bitmap = squareBitmap();
        bitmap->setPixelRgb(0, 3, qRgb(0, 0, 0));
        bitmap->setPixelFormat(format);
        image.add(bitmap.get());
        TGIFSubImage* frame = image.images().subImage(0);
        ASSERT_EQ(frame->width(), 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                ASSERT_EQ(rgbOf(frame->colorMap().color(frame->pixel(x, y))),
                          bitmap->pixelRgb(x, y) | 0xFF000000u)
                    << x << "," << y;
    }
}

TEST(FrameImport, ReportsConvertingProgressThroughTheImage)
{
    TGIFImage image;
    QStringList messages;
    std::vector<TProgressStage> stages;
    image.onProgress = [&](TObject*, TProgressStage stage, int, bool, const QRect&, const QString& message) {
        stages.push_back(stage);
        messages.append(message);
    };
    auto bitmap = squareBitmap();
    image.add(bitmap.get());
    ASSERT_GE(stages.size(), 2u);
    EXPECT_EQ(stages.front(), psStarting);
    EXPECT_EQ(stages.back(), psEnding);
    EXPECT_EQ(messages.front(), QStringLiteral("Converting..."));
}

TEST(FrameImport, IconsUseTheirOwnMask)
{
    QImage picture(3, 2, QImage::Format_ARGB32);
    picture.fill(qRgba(0, 0, 0, 0));
    picture.setPixel(1, 0, qRgba(0, 255, 0, 255));
    picture.setPixel(2, 1, qRgba(0, 0, 255, 255));
    TIcon icon;
    icon.setImage(picture);
    TGIFImage image;
    image.setColorReduction(rmNone);
    image.add(&icon);
    TGIFSubImage* frame = image.images().subImage(0);
    ASSERT_TRUE(frame->transparent());
    const int k = frame->transparentIndex();
    EXPECT_EQ(frame->pixel(0, 0), k);
    EXPECT_EQ(frame->pixel(0, 1), k);
    EXPECT_EQ(rgbOf(frame->colorMap().color(frame->pixel(1, 0))), qRgb(0, 255, 0));
    EXPECT_EQ(rgbOf(frame->colorMap().color(frame->pixel(2, 1))), qRgb(0, 0, 255));
}

TEST(FrameImport, MetafilesAreTransparentWhereTheBackgroundShows)
{
    TMetafile::setRasterizer({nullptr, [](const QByteArray&, const QSize& size) {
                                  QImage out(size, QImage::Format_ARGB32);
                                  out.fill(qRgba(0, 0, 0, 0));
                                  out.setPixel(1, 1, qRgba(255, 0, 0, 255));
                                  return out;
                              }});
    TMetafile metafile;
    TMemoryStream stream(placeableMetafile(3, 2));
    metafile.loadFromStream(stream);
    TGIFImage image;
    image.setColorReduction(rmNone);
    image.add(&metafile);
    TMetafile::setRasterizer({});
    TGIFSubImage* frame = image.images().subImage(0);
    ASSERT_EQ(frame->width(), 3);
    ASSERT_TRUE(frame->transparent());
    const int k = frame->transparentIndex();
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            if (x == 1 && y == 1)
                EXPECT_EQ(rgbOf(frame->colorMap().color(frame->pixel(x, y))), qRgb(255, 0, 0));
            else
                EXPECT_EQ(frame->pixel(x, y), k) << x << "," << y;
        }
}

TEST(FrameImport, PictureHoldersAndClipboardBitmapsImportTheirPicture)
{
    TPicture picture;
    picture.setGraphic(squareBitmap());
    TGIFImage image;
    image.setColorReduction(rmNone);
    TGIFSubImage frame(&image);
    frame.assign(&picture);
    ASSERT_EQ(frame.width(), 4);
    EXPECT_EQ(rgbOf(frame.colorMap().color(frame.pixel(1, 1))), qRgb(255, 0, 0));

    TPicture empty;
    frame.assign(&empty);
    EXPECT_TRUE(frame.empty());

    QString format;
    QByteArray data;
    squareBitmap()->saveToClipboardFormat(format, data);
    TGIFImage pasted;
    pasted.loadFromClipboardFormat(format, data);
    ASSERT_EQ(pasted.images().count(), 1);
    EXPECT_EQ(pasted.images().subImage(0)->width(), 4);
}
