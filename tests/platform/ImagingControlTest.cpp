#include "platform/ImagingControl.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

using testsupport::localTestData;

namespace {

QString fixture(const char* name)
{
    return localTestData(QStringLiteral("imaging/") + QLatin1String(name));
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// The DIB read back through Qt's own BMP reader: an oracle independent of the control.
QImage dibAsImage(TImagingControl& control)
{
    const QByteArray bmp = dibToBitmapFile(control.takeDib());
    return QImage::fromData(bmp, "BMP");
}

struct Sample
{
    int x, y;
    QRgb colour;
};

struct FixtureCase
{
    const char* file;
    int width, height;
    int tolerance; // per channel; lossy JPEG needs some
    std::vector<Sample> samples;
};

const std::vector<Sample> quadSamples = {{2, 2, qRgb(255, 0, 0)}, {12, 2, qRgb(0, 255, 0)},
                                         {2, 9, qRgb(0, 0, 255)}, {12, 9, qRgb(255, 255, 255)},
                                         {0, 0, qRgb(255, 0, 0)}, {15, 11, qRgb(255, 255, 255)}};

const std::vector<FixtureCase>& fixtureCases()
{
    static const std::vector<FixtureCase> cases = {
        {"quad.jpg", 16, 12, 12, quadSamples},
        {"quad.jif", 16, 12, 12, quadSamples},
        {"quad.dcx", 16, 12, 0, quadSamples},
        {"quad.ico", 16, 12, 0, quadSamples},
        {"quad.pcx", 16, 12, 0, quadSamples},
        {"quad.pic", 16, 12, 0, quadSamples},
        {"quad.png", 16, 12, 0, quadSamples},
        {"quad8.png", 16, 12, 0, quadSamples},
        {"quad.ppm", 16, 12, 0, quadSamples},
        {"quad.rle", 16, 12, 0, quadSamples},
        {"quad.tga", 16, 12, 0, quadSamples},
        {"quad.tif", 16, 12, 0, quadSamples},
        {"quad.gif", 16, 12, 0, quadSamples},
        {"quad.bmp", 16, 12, 0, quadSamples},
        {"quad.ljp", 16, 12, 0, quadSamples},
        {"quad-yuv.ljp", 16, 12, 6, quadSamples},
        {"quad.wpg", 16, 12, 0, quadSamples},
        {"quad-utah.rle", 16, 12, 0, quadSamples},
        {"quad-cmyk.jpg", 16, 12, 16, quadSamples},
        {"two-pages.tif", 16, 12, 0, quadSamples},
        {"quad.wmf",
         72,
         54,
         0,
         {{10, 10, qRgb(255, 0, 0)},
          {60, 10, qRgb(0, 0, 255)},
          {10, 50, qRgb(255, 0, 0)},
          {60, 50, qRgb(0, 0, 255)}}},
        {"quad-alpha.png",
         16,
         12,
         0,
         {{0, 0, qRgb(255, 255, 255)}, {1, 0, qRgb(255, 0, 0)}, {12, 9, qRgb(255, 255, 255)}}},
        {"ramp.pgm",
         5,
         3,
         0,
         {{0, 0, qRgb(0, 0, 0)},
          {4, 0, qRgb(68, 68, 68)},
          {0, 2, qRgb(170, 170, 170)},
          {4, 2, qRgb(238, 238, 238)}}},
        {"diag.pbm",
         10,
         4,
         0,
         {{0, 0, qRgb(0, 0, 0)},
          {1, 0, qRgb(255, 255, 255)},
          {3, 3, qRgb(0, 0, 0)},
          {9, 1, qRgb(0, 0, 0)},
          {5, 2, qRgb(255, 255, 255)}}},
    };
    return cases;
}

bool near(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// Fields of the block's BITMAPINFOHEADER.
struct DibFields
{
    uint32_t size;
    int32_t width, height;
    uint16_t planes, bitCount;
    uint32_t compression, sizeImage, clrUsed;
};

DibFields fields(const QByteArray& dib)
{
    const auto* p = reinterpret_cast<const uchar*>(dib.constData());
    return {qFromLittleEndian<uint32_t>(p),      qFromLittleEndian<int32_t>(p + 4),
            qFromLittleEndian<int32_t>(p + 8),   qFromLittleEndian<uint16_t>(p + 12),
            qFromLittleEndian<uint16_t>(p + 14), qFromLittleEndian<uint32_t>(p + 16),
            qFromLittleEndian<uint32_t>(p + 20), qFromLittleEndian<uint32_t>(p + 32)};
}

} // namespace

TEST(ImagingControl, EveryFixtureTypeLoadsWithItsSizeAndColours)
{
    for (const FixtureCase& c : fixtureCases()) {
        SCOPED_TRACE(c.file);
        TImagingControl control;
        control.setFileName(fixture(c.file));
        ASSERT_EQ(control.errorCode(), imgOk);
        EXPECT_EQ(control.width(), c.width);
        EXPECT_EQ(control.height(), c.height);
        const QImage image = dibAsImage(control);
        ASSERT_FALSE(image.isNull());
        ASSERT_EQ(image.size(), QSize(c.width, c.height));
        for (const Sample& s : c.samples) {
            const QRgb got = image.pixel(s.x, s.y);
            EXPECT_TRUE(near(got, s.colour, c.tolerance))
                << "at " << s.x << "," << s.y << " got " << std::hex << got << " want " << s.colour;
        }
    }
}

TEST(ImagingControl, TruncatedAndGarbageFilesOfEveryTypeFailCleanly)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    uint32_t seed = 12345;
    auto nextByte = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return char(seed >> 16);
    };
    for (const FixtureCase& c : fixtureCases()) {
        SCOPED_TRACE(c.file);
        const QByteArray whole = testsupport::readFile(fixture(c.file));
        ASSERT_FALSE(whole.isEmpty());
        const QString suffix = QString::fromLatin1(c.file).section(QLatin1Char('.'), -1);
        QByteArray garbage;
        for (int i = 0; i < 300; ++i)
            garbage += nextByte();
        // The file's own first bytes followed by garbage get past every signature check.
        QByteArray headedGarbage = whole.left(std::min<qsizetype>(16, whole.size() / 4)) + garbage;
        const struct
        {
            const char* kind;
            QByteArray data;
        } variants[] = {{"truncated", whole.left(whole.size() / 2)},
                        {"garbage", garbage},
                        {"headed-garbage", headedGarbage},
                        {"empty", QByteArray()}};
        for (const auto& variant : variants) {
            SCOPED_TRACE(variant.kind);
            const QString path = dir.filePath(QStringLiteral("bad.") + suffix);
            ASSERT_TRUE(writeFile(path, variant.data) || variant.data.isEmpty());
            TImagingControl control;
            control.setFileName(path);
            EXPECT_NE(control.errorCode(), imgOk);
            EXPECT_EQ(control.width(), 0);
            EXPECT_TRUE(control.takeDib().isEmpty());
        }
    }
}

