#pragma once
// Colour lookups: map a colour to the index of a palette entry and give back that entry's
// colour. A lookup is made per reduction or per rendering and used from one thread only (the
// fast lookup fills its inverse table while it answers).
//
// The concrete lookups are final and define lookup() inline, so the ditherers, which are
// instantiated per lookup class, call it without a virtual dispatch in their inner loops.
#include "graphics/Graphic.h"
#include "graphics/Palette.h"

#include <cstdint>
#include <vector>

struct TColorRGB
{
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;

    bool operator==(const TColorRGB&) const = default;
};

// Which concrete class a lookup is; lets a ditherer pick its specialised row loop once per row.
enum class TLookupKind
{
    Other,
    Fast,
    Netscape,
    GrayScale,
    Monochrome
};

class TColorLookup : public TObject
{
public:
    // The number of colours the lookup can return; 0 means the lookup is unusable.
    int colors() const { return m_colors; }
    TLookupKind kind() const { return m_kind; }

    // The index of the palette entry chosen for (red, green, blue); its colour goes to chosen.
    virtual uint8_t lookup(uint8_t red, uint8_t green, uint8_t blue, TColorRGB& chosen) = 0;

protected:
    TColorLookup(int colors, TLookupKind kind) : m_colors(colors), m_kind(kind) {}

private:
    int m_colors;
    TLookupKind m_kind;
};

// Nearest colour by |dr| + |dg| + |db| over an arbitrary palette of up to 256 entries, cached
// in an inverse table of 5-5-5 cells. A cell answers for every colour that falls into it with
// the entry found for the first colour that asked (or the entry whose own colour claimed it).
class TFastColorLookup final : public TColorLookup
{
public:
    // Reads the first 256 entries of palette (none for a null handle: colors() is then 0).
    explicit TFastColorLookup(const HPALETTE& palette);

    static int cellOf(uint8_t red, uint8_t green, uint8_t blue)
    {
        return (blue >> 3) * 1024 + (green >> 3) * 32 + (red >> 3);
    }

    uint8_t lookup(uint8_t red, uint8_t green, uint8_t blue, TColorRGB& chosen) override
    {
        int16_t& cell = m_inverse[size_t(cellOf(red, green, blue))];
        if (cell < 0)
            cell = nearest(red, green, blue);
        chosen = m_entries[size_t(cell)];
        return uint8_t(cell);
    }

private:
    int16_t nearest(uint8_t red, uint8_t green, uint8_t blue) const;

    // Never empty: an unusable lookup keeps one black entry so that a stray call stays in bounds.
    std::vector<TColorRGB> m_entries;
    std::vector<int16_t> m_inverse; // 32768 cells, -1 = not yet known
};

// The 6x6x6 web cube: each channel becomes the level (c + 3) div 51.
class TNetscapeColorLookup final : public TColorLookup
{
public:
    TNetscapeColorLookup() : TColorLookup(216, TLookupKind::Netscape) {}

    uint8_t lookup(uint8_t red, uint8_t green, uint8_t blue, TColorRGB& chosen) override
    {
        const int r = (red + 3) / 51;
        const int g = (green + 3) / 51;
        const int b = (blue + 3) / 51;
        chosen = TColorRGB{uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51)};
        return uint8_t(36 * r + 6 * g + b);
    }
};

// 256 greys by the weights 77, 150, 29 (sum 256).
class TGrayScaleLookup final : public TColorLookup
{
public:
    TGrayScaleLookup() : TColorLookup(256, TLookupKind::GrayScale) {}

    uint8_t lookup(uint8_t red, uint8_t green, uint8_t blue, TColorRGB& chosen) override
    {
        const auto grey = uint8_t((77 * red + 150 * green + 29 * blue) >> 8);
        chosen = TColorRGB{grey, grey, grey};
        return grey;
    }
};

// Black (index 0) below the weighted brightness 32513, white (index 1) from there on.
class TMonochromeLookup final : public TColorLookup
{
public:
    TMonochromeLookup() : TColorLookup(2, TLookupKind::Monochrome) {}

    uint8_t lookup(uint8_t red, uint8_t green, uint8_t blue, TColorRGB& chosen) override
    {
        if (77 * red + 150 * green + 29 * blue < 32513) {
            chosen = TColorRGB{0, 0, 0};
            return 0;
        }
        chosen = TColorRGB{255, 255, 255};
        return 1;
    }
};
