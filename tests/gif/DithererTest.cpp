// Golden tests of the error-diffusion kernels. The expected indexes were worked out by hand
// from the kernels; the traces are kept beside each case. Grey pictures through the
// black-and-white lookup behave like one channel: a value up to 127 is black (error = value),
// from 128 white (error = value - 255).
#include "gif/ColorLookup.h"
#include "gif/ColorReduction.h"
#include "gif/Ditherers.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using Rows = std::vector<std::vector<int>>;

// Reduces a grey picture to black and white with the given dither mode; indexes by row.
Rows monochrome(uint8_t ditherMode, const Rows& greys)
{
    const int height = int(greys.size());
    const int width = int(greys.front().size());
    std::vector<uint8_t> bgr;
    for (const auto& row : greys)
        for (int v : row)
            bgr.insert(bgr.end(), {uint8_t(v), uint8_t(v), uint8_t(v)});
    const TReduction r = reduceColors(bgr.data(), width, height, width * 3, rmMonochrome, ditherMode, 8, {});
    EXPECT_EQ(r.kind, TReduction::Kind::Indexed);
    Rows out(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out[size_t(y)].push_back(r.pixels[size_t(y * width + x)]);
    return out;
}

Rows column(std::initializer_list<int> values)
{
    Rows rows;
    for (int v : values)
        rows.push_back({v});
    return rows;
}

struct GoldenCase
{
    const char* name;
    uint8_t ditherMode;
    Rows greys;
    Rows expected;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const GoldenCase& c, std::ostream* os)
{
    *os << c.name;
}

class DithererGolden : public ::testing::TestWithParam<GoldenCase>
{
};

TEST_P(DithererGolden, MatchesHandWorkedIndexes)
{
    const GoldenCase& c = GetParam();
    EXPECT_EQ(monochrome(c.ditherMode, c.greys), c.expected);
}

// A black first row diffuses nothing, so the second row (scanned right to left) shows the
// first-row weights "ahead": the error of the rightmost pixel pushes the leftmost one to white.
// Scanning the second row left to right would give 0, 0, 1.
//   Stucki: 100 -> e 100; 100 + (800 + 21) / 42 = 119 -> e 119; 100 + (400 + 952 + 21) / 42 = 132.
//   Sierra: 100; 100 + (500 + 16) / 32 = 116; 100 + (300 + 580 + 16) / 32 = 128.
//   JaJuNi: 105; 105 + (735 + 24) / 48 = 120; 105 + (525 + 840 + 24) / 48 = 133.
//   Burkes: 100; 100 + (800 + 16) / 32 = 125; 100 + (400 + 1000 + 16) / 32 = 144.
//   Stevenson-Arce (only +2: 32): 115; 115 (nothing at +1); 115 + (3680 + 100) / 200 = 133.
const GoldenCase kAheadCases[] = {
    {"StuckiAhead", dmStucki, {{0, 0, 0}, {100, 100, 100}}, {{0, 0, 0}, {1, 0, 0}}},
    {"SierraAhead", dmSierra, {{0, 0, 0}, {100, 100, 100}}, {{0, 0, 0}, {1, 0, 0}}},
    {"JaJuNiAhead", dmJaJuNi, {{0, 0, 0}, {105, 105, 105}}, {{0, 0, 0}, {1, 0, 0}}},
    {"BurkesAhead", dmBurkes, {{0, 0, 0}, {100, 100, 100}}, {{0, 0, 0}, {1, 0, 0}}},
    {"SteveArceAhead", dmSteveArche, {{0, 0, 0}, {115, 115, 115}}, {{0, 0, 0}, {1, 0, 0}}},
};

// One pixel wide: only the taps straight below reach real cells, the rest fall into spares.
//   Stucki (8, 4 below): 100 e100; 100+(800+21)/42=119 e119; 100+(400+952+21)/42=132 e-123;
//     100+(476-984+21)/42=89.
//   Sierra (5, 3): 100; 116 e116; 100+(300+580+16)/32=128 e-127; 100+(348-635+16)/32=92.
//   JaJuNi (7, 5): 100; 115 e115; 100+(500+805+24)/48=127 e127; 100+(575+889+24)/48=131.
//   Burkes (8): 100; 125 e125; 100+(1000+16)/32=131 e-124; 100+(-992+16)/32=70.
//   Stevenson-Arce (26 two rows below): 115; 115; 115+(2990+100)/200=130 e-125; 130;
//     115+(-3250+100)/200=100.
//   Floyd-Steinberg: left to right pixel 0 uses cell 0, right to left it uses cell 2, so each
//   row sees the error of the row two above: 120, 120, 120+(360+8)/16=143 e-112, 143,
//   120+(-336+8)/16=100, 100.
const GoldenCase kOneWideCases[] = {
    {"StuckiOneWide", dmStucki, column({100, 100, 100, 100}), column({0, 0, 1, 0})},
    {"SierraOneWide", dmSierra, column({100, 100, 100, 100}), column({0, 0, 1, 0})},
    {"JaJuNiOneWide", dmJaJuNi, column({100, 100, 100, 100}), column({0, 0, 0, 1})},
    {"BurkesOneWide", dmBurkes, column({100, 100, 100, 100}), column({0, 0, 1, 0})},
    {"SteveArceOneWide", dmSteveArche, column({115, 115, 115, 115, 115}), column({0, 0, 1, 1, 0})},
    {"FloydSteinbergOneWide", dmFloydSteinberg, column({120, 120, 120, 120, 120, 120}),
     column({0, 0, 1, 1, 0, 0})},
};

// Two and three pixels wide, both directions, the rows below included.
const GoldenCase kWideCases[] = {
    // Stucki: row 0: 100 e100, 100+(800+21)/42=119 e119. Row 1 (right to left) starts from
    // cells 1276 | 1352: 100+(1352+21)/42=132 e-123, then 100+(1276-984+21)/42=107 e107.
    // Row 2 from 1002 | 120: 124 e124, 100+(120+992+21)/42=126 e126. Row 3 from 1678 | 1226:
    // 100+(1226+21)/42=129 e-126, 100+(1678-1008+21)/42=116.
    {"StuckiTwoWide", dmStucki, Rows(4, {100, 100}), {{0, 0}, {0, 1}, {0, 0}, {0, 1}}},
    // Burkes: row 0: 100 e100, 100+(800+16)/32=125 e125. Row 1 from 1300 | 1400: right pixel
    // 100+(1400+16)/32=144 e-111, left pixel 100+(1300-888+16)/32=113.
    {"BurkesTwoWide", dmBurkes, Rows(2, {100, 100}), {{0, 0}, {0, 1}}},
    // Stevenson-Arce, asymmetric second row (-3:12, -1:26, +1:30, +3:16). Row 0: 115 e115 puts
    // 30*115 at column 1 of row 1 and 26*115 at column 0 of row 2. Row 1 right to left: column 1
    // 111+(3450+100)/200=128 e-127, whose "+1" (30) lands on column 0 of row 2: 2990-3810.
    // Row 2: 130+(-820+100)/200=127. Mirrored weights would give 126 in row 1 and 129 in row 2.
    {"SteveArceTwoWide", dmSteveArche, {{115, 0}, {0, 111}, {130, 0}}, {{0, 0}, {0, 1}, {0, 0}}},
    // Floyd-Steinberg: row 0: 100 e100 (cell 0 = 300, below-prev 500, current 700), then
    // 100+(700+8)/16=144 e-111 (cell 1 = 167); end of row: cell 2 = -455. Row 1 starts at the
    // last cell (3, still 0): 120 e120 (current 840), then cell 2: 100+(-455+840+8)/16=124.
    {"FloydSteinbergTwoWide", dmFloydSteinberg, {{100, 100}, {100, 120}}, {{0, 1}, {0, 0}}},
    // Row 0: 100 e100; 100+(700+8)/16=144 e-111; 100+(-777+8)/16=52 e52; cell 3 = 149.
    // Row 1: cell 4: 100 e100; cell 3: 100+(149+700+8)/16=153 e-102; cell 2:
    // 100+(-299-714+8)/16=38.
    {"FloydSteinbergThreeWide", dmFloydSteinberg, Rows(2, {100, 100, 100}), {{0, 1, 0}, {0, 1, 0}}},
    // An error of 0 leaves the cell alone: rows 2 and 3 clamp to 0 exactly (error 0), so the
    // -165 from row 0 still sits in cell 0 for row 4: 130+(-165+8)/16=121, black.
    {"FloydSteinbergZeroErrorKeepsCell", dmFloydSteinberg, column({200, 200, 0, 0, 130}),
     column({1, 1, 0, 0, 0})},
};

std::string caseName(const ::testing::TestParamInfo<GoldenCase>& info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Ahead, DithererGolden, ::testing::ValuesIn(kAheadCases), caseName);
INSTANTIATE_TEST_SUITE_P(OneWide, DithererGolden, ::testing::ValuesIn(kOneWideCases), caseName);
INSTANTIATE_TEST_SUITE_P(Wide, DithererGolden, ::testing::ValuesIn(kWideCases), caseName);

TEST(FloydSteinberg, ChannelsDiffuseIndependently)
{
    // (20, 30, 0) -> web entry 0 with errors (20, 30, 0); the next pixel (40, 40, 40) becomes
    // (40 + 148/16, 40 + 218/16, 40 + 8/16) = (49, 53, 40): levels 1, 1, 0 -> index 42.
    const uint8_t bgr[] = {0, 30, 20, 40, 40, 40};
    const TReduction r = reduceColors(bgr, 2, 1, 6, rmNetscape, dmFloydSteinberg, 8, {});
    ASSERT_EQ(r.pixels.size(), 2u);
    EXPECT_EQ(r.pixels[0], 0);
    EXPECT_EQ(r.pixels[1], 42);
}

TEST(FloydSteinberg, SkippedPixelsKeepTheirIndexAndPassTheRunningErrorOn)
{
    TNetscapeColorLookup lookup;
    TFloydSteinbergDitherer ditherer(&lookup, 3);
    const uint8_t bgr[] = {0, 30, 20, 255, 255, 255, 40, 40, 40};
    const uint8_t skip[] = {0, 1, 0};
    uint8_t indexes[3] = {99, 99, 99};
    ditherer.ditherRow(bgr, indexes, skip);
    EXPECT_EQ(indexes[0], 0);
    EXPECT_EQ(indexes[1], 99);
    EXPECT_EQ(indexes[2], 42);
    EXPECT_EQ(ditherer.column(), 3);
}

TEST(DitherEngine, SerpentineScanOrder)
{
    TMonochromeLookup lookup;
    TDitherEngine engine(&lookup, 3);
    TColorRGB chosen;
    std::vector<int> visited;
    for (int row = 0; row < 3; ++row) {
        while (engine.column() >= 0 && engine.column() < engine.width()) {
            visited.push_back(engine.column());
            engine.dither(0, 0, 0, chosen);
        }
        engine.nextLine();
    }
    EXPECT_EQ(visited, (std::vector<int>{0, 1, 2, 2, 1, 0, 0, 1, 2}));
}

TEST(DitherEngine, DitheringPastTheRowEndStaysInsideTheErrorRows)
{
    // The per-pixel interface can be driven too far; it must neither move nor diffuse then.
    TMonochromeLookup lookup;
    for (uint8_t mode = 0; mode <= 6; ++mode) {
        auto ditherer = createDitherer(mode, &lookup, 1);
        TColorRGB chosen;
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(ditherer->dither(200, 200, 200, chosen), 1);
        ditherer->skip();
        ditherer->nextLine();
        EXPECT_EQ(ditherer->column(), 0);
        EXPECT_EQ(ditherer->direction(), -1);
    }
}

// A lookup of a class the ditherers do not know: exercises the generic (virtual) row loop.
class TWrappedLookup : public TColorLookup
{
public:
    TWrappedLookup() : TColorLookup(216, TLookupKind::Other) {}
    uint8_t lookup(uint8_t red, uint8_t green, uint8_t blue, TColorRGB& chosen) override
    {
        return m_inner.lookup(red, green, blue, chosen);
    }

private:
    TNetscapeColorLookup m_inner;
};

TEST(DitherEngine, RowLoopPixelLoopAndGenericLookupAgree)
{
    const int width = 13;
    const int height = 7;
    std::mt19937 random(7);
    std::vector<uint8_t> bgr(size_t(width * height * 3));
    for (uint8_t& b : bgr)
        b = uint8_t(random());
    for (uint8_t mode = 0; mode <= 6; ++mode) {
        TNetscapeColorLookup fast;
        TWrappedLookup wrapped;
        auto byRow = createDitherer(mode, &fast, width);
        auto byPixel = createDitherer(mode, &wrapped, width);
        for (int y = 0; y < height; ++y) {
            const uint8_t* row = bgr.data() + y * width * 3;
            std::vector<uint8_t> rowIndexes(static_cast<size_t>(width)),
                pixelIndexes(static_cast<size_t>(width));
            byRow->ditherRow(row, rowIndexes.data());
            TColorRGB chosen;
            while (byPixel->column() >= 0 && byPixel->column() < width) {
                const int x = byPixel->column();
                pixelIndexes[size_t(x)] = byPixel->dither(row[x * 3 + 2], row[x * 3 + 1], row[x * 3], chosen);
            }
            EXPECT_EQ(rowIndexes, pixelIndexes) << "mode " << int(mode) << " row " << y;
            byRow->nextLine();
            byPixel->nextLine();
        }
    }
}

} // namespace
