#include "gif/ColorLookup.h"

#include <gtest/gtest.h>

namespace {

HPALETTE palette(std::initializer_list<TColorRGB> colors)
{
    std::vector<TPaletteEntry> entries;
    for (const TColorRGB& c : colors)
        entries.push_back(TPaletteEntry{c.red, c.green, c.blue, 0});
    return createPalette(std::move(entries));
}

int ask(TColorLookup& lookup, int r, int g, int b)
{
    TColorRGB chosen;
    return lookup.lookup(uint8_t(r), uint8_t(g), uint8_t(b), chosen);
}

TEST(FastColorLookup, ACellKeepsTheAnswerOfItsFirstAsker)
{
    // (8, 0, 0) and (15, 0, 0) share a 5-5-5 cell; (8, 0, 0) is nearer to entry 0, (15, 0, 0)
    // to entry 1. Whichever asks first decides for both.
    const HPALETTE p = palette({{0, 0, 0}, {20, 0, 0}});
    TFastColorLookup farFirst(p);
    EXPECT_EQ(ask(farFirst, 15, 0, 0), 1);
    EXPECT_EQ(ask(farFirst, 8, 0, 0), 1);
    TFastColorLookup nearFirst(p);
    EXPECT_EQ(ask(nearFirst, 8, 0, 0), 0);
    EXPECT_EQ(ask(nearFirst, 15, 0, 0), 0);
}

TEST(FastColorLookup, EntriesClaimTheirOwnCellsInOrder)
{
    // (1, 1, 1) and (6, 6, 6) share cell 0: the earlier entry claims it, so even the exact
    // colour of entry 1 is answered with entry 0.
    TFastColorLookup lookup(palette({{1, 1, 1}, {6, 6, 6}, {6, 6, 6}}));
    TColorRGB chosen;
    EXPECT_EQ(lookup.lookup(6, 6, 6, chosen), 0);
    EXPECT_EQ(chosen, (TColorRGB{1, 1, 1}));
}

TEST(FastColorLookup, NearestByManhattanDistanceFirstOfEqualsWins)
{
    struct Case
    {
        HPALETTE palette;
        TColorRGB ask;
        int expected;
    } cases[] = {
        {palette({{10, 0, 0}, {0, 10, 0}}), {0, 0, 0}, 0},
        {palette({{0, 10, 0}, {10, 0, 0}}), {0, 0, 0}, 0},
        // Entry 0 is 40 + 40 + 0 = 80 away, entry 1 40 + 40 + 1 = 81.
        {palette({{0, 0, 0}, {80, 80, 1}}), {40, 40, 0}, 0},
        {palette({{0, 0, 0}, {200, 200, 200}, {255, 0, 0}}), {250, 40, 40}, 2},
    };
    for (const Case& c : cases) {
        TFastColorLookup lookup(c.palette);
        EXPECT_EQ(ask(lookup, c.ask.red, c.ask.green, c.ask.blue), c.expected);
    }
}

TEST(FastColorLookup, UsesAtMost256EntriesAndNoneWithoutAPalette)
{
    std::vector<TPaletteEntry> many(300);
    many[299] = TPaletteEntry{255, 255, 255, 0};
    TFastColorLookup big(createPalette(many));
    EXPECT_EQ(big.colors(), 256);
    EXPECT_LT(ask(big, 255, 255, 255), 256);

    TFastColorLookup none(nullptr);
    EXPECT_EQ(none.colors(), 0);
    TColorRGB chosen{1, 2, 3};
    EXPECT_EQ(none.lookup(9, 9, 9, chosen), 0); // unusable, but stays in bounds
    EXPECT_EQ(chosen, TColorRGB{});
}

TEST(FixedLookups, CubeGreyAndThreshold)
{
    TNetscapeColorLookup web;
    TGrayScaleLookup grey;
    TMonochromeLookup mono;
    TColorRGB chosen;
    EXPECT_EQ(web.lookup(47, 47, 47, chosen), 0);
    EXPECT_EQ(web.lookup(48, 48, 48, chosen), 43);
    EXPECT_EQ(chosen, (TColorRGB{51, 51, 51}));
    EXPECT_EQ(web.lookup(255, 0, 152, chosen), 180 + 3); // levels 5, 0, 3
    EXPECT_EQ(web.lookup(255, 255, 255, chosen), 215);

    EXPECT_EQ(grey.lookup(255, 255, 255, chosen), 255);
    EXPECT_EQ(grey.lookup(100, 0, 0, chosen), (77 * 100) >> 8);
    EXPECT_EQ(chosen, (TColorRGB{30, 30, 30}));

    EXPECT_EQ(mono.lookup(127, 127, 127, chosen), 0);
    EXPECT_EQ(chosen, (TColorRGB{0, 0, 0}));
    EXPECT_EQ(mono.lookup(128, 128, 128, chosen), 1);
    EXPECT_EQ(chosen, (TColorRGB{255, 255, 255}));
    EXPECT_EQ(mono.lookup(0, 217, 0, chosen), 1); // 150 * 217 = 32550
    EXPECT_EQ(mono.lookup(0, 216, 0, chosen), 0); // 32400
}

} // namespace
