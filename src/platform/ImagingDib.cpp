#include "ImagingDib.h"

#include <Magick++.h>
#include <QtEndian>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

constexpr int dibHeaderSize = 40;

struct DibLayout
{
    int bitCount = 24;
    int colours = 0; // entries in the colour table (biClrUsed)
    uint64_t stride = 0;
    uint64_t total = 0;
};

bool planDib(uint32_t width, uint32_t height, int bitCount, int colours, DibLayout& layout)
{
    layout.bitCount = bitCount;
    layout.colours = colours;
    layout.stride = (uint64_t(width) * uint64_t(bitCount) + 31) / 32 * 4;
    const uint64_t pixels = layout.stride * uint64_t(height);
    layout.total = dibHeaderSize + 4 * uint64_t(colours) + pixels;
    // biSizeImage and the BMP file size are 32-bit; the file adds 14 bytes to the block.
    return pixels <= std::numeric_limits<uint32_t>::max() &&
           layout.total + 14 <= std::numeric_limits<uint32_t>::max() &&
           layout.total <= uint64_t(std::numeric_limits<qsizetype>::max());
}

void putHeader(uchar* block, uint32_t width, uint32_t height, const DibLayout& layout)
{
    std::memset(block, 0, dibHeaderSize);
    qToLittleEndian<uint32_t>(dibHeaderSize, block);
    qToLittleEndian<int32_t>(int32_t(width), block + 4);
    qToLittleEndian<int32_t>(int32_t(height), block + 8); // positive: bottom row first
    qToLittleEndian<uint16_t>(1, block + 12);             // planes
    qToLittleEndian<uint16_t>(uint16_t(layout.bitCount), block + 14);
    qToLittleEndian<uint32_t>(0, block + 16); // BI_RGB
    qToLittleEndian<uint32_t>(uint32_t(layout.stride * height), block + 20);
    qToLittleEndian<uint32_t>(uint32_t(layout.colours), block + 32);
}

int bitsForColours(size_t colours)
{
    return colours <= 2 ? 1 : colours <= 16 ? 4 : 8;
}

bool isPalettePicture(const Magick::Image& image)
{
    const MagickCore::ColorspaceType space = image.colorSpace();
    return image.classType() == MagickCore::PseudoClass && !image.matte() && image.colorMapSize() > 0 &&
           image.colorMapSize() <= 256 &&
           (space == MagickCore::sRGBColorspace || space == MagickCore::GRAYColorspace);
}

QByteArray paletteDib(const Magick::Image& image)
{
    const uint32_t width = uint32_t(image.columns());
    const uint32_t height = uint32_t(image.rows());
    const size_t colours = image.colorMapSize();
    DibLayout layout;
    if (!planDib(width, height, bitsForColours(colours), int(colours), layout))
        return {};
    QByteArray block(qsizetype(layout.total), '\0');
    auto* bytes = reinterpret_cast<uchar*>(block.data());
    putHeader(bytes, width, height, layout);
    uchar* table = bytes + dibHeaderSize;
    for (size_t i = 0; i < colours; ++i) {
        const Magick::Color colour = image.colorMap(i);
        table[4 * i + 0] = MagickCore::ScaleQuantumToChar(colour.blueQuantum());
        table[4 * i + 1] = MagickCore::ScaleQuantumToChar(colour.greenQuantum());
        table[4 * i + 2] = MagickCore::ScaleQuantumToChar(colour.redQuantum());
    }
    uchar* pixels = table + 4 * colours;
    const int bits = layout.bitCount;
    const int perByte = 8 / bits;
    for (uint32_t y = 0; y < height; ++y) {
        image.getConstPixels(0, ssize_t(y), width, 1);
        const MagickCore::IndexPacket* indexes = image.getConstIndexes();
        if (!indexes)
            return {};
        uchar* row = pixels + uint64_t(height - 1 - y) * layout.stride;
        for (uint32_t x = 0; x < width; ++x) {
            // A coder should never leave an index outside its map; if one does, colour 0 is
            // safer than reading past the table.
            size_t index = size_t(indexes[x]);
            if (index >= colours)
                index = 0;
            const int shift = 8 - bits * int(x % uint32_t(perByte) + 1);
            row[x / uint32_t(perByte)] |= uchar(index << shift);
        }
    }
    return block;
}

// Grey pictures (PGM, bilevel PBM, grey PNG and TIFF) come as DirectClass from ImageMagick; they
// are handed over with a grey table so that the frame conversion sees few colours: two entries
// for one-bit pictures, 256 otherwise (deeper greys are reduced to 8 bits).
bool isGreyPicture(const Magick::Image& image)
{
    return image.colorSpace() == MagickCore::GRAYColorspace && !image.matte();
}

