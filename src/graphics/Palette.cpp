#include "graphics/Palette.h"

HPALETTE createPalette(std::vector<TPaletteEntry> entries, uint16_t version)
{
    auto palette = std::make_shared<TLogPalette>();
    palette->version = version;
    palette->entries = std::move(entries);
    return palette;
}

QVector<QRgb> paletteColorTable(const HPALETTE& palette)
{
    QVector<QRgb> table;
    if (!palette)
        return table;
    table.reserve(int(palette->entries.size()));
    for (const TPaletteEntry& e : palette->entries)
        table.append(qRgb(e.red, e.green, e.blue));
    return table;
}
