#include "gif/ColorReduction.h"

#include "gif/ColorQuantizer.h"
#include "gif/SystemPalettes.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

bool validLayout(const uint8_t* bgrRows, int width, int height, std::ptrdiff_t stride)
{
    if (width < 0 || height < 0)
        return false;
    if (width == 0 || height == 0)
        return true;
    const auto rowBytes = std::ptrdiff_t(width) * 3;
    return bgrRows && (stride >= rowBytes || -stride >= rowBytes);
}

HPALETTE copyOfCustom(const HPALETTE& custom)
{
    if (!custom || custom->entries.empty())
        return nullptr;
    // An 8-bit picture can address only 256 entries; the rest would never be used.
    const size_t count = std::min<size_t>(custom->entries.size(), 256);
    return createPalette(
        std::vector<TPaletteEntry>(custom->entries.begin(), custom->entries.begin() + std::ptrdiff_t(count)),
        custom->version);
}

TReduction trueColorCopy(const uint8_t* bgrRows, int width, int height, std::ptrdiff_t stride)
{
    TReduction result;
    result.kind = TReduction::Kind::TrueColor;
    result.width = width;
    result.height = height;
    const size_t rowBytes = size_t(width) * 3;
    result.pixels.resize(rowBytes * size_t(height));
    for (int y = 0; y < height; ++y)
        std::memcpy(result.pixels.data() + rowBytes * size_t(y), bgrRows + std::ptrdiff_t(y) * stride,
                    rowBytes);
    return result;
}

} // namespace

HPALETTE reductionPalette(const uint8_t* bgrRows, int width, int height, std::ptrdiff_t stride,
                          uint8_t reduction, int reductionBits, const HPALETTE& custom)
{
    switch (reduction) {
    case rmWindows20:
        return createPalette(stockDefaultPalette()->entries); // a handle of its own, like every reduction palette
    case rmHalftone:
        return halftonePalette();
    case rmFourGrays:
        return fourGrayPalette();
    case rmMonochrome:
        return monochromePalette();
    case rmGrayScale:
        return grayScalePalette();
    case rmNetscape:
        return webPalette();
    case rmQuantize:
        if (reductionBits < 1 || reductionBits > 8)
            return nullptr;
        return createOptimizedPalette(bgrRows, width, height, stride, 1 << reductionBits, 8, false);
    case rmQuantizeWindows:
        return createOptimizedPalette(bgrRows, width, height, stride, 256, 8, true);
    case rmPalette:
        return copyOfCustom(custom);
    default:
        return nullptr;
    }
}

std::unique_ptr<TColorLookup> createReductionLookup(uint8_t reduction, const HPALETTE& palette)
{
    switch (reduction) {
    case rmMonochrome:
        return std::make_unique<TMonochromeLookup>();
    case rmGrayScale:
        return std::make_unique<TGrayScaleLookup>();
    case rmNetscape:
        return std::make_unique<TNetscapeColorLookup>();
    case rmWindows20:
    case rmHalftone:
    case rmFourGrays:
    case rmQuantize:
    case rmQuantizeWindows:
    case rmPalette:
        return std::make_unique<TFastColorLookup>(palette);
    default:
        return nullptr;
    }
}

TReduction reduceColors(const uint8_t* bgrRows, int width, int height, std::ptrdiff_t stride,
                        uint8_t reduction, uint8_t ditherMode, int reductionBits, const HPALETTE& custom)
{
    if (reduction > rmPalette || ditherMode > dmBurkes || !validLayout(bgrRows, width, height, stride))
        return {};
    if (reduction == rmNone)
        return trueColorCopy(bgrRows, width, height, stride);

    HPALETTE palette = reductionPalette(bgrRows, width, height, stride, reduction, reductionBits, custom);
    std::unique_ptr<TColorLookup> lookup = createReductionLookup(reduction, palette);
    if (!palette || !lookup || lookup->colors() == 0)
        return {};
    std::unique_ptr<TDitherEngine> ditherer = createDitherer(ditherMode, lookup.get(), width);
    if (!ditherer)
        return {};

    TReduction result;
    result.kind = TReduction::Kind::Indexed;
    result.width = width;
    result.height = height;
    result.palette = std::move(palette);
    result.pixels.resize(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y) {
        ditherer->ditherRow(bgrRows + std::ptrdiff_t(y) * stride,
                            result.pixels.data() + size_t(width) * size_t(y));
        ditherer->nextLine();
    }
    return result;
}
