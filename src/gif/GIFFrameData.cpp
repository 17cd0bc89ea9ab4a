#include "gif/GIFFrameData.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
constexpr uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;
constexpr uint64_t kPrime3 = 0x165667B19E3779F9ull;
constexpr uint64_t kPrime4 = 0x85EBCA77C2B2AE63ull;
constexpr uint64_t kPrime5 = 0x27D4EB2F165667C5ull;

inline uint64_t rotl(uint64_t x, int r)
{
    return (x << r) | (x >> (64 - r));
}

inline uint64_t load64(const uint8_t* p)
{
    uint64_t v;
    std::memcpy(&v, p, 8); // the hash only has to agree with itself, so host byte order is fine
    return v;
}

inline uint32_t load32(const uint8_t* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

inline uint64_t round(uint64_t acc, uint64_t input)
{
    acc += input * kPrime2;
    acc = rotl(acc, 31);
    return acc * kPrime1;
}

inline uint64_t mergeRound(uint64_t acc, uint64_t lane)
{
    acc ^= round(0, lane);
    return acc * kPrime1 + kPrime4;
}

} // namespace

uint64_t gifPixelHash(const uint8_t* data, size_t size)
{
    const uint8_t* p = data;
    const uint8_t* const end = data + size;
    uint64_t h;
    if (size >= 32) {
        uint64_t v1 = kPrime1 + kPrime2;
        uint64_t v2 = kPrime2;
        uint64_t v3 = 0;
        uint64_t v4 = 0 - kPrime1;
        const uint8_t* const limit = end - 32;
        do {
            v1 = round(v1, load64(p));
            v2 = round(v2, load64(p + 8));
            v3 = round(v3, load64(p + 16));
            v4 = round(v4, load64(p + 24));
            p += 32;
        } while (p <= limit);
        h = rotl(v1, 1) + rotl(v2, 7) + rotl(v3, 12) + rotl(v4, 18);
        h = mergeRound(h, v1);
        h = mergeRound(h, v2);
        h = mergeRound(h, v3);
        h = mergeRound(h, v4);
    } else {
        h = kPrime5;
    }
    h += uint64_t(size);
    for (; size_t(end - p) >= 8; p += 8) {
        h ^= round(0, load64(p));
        h = rotl(h, 27) * kPrime1 + kPrime4;
    }
    if (size_t(end - p) >= 4) {
        h ^= uint64_t(load32(p)) * kPrime1;
        h = rotl(h, 23) * kPrime2 + kPrime3;
        p += 4;
    }
    for (; p < end; ++p) {
        h ^= uint64_t(*p) * kPrime5;
        h = rotl(h, 11) * kPrime1;
    }
    h ^= h >> 33;
    h *= kPrime2;
    h ^= h >> 29;
    h *= kPrime3;
    h ^= h >> 32;
    return h;
}

int gifLargestPixel(const uint8_t* data, size_t size)
{
    // Sixteen independent maxima keep the loop free of a dependency chain, and let the compiler
    // turn it into vector instructions.
    uint8_t lanes[16] = {};
    size_t i = 0;
    for (; i + 16 <= size; i += 16)
        for (int k = 0; k < 16; ++k)
            lanes[k] = std::max(lanes[k], data[i + size_t(k)]);
    uint8_t top = 0;
    for (const uint8_t lane : lanes)
        top = std::max(top, lane);
    for (; i < size; ++i)
        top = std::max(top, data[i]);
    return top;
}
