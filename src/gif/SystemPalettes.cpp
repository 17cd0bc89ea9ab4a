#include "gif/SystemPalettes.h"

namespace {

constexpr TPaletteEntry rgb(int r, int g, int b)
{
    return TPaletteEntry{uint8_t(r), uint8_t(g), uint8_t(b), 0};
}

// The classic static colours of an 8-bit display: VGA's dark colours with the light grey, the
// "money green" and "sky blue" extras, then "cream", medium grey and VGA's bright colours.
constexpr std::array<TPaletteEntry, 20> kStaticColors = {
    rgb(0, 0, 0),       rgb(128, 0, 0),     rgb(0, 128, 0),     rgb(128, 128, 0),   rgb(0, 0, 128),
    rgb(128, 0, 128),   rgb(0, 128, 128),   rgb(192, 192, 192), rgb(192, 220, 192), rgb(166, 202, 240),
    rgb(255, 251, 240), rgb(160, 160, 164), rgb(128, 128, 128), rgb(255, 0, 0),     rgb(0, 255, 0),
    rgb(255, 255, 0),   rgb(0, 0, 255),     rgb(255, 0, 255),   rgb(0, 255, 255),   rgb(255, 255, 255),
};

std::vector<TPaletteEntry> greys(std::initializer_list<int> levels, uint8_t flags)
{
    std::vector<TPaletteEntry> entries;
    for (int level : levels)
        entries.push_back(TPaletteEntry{uint8_t(level), uint8_t(level), uint8_t(level), flags});
    return entries;
}

void appendWebCube(std::vector<TPaletteEntry>& entries)
{
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                entries.push_back(rgb(51 * r, 51 * g, 51 * b));
}

} // namespace

const std::array<TPaletteEntry, 20>& staticSystemColors()
{
    return kStaticColors;
}

HPALETTE halftonePalette()
{
    std::vector<TPaletteEntry> entries(kStaticColors.begin(), kStaticColors.begin() + 10);
    entries.reserve(256);
    appendWebCube(entries);
    // Twenty greys k * 255 / 21 (rounded) fill the gaps between the cube's six grey levels, so
    // grey pictures keep a smooth ramp on this palette.
    for (int k = 1; k <= 20; ++k) {
        const int level = (k * 255 + 10) / 21;
        entries.push_back(rgb(level, level, level));
    }
    entries.insert(entries.end(), kStaticColors.begin() + 10, kStaticColors.end());
    return createPalette(std::move(entries));
}

HPALETTE webPalette()
{
    std::vector<TPaletteEntry> entries;
    entries.reserve(216);
    appendWebCube(entries);
    return createPalette(std::move(entries));
}

HPALETTE grayScalePalette()
{
    std::vector<TPaletteEntry> entries(256);
    for (int i = 0; i < 256; ++i)
        entries[size_t(i)] = TPaletteEntry{uint8_t(i), uint8_t(i), uint8_t(i), PC_NOCOLLAPSE};
    return createPalette(std::move(entries));
}

HPALETTE fourGrayPalette()
{
    return createPalette(greys({0, 128, 192, 255}, PC_NOCOLLAPSE));
}

HPALETTE monochromePalette()
{
    return createPalette(greys({0, 255}, PC_NOCOLLAPSE));
}