namespace {

uint32_t crc32(const QByteArray& data)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (const char byte : data) {
        crc ^= uint8_t(byte);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray pngChunk(const char* type, const QByteArray& body)
{
    QByteArray chunk(4, '\0');
    qToBigEndian<uint32_t>(uint32_t(body.size()), chunk.data());
    const QByteArray typed = QByteArray(type, 4) + body;
    QByteArray crc(4, '\0');
    qToBigEndian<uint32_t>(crc32(typed), crc.data());
    return chunk + typed + crc;
}

// A white 1-bit grey PNG of any size; compresses to little even when huge.
QByteArray bilevelPng(uint32_t width, uint32_t height)
{
    QByteArray header(13, '\0');
    qToBigEndian<uint32_t>(width, header.data());
    qToBigEndian<uint32_t>(height, header.data() + 4);
    header[8] = 1; // bit depth
    const qsizetype rowBytes = qsizetype((width + 7) / 8) + 1;
    QByteArray raw(rowBytes * height, char(0xFF));
    for (uint32_t y = 0; y < height; ++y)
        raw[qsizetype(y) * rowBytes] = 0;          // filter type none
    const QByteArray zlib = qCompress(raw).mid(4); // qCompress prefixes the length
    return QByteArray("\x89PNG\r\n\x1A\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", zlib) +
           pngChunk("IEND", {});
}

} // namespace

TEST(ImagingControl, PicturesAboveTheProgramsLimitsAreRefusedAndTheSystemPolicyIsNotInherited)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const struct
    {
        uint32_t width, height;
        uint16_t expected;
    } cases[] = {
        {65536, 1, imgTooLarge},     // one past the 16-bit width
        {2, 65536, imgTooLarge},     // one past the 16-bit height
        {20000, 20000, imgTooLarge}, // 400 megapixels, above 2^28
        {17000, 2, imgOk},           // wider than ImageMagick's usual 16K policy, within ours
        {65535, 1, imgOk},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        const QString path = dir.filePath(QStringLiteral("big.png"));
        ASSERT_TRUE(writeFile(path, bilevelPng(c.width, c.height)));
        TImagingControl control;
        control.setFileName(path);
        EXPECT_EQ(control.errorCode(), c.expected);
        if (c.expected == imgOk) {
            EXPECT_EQ(control.width(), c.width);
            EXPECT_EQ(control.height(), c.height);
        }
    }
    // A lossless JPEG whose frame header claims 65535 x 65535 is refused before decoding.
    QByteArray ljp = testsupport::readFile(fixture("quad.ljp"));
    const qsizetype sof = ljp.indexOf(QByteArray("\xFF\xC3", 2));
    ASSERT_GE(sof, 0);
    for (int i = 5; i <= 8; ++i)
        ljp[sof + i] = char(0xFF);
    const QString path = dir.filePath(QStringLiteral("huge.ljp"));
    ASSERT_TRUE(writeFile(path, ljp));
    TImagingControl control;
    control.setFileName(path);
    EXPECT_EQ(control.errorCode(), imgTooLarge);
}

