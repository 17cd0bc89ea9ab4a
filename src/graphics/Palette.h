#pragma once
// Logical palettes: an ordered list of colours with per-entry flags. A palette handle is a
// shared, immutable palette; "no palette" is a null handle. Two handles are "the same
// palette" when they point to the same object.
#include <QVector>
#include <QtGui/qrgb.h>
#include <cstdint>
#include <memory>
#include <vector>

struct TPaletteEntry
{
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t flags = 0; // PC_NOCOLLAPSE = 4 for entries the engine makes

    bool operator==(const TPaletteEntry&) const = default;
};

constexpr uint8_t PC_NOCOLLAPSE = 4;

struct TLogPalette
{
    uint16_t version = 0x300;
    std::vector<TPaletteEntry> entries;
};

using HPALETTE = std::shared_ptr<const TLogPalette>;

// Builds a palette handle from its entries.
HPALETTE createPalette(std::vector<TPaletteEntry> entries, uint16_t version = 0x300);
// The colours of a palette as a Qt colour table (opaque entries).
QVector<QRgb> paletteColorTable(const HPALETTE& palette);

// The platform's stock palettes: the 20 static system colours (10 at each end of a system
// palette) and the 16 standard colours of 4-bit displays, in the platform's order.
HPALETTE stockDefaultPalette();
HPALETTE systemPalette16();
