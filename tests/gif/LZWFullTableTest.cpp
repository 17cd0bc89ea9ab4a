// The encoder that keeps a full table and the optimiser's choice of the smallest image data:
// whatever codes they choose, the data decodes to the very pixels, at any code size, policy,
// interlacing and picture; the ordinary writes stay as they were.
#include "GIFTestUtil.h"

#include "gif/GIFDecoder.h"
#include "gif/GIFEncoder.h"
#include "gif/GIFException.h"
#include "gif/LZWFullTable.h"
#include "graphics/Streams.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace giftest;

namespace {

std::vector<uint8_t> decode(const QByteArray& data, int width, int height, bool interlaced)
{
    std::vector<uint8_t> pixels(size_t(width) * size_t(height), 0xEE);
    TMemoryStream stream(data);
    decodeFrameData(stream, pixels.data(), width, height, interlaced, [](const QString& message) {
        ADD_FAILURE() << message.toStdString();
    });
    EXPECT_EQ(stream.position(), stream.size()) << "the data ends with its terminator";
    return pixels;
}

// Pictures that fill the table in different ways: noise (short strings, the table fills fast),
// smooth gradients with noise (long strings that stay useful), and a picture whose statistics
// change halfway (a kept table stops paying and must be cleared).
std::vector<uint8_t> picture(int kind, int width, int height, int colours, std::mt19937& random)
{
    std::vector<uint8_t> pixels(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int value = 0;
            switch (kind) {
            case 0:
                value = int(random() % uint32_t(colours));
                break;
            case 1:
                value = int((std::sin(x / 7.0) + std::cos(y / 5.0) + 2.0) / 4.0 * (colours - 1)) + int(random() % 2);
                break;
            default:
                value = y < height / 2 ? (x / 3 + y) % colours : int(random() % uint32_t(colours));
                break;
            }
            pixels[size_t(y) * width + x] = uint8_t(std::clamp(value, 0, colours - 1));
        }
    return pixels;
}

} // namespace

TEST(LZWFullTable, DecodesToTheSamePixelsForEveryPolicyCodeSizeAndPicture)
{
    const TLZWFullTablePolicy policies[] = {{1, 100}, {64, 100}, {512, 90}, {1024, 130}, {1 << 30, 100}};
    std::mt19937 random(11);
    for (const int bits : {2, 3, 5, 8})
        for (const int kind : {0, 1, 2})
            for (const bool interlaced : {false, true})
                for (const TLZWFullTablePolicy policy : policies) {
                    SCOPED_TRACE(testing::Message() << "bits " << bits << " picture " << kind << " interlaced "
                                                    << interlaced << " window " << policy.window);
                    const int width = 157, height = 131; // several table lives, odd interlace rows
                    const std::vector<uint8_t> pixels = picture(kind, width, height, 1 << bits, random);
                    TGIFFrameDataKey key;
                    key.width = width;
                    key.height = height;
                    key.interlaced = interlaced;
                    key.initialCodeSize = bits;
                    key.colorLimit = 1 << bits;
                    const QByteArray data = lzwKeepingFullTable(key, pixels.data(), policy);
                    ASSERT_EQ(uint8_t(data.at(0)), bits);
                    ASSERT_EQ(decode(data, width, height, interlaced), pixels);
                }
}

// A picture that repeats one tile: the strings learnt from the first rows go on matching, so a
// kept table beats one cleared the moment it fills.
TEST(LZWFullTable, KeepingTheTableOfASteadyPictureWritesLess)
{
    std::mt19937 random(4);
    const int width = 400, height = 300;
    std::vector<uint8_t> tile(40 * 24);
    for (uint8_t& value : tile)
        value = uint8_t(random() % 256);
    std::vector<uint8_t> pixels(size_t(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[size_t(y) * width + x] = tile[size_t(y % 24) * 40 + x % 40];
    TMemoryStream ordinary;
    compressFrameData(ordinary, 8, 256, pixels.data(), width, height, false, gcLZW);
    TGIFFrameDataKey key;
    key.width = width;
    key.height = height;
    key.initialCodeSize = 8;
    key.colorLimit = 256;
    EXPECT_LT(lzwKeepingFullTable(key, pixels.data(), {1024, 130}).size(), ordinary.size());
}

TEST(LZWFullTable, PixelsPastTheLimitAreRefused)
{
    const std::vector<uint8_t> pixels{0, 1, 2, 9};
    TGIFFrameDataKey key;
    key.width = 2;
    key.height = 2;
    key.initialCodeSize = 2;
    key.colorLimit = 4;
    EXPECT_THROW(lzwKeepingFullTable(key, pixels.data(), {}), GIFException);
}

// The optimiser keeps the smallest data (a smaller code size for a frame that shows few colours
// of a large global map, a full table kept): the file reads back to the same frames, the next
// plain write reuses it, and once the pixels change the ordinary encoder takes over again.
TEST(LZWFullTable, SmallestEncodingIsKeptUntilThePixelsChange)
{
    std::mt19937 random(8);
    TGIFImage image;
    image.setWidth(200);
    image.setHeight(100);
    std::vector<TColor> colours;
    for (int i = 0; i < 128; ++i)
        colours.push_back(rgbColor(uint8_t(i * 2), uint8_t(255 - i), uint8_t(i * 5)));
    setColors(image.globalColorMap(), colours);
    addFrame(image, 0, 0, 200, 100, picture(1, 200, 100, 128, random));
    addFrame(image, 10, 10, 40, 30, picture(0, 40, 30, 6, random)); // six colours of 128
    const QByteArray plain = save(image);

    for (int i = 0; i < image.images().count(); ++i)
        keepSmallestEncoding(*image.images().subImage(i));
    const QByteArray smallest = save(image);
    EXPECT_LT(smallest.size(), plain.size());
    TGIFImage reread;
    load(reread, smallest);
    ASSERT_EQ(reread.images().count(), 2);
    for (int i = 0; i < 2; ++i) {
        const TGIFSubImage* a = image.images().subImage(i);
        const TGIFSubImage* b = reread.images().subImage(i);
        ASSERT_EQ(std::vector<uint8_t>(b->data(), b->data() + b->dataSize()),
                  std::vector<uint8_t>(a->data(), a->data() + a->dataSize()));
    }
    EXPECT_EQ(save(image), smallest);

    // An edit: the kept data no longer fits the pixels and the ordinary encoder writes them.
    image.images().subImage(1)->data()[0] ^= 1;
    TGIFImage edited;
    load(edited, save(image));
    EXPECT_EQ(edited.images().subImage(1)->data()[0], image.images().subImage(1)->data()[0]);
}
