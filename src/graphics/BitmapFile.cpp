#include "graphics/BitmapFile.h"

#include "graphics/Exceptions.h"
#include "graphics/PixelCodec.h"
#include "graphics/Streams.h"

#include <bit>
#include <cstdlib>
#include <new>
#include <cstring>
#include <vector>

using namespace pixelcodec;

namespace {

enum : uint32_t
{
    BI_RGB = 0,
    BI_RLE8 = 1,
    BI_RLE4 = 2,
    BI_BITFIELDS = 3,
    BI_ALPHABITFIELDS = 6
};

[[noreturn]] void invalidBitmap()
{
    throw EInvalidGraphic(QStringLiteral("Bitmap image is not valid"));
}

uint16_t le16(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}

uint32_t le32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// Where the DIB's bytes come from; positions are relative to the start of the file or DIB.
class ByteSource
{
public:
    virtual ~ByteSource() = default;
    // Reads exactly count bytes; a short read means a truncated file.
    virtual void read(void* buffer, int64_t count) = 0;
    virtual int64_t position() = 0;
    virtual int64_t available() = 0;
    virtual void skipTo(int64_t position) = 0;
};

class StreamSource : public ByteSource
{
public:
    explicit StreamSource(TStream& stream)
        : m_stream(stream), m_start(stream.position()), m_size(stream.size())
    {
    }
    void read(void* buffer, int64_t count) override
    {
        if (count > 0 && m_stream.read(buffer, count) != count)
            invalidBitmap();
    }
    int64_t position() override { return m_stream.position() - m_start; }
    int64_t available() override { return std::max<int64_t>(0, m_size - m_stream.position()); }
    void skipTo(int64_t position) override { m_stream.setPosition(m_start + position); }

private:
    TStream& m_stream;
    int64_t m_start;
    int64_t m_size;
};

class MemorySource : public ByteSource
{
public:
    explicit MemorySource(const QByteArray& data) : m_data(data) {}
    void read(void* buffer, int64_t count) override
    {
        if (count > available())
            invalidBitmap();
        if (count > 0)
            std::memcpy(buffer, m_data.constData() + m_position, size_t(count));
        m_position += std::max<int64_t>(0, count);
    }
    int64_t position() override { return m_position; }
    int64_t available() override { return m_data.size() - m_position; }
    void skipTo(int64_t position) override { m_position = std::clamp<int64_t>(position, 0, m_data.size()); }

private:
    const QByteArray& m_data;
    int64_t m_position = 0;
};

struct InfoHeader
{
    uint32_t size = 0;
    int width = 0;
    int height = 0; // |height|
    bool topDown = false;
    int bits = 0;
    uint32_t compression = BI_RGB;
    uint32_t sizeImage = 0;
    uint32_t colorsUsed = 0;
    uint32_t masks[4] = {}; // red, green, blue, alpha
    bool masksInHeader = false;
};

InfoHeader readInfoHeader(ByteSource& source)
{
    uint8_t raw[124] = {};
    source.read(raw, 4);
    InfoHeader info;
    info.size = le32(raw);
    const uint32_t s = info.size;
    if (s != 12 && s != 40 && s != 52 && s != 56 && s != 64 && s != 108 && s != 124)
        invalidBitmap();
    source.read(raw + 4, s - 4);
    int64_t height = 0;
    if (s == 12) {
        // OS/2 1.x: unsigned 16-bit sizes, always bottom-up, no compression.
        info.width = le16(raw + 4);
        height = le16(raw + 6);
        info.bits = le16(raw + 10);
        if (info.bits != 1 && info.bits != 4 && info.bits != 8 && info.bits != 24)
            invalidBitmap();
    } else {
        info.width = int32_t(le32(raw + 4));
        height = int32_t(le32(raw + 8));
        // The plane count is not checked: writers that leave it 0 are common and it means nothing here.
        info.bits = le16(raw + 14);
        info.compression = le32(raw + 16);
        info.sizeImage = le32(raw + 20);
        info.colorsUsed = le32(raw + 32);
        if (s >= 52) {
            for (int i = 0; i < (s >= 56 ? 4 : 3); ++i)
                info.masks[i] = le32(raw + 40 + 4 * i);
            info.masksInHeader = true;
        }
        if (info.bits != 1 && info.bits != 4 && info.bits != 8 && info.bits != 16 && info.bits != 24 &&
            info.bits != 32)
            invalidBitmap();
        // The 64-byte OS/2 header gives 3 and 4 other meanings (Huffman, RLE24): not supported.
        if (s == 64 && info.compression > BI_RLE4)
            invalidBitmap();
    }
    if (info.width <= 0 || height == 0 || height == INT32_MIN)
        invalidBitmap();
    info.topDown = height < 0;
    info.height = int(height < 0 ? -height : height);
    if (int64_t(info.width) * info.height > maxBitmapPixels)
        invalidBitmap();
    switch (info.compression) {
    case BI_RGB:
        break;
    case BI_RLE8:
    case BI_RLE4:
        if (info.bits != (info.compression == BI_RLE8 ? 8 : 4) || info.topDown)
            invalidBitmap();
        break;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS:
        if (info.bits != 16 && info.bits != 32)
            invalidBitmap();
        break;
    default:
        invalidBitmap();
    }
    return info;
}

bool contiguous(uint32_t mask)
{
    if (mask == 0)
        return true;
    const uint32_t shifted = mask >> std::countr_zero(mask);
    return (shifted & (shifted + 1)) == 0;
}

// One channel described by a bit mask, scaled to 8 bits.
struct Channel
{
    uint32_t mask = 0;
    int shift = 0;
    int width = 0;

