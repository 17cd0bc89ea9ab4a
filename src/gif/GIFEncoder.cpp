#include "gif/GIFEncoder.h"

#include "gif/GIFDecoder.h"
#include "gif/GIFException.h"
#include "gif/GIFStream.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <memory>

void THashTable::clear()
{
    std::fill(m_slots, m_slots + kSize, kEmpty);
}

// ---------------------------------------------------------------------------------------------

TGIFEncoder::~TGIFEncoder() = default;

void TGIFEncoder::colorNotInTable()
{
    throw GIFException(QStringLiteral("Color not in color table"));
}

void TGIFEncoder::outputCode(int code)
{
    putCode(code);
}

void TGIFEncoder::clear()
{
    m_justCleared = true;
    outputCode(m_clearCode);
}

template <typename Visit> void TGIFEncoder::forEachSpan(Visit&& visit) const
{
    if (!m_interlaced) {
        visit(m_data, int64_t(m_width) * m_height);
        return;
    }
    for (const int row : interlacedRowOrder(m_height))
        visit(m_data + int64_t(row) * m_width, int64_t(m_width));
}

void TGIFEncoder::compress(TStream& stream, int initialCodeSize, int colorLimit, const uint8_t* data,
                           bool interlaced, int height, int width)
{
    // Pixels are bytes, so 8 bits always suffice; up to 11 the codes still fit 12 bits, which
    // keeps the code arithmetic sound for any caller.
    m_initialCodeSize = std::clamp(initialCodeSize, 2, 11);
    stream.writeByte(uint8_t(m_initialCodeSize));
    m_limit = colorLimit;
    m_clearCode = 1 << m_initialCodeSize;
    m_endCode = m_clearCode + 1;
    m_firstFreeCode = m_clearCode + 2;
    m_codeSize = m_initialCodeSize + 1;
    m_maxCode = (1 << m_codeSize) - 1;
    m_accumulator = 0;
    m_bitCount = 0;
    m_justCleared = false;
    m_data = data;
    m_width = width;
    m_height = height;
    m_interlaced = interlaced;
    encodeFrame(stream);
    stream.writeByte(0);
}

void TGIFEncoder::encodeFrame(TStream& stream)
{
    TGIFWriter writer(stream);
    m_writer = &writer;
    if (m_data && m_width > 0 && m_height > 0)
        compressData();
    outputCode(m_endCode);
    if (m_bitCount > 0)
        putByte(uint8_t(m_accumulator & 0xFF));
    m_bitCount = 0;
    writer.finish();
    m_writer = nullptr;
}

// ---------------------------------------------------------------------------------------------

TLZWEncoder::TLZWEncoder()
{
    std::fill(m_table, m_table + kSlots, kEmpty);
    std::fill(m_recent, m_recent + 4096, kEmpty);
}

void TLZWEncoder::emptyTable(int nextCode, int filledCount)
{
    // Only what was filled is emptied: small frames pay for their few entries, not for the
    // whole 80 KB of table and memo.
    if (m_direct) {
        for (int i = 0; i < filledCount; ++i)
            m_children[m_filled[i]] = 0;
        return;
    }
    for (int i = 0; i < filledCount; ++i)
        m_table[m_filled[i]] = kEmpty;
    // Memo entries exist only for prefixes below the next code (literals included).
    std::fill(m_recent, m_recent + std::clamp(nextCode, 0, 4096), kEmpty);
}

void TLZWEncoder::writeBlocks(TStream& stream, const uint8_t* bytes, int64_t count)
{
    while (count > 0) {
        uint8_t* block = m_blocks;
        while (count > 0 && block < m_blocks + sizeof m_blocks) {
            const int n = int(std::min<int64_t>(count, 255));
            *block = uint8_t(n);
            std::memcpy(block + 1, bytes, size_t(n));
            block += n + 1;
            bytes += n;
            count -= n;
        }
        stream.writeBuffer(m_blocks, block - m_blocks);
    }
}

uint8_t* TLZWEncoder::flushFullBlocks(TStream& stream, uint8_t* end)
{
    const int64_t full = (end - m_out) / 255 * 255;
    writeBlocks(stream, m_out, full);
    const int64_t rest = (end - m_out) - full;
    std::memmove(m_out, m_out + full, size_t(rest));
    return m_out + rest;
}

namespace {

// Stores the lowest 4 bytes of bits in stream order.
inline void storeLow32(uint8_t* out, uint64_t bits)
{
    const uint32_t word = qToLittleEndian(uint32_t(bits));
    std::memcpy(out, &word, 4);
}

} // namespace

