// Optimising never changes what is shown nor when: for generated animations every optimisation
// option and the colour-map merge must leave the timeline (pictures and their times) as it was.
#include "GIFTestUtil.h"

#include <gtest/gtest.h>

using namespace giftest;

namespace {

struct Operation
{
    const char* name;
    TGIFOptimizeOptions options; // 0: merge the colour maps instead
    bool mayDropFrames;
};

const Operation operations[] = {
    {"crop", ooCrop, true},
    {"merge", ooMerge, false},
    {"cleanup", ooCleanup, false},
    {"colormaps", ooColorMap, false},
    {"merge+crop", ooMerge | ooCrop, true},
    {"all", ooCrop | ooMerge | ooCleanup | ooColorMap, true},
    {"merge-maps", 0, false},
};

// The timeline (each picture with the time it stays) is what optimising must keep: a dropped
// frame's time goes to the picture shown instead. What is written must read back the same.
void expectOptimisingKeepsTheTimeline(TGIFImage& image, const Operation& op)
{
    const std::vector<Shown> before = composeTimeline(image);
    const int framesBefore = image.images().count();
    const int64_t sizeBefore = save(image).size();
    if (op.options == 0)
        image.optimizeColorMaps();
    else
        image.optimize(op.options, 0, 0, 8);
    const std::vector<Shown> after = composeTimeline(image);
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        ASSERT_EQ(after[i].picture, before[i].picture) << "entry " << i;
        ASSERT_EQ(after[i].duration, before[i].duration) << "entry " << i;
    }
    if (!op.mayDropFrames && op.options != 0) {
        ASSERT_EQ(image.images().count(), framesBefore);
    }
    const QByteArray written = save(image);
    TGIFImage reread;
    load(reread, written);
    ASSERT_TRUE(composeTimeline(reread) == after);
    // Merge and crop keep a frame's new form only when it writes smaller.
    if (op.options == ooMerge || op.options == ooCrop || op.options == (ooMerge | ooCrop)) {
        ASSERT_LE(written.size(), sizeBefore);
    }
}

} // namespace

TEST(GIFOptimizeInvariant, EveryOptionKeepsTheTimeline)
{
    for (const Operation& op : operations) {
        for (unsigned seed = 1; seed <= 400; ++seed) {
            SCOPED_TRACE(testing::Message() << op.name << " seed " << seed);
            std::mt19937 random(seed);
            TGIFImage image;
            makeRandomAnimation(image, random);
            expectOptimisingKeepsTheTimeline(image, op);
        }
    }
}

// Files whose transparent index lies one past a two-colour table (ImageMagick's frame optimiser).
TEST(GIFOptimizeInvariant, TransparentIndexPastTheTableStaysTransparent)
{
    for (const Operation& op : operations) {
        for (unsigned seed = 1; seed <= 12; ++seed) {
            SCOPED_TRACE(testing::Message() << op.name << " seed " << seed);
            TGIFImage image;
            image.onWarning = [](TObject*, int, const QString&) {};
            load(image, twoColourOptimizedGif(8 + int(seed), 6 + int(seed % 5), 12, seed));
            expectOptimisingKeepsTheTimeline(image, op);
        }
    }
}

TEST(GIFOptimizeInvariant, MergedMapsStayWithinLimitsAndPixelsIndexThem)
{
    for (unsigned seed = 1; seed <= 200; ++seed) {
        std::mt19937 random(seed);
        TGIFImage image;
        makeRandomAnimation(image, random);
        image.optimizeColorMaps();
        const int count = image.globalColorMap().count();
        ASSERT_LE(count, 256);
        for (int i = 0; i < image.images().count(); ++i) {
            TGIFSubImage* frame = image.images().subImage(i);
            ASSERT_EQ(frame->colorMap().count(), 0);
            for (int64_t p = 0; p < frame->dataSize(); ++p)
                ASSERT_LT(frame->data()[p], count) << "seed " << seed;
        }
    }
}
