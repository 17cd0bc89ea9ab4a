#include "gif/LossyLZW.h"

#include "gif/GIFDecoder.h"
#include "gif/GIFEncoder.h"
#include "gif/GIFFrameData.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>
#include "graphics/Streams.h"

namespace {

// Share of a substitution's error handed on to the neighbours. All of it keeps the average
// colour best, but every pixel then carries its neighbours' errors too and the mean error grows
// faster than the strings do; half keeps flat areas from banding at a clearly smaller file for
// the same mean error on dithered animations.
constexpr float kDiffusion = 0.5f;
// What the pixel to the right of a substitution is owed (its Floyd-Steinberg share).
constexpr float kCarry = kDiffusion * 7.0f / 16;

constexpr uint16_t kNone = 0xFFFF;
constexpr int kTableLimit = 4095; // the encoder clears instead of taking code 4095

// The string table as the encoder builds it, with every child of a string reachable: exact
// children through a direct table, all children through sibling lists for the lossy search.
class TStringTable
{
public:
    explicit TStringTable(int codeSize)
        : m_firstFree((1 << codeSize) + 2), m_child(size_t(4096) * 256, kNone), m_firstChild(4096, kNone),
          m_nextSibling(4096, kNone), m_pixel(4096, 0)
    {
        for (int literal = 0; literal < 256; ++literal)
            m_pixel[size_t(literal)] = uint8_t(literal);
        reset();
    }

    int next() const { return m_next; }
    bool full() const { return m_next >= kTableLimit; }

    void reset()
    {
        for (const uint32_t slot : m_used)
            m_child[slot] = kNone;
        m_used.clear();
        std::fill(m_firstChild.begin(), m_firstChild.end(), kNone);
        m_next = m_firstFree;
    }

    uint16_t child(int prefix, uint8_t pixel) const { return m_child[size_t(prefix) * 256 + pixel]; }
    uint16_t firstChild(int prefix) const { return m_firstChild[size_t(prefix)]; }
    uint16_t nextSibling(int code) const { return m_nextSibling[size_t(code)]; }
    uint8_t pixelOf(int code) const { return m_pixel[size_t(code)]; }

    // The string prefix + pixel takes the next code (the table is not full).
    void extend(int prefix, uint8_t pixel)
    {
        const uint32_t slot = uint32_t(prefix) * 256 + pixel;
        const uint16_t code = uint16_t(m_next++);
        m_child[slot] = code;
        m_used.push_back(slot);
        m_pixel[code] = pixel;
        m_nextSibling[code] = m_firstChild[size_t(prefix)];
        m_firstChild[size_t(prefix)] = code;
    }

private:
    int m_firstFree;
    int m_next = 0;
    std::vector<uint16_t> m_child;
    std::vector<uint16_t> m_firstChild;
    std::vector<uint16_t> m_nextSibling;
    std::vector<uint8_t> m_pixel;
    std::vector<uint32_t> m_used;
};


// The lossy encoder: chooses each string by a bounded search for the longest one whose pixels
// are within the level of what they should show, emits its code with the bit packing, code
// sizes and clears of the ordinary encoder, and records the pixels a decoder will show.
class TLossyLZWEncoder final : public TGIFEncoder
{
public:
    TLossyLZWEncoder(int level, const std::array<bool, 256>& usable,
                     const std::array<std::array<float, 3>, 256>& rgb)
        : m_limit2(float(level) * float(level)), m_usable(usable), m_rgb(rgb)
    {
    }

    // The pixels as a decoder of the written codes shows them (valid after compress()).
    const std::vector<uint8_t>& shown() const { return m_shown; }
    int64_t changed() const { return m_changed; }

protected:
    void outputCode(int code) override
    {
        putCode(code);
        // The ordinary encoder's code size rule, which every decoder follows.
        if (m_justCleared) {
            m_codeSize = m_initialCodeSize + 1;
            m_maxCode = (1 << m_codeSize) - 1;
            m_justCleared = false;
        } else if (m_table && m_table->next() > m_maxCode) {
            ++m_codeSize;
            m_maxCode = m_codeSize == 12 ? 4096 : (1 << m_codeSize) - 1;
        }
    }

    void compressData() override;

private:
    using TColor3 = std::array<float, 3>;
    void diffuse(uint32_t at, const TColor3& e);
    void search(int code, size_t k, const TColor3& carry, float errorSum);

