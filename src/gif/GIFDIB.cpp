#include "gif/GIFDIB.h"

#include "gif/GIFException.h"
#include "graphics/Exceptions.h"
#include "graphics/Streams.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr int fileHeaderSize = 14;

[[noreturn]] void unsupportedPixelFormat()
{
    throw GIFException(QStringLiteral("Unsupported PixelFormat"));
}

[[noreturn]] void invalidBitmap()
{
    throw GIFException(QStringLiteral("Bitmap image is not valid"));
}

[[noreturn]] void rowOutOfRange()
{
    throw EInvalidGraphicOperation(QStringLiteral("Scan line index out of range"));
}

void put16(uint8_t* p, uint16_t value)
{
    p[0] = uint8_t(value);
    p[1] = uint8_t(value >> 8);
}

void put32(uint8_t* p, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(value >> (8 * i));
}

// The 40-byte information header; fields not named stay 0.
void writeInfoHeader(uint8_t* p, int width, int height, int bits, uint32_t imageSize, uint32_t colorsUsed,
                     uint32_t colorsImportant)
{
    std::memset(p, 0, dibHeaderSize);
    put32(p, dibHeaderSize);
    put32(p + 4, uint32_t(width));
    put32(p + 8, uint32_t(height));
    put16(p + 12, 1);
    put16(p + 14, uint16_t(bits));
    put32(p + 20, imageSize);
    put32(p + 32, colorsUsed);
    put32(p + 36, colorsImportant);
}

// count colour quads (blue, green, red, 0) from the palette's entries, zeros after them.
void writeColorTable(uint8_t* p, const HPALETTE& palette, int count)
{
    std::memset(p, 0, size_t(count) * 4);
    if (!palette)
        return;
    const int used = std::min<int>(count, int(palette->entries.size()));
    for (int i = 0; i < used; ++i) {
        const TPaletteEntry& entry = palette->entries[size_t(i)];
        p[4 * i] = entry.blue;
        p[4 * i + 1] = entry.green;
        p[4 * i + 2] = entry.red;
    }
}

int64_t checkedPixelSize(int rowSize, int rows)
{
    const int64_t size = int64_t(rowSize) * rows;
    if (size > maxBitmapBytes)
        throw EOutOfMemory(QStringLiteral("Failed to allocate memory for GIF DIB"));
    return size;
}

} // namespace

int dibRowSize(int pixels, int bitsPerPixel)
{
    return bytesPerScanline(pixels, bitsPerPixel, 32);
}

int dibBitsPerPixel(TPixelFormat format)
{
    switch (format) {
    case pf1bit:
        return 1;
    case pf4bit:
        return 4;
    case pf8bit:
        return 8;
    case pf24bit:
        return 24;
    default:
        unsupportedPixelFormat();
    }
}

TDIBReader::TDIBReader(TBitmap* bitmap, TPixelFormat format) : TDIB(bitmap, format)
{
    if (!bitmap)
        invalidBitmap();
    bitmap->setPixelFormat(format);
}

uint8_t* TDIBReader::row(int n)
{
    return m_bitmap->scanLine(n);
}

TDIBWriter::TDIBWriter(TBitmap* bitmap, const HPALETTE& palette, int height, int width, TPixelFormat format)
    : TDIB(bitmap, format), m_palette(palette), m_width(width), m_height(height)
{
    if (format != pf8bit && format != pf24bit)
        unsupportedPixelFormat();
    if (width <= 0 || height == 0 || height == INT32_MIN)
        throw GIFException(QStringLiteral("Invalid image dimensions"));
    if (!bitmap)
        invalidBitmap();
    const int bits = dibBitsPerPixel(format);
    m_rows = std::abs(height);
    m_rowSize = dibRowSize(width, bits);
    m_pixelSize = checkedPixelSize(m_rowSize, m_rows);

    const bool indexed = format == pf8bit;
    m_header = QByteArray(dibHeaderSize + (indexed ? 256 * 4 : 0), '\0');
    auto* p = reinterpret_cast<uint8_t*>(m_header.data());
    const int important = palette ? int(std::min<size_t>(palette->entries.size(), 256)) : 0;
    writeInfoHeader(p, width, height, bits, 0, indexed ? 256 : 0, indexed ? uint32_t(important) : 0);
    if (indexed)
        writeColorTable(p + dibHeaderSize, palette, 256);
}

