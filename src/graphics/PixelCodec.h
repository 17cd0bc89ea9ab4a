#pragma once
// Reading and writing single pixels in the DIB packings of the pixel formats, the colour table
// of an indexed bitmap, nearest-colour search, and checked pixel allocation. Shared by TBitmap
// and the BMP file reader and writer; not meant for the engine (it uses scanLine).
#include "graphics/Bitmap.h"

#include <QHash>
#include <array>

namespace pixelcodec {

// A colour table padded to 256 entries (black after the palette's entries), so that any index
// read from pixel data has a colour.
struct ColorTable
{
    std::array<QRgb, 256> colors{};
    int count = 0; // the palette's entries that are usable in the format (1 … 2^bits)
};
ColorTable colorTable(const HPALETTE& palette, TPixelFormat format);

// Bits per pixel in memory (pfDevice: 32); 0 for pfCustom and unknown values.
int storageBits(TPixelFormat format);
bool isIndexed(TPixelFormat format);

// Allocates zeroed pixels for width × height in format, rows padded to 4 bytes. Sizes beyond
// maxBitmapPixels/maxBitmapBytes or a failed allocation raise EOutOfMemory.
std::unique_ptr<uint8_t[]> allocatePixels(int width, int height, TPixelFormat format, int& stride);

// The colour of pixel x of a row (alpha 0xFF except for pf32bit, whose alpha byte is returned).
QRgb readPixel(const uint8_t* row, int x, TPixelFormat format, const ColorTable& table);
// The index of pixel x of an indexed row.
int readIndex(const uint8_t* row, int x, TPixelFormat format);
void writeIndex(uint8_t* row, int x, TPixelFormat format, int index);
// Writes a true-colour value (pf15bit, pf16bit, pf24bit, pf32bit, pfDevice).
void writeColor(uint8_t* row, int x, TPixelFormat format, QRgb rgb);

// Nearest palette colour by squared distance in RGB; the first of equal distances wins.
// Results are cached per colour, so a picture of few colours costs one search per colour.
class TNearestColor
{
public:
    explicit TNearestColor(const ColorTable& table) : m_table(table) {}
    int index(QRgb rgb);

private:
    const ColorTable& m_table;
    QHash<QRgb, int> m_cache;
};

} // namespace pixelcodec