    explicit Channel(uint32_t m) : mask(m)
    {
        if (m) {
            shift = std::countr_zero(m);
            width = std::popcount(m);
        }
    }
    int value(uint32_t pixel) const
    {
        if (!mask)
            return 0;
        const uint32_t v = (pixel & mask) >> shift;
        if (width >= 8)
            return int(v >> (width - 8));
        return int(v * 255 / ((1u << width) - 1));
    }
};

void readMasks(ByteSource& source, InfoHeader& info)
{
    const bool fields = info.compression == BI_BITFIELDS || info.compression == BI_ALPHABITFIELDS;
    if (fields && !info.masksInHeader) {
        uint8_t raw[16];
        const int count = info.compression == BI_ALPHABITFIELDS ? 4 : 3;
        source.read(raw, 4 * count);
        for (int i = 0; i < count; ++i)
            info.masks[i] = le32(raw + 4 * i);
    }
    if (!fields) {
        if (info.bits == 16) {
            info.masks[0] = 0x7C00, info.masks[1] = 0x03E0, info.masks[2] = 0x001F, info.masks[3] = 0;
        } else {
            info.masks[0] = 0xFF0000, info.masks[1] = 0xFF00, info.masks[2] = 0xFF,
            info.masks[3] = 0xFF000000;
        }
        return;
    }
    const uint64_t limit = info.bits == 32 ? 0xFFFFFFFFull : 0xFFFFull;
    for (int i = 0; i < 4; ++i)
        if (info.masks[i] > limit || !contiguous(info.masks[i]) || (i < 3 && info.masks[i] == 0))
            invalidBitmap();
}

HPALETTE readColorTable(ByteSource& source, const InfoHeader& info)
{
    const uint32_t capacity = 1u << info.bits;
    const uint32_t count = info.colorsUsed == 0 ? capacity : info.colorsUsed;
    if (count > capacity)
        invalidBitmap(); // more colours than the pixels can address
    const int entrySize = info.size == 12 ? 3 : 4;
    std::vector<uint8_t> raw(size_t(count) * size_t(entrySize));
    source.read(raw.data(), int64_t(raw.size()));
    std::vector<TPaletteEntry> entries(count);
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* p = raw.data() + size_t(i) * size_t(entrySize);
        entries[i] = {p[2], p[1], p[0], 0};
    }
    return createPalette(std::move(entries));
}