template <bool CheckLimit, bool Direct>
const uint8_t* TLZWEncoder::encodeSpan(TState& state, const uint8_t* pixels, const uint8_t* end)
{
    // Everything the loop changes lives in locals: the stores of packed bytes could otherwise
    // alias any member and force reloads.
    uint64_t bits = state.bits;
    int bitCount = state.bitCount;
    uint8_t* out = state.out;
    int codeSize = state.codeSize;
    int maxCode = state.maxCode;
    int nextCode = state.nextCode;
    int prefix = state.prefix;
    int filledCount = state.filledCount;
    uint32_t* const table = m_table;
    uint32_t* const recentChild = m_recent;
    uint16_t* const children = m_children.get();
    const int pixelBits = m_initialCodeSize;
    uint16_t* const filled = m_filled;
    const int limit = m_limit;
    const int clearCode = m_clearCode;
    const int firstFree = m_firstFreeCode;
    const int resetSize = m_initialCodeSize + 1;

    // Packs a code behind the collected bits; whole 32-bit words go out at once.
    auto put = [&](int code) {
        bits |= uint64_t(uint32_t(code) & ((1u << codeSize) - 1)) << bitCount;
        bitCount += codeSize;
        if (bitCount >= 32) {
            storeLow32(out, bits);
            out += 4;
            bits >>= 32;
            bitCount -= 32;
        }
    };

    for (; pixels != end; ++pixels) {
        const uint32_t pixel = *pixels;
        if (CheckLimit && int(pixel) >= limit)
            break;
        if constexpr (Direct) {
            const uint32_t index = (uint32_t(prefix) << pixelBits) | pixel;
            const int child = children[index];
            if (child != 0) {
                prefix = child;
                continue;
            }
            put(prefix);
            if (nextCode > maxCode) {
                ++codeSize;
                maxCode = codeSize == 12 ? 4096 : (1 << codeSize) - 1;
            }
            if (nextCode >= 4095) {
                put(clearCode);
                codeSize = resetSize;
                maxCode = (1 << codeSize) - 1;
                emptyTable(nextCode, filledCount);
                filledCount = 0;
                nextCode = firstFree;
            } else {
                children[index] = uint16_t(nextCode);
                filled[filledCount++] = uint16_t(index);
                ++nextCode;
            }
            prefix = int(pixel);
            if (out >= m_out + kFlushAt) [[unlikely]]
                out = flushFullBlocks(*m_stream, out);
            continue;
        }
        const uint32_t recent = recentChild[prefix];
        if ((recent >> 12) == pixel) {
            prefix = int(recent & 0xFFF);
            continue;
        }
        const uint32_t key = (uint32_t(prefix) << 8) | pixel;
        uint32_t slot = slotOf(key);
        uint32_t entry;
        while ((entry = table[slot]) != kEmpty && (entry >> 12) != key)
            slot = (slot + 1) & (kSlots - 1);
        if (entry != kEmpty) {
            const int code = int(entry & 0xFFF);
            recentChild[prefix] = (pixel << 12) | uint32_t(code);
            prefix = code;
            continue;
        }
        put(prefix);
        // The code size grows once the next code no longer fits (the decoder's rule, one code
        // behind).
        if (nextCode > maxCode) {
            ++codeSize;
            maxCode = codeSize == 12 ? 4096 : (1 << codeSize) - 1;
        }
        if (nextCode >= 4095) {
            put(clearCode);
            codeSize = resetSize;
            maxCode = (1 << codeSize) - 1;
            emptyTable(nextCode, filledCount);
            filledCount = 0;
            nextCode = firstFree;
        } else {
            // The probe for the key ended at this empty slot.
            table[slot] = (key << 12) | uint32_t(nextCode);
            filled[filledCount++] = uint16_t(slot);
            recentChild[prefix] = (pixel << 12) | uint32_t(nextCode);
            ++nextCode;
        }
        prefix = int(pixel);
        if (out >= m_out + kFlushAt) [[unlikely]]
            out = flushFullBlocks(*m_stream, out);
    }
    state.bits = bits;
    state.bitCount = bitCount;
    state.out = out;
    state.codeSize = codeSize;
    state.maxCode = maxCode;
    state.nextCode = nextCode;
    state.prefix = prefix;
    state.filledCount = filledCount;
    return pixels;
}

