#include "gif/GIFEncoder.h"
#include "LZWCodecTestSupport.h"
#include "gif/GIFDecoder.h"
#include "gif/GIFException.h"
#include "gif/GIFStream.h"
#include "graphics/Streams.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace lzwtest;

namespace {

QByteArray encode(const std::vector<uint8_t>& pixels, int width, int height, bool interlaced, int codeSize,
                  TGIFCompression compression, int limit = 256)
{
    TMemoryStream stream;
    compressFrameData(stream, codeSize, limit, pixels.data(), width, height, interlaced, compression);
    return stream.data();
}

std::vector<uint8_t> decodeAll(const QByteArray& data, int width, int height, bool interlaced,
                               QStringList* warnings, int64_t* end)
{
    std::vector<uint8_t> pixels(size_t(width) * size_t(height), 0xEE);
    TMemoryStream stream(data);
    decodeFrameData(stream, pixels.data(), width, height, interlaced,
                    [&](const QString& message) { *warnings << message; });
    *end = stream.position();
    return pixels;
}

enum class Pattern
{
    Random,
    FewColours,
    LongRuns,
    Constant,
    Ramp
};

std::vector<uint8_t> makePixels(Pattern pattern, int width, int height, int colours, uint32_t seed)
{
    Random random(seed);
    std::vector<uint8_t> pixels(size_t(width) * size_t(height));
    uint8_t run = 0;
    for (size_t i = 0; i < pixels.size(); ++i) {
        switch (pattern) {
        case Pattern::Random:
            pixels[i] = uint8_t(random.next() % uint32_t(colours));
            break;
        case Pattern::FewColours:
            pixels[i] = uint8_t(random.next() % 3 == 0 ? random.next() % uint32_t(colours) : 0);
            break;
        case Pattern::LongRuns:
            if (random.next() % 97 == 0)
                run = uint8_t(random.next() % uint32_t(colours));
            pixels[i] = run;
            break;
        case Pattern::Constant:
            pixels[i] = uint8_t(colours - 1);
            break;
        case Pattern::Ramp:
            pixels[i] = uint8_t((i / 7) % size_t(colours));
            break;
        }
    }
    return pixels;
}

// Follows an LZW stream the way a decoder sizes its codes; returns the codes.
std::vector<int> readCodes(const QByteArray& data)
{
    const int minCodeSize = uint8_t(data[0]);
    const QByteArray bytes = joinSubBlocks(data);
    const int clear = 1 << minCodeSize;
    int codeSize = minCodeSize + 1;
    int nextFree = clear + 2;
    bool first = true;
    std::vector<int> codes;
    int64_t bit = 0;
    while (bit + codeSize <= int64_t(bytes.size()) * 8) {
        int code = 0;
        for (int i = 0; i < codeSize; ++i, ++bit)
            code |= ((uint8_t(bytes[qsizetype(bit / 8)]) >> (bit % 8)) & 1) << i;
        codes.push_back(code);
        if (code == clear) {
            codeSize = minCodeSize + 1;
            nextFree = clear + 2;
            first = true;
        } else if (code == clear + 1) {
            break;
        } else if (first) {
            first = false;
        } else if (nextFree < 4096) {
            ++nextFree;
            if (nextFree == (1 << codeSize) && codeSize < 12)
                ++codeSize;
        }
    }
    return codes;
}

} // namespace

