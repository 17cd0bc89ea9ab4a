#include "graphics/PixelCodec.h"

#include "graphics/Exceptions.h"

#include <new>

namespace pixelcodec {

ColorTable colorTable(const HPALETTE& palette, TPixelFormat format)
{
    ColorTable table;
    table.colors.fill(qRgb(0, 0, 0));
    const int capacity = isIndexed(format) ? 1 << storageBits(format) : 256;
    HPALETTE source = palette && !palette->entries.empty() ? palette : defaultPalette(format);
    if (!source || source->entries.empty())
        source = defaultPalette(pf8bit);
    table.count = std::min<int>(capacity, int(source->entries.size()));
    for (int i = 0; i < table.count; ++i) {
        const TPaletteEntry& e = source->entries[size_t(i)];
        table.colors[size_t(i)] = qRgb(e.red, e.green, e.blue);
    }
    return table;
}

int storageBits(TPixelFormat format)
{
    switch (format) {
    case pf1bit:
        return 1;
    case pf4bit:
        return 4;
    case pf8bit:
        return 8;
    case pf15bit:
    case pf16bit:
        return 16;
    case pf24bit:
        return 24;
    case pfDevice:
    case pf32bit:
        return 32;
    default:
        return 0;
    }
}

bool isIndexed(TPixelFormat format)
{
    return format == pf1bit || format == pf4bit || format == pf8bit;
}

std::unique_ptr<uint8_t[]> allocatePixels(int width, int height, TPixelFormat format, int& stride)
{
    stride = 0;
    if (width <= 0 || height <= 0)
        return {};
    const int64_t pixels = int64_t(width) * height;
    const int64_t rowBytes = ((int64_t(width) * storageBits(format) + 31) / 32) * 4;
    if (pixels > maxBitmapPixels || rowBytes * height > maxBitmapBytes)
        throw EOutOfMemory(QStringLiteral("Out of memory"));
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[size_t(rowBytes * height)]());
    if (!block)
        throw EOutOfMemory(QStringLiteral("Out of memory"));
    stride = int(rowBytes);
    return block;
}

int readIndex(const uint8_t* row, int x, TPixelFormat format)
{
    switch (format) {
    case pf1bit:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case pf4bit:
        return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    default:
        return row[x];
    }
}

void writeIndex(uint8_t* row, int x, TPixelFormat format, int index)
{
    switch (format) {
    case pf1bit: {
        const uint8_t bit = uint8_t(0x80 >> (x & 7));
        row[x >> 3] = index & 1 ? row[x >> 3] | bit : row[x >> 3] & ~bit;
        break;
    }
    case pf4bit:
        if (x & 1)
            row[x >> 1] = uint8_t((row[x >> 1] & 0xF0) | (index & 0x0F));
        else
            row[x >> 1] = uint8_t((row[x >> 1] & 0x0F) | ((index & 0x0F) << 4));
        break;
    default:
        row[x] = uint8_t(index);
        break;
    }
}

namespace {

// 5-bit channel to 8 bits, so that white stays white and the round trip through 5 bits is exact.
inline int expand5(int v)
{
    return (v << 3) | (v >> 2);
}
inline int expand6(int v)
{
    return (v << 2) | (v >> 4);
}

} // namespace

QRgb readPixel(const uint8_t* row, int x, TPixelFormat format, const ColorTable& table)
{
    switch (format) {
    case pf1bit:
    case pf4bit:
    case pf8bit:
        return table.colors[size_t(readIndex(row, x, format))];
    case pf15bit: {
        const int v = row[2 * x] | (row[2 * x + 1] << 8);
        return qRgb(expand5((v >> 10) & 31), expand5((v >> 5) & 31), expand5(v & 31));
    }
    case pf16bit: {
        const int v = row[2 * x] | (row[2 * x + 1] << 8);
        return qRgb(expand5((v >> 11) & 31), expand6((v >> 5) & 63), expand5(v & 31));
    }
    case pf24bit: {
        const uint8_t* p = row + 3 * x;
        return qRgb(p[2], p[1], p[0]);
    }
    case pf32bit: {
        const uint8_t* p = row + 4 * x;
        return qRgba(p[2], p[1], p[0], p[3]);
    }
    default: {
        const uint8_t* p = row + 4 * x;
        return qRgb(p[2], p[1], p[0]);
    }
    }
}

void writeColor(uint8_t* row, int x, TPixelFormat format, QRgb rgb)
{
    const int r = qRed(rgb), g = qGreen(rgb), b = qBlue(rgb);
    switch (format) {
    case pf15bit: {
        const int v = ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
        row[2 * x] = uint8_t(v);
        row[2 * x + 1] = uint8_t(v >> 8);
        break;
    }
    case pf16bit: {
        const int v = ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
        row[2 * x] = uint8_t(v);
        row[2 * x + 1] = uint8_t(v >> 8);
        break;
    }
    case pf24bit: {
        uint8_t* p = row + 3 * x;
        p[0] = uint8_t(b);
        p[1] = uint8_t(g);
        p[2] = uint8_t(r);
        break;
    }
    case pf32bit: {
        uint8_t* p = row + 4 * x;
        p[0] = uint8_t(b);
        p[1] = uint8_t(g);
        p[2] = uint8_t(r);
        p[3] = uint8_t(qAlpha(rgb));
        break;
    }
    case pfDevice: {
        uint8_t* p = row + 4 * x;
        p[0] = uint8_t(b);
        p[1] = uint8_t(g);
        p[2] = uint8_t(r);
        p[3] = 0xFF;
        break;
    }
    default:
        break;
    }
}

int TNearestColor::index(QRgb rgb)
{
    rgb |= 0xFF000000u;
    const auto found = m_cache.constFind(rgb);
    if (found != m_cache.constEnd())
        return found.value();
    int best = 0;
    int bestDistance = INT32_MAX;
    for (int i = 0; i < m_table.count; ++i) {
        const QRgb c = m_table.colors[size_t(i)];
        const int dr = qRed(c) - qRed(rgb), dg = qGreen(c) - qGreen(rgb), db = qBlue(c) - qBlue(rgb);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
            if (distance == 0)
                break;
        }
    }
    m_cache.insert(rgb, best);
    return best;
}

} // namespace pixelcodec