TEST(ImagingControl, MissingUnsupportedAndMislabelledFiles)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray png = testsupport::readFile(fixture("quad.png"));
    const QByteArray ljp = testsupport::readFile(fixture("quad.ljp"));
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("movie.avi")), png));
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("noext")), png));
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("really-png.JPG")), png));
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("lossless.jpg")), ljp));
    // A device behind a picture's name would be read without end.
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), dir.filePath(QStringLiteral("zero.png"))));
    const struct
    {
        QString name;
        uint16_t expected;
    } cases[] = {
        {QString(), imgFileNotFound},
        {dir.filePath(QStringLiteral("absent.png")), imgFileNotFound},
        {dir.path() + QStringLiteral("/"), imgFileNotFound},
        {dir.filePath(QStringLiteral("zero.png")), imgFileNotFound},
        {dir.filePath(QStringLiteral("movie.avi")), imgUnsupported},
        {dir.filePath(QStringLiteral("noext")), imgUnsupported},
        {dir.filePath(QStringLiteral("really-png.JPG")), imgOk}, // content wins over a wrong extension
        {dir.filePath(QStringLiteral("lossless.jpg")), imgOk},   // SOF3 goes to libavcodec
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        TImagingControl control;
        control.setFileName(c.name);
        EXPECT_EQ(control.errorCode(), c.expected);
    }
}

TEST(ImagingControl, PaletteDibLayoutIsBottomUpWithPaddedRowsAndAColourTable)
{
    TImagingControl control;
    control.setFileName(fixture("diag.pbm"));
    ASSERT_EQ(control.errorCode(), imgOk);
    const QByteArray dib = control.takeDib();
    const DibFields f = fields(dib);
    EXPECT_EQ(f.size, 40u);
    EXPECT_EQ(f.width, 10);
    EXPECT_EQ(f.height, 4); // positive: bottom-up
    EXPECT_EQ(f.planes, 1);
    EXPECT_EQ(f.bitCount, 1);
    EXPECT_EQ(f.compression, 0u);
    EXPECT_EQ(f.clrUsed, 2u);
    const uint32_t stride = 4; // 10 bits round up to one 32-bit word
    EXPECT_EQ(f.sizeImage, stride * 4);
    ASSERT_EQ(dib.size(), 40 + 4 * 2 + qsizetype(stride * 4));
    // Which table entry is black decides what a set bit means.
    const auto* table = reinterpret_cast<const uchar*>(dib.constData()) + 40;
    const int black = table[0] == 0 ? 0 : 1;
    const auto* pixels = table + 8;
    for (int y = 0; y < 4; ++y) {
        const uchar* row = pixels + (3 - y) * stride;
        for (int x = 0; x < 10; ++x) {
            const int bit = (row[x / 8] >> (7 - x % 8)) & 1;
            EXPECT_EQ(bit == black, x == y || x == 9) << x << "," << y;
        }
        EXPECT_EQ(row[2], 0); // padding stays zero
        EXPECT_EQ(row[3], 0);
    }
}

