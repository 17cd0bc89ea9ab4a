#include "gif/GIFEncoder.h"
#include "gif/GIFExtensions.h"
#include "graphics/Streams.h"
#include "gif/GIFTestUtil.h"
#include "gif/LossyLZW.h"

#include <gtest/gtest.h>
#include <random>

namespace {

// A grey ramp map of 256 entries and a frame of noisy gradient pixels: what lossy LZW is for.
TGIFSubImage* noisyFrame(TGIFImage& image, int width, int height, unsigned seed, bool interlaced = false)
{
    std::vector<TColor> colors;
    for (int i = 0; i < 256; ++i)
        colors.push_back(rgbColor(uint8_t(i), uint8_t(i), uint8_t(i)));
    if (image.globalColorMap().count() == 0)
        giftest::setColors(image.globalColorMap(), colors);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> noise(-6, 6);
    std::vector<uint8_t> pixels(size_t(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[size_t(y) * width + x] = uint8_t(std::clamp(x * 255 / width + noise(random), 0, 255));
    TGIFSubImage* frame = giftest::addFrame(image, 0, 0, width, height, pixels);
    frame->setInterlaced(interlaced);
    return frame;
}

std::vector<uint8_t> pixelsOf(TGIFSubImage* frame)
{
    return {frame->data(), frame->data() + frame->dataSize()};
}

} // namespace

TEST(LossyLZW, LevelZeroChangesNothing)
{
    TGIFImage image;
    TGIFSubImage* frame = noisyFrame(image, 64, 32, 1);
    const std::vector<uint8_t> before = pixelsOf(frame);
    EXPECT_EQ(applyLossyLZW(*frame, 0), 0);
    EXPECT_EQ(pixelsOf(frame), before);
}

// Higher levels give smaller files, the file shows exactly what the model holds, and the error
// stays bounded by the level.
TEST(LossyLZW, SmallerFilesThatShowWhatTheModelHolds)
{
    for (const bool interlaced : {false, true}) {
        SCOPED_TRACE(interlaced ? "interlaced" : "progressive");
        qint64 previous = -1;
        for (const int level : {0, 10, 40, 120}) {
            SCOPED_TRACE(level);
            TGIFImage image;
            TGIFSubImage* frame = noisyFrame(image, 120, 80, 2, interlaced);
            const std::vector<uint8_t> before = pixelsOf(frame);
            applyLossyLZW(image, level);
            const QByteArray bytes = giftest::save(image);
            if (previous >= 0) {
                EXPECT_LT(bytes.size(), previous);
            }
            previous = bytes.size();
            TGIFImage copy;
            giftest::load(copy, bytes);
            ASSERT_EQ(copy.images().count(), 1);
            EXPECT_EQ(pixelsOf(copy.images().subImage(0)), pixelsOf(frame));
            // Diffused error lets a pixel move somewhat more than the level, never far.
            double sum = 0;
            for (size_t i = 0; i < before.size(); ++i) {
                ASSERT_LE(std::abs(int(before[i]) - int(frame->data()[i])), std::max(2 * level, 1)) << i;
                sum += std::abs(int(before[i]) - int(frame->data()[i]));
            }
            // On average an area keeps its colour: the mean error is well below the level.
            EXPECT_LE(sum / double(before.size()), level / 2.0 + 0.01);
        }
    }
}

TEST(LossyLZW, TransparentAndOutOfTablePixelsNeverChange)
{
    TGIFImage image;
    giftest::setColors(image.globalColorMap(), {rgbColor(0, 0, 0), rgbColor(10, 10, 10), rgbColor(20, 20, 20),
                                                 rgbColor(30, 30, 30)});
    // Index 3 is transparent, index 5 lies past the four-entry table (files in the wild do
    // that); both are close in colour to the others, which must not matter.
    std::vector<uint8_t> pixels;
    std::mt19937 random(3);
    for (int i = 0; i < 40 * 30; ++i)
        pixels.push_back(uint8_t(random() % 6 == 5 ? 5 : random() % 4));
    TGIFSubImage* frame = giftest::addFrame(image, 0, 0, 40, 30, pixels);
    TGIFGraphicControlExtension* control = giftest::gce(frame);
    control->setTransparent(true);
    control->setTransparentColorIndex(3);
    frame->setTransparentFlag(true);
    applyLossyLZW(image, GIFMaxLossyLevel);
    for (size_t i = 0; i < pixels.size(); ++i) {
        const uint8_t now = frame->data()[i];
        if (pixels[i] == 3 || pixels[i] == 5)
            ASSERT_EQ(now, pixels[i]) << i;
        else
            ASSERT_TRUE(now != 3 && now != 5) << i;
    }
}

TEST(LossyLZW, AnimationsKeepFramesTransparencyAndTimeline)
{
    std::mt19937 random(5);
    for (int round = 0; round < 25; ++round) {
        SCOPED_TRACE(round);
        TGIFImage image;
        giftest::makeRandomAnimation(image, random);
        const std::vector<giftest::Picture> before = giftest::composeFrames(image);
        applyLossyLZW(image, 200);
        TGIFImage copy;
        giftest::load(copy, giftest::save(image));
        const std::vector<giftest::Picture> after = giftest::composeFrames(copy);
        ASSERT_EQ(before.size(), after.size());
        for (size_t f = 0; f < before.size(); ++f)
            for (size_t i = 0; i < before[f].size(); ++i)
                ASSERT_EQ(before[f][i] >> 24 == 0, after[f][i] >> 24 == 0) << "frame " << f << " pixel " << i;
        EXPECT_EQ(giftest::composeFrames(image), after);
    }
}

// The frame takes image data made elsewhere only for exactly its pixels, writes it while they
// stay, and encodes afresh once they change.
TEST(LossyLZW, AdoptedImageDataIsWrittenOnlyForThePixelsItWasMadeFor)
{
    TGIFImage image;
    TGIFSubImage* frame = noisyFrame(image, 30, 20, 4);
    const QByteArray ordinary = giftest::save(image);
    // Run-length codes for the same pixels: valid LZW data that the LZW encoder would not write.
    TMemoryStream stream;
    const TGIFFrameDataKey key = frame->encodingKey();
    compressFrameData(stream, key.initialCodeSize, key.colorLimit, frame->data(), 30, 20, false, gcRLE);
    auto data = std::make_shared<TGIFFrameData>();
    data->key = key;
    data->bytes = stream.data();

    auto wrong = std::make_shared<TGIFFrameData>(*data);
    wrong->key.pixelHash ^= 1;
    EXPECT_FALSE(frame->adoptEncodedData(wrong));
    EXPECT_FALSE(frame->adoptEncodedData(nullptr));
    ASSERT_TRUE(frame->adoptEncodedData(data));

    const QByteArray adopted = giftest::save(image);
    EXPECT_NE(adopted, ordinary);
    EXPECT_TRUE(adopted.contains(data->bytes));
    TGIFImage copy;
    giftest::load(copy, adopted);
    EXPECT_EQ(pixelsOf(copy.images().subImage(0)), pixelsOf(frame));

    frame->data()[0] ^= 1;
    frame->data()[0] ^= 1; // the same pixels again: still adopted
    EXPECT_EQ(giftest::save(image), adopted);
    frame->data()[0] ^= 1;
    EXPECT_FALSE(giftest::save(image).contains(data->bytes));
}