TPixelFormat targetFormat(const InfoHeader& info)
{
    switch (info.bits) {
    case 1:
        return pf1bit;
    case 4:
        return pf4bit;
    case 8:
        return pf8bit;
    case 16:
        if (info.masks[0] == 0x7C00 && info.masks[1] == 0x03E0 && info.masks[2] == 0x001F)
            return pf15bit;
        if (info.masks[0] == 0xF800 && info.masks[1] == 0x07E0 && info.masks[2] == 0x001F)
            return pf16bit;
        return pf24bit;
    default:
        return info.bits == 24 ? pf24bit : pf32bit;
    }
}

// Copies or converts one stored row into the target format.
void convertRow(const uint8_t* in, uint8_t* out, const InfoHeader& info, TPixelFormat format, int rowBytes)
{
    const bool plain32 = info.bits == 32 && info.masks[0] == 0xFF0000 && info.masks[1] == 0xFF00 &&
                         info.masks[2] == 0xFF && (info.masks[3] == 0xFF000000 || info.masks[3] == 0);
    if (info.bits <= 8 || info.bits == 24 || (info.bits == 16 && format != pf24bit) || plain32) {
        std::memcpy(out, in, size_t(rowBytes));
        if (plain32 && info.masks[3] == 0)
            for (int x = 0; x < info.width; ++x)
                out[4 * x + 3] = 0; // no alpha channel: the fourth byte means nothing
        return;
    }
    const Channel red(info.masks[0]), green(info.masks[1]), blue(info.masks[2]), alpha(info.masks[3]);
    for (int x = 0; x < info.width; ++x) {
        const uint32_t pixel = info.bits == 16 ? le16(in + 2 * x) : le32(in + 4 * x);
        writeColor(out, x, format,
                   qRgba(red.value(pixel), green.value(pixel), blue.value(pixel), alpha.value(pixel)));
    }
}

// Bytes of uncompressed pixel data. Leniency: the padding of the very last row may be missing
// (some writers stop at the data).
int64_t uncompressedSize(const InfoHeader& info)
{
    const int64_t fileRow = ((int64_t(info.width) * info.bits + 31) / 32) * 4;
    const int64_t lastRow = (int64_t(info.width) * info.bits + 7) / 8;
    return fileRow * (info.height - 1) + lastRow;
}

void readUncompressed(ByteSource& source, const InfoHeader& info, TDibPixels& dib)
{
    const int64_t fileRow = ((int64_t(info.width) * info.bits + 31) / 32) * 4;
    const int64_t lastRow = (int64_t(info.width) * info.bits + 7) / 8;
    std::vector<uint8_t> row(size_t(fileRow), 0);
    for (int i = 0; i < info.height; ++i) {
        source.read(row.data(), i + 1 == info.height ? lastRow : fileRow);
        const int y = info.topDown ? i : info.height - 1 - i;
        convertRow(row.data(), dib.pixels.get() + int64_t(y) * dib.stride, info, dib.format,
                   int(std::min<int64_t>(fileRow, dib.stride)));
    }
    // Consume the last row's padding when it is there, so that the stream ends up after this file.
    const int64_t padding = std::min(fileRow - lastRow, source.available());
    source.read(row.data(), padding);
}

// Run-length decoding into an indexed target (rows bottom-up in the file). Runs that pass the
// right edge are clipped and the data may end without an end-of-bitmap code: both are common in
// files from old writers and harmless. Skipped pixels keep index 0.
void decodeRle(const std::vector<uint8_t>& data, const InfoHeader& info, TDibPixels& dib)
{
    const bool four = info.compression == BI_RLE4;
    int64_t x = 0;
    int64_t y = 0; // counted from the bottom
    auto put = [&](int index) {
        if (x >= 0 && x < info.width && y < info.height)
            writeIndex(dib.pixels.get() + (info.height - 1 - y) * int64_t(dib.stride), int(x), dib.format,
                       index);
        ++x;
    };
    size_t i = 0;
    const size_t n = data.size();
    while (i + 1 < n && y < info.height) {
        const int count = data[i];
        const int value = data[i + 1];
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count; ++k)
                put(four ? (k & 1 ? value & 0x0F : value >> 4) : value);
            continue;
        }
        if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (i + 1 >= n)
                break;
            x += data[i];
            y += data[i + 1];
            i += 2;
        } else {
            const size_t bytes = four ? size_t(value + 1) / 2 : size_t(value);
            for (int k = 0; k < value; ++k) {
                const size_t at = i + (four ? size_t(k) / 2 : size_t(k));
                if (at >= n)
                    break;
                put(four ? (k & 1 ? data[at] & 0x0F : data[at] >> 4) : data[at]);
            }
            i += bytes + (bytes & 1); // absolute runs are padded to a word
        }
    }
}

