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

HPALETTE stockDefaultPalette()
{
    static const HPALETTE palette = createPalette({{0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},
                                                   {128, 128, 0, 0},   {0, 0, 128, 0},     {128, 0, 128, 0},
                                                   {0, 128, 128, 0},   {192, 192, 192, 0}, {192, 220, 192, 0},
                                                   {166, 202, 240, 0}, {255, 251, 240, 0}, {160, 160, 164, 0},
                                                   {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},
                                                   {255, 255, 0, 0},   {0, 0, 255, 0},     {255, 0, 255, 0},
                                                   {0, 255, 255, 0},   {255, 255, 255, 0}});
    return palette;
}

HPALETTE systemPalette16()
{
    static const HPALETTE palette = createPalette({{0, 0, 0, 0},
                                                   {128, 0, 0, 0},
                                                   {0, 128, 0, 0},
                                                   {128, 128, 0, 0},
                                                   {0, 0, 128, 0},
                                                   {128, 0, 128, 0},
                                                   {0, 128, 128, 0},
                                                   {192, 192, 192, 0},
                                                   {128, 128, 128, 0},
                                                   {255, 0, 0, 0},
                                                   {0, 255, 0, 0},
                                                   {255, 255, 0, 0},
                                                   {0, 0, 255, 0},
                                                   {255, 0, 255, 0},
                                                   {0, 255, 255, 0},
                                                   {255, 255, 255, 0}});
    return palette;
}