TDIBWriter::~TDIBWriter()
{
    if (m_finished || std::uncaught_exceptions() > 0)
        return;
    try {
        finish();
    } catch (const std::exception&) {
        // The target keeps its old picture; see the header.
    }
}

void TDIBWriter::makeDIB()
{
    if (!m_block.isEmpty())
        return;
    const int64_t total = fileHeaderSize + m_header.size() + m_pixelSize;
    try {
        m_block = QByteArray(qsizetype(total), '\0');
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory(QStringLiteral("Failed to allocate memory for GIF DIB"));
    }
    auto* p = reinterpret_cast<uint8_t*>(m_block.data());
    p[0] = 'B';
    p[1] = 'M';
    put32(p + 2, uint32_t(total));
    put32(p + 10, uint32_t(fileHeaderSize + m_header.size()));
    std::memcpy(p + fileHeaderSize, m_header.constData(), size_t(m_header.size()));
    m_pixels = p + fileHeaderSize + m_header.size();
}

uint8_t* TDIBWriter::row(int n)
{
    makeDIB();
    if (!m_pixels)
        throw GIFException(QStringLiteral("Image has no DIB"));
    if (n < 0 || n >= m_rows)
        rowOutOfRange();
    const int stored = m_height > 0 ? m_height - 1 - n : n;
    return m_pixels + int64_t(stored) * m_rowSize;
}

void TDIBWriter::finish()
{
    if (m_finished)
        return;
    makeDIB();
    TMemoryStream stream(m_block);
    m_bitmap->loadFromStream(stream);
    m_finished = true;
    m_block = QByteArray();
    m_pixels = nullptr;
}

TDIBSizes dibSizes(HBITMAP bitmap, TPixelFormat format)
{
    if (!bitmap)
        invalidBitmap();
    const int bits = dibBitsPerPixel(format);
    TDIBSizes sizes;
    sizes.headerSize = dibHeaderSize + (bits <= 8 ? 4 << bits : 0);
    sizes.pixelSize = int64_t(dibRowSize(bitmap->width(), bits)) * bitmap->height();
    return sizes;
}

bool dibBits(HBITMAP bitmap, const HPALETTE& palette, TPixelFormat format, QByteArray& header,
             QByteArray& pixels)
{
    const TDIBSizes sizes = dibSizes(bitmap, format);
    const int bits = dibBitsPerPixel(format);
    const int width = bitmap->width();
    const int height = bitmap->height();
    const int rowSize = dibRowSize(width, bits);
    const int64_t imageSize = checkedPixelSize(rowSize, height);

    // The colours the DIB's indexes refer to.
    HPALETTE table;
    if (bits <= 8) {
        if (palette && !palette->entries.empty())
            table = palette;
        else if (bitmap->bitsPerPixel() <= 8 && bitmap->palette())
            table = bitmap->palette();
        else
            table = defaultPalette(format);
    }

    header = QByteArray(sizes.headerSize, '\0');
    auto* p = reinterpret_cast<uint8_t*>(header.data());
    writeInfoHeader(p, width, height, bits, uint32_t(imageSize), 0, 0);
    if (bits <= 8)
        writeColorTable(p + dibHeaderSize, table, 1 << bits);

    pixels = QByteArray(qsizetype(imageSize), '\0');
    if (bitmap->empty())
        return false;

    // Work on a copy: asking for the bits never changes the bitmap. Indexed pictures go through
    // true colour first, so that a different palette maps colours, not indexes.
    TBitmap copy;
    copy.assign(bitmap);
    const bool sameTable = copy.pixelFormat() == format && (bits > 8 || copy.palette() == table);
    if (!sameTable) {
        if (copy.bitsPerPixel() <= 8 || bits <= 8)
            copy.setPixelFormat(pf24bit);
        if (bits <= 8)
            copy.setPalette(table);
        copy.setPixelFormat(format);
    }
    const size_t rowBytes = size_t(std::min(rowSize, copy.bytesPerScanLine()));
    for (int y = 0; y < height; ++y)
        std::memcpy(pixels.data() + int64_t(height - 1 - y) * rowSize, copy.scanLine(y), rowBytes);
    return true;
}
