#include "graphics/BitmapFile.h"
#include "graphics/Bitmap.h"
#include "graphics/Exceptions.h"
#include "graphics/Streams.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Bytes
{
    QByteArray data;
    Bytes& u8(int v)
    {
        data.append(char(v));
        return *this;
    }
    Bytes& u16(int v) { return u8(v & 0xFF).u8((v >> 8) & 0xFF); }
    Bytes& u32(int64_t v) { return u16(int(v & 0xFFFF)).u16(int((v >> 16) & 0xFFFF)); }
    Bytes& raw(const QByteArray& bytes)
    {
        data.append(bytes);
        return *this;
    }
};

uint32_t le32(const QByteArray& data, int at)
{
    const auto* p = reinterpret_cast<const uint8_t*>(data.constData()) + at;
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// A BITMAPINFOHEADER-based file: header fields as given, then table and pixel bytes.
QByteArray infoFile(int width, int height, int bits, int compression, int colorsUsed, const QByteArray& tail,
                    int headerSize = 40)
{
    Bytes b;
    b.raw("BM").u32(14 + headerSize + tail.size()).u32(0).u32(0); // offset 0: pixels follow the table
    b.u32(headerSize).u32(width).u32(height).u16(1).u16(bits).u32(compression).u32(0).u32(0).u32(0);
    b.u32(colorsUsed).u32(0);
    while (b.data.size() < 14 + headerSize)
        b.u8(0);
    return b.raw(tail).data;
}

HPALETTE rampPalette(int count)
{
    std::vector<TPaletteEntry> entries;
    for (int i = 0; i < count; ++i)
        entries.push_back({uint8_t(i * 7), uint8_t(255 - i), uint8_t(i * 13), 0});
    return createPalette(entries);
}

// A bitmap of the format whose rows hold a position-dependent pattern.
std::unique_ptr<TBitmap> patterned(TPixelFormat format, int width, int height)
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->setPixelFormat(format);
    if (format == pf8bit)
        bitmap->setPalette(rampPalette(200));
    bitmap->setSize(width, height);
    const int bytes = (width * TBitmap::bitsPerPixel(format == pf15bit ? pf16bit : format) + 7) / 8;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bitmap->scanLine(y);
        for (int i = 0; i < bytes; ++i)
            row[i] = uint8_t(i * 31 + y * 17 + 5);
        if (format == pfDevice)
            for (int x = 0; x < width; ++x)
                row[4 * x + 3] = 0xFF;
        if (format == pf8bit)
            for (int x = 0; x < width; ++x)
                row[x] %= 200;
    }
    return bitmap;
}

QByteArray saved(TBitmap& bitmap)
{
    TMemoryStream stream;
    bitmap.saveToStream(stream);
    return stream.data();
}

std::unique_ptr<TBitmap> loaded(const QByteArray& file)
{
    TMemoryStream stream(file);
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->loadFromStream(stream);
    return bitmap;
}

} // namespace

TEST(BitmapFile, WriteThenReadKeepsFormatPaletteAndPixelsForOddSizes)
{
    const TPixelFormat formats[] = {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfDevice};
    for (TPixelFormat format : formats) {
        for (int width : {1, 7, 9, 31, 33}) {
            for (int height : {1, 2, 5}) {
                SCOPED_TRACE(testing::Message() << "format " << format << " " << width << "x" << height);
                auto original = patterned(format, width, height);
                auto copy = loaded(saved(*original));
                ASSERT_EQ(copy->width(), width);
                ASSERT_EQ(copy->height(), height);
                EXPECT_EQ(copy->pixelFormat(), format == pfDevice ? pf24bit : format);
                for (int y = 0; y < height; ++y)
                    for (int x = 0; x < width; ++x)
                        ASSERT_EQ(copy->pixelRgb(x, y), original->pixelRgb(x, y)) << x << "," << y;
                if (format == pf8bit) {
                    const uint8_t* a = original->scanLine(height - 1);
                    const uint8_t* b = copy->scanLine(height - 1);
                    EXPECT_TRUE(std::equal(a, a + width, b)) << "indexes are kept";
                }
            }
        }
    }
}

