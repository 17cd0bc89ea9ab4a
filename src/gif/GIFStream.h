#pragma once
// Streams the GIF writer puts between itself and its target: the base holds the target stream,
// the sub-block writer packs everything written to it into GIF data sub-blocks.
#include "graphics/Streams.h"

#include <cstdint>

// A stream layered over a target stream it does not own; the target must outlive it.
class TGIFStream : public TStream
{
public:
    explicit TGIFStream(TStream& target) : m_target(target) {}

    TStream& target() { return m_target; }

protected:
    TStream& m_target;
};

// Write-only: bytes written collect behind a size byte and reach the target one sub-block at a
// time, 255 data bytes each except the last, which finish() (or the destructor) writes. Reading
// or seeking raises EStreamError "Invalid stream operation". A writer abandoned by an exception
// writes nothing more, so the target then holds only the complete sub-blocks.
class TGIFWriter : public TGIFStream
{
public:
    explicit TGIFWriter(TStream& target) : TGIFStream(target) {}
    ~TGIFWriter() override;

    int64_t read(void* buffer, int64_t count) override;
    int64_t write(const void* buffer, int64_t count) override;
    int64_t seek(int64_t offset, SeekOrigin origin) override;
    int64_t size() override;

    // The encoders' way in: no virtual call per byte.
    void putByte(uint8_t value)
    {
        m_buffer[m_fill++] = value;
        m_pending = true;
        if (m_fill == kBlockSize + 1)
            flushBlock();
    }
    // Writes the pending bytes as the last, shorter sub-block.
    void finish();

private:
    static constexpr int kBlockSize = 255;
    void flushBlock();

    uint8_t m_buffer[kBlockSize + 1]; // [0] is the size byte
    int m_fill = 1;
    bool m_pending = false;
};
