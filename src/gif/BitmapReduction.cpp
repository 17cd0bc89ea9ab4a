#include "gif/BitmapReduction.h"

#include "gif/ColorQuantizer.h"
#include "gif/Ditherers.h"
#include "gif/GIFDIB.h"
#include "gif/SystemPalettes.h"

#include <array>
#include <utility>
#include <vector>

namespace {

// Gives the rows of a bitmap as 24-bit pixels (blue, green, red). A 24-bit bitmap's own rows
// are handed out; any other format is converted one row at a time into a scratch row, valid
// until the next call.
class TRowReader
{
public:
    explicit TRowReader(TBitmap& bitmap)
        : m_bitmap(bitmap), m_format(bitmap.pixelFormat()), m_scratch(size_t(bitmap.width()) * 3)
    {
        if (m_format == pf1bit || m_format == pf4bit || m_format == pf8bit) {
            // Indexes beyond the palette read as black, as the bitmap itself shows them.
            const HPALETTE palette = bitmap.palette() ? bitmap.palette() : defaultPalette(m_format);
            const size_t count = std::min<size_t>(palette ? palette->entries.size() : 0, 256);
            for (size_t i = 0; i < count; ++i) {
                const TPaletteEntry& e = palette->entries[i];
                m_table[i] = {e.blue, e.green, e.red};
            }
        }
    }

    const uint8_t* row(int y)
    {
        const uint8_t* in = std::as_const(m_bitmap).scanLine(y);
        if (m_format == pf24bit)
            return in;
        uint8_t* out = m_scratch.data();
        const int width = m_bitmap.width();
        for (int x = 0; x < width; ++x, out += 3)
            convert(in, x, out);
        return m_scratch.data();
    }

private:
    static uint8_t expand5(unsigned v) { return uint8_t((v << 3) | (v >> 2)); }
    static uint8_t expand6(unsigned v) { return uint8_t((v << 2) | (v >> 4)); }

    void putIndex(int index, uint8_t* out) const
    {
        const auto& c = m_table[size_t(index)];
        out[0] = c[0];
        out[1] = c[1];
        out[2] = c[2];
    }

    void convert(const uint8_t* in, int x, uint8_t* out) const
    {
        switch (m_format) {
        case pf1bit:
            putIndex((in[x >> 3] >> (7 - (x & 7))) & 1, out);
            break;
        case pf4bit:
            putIndex((x & 1) ? in[x >> 1] & 0x0F : in[x >> 1] >> 4, out);
            break;
        case pf8bit:
            putIndex(in[x], out);
            break;
        case pf15bit: {
            const unsigned w = unsigned(in[2 * x]) | (unsigned(in[2 * x + 1]) << 8);
            out[0] = expand5(w & 31);
            out[1] = expand5((w >> 5) & 31);
            out[2] = expand5((w >> 10) & 31);
            break;
        }
        case pf16bit: {
            const unsigned w = unsigned(in[2 * x]) | (unsigned(in[2 * x + 1]) << 8);
            out[0] = expand5(w & 31);
            out[1] = expand6((w >> 5) & 63);
            out[2] = expand5((w >> 11) & 31);
            break;
        }
        default: // pf32bit and pfDevice: blue, green, red and a fourth byte
            out[0] = in[4 * x];
            out[1] = in[4 * x + 1];
            out[2] = in[4 * x + 2];
            break;
        }
    }

    TBitmap& m_bitmap;
    TPixelFormat m_format;
    std::vector<uint8_t> m_scratch;
    std::array<std::array<uint8_t, 3>, 256> m_table{};
};

// The octree palette of reductions 7 and 8, fed row by row (the same order and the same layout
// of tree and system colours as createOptimizedPalette over a whole buffer).
HPALETTE quantizedPalette(TRowReader& rows, int width, int height, int colorCount, bool withSystemColors)
{
    const int reserved = withSystemColors ? 20 : 0;
    TColorQuantizer quantizer(colorCount - reserved, 8);
    for (int y = 0; y < height; ++y)
        quantizer.addPixels(rows.row(y), width, 1, 0);
    return paletteAroundSystemColors(quantizer.colors(), colorCount, withSystemColors);
}

HPALETTE chosenPalette(TRowReader& rows, int width, int height, uint8_t reduction, int reductionBits,
                       const HPALETTE& custom)
{
    switch (reduction) {
    case rmQuantize:
        if (reductionBits < 1 || reductionBits > 8)
            return nullptr;
        return quantizedPalette(rows, width, height, 1 << reductionBits, false);
    case rmQuantizeWindows:
        return quantizedPalette(rows, width, height, 256, true);
    default:
        // The fixed palettes and the custom copy do not look at the pixels.
        return reductionPalette(nullptr, 0, 0, 0, reduction, reductionBits, custom);
    }
}

} // namespace

std::unique_ptr<TBitmap> reduceColors(TBitmap& source, uint8_t reduction, uint8_t ditherMode,
                                      int reductionBits, const HPALETTE& customPalette)
{
    auto result = std::make_unique<TBitmap>();
    if (reduction > rmPalette || ditherMode > dmBurkes || source.empty())
        return result;
    if (reduction == rmNone) {
        result->assign(&source);
        result->setPixelFormat(pf24bit);
        return result;
    }

    const int width = source.width();
    const int height = source.height();
    TRowReader rows(source);
    HPALETTE palette = chosenPalette(rows, width, height, reduction, reductionBits, customPalette);
    std::unique_ptr<TColorLookup> lookup = createReductionLookup(reduction, palette);
    if (!palette || !lookup || lookup->colors() == 0)
        return result;
    std::unique_ptr<TDitherEngine> ditherer = createDitherer(ditherMode, lookup.get(), width);
    if (!ditherer)
        return result;

    TDIBWriter writer(result.get(), palette, height, width, pf8bit);
    for (int y = 0; y < height; ++y) {
        ditherer->ditherRow(rows.row(y), writer.row(y));
        ditherer->nextLine();
    }
    writer.finish();
    // The DIB's table has 256 entries; the picture's palette is the chosen one itself. The
    // indexes stay, and they all lie inside it.
    result->setPalette(palette);
    result->setPaletteModified(false);
    return result;
}
