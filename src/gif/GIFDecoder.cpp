#include "gif/GIFDecoder.h"

#include "gif/GIFException.h"
#include "graphics/Streams.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <memory>

namespace {

constexpr int kTableSize = 4096;
constexpr int kMaxCode = kTableSize - 1;
// A string of an acyclic table holds at most one byte per table entry plus the pushed first code;
// a chain that would need more than this runs round a cycle.
constexpr int kStackSize = kTableSize + 1;
// The two kept bytes of the previous sub-block, one more for a code that spans a 1-byte
// sub-block, 255 data bytes and slack for the 4-byte little-endian code loads.
constexpr int kBufferSize = 3 + 255 + 8;
// The output goes to a scratch block: in front of it one byte for each literal code (its value),
// so that literals are strings of the table like any other, and behind it room for the 16-byte
// pieces the fast path copies past the end of a string.
constexpr int64_t kLead = 2048 + 64;
constexpr int64_t kSlack = 64;

const QString kPrematureEnd = QStringLiteral("Premature end of data");
const QString kUnderRun = QStringLiteral("Decoder bit buffer under-run");
const QString kInvalidCodeSize = QStringLiteral("Invalid LZW code size");
const QString kCircular = QStringLiteral("Circular decoder table entry");

// Reads sub-blocks until the zero-length terminator or the end of the data.
void skipSubBlocks(TStream& stream)
{
    uint8_t scratch[255];
    uint8_t size = 0;
    while (stream.readByte(size) && size != 0) {
        if (stream.read(scratch, size) < size)
            return;
    }
}

// The classic LZW decoder of GIF image data (a string table of prefix codes and suffix bytes, a
// stack for the bytes of one string) with a fast path on top: while the table is sound, every
// string is copied whole from where it was last written in the contiguous output instead of
// being walked byte by byte through the table. The fast path leaves the table and the decoder's
// variables exactly as the classic decoder would, so the classic step takes over at any point:
// for the codes a sound table cannot explain (a code beyond the next free one, a first code after
// a clear that is not a literal), for the string cut off by the end of the frame, and for the
// one value requested after the frame.
class TLZWDecoder
{
public:
    // base is the scratch block: kLead bytes whose first ones this fills with the literals, then
    // the output, then kSlack bytes.
    TLZWDecoder(TStream& stream, int minCodeSize, const TDecoderWarning& warning, uint8_t* base)
        : m_stream(stream), m_warning(warning), m_minCodeSize(minCodeSize), m_clearCode(1 << minCodeSize),
          m_endCode(m_clearCode + 1), m_base(base)
    {
        for (int i = 0; i < m_clearCode; ++i) {
            m_prefix[i] = 0;
            m_suffix[i] = uint8_t(i);
            base[i] = uint8_t(i);
            m_pos[i] = uint32_t(i);
            m_len[i] = 1;
        }
        std::fill(m_prefix + m_clearCode, m_prefix + kTableSize, uint16_t(0));
        std::fill(m_suffix + m_clearCode, m_suffix + kTableSize, uint8_t(0));
        // Length 0 marks the codes the fast path cannot copy: clear, end and those not yet defined.
        std::fill(m_len + m_clearCode, m_len + kTableSize, uint16_t(0));
        std::memset(m_buffer, 0, sizeof m_buffer);
        resetCodeSize();
        m_nextFree = m_clearCode + 2;
    }

    // Decodes up to count values into the output part of the scratch block; returns how many were
    // written. Stops early at the end code or when no more codes can be read. The bytes behind
    // those written are undefined. When it raises, decoded() says how many it had written.
    int64_t decode(int64_t count);
    int64_t decoded() const { return m_decoded; }

    // The value request after the frame's pixels; then skips what is left of the data sub-blocks
    // so that the stream stands at the next block.
    void finish()
    {
        m_inFinish = true;
        nextValue();
        if (!m_zeroSeen && !m_skipped && !m_streamEnded)
            skipSubBlocks(m_stream);
    }

private:
    void resetCodeSize()
    {
        m_codeSize = m_minCodeSize + 1;
        m_codeMask = (1 << m_codeSize) - 1;
        m_codeLimit = 2 * m_clearCode;
    }

    int fetchCode()
    {
        if (m_curBit + m_codeSize >= m_lastBit)
            return fetchSlow();
        return extractCode();
    }

