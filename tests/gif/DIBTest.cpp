#include "gif/GIFDIB.h"
#include "gif/GIFException.h"
#include "graphics/Exceptions.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

HPALETTE paletteOf(std::initializer_list<QRgb> colors)
{
    std::vector<TPaletteEntry> entries;
    for (QRgb c : colors)
        entries.push_back({uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c)), 0});
    return createPalette(entries);
}

std::vector<uint8_t> bytes(const QByteArray& data, int from, int count)
{
    return std::vector<uint8_t>(data.begin() + from, data.begin() + from + count);
}

template <typename Call> QString gifError(Call&& call)
{
    try {
        call();
    } catch (const GIFException& e) {
        return e.message();
    }
    return QStringLiteral("(no GIFException)");
}

} // namespace

TEST(DIBWriter, EightBitHeaderIsTheExactInformationHeaderAndA256EntryTable)
{
    TBitmap target;
    TDIBWriter writer(&target, paletteOf({qRgb(1, 2, 3), qRgb(255, 128, 0)}), 2, 3, pf8bit);
    const QByteArray& header = writer.header();
    ASSERT_EQ(header.size(), 1064);
    const std::vector<uint8_t> golden = {
        40, 0, 0, 0, // header size
        3,  0, 0, 0, // width
        2,  0, 0, 0, // height (positive: bottom-up)
        1,  0,       // planes
        8,  0,       // bits per pixel
        0,  0, 0, 0, // compression
        0,  0, 0, 0, // image size
        0,  0, 0, 0, // horizontal resolution
        0,  0, 0, 0, // vertical resolution
        0,  1, 0, 0, // colours used: 256
        2,  0, 0, 0, // important colours: the palette's entries
    };
    EXPECT_EQ(bytes(header, 0, 40), golden);
    EXPECT_EQ(bytes(header, 40, 12), (std::vector<uint8_t>{3, 2, 1, 0, 0, 128, 255, 0, 0, 0, 0, 0}));
    EXPECT_EQ(bytes(header, 1060, 4), (std::vector<uint8_t>{0, 0, 0, 0}));
    EXPECT_EQ(writer.rowSize(), 4);
    EXPECT_EQ(writer.pixelSize(), 8);
}

TEST(DIBWriter, TwentyFourBitHeaderHasNoTableAndNoColourCounts)
{
    TBitmap target;
    TDIBWriter writer(&target, paletteOf({qRgb(1, 2, 3)}), 1, 5, pf24bit);
    const std::vector<uint8_t> golden = {40, 0, 0, 0, 5, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0,
                                         0,  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0, 0};
    ASSERT_EQ(writer.header().size(), 40);
    EXPECT_EQ(bytes(writer.header(), 0, 40), golden);
    EXPECT_EQ(writer.rowSize(), 16); // 15 bytes padded to 4
}

