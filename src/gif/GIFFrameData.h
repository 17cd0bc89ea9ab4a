#pragma once
// A frame's compressed image data kept for the next write, and the fingerprint of everything the
// encoder read to produce it. The encoders are deterministic functions of exactly these inputs,
// so equal fingerprints mean the kept bytes are what encoding again would write.
//
// The pixels are identified by content (a 64-bit hash taken at every write) rather than by a
// change counter: pixels are written through raw pointers all over the program (data(),
// scanLine(), the optimisers, the frame import), and a pointer kept across a write would defeat
// any counter. Hashing runs at several GB/s, a small fraction of encoding.
#include <QByteArray>

#include <cstddef>
#include <cstdint>

struct TGIFFrameDataKey
{
    uint64_t pixelHash = 0;
    int width = 0;
    int height = 0;
    bool interlaced = false;
    int initialCodeSize = 0;
    int colorLimit = 0;
    uint8_t compression = 0;

    bool operator==(const TGIFFrameDataKey&) const = default;
};

// Immutable once made; frames that share pixels (copies of one another) may share it.
struct TGIFFrameData
{
    TGIFFrameDataKey key;
    // Code size byte, data sub-blocks and the zero terminator, as the encoder wrote them.
    QByteArray bytes;
};

// 64-bit hash of a byte range (XXH64's construction: four multiply-rotate lanes, then an
// avalanche of the length and tail). Any change of a byte or of the length changes it with
// overwhelming probability; it is not meant to resist deliberate collisions.
uint64_t gifPixelHash(const uint8_t* data, size_t size);

// The largest byte of a range (0 for an empty one).
int gifLargestPixel(const uint8_t* data, size_t size);