    int extractCode()
    {
        const uint32_t word = qFromLittleEndian<uint32_t>(m_buffer + (m_curBit >> 3));
        const int code = int(word >> (m_curBit & 7)) & m_codeMask;
        m_curBit += m_codeSize;
        return code;
    }

    int64_t decodeSteps(int64_t count, int64_t& n);
    int64_t fastRun(int64_t n, int64_t count);
    int fetchSlow();
    int dataExhausted();
    void appendSubBlock();
    int clearTable();
    void endReached();
    int nextValue();
    void classicDecode(int code);
    void addEntry(int prefix, uint8_t suffix)
    {
        if (m_nextFree > kMaxCode)
            return;
        m_prefix[m_nextFree] = uint16_t(prefix);
        m_suffix[m_nextFree] = suffix;
        ++m_nextFree;
        // The decoder never clears the table itself: once full it stays at 12-bit codes.
        if (m_nextFree >= m_codeLimit && m_codeLimit <= kMaxCode) {
            m_codeLimit *= 2;
            ++m_codeSize;
            m_codeMask = (1 << m_codeSize) - 1;
        }
    }
    void push(int value)
    {
        if (m_stackTop >= kStackSize)
            throw GIFException(kCircular);
        m_stack[m_stackTop++] = uint8_t(value);
    }

    TStream& m_stream;
    const TDecoderWarning& m_warning;

    const int m_minCodeSize;
    const int m_clearCode;
    const int m_endCode;
    int m_codeSize = 0;
    int m_codeMask = 0;
    int m_codeLimit = 0;
    int m_nextFree = 0;
    int m_firstCode = 0;
    int m_oldCode = 0;

    // Fast path: where each code's string was last written in the scratch block, and its length.
    // Valid for the literals, and for the entries added since the last clear while m_slow is false.
    uint8_t* const m_base;
    int64_t m_decoded = 0;
    bool m_slow = true;
    int64_t m_prevPos = 0;
    int m_prevLen = 0;
    uint32_t m_pos[kTableSize];
    uint16_t m_len[kTableSize];

    uint16_t m_prefix[kTableSize];
    uint8_t m_suffix[kTableSize];
    uint8_t m_stack[kStackSize];
    int m_stackTop = 0;