    float m_limit2;
    const std::array<bool, 256>& m_usable;
    const std::array<std::array<float, 3>, 256>& m_rgb;
    std::unique_ptr<TStringTable> m_table;
    std::vector<uint32_t> m_scan;
    std::vector<uint8_t> m_shown;
    std::vector<TColor3> m_error;
    std::vector<bool> m_visited;
    std::vector<uint16_t> m_path, m_bestPath;
    float m_bestError = 0;
    int m_budget = 0;
    int64_t m_changed = 0;
};

void TLossyLZWEncoder::diffuse(uint32_t at, const TColor3& e)
{
    // Floyd-Steinberg weights, to neighbours the scan has not reached yet (interlaced frames
    // visit some rows below before rows above).
    const int x = int(at % uint32_t(m_width)), y = int(at / uint32_t(m_width));
    const struct
    {
        int dx, dy;
        float w;
    } spread[] = {{1, 0, 7.0f / 16}, {-1, 1, 3.0f / 16}, {0, 1, 5.0f / 16}, {1, 1, 1.0f / 16}};
    for (const auto& sp : spread) {
        const int nx = x + sp.dx, ny = y + sp.dy;
        if (nx < 0 || nx >= m_width || ny >= m_height)
            continue;
        const size_t to = size_t(ny) * size_t(m_width) + size_t(nx);
        if (m_visited[to])
            continue;
        for (int c = 0; c < 3; ++c)
            m_error[to][size_t(c)] += e[size_t(c)] * sp.w * kDiffusion;
    }
}

// Depth-first through the children of code: the exact continuation and those within the level,
// carrying each pixel's remaining error to the next as the diffusion will. The number of
// substitutions tried per search is bounded, so a frame costs at most a constant times its
// pixels and the longest string.
void TLossyLZWEncoder::search(int code, size_t k, const TColor3& carry, float errorSum)
{
    if (m_path.size() > m_bestPath.size() || (m_path.size() == m_bestPath.size() && errorSum < m_bestError)) {
        m_bestPath = m_path;
        m_bestError = errorSum;
    }
    if (k >= m_scan.size())
        return;
    const uint32_t at = m_scan[k];
    const uint8_t pixel = m_data[at];
    const auto& own = m_rgb[pixel];
    const TColor3 want = {own[0] + m_error[at][0] + carry[0], own[1] + m_error[at][1] + carry[1],
                          own[2] + m_error[at][2] + carry[2]};
    const uint16_t exact = m_table->child(code, pixel);
    if (exact != kNone) {
        m_path.push_back(exact);
        const TColor3 owed = m_usable[pixel] ? TColor3{(want[0] - own[0]) * kCarry, (want[1] - own[1]) * kCarry,
                                                       (want[2] - own[2]) * kCarry}
                                             : TColor3{};
        search(exact, k + 1, owed, errorSum);
        m_path.pop_back();
    }
    if (!m_usable[pixel])
        return;
    // Exact continuations are free (they are what the ordinary encoder would take); each
    // substitution tried costs one from the budget.
    for (uint16_t child = m_table->firstChild(code); child != kNone && m_budget > 0;
         child = m_table->nextSibling(child)) {
        const uint8_t candidate = m_table->pixelOf(child);
        if (child == exact || !m_usable[candidate])
            continue;
        const float d0 = m_rgb[candidate][0] - want[0], d1 = m_rgb[candidate][1] - want[1],
                    d2 = m_rgb[candidate][2] - want[2];
        const float distance = d0 * d0 + d1 * d1 + d2 * d2;
        if (distance > m_limit2)
            continue;
        --m_budget;
        m_path.push_back(child);
        search(child, k + 1, {-d0 * kCarry, -d1 * kCarry, -d2 * kCarry}, errorSum + distance);
        m_path.pop_back();
    }
}

void TLossyLZWEncoder::compressData()
{
    constexpr int kSearchBudget = 96;
    const size_t pixels = size_t(m_width) * size_t(m_height);
    std::vector<int> rows;
    if (m_interlaced)
        rows = interlacedRowOrder(m_height);
    else
        for (int y = 0; y < m_height; ++y)
            rows.push_back(y);
    m_scan.clear();
    m_scan.reserve(pixels);
    for (const int y : rows)
        for (int x = 0; x < m_width; ++x)
            m_scan.push_back(uint32_t(size_t(y) * size_t(m_width) + size_t(x)));
    m_shown.assign(m_data, m_data + pixels);
    m_error.assign(pixels, {0.0f, 0.0f, 0.0f});
    m_visited.assign(pixels, false);
    m_table = std::make_unique<TStringTable>(m_initialCodeSize);

    clear();
    size_t k = 0;
    while (k < m_scan.size()) {
        // A string starts with its first pixel as it is (a literal code); the error it was
        // handed goes on to its neighbours.
        const uint32_t first = m_scan[k];
        m_visited[first] = true;
        if (m_usable[m_data[first]])
            diffuse(first, m_error[first]);
        m_path.clear();
        m_bestPath.clear();
        m_bestError = 0;
        m_budget = kSearchBudget;
        search(m_data[first], k + 1, {0.0f, 0.0f, 0.0f}, 0.0f);
        for (size_t i = 0; i < m_bestPath.size(); ++i) {
            const uint32_t at = m_scan[k + 1 + i];
            const uint8_t chosen = m_table->pixelOf(m_bestPath[i]);
            const uint8_t pixel = m_data[at];
            m_visited[at] = true;
            if (chosen != pixel) {
                m_shown[at] = chosen;
                ++m_changed;
            }
            if (m_usable[pixel])
                diffuse(at, {m_rgb[pixel][0] + m_error[at][0] - m_rgb[chosen][0],
                             m_rgb[pixel][1] + m_error[at][1] - m_rgb[chosen][1],
                             m_rgb[pixel][2] + m_error[at][2] - m_rgb[chosen][2]});
        }
        const int code = m_bestPath.empty() ? int(m_data[first]) : int(m_bestPath.back());
        k += 1 + m_bestPath.size();
        outputCode(code);
        if (k >= m_scan.size())
            break;
        if (m_table->full()) {
            clear();
            m_table->reset();
        } else {
            m_table->extend(code, m_data[m_scan[k]]);
        }
    }
    m_table.reset();
}

} // namespace

