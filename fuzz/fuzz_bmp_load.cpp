// Fuzz target for the BMP reader: pictures from disk, the clipboard and the imaging control reach it
// as untrusted bytes. Any byte string is read as a BMP file and as a packed DIB; whatever reads is
// written back and must read again with the same size, format and pixels.
#include "graphics/Bitmap.h"
#include "graphics/BitmapFile.h"
#include "graphics/Exceptions.h"
#include "graphics/PixelCodec.h"
#include "graphics/Streams.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int64_t kFuzzPixelLimit = int64_t(1) << 22;

int32_t le32(const uint8_t* p)
{
    return int32_t(uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24));
}

// Compressed bitmaps may declare up to the reader's own limit (2^28 pixels) in a few bytes; the
// fuzzer explores faster on small pictures, and the limit check is the same code at any size.
bool smallEnough(const uint8_t* header, size_t size)
{
    if (size < 12)
        return true;
    const uint32_t infoSize = uint32_t(le32(header));
    int64_t width = 0;
    int64_t height = 0;
    if (infoSize == 12) {
        width = header[4] | (header[5] << 8);
        height = header[6] | (header[7] << 8);
    } else {
        width = le32(header + 4);
        height = le32(header + 8);
    }
    return std::llabs(width) * std::llabs(height) <= kFuzzPixelLimit;
}

// Compares the bits that hold pixels; the unused bits at the end of a row are not kept.
bool samePixels(const TDibPixels& a, const TDibPixels& b)
{
    if (a.width != b.width || a.height != b.height || a.format != b.format)
        return false;
    const int bits = pixelcodec::storageBits(a.format);
    const int64_t usedBits = int64_t(a.width) * bits;
    const size_t wholeBytes = size_t(usedBits / 8);
    const int spareBits = int(usedBits % 8);
    for (int y = 0; y < a.height; ++y) {
        const uint8_t* x = a.pixels.get() + int64_t(y) * a.stride;
        const uint8_t* z = b.pixels.get() + int64_t(y) * b.stride;
        if (std::memcmp(x, z, wholeBytes) != 0)
            return false;
        const uint8_t mask = uint8_t(0xFF << (8 - spareBits));
        if (spareBits && (x[wholeBytes] & mask) != (z[wholeBytes] & mask))
            return false;
    }
    return true;
}

// pfDevice is written as 24 bits and comes back in that format; every other format is written as
// it is held.
bool writtenAsIs(TPixelFormat format)
{
    return format != pfDevice;
}

void roundTrip(const TDibPixels& dib)
{
    TMemoryStream saved;
    writeBitmapFile(saved, dib.width, dib.height, dib.format, dib.palette, dib.pixels.get(), dib.stride);
    saved.setPosition(0);
    const TDibPixels again = readBitmapFile(saved);
    if (writtenAsIs(dib.format) && !samePixels(dib, again))
        std::abort();
    if (again.width != dib.width || again.height != dib.height)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // As a file: a 14-byte file header, then the information header.
    if (size < 14 || smallEnough(data + 14, size - 14)) {
        TMemoryStream stream(bytes);
        try {
            const TDibPixels dib = readBitmapFile(stream);
            roundTrip(dib);
            TBitmap bitmap;
            stream.setPosition(0);
            bitmap.loadFromStream(stream);
            if (bitmap.width() != dib.width || bitmap.height() != dib.height)
                std::abort();
        } catch (const Exception&) {
        }
    }
    // As a packed DIB (the clipboard's form): the information header comes first.
    if (smallEnough(data, size)) {
        try {
            const TDibPixels dib = readPackedDib(bytes);
            roundTrip(dib);
        } catch (const Exception&) {
        }
    }
    return 0;
}
