// Fuzz target for the frame data codec. The first four bytes choose the frame (width and height up
// to 512, interlacing, a code size); the rest is decoded as image data, and, taken as pixels, is
// encoded with both encoders and must decode back unchanged.
#include "gif/GIFDecoder.h"
#include "gif/GIFEncoder.h"
#include "gif/GIFException.h"
#include "graphics/Streams.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void decodeUntrusted(const uint8_t* data, size_t size, int width, int height, bool interlaced)
{
    std::vector<uint8_t> pixels(size_t(width) * size_t(height), 0xAB);
    TMemoryStream stream(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    int warnings = 0;
    try {
        decodeFrameData(stream, pixels.data(), width, height, interlaced,
                        [&](const QString&) { ++warnings; });
    } catch (const GIFException&) {
    }
    // Each defect is reported once at most: premature end, under-run, code size.
    if (warnings > 3)
        std::abort();
}

void roundTrip(const uint8_t* data, size_t size, int width, bool interlaced, int codeSize)
{
    if (size == 0)
        return;
    width = std::min<int>(width, int(size));
    const int height = std::min<int>(int(size) / width, 512);
    const int limit = 1 << codeSize;
    std::vector<uint8_t> pixels(size_t(width) * size_t(height));
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = uint8_t(data[i] & (limit - 1));
    for (const TGIFCompression compression : {gcLZW, gcRLE}) {
        TMemoryStream encoded;
        compressFrameData(encoded, codeSize, limit, pixels.data(), width, height, interlaced, compression);
        std::vector<uint8_t> decoded(pixels.size(), 0xAB);
        encoded.setPosition(0);
        bool warned = false;
        decodeFrameData(encoded, decoded.data(), width, height, interlaced,
                        [&](const QString&) { warned = true; });
        if (decoded != pixels || warned || encoded.position() != encoded.size())
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const int width = 1 + (data[0] | ((data[1] & 1) << 8));
    const int height = 1 + (data[2] | ((data[3] & 1) << 8));
    const bool interlaced = (data[1] & 2) != 0;
    const int codeSize = 1 + (data[3] >> 1) % 8;
    decodeUntrusted(data + 4, size - 4, width, height, interlaced);
    roundTrip(data + 4, std::min<size_t>(size - 4, 1 << 16), width, interlaced, codeSize);
    return 0;
}