TEST(GIFEncoder, DecodingTheOutputGivesThePixelsBack)
{
    struct Case
    {
        int width;
        int height;
        int codeSize;
        Pattern pattern;
    };
    const Case cases[] = {
        {1, 1, 2, Pattern::Random},       {1, 1, 8, Pattern::Constant},
        {1, 37, 2, Pattern::Random},      {37, 1, 8, Pattern::Random},
        {5, 2, 2, Pattern::Random},       {7, 3, 2, Pattern::Ramp},
        {9, 4, 3, Pattern::Random},       {11, 5, 4, Pattern::LongRuns},
        {2, 2, 1, Pattern::Random},       {64, 64, 2, Pattern::Random},
        {300, 200, 8, Pattern::Random},   {300, 200, 8, Pattern::FewColours},
        {500, 301, 8, Pattern::LongRuns}, {640, 480, 8, Pattern::Constant},
        {333, 77, 5, Pattern::Ramp},      {1000, 100, 4, Pattern::Random},
        {257, 255, 6, Pattern::LongRuns}, {4097, 3, 3, Pattern::FewColours},
    };
    for (const Case& c : cases) {
        const int bits = std::max(c.codeSize, 2);
        const std::vector<uint8_t> pixels =
            makePixels(c.pattern, c.width, c.height, 1 << bits, 11u + c.width);
        for (const TGIFCompression compression : {gcLZW, gcRLE}) {
            for (const bool interlaced : {false, true}) {
                SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " size " << c.codeSize
                                                << " pattern " << int(c.pattern) << " rle "
                                                << int(compression) << " interlaced " << interlaced);
                const QByteArray data =
                    encode(pixels, c.width, c.height, interlaced, c.codeSize, compression);
                EXPECT_EQ(uint8_t(data[0]), bits);
                QStringList warnings;
                int64_t end = 0;
                EXPECT_EQ(decodeAll(data, c.width, c.height, interlaced, &warnings, &end), pixels);
                EXPECT_TRUE(warnings.isEmpty()) << warnings.join(QStringLiteral(", ")).toStdString();
                EXPECT_EQ(end, data.size());
                EXPECT_EQ(data.back(), 0);
            }
        }
    }
}

TEST(GIFEncoder, SubBlocksAreFullExceptTheLast)
{
    const std::vector<uint8_t> pixels = makePixels(Pattern::Random, 400, 300, 256, 5);
    for (const TGIFCompression compression : {gcLZW, gcRLE}) {
        std::vector<int> sizes;
        joinSubBlocks(encode(pixels, 400, 300, false, 8, compression), &sizes);
        ASSERT_GT(sizes.size(), 2u);
        for (size_t i = 0; i + 1 < sizes.size(); ++i)
            EXPECT_EQ(sizes[i], 255);
        EXPECT_GT(sizes.back(), 0);
        EXPECT_LE(sizes.back(), 255);
    }
}

TEST(GIFEncoder, SubBlockWriterSplitsAt255AndRefusesReadsAndSeeks)
{
    for (const int count : {0, 1, 254, 255, 256, 510, 511}) {
        TMemoryStream target;
        {
            TGIFWriter writer(target);
            for (int i = 0; i < count; ++i)
                writer.putByte(uint8_t(i));
        }
        QByteArray expected;
        for (int done = 0; done < count; done += 255) {
            const int n = std::min(255, count - done);
            expected.append(char(n));
            for (int i = done; i < done + n; ++i)
                expected.append(char(i));
        }
        EXPECT_EQ(target.data(), expected) << count;
    }
    TMemoryStream target;
    TGIFWriter writer(target);
    char buffer[4];
    for (const auto& operation : std::vector<std::function<void()>>{
             [&] { writer.read(buffer, 4); }, [&] { writer.seek(0, SeekOrigin::Begin); },
             [&] {
                 writer.size();
             }}) {
        try {
            operation();
            ADD_FAILURE() << "no exception";
        } catch (const EStreamError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Invalid stream operation"));
        }
    }
}

TEST(GIFEncoder, LZWClearsFirstAndAfterEveryFullTable)
{
    const std::vector<uint8_t> pixels = makePixels(Pattern::Random, 512, 256, 256, 99);
    const QByteArray data = encode(pixels, 512, 256, false, 8, gcLZW);
    const std::vector<int> codes = readCodes(data);
    ASSERT_GT(codes.size(), 10000u);
    EXPECT_EQ(codes.front(), 256);
    EXPECT_EQ(codes.back(), 257);
    std::vector<size_t> clears;
    for (size_t i = 0; i < codes.size(); ++i) {
        if (codes[i] == 256)
            clears.push_back(i);
        EXPECT_LT(codes[i], 4095);
    }
    ASSERT_GE(clears.size(), 3u);
    // Between two clears: one code that adds nothing, then one new entry per code.
    for (size_t i = 0; i + 1 < clears.size(); ++i)
        EXPECT_EQ(clears[i + 1] - clears[i] - 1, size_t(4095 - 258 + 1));
}

