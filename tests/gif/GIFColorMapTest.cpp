// Colour map operations and limits, per-map optimisation, merging all maps into one, and the
// frame-level crop and merge with the whole-image optimisation around them.
#include "GIFTestUtil.h"

#include "gif/GIFException.h"

#include <gtest/gtest.h>

#include <climits>

using namespace giftest;

namespace {

QString messageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Exception& e) {
        return e.message();
    }
    return {};
}

std::vector<uint8_t> pixelsOf(TGIFSubImage* frame)
{
    return std::vector<uint8_t>(frame->data(), frame->data() + frame->dataSize());
}

} // namespace

TEST(GIFColorMap, CapacityAndLimits)
{
    TGIFImage image;
    TGIFColorMap& map = image.globalColorMap();
    struct
    {
        int count, capacity, bits;
    } steps[] = {{1, 16, 1},  {2, 16, 1},  {3, 16, 2},    {16, 16, 4},
                 {17, 32, 5}, {33, 64, 6}, {129, 160, 8}, {256, 256, 8}};
    int added = 0;
    for (const auto& step : steps) {
        while (added < step.count)
            map.add(TColor(added++));
        EXPECT_EQ(map.capacity(), step.capacity) << step.count;
        EXPECT_EQ(map.bitsPerPixel(), step.bits) << step.count;
    }
    EXPECT_EQ(messageOf([&] { map.add(0x123456); }), "Color table overflow");
    EXPECT_EQ(map.count(), 256);
    for (int bad : {-1, 256})
        EXPECT_EQ(messageOf([&] { map.deleteAt(bad); }), "Invalid color index");
    EXPECT_EQ(messageOf([&] { map.setColor(256, 0); }), "Invalid color index");
    map.clear();
    EXPECT_EQ(map.bitsPerPixel(), 0);
}

TEST(GIFColorMap, ReadingOutsideWarnsThenReadsEntryZeroOrFailsWhenEmpty)
{
    TGIFImage image;
    WarningLog log(image);
    TGIFColorMap& map = image.globalColorMap();
    EXPECT_EQ(messageOf([&] { map.color(0); }), "Color table is empty");
    setColors(map, {0x010203, 0x040506});
    EXPECT_EQ(map.color(7), 0x010203u);
    EXPECT_EQ(map.color(-1), 0x010203u);
    EXPECT_EQ(log.messages,
              QStringList({"Invalid color index", "Invalid color index", "Invalid color index"}));
}

TEST(GIFColorMap, IndexOfSearchDirectionFollowsTheSortedMark)
{
    TGIFImage image;
    TGIFColorMap& map = image.globalColorMap();
    setColors(map, {0xFF0000, 0x00FF00, 0xFF0000});
    EXPECT_EQ(map.indexOf(0xFF0000), 2);
    map.setOptimized(true);
    EXPECT_EQ(map.indexOf(0xFF0000), 0);
    EXPECT_EQ(map.indexOf(0x0000FF), -1);
    map.add(0x0000FF); // adding clears the mark
    EXPECT_FALSE(map.optimized());
    EXPECT_EQ(map.indexOf(0xFF0000), 2);
}

TEST(GIFColorMap, OptimiseInUseOrderKeepsUnusedTrailingEntries)
{
    TGIFImage image;
    setColors(image.globalColorMap(), {0xA, 0xB, 0xC});
    addFrame(image, 0, 0, 3, 1, {0, 0, 1});
    EXPECT_TRUE(image.globalColorMap().optimize());
    EXPECT_TRUE(image.globalColorMap().optimized());
    EXPECT_EQ(image.globalColorMap().count(), 3);
}

