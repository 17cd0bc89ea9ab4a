#include "gif/GIFEncoder.h"

#include "gif/GIFDecoder.h"
#include "gif/GIFException.h"
#include "gif/GIFStream.h"

#include <algorithm>
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

    TGIFWriter writer(stream);
    m_writer = &writer;
    if (data && width > 0 && height > 0)
        compressData();
    outputCode(m_endCode);
    if (m_bitCount > 0)
        putByte(uint8_t(m_accumulator & 0xFF));
    m_bitCount = 0;
    writer.finish();
    m_writer = nullptr;
    stream.writeByte(0);
}

// ---------------------------------------------------------------------------------------------

void TLZWEncoder::clear()
{
    m_justCleared = true;
    emitCode(m_clearCode);
    emptyTable();
    m_nextCode = m_firstFreeCode;
}

void TLZWEncoder::emptyTable()
{
    // Only what was filled is emptied: small frames pay for their few entries, not for the
    // whole 48 KB of table and memo.
    if (m_filledCount > 0) {
        m_table.clearSlots(m_filled, m_filledCount);
        m_filledCount = 0;
    }
    // Memo entries exist only for prefixes below the next code (literals included).
    std::fill(m_recent, m_recent + std::clamp(m_nextCode, 0, 4096), THashTable::kEmpty);
}

template <bool CheckLimit> int TLZWEncoder::encodeSpan(const uint8_t* pixels, const uint8_t* end, int prefix)
{
    // Locals, not members, in the loop: the bytes written for a code may alias anything.
    uint32_t* const recentChild = m_recent;
    const int limit = m_limit;
    for (; pixels != end; ++pixels) {
        const uint32_t pixel = *pixels;
        if (CheckLimit && int(pixel) >= limit)
            colorNotInTable();
        const uint32_t recent = recentChild[prefix];
        if ((recent >> 12) == pixel) {
            prefix = int(recent & 0xFFF);
            continue;
        }
        const uint32_t key = (uint32_t(prefix) << 8) | pixel;
        const int slot = m_table.findSlot(key);
        if (!m_table.isEmpty(slot)) {
            const int code = m_table.codeAt(slot);
            recentChild[prefix] = (pixel << 12) | uint32_t(code);
            prefix = code;
            continue;
        }
        emitCode(prefix);
        if (m_nextCode >= 4095) {
            clear();
        } else {
            // The probe for the key ended at this empty slot; an insert would probe to it again.
            m_table.store(slot, key, m_nextCode);
            m_filled[m_filledCount++] = uint16_t(slot);
            recentChild[prefix] = (pixel << 12) | uint32_t(m_nextCode);
            ++m_nextCode;
        }
        prefix = int(pixel);
    }
    return prefix;
}

template <bool CheckLimit> void TLZWEncoder::compressSpans()
{
    bool first = true;
    int prefix = 0;
    forEachSpan([&](const uint8_t* span, int64_t length) {
        if (first) {
            first = false;
            prefix = span[0];
            if (CheckLimit && prefix >= m_limit)
                colorNotInTable();
            ++span;
            --length;
        }
        prefix = encodeSpan<CheckLimit>(span, span + length, prefix);
    });
    emitCode(prefix);
}

void TLZWEncoder::compressData()
{
    clear();
    if (m_limit >= 256)
        compressSpans<false>();
    else
        compressSpans<true>();
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
    // The LZW encoder's tables (56 KB) are made once per thread and emptied by each frame of
    // what it added: frames of a few thousand pixels would otherwise spend much of their time
    // allocating and filling them.
    thread_local std::unique_ptr<TLZWEncoder> kept;
    std::unique_ptr<TLZWEncoder> encoder = kept ? std::move(kept) : std::make_unique<TLZWEncoder>();
    encoder->compress(stream, initialCodeSize, colorLimit, pixels, interlaced, height, width);
    kept = std::move(encoder);
}