void TLZWEncoder::encodeFrame(TStream& stream)
{
    m_stream = &stream;
    TState state;
    state.out = m_out;
    state.codeSize = m_initialCodeSize + 1;
    state.maxCode = (1 << state.codeSize) - 1;
    state.nextCode = m_firstFreeCode;
    // The few codes outside the pixel loop, stored byte by byte.
    auto putCode = [&](int code) {
        state.bits |= uint64_t(uint32_t(code) & ((1u << state.codeSize) - 1)) << state.bitCount;
        state.bitCount += state.codeSize;
        while (state.bitCount >= 8) {
            *state.out++ = uint8_t(state.bits);
            state.bits >>= 8;
            state.bitCount -= 8;
        }
    };
    // A frame refused part-way leaves the stream with the complete sub-blocks of the bytes of the
    // codes written before the refused pixel, as a writer of one sub-block at a time would.
    auto refuse = [&] {
        while (state.bitCount >= 8) {
            *state.out++ = uint8_t(state.bits);
            state.bits >>= 8;
            state.bitCount -= 8;
        }
        const int64_t full = (state.out - m_out) / 255 * 255;
        writeBlocks(stream, m_out, full);
        emptyTable(state.nextCode, state.filledCount);
        colorNotInTable();
    };
    if (m_data && m_width > 0 && m_height > 0) {
        putCode(m_clearCode);
        const bool check = m_limit < 256;
        // Few colours, all of them literals: each string's children sit in a row of their own.
        m_direct = check && m_limit <= m_clearCode && m_initialCodeSize <= kDirectBits;
        if (m_direct && !m_children)
            m_children = std::make_unique<uint16_t[]>(size_t(4096) << kDirectBits);
        bool first = true;
        forEachSpan([&](const uint8_t* span, int64_t length) {
            if (first) {
                first = false;
                state.prefix = span[0];
                if (check && state.prefix >= m_limit)
                    refuse();
                ++span;
                --length;
            }
            const uint8_t* end = span + length;
            const uint8_t* stop = m_direct ? encodeSpan<true, true>(state, span, end)
                                  : check  ? encodeSpan<true, false>(state, span, end)
                                           : encodeSpan<false, false>(state, span, end);
            if (stop != end)
                refuse();
        });
        putCode(state.prefix);
        if (state.nextCode > state.maxCode) {
            ++state.codeSize;
            state.maxCode = state.codeSize == 12 ? 4096 : (1 << state.codeSize) - 1;
        }
    }
    putCode(m_endCode);
    if (state.bitCount > 0)
        *state.out++ = uint8_t(state.bits);
    emptyTable(state.nextCode, state.filledCount);
    writeBlocks(stream, m_out, state.out - m_out);
    m_stream = nullptr;
}

// ---------------------------------------------------------------------------------------------

uint64_t TRLEEncoder::isqrt(uint64_t x)
{
    if (x < 2)
        return x;
    int bits = 0;
    for (uint64_t v = x; v != 0; v >>= 1)
        ++bits;
    uint64_t r = uint64_t(1) << ((bits + 1) / 2); // at or above the root: Newton's steps go down
    for (;;) {
        const uint64_t next = (x / r + r) / 2;
        if (next == r || next == r + 1)
            return r;
        r = next;
    }
}

int64_t TRLEEncoder::triangleCount(int64_t count, int64_t runCodes)
{
    int64_t cost = 0;
    const int64_t perFullSet = runCodes * (runCodes + 1) / 2;
    if (perFullSet > 0 && count >= perFullSet) {
        cost += (count / perFullSet) * runCodes;
        count %= perFullSet;
    }
    if (count > 0) {
        int64_t k = int64_t(isqrt(uint64_t(count)));
        while (k > 0 && k * (k + 1) >= 2 * count)
            --k;
        while (k * (k + 1) < 2 * count)
            ++k;
        cost += k;
    }
    return cost;
}

void TRLEEncoder::clear()
{
    m_justCleared = true;
    putCode(m_clearCode);
    m_codeSize = m_initialCodeSize + 1;
    m_maxCode = (1 << m_codeSize) - 1;
    m_bump = m_bumpStart;
    m_clearPoint = m_clearStart;
    m_outCount = 0;
    m_tableRunLength = 0;
}

void TRLEEncoder::plainOutput(int code)
{
    m_justCleared = false;
    putCode(code);
    ++m_outCount;
    if (m_outCount >= m_bump) {
        m_bump += 1 << m_codeSize;
        ++m_codeSize;
    }
    if (m_outCount >= m_clearPoint)
        clear();
}

void TRLEEncoder::resetClearPoint()
{
    m_clearPoint = m_clearStart;
    if (m_outCount >= m_clearPoint)
        clear();
}

