#include "gif/GIFExtensions.h"
#include "gif/GIFTestUtil.h"
#include "gif/SizeBudget.h"

#include <gtest/gtest.h>
#include <random>

namespace {

// Three noisy 96 x 64 frames on a 256-colour global map, delays 10, 20 and 30: photographic
// content that optimisation alone barely shrinks.
QByteArray noisyAnimation()
{
    TGIFImage image;
    std::vector<TColor> colors;
    for (int i = 0; i < 256; ++i)
        colors.push_back(rgbColor(uint8_t(i), uint8_t((i * 7) % 256), uint8_t(255 - i)));
    giftest::setColors(image.globalColorMap(), colors);
    std::mt19937 random(9);
    std::uniform_int_distribution<int> noise(-5, 5);
    for (int f = 0; f < 3; ++f) {
        std::vector<uint8_t> pixels(96 * 64);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 96; ++x)
                pixels[size_t(y) * 96 + x] = uint8_t(std::clamp((x + y + f * 11) * 255 / 160 + noise(random), 0, 255));
        TGIFSubImage* frame = giftest::addFrame(image, 0, 0, 96, 64, pixels);
        giftest::gce(frame)->setDelay(10 * (f + 1));
    }
    return giftest::save(image);
}

std::vector<int> delaysOf(TGIFImage& image)
{
    std::vector<int> delays;
    for (int i = 0; i < image.images().count(); ++i) {
        TGIFGraphicControlExtension* control = image.images().subImage(i)->graphicControlExtension();
        delays.push_back(control ? control->delay() : -1);
    }
    return delays;
}

} // namespace

