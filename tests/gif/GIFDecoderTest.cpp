#include "gif/GIFDecoder.h"
#include "LZWCodecTestSupport.h"
#include "gif/GIFException.h"
#include "graphics/Streams.h"
#include "support/TestSupport.h"

#include <QFileInfo>
#include <gtest/gtest.h>
#include <set>

using namespace lzwtest;
using testsupport::readFile;
using testsupport::sharedTestData;

namespace {

struct Decoded
{
    std::vector<uint8_t> pixels;
    QStringList warnings;
    int64_t endPosition = 0;
};

Decoded decode(const QByteArray& data, int width, int height, bool interlaced = false, uint8_t fill = 0xEE,
               int64_t start = 0)
{
    Decoded result;
    result.pixels.assign(size_t(width) * size_t(height), fill);
    TMemoryStream stream(data);
    stream.setPosition(start);
    decodeFrameData(stream, result.pixels.data(), width, height, interlaced,
                    [&](const QString& message) { result.warnings << message; });
    result.endPosition = stream.position();
    return result;
}

QByteArray wuffsStream(const QString& name, int blockSize = 255)
{
    const QByteArray raw = readFile(sharedTestData(QStringLiteral("gif/conformance/wuffs/") + name));
    return packSubBlocks(uint8_t(raw[0]), raw.mid(1), blockSize);
}

std::vector<uint8_t> bytesOf(const QByteArray& data)
{
    return std::vector<uint8_t>(data.begin(), data.end());
}

} // namespace

TEST(GIFDecoder, RawCodeStreamsDecodeToTheirGoldenIndexes)
{
    REQUIRE_SHARED_TESTDATA();
    struct Case
    {
        const char* stream;
        const char* expected;
        int width;
        int height;
    };
    const Case cases[] = {
        {"bricks-dither.indexes.giflzw", "bricks-dither.indexes", 160, 120},
        {"bricks-gray.indexes.giflzw", "bricks-gray.indexes", 160, 120},
        {"pi.txt.giflzw", "pi.txt", 100003, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stream);
        const QByteArray expected =
            readFile(sharedTestData(QStringLiteral("gif/conformance/wuffs/") + c.expected));
        ASSERT_EQ(expected.size(), int64_t(c.width) * c.height);
        // 1-byte sub-blocks make 12-bit codes span three sub-blocks.
        for (const int blockSize : {255, 7, 2, 1}) {
            const QByteArray data = wuffsStream(QString::fromLatin1(c.stream), blockSize);
            const Decoded d = decode(data, c.width, c.height);
            EXPECT_EQ(d.pixels, bytesOf(expected)) << "block size " << blockSize;
            EXPECT_TRUE(d.warnings.isEmpty()) << d.warnings.join(QStringLiteral(", ")).toStdString();
            EXPECT_EQ(d.endPosition, data.size());
        }
    }
}

