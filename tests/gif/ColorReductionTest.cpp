#include "gif/ColorReduction.h"
#include "gif/SystemPalettes.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::vector<uint8_t> solid(int width, int height, uint8_t r, uint8_t g, uint8_t b)
{
    std::vector<uint8_t> bgr;
    for (int i = 0; i < width * height; ++i)
        bgr.insert(bgr.end(), {b, g, r});
    return bgr;
}

uint8_t reduceOne(uint8_t reduction, uint8_t r, uint8_t g, uint8_t b)
{
    const uint8_t bgr[] = {b, g, r};
    const TReduction result = reduceColors(bgr, 1, 1, 3, reduction, dmNearest, 8, {});
    EXPECT_EQ(result.pixels.size(), 1u);
    return result.pixels.empty() ? 255 : result.pixels[0];
}

TEST(ColorReduction, SingleColourQuantizesToEntryZero)
{
    const auto bgr = solid(7, 5, 200, 100, 50);
    for (uint8_t mode : {dmNearest, dmFloydSteinberg, dmStucki}) {
        const TReduction r = reduceColors(bgr.data(), 7, 5, 21, rmQuantize, mode, 8, {});
        ASSERT_EQ(r.kind, TReduction::Kind::Indexed);
        ASSERT_EQ(r.palette->entries.size(), 256u);
        EXPECT_EQ(r.palette->entries[0], (TPaletteEntry{200, 100, 50, 0}));
        EXPECT_EQ(r.pixels, std::vector<uint8_t>(35, 0));
    }
    const TReduction withSystem = reduceColors(bgr.data(), 7, 5, 21, rmQuantizeWindows, dmNearest, 8, {});
    ASSERT_EQ(withSystem.palette->entries.size(), 256u);
    EXPECT_EQ(withSystem.palette->entries[10], (TPaletteEntry{200, 100, 50, 0}));
    EXPECT_EQ(withSystem.pixels, std::vector<uint8_t>(35, 10));
}

TEST(ColorReduction, FixedPaletteEdges)
{
    EXPECT_EQ(reduceOne(rmNetscape, 47, 47, 47), 0);
    EXPECT_EQ(reduceOne(rmNetscape, 48, 48, 48), 43);
    EXPECT_EQ(reduceOne(rmMonochrome, 127, 127, 127), 0);
    EXPECT_EQ(reduceOne(rmMonochrome, 128, 128, 128), 1);
    EXPECT_EQ(reduceOne(rmFourGrays, 170, 170, 170), 2); // 192 is 66 away, 128 is 126
    EXPECT_EQ(reduceOne(rmGrayScale, 0, 255, 0), 149);   // 150 * 255 >> 8
    EXPECT_EQ(reduceOne(rmWindows20, 255, 251, 240), 10);
    EXPECT_EQ(reduceOne(rmHalftone, 51, 102, 153), 10 + 36 + 12 + 3);
}

TEST(ColorReduction, PalettesCarryTheirSizesAndFlags)
{
    struct Case
    {
        uint8_t reduction;
        size_t size;
        uint8_t flags;
    } cases[] = {{rmWindows20, 20, 0},
                 {rmHalftone, 256, 0},
                 {rmFourGrays, 4, PC_NOCOLLAPSE},
                 {rmMonochrome, 2, PC_NOCOLLAPSE},
                 {rmGrayScale, 256, PC_NOCOLLAPSE},
                 {rmNetscape, 216, 0},
                 {rmQuantize, 64, 0},
                 {rmQuantizeWindows, 256, 0}};
    const auto bgr = solid(3, 3, 1, 2, 3);
    for (const Case& c : cases) {
        const TReduction r = reduceColors(bgr.data(), 3, 3, 9, c.reduction, dmNearest, 6, {});
        ASSERT_TRUE(r.palette) << int(c.reduction);
        EXPECT_EQ(r.palette->entries.size(), c.size) << int(c.reduction);
        for (const TPaletteEntry& e : r.palette->entries)
            EXPECT_EQ(e.flags, c.flags) << int(c.reduction);
    }
    const HPALETTE web = webPalette();
    EXPECT_EQ(web->entries[36 * 5 + 6 * 2 + 1], (TPaletteEntry{255, 102, 51, 0}));
    const HPALETTE greys = grayScalePalette();
    EXPECT_EQ(greys->entries[77], (TPaletteEntry{77, 77, 77, PC_NOCOLLAPSE}));
    const HPALETTE halftone = halftonePalette();
    EXPECT_EQ(halftone->entries[0], staticSystemColors()[0]);
    EXPECT_EQ(halftone->entries[255], staticSystemColors()[19]);
}

