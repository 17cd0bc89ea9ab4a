#include "gif/ColorQuantizer.h"
#include "gif/SystemPalettes.h"

#include <gtest/gtest.h>

namespace {

TPaletteEntry rgb(int r, int g, int b)
{
    return TPaletteEntry{uint8_t(r), uint8_t(g), uint8_t(b), 0};
}

TEST(ColorQuantizer, ReducesTheNewestNodeOfTheDeepestLevelFirst)
{
    // The two black-ish colours share a level-7 node P, the two white-ish ones a later node Q.
    // The fourth colour makes four leaves for three colours: Q, at the front of the level-7
    // list, is folded (254.5 truncates to 254); folding P instead would merge the blacks.
    TColorQuantizer quantizer(3);
    quantizer.addColor(0, 0, 0);
    quantizer.addColor(0, 0, 1);
    quantizer.addColor(255, 255, 254);
    EXPECT_EQ(quantizer.leafCount(), 3);
    quantizer.addColor(255, 255, 255);
    EXPECT_EQ(quantizer.leafCount(), 3);
    EXPECT_EQ(quantizer.colors(),
              (std::vector<TPaletteEntry>{rgb(0, 0, 0), rgb(0, 0, 1), rgb(255, 255, 254)}));
}

TEST(ColorQuantizer, SingleChildChainsFoldWithoutFreeingAColour)
{
    // Three colours in three octants, room for two: every level from 7 up holds only one-child
    // nodes, which fold without lowering the leaf count, until the root takes all three.
    TColorQuantizer quantizer(2);
    quantizer.addColor(0, 0, 0);
    quantizer.addColor(255, 255, 255);
    quantizer.addColor(255, 0, 0);
    EXPECT_EQ(quantizer.leafCount(), 1);
    EXPECT_EQ(quantizer.colors(), (std::vector<TPaletteEntry>{rgb(170, 85, 85)}));
}

TEST(ColorQuantizer, LeavesComeDepthFirstInChildOrder)
{
    TColorQuantizer quantizer(8);
    // Child index at the root: red bit * 4 + green bit * 2 + blue bit.
    for (const TPaletteEntry& e : {rgb(255, 0, 0), rgb(0, 0, 255), rgb(0, 255, 0), rgb(0, 0, 0)})
        quantizer.addColor(e.red, e.green, e.blue);
    EXPECT_EQ(quantizer.colors(),
              (std::vector<TPaletteEntry>{rgb(0, 0, 0), rgb(0, 0, 255), rgb(0, 255, 0), rgb(255, 0, 0)}));
}

TEST(ColorQuantizer, SumsDoNotOverflowOnHugePictures)
{
    // 17 million white pixels: 255 * 17e6 does not fit in 32 bits.
    TColorQuantizer quantizer(256);
    for (int i = 0; i < 17'000'000; ++i)
        quantizer.addColor(255, 255, 255);
    EXPECT_EQ(quantizer.colors(), (std::vector<TPaletteEntry>{rgb(255, 255, 255)}));
}

TEST(OptimizedPalette, SizesLayoutAndBlackFill)
{
    const uint8_t bgr[] = {30, 20, 10, 30, 20, 10};
    const HPALETTE plain = createOptimizedPalette(bgr, 2, 1, 6, 16);
    ASSERT_TRUE(plain);
    ASSERT_EQ(plain->entries.size(), 16u);
    EXPECT_EQ(plain->entries[0], rgb(10, 20, 30));
    for (size_t i = 1; i < 16; ++i)
        EXPECT_EQ(plain->entries[i], rgb(0, 0, 0));

    const HPALETTE system = createOptimizedPalette(bgr, 2, 1, 6, 256, 8, true);
    ASSERT_TRUE(system);
    ASSERT_EQ(system->entries.size(), 256u);
    const auto& statics = staticSystemColors();
    for (size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(system->entries[i], statics[i]);
        EXPECT_EQ(system->entries[246 + i], statics[10 + i]);
    }
    EXPECT_EQ(system->entries[10], rgb(10, 20, 30));
    EXPECT_EQ(system->entries[11], rgb(0, 0, 0));

    EXPECT_FALSE(createOptimizedPalette(bgr, 2, 1, 6, 0));
    EXPECT_FALSE(createOptimizedPalette(bgr, 2, 1, 6, 257));
    EXPECT_FALSE(createOptimizedPalette(bgr, 2, 1, 6, 20, 8, true));
}

TEST(OptimizedPalette, ManyColoursStayWithinTheLimit)
{
    // A full 64 x 64 x 4 colour ramp squeezed into 2^n colours for every n.
    std::vector<uint8_t> bgr;
    for (int i = 0; i < 16384; ++i)
        bgr.insert(bgr.end(), {uint8_t(i * 4), uint8_t(i / 64 * 4), uint8_t(i / 4096 * 64)});
    for (int bits = 1; bits <= 8; ++bits) {
        TColorQuantizer quantizer(1 << bits);
        quantizer.addPixels(bgr.data(), 128, 128, 128 * 3);
        EXPECT_LE(quantizer.leafCount(), 1 << bits);
        EXPECT_EQ(quantizer.colors().size(), size_t(quantizer.leafCount()));
    }
}

} // namespace