TDibPixels readDib(ByteSource& source, bool withFileHeader)
{
    uint32_t pixelOffset = 0;
    if (withFileHeader) {
        uint8_t fileHeader[14];
        source.read(fileHeader, sizeof fileHeader);
        if (fileHeader[0] != 'B' || fileHeader[1] != 'M')
            invalidBitmap();
        pixelOffset = le32(fileHeader + 10);
    }
    InfoHeader info = readInfoHeader(source);
    readMasks(source, info);
    TDibPixels dib;
    dib.width = info.width;
    dib.height = info.height;
    dib.format = targetFormat(info);
    if (info.bits <= 8) {
        dib.palette = readColorTable(source, info);
    } else if (!withFileHeader && info.colorsUsed > 0) {
        // A packed true-colour DIB may carry a palette for palette displays; it is skipped.
        if (info.colorsUsed > 256)
            invalidBitmap();
        std::vector<uint8_t> skipped(size_t(info.colorsUsed) * 4);
        source.read(skipped.data(), int64_t(skipped.size()));
    }
    const int64_t here = source.position();
    if (withFileHeader && pixelOffset > here) {
        if (pixelOffset - here > source.available())
            invalidBitmap();
        source.skipTo(pixelOffset);
    }
    // An offset that points into the headers (0 from careless writers) is ignored: the pixels
    // follow the colour table.
    const bool compressed = info.compression == BI_RLE8 || info.compression == BI_RLE4;
    if (!compressed && uncompressedSize(info) > source.available())
        invalidBitmap(); // checked before anything is allocated for the pixels
    dib.pixels = allocatePixels(dib.width, dib.height, dib.format, dib.stride);
    if (compressed) {
        const int64_t available = source.available();
        const int64_t size = info.sizeImage > 0 && info.sizeImage <= available ? info.sizeImage : available;
        std::vector<uint8_t> data(static_cast<size_t>(size));
        source.read(data.data(), size);
        decodeRle(data, info, dib);
    } else {
        readUncompressed(source, info, dib);
    }
    return dib;
}

void put16(QByteArray& out, uint32_t v)
{
    out.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}

void put32(QByteArray& out, uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

int fileBits(TPixelFormat format)
{
    return format == pfDevice ? 24 : storageBits(format);
}

} // namespace

TDibPixels readBitmapFile(TStream& stream)
{
    StreamSource source(stream);
    try {
        return readDib(source, true);
    } catch (const EStreamError&) {
        invalidBitmap();
    }
}

namespace {

// The sides a BMP file declares, read from its headers without decoding anything; false when
// the headers do not fit the bytes or do not name a bitmap.
bool declaredSides(const QByteArray& bytes, int64_t& width, int64_t& height)
{
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
    const int64_t size = bytes.size();
    if (size < 14 + 4 || data[0] != 'B' || data[1] != 'M')
        return false;
    const uint32_t fileSize = le32(data + 2);
    const uint32_t pixelOffset = le32(data + 10);
    // A file size of 0 is left by some writers; any other value must not claim more than is there.
    if (fileSize > size || pixelOffset > size)
        return false;
    const uint32_t infoSize = le32(data + 14);
    if (infoSize < 12 || infoSize > size - 14)
        return false;
    if (infoSize == 12) {
        width = le16(data + 18);
        height = le16(data + 20);
    } else {
        if (infoSize < 16)
            return false;
        width = int32_t(le32(data + 18));
        height = int32_t(le32(data + 22));
    }
    return true;
}

} // namespace

