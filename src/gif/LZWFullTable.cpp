#include "gif/LZWFullTable.h"

#include "gif/GIFDecoder.h"
#include "gif/GIFEncoder.h"
#include "gif/GIFException.h"
#include "gif/GIFSubImage.h"
#include "graphics/Streams.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

class TFullTableEncoder final : public TGIFEncoder
{
public:
    explicit TFullTableEncoder(TLZWFullTablePolicy policy) : m_policy(policy) {}

protected:
    void outputCode(int code) override { send(code); }
    void clear() override
    {
        m_justCleared = true;
        send(m_clearCode);
        m_table.clear();
        m_nextCode = m_firstFreeCode;
        m_full = false;
        m_lifeStartBits = m_bits;
        m_lifeStartPixels = m_pixels;
    }
    void compressData() override;

private:
    void send(int code)
    {
        putCode(code);
        m_bits += m_codeSize;
        if (m_justCleared) {
            m_codeSize = m_initialCodeSize + 1;
            m_maxCode = (1 << m_codeSize) - 1;
            m_justCleared = false;
        } else if (m_nextCode > m_maxCode && m_codeSize < 12) {
            ++m_codeSize;
            m_maxCode = m_codeSize == 12 ? 4096 : (1 << m_codeSize) - 1;
        }
    }
    // Called after a code for a string that ended before the current pixel was emitted.
    void afterStringCode(uint32_t key, int slot)
    {
        if (m_nextCode < 4096) {
            m_table.store(slot, key, m_nextCode++);
            if (m_nextCode == 4096) {
                m_full = true;
                m_fullRate = double(m_bits - m_lifeStartBits) / double(std::max<int64_t>(1, m_pixels - m_lifeStartPixels));
                m_windowBits = m_bits;
                m_windowPixels = m_pixels;
                m_windowCodes = 0;
            }
            return;
        }
        if (++m_windowCodes < m_policy.window)
            return;
        const double rate = double(m_bits - m_windowBits) / double(std::max<int64_t>(1, m_pixels - m_windowPixels));
        // Bits per pixel: larger is worse.
        if (rate * 100.0 > m_fullRate * m_policy.percent) {
            m_clearPending = true;
        } else {
            m_windowBits = m_bits;
            m_windowPixels = m_pixels;
            m_windowCodes = 0;
        }
    }

    TLZWFullTablePolicy m_policy;
    THashTable m_table;
    int m_nextCode = 0;
    bool m_full = false;
    bool m_clearPending = false;
    int64_t m_bits = 0;
    int64_t m_pixels = 0;
    int64_t m_lifeStartBits = 0;
    int64_t m_lifeStartPixels = 0;
    double m_fullRate = 0;
    int64_t m_windowBits = 0;
    int64_t m_windowPixels = 0;
    int m_windowCodes = 0;
};

void TFullTableEncoder::compressData()
{
    clear();
    std::vector<const uint8_t*> rows;
    int64_t spanLength = int64_t(m_width) * m_height;
    if (m_interlaced) {
        for (const int row : interlacedRowOrder(m_height))
            rows.push_back(m_data + int64_t(row) * m_width);
        spanLength = m_width;
    } else {
        rows.push_back(m_data);
    }
    int prefix = -1;
    for (const uint8_t* span : rows) {
        for (int64_t i = 0; i < spanLength; ++i) {
            const uint32_t pixel = span[i];
            if (int(pixel) >= m_limit)
                throw GIFException(QStringLiteral("Color not in color table"));
            if (prefix < 0) {
                prefix = int(pixel);
                m_pixels = 1;
                continue;
            }
            const uint32_t key = (uint32_t(prefix) << 8) | pixel;
            const int slot = m_table.findSlot(key);
            if (!m_table.isEmpty(slot)) {
                prefix = m_table.codeAt(slot);
                ++m_pixels;
                continue;
            }
            send(prefix);
            if (m_clearPending) {
                m_clearPending = false;
                clear();
            } else {
                afterStringCode(key, slot);
            }
            prefix = int(pixel);
            ++m_pixels;
        }
    }
    if (prefix >= 0)
        send(prefix);
}

} // namespace

QByteArray lzwKeepingFullTable(const TGIFFrameDataKey& key, const uint8_t* pixels, TLZWFullTablePolicy policy)
{
    TMemoryStream stream;
    auto encoder = std::make_unique<TFullTableEncoder>(policy);
    encoder->compress(stream, key.initialCodeSize, key.colorLimit, pixels, key.interlaced, key.height, key.width);
    return stream.takeData();
}

bool keepSmallestEncoding(TGIFSubImage& frame)
{
    if (frame.empty() || !frame.data())
        return false;
    const TGIFFrameDataKey key = frame.encodingKey();
    if (key.compression != gcLZW)
        return false;
    const uint8_t* pixels = frame.data();
    const size_t count = size_t(key.width) * size_t(key.height);
    TMemoryStream ordinary;
    compressFrameData(ordinary, key.initialCodeSize, key.colorLimit, pixels, key.width, key.height, key.interlaced,
                      gcLZW);
    QByteArray best;
    auto consider = [&](QByteArray bytes) {
        if (bytes.size() < (best.isEmpty() ? ordinary.size() : best.size()))
            best = std::move(bytes);
    };
    // The code size a frame's map asks for may be larger than its pixels need (frames on a
    // large global map that show a few colours): codes of the smallest size that holds every
    // value decode to the same pixels.
    std::vector<int> codeSizes{key.initialCodeSize};
    int needed = 2;
    while ((1 << needed) <= gifLargestPixel(pixels, count))
        ++needed;
    if (needed < key.initialCodeSize) {
        codeSizes.push_back(needed);
        TGIFFrameDataKey smaller = key;
        smaller.initialCodeSize = needed;
        smaller.colorLimit = 1 << needed;
        TMemoryStream stream;
        compressFrameData(stream, needed, smaller.colorLimit, pixels, key.width, key.height, key.interlaced, gcLZW);
        consider(stream.takeData());
    }
    // A table fills only after some four thousand codes.
    if (count >= 4096) {
        for (const int codeSize : codeSizes) {
            TGIFFrameDataKey parameters = key;
            parameters.initialCodeSize = codeSize;
            parameters.colorLimit = std::min(key.colorLimit, 1 << codeSize);
            for (const TLZWFullTablePolicy policy : {TLZWFullTablePolicy{128, 100}, TLZWFullTablePolicy{512, 90},
                                                     TLZWFullTablePolicy{256, 110}, TLZWFullTablePolicy{1024, 130}})
                consider(lzwKeepingFullTable(parameters, pixels, policy));
        }
    }
    if (best.isEmpty())
        return false;
    // Kept under the frame's own key: the next write checks that nothing it depends on changed.
    auto data = std::make_shared<TGIFFrameData>();
    data->key = key;
    data->bytes = std::move(best);
    return frame.adoptEncodedData(std::move(data));
}