TEST(ImagingControl, ResizedTrueColourDibHasPaddedBgrRows)
{
    TImagingControl control;
    control.setFileName(fixture("quad.ppm"));
    ASSERT_EQ(control.errorCode(), imgOk);
    ASSERT_TRUE(control.resize(5, 3));
    EXPECT_EQ(control.errorCode(), imgOk);
    EXPECT_EQ(control.width(), 5);
    EXPECT_EQ(control.height(), 3);
    const QByteArray dib = control.takeDib();
    const DibFields f = fields(dib);
    EXPECT_EQ(f.bitCount, 24);
    EXPECT_EQ(f.clrUsed, 0u);
    EXPECT_EQ(f.sizeImage, 16u * 3); // 15 bytes of BGR padded to 16
    ASSERT_EQ(dib.size(), 40 + 16 * 3);
    const auto* pixels = reinterpret_cast<const uchar*>(dib.constData()) + 40;
    // Bottom row first: its left pixel is in the blue quadrant, BGR order.
    EXPECT_GT(pixels[0], 200);
    EXPECT_LT(pixels[2], 60);
    // Last row in the block is the top row: its left pixel is red.
    EXPECT_LT(pixels[2 * 16 + 0], 60);
    EXPECT_GT(pixels[2 * 16 + 2], 200);
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(pixels[y * 16 + 15], 0);
}

TEST(ImagingControl, ResizeRefusesZeroSidesAndNeedsAPicture)
{
    TImagingControl control;
    EXPECT_FALSE(control.resize(10, 10));
    EXPECT_EQ(control.errorCode(), imgNoPicture);
    control.setFileName(fixture("quad.png"));
    ASSERT_EQ(control.errorCode(), imgOk);
    EXPECT_FALSE(control.resize(0, 5));
    EXPECT_EQ(control.errorCode(), imgBadSize);
    EXPECT_EQ(control.width(), 16);      // unchanged
    ASSERT_TRUE(control.resize(75, 56)); // enlarging is allowed too
    EXPECT_EQ(dibAsImage(control).size(), QSize(75, 56));

    // A shrunk bilevel picture keeps its grey edges instead of being thresholded back to two colours.
    control.setFileName(fixture("diag.pbm"));
    ASSERT_EQ(control.errorCode(), imgOk);
    ASSERT_TRUE(control.resize(5, 2));
    const QByteArray dib = control.takeDib();
    ASSERT_GE(dib.size(), 40);
    EXPECT_EQ(fields(dib).bitCount, 8);
}

TEST(ImagingControl, ReleaseLeavesNothingLoadedAndAFailedLoadDropsThePreviousPicture)
{
    TImagingControl control;
    control.setFileName(fixture("quad.tga"));
    ASSERT_EQ(control.errorCode(), imgOk);
    EXPECT_FALSE(control.takeDib().isEmpty());
    EXPECT_FALSE(control.takeDib().isEmpty()); // taking copies; the control keeps its picture
    control.release();
    EXPECT_NE(control.errorCode(), imgOk);
    EXPECT_EQ(control.width(), 0);
    EXPECT_EQ(control.height(), 0);
    EXPECT_TRUE(control.takeDib().isEmpty());

    control.setFileName(fixture("quad.tga"));
    ASSERT_EQ(control.errorCode(), imgOk);
    control.setFileName(fixture("absent.tga"));
    EXPECT_EQ(control.errorCode(), imgFileNotFound);
    EXPECT_EQ(control.width(), 0);
    EXPECT_TRUE(control.takeDib().isEmpty());
}

