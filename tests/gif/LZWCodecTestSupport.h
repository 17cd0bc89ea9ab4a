#pragma once
// Helpers for the frame data codec tests: a minimal walker over GIF blocks that finds each frame's
// image data, sub-block packing of raw code streams and a writer of hand-made code sequences.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace lzwtest {

struct FrameData
{
    int width = 0;
    int height = 0;
    bool interlaced = false;
    int64_t dataOffset = 0; // at the minimum code size byte
};

// The frames of a well-formed GIF file (header, colour tables and extensions skipped).
inline std::vector<FrameData> findFrames(const QByteArray& file)
{
    std::vector<FrameData> frames;
    const auto* d = reinterpret_cast<const uint8_t*>(file.constData());
    const int64_t size = file.size();
    auto skipSubBlocks = [&](int64_t pos) {
        while (pos < size && d[pos] != 0)
            pos += 1 + d[pos];
        return pos + 1;
    };
    if (size < 13)
        return frames;
    int64_t pos = 13;
    if (d[10] & 0x80)
        pos += 3 * (int64_t(2) << (d[10] & 7));
    while (pos < size) {
        const uint8_t introducer = d[pos];
        if (introducer == 0x21) {
            pos = skipSubBlocks(pos + 2);
        } else if (introducer == 0x2C && pos + 10 <= size) {
            FrameData frame;
            frame.width = d[pos + 5] | (d[pos + 6] << 8);
            frame.height = d[pos + 7] | (d[pos + 8] << 8);
            const uint8_t packed = d[pos + 9];
            frame.interlaced = (packed & 0x40) != 0;
            pos += 10;
            if (packed & 0x80)
                pos += 3 * (int64_t(2) << (packed & 7));
            frame.dataOffset = pos;
            frames.push_back(frame);
            pos = skipSubBlocks(pos + 1);
        } else {
            break;
        }
    }
    return frames;
}

// Packs a code stream into sub-blocks of at most blockSize bytes behind the code size byte, with
// the terminator (unless left out).
inline QByteArray packSubBlocks(int minCodeSize, const QByteArray& codes, int blockSize = 255,
                                bool terminator = true)
{
    QByteArray out;
    out.append(char(minCodeSize));
    for (int64_t i = 0; i < codes.size(); i += blockSize) {
        const int64_t n = std::min<int64_t>(blockSize, codes.size() - i);
        out.append(char(n));
        out.append(codes.mid(i, n));
    }
    if (terminator)
        out.append(char(0));
    return out;
}

// The data sub-blocks of an image data stream joined (the code size byte is left out).
inline QByteArray joinSubBlocks(const QByteArray& data, std::vector<int>* sizes = nullptr)
{
    QByteArray codes;
    int64_t pos = 1;
    while (pos < data.size() && data.at(qsizetype(pos)) != 0) {
        const int n = uint8_t(data.at(qsizetype(pos)));
        if (sizes)
            sizes->push_back(n);
        codes.append(data.mid(pos + 1, n));
        pos += 1 + n;
    }
    return codes;
}

// Writes codes of given sizes, least significant bit first.
class CodeWriter
{
public:
    void put(int code, int bits)
    {
        m_acc |= uint64_t(code) << m_bits;
        m_bits += bits;
        while (m_bits >= 8) {
            m_bytes.append(char(m_acc & 0xFF));
            m_acc >>= 8;
            m_bits -= 8;
        }
    }
    QByteArray bytes() const
    {
        QByteArray out = m_bytes;
        if (m_bits > 0)
            out.append(char(m_acc & 0xFF));
        return out;
    }

private:
    QByteArray m_bytes;
    uint64_t m_acc = 0;
    int m_bits = 0;
};

// A repeatable pseudo-random sequence (xorshift), so pinned outputs never depend on the library.
class Random
{
public:
    explicit Random(uint32_t seed) : m_state(seed ? seed : 1) {}
    uint32_t next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }

private:
    uint32_t m_state;
};

} // namespace lzwtest