bool loadBitmapTransferValue(const QByteArray& bytes, TBitmap& bitmap)
{
    int64_t width = 0;
    int64_t height = 0;
    if (!declaredSides(bytes, width, height))
        return false;
    // A top-down file stores its height negated; either way a side beyond a GIF frame's is refused.
    if (width <= 0 || height == 0 || width > kMaxTransferSide || std::llabs(height) > kMaxTransferSide)
        return false;
    try {
        // The reader decodes completely before the bitmap takes the pixels, so a failure leaves
        // the bitmap as it was.
        TMemoryStream stream(bytes);
        bitmap.loadFromStream(stream);
        return !bitmap.empty();
    } catch (const Exception&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

QByteArray bitmapTransferValue(TBitmap* bitmap)
{
    if (!bitmap || bitmap->empty())
        return {};
    TMemoryStream stream;
    bitmap->saveToStream(stream);
    return stream.data();
}

TDibPixels readPackedDib(const QByteArray& dib)
{
    MemorySource source(dib);
    return readDib(source, false);
}

int bitmapInfoSize(TPixelFormat format)
{
    const int bits = fileBits(format);
    return 40 + (format == pf16bit ? 12 : 0) + (isIndexed(format) ? 4 << bits : 0);
}

void writeBitmapFile(TStream& stream, int width, int height, TPixelFormat format, const HPALETTE& palette,
                     const uint8_t* pixels, int stride)
{
    const int bits = fileBits(format);
    if (bits == 0 || width <= 0 || height <= 0 || !pixels)
        throw EInvalidGraphic(QStringLiteral("Bitmap image is not valid"));
    const int infoSize = bitmapInfoSize(format);
    const int fileRow = bytesPerScanline(width, bits, 32);
    const int64_t pixelSize = int64_t(fileRow) * height;
    const int64_t fileSize = 14 + infoSize + pixelSize;
    if (fileSize > UINT32_MAX)
        throw EInvalidGraphic(QStringLiteral("Bitmap image is too large"));
    const ColorTable table = colorTable(palette, format);
    const int tableCount = isIndexed(format) ? 1 << bits : 0;

    QByteArray header;
    header.reserve(14 + infoSize);
    header.append("BM", 2);
    put32(header, uint32_t(fileSize));
    put32(header, 0);
    put32(header, uint32_t(14 + infoSize));
    put32(header, 40);
    put32(header, uint32_t(width));
    put32(header, uint32_t(height)); // positive: rows are stored bottom-up
    put16(header, 1);
    put16(header, uint16_t(bits));
    put32(header, format == pf16bit ? BI_BITFIELDS : BI_RGB);
    put32(header, format == pf16bit ? uint32_t(pixelSize) : 0);
    put32(header, 0);
    put32(header, 0);
    put32(header, uint32_t(tableCount));
    put32(header, uint32_t(isIndexed(format) ? table.count : 0));
    if (format == pf16bit) {
        put32(header, 0xF800);
        put32(header, 0x07E0);
        put32(header, 0x001F);
    }
    for (int i = 0; i < tableCount; ++i) {
        const QRgb c = i < table.count ? table.colors[size_t(i)] : 0;
        header.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append(char(0));
    }
    stream.writeBuffer(header.constData(), header.size());

    const int dataBytes = int((int64_t(width) * bits + 7) / 8);
    const int spareBits = int(int64_t(dataBytes) * 8 - int64_t(width) * bits);
    std::vector<uint8_t> row(size_t(fileRow), 0);
    for (int i = 0; i < height; ++i) {
        const uint8_t* src = pixels + int64_t(height - 1 - i) * stride;
        if (format == pfDevice) {
            for (int x = 0; x < width; ++x)
                std::memcpy(row.data() + 3 * x, src + 4 * x, 3);
        } else {
            std::memcpy(row.data(), src, size_t(dataBytes));
            // Unused bits of the last byte and the padding are written as zeros.
            if (spareBits > 0)
                row[size_t(dataBytes) - 1] &= uint8_t(0xFF << spareBits);
        }
        stream.writeBuffer(row.data(), fileRow);
    }
}