TEST(DIBWriter, EightBitWithoutPaletteCountsNoImportantColours)
{
    TBitmap target;
    TDIBWriter writer(&target, nullptr, 1, 1, pf8bit);
    EXPECT_EQ(bytes(writer.header(), 36, 4), (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST(DIBWriter, RowZeroIsTheTopRowOfTheLoadedBitmap)
{
    for (int height : {3, -3}) {
        SCOPED_TRACE(height);
        TBitmap target;
        const HPALETTE palette =
            paletteOf({qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)});
        {
            TDIBWriter writer(&target, palette, height, 2, pf8bit);
            for (int y = 0; y < 3; ++y) {
                writer.row(y)[0] = uint8_t(y + 1);
                writer.row(y)[1] = uint8_t(y);
            }
        }
        ASSERT_EQ(target.width(), 2);
        ASSERT_EQ(target.height(), 3);
        EXPECT_EQ(target.pixelFormat(), pf8bit);
        ASSERT_TRUE(target.palette());
        EXPECT_EQ(target.palette()->entries.size(), 256u);
        EXPECT_EQ(target.pixelRgb(0, 0), qRgb(255, 0, 0));
        EXPECT_EQ(target.pixelRgb(0, 2), qRgb(0, 0, 255));
        EXPECT_EQ(target.pixelRgb(1, 0), qRgb(0, 0, 0));
        EXPECT_EQ(target.scanLine(1)[0], 2);
    }
}

TEST(DIBWriter, TwentyFourBitRowsAreBlueGreenRed)
{
    TBitmap target;
    TDIBWriter writer(&target, nullptr, 2, 1, pf24bit);
    uint8_t* top = writer.row(0);
    top[0] = 10, top[1] = 20, top[2] = 30;
    writer.finish();
    EXPECT_EQ(target.pixelFormat(), pf24bit);
    EXPECT_EQ(target.pixelRgb(0, 0), qRgb(30, 20, 10));
    EXPECT_EQ(target.pixelRgb(0, 1), qRgb(0, 0, 0));
}

TEST(DIBWriter, RefusesFormatsSizesAndRowsItCannotServe)
{
    TBitmap target;
    struct Case
    {
        TPixelFormat format;
        int width;
        int height;
        const char* message;
    };
    const Case cases[] = {
        {pf4bit, 4, 4, "Unsupported PixelFormat"},   {pf1bit, 4, 4, "Unsupported PixelFormat"},
        {pf32bit, 4, 4, "Unsupported PixelFormat"},  {pfDevice, 4, 4, "Unsupported PixelFormat"},
        {pf8bit, 0, 4, "Invalid image dimensions"},  {pf24bit, 4, 0, "Invalid image dimensions"},
        {pf8bit, -2, 4, "Invalid image dimensions"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(gifError([&] { TDIBWriter(&target, nullptr, c.height, c.width, c.format); }),
                  QString::fromLatin1(c.message));
    }
    EXPECT_TRUE(target.empty());

    TDIBWriter writer(&target, nullptr, 2, 2, pf8bit);
    EXPECT_THROW(writer.row(-1), EInvalidGraphicOperation);
    EXPECT_THROW(writer.row(2), EInvalidGraphicOperation);
    EXPECT_NO_THROW(writer.row(1));
}

TEST(DIBWriter, FinishWithoutRowsLoadsABlankPictureOnce)
{
    TBitmap target;
    TDIBWriter writer(&target, nullptr, 2, 3, pf24bit);
    writer.finish();
    ASSERT_EQ(target.width(), 3);
    EXPECT_EQ(target.pixelRgb(2, 1), qRgb(0, 0, 0));
    target.setPixelRgb(0, 0, qRgb(9, 9, 9));
    writer.finish(); // already loaded: the bitmap's later changes stay
    EXPECT_EQ(target.pixelRgb(0, 0), qRgb(9, 9, 9));
}

TEST(DIBSizes, HeaderAndPixelSizesFollowTheFormat)
{
    TBitmap bitmap(9, 3, pf24bit);
    struct Case
    {
        TPixelFormat format;
        int headerSize;
        int64_t pixelSize;
    };
    const Case cases[] = {
        {pf1bit, 48, 4 * 3}, {pf4bit, 104, 8 * 3}, {pf8bit, 1064, 12 * 3}, {pf24bit, 40, 28 * 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.format));
        const TDIBSizes sizes = dibSizes(&bitmap, c.format);
        EXPECT_EQ(sizes.headerSize, c.headerSize);
        EXPECT_EQ(sizes.pixelSize, c.pixelSize);
    }
    EXPECT_EQ(gifError([&] { dibSizes(&bitmap, pf32bit); }), QStringLiteral("Unsupported PixelFormat"));
    EXPECT_EQ(gifError([&] { dibSizes(nullptr, pf8bit); }), QStringLiteral("Bitmap image is not valid"));
}

TEST(DIBBits, DeliversBottomUpRowsWithoutChangingTheBitmap)
{
    TBitmap bitmap(2, 2, pf24bit);
    bitmap.setPixelRgb(0, 0, qRgb(255, 0, 0));
    bitmap.setPixelRgb(1, 1, qRgb(0, 0, 255));
    QByteArray header;
    QByteArray pixels;
    ASSERT_TRUE(dibBits(&bitmap, nullptr, pf24bit, header, pixels));
    ASSERT_EQ(header.size(), 40);
    EXPECT_EQ(bytes(header, 20, 4), (std::vector<uint8_t>{16, 0, 0, 0})); // image size: 8 × 2
    ASSERT_EQ(pixels.size(), 16);
    // Bottom row first: (0,1) black, (1,1) blue.
    EXPECT_EQ(bytes(pixels, 0, 6), (std::vector<uint8_t>{0, 0, 0, 255, 0, 0}));
    EXPECT_EQ(bytes(pixels, 8, 6), (std::vector<uint8_t>{0, 0, 255, 0, 0, 0}));
    EXPECT_EQ(bitmap.pixelFormat(), pf24bit);
}

TEST(DIBBits, IndexedFormatsMapColoursToTheGivenPalette)
{
    TBitmap bitmap(3, 1, pf24bit);
    bitmap.setPixelRgb(0, 0, qRgb(250, 250, 250));
    bitmap.setPixelRgb(1, 0, qRgb(10, 0, 0));
    bitmap.setPixelRgb(2, 0, qRgb(0, 0, 240));
    const HPALETTE palette = paletteOf({qRgb(0, 0, 0), qRgb(0, 0, 255), qRgb(255, 255, 255)});
    QByteArray header;
    QByteArray pixels;
    ASSERT_TRUE(dibBits(&bitmap, palette, pf4bit, header, pixels));
    ASSERT_EQ(header.size(), 40 + 64);
    EXPECT_EQ(bytes(header, 40, 12), (std::vector<uint8_t>{0, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0}));
    EXPECT_EQ(bytes(pixels, 0, 2), (std::vector<uint8_t>{0x20, 0x10}));

    // An indexed bitmap keeps its own indexes when no palette is given.
    TBitmap indexed(2, 1, pf8bit);
    indexed.setPalette(palette);
    indexed.scanLine(0)[0] = 2;
    indexed.scanLine(0)[1] = 1;
    ASSERT_TRUE(dibBits(&indexed, nullptr, pf8bit, header, pixels));
    EXPECT_EQ(bytes(pixels, 0, 2), (std::vector<uint8_t>{2, 1}));
}

TEST(DIBBits, EmptyBitmapDeliversNoRows)
{
    TBitmap bitmap;
    QByteArray header;
    QByteArray pixels;
    EXPECT_FALSE(dibBits(&bitmap, nullptr, pf8bit, header, pixels));
    EXPECT_EQ(header.size(), 1064);
}

TEST(DIBReader, ConvertsTheBitmapItselfAndReadsItsRows)
{
    TBitmap bitmap(9, 2, pf24bit);
    bitmap.setPixelRgb(8, 1, qRgb(255, 255, 255));
    TDIBReader reader(&bitmap, pf1bit);
    EXPECT_EQ(bitmap.pixelFormat(), pf1bit);
    EXPECT_EQ(reader.row(1)[1], 0x80);
    EXPECT_EQ(reader.row(0)[1], 0x00);
    EXPECT_THROW(reader.row(2), EInvalidGraphicOperation);
    EXPECT_EQ(gifError([] { TDIBReader(nullptr, pf8bit); }), QStringLiteral("Bitmap image is not valid"));
}
