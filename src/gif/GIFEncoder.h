#pragma once
// Compression of one frame's pixel data (LZW or run-length codes) into GIF data sub-blocks.
#include "gif/GIFStream.h"

#include <algorithm>
#include <cstdint>
#include <memory>

enum TGIFCompression : uint8_t
{
    gcLZW = 0,
    gcRLE = 1
};

// Writes the initial code size byte, the data sub-blocks and the zero terminator for the pixels
// (width × height bytes, rows top to bottom; written in interlaced row order when interlaced).
// initialCodeSize is at least 2. Every pixel must be below colorLimit, else GIFException
// "Color not in color table" (the stream then holds a partial frame).
void compressFrameData(TStream& stream, int initialCodeSize, int colorLimit, const uint8_t* pixels, int width,
                       int height, bool interlaced, TGIFCompression compression);

// Open-addressed table of the LZW encoder's strings: 8009 slots, each (key << 12) | code with
// key = (prefix code << 8) | pixel; an empty slot holds all ones.
class THashTable
{
public:
    static constexpr int kSize = 8009;
    static constexpr uint32_t kEmpty = 0xFFFFFFFFu;

    THashTable() { clear(); }
    void clear();

    static int hash(uint32_t key) { return int(((key >> 4) ^ key) % uint32_t(kSize)); }
    // The slot that holds key, or the empty slot where its probe sequence ends.
    int findSlot(uint32_t key) const
    {
        int slot = hash(key);
        const int step = slot == 0 ? 1 : kSize - slot;
        for (;;) {
            const uint32_t entry = m_slots[slot];
            if (entry == kEmpty || (entry >> 12) == key)
                return slot;
            slot -= step;
            if (slot < 0)
                slot += kSize;
        }
    }
    bool isEmpty(int slot) const { return m_slots[slot] == kEmpty; }
    int codeAt(int slot) const { return int(m_slots[slot] & 0xFFF); }
    void store(int slot, uint32_t key, int code) { m_slots[slot] = (key << 12) | (uint32_t(code) & 0xFFF); }
    // Empties the given slots only: a table that took few entries (small frames) is emptied at
    // the cost of those entries rather than of all 8009 slots.
    void clearSlots(const uint16_t* filled, int count)
    {
        for (int i = 0; i < count; ++i) {
            const int slot = filled[i];
            m_slots[slot] = kEmpty;
        }
    }

    // The code stored for key, or -1.
    int lookup(uint32_t key) const
    {
        const int slot = findSlot(key);
        return isEmpty(slot) ? -1 : codeAt(slot);
    }
    void insert(uint32_t key, int code) { store(findSlot(key), key, code); }

private:
    uint32_t m_slots[kSize];
};

// Common part of the encoders: the code size byte, the bit packing of codes into sub-blocks, the
// clear and end codes and the scan order of the pixels. One encoder object writes one frame.
class TGIFEncoder
{
public:
    TGIFEncoder() = default;
    virtual ~TGIFEncoder();
    TGIFEncoder(const TGIFEncoder&) = delete;
    TGIFEncoder& operator=(const TGIFEncoder&) = delete;

    // Writes the code size byte, the data sub-blocks and the zero terminator.
    void compress(TStream& stream, int initialCodeSize, int colorLimit, const uint8_t* data, bool interlaced,
                  int height, int width);

protected:
    // Everything between the code size byte and the terminator: by default the codes of
    // compressData() and the end code, packed by putCode() into sub-blocks.
    virtual void encodeFrame(TStream& stream);
    virtual void outputCode(int code);
    virtual void clear();
    virtual void compressData() = 0;

    // Packs a code of the current size behind the bits already collected.
    void putCode(int code)
    {
        m_accumulator = (m_accumulator & ((1u << m_bitCount) - 1)) | (uint32_t(code) << m_bitCount);
        m_bitCount += m_codeSize;
        while (m_bitCount > 7) {
            putByte(uint8_t(m_accumulator));
            m_accumulator >>= 8;
            m_bitCount -= 8;
        }
    }
    void putByte(uint8_t value) { m_writer->putByte(value); }
    [[noreturn]] static void colorNotInTable();

    // Calls visit(const uint8_t* span, int64_t length) for the pixels in scan order: the whole
    // frame at once, or row by row in interlaced order.
    template <typename Visit> void forEachSpan(Visit&& visit) const;

    int m_limit = 0;
    int m_initialCodeSize = 2;
    int m_codeSize = 3;
    int m_maxCode = 7;
    int m_clearCode = 4;
    int m_endCode = 5;
    int m_firstFreeCode = 6;
    uint32_t m_accumulator = 0;
    int m_bitCount = 0;
    bool m_justCleared = false;