TEST(GIFEncoder, OutputIsStable)
{
    // A fixed input's encoded bytes, pinned: any change to the code stream shows here. The LZW
    // figures were checked against a plain dictionary implementation of the same algorithm.
    auto fnv = [](const QByteArray& data) {
        uint64_t h = 1469598103934665603ull;
        for (const char c : data)
            h = (h ^ uint8_t(c)) * 1099511628211ull;
        return h;
    };
    const std::vector<uint8_t> pixels = makePixels(Pattern::FewColours, 320, 240, 64, 2024);
    const QByteArray lzw = encode(pixels, 320, 240, true, 6, gcLZW, 64);
    const QByteArray rle = encode(pixels, 320, 240, false, 6, gcRLE, 64);
    EXPECT_EQ(lzw.size(), 36300);
    EXPECT_EQ(fnv(lzw), 13709862226207415395ull);
    EXPECT_EQ(rle.size(), 46172);
    EXPECT_EQ(fnv(rle), 13545390191422947822ull);
}

TEST(GIFEncoder, PixelAtOrAboveTheLimitIsRejected)
{
    struct Case
    {
        std::vector<uint8_t> pixels;
        int limit;
    };
    const Case cases[] = {
        {{3, 0, 0, 0}, 3},
        {{0, 0, 0, 4}, 4},
        {{0, 1, 2, 200}, 200},
        {{0, 0, 0, 0}, 0},
    };
    for (const Case& c : cases) {
        for (const TGIFCompression compression : {gcLZW, gcRLE}) {
            TMemoryStream stream;
            try {
                compressFrameData(stream, 8, c.limit, c.pixels.data(), 2, 2, false, compression);
                ADD_FAILURE() << "no exception";
            } catch (const GIFException& e) {
                EXPECT_EQ(e.message(), QStringLiteral("Color not in color table"));
            }
        }
    }
}

TEST(GIFEncoder, AFrameRefusedPartWayLeavesWholeSubBlocksOfItsData)
{
    // Noise compresses little: the refused pixel comes after several buffer flushes' worth of data.
    const std::vector<uint8_t> pixels = makePixels(Pattern::Random, 300, 200, 200, 17);
    const QByteArray whole = encode(pixels, 300, 200, false, 8, gcLZW, 200);
    for (const size_t at : {size_t(0), size_t(1000), size_t(33333), pixels.size() - 1}) {
        SCOPED_TRACE(at);
        std::vector<uint8_t> refused = pixels;
        refused[at] = 250;
        TMemoryStream stream;
        EXPECT_THROW(compressFrameData(stream, 8, 200, refused.data(), 300, 200, false, gcLZW), GIFException);
        const QByteArray part = stream.data();
        // The code size byte and complete 255-byte sub-blocks, the same as the whole frame begins with.
        EXPECT_EQ((part.size() - 1) % 256, 0);
        EXPECT_EQ(whole.left(part.size()), part);
        if (at > 1000) {
            EXPECT_GT(part.size(), qsizetype(at / 2));
        }
    }
}

TEST(GIFEncoder, EmptyFrameWritesOnlyTheEndCode)
{
    TMemoryStream stream;
    compressFrameData(stream, 2, 4, nullptr, 0, 0, false, gcLZW);
    // Code size 2, end code 5 in 3 bits, terminator.
    EXPECT_EQ(stream.data(), QByteArray("\x02\x01\x05\x00", 4));
}