    // Bit reader.
    uint8_t m_buffer[kBufferSize];
    int m_curBit = 0;
    int m_lastBit = 0;
    int m_lastByte = 2;
    bool m_firstCall = true;
    bool m_zeroSeen = false;
    bool m_streamEnded = false; // a sub-block size byte could not be read
    bool m_finished = false;    // the end code was read
    bool m_skipped = false;     // the sub-blocks were skipped through the terminator
    bool m_underRunWarned = false;
    bool m_inFinish = false;
};

int TLZWDecoder::fetchSlow()
{
    // The first request yields a clear code so that the table is set up before the first real code.
    if (m_firstCall) {
        m_firstCall = false;
        return m_clearCode;
    }
    if (m_zeroSeen)
        return dataExhausted();
    if (m_streamEnded)
        return -1;
    uint8_t size = 0;
    if (!m_stream.readByte(size)) {
        // A size byte that cannot be read is the end of the data, without a warning.
        m_streamEnded = true;
        return -1;
    }
    // Keep the last two bytes in front so that a code spanning two sub-blocks needs no special case.
    m_buffer[0] = m_buffer[m_lastByte - 2];
    m_buffer[1] = m_buffer[m_lastByte - 1];
    int count = 0;
    bool premature = false;
    if (size == 0) {
        m_zeroSeen = true;
    } else {
        count = int(std::max<int64_t>(0, m_stream.read(m_buffer + 2, size)));
        if (count < size) {
            premature = true;
            if (m_warning)
                m_warning(kPrematureEnd);
        }
    }
    // Bits beyond the buffered data only exist after a stale read at the end of the data; bounding
    // them keeps every code load inside the buffer.
    const int carried = std::min(m_curBit - m_lastBit, 16);
    m_lastByte = 2 + count;
    m_curBit = carried + 16;
    m_lastBit = (2 + count) * 8;
    // A code can span more than two sub-blocks only when one holds a single byte; the two kept
    // bytes cannot hold it then, so take in the next sub-block too.
    while (!premature && !m_zeroSeen && !m_streamEnded && count > 0 && m_curBit + m_codeSize > m_lastBit)
        appendSubBlock();
    // A code that runs past the data would be made up of stale bytes: the data ends here.
    if (m_curBit + m_codeSize > m_lastBit)
        return m_zeroSeen ? dataExhausted() : -1;
    return extractCode();
}

int TLZWDecoder::dataExhausted()
{
    // The terminator came before the frame was complete. Warned once, and not for the value
    // requested after a complete frame.
    if (!m_inFinish && !m_underRunWarned) {
        m_underRunWarned = true;
        if (m_warning)
            m_warning(kUnderRun);
    }
    return -1;
}

void TLZWDecoder::appendSubBlock()
{
    const int from = std::min(m_curBit >> 3, m_lastByte - 2);
    const int keep = m_lastByte - from; // 2 or 3 bytes: a code has at most 11 bits still unread
    std::memmove(m_buffer, m_buffer + from, size_t(keep));
    m_curBit -= from * 8;
    m_lastByte = keep;
    m_lastBit = keep * 8;
    uint8_t size = 0;
    if (!m_stream.readByte(size)) {
        m_streamEnded = true;
        return;
    }
    if (size == 0) {
        m_zeroSeen = true;
        return;
    }
    const int count = int(std::max<int64_t>(0, m_stream.read(m_buffer + keep, size)));
    if (count < size && m_warning)
        m_warning(kPrematureEnd);
    m_lastByte = keep + count;
    m_lastBit = m_lastByte * 8;
    if (count < size)
        m_streamEnded = true;
}

int TLZWDecoder::clearTable()
{
    // Entries below the clear code never change; the clear and end entries are never written.
    std::fill(m_prefix + m_clearCode + 2, m_prefix + m_nextFree, uint16_t(0));
    std::fill(m_suffix + m_clearCode + 2, m_suffix + m_nextFree, uint8_t(0));
    std::fill(m_len + m_clearCode + 2, m_len + std::max(m_nextFree, m_clearCode + 2), uint16_t(0));
    resetCodeSize();
    m_nextFree = m_clearCode + 2;
    m_stackTop = 0;
    int code;
    do {
        code = fetchCode();
    } while (code == m_clearCode);
    m_firstCode = m_oldCode = code;
    // A first code that is not a literal is returned as it is; the fast path cannot describe the
    // string it leaves behind, so the classic step runs until the next clear.
    m_slow = code >= m_clearCode;
    return code;
}

void TLZWDecoder::endReached()
{
    // Every later request returns the end marker: reading on would take codes out of whatever
    // follows the terminator.
    m_finished = true;
    if (!m_zeroSeen) {
        skipSubBlocks(m_stream);
        m_skipped = true;
    }
}

void TLZWDecoder::classicDecode(int code)
{
    m_slow = true;
    const int incoming = code;
    if (code >= m_nextFree) {
        push(m_firstCode);
        code = std::max(m_oldCode, 0);
    }
    while (code >= m_clearCode) {
        push(m_suffix[code]);
        if (m_prefix[code] == code)
            throw GIFException(kCircular);
        code = m_prefix[code];
    }
    m_firstCode = m_suffix[code];
    push(m_firstCode);
    addEntry(std::max(m_oldCode, 0), uint8_t(m_firstCode));
    m_oldCode = incoming;
}

int TLZWDecoder::nextValue()
{
    if (m_stackTop > 0)
        return m_stack[--m_stackTop];
    if (m_finished)
        return -2;
    const int code = fetchCode();
    if (code < 0)
        return -1;
    if (code == m_clearCode)
        return clearTable();
    if (code == m_endCode) {
        endReached();
        return -2;
    }
    classicDecode(code);
    return m_stack[--m_stackTop];
}

// Copies a string that ends at or before dst (src + len <= dst) in 16-byte pieces, so that up to
// 15 bytes behind the string are overwritten too: the scratch block has room for them, and the
// next string or the final copy out of the block never takes them.
inline void copyString(uint8_t* dst, const uint8_t* src, int len)
{
    int i = 0;
    do {
        uint8_t piece[16];
        std::memcpy(piece, src + i, 16);
        std::memcpy(dst + i, piece, 16);
        i += 16;
    } while (i < len);
}

// The fast path over the codes that lie whole in the buffer: literals, codes of the table and the
// code being defined, each copied from the earlier output. Stops in front of any other code (clear,
// end, beyond the table, a string longer than the room left, a code that needs the next
// sub-block) and leaves it, and every variable, to the per-code step. Works on locals: the
// output bytes it writes could alias any member.
int64_t TLZWDecoder::fastRun(int64_t n, int64_t count)
{
    int curBit = m_curBit;
    const int lastBit = m_lastBit;
    int codeSize = m_codeSize;
    int codeMask = m_codeMask;
    int codeLimit = m_codeLimit;
    int nextFree = m_nextFree;
    int oldCode = m_oldCode;
    int64_t prevPos = m_prevPos;
    int prevLen = m_prevLen;
    const uint8_t* const buffer = m_buffer;
    uint8_t* const base = m_base;
    uint8_t* const out = m_base + kLead;
    uint32_t* const positions = m_pos;
    uint16_t* const lengths = m_len;
    uint16_t* const prefixes = m_prefix;
    uint8_t* const suffixes = m_suffix;
    const int64_t start = n;

    while (n < count && curBit + codeSize < lastBit) {
        const uint32_t word = qFromLittleEndian<uint32_t>(buffer + (curBit >> 3));
        const int code = int(word >> (curBit & 7)) & codeMask;
        uint8_t* const dst = out + n;
        int len = lengths[code];
        if (len != 0) {
            if (len > count - n)
                break;
            copyString(dst, base + positions[code], len);
        } else {
            if (code != nextFree)
                break; // clear, end or beyond the table
            // The string of the previous code followed by its own first byte.
            len = prevLen + 1;
            if (len > count - n)
                break;
            const uint8_t* src = out + prevPos;
            copyString(dst, src, prevLen);
            dst[prevLen] = *src;
        }
        curBit += codeSize;
        if (nextFree <= kMaxCode) {
            positions[nextFree] = uint32_t(kLead + prevPos);
            lengths[nextFree] = uint16_t(prevLen + 1);
            prefixes[nextFree] = uint16_t(oldCode);
            suffixes[nextFree] = *dst;
            ++nextFree;
            // The decoder never clears the table itself: once full it stays at 12-bit codes.
            if (nextFree >= codeLimit && codeLimit <= kMaxCode) {
                codeLimit *= 2;
                ++codeSize;
                codeMask = (1 << codeSize) - 1;
            }
        }
        oldCode = code;
        prevPos = n;
        prevLen = len;
        n += len;
    }
    if (n != start) {
        m_curBit = curBit;
        m_codeSize = codeSize;
        m_codeMask = codeMask;
        m_codeLimit = codeLimit;
        m_nextFree = nextFree;
        m_oldCode = oldCode;
        m_firstCode = out[prevPos];
        m_prevPos = prevPos;
        m_prevLen = prevLen;
    }
    return n;
}

int64_t TLZWDecoder::decode(int64_t count)
{
    int64_t n = 0;
    try {
        n = decodeSteps(count, n);
    } catch (...) {
        m_decoded = n;
        throw;
    }
    m_decoded = n;
    return n;
}

int64_t TLZWDecoder::decodeSteps(int64_t count, int64_t& n)
{
    uint8_t* const out = m_base + kLead;
    while (n < count) {
        if (m_stackTop > 0 || m_slow) {
            const int value = nextValue();
            if (value < 0)
                break;
            // A clear run by the classic step may have brought back the fast path.
            if (!m_slow && m_stackTop == 0) {
                m_prevPos = n;
                m_prevLen = 1;
            }
            out[n++] = uint8_t(value);
            continue;
        }
        n = fastRun(n, count);
        if (n >= count)
            break;
        const int code = fetchCode();
        if (code < 0)
            break;
        if (code == m_clearCode) {
            const int first = clearTable();
            if (first < 0)
                break;
            m_prevPos = n;
            m_prevLen = 1;
            out[n++] = uint8_t(first);
            continue;
        }
        if (code == m_endCode) {
            endReached();
            break;
        }
        uint8_t* dst = out + n;
        const int64_t room = count - n;
        int len;
        if (code < m_clearCode) {
            len = 1;
            *dst = uint8_t(code);
        } else if (code < m_nextFree) {
            len = m_len[code];
            if (len > room) {
                classicDecode(code); // cut off by the frame's end: the rest stays on the stack
                continue;
            }
            copyString(dst, m_base + m_pos[code], len);
        } else if (code == m_nextFree) {
            // The string of the previous code followed by its own first byte.
            len = m_prevLen + 1;
            if (len > room) {
                classicDecode(code);
                continue;
            }
            const uint8_t* src = out + m_prevPos;
            copyString(dst, src, m_prevLen);
            dst[m_prevLen] = *src;
        } else {
            classicDecode(code);
            continue;
        }
        if (m_nextFree <= kMaxCode) {
            m_pos[m_nextFree] = uint32_t(kLead + m_prevPos);
            m_len[m_nextFree] = uint16_t(m_prevLen + 1);
            addEntry(m_oldCode, *dst);
        }
        m_oldCode = code;
        m_firstCode = *dst;
        m_prevPos = n;
        m_prevLen = len;
        n += len;
    }
    return n;
}

} // namespace