TEST(GIFColorMap, OptimiseSortsByUseAndRemapsPixelsAndTransparency)
{
    TGIFImage image;
    TGIFSubImage* frame = addFrame(image, 0, 0, 4, 1, {1, 1, 1, 1});
    setColors(frame->colorMap(), {0x111111, 0x222222});
    EXPECT_TRUE(frame->colorMap().optimize());
    EXPECT_EQ(frame->colorMap().count(), 1);
    EXPECT_EQ(frame->colorMap().entry(0).value(), 0x222222u);
    EXPECT_EQ(pixelsOf(frame), (std::vector<uint8_t>{0, 0, 0, 0}));

    TGIFImage second;
    setColors(second.globalColorMap(), {0x1, 0x2, 0x3});
    TGIFSubImage* transparent = addFrame(second, 0, 0, 3, 1, {2, 2, 1});
    gce(transparent)->setTransparentColorIndex(1);
    gce(transparent)->setTransparent(true);
    second.globalColorMap().optimize();
    EXPECT_EQ(pixelsOf(transparent), (std::vector<uint8_t>{0, 0, 1}));
    EXPECT_EQ(transparent->graphicControlExtension()->transparentColorIndex(), 1);
    EXPECT_EQ(second.globalColorMap().count(), 2);

    TGIFImage noFrames;
    setColors(noFrames.globalColorMap(), {0x1, 0x2});
    EXPECT_FALSE(noFrames.globalColorMap().optimize());
}

TEST(GIFColorMap, MergeKeeps256ColoursAndMapsTheRestToTheClosestSum)
{
    for (bool transparent : {false, true}) {
        SCOPED_TRACE(transparent);
        TGIFImage image;
        WarningLog log(image);
        // 300 distinct greys over two frames with local maps; grey g has sum 3g.
        for (int f = 0; f < 2; ++f) {
            TGIFSubImage* frame = addFrame(image, 0, 0, 150, 2);
            std::vector<uint8_t> pixels(300);
            for (int i = 0; i < 150; ++i) {
                const int grey = f * 150 + i < 256 ? f * 150 + i : 255 - (f * 150 + i - 255);
                frame->colorMap().add(
                    rgbColor(uint8_t(i + f), uint8_t(grey), uint8_t(f * 150 + i > 255 ? 1 : 0)));
                // More uses for lower indexes, so the order of use is fixed.
                pixels[size_t(i)] = uint8_t(i);
                pixels[size_t(150 + i)] = uint8_t(i < 75 ? i : 0);
            }
            frame->setData(pixels);
            if (transparent && f == 1) {
                gce(frame)->setTransparentColorIndex(149);
                gce(frame)->setTransparent(true);
            }
        }
        std::vector<std::vector<TColor>> before(2);
        for (int f = 0; f < 2; ++f) {
            TGIFSubImage* frame = image.images().subImage(f);
            for (int64_t i = 0; i < frame->dataSize(); ++i)
                before[size_t(f)].push_back(frame->colorMap().entry(frame->data()[i]).value());
        }
        image.optimizeColorMaps();
        TGIFColorMap& merged = image.globalColorMap();
        ASSERT_EQ(merged.count(), 256); // 255 and black for transparency, else 256
        auto sum = [](TColor c) {
            return int(c & 0xFF) + int((c >> 8) & 0xFF) + int((c >> 16) & 0xFF);
        };
        const int kept = transparent ? 255 : 256;
        for (int f = 0; f < 2; ++f) {
            TGIFSubImage* frame = image.images().subImage(f);
            for (int64_t i = 0; i < frame->dataSize(); ++i) {
                if (frame->data()[i] == frame->transparentIndex())
                    continue;
                const TColor original = before[size_t(f)][size_t(i)];
                const TColor now = merged.entry(frame->data()[i]).value();
                if (now == original)
                    continue;
                int best = INT_MAX;
                for (int k = 0; k < kept; ++k)
                    best = std::min(best, std::abs(sum(merged.entry(k).value()) - sum(original)));
                ASSERT_EQ(std::abs(sum(now) - sum(original)), best);
            }
        }
        EXPECT_TRUE(image.globalColorMap().optimized());
        for (int f = 0; f < 2; ++f)
            EXPECT_EQ(image.images().subImage(f)->colorMap().count(), 0);
        if (transparent) {
            TGIFSubImage* frame = image.images().subImage(1);
            EXPECT_EQ(frame->graphicControlExtension()->transparentColorIndex(), 255);
            EXPECT_EQ(image.globalColorMap().entry(255).value(), 0u);
            EXPECT_EQ(frame->data()[149], 255);
        }
        EXPECT_TRUE(log.messages.isEmpty());
    }
}