int64_t applyLossyLZW(TGIFSubImage& frame, int level)
{
    level = std::clamp(level, 0, GIFMaxLossyLevel);
    const int width = frame.width();
    const int height = frame.height();
    const uint8_t* data = frame.data();
    if (level == 0 || !data || width <= 0 || height <= 0 || frame.dataSize() != int64_t(width) * height)
        return 0;
    const TGIFFrameDataKey parameters = frame.encodingKey();
    // Run-length frames keep their own encoder; pixels the encoder would refuse are left for it
    // to report.
    if (parameters.compression != uint8_t(TGIFCompression::gcLZW) ||
        gifLargestPixel(data, size_t(frame.dataSize())) >= parameters.colorLimit)
        return 0;

    // Which values may stand in for others and be replaced: those inside the table, except
    // the transparent index.
    TGIFColorMap& map = frame.activeColorMap();
    const int count = std::min(map.count(), parameters.colorLimit);
    const int transparent = frame.transparentIndex();
    std::array<bool, 256> usable{};
    std::array<std::array<float, 3>, 256> rgb{};
    for (int v = 0; v < count; ++v) {
        usable[size_t(v)] = v != transparent;
        const TGIFColor& c = map.entry(v);
        rgb[size_t(v)] = {float(c.red), float(c.green), float(c.blue)};
    }

    TLossyLZWEncoder encoder(level, usable, rgb);
    TMemoryStream stream;
    encoder.compress(stream, parameters.initialCodeSize, parameters.colorLimit, data, frame.interlaced(), height,
                     width);
    if (encoder.changed() == 0)
        return 0; // the ordinary encoder writes these same pixels at least as well
    frame.setData(encoder.shown());
    frame.freeBitmap();
    frame.freeMask();
    // The ordinary encoder sometimes writes the new pixels in fewer bytes (its greedy strings
    // can beat the searched ones where the search ran out of budget); the smaller data is kept.
    TMemoryStream ordinary;
    compressFrameData(ordinary, parameters.initialCodeSize, parameters.colorLimit, frame.data(), width, height,
                      frame.interlaced(), TGIFCompression::gcLZW);
    if (ordinary.size() <= stream.size())
        return encoder.changed();
    auto encoded = std::make_shared<TGIFFrameData>();
    encoded->key = frame.encodingKey();
    encoded->bytes = stream.takeData();
    frame.adoptEncodedData(std::move(encoded));
    return encoder.changed();
}

int64_t applyLossyLZW(TGIFImage& image, int level)
{
    int64_t changed = 0;
    for (int i = 0; i < image.images().count(); ++i)
        changed += applyLossyLZW(*image.images().subImage(i), level);
    return changed;
}