TEST(BitmapFile, RowsAreStoredBottomUpWithZeroPadding)
{
    TBitmap bitmap;
    bitmap.setMonochrome(true);
    bitmap.setSize(9, 2);
    // Top row: leftmost pixel and pixel 8 set; the bits after pixel 8 hold garbage.
    uint8_t* top = bitmap.scanLine(0);
    top[0] = 0x80;
    top[1] = 0xFF;
    top[2] = 0xAB;
    top[3] = 0xCD;
    std::fill_n(bitmap.scanLine(1), 4, uint8_t(0));
    const QByteArray file = saved(bitmap);
    const int offset = int(le32(file, 10));
    ASSERT_EQ(offset, 14 + 40 + 8);
    ASSERT_EQ(file.size(), offset + 2 * 4);
    EXPECT_EQ(file.mid(offset, 4), QByteArray(4, '\0')) << "the bottom row comes first";
    EXPECT_EQ(file.mid(offset + 4, 4), QByteArray("\x80\x80\0\0", 4)) << "unused bits and padding are zero";
}

TEST(BitmapFile, GoldenHeaderOfAn8BitBitmap)
{
    TBitmap bitmap;
    bitmap.setPixelFormat(pf8bit);
    bitmap.setPalette(
        createPalette({{10, 20, 30, 0}, {40, 50, 60, 0}, {70, 80, 90, 0}, {1, 2, 3, 0}, {4, 5, 6, 0}}));
    bitmap.setSize(3, 2);
    const QByteArray file = saved(bitmap);
    ASSERT_EQ(file.size(), 14 + 1064 + 2 * 4);
    EXPECT_EQ(file.left(2), QByteArray("BM"));
    EXPECT_EQ(le32(file, 2), uint32_t(file.size()));
    EXPECT_EQ(le32(file, 6), 0u);
    EXPECT_EQ(le32(file, 10), 14u + 1064u);
    const uint32_t expected[] = {40, 3, 2, 0x00080001, 0, 0, 0, 0, 256, 5};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(le32(file, 14 + 4 * i), expected[i]) << "header field " << i;
    EXPECT_EQ(file.mid(54, 8), QByteArray("\x1e\x14\x0a\0\x3c\x32\x28\0", 8)) << "blue, green, red, 0";
    EXPECT_EQ(file.mid(54 + 5 * 4, 1024 - 5 * 4), QByteArray(1024 - 5 * 4, '\0'));
}