TEST(GIFEncoder, RunLengthOutputUsesOnlyLiteralsAndRunCodes)
{
    // One long run must cost far fewer codes than pixels.
    const std::vector<uint8_t> pixels(200000, 3);
    const QByteArray rle = encode(pixels, 1000, 200, false, 4, gcRLE, 16);
    EXPECT_LT(rle.size(), 3000);
    // With only single pixels every pixel is one literal code.
    std::vector<uint8_t> alternating(1000);
    for (size_t i = 0; i < alternating.size(); ++i)
        alternating[i] = uint8_t(i % 2);
    const std::vector<int> codes = readCodes(encode(alternating, 1000, 1, false, 2, gcRLE, 4));
    size_t literals = 0;
    for (const int code : codes)
        literals += code < 4 ? 1 : 0;
    EXPECT_EQ(literals, alternating.size());
}

TEST(GIFEncoder, TriangleCountAndIntegerSquareRoot)
{
    for (uint64_t x = 0; x < 200000; ++x)
        ASSERT_EQ(TRLEEncoder::isqrt(x), uint64_t(std::sqrt(double(x)))) << x;
    for (const uint64_t x : {uint64_t(1) << 40, (uint64_t(1) << 40) - 1, uint64_t(4294967295u)})
        EXPECT_EQ(TRLEEncoder::isqrt(x), uint64_t(std::sqrt(double(x))));
    // Brute force: a run from a fresh table takes runs of 1, 2, 3, … up to r, then starts over.
    for (const int r : {1, 2, 3, 10, 100}) {
        for (int64_t count = 0; count < 3000; ++count) {
            int64_t left = count;
            int64_t cost = 0;
            while (left > 0) {
                for (int64_t k = 1; k <= r && left > 0; ++k) {
                    left -= std::min(k, left);
                    ++cost;
                }
            }
            // The last partial round costs the smallest k with k(k+1)/2 >= rest.
            ASSERT_EQ(TRLEEncoder::triangleCount(count, r), cost) << count << " " << r;
        }
    }
}

TEST(GIFEncoder, InterlacedFramesAreStoredInPassOrder)
{
    // Row r holds the value r; read back without deinterlacing, the rows come in stored order.
    for (const int height : {1, 2, 3, 4, 5, 9}) {
        std::vector<uint8_t> pixels;
        for (int row = 0; row < height; ++row)
            pixels.insert(pixels.end(), 3, uint8_t(row));
        for (const TGIFCompression compression : {gcLZW, gcRLE}) {
            const QByteArray data = encode(pixels, 3, height, true, 4, compression, 16);
            QStringList warnings;
            int64_t end = 0;
            const std::vector<uint8_t> stored = decodeAll(data, 3, height, false, &warnings, &end);
            const std::vector<int> order = interlacedRowOrder(height);
            for (int i = 0; i < height; ++i)
                EXPECT_EQ(stored[size_t(i) * 3], order[size_t(i)]) << height << " " << i;
        }
    }
    EXPECT_EQ(interlacedRowOrder(3), (std::vector<int>{0, 2, 1}));
}

// The encoder's tables serve frame after frame: whatever came before (other code sizes, full
// tables, a frame refused part-way), a frame is written exactly as by a new encoder.
TEST(GIFEncoder, EachFrameIsWrittenAsIfTheEncoderWereNew)
{
    auto encode = [](const std::vector<uint8_t>& pixels, int codeSize, int width) {
        TMemoryStream stream;
        compressFrameData(stream, codeSize, 1 << codeSize, pixels.data(), width, int(pixels.size()) / width, false,
                          gcLZW);
        return stream.data();
    };
    std::vector<uint8_t> small(64);
    for (size_t i = 0; i < small.size(); ++i)
        small[i] = uint8_t((i * 5 / 3) % 4);
    const QByteArray first = encode(small, 2, 8);

    std::vector<uint8_t> noise(200 * 100);
    uint32_t state = 1;
    for (uint8_t& p : noise) {
        state = state * 1103515245u + 12345u;
        p = uint8_t(state >> 16);
    }
    encode(noise, 8, 200); // many table fills and clears with 8-bit codes
    EXPECT_EQ(encode(small, 2, 8), first);
    std::vector<uint8_t> refused = small;
    refused[40] = 9;
    EXPECT_THROW(encode(refused, 2, 8), GIFException);
    EXPECT_EQ(encode(small, 2, 8), first);
}
