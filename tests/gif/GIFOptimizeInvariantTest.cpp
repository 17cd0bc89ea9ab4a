// Optimising never changes what is shown: for generated animations every optimisation option
// and the colour-map merge must leave the composed picture of every frame as it was.
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

// True when every picture of shown appears in expected in the same order.
bool isSubsequence(const std::vector<Picture>& shown, const std::vector<Picture>& expected)
{
    size_t at = 0;
    for (const Picture& picture : shown) {
        while (at < expected.size() && expected[at] != picture)
            ++at;
        if (at == expected.size())
            return false;
        ++at;
    }
    return true;
}

} // namespace

TEST(GIFOptimizeInvariant, EveryOptionKeepsTheComposedFrames)
{
    for (const Operation& op : operations) {
        for (unsigned seed = 1; seed <= 400; ++seed) {
            SCOPED_TRACE(testing::Message() << op.name << " seed " << seed);
            std::mt19937 random(seed);
            TGIFImage image;
            makeRandomAnimation(image, random);
            const std::vector<Picture> before = composeFrames(image);
            if (op.options == 0)
                image.optimizeColorMaps();
            else
                image.optimize(op.options, rmNone, dmNearest, 8);
            const std::vector<Picture> after = composeFrames(image);
            if (op.mayDropFrames) {
                ASSERT_TRUE(isSubsequence(after, before));
            } else {
                ASSERT_EQ(after.size(), before.size());
                for (size_t i = 0; i < before.size(); ++i)
                    ASSERT_EQ(after[i], before[i]) << "frame " << i;
            }
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