QByteArray greyDib(const Magick::Image& image)
{
    const uint32_t width = uint32_t(image.columns());
    const uint32_t height = uint32_t(image.rows());
    const bool bilevel = image.depth() == 1;
    const int colours = bilevel ? 2 : 256;
    DibLayout layout;
    if (!planDib(width, height, bilevel ? 1 : 8, colours, layout))
        return {};
    QByteArray block(qsizetype(layout.total), '\0');
    auto* bytes = reinterpret_cast<uchar*>(block.data());
    putHeader(bytes, width, height, layout);
    uchar* table = bytes + dibHeaderSize;
    for (int i = 0; i < colours; ++i) {
        const uchar level = bilevel ? uchar(i * 255) : uchar(i);
        table[4 * i + 0] = table[4 * i + 1] = table[4 * i + 2] = level;
    }
    uchar* pixels = table + 4 * colours;
    for (uint32_t y = 0; y < height; ++y) {
        const Magick::PixelPacket* source = image.getConstPixels(0, ssize_t(y), width, 1);
        if (!source)
            return {};
        uchar* row = pixels + uint64_t(height - 1 - y) * layout.stride;
        for (uint32_t x = 0; x < width; ++x) {
            const uchar level = MagickCore::ScaleQuantumToChar(source[x].red);
            if (!bilevel)
                row[x] = level;
            else if (level >= 128)
                row[x / 8] |= uchar(0x80 >> (x % 8));
        }
    }
    return block;
}

QByteArray trueColourDib(const Magick::Image& image)
{
    const uint32_t width = uint32_t(image.columns());
    const uint32_t height = uint32_t(image.rows());
    DibLayout layout;
    if (!planDib(width, height, 24, 0, layout))
        return {};
    QByteArray block(qsizetype(layout.total), '\0');
    auto* bytes = reinterpret_cast<uchar*>(block.data());
    putHeader(bytes, width, height, layout);
    uchar* pixels = bytes + dibHeaderSize;
    // Magick::Image::write is non-const only by declaration; exporting changes nothing.
    auto& source = const_cast<Magick::Image&>(image);
    for (uint32_t y = 0; y < height; ++y) {
        uchar* row = pixels + uint64_t(height - 1 - y) * layout.stride;
        source.write(0, ssize_t(y), width, 1, "BGR", Magick::CharPixel, row);
    }
    return block;
}

} // namespace

QByteArray imaging::dibFromImage(const Magick::Image& image)
{
    if (isPalettePicture(image))
        return paletteDib(image);
    return isGreyPicture(image) ? greyDib(image) : trueColourDib(image);
}

QByteArray dibToBitmapFile(const QByteArray& dib)
{
    if (dib.size() < 16)
        return {};
    const auto* block = reinterpret_cast<const uchar*>(dib.constData());
    const uint32_t headerSize = qFromLittleEndian<uint32_t>(block);
    if (headerSize < 12 || headerSize > uint32_t(dib.size()))
        return {};
    uint64_t tableBytes = 0;
    if (headerSize >= 40) {
        const uint16_t bitCount = qFromLittleEndian<uint16_t>(block + 14);
        const uint32_t compression = qFromLittleEndian<uint32_t>(block + 16);
        const uint32_t used = qFromLittleEndian<uint32_t>(block + 32);
        // biClrUsed 0 means a full table for 1, 4 and 8 bits; counting it as no table would
        // point the offset into the colour table. BI_BITFIELDS adds three masks after a
        // 40-byte header.
        const uint64_t colours = (used == 0 && bitCount <= 8) ? (uint64_t(1) << bitCount) : used;
        tableBytes = 4 * colours;
        if (compression == 3 && headerSize == 40)
            tableBytes += 12;
    } else {
        const uint16_t bitCount = qFromLittleEndian<uint16_t>(block + 10); // BITMAPCOREHEADER
        tableBytes = bitCount <= 8 ? 3 * (uint64_t(1) << bitCount) : 0;
    }
    const uint64_t offset = 14 + uint64_t(headerSize) + tableBytes;
    const uint64_t fileSize = 14 + uint64_t(dib.size());
    if (fileSize > std::numeric_limits<uint32_t>::max() || offset > fileSize)
        return {};
    QByteArray file(14, '\0');
    auto* header = reinterpret_cast<uchar*>(file.data());
    header[0] = 'B';
    header[1] = 'M';
    qToLittleEndian<uint32_t>(uint32_t(fileSize), header + 2);
    qToLittleEndian<uint32_t>(uint32_t(offset), header + 10);
    file.append(dib);
    return file;
}