TEST(GIFDecoder, GifFilesDecodeToTheirGoldenIndexes)
{
    REQUIRE_SHARED_TESTDATA();
    struct Case
    {
        const char* file;
        QStringList expected;
    };
    QStringList muybridge;
    for (int i = 0; i < 15; ++i)
        muybridge << QStringLiteral("muybridge-frame-%1.indexes").arg(i, 3, 10, QLatin1Char('0'));
    const Case cases[] = {
        {"bricks-dither.gif", {QStringLiteral("bricks-dither.indexes")}},
        {"bricks-gray.gif", {QStringLiteral("bricks-gray.indexes")}},
        {"muybridge.gif", muybridge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const QByteArray file = readFile(sharedTestData(QStringLiteral("gif/conformance/wuffs/") + c.file));
        const std::vector<FrameData> frames = findFrames(file);
        ASSERT_EQ(frames.size(), size_t(c.expected.size()));
        for (size_t i = 0; i < frames.size(); ++i) {
            const QByteArray expected =
                readFile(sharedTestData(QStringLiteral("gif/conformance/wuffs/") + c.expected[int(i)]));
            const FrameData& f = frames[i];
            const Decoded d = decode(file, f.width, f.height, f.interlaced, 0, f.dataOffset);
            EXPECT_EQ(d.pixels, bytesOf(expected)) << "frame " << i;
            EXPECT_TRUE(d.warnings.isEmpty());
            // The stream is left at the next block.
            const char next = file.at(qsizetype(d.endPosition));
            EXPECT_TRUE(next == 0x21 || next == 0x2C || next == 0x3B) << int(next);
        }
    }
}

TEST(GIFDecoder, InterlacedFrameDecodesToTheSameRowsAsTheRegularOne)
{
    REQUIRE_SHARED_TESTDATA();
    const QByteArray regular =
        readFile(sharedTestData(QStringLiteral("gif/conformance/wuffs/hippopotamus.regular.gif")));
    const QByteArray interlaced =
        readFile(sharedTestData(QStringLiteral("gif/conformance/wuffs/hippopotamus.interlaced.gif")));
    const FrameData r = findFrames(regular).at(0);
    const FrameData i = findFrames(interlaced).at(0);
    ASSERT_FALSE(r.interlaced);
    ASSERT_TRUE(i.interlaced);
    const Decoded a = decode(regular, r.width, r.height, false, 0, r.dataOffset);
    const Decoded b = decode(interlaced, i.width, i.height, true, 0, i.dataOffset);
    EXPECT_EQ(a.pixels, b.pixels);
    EXPECT_TRUE(a.warnings.isEmpty());
    EXPECT_TRUE(b.warnings.isEmpty());
}

TEST(GIFDecoder, InterlacedRowOrderVisitsEveryRowOnce)
{
    EXPECT_EQ(interlacedRowOrder(3), (std::vector<int>{0, 2, 1}));
    EXPECT_EQ(interlacedRowOrder(10), (std::vector<int>{0, 8, 4, 2, 6, 1, 3, 5, 7, 9}));
    for (int height = 0; height <= 40; ++height) {
        const std::vector<int> rows = interlacedRowOrder(height);
        EXPECT_EQ(std::set<int>(rows.begin(), rows.end()).size(), size_t(height));
        EXPECT_EQ(rows.size(), size_t(height));
    }
}

TEST(GIFDecoder, DataEndingEarlyKeepsTheFillAndWarnsAsStated)
{
    REQUIRE_SHARED_TESTDATA();
    const QByteArray raw =
        readFile(sharedTestData(QStringLiteral("gif/conformance/wuffs/bricks-gray.indexes.giflzw")));
    const QByteArray expected =
        readFile(sharedTestData(QStringLiteral("gif/conformance/wuffs/bricks-gray.indexes")));
    const QByteArray full = packSubBlocks(uint8_t(raw[0]), raw.mid(1));

    // A size byte beyond the data: one "Premature end of data", the pixels up to there decode.
    {
        const QByteArray cut = full.left(3000);
        const Decoded d = decode(cut, 160, 120);
        EXPECT_EQ(d.warnings, QStringList{QStringLiteral("Premature end of data")});
        // Decoded pixels are where two fills agree: a prefix equal to the golden indexes.
        const Decoded other = decode(cut, 160, 120, false, 0x11);
        size_t good = 0;
        while (good < d.pixels.size() && d.pixels[good] == other.pixels[good])
            ++good;
        EXPECT_GT(good, 3000u);
        EXPECT_LT(good, d.pixels.size());
        for (size_t i = 0; i < good; ++i) {
            if (d.pixels[i] != uint8_t(expected[qsizetype(i)])) {
                ADD_FAILURE() << "pixel " << i << " of " << good << ": " << int(d.pixels[i]) << " "
                              << int(uint8_t(expected[qsizetype(i)]));
                break;
            }
        }
        for (size_t i = good; i < d.pixels.size(); ++i) {
            if (d.pixels[i] != 0xEE) {
                ADD_FAILURE() << "decoded pixel " << i << " after the end at " << good << ": "
                              << int(d.pixels[i]) << " " << int(other.pixels[i]);
                break;
            }
        }
        EXPECT_EQ(d.endPosition, cut.size());
    }
    // The stream ends on a sub-block boundary: no warning, the rest keeps the fill.
    {
        const QByteArray cut = full.left(1 + 5 * 256);
        const Decoded d = decode(cut, 160, 120);
        EXPECT_TRUE(d.warnings.isEmpty());
        EXPECT_EQ(d.pixels.back(), 0xEE);
    }
    // A terminator before the end code: one "Decoder bit buffer under-run", and the stream stands
    // behind the terminator.
    {
        QByteArray cut = full.left(1 + 5 * 256);
        cut.append(char(0));
        cut.append(";");
        const Decoded d = decode(cut, 160, 120);
        EXPECT_EQ(d.warnings, QStringList{QStringLiteral("Decoder bit buffer under-run")});
        EXPECT_EQ(d.endPosition, cut.size() - 1);
    }
}

TEST(GIFDecoder, ExtraDataAfterThePixelsIsSkippedThroughTheTerminator)
{
    // 2 pixels wanted, the data holds 6 and an end code, and then one more sub-block of junk.
    CodeWriter codes;
    codes.put(4, 3);
    for (int i = 0; i < 6; ++i)
        codes.put(i & 1, 3);
    codes.put(5, 4);
    QByteArray data = packSubBlocks(2, codes.bytes(), 255, false);
    data.append("\x03xyz", 4);
    data.append(char(0));
    data.append(",");
    const Decoded d = decode(data, 2, 1);
    EXPECT_EQ(d.pixels, (std::vector<uint8_t>{0, 1}));
    EXPECT_TRUE(d.warnings.isEmpty());
    EXPECT_EQ(d.endPosition, data.size() - 1);
}

TEST(GIFDecoder, EndCodeBeforeThePixelsLeavesTheNextBlockAlone)
{
    CodeWriter codes;
    codes.put(4, 3);
    codes.put(1, 3);
    codes.put(5, 3);
    QByteArray data = packSubBlocks(2, codes.bytes());
    data.append("\x2C\x01\x02", 3);
    const Decoded d = decode(data, 4, 1);
    EXPECT_EQ(d.pixels, (std::vector<uint8_t>{1, 0xEE, 0xEE, 0xEE}));
    EXPECT_EQ(d.endPosition, data.size() - 3);
}

TEST(GIFDecoder, CorruptTablesRaiseCircularDecoderTableEntry)
{
    // clear, 7, 7, 7 leaves entry 7 with itself as prefix; the next code 7 (4 bits) walks it.
    CodeWriter selfLoop;
    for (const int code : {4, 7, 7, 7})
        selfLoop.put(code, 3);
    selfLoop.put(7, 4);
    // clear, 7, 6, 0 makes entries 6 and 7 each other's prefix; code 6 walks round them.
    CodeWriter twoCycle;
    for (const int code : {4, 7, 6, 0})
        twoCycle.put(code, 3);
    twoCycle.put(6, 4);
    for (const CodeWriter* codes : {&selfLoop, &twoCycle}) {
        std::vector<uint8_t> pixels(64);
        TMemoryStream stream(packSubBlocks(2, codes->bytes()));
        try {
            decodeFrameData(stream, pixels.data(), 8, 8, false, {});
            ADD_FAILURE() << "no exception";
        } catch (const GIFException& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Circular decoder table entry"));
        }
    }
}

TEST(GIFDecoder, PixelsDecodedBeforeACorruptTableStay)
{
    // 1, 2, 3 decode; after a clear, 7, 7, 7 and a 4-bit 7 walk an entry that is its own prefix.
    CodeWriter codes;
    for (const int code : {4, 1, 2, 3})
        codes.put(code, 3);
    codes.put(4, 4); // entry 7 made the codes 4 bits wide
    for (const int code : {7, 7, 7})
        codes.put(code, 3);
    codes.put(7, 4);
    for (const bool interlaced : {false, true}) {
        std::vector<uint8_t> pixels(64, 0xEE);
        TMemoryStream stream(packSubBlocks(2, codes.bytes()));
        EXPECT_THROW(decodeFrameData(stream, pixels.data(), 8, 8, interlaced, {}), GIFException);
        if (interlaced) {
            // Rows move to their places only once the frame is complete.
            EXPECT_EQ(pixels, std::vector<uint8_t>(64, 0xEE));
        } else {
            EXPECT_EQ(std::vector<uint8_t>(pixels.begin(), pixels.begin() + 3), (std::vector<uint8_t>{1, 2, 3}));
            EXPECT_EQ(pixels.back(), 0xEE);
        }
    }
}

TEST(GIFDecoder, OddCodeSizesNeverReadOrWriteOutsideTheirTables)
{
    lzwtest::Random random(7);
    QByteArray junk;
    for (int i = 0; i < 3000; ++i)
        junk.append(char(random.next()));
    for (const int codeSize : {0, 1, 2, 8, 9, 11, 12, 13, 255}) {
        SCOPED_TRACE(codeSize);
        QByteArray data = packSubBlocks(codeSize, junk);
        data.append(";");
        const Decoded d = decode(data, 97, 31, codeSize % 2 == 1);
        EXPECT_EQ(d.endPosition, data.size() - 1);
        if (codeSize > 11) {
            EXPECT_EQ(d.warnings, QStringList{QStringLiteral("Invalid LZW code size")});
        }
    }
}

TEST(GIFDecoder, EmptyAndMissingDataKeepTheFill)
{
    for (const QByteArray& data :
         {QByteArray(), QByteArray("\x08", 1), QByteArray("\x08\x00", 2), QByteArray("\x08\x05\x00", 3)}) {
        const Decoded d = decode(data, 3, 2, true);
        EXPECT_EQ(d.pixels, std::vector<uint8_t>(6, 0xEE));
        EXPECT_EQ(d.endPosition, data.size());
    }
}

TEST(GIFDecoder, MalformedCorpusFilesNeverCrash)
{
    REQUIRE_SHARED_TESTDATA();
    const QStringList files =
        testsupport::filesBelow(sharedTestData(QStringLiteral("gif/malformed")), {".gif"});
    ASSERT_FALSE(files.isEmpty());
    for (const QString& path : files) {
        SCOPED_TRACE(path.toStdString());
        const QByteArray file = readFile(path);
        for (const FrameData& f : findFrames(file)) {
            if (int64_t(f.width) * f.height > 20'000'000)
                continue;
            try {
                decode(file, f.width, f.height, f.interlaced, 0, f.dataOffset);
            } catch (const GIFException&) {
            }
        }
    }
}