void TRLEEncoder::flushFromClear(int64_t count)
{
    m_clearPoint = m_maxOutputCodes;
    m_tablePixel = m_runPixel;
    int64_t k = 1;
    while (count > 0) {
        if (k == 1) {
            m_tableRunLength = 1;
            plainOutput(m_runPixel);
            count -= 1;
        } else if (count >= k) {
            m_tableRunLength = k;
            plainOutput(int(m_firstFreeCode + k - 2));
            count -= k;
        } else {
            ++m_tableRunLength;
            plainOutput(count == 1 ? m_runPixel : int(m_firstFreeCode + count - 2));
            count = 0;
        }
        k = m_outCount == 0 ? 1 : k + 1;
    }
    resetClearPoint();
}

void TRLEEncoder::flushWithClearOrRepeats(int64_t count)
{
    if (1 + triangleCount(count, m_maxOutputCodes) < count) {
        clear();
        flushFromClear(count);
        return;
    }
    for (; count > 0; --count)
        plainOutput(m_runPixel);
}

void TRLEEncoder::flushWithTable(int64_t count)
{
    const int64_t runLength = m_tableRunLength;
    int64_t repeats = count / runLength;
    int64_t leftover = count % runLength;
    int64_t leftoverCost = leftover > 0 ? 1 : 0;
    if (m_outCount + repeats + leftoverCost > m_maxOutputCodes) {
        repeats = m_maxOutputCodes - m_outCount;
        leftover = count - repeats * runLength;
        leftoverCost = 1 + triangleCount(leftover, m_maxOutputCodes);
    }
    if (1 + triangleCount(count, m_maxOutputCodes) < repeats + leftoverCost) {
        clear();
        flushFromClear(count);
        return;
    }
    m_clearPoint = m_maxOutputCodes;
    for (; repeats > 0; --repeats)
        plainOutput(int(m_firstFreeCode + runLength - 2));
    if (leftover > 0) {
        if (m_justCleared)
            flushFromClear(leftover);
        else if (leftover == 1)
            plainOutput(m_runPixel);
        else
            plainOutput(int(m_firstFreeCode + leftover - 2));
    }
    resetClearPoint();
}

void TRLEEncoder::flushRun(int64_t count)
{
    if (count == 1)
        plainOutput(m_runPixel);
    else if (m_justCleared)
        flushFromClear(count);
    else if (m_tableRunLength < 2 || m_tablePixel != m_runPixel)
        flushWithClearOrRepeats(count);
    else
        flushWithTable(count);
}

void TRLEEncoder::compressData()
{
    m_bumpStart = m_clearCode - 1;
    m_clearStart = m_initialCodeSize > 3 ? m_clearCode - 2 : 9;
    m_maxOutputCodes = 4095 - m_firstFreeCode;
    m_bump = m_bumpStart;
    m_clearPoint = m_clearStart;
    m_outCount = 0;
    m_tableRunLength = 0;
    clear();

    m_runPixel = -1;
    int64_t runCount = 0;
    const int limit = m_limit;
    forEachSpan([&](const uint8_t* span, int64_t length) {
        for (int64_t i = 0; i < length; ++i) {
            const int pixel = span[i];
            if (pixel >= limit)
                colorNotInTable();
            if (runCount > 0 && pixel != m_runPixel) {
                flushRun(runCount);
                runCount = 0;
            }
            if (pixel == m_runPixel) {
                ++runCount;
            } else {
                m_runPixel = pixel;
                runCount = 1;
            }
        }
    });
    if (runCount > 0)
        flushRun(runCount);
}

// ---------------------------------------------------------------------------------------------

void compressFrameData(TStream& stream, int initialCodeSize, int colorLimit, const uint8_t* pixels, int width,
                       int height, bool interlaced, TGIFCompression compression)
{
    if (compression == gcRLE) {
        TRLEEncoder encoder;
        encoder.compress(stream, initialCodeSize, colorLimit, pixels, interlaced, height, width);
        return;
    }
    // The LZW encoder's tables and buffers (about 115 KB) are made once per thread and emptied by
    // each frame of what it added: frames of a few thousand pixels would otherwise spend much of
    // their time allocating and filling them.
    thread_local std::unique_ptr<TLZWEncoder> kept;
    std::unique_ptr<TLZWEncoder> encoder = kept ? std::move(kept) : std::make_unique<TLZWEncoder>();
    encoder->compress(stream, initialCodeSize, colorLimit, pixels, interlaced, height, width);
    kept = std::move(encoder);
}