TEST(DibToBitmapFile, FileHeaderFollowsTheOffsetRule)
{
    const auto block = [](uint16_t bitCount, uint32_t clrUsed, uint32_t compression, qsizetype total) {
        QByteArray dib(total, '\0');
        auto* p = reinterpret_cast<uchar*>(dib.data());
        qToLittleEndian<uint32_t>(40, p);
        qToLittleEndian<int32_t>(1, p + 4);
        qToLittleEndian<int32_t>(1, p + 8);
        qToLittleEndian<uint16_t>(1, p + 12);
        qToLittleEndian<uint16_t>(bitCount, p + 14);
        qToLittleEndian<uint32_t>(compression, p + 16);
        qToLittleEndian<uint32_t>(clrUsed, p + 32);
        return dib;
    };
    const struct
    {
        const char* what;
        QByteArray dib;
        uint32_t offset;
    } cases[] = {
        {"24-bit, no table", block(24, 0, 0, 44), 14 + 40},
        {"8-bit, 3 colours used", block(8, 3, 0, 40 + 12 + 4), 14 + 40 + 12},
        {"1-bit, 2 colours used", block(1, 2, 0, 40 + 8 + 4), 14 + 40 + 8},
        // Not made by the control, but a valid DIB: 0 colours used means the full table.
        {"8-bit, full table implied", block(8, 0, 0, 40 + 1024 + 4), 14 + 40 + 1024},
        {"16-bit bit fields", block(16, 0, 3, 40 + 12 + 4), 14 + 40 + 12},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray file = dibToBitmapFile(c.dib);
        ASSERT_EQ(file.size(), 14 + c.dib.size());
        const auto* p = reinterpret_cast<const uchar*>(file.constData());
        EXPECT_EQ(file.left(2), QByteArray("BM"));
        EXPECT_EQ(qFromLittleEndian<uint32_t>(p + 2), uint32_t(file.size()));
        EXPECT_EQ(qFromLittleEndian<uint32_t>(p + 6), 0u); // both reserved words
        EXPECT_EQ(qFromLittleEndian<uint32_t>(p + 10), c.offset);
        EXPECT_EQ(file.mid(14), c.dib);
    }
    EXPECT_TRUE(dibToBitmapFile(QByteArray()).isEmpty());
    EXPECT_TRUE(dibToBitmapFile(QByteArray(20, '\0')).isEmpty()); // header size 0
    QByteArray lying = block(24, 0, 0, 44);
    qToLittleEndian<uint32_t>(4000, lying.data()); // header larger than the block
    EXPECT_TRUE(dibToBitmapFile(lying).isEmpty());
    QByteArray tableTooBig = block(8, 1000, 0, 60);
    EXPECT_TRUE(dibToBitmapFile(tableTooBig).isEmpty()); // pixels would start past the end
}

TEST(ImagingControl, BitDepthFollowsThePicture)
{
    const struct
    {
        const char* file;
        uint16_t bitCount;
        uint32_t colours;
    } cases[] = {
        {"quad.png", 4, 4}, {"quad.gif", 4, 4},  {"quad.pcx", 8, 256},      {"ramp.pgm", 8, 256},
        {"diag.pbm", 1, 2}, {"quad.ppm", 24, 0}, {"quad-alpha.png", 24, 0}, {"quad.ljp", 24, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        TImagingControl control;
        control.setFileName(fixture(c.file));
        ASSERT_EQ(control.errorCode(), imgOk);
        const QByteArray dib = control.takeDib();
        ASSERT_GE(dib.size(), 40);
        const DibFields f = fields(dib);
        EXPECT_EQ(f.bitCount, c.bitCount);
        EXPECT_EQ(f.clrUsed, c.colours);
        const uint64_t stride = (uint64_t(f.width) * f.bitCount + 31) / 32 * 4;
        EXPECT_EQ(uint64_t(dib.size()), 40 + 4 * uint64_t(c.colours) + stride * uint64_t(f.height));
        // The file header's pixel offset lands exactly after the colour table.
        const QByteArray bmp = dibToBitmapFile(dib);
        EXPECT_EQ(qFromLittleEndian<uint32_t>(bmp.constData() + 10), 14 + 40 + 4 * c.colours);
    }
}

TEST(ImagingControl, CoderWarningsLoadUnlessDataIsMissing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // An ancillary PNG chunk with a wrong checksum: libpng warns and skips it, the picture is whole.
    QByteArray png = testsupport::readFile(fixture("quad.png"));
    const qsizetype end = png.indexOf("IEND") - 4;
    ASSERT_GT(end, 0);
    const QByteArray text("Comment\0hello", 13);
    QByteArray chunk(4, '\0');
    qToBigEndian<uint32_t>(uint32_t(text.size()), chunk.data());
    png.insert(end, chunk + "tEXt" + text + QByteArray(4, '\0'));
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("badcrc.png")), png));
    // A JPEG cut short: libjpeg only warns and fills the rest grey; that is not the file's picture.
    const QByteArray jpeg = testsupport::readFile(fixture("quad.jpg"));
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("cut.jpg")), jpeg.left(jpeg.size() - 40)));

    TImagingControl control;
    control.setFileName(dir.filePath(QStringLiteral("badcrc.png")));
    EXPECT_EQ(control.errorCode(), imgOk);
    EXPECT_EQ(dibAsImage(control).pixel(12, 2), qRgb(0, 255, 0));
    control.setFileName(dir.filePath(QStringLiteral("cut.jpg")));
    EXPECT_EQ(control.errorCode(), imgCorrupt);
}