TEST(ColorReduction, RefusedRequestsGiveAnEmptyResult)
{
    const auto bgr = solid(2, 2, 9, 9, 9);
    const HPALETTE none;
    const HPALETTE empty = createPalette({});
    struct Case
    {
        const char* what;
        uint8_t reduction;
        uint8_t mode;
        int bits;
        HPALETTE custom;
        int stride;
    } cases[] = {
        {"dither mode 7", rmNetscape, 7, 8, none, 6},
        {"reduction 10", 10, dmNearest, 8, none, 6},
        {"custom without palette", rmPalette, 0, 8, none, 6},
        {"custom palette empty", rmPalette, 0, 8, empty, 6},
        {"bits 0", rmQuantize, 0, 0, none, 6},
        {"bits 9", rmQuantize, 0, 9, none, 6},
        {"short stride", rmNetscape, 0, 8, none, 5},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(reduceColors(bgr.data(), 2, 2, c.stride, c.reduction, c.mode, c.bits, c.custom).empty())
            << c.what;
    EXPECT_TRUE(reduceColors(nullptr, 2, 2, 6, rmNetscape, 0, 8, none).empty());
    EXPECT_TRUE(reduceColors(bgr.data(), -1, 2, 6, rmNetscape, 0, 8, none).empty());
}

TEST(ColorReduction, NoReductionCopiesTrueColourRows)
{
    // Two rows of one pixel each, 4 bytes apart, walked bottom-up with a negative stride.
    const uint8_t rows[] = {1, 2, 3, 0, 4, 5, 6, 0};
    const TReduction r = reduceColors(rows + 4, 1, 2, -4, rmNone, dmBurkes, 8, {});
    EXPECT_EQ(r.kind, TReduction::Kind::TrueColor);
    EXPECT_EQ(r.pixels, (std::vector<uint8_t>{4, 5, 6, 1, 2, 3}));
}

TEST(ColorReduction, CustomPaletteIsCopied)
{
    const HPALETTE custom = createPalette({{0, 0, 0, 0}, {250, 10, 10, 1}});
    const uint8_t bgr[] = {0, 0, 200};
    const TReduction r = reduceColors(bgr, 1, 1, 3, rmPalette, dmNearest, 8, custom);
    ASSERT_EQ(r.pixels.size(), 1u);
    EXPECT_EQ(r.pixels[0], 1);
    EXPECT_NE(r.palette, custom);
    EXPECT_EQ(r.palette->entries, custom->entries);
}

// Every method with every ditherer on random pictures: indexes stay inside the palette, and
// without diffusion each pixel gets what the method's lookup answers for its own colour
// (asked in the same serpentine order, since the fast lookup's cells remember their first asker).
TEST(ColorReduction, PropertyIndexesInsidePaletteAndNearestMatchesLookup)
{
    std::mt19937 random(2026);
    std::vector<TPaletteEntry> customEntries(37);
    for (TPaletteEntry& e : customEntries)
        e = TPaletteEntry{uint8_t(random()), uint8_t(random()), uint8_t(random()), 0};
    const HPALETTE custom = createPalette(customEntries);

    for (int picture = 0; picture < 3; ++picture) {
        const int width = 1 + int(random() % 23);
        const int height = 1 + int(random() % 11);
        const int stride = width * 3 + int(random() % 4);
        std::vector<uint8_t> bgr(size_t(stride * height));
        for (uint8_t& b : bgr)
            b = uint8_t(random());
        for (uint8_t reduction = 1; reduction <= 9; ++reduction) {
            for (uint8_t mode = 0; mode <= 6; ++mode) {
                const int bits = 3 + picture;
                const TReduction r =
                    reduceColors(bgr.data(), width, height, stride, reduction, mode, bits, custom);
                ASSERT_EQ(r.kind, TReduction::Kind::Indexed);
                ASSERT_EQ(r.pixels.size(), size_t(width * height));
                for (uint8_t index : r.pixels)
                    ASSERT_LT(index, r.palette->entries.size()) << int(reduction) << "/" << int(mode);
                if (mode != dmNearest)
                    continue;
                auto lookup = createReductionLookup(reduction, r.palette);
                for (int y = 0; y < height; ++y) {
                    for (int i = 0; i < width; ++i) {
                        const int x = y % 2 == 0 ? i : width - 1 - i;
                        const uint8_t* p = bgr.data() + y * stride + x * 3;
                        TColorRGB chosen;
                        ASSERT_EQ(r.pixels[size_t(y * width + x)], lookup->lookup(p[2], p[1], p[0], chosen))
                            << int(reduction) << " at " << x << "," << y;
                    }
                }
            }
        }
    }
}

} // namespace