    const uint8_t* m_data = nullptr;
    int m_width = 0;
    int m_height = 0;
    bool m_interlaced = false;

    TGIFWriter* m_writer = nullptr;
};

// The hashed LZW encoder: the longest string in the table is extended pixel by pixel; the table
// is cleared when the next code would be 4095. It keeps all its state in locals while it runs and
// collects the packed codes in its own buffer, which reaches the stream many sub-blocks at a time.
class TLZWEncoder final : public TGIFEncoder
{
public:
    TLZWEncoder();
    // One encoder serves many frames (per thread): it leaves every frame with its table emptied
    // of what the frame added, so the next one starts as from a new encoder.

protected:
    void encodeFrame(TStream& stream) override;
    // Unused: encodeFrame() runs the whole frame itself.
    void compressData() override {}

private:
    // Open-addressed with linear probing: each slot (key << 12) | code, key = (prefix << 8) |
    // pixel, all ones when empty. At most 4095 - 6 strings are held at once, so the table stays
    // below a quarter full and a probe rarely goes past its first slot.
    static constexpr int kSlots = 16384;
    static constexpr uint32_t kEmpty = 0xFFFFFFFFu;
    static uint32_t slotOf(uint32_t key) { return (key * 0x9E3779B1u) >> 18; }

    // The state of one frame's encoding, copied into locals by the pixel loop.
    struct TState
    {
        uint64_t bits = 0; // packed code bits not yet stored, lowest first
        int bitCount = 0;  // below 32 between codes
        uint8_t* out = nullptr;
        int codeSize = 3;
        int maxCode = 7;
        int nextCode = 0;
        int prefix = 0;
        int filledCount = 0;
    };

    // Encodes pixels up to end; returns where it stopped (before a pixel at or above the limit).
    template <bool CheckLimit, bool Direct>
    const uint8_t* encodeSpan(TState& state, const uint8_t* pixels, const uint8_t* end);
    void emptyTable(int nextCode, int filledCount);
    // Writes the full sub-blocks of the buffer's bytes up to end and keeps the rest in front.
    uint8_t* flushFullBlocks(TStream& stream, uint8_t* end);
    void writeBlocks(TStream& stream, const uint8_t* bytes, int64_t count);

    // The packed code bytes: flushed whenever they reach kFlushAt (whole sub-blocks), with room
    // behind for what the codes of one pixel add.
    static constexpr int kFlushAt = 64 * 255;
    static constexpr int kOutBytes = kFlushAt + 64;
    TStream* m_stream = nullptr;
    uint8_t m_out[kOutBytes];
    uint8_t m_blocks[64 * 256];

    uint32_t m_table[kSlots];
    // The child last found or added for each prefix code, (pixel << 12) | code, all ones when
    // none: a memo in front of the hash table that spares most lookups their hash and probe. It
    // only ever holds pairs the table holds, and is emptied with it, so the codes are the same.
    uint32_t m_recent[4096];
    // The slots filled since the table was last emptied (at most 4095 - first free code).
    uint16_t m_filled[4096];

    // For frames of up to 2^kDirectBits colours, instead of the hash table and memo: the code of
    // each string's child for each pixel at (prefix << initial code size) | pixel, 0 when none
    // (no string's code is 0). Made when first needed.
    static constexpr int kDirectBits = 4;
    bool m_direct = false;
    std::unique_ptr<uint16_t[]> m_children;
};

// Emits only literal codes and codes for runs of one pixel, which any LZW decoder turns into runs
// because the table it builds from such codes holds runs of 2, 3, 4, … of that pixel.
class TRLEEncoder final : public TGIFEncoder
{
public:
    // Codes needed to send a run of count pixels from a freshly cleared table when at most
    // runCodes run codes fit.
    static int64_t triangleCount(int64_t count, int64_t runCodes);
    static uint64_t isqrt(uint64_t x);

protected:
    void clear() override;
    void compressData() override;

private:
    void plainOutput(int code);
    void flushRun(int64_t count);
    void flushFromClear(int64_t count);
    void flushWithClearOrRepeats(int64_t count);
    void flushWithTable(int64_t count);
    void resetClearPoint();

    int m_runPixel = -1;
    int64_t m_tableRunLength = 0;
    int m_tablePixel = -1;
    int m_outCount = 0;
    int m_bump = 0;
    int m_clearPoint = 0;
    int m_bumpStart = 0;
    int m_clearStart = 0;
    int m_maxOutputCodes = 0;
};
