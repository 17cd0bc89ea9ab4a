// Colour use: the palette settings a new frame is reduced under, the maps merged afterwards, the
// web-safe palette an animation without a global map gets, and a frame's corner colour.
#include "editing/ColorUse.h"

#include "gif/ColorReduction.h"
#include "gif/GIFImage.h"
#include "platform/Settings.h"

#include <vector>

namespace {

int bitsForColorCount(int count)
{
    switch (count) {
    case 8:
        return 3;
    case 16:
        return 4;
    case 32:
        return 5;
    case 64:
        return 6;
    case 128:
        return 7;
    case 256:
        return 8;
    default:
        return 0;
    }
}

} // namespace

void fillWebPalette(TGIFColorMap& map)
{
    static constexpr uint8_t levels[6] = {0, 51, 102, 153, 204, 255};
    std::vector<TGIFColor> colors;
    colors.reserve(216);
    for (uint8_t red : levels)
        for (uint8_t green : levels)
            for (uint8_t blue : levels)
                colors.push_back({red, green, blue});
    map.setEntries(colors);
}

void optimizeAllColorMaps(TGIFImage& image)
{
    image.globalColorMap().optimize();
    for (int i = 0; i < image.images().count(); ++i) {
        TGIFLocalColorMap& map = image.images().subImage(i)->colorMap();
        if (map.count() > 0)
            map.optimize();
    }
    image.optimizeColorMaps();
}

bool applyPaletteSettings(TGIFImage& image)
{
    TSettingsBatch settings;
    const int paletteType = settings.readInteger(SettingKeys::PaletteType);
    const int colorCount = settings.readInteger(SettingKeys::MaxColorCount);
    const int ditherMethod = settings.readInteger(SettingKeys::DitherMethod);
    settings.close();

    bool optimizeAfterwards = false;
    if (paletteType == 0 || paletteType == 2) {
        image.setColorReduction(rmQuantize);
        if (const int bits = bitsForColorCount(colorCount))
            image.setReductionBits(bits);
        optimizeAfterwards = paletteType == 0;
    } else if (paletteType == 1) {
        image.setColorReduction(rmNetscape);
        image.setReductionBits(8);
        optimizeAfterwards = true;
    }
    if (ditherMethod == 0)
        image.setDitherMode(dmNearest);
    else if (ditherMethod == 1)
        image.setDitherMode(dmFloydSteinberg);
    return optimizeAfterwards;
}

TColor cornerColor(TGIFSubImage& frame)
{
    constexpr TColor white = rgbColor(255, 255, 255);
    if (frame.empty() || frame.height() <= 0 || frame.width() <= 0)
        return white;
    const TGIFColorMap& map = frame.activeColorMap();
    const int index = frame.pixel(0, frame.height() - 1);
    if (index >= map.count())
        return white;
    return map.entry(index).value();
}