TEST(SizeBudget, ParsesSizesAndRefusesEverythingElse)
{
    const struct
    {
        const char* text;
        qint64 bytes;
    } cases[] = {
        {"500K", 512000},  {"500k", 512000},    {"64KB", 65536},      {"1.5M", 1572864}, {"200000", 200000},
        {" 12k ", 12288},  {"1G", 1073741824},  {"2048B", 2048},      {"0", -1},         {"0K", -1},
        {"0.1", -1},       {"", -1},            {"K", -1},            {"abc", -1},       {"-5K", -1},
        {"1e9", -1},       {"5 MB extra", -1},  {"2T", -1},           {"1.5.5M", -1},    {"99999999999999", -1},
        {"1025G", -1},     {"nan", -1},         {"inf", -1},          {"0x100", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseByteSize(QString::fromLatin1(c.text)), c.bytes) << c.text;
}

TEST(SizeBudget, TheLadderOnlyEverAddsLoss)
{
    const std::vector<TBudgetStep>& ladder = budgetLadder();
    ASSERT_FALSE(ladder.empty());
    EXPECT_EQ(ladder.front(), TBudgetStep{});
    EXPECT_EQ(ladder.front().describe(), "optimised");
    auto colours = [](const TBudgetStep& s) { return s.colors == 0 ? 256 : s.colors; };
    for (size_t i = 1; i < ladder.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_LE(colours(ladder[i]), colours(ladder[i - 1]));
        EXPECT_GE(ladder[i].lossy, ladder[i - 1].lossy);
        EXPECT_LE(ladder[i].scalePercent, ladder[i - 1].scalePercent);
        EXPECT_FALSE(ladder[i] == ladder[i - 1]);
    }
    EXPECT_EQ((TBudgetStep{64, 60, 50}).describe(), "64 colours, lossy 60, scale 50%");
}

TEST(SizeBudget, EveryAnswerFitsAndKeepsFramesAndDelays)
{
    const QByteArray input = noisyAnimation();
    for (const int percent : {100, 50, 20, 5}) {
        SCOPED_TRACE(percent);
        const qint64 budget = input.size() * percent / 100;
        const TBudgetResult result = fitToBudget(input, budget);
        ASSERT_TRUE(result.reached);
        ASSERT_LE(result.bytes.size(), budget);
        EXPECT_GE(result.attempts, 1);
        TGIFImage image;
        giftest::load(image, result.bytes);
        EXPECT_EQ(image.images().count(), 3);
        EXPECT_EQ(delaysOf(image), (std::vector<int>{10, 20, 30}));
        if (percent == 100) {
            EXPECT_EQ(result.step, TBudgetStep{});
        }
    }
}

TEST(SizeBudget, ABudgetNothingReachesGivesNoBytes)
{
    const QByteArray input = noisyAnimation();
    const TBudgetResult result = fitToBudget(input, 60);
    EXPECT_FALSE(result.reached);
    EXPECT_TRUE(result.bytes.isEmpty());
    EXPECT_EQ(result.step, budgetLadder().back());
    EXPECT_GT(result.strongestSize, 60);
}

TEST(SizeBudget, ScalingKeepsFramesTogetherAndTransparencyExact)
{
    TGIFImage image;
    giftest::setColors(image.globalColorMap(), {clRed, clGreen, clBlue});
    std::vector<uint8_t> first(40 * 20, 0);
    for (int x = 0; x < 40; ++x)
        first[size_t(10) * 40 + x] = first[size_t(11) * 40 + x] = 1; // two rows: one survives halving
    giftest::addFrame(image, 0, 0, 40, 20, first);
    TGIFSubImage* second = giftest::addFrame(image, 10, 4, 20, 10, std::vector<uint8_t>(200, 2));
    TGIFGraphicControlExtension* control = giftest::gce(second);
    control->setTransparent(true);
    control->setTransparentColorIndex(2);
    second->setTransparentFlag(true);
    image.header().setWidth(40);
    image.header().setHeight(20);

    scaleImage(image, 50);
    EXPECT_EQ(image.width(), 20);
    EXPECT_EQ(image.height(), 10);
    EXPECT_EQ(image.images().subImage(0)->boundsRect(), QRect(0, 0, 20, 10));
    EXPECT_EQ(image.images().subImage(1)->boundsRect(), QRect(5, 2, 10, 5));
    // The second frame was wholly transparent and stays so; the first keeps its line.
    for (int64_t i = 0; i < image.images().subImage(1)->dataSize(); ++i)
        ASSERT_EQ(image.images().subImage(1)->data()[i], 2);
    int line = 0;
    for (int64_t i = 0; i < image.images().subImage(0)->dataSize(); ++i)
        line += image.images().subImage(0)->data()[i] == 1;
    EXPECT_EQ(line, 20);

    // The smallest scale still leaves every frame a pixel.
    scaleImage(image, 1);
    EXPECT_EQ(image.width(), 1);
    for (int i = 0; i < 2; ++i) {
        EXPECT_GE(image.images().subImage(i)->width(), 1);
        EXPECT_GE(image.images().subImage(i)->height(), 1);
    }
    TGIFImage copy;
    giftest::load(copy, giftest::save(image));
    EXPECT_EQ(copy.images().count(), 2);
}

TEST(SizeBudget, MapsMergeOnlyWhenNoColourIsLost)
{
    // Two frames with local maps of 200 different colours each: 400 colours cannot share a map.
    TGIFImage image;
    for (int f = 0; f < 2; ++f) {
        std::vector<uint8_t> pixels(200);
        for (int i = 0; i < 200; ++i)
            pixels[size_t(i)] = uint8_t(i);
        TGIFSubImage* frame = giftest::addFrame(image, 0, 0, 20, 10, pixels);
        std::vector<TColor> colors;
        for (int i = 0; i < 200; ++i)
            colors.push_back(rgbColor(uint8_t(i), uint8_t(f * 100), 7));
        giftest::setColors(frame->colorMap(), colors);
    }
    const std::vector<giftest::Picture> before = giftest::composeFrames(image);
    EXPECT_FALSE(mergeColorMapsIfExact(image));
    EXPECT_EQ(giftest::composeFrames(image), before);
    EXPECT_GT(image.images().subImage(0)->colorMap().count(), 0);

    // The same colours in both frames: one map holds them all.
    TGIFImage same;
    for (int f = 0; f < 2; ++f) {
        TGIFSubImage* frame = giftest::addFrame(same, 0, 0, 4, 1, {0, 1, 2, 3});
        giftest::setColors(frame->colorMap(), {clRed, clGreen, clBlue, clWhite});
    }
    const std::vector<giftest::Picture> sameBefore = giftest::composeFrames(same);
    EXPECT_TRUE(mergeColorMapsIfExact(same));
    EXPECT_EQ(same.images().subImage(0)->colorMap().count(), 0);
    EXPECT_EQ(giftest::composeFrames(same), sameBefore);
}