TEST(BitmapFile, GoldenHeaderOfA24BitBitmap)
{
    TBitmap bitmap(3, 2, pf24bit);
    bitmap.setPixelRgb(0, 1, qRgb(1, 2, 3));
    const QByteArray file = saved(bitmap);
    ASSERT_EQ(file.size(), 14 + 40 + 2 * 12);
    EXPECT_EQ(le32(file, 10), 54u);
    const uint32_t expected[] = {40, 3, 2, 0x00180001, 0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(le32(file, 14 + 4 * i), expected[i]) << "header field " << i;
    EXPECT_EQ(file.mid(54, 12), QByteArray("\3\2\1\0\0\0\0\0\0\0\0\0", 12)) << "bottom-left pixel first";
}

TEST(BitmapFile, ReadsTopDownBitfieldsCoreAndV5Headers)
{
    // Top-down 24-bit 1x2: first stored row is the top.
    auto topDown = loaded(infoFile(1, -2, 24, 0, 0, QByteArray("\x01\x02\x03\0\x04\x05\x06\0", 8)));
    EXPECT_EQ(topDown->pixelRgb(0, 0), qRgb(3, 2, 1));
    EXPECT_EQ(topDown->pixelRgb(0, 1), qRgb(6, 5, 4));

    // 16-bit 5-6-5 bitfields: masks after the 40-byte header.
    Bytes masks565;
    masks565.u32(0xF800).u32(0x07E0).u32(0x001F).u16(0xF800).u16(0x07E0);
    auto rgb565 = loaded(infoFile(2, 1, 16, 3, 0, masks565.data));
    EXPECT_EQ(rgb565->pixelFormat(), pf16bit);
    EXPECT_EQ(rgb565->pixelRgb(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(rgb565->pixelRgb(1, 0), qRgb(0, 255, 0));

    // 32-bit with red in the low byte and alpha on top: converted to blue, green, red, alpha.
    Bytes rgba;
    rgba.u32(0x000000FF).u32(0x0000FF00).u32(0x00FF0000).u32(0x11223344);
    auto swapped = loaded(infoFile(1, 1, 32, 3, 0, rgba.data));
    EXPECT_EQ(swapped->pixelRgb(0, 0) & 0xFFFFFF, qRgb(0x44, 0x33, 0x22) & 0xFFFFFF);

    // OS/2 core header, 8 bits, 3-byte colour table of 2 entries... 256 by default.
    Bytes core;
    core.raw("BM").u32(0).u32(0).u32(0).u32(12).u16(2).u16(1).u16(1).u16(8);
    for (int i = 0; i < 256; ++i)
        core.u8(i).u8(0).u8(255 - i);
    core.u8(0).u8(255).u16(0);
    auto os2 = loaded(core.data);
    EXPECT_EQ(os2->pixelFormat(), pf8bit);
    EXPECT_EQ(os2->pixelRgb(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(os2->pixelRgb(1, 0), qRgb(0, 0, 255));

    // V5 header (124 bytes) with BI_RGB 32 bits: masks in the header are ignored.
    auto v5 = loaded(infoFile(1, 1, 32, 0, 0, QByteArray("\x10\x20\x30\x00", 4), 124));
    EXPECT_EQ(v5->pixelFormat(), pf32bit);
    EXPECT_EQ(v5->pixelRgb(0, 0) & 0xFFFFFF, qRgb(0x30, 0x20, 0x10) & 0xFFFFFF);
}

TEST(BitmapFile, DecodesRunLengthEncodedPixels)
{
    Bytes table;
    for (int i = 0; i < 256; ++i)
        table.u8(i).u8(i).u8(i).u8(0);
    // RLE8, 6x3, bottom-up: row 0 (bottom): run of 4 × 7, absolute 3 pixels 1,2,3 (padded), EOL;
    // delta (4, 1) skips to row 2 column 4; run 2 × 9; end of bitmap.
    Bytes rle8 = table;
    rle8.u8(4)
        .u8(7)
        .u8(0)
        .u8(3)
        .u8(1)
        .u8(2)
        .u8(3)
        .u8(0)
        .u8(0)
        .u8(0)
        .u8(0)
        .u8(2)
        .u8(4)
        .u8(1)
        .u8(2)
        .u8(9)
        .u8(0)
        .u8(1);
    auto eight = loaded(infoFile(6, 3, 8, 1, 0, rle8.data));
    const uint8_t bottom[6] = {7, 7, 7, 7, 1, 2}; // the 3rd absolute pixel is clipped at the edge
    EXPECT_TRUE(std::equal(bottom, bottom + 6, eight->scanLine(2)));
    EXPECT_EQ(eight->scanLine(1)[0], 0);
    const uint8_t top[6] = {0, 0, 0, 0, 9, 9};
    EXPECT_TRUE(std::equal(top, top + 6, eight->scanLine(0)));

    // RLE4, 6x1: run of 3 alternating nibbles 0xA/0xB, absolute 3 pixels 0xC, 0xD, 0xE, end.
    Bytes table16;
    for (int i = 0; i < 16; ++i)
        table16.u8(i).u8(i).u8(i).u8(0);
    Bytes rle4 = table16;
    rle4.u8(3).u8(0xAB).u8(0).u8(3).u8(0xCD).u8(0xE0).u8(0).u8(1);
    auto four = loaded(infoFile(6, 1, 4, 2, 0, rle4.data));
    EXPECT_EQ(four->scanLine(0)[0], 0xAB);
    EXPECT_EQ(four->scanLine(0)[1], 0xAC);
    EXPECT_EQ(four->scanLine(0)[2], 0xDE);
}

TEST(BitmapFile, MissingPaddingAfterTheLastRowIsAccepted)
{
    QByteArray file = saved(*patterned(pf24bit, 1, 2));
    file.chop(1); // one padding byte of the last (top) row
    EXPECT_EQ(loaded(file)->height(), 2);
}

TEST(BitmapFile, MalformedFilesFailCleanly)
{
    Bytes table2;
    table2.u32(0).u32(0xFFFFFF);
    const QByteArray pixels(64, '\0');
    struct Case
    {
        const char* name;
        QByteArray file;
    };
    const Case cases[] = {
        {"empty", QByteArray()},
        {"bad magic", QByteArray("XM") + infoFile(1, 1, 24, 0, 0, pixels).mid(2)},
        {"zero width", infoFile(0, 1, 24, 0, 0, pixels)},
        {"negative width", infoFile(-4, 1, 24, 0, 0, pixels)},
        {"zero height", infoFile(1, 0, 24, 0, 0, pixels)},
        {"most negative height", infoFile(1, int(0x80000000u), 24, 0, 0, pixels)},
        {"huge", infoFile(100000, 100000, 1, 0, 0, table2.data + pixels)},
        {"huge and top-down", infoFile(70000, -70000, 8, 0, 0, pixels)},
        {"3 bits per pixel", infoFile(1, 1, 3, 0, 0, pixels)},
        {"0 bits per pixel", infoFile(1, 1, 0, 0, 0, pixels)},
        {"colour table overflow", infoFile(1, 1, 8, 0, 257, QByteArray(257 * 4 + 4, '\0'))},
        {"colour table overflow at 4 bits", infoFile(1, 1, 4, 0, 17, QByteArray(17 * 4 + 4, '\0'))},
        {"colour table past the end", infoFile(1, 1, 8, 0, 0, QByteArray(40, '\0'))},
        {"pixels past the end", infoFile(64, 64, 24, 0, 0, pixels)},
        {"header size 20", infoFile(1, 1, 24, 0, 0, pixels, 20)},
        {"RLE8 at 4 bits", infoFile(1, 1, 4, 1, 0, QByteArray(16 * 4, '\0') + pixels)},
        {"top-down RLE", infoFile(1, -1, 8, 1, 0, QByteArray(1024, '\0') + pixels)},
        {"JPEG compression", infoFile(1, 1, 24, 4, 0, pixels)},
        {"bitfields at 24 bits", infoFile(1, 1, 24, 3, 0, pixels)},
        {"zero mask", infoFile(1, 1, 16, 3, 0, Bytes().u32(0).u32(0x3E0).u32(0x1F).data + pixels)},
        {"split mask", infoFile(1, 1, 32, 3, 0, Bytes().u32(0xF0F000).u32(0xFF00).u32(0xFF).data + pixels)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap bitmap(2, 2, pf24bit);
        EXPECT_THROW(loaded(c.file), EInvalidGraphic);
        TMemoryStream stream(c.file);
        EXPECT_THROW(bitmap.loadFromStream(stream), EInvalidGraphic);
        EXPECT_EQ(bitmap.width(), 2) << "a failed load leaves the bitmap as it was";
    }
}

TEST(BitmapFile, EveryTruncationOfAValidFileFails)
{
    for (TPixelFormat format : {pf4bit, pf16bit, pf32bit}) {
        const QByteArray file = saved(*patterned(format, 5, 3));
        for (int length = 0; length < file.size() - 4; ++length)
            EXPECT_THROW(loaded(file.left(length)), EInvalidGraphic)
                << "format " << format << " length " << length;
    }
}

TEST(BitmapFile, PackedDibWithoutFileHeaderLoads)
{
    const QByteArray file = saved(*patterned(pf8bit, 7, 3));
    TBitmap bitmap;
    bitmap.loadFromDib(file.mid(14));
    EXPECT_EQ(bitmap.width(), 7);
    EXPECT_EQ(bitmap.pixelRgb(6, 2), loaded(file)->pixelRgb(6, 2));
}

TEST(BitmapFile, ImageMagickReadsWhatWeWrite)
{
    const QString identify = QStandardPaths::findExecutable(QStringLiteral("identify"));
    if (identify.isEmpty())
        GTEST_SKIP() << "ImageMagick identify is not installed";
    QTemporaryDir dir;
    for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf16bit, pf24bit, pf32bit}) {
        const QString path = dir.filePath(QStringLiteral("f%1.bmp").arg(int(format)));
        patterned(format, 33, 5)->saveToFile(path);
        QProcess process;
        process.start(identify, {QStringLiteral("-format"), QStringLiteral("%w %h"), path});
        ASSERT_TRUE(process.waitForFinished(20000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        EXPECT_EQ(process.readAllStandardOutput().trimmed(), QByteArray("33 5")) << "format " << format;
    }
}

TEST(BitmapFile, MutatedHeadersLoadOrFailWithInvalidGraphic)
{
    // Deterministic corruption of the headers and colour table of valid files: every result must be
    // a bitmap or EInvalidGraphic, never a crash or an out-of-bounds access (the sanitizer build
    // checks the latter).
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf16bit, pf24bit, pf32bit}) {
        const QByteArray file = saved(*patterned(format, 9, 4));
        for (int round = 0; round < 300; ++round) {
            QByteArray mutated = file;
            const int edits = 1 + int(next() % 4);
            for (int e = 0; e < edits; ++e)
                mutated[int(next() % uint32_t(std::min<qsizetype>(mutated.size(), 120)))] = char(next());
            try {
                auto bitmap = loaded(mutated);
                EXPECT_GT(bitmap->width(), 0);
            } catch (const EInvalidGraphic&) {
            }
        }
    }
}

TEST(BitmapFile, LoadingStopsAfterThePixelDataOfOneFile)
{
    TMemoryStream stream;
    patterned(pf8bit, 3, 2)->saveToStream(stream);
    patterned(pf24bit, 5, 1)->saveToStream(stream);
    stream.setPosition(0);
    TBitmap first;
    TBitmap second;
    first.loadFromStream(stream);
    second.loadFromStream(stream);
    EXPECT_EQ(first.width(), 3);
    EXPECT_EQ(second.width(), 5);
    EXPECT_EQ(stream.position(), stream.size());
}

TEST(BitmapFile, MutatedRunLengthDataStaysInsideTheBitmap)
{
    // Runs, absolute runs, deltas and line ends with random lengths must never write outside
    // the rows (checked by the sanitizer build) and must leave the size as the header says.
    uint32_t seed = 777;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    for (int compression : {1, 2}) {
        const int bits = compression == 1 ? 8 : 4;
        Bytes table;
        for (int i = 0; i < (1 << bits); ++i)
            table.u8(i).u8(i).u8(i).u8(0);
        for (int round = 0; round < 300; ++round) {
            Bytes data = table;
            for (int i = 0; i < 40; ++i)
                data.u8(int(next() % 8 == 0 ? 0 : next() & 0xFF));
            auto bitmap = loaded(infoFile(7, 5, bits, compression, 0, data.data));
            EXPECT_EQ(bitmap->width(), 7);
            EXPECT_EQ(bitmap->height(), 5);
        }
    }
}