TEST(GIFColorMap, MergeFoldsEqualColoursAndPicksTheClosestSum)
{
    TGIFImage image;
    setColors(image.globalColorMap(), {0x000000, 0x0A0A0A});
    TGIFSubImage* a = addFrame(image, 0, 0, 3, 1, {0, 0, 1});
    TGIFSubImage* b = addFrame(image, 0, 0, 2, 1, {0, 1});
    setColors(b->colorMap(), {0x0A0A0A, 0xFFFFFF});
    image.optimizeColorMaps();
    // 0x000000 used twice, 0x0A0A0A twice (folded), white once.
    ASSERT_EQ(image.globalColorMap().count(), 3);
    const TColor colorA0 = image.globalColorMap().entry(a->data()[0]).value();
    EXPECT_EQ(colorA0, 0u);
    EXPECT_EQ(a->data()[2], b->data()[0]);
    EXPECT_EQ(image.globalColorMap().entry(b->data()[1]).value(), 0xFFFFFFu);
}

TEST(GIFColorMap, MergeTurnsPixelsOutsideTheMapIntoZeroWithAWarning)
{
    TGIFImage image;
    WarningLog log(image);
    setColors(image.globalColorMap(), {0x0000FF, 0x00FF00});
    TGIFSubImage* frame = addFrame(image, 0, 0, 3, 1, {1, 7, 1});
    image.optimizeColorMaps();
    EXPECT_EQ(log.messages, QStringList{"Color not in color table"});
    EXPECT_EQ(image.globalColorMap().entry(frame->data()[1]).value(), 0x0000FFu);
}

TEST(GIFColorMap, MergeSwitchesOffTransparencyThatNoPixelUses)
{
    TGIFImage image;
    setColors(image.globalColorMap(), {0x1, 0x2, 0x3});
    TGIFSubImage* frame = addFrame(image, 0, 0, 2, 1, {0, 1});
    gce(frame)->setTransparentColorIndex(2);
    gce(frame)->setTransparent(true);
    image.optimizeColorMaps();
    EXPECT_FALSE(frame->transparent());
    EXPECT_EQ(frame->graphicControlExtension()->transparentColorIndex(), 0);
    EXPECT_EQ(image.globalColorMap().count(), 2);
}

TEST(GIFCrop, KeepsTheOpaqueRectangleOrEmptiesTheFrame)
{
    TGIFImage image;
    setColors(image.globalColorMap(), {0x0, 0x1, 0x2});
    TGIFSubImage* frame = addFrame(image, 1, 1, 4, 3, {2, 2, 2, 2, 2, 1, 0, 2, 2, 2, 1, 2});
    gce(frame)->setTransparentColorIndex(2);
    gce(frame)->setTransparent(true);
    frame->crop();
    EXPECT_EQ(frame->boundsRect(), QRect(2, 2, 2, 2));
    EXPECT_EQ(pixelsOf(frame), (std::vector<uint8_t>{1, 0, 2, 1}));

    TGIFSubImage* clear = addFrame(image, 0, 0, 2, 2, {2, 2, 2, 2});
    gce(clear)->setTransparentColorIndex(2);
    gce(clear)->setTransparent(true);
    clear->crop();
    EXPECT_TRUE(clear->empty());
    EXPECT_EQ(clear->extensions().count(), 0);
    EXPECT_FALSE(clear->transparent());
}

TEST(GIFOptimize, CropDeletesInvisibleFramesAndMovesTheirDelay)
{
    TGIFImage image;
    setColors(image.globalColorMap(), {0x0, 0x1});
    TGIFSubImage* first = addFrame(image, 0, 0, 2, 1, {0, 1});
    gce(first)->setTransparentColorIndex(1);
    gce(first)->setTransparent(true);
    gce(first)->setDelay(10);
    TGIFSubImage* invisible = addFrame(image, 0, 0, 2, 1, {1, 1});
    gce(invisible)->setTransparentColorIndex(1);
    gce(invisible)->setTransparent(true);
    gce(invisible)->setDelay(25);
    image.optimize(ooCrop, rmNone, dmNearest, 8);
    ASSERT_EQ(image.images().count(), 1);
    EXPECT_EQ(first->graphicControlExtension()->delay(), 35);
    EXPECT_EQ(first->boundsRect(), QRect(0, 0, 1, 1));
}