std::vector<int> interlacedRowOrder(int height)
{
    std::vector<int> rows;
    if (height <= 0)
        return rows;
    rows.reserve(size_t(height));
    static constexpr int kStart[4] = {0, 4, 2, 1};
    static constexpr int kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int row = kStart[pass]; row < height; row += kStep[pass])
            rows.push_back(row);
    return rows;
}

void decodeFrameData(TStream& stream, uint8_t* pixels, int width, int height, bool interlaced,
                     const TDecoderWarning& warning)
{
    uint8_t minCodeSize = 0;
    if (!stream.readByte(minCodeSize))
        return;
    if (minCodeSize > 11) {
        // Codes of 13 bits and more do not fit the 4096-entry table: skip the data whole.
        if (warning)
            warning(kInvalidCodeSize);
        skipSubBlocks(stream);
        return;
    }
    width = std::max(width, 0);
    height = std::max(height, 0);
    const int64_t total = int64_t(width) * height;
    // The scratch block of frames up to 1 MB is kept per thread (frames may be decoded on painter
    // threads); a larger frame gets its own for the time it is decoded.
    constexpr size_t kKeptScratch = size_t(1) << 20;
    thread_local std::unique_ptr<uint8_t[]> keptScratch;
    std::unique_ptr<uint8_t[]> ownScratch;
    const size_t scratchSize = size_t(kLead + total + kSlack);
    uint8_t* base;
    if (scratchSize <= kKeptScratch) {
        if (!keptScratch)
            keptScratch.reset(new uint8_t[kKeptScratch]);
        base = keptScratch.get();
    } else {
        ownScratch.reset(new uint8_t[scratchSize]);
        base = ownScratch.get();
    }
    const uint8_t* const decodedPixels = base + kLead;
    // About 50 KB of tables: on the heap, since frames may be decoded on painter threads.
    auto decoder = std::make_unique<TLZWDecoder>(stream, minCodeSize, warning, base);
    // Only what was decoded: the rest keeps the caller's fill (pixels is null for an empty frame).
    auto keepInOrder = [&](int64_t count) {
        if (count > 0)
            std::memcpy(pixels, decodedPixels, size_t(count));
    };
    int64_t decoded = 0;
    try {
        decoded = decoder->decode(total);
    } catch (...) {
        // A corrupt table stops the frame: what was decoded before stays, in the rows of a
        // frame stored in order (an interlaced one keeps its fill, as it is moved only at the end).
        if (!interlaced || height < 2)
            keepInOrder(decoder->decoded());
        throw;
    }
    if (!interlaced || height < 2) {
        keepInOrder(decoded);
    } else {
        // Decoded in stored order (the fast path copies strings from earlier output), then moved
        // to the rows that were reached.
        const std::vector<int> rows = interlacedRowOrder(height);
        for (int i = 0; i < height && int64_t(i) * width < decoded; ++i) {
            const int64_t part = std::min<int64_t>(width, decoded - int64_t(i) * width);
            std::memcpy(pixels + int64_t(rows[size_t(i)]) * width, decodedPixels + int64_t(i) * width,
                        size_t(part));
        }
    }
    decoder->finish();
}