TEST(GIFOptimize, MergeMakesRepeatedPixelsTransparentWithANewWhiteEntry)
{
    TGIFImage image;
    setColors(image.globalColorMap(), {0x0, 0x1});
    addFrame(image, 0, 0, 3, 1, {0, 1, 0});
    TGIFSubImage* repeat = addFrame(image, 0, 0, 3, 1, {0, 1, 1});
    image.optimize(ooMerge, rmNone, dmNearest, 8);
    ASSERT_EQ(image.globalColorMap().count(), 3);
    EXPECT_EQ(image.globalColorMap().entry(2).value(), 0xFFFFFFu);
    ASSERT_NE(repeat->graphicControlExtension(), nullptr);
    EXPECT_EQ(repeat->extensions().count(), 1);
    EXPECT_TRUE(repeat->transparent());
    EXPECT_EQ(repeat->graphicControlExtension()->transparentColorIndex(), 2);
    EXPECT_EQ(pixelsOf(repeat), (std::vector<uint8_t>{2, 2, 1}));
}

TEST(GIFOptimize, MergeNeedsRoomForATransparentColour)
{
    TGIFImage image;
    for (int i = 0; i < 256; ++i)
        image.globalColorMap().add(TColor(i));
    addFrame(image, 0, 0, 2, 1, {5, 6});
    TGIFSubImage* repeat = addFrame(image, 0, 0, 2, 1, {5, 6});
    image.optimize(ooMerge, rmNone, dmNearest, 8);
    EXPECT_FALSE(repeat->transparent());
    EXPECT_EQ(pixelsOf(repeat), (std::vector<uint8_t>{5, 6}));
}

TEST(GIFOptimize, CleanupKeepsTheLoopOnlyOnTheFirstFrameOfAnAnimation)
{
    for (int frames : {1, 2}) {
        SCOPED_TRACE(frames);
        TGIFImage image;
        setColors(image.globalColorMap(), {0x0, 0x1});
        for (int i = 0; i < frames; ++i) {
            TGIFSubImage* frame = addFrame(image, 0, 0, 1, 1);
            frame->extensions().add(new TGIFAppExtNSLoop(frame));
            auto* comment = new TGIFCommentExtension(frame);
            comment->text() << "gone";
            frame->extensions().add(comment);
            gce(frame)->setDelay(5);
        }
        image.optimize(ooCleanup, rmNone, dmNearest, 8);
        TGIFSubImage* first = image.images().subImage(0);
        if (frames == 1) {
            EXPECT_EQ(first->extensions().count(), 0); // the control block of a still is moot too
        } else {
            ASSERT_EQ(first->extensions().count(), 2);
            EXPECT_NE(dynamic_cast<TGIFAppExtNSLoop*>(first->extensions().extension(0)), nullptr);
            EXPECT_EQ(image.images().subImage(1)->extensions().count(), 1);
        }
    }
}

TEST(GIFOptimize, ReportsProgressAndRefusesACustomReductionWithoutCleanup)
{
    TGIFImage image;
    setColors(image.globalColorMap(), {0x0, 0x1});
    addFrame(image, 0, 0, 1, 1);
    addFrame(image, 0, 0, 1, 1);
    std::vector<std::pair<int, int>> seen;
    image.onProgress = [&](TObject*, TProgressStage stage, int percent, bool, const QRect&,
                           const QString& m) {
        EXPECT_EQ(m, "Optimizing...");
        seen.emplace_back(stage, percent);
    };
    image.optimize(GIFAllOptimizeOptions, rmNone, dmNearest, 8);
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen.front(), std::make_pair(0, 0));
    EXPECT_EQ(seen.back(), std::make_pair(2, 100));
    for (size_t i = 1; i + 1 < seen.size(); ++i) {
        EXPECT_EQ(seen[i].first, 1);
        EXPECT_LE(seen[i].second, 100);
        EXPECT_GE(seen[i].second, seen[i - 1].second);
    }
    seen.clear();
    EXPECT_EQ(messageOf([&] { image.optimize(ooReduceColors, rmPalette, dmNearest, 8); }), "Invalid reduction method");
    EXPECT_EQ(seen.back(), std::make_pair(2, 0));
    image.optimize(ooReduceColors | ooCleanup, rmPalette, dmNearest, 8);
}
