#include "gif/ColorQuantizer.h"

#include "gif/SystemPalettes.h"

#include <algorithm>

namespace {

constexpr size_t kBlockSize = 1024;

} // namespace

TColorQuantizer::TColorQuantizer(int maxColors, int colorBits)
    : m_maxColors(std::max(maxColors, 1)), m_colorBits(std::clamp(colorBits, 1, 8))
{
}

TColorQuantizer::~TColorQuantizer() = default;

TOctreeNode* TColorQuantizer::newNode(int depth)
{
    TOctreeNode* node;
    if (m_free) {
        node = m_free;
        m_free = node->nextReducible;
        *node = TOctreeNode{};
    } else {
        if (m_blocks.empty() || m_usedInBlock == kBlockSize) {
            m_blocks.push_back(std::make_unique<TOctreeNode[]>(kBlockSize));
            m_usedInBlock = 0;
        }
        node = &m_blocks.back()[m_usedInBlock++];
    }
    if (depth == m_colorBits) {
        node->leaf = true;
        ++m_leafCount;
    } else {
        node->nextReducible = m_reducible[depth];
        m_reducible[depth] = node;
    }
    return node;
}

void TColorQuantizer::releaseNode(TOctreeNode* node)
{
    // Only leaves are released (the children of a reduced node), so nothing below is lost.
    node->nextReducible = m_free;
    m_free = node;
}

void TColorQuantizer::addColor(uint8_t red, uint8_t green, uint8_t blue)
{
    const uint32_t key = uint32_t(red) | uint32_t(green) << 8 | uint32_t(blue) << 16;
    TOctreeNode* node = m_lastLeaf;
    if (!node || key != m_lastColor) {
        if (!m_root)
            m_root = newNode(0);
        node = m_root;
        int depth = 0;
        while (!node->leaf) {
            const int shift = 7 - depth;
            const int index = ((red >> shift) & 1) << 2 | ((green >> shift) & 1) << 1 | ((blue >> shift) & 1);
            TOctreeNode*& child = node->children[index];
            if (!child)
                child = newNode(depth + 1);
            node = child;
            ++depth;
        }
    }
    ++node->pixelCount;
    node->redSum += red;
    node->greenSum += green;
    node->blueSum += blue;
    m_lastLeaf = node;
    m_lastColor = key;
    while (m_leafCount > m_maxColors)
        reduce();
}

void TColorQuantizer::reduce()
{
    int level = m_colorBits - 1;
    while (level > 0 && !m_reducible[level])
        --level;
    TOctreeNode* node = m_reducible[level];
    if (!node) {
        // Only possible once the root itself is a leaf, i.e. with one leaf left; maxColors >= 1
        // stops the caller's loop first. Kept as a guard against looping forever.
        m_leafCount = std::min(m_leafCount, m_maxColors);
        return;
    }
    m_reducible[level] = node->nextReducible;
    node->nextReducible = nullptr;
    int children = 0;
    for (TOctreeNode*& child : node->children) {
        if (!child)
            continue;
        node->pixelCount += child->pixelCount;
        node->redSum += child->redSum;
        node->greenSum += child->greenSum;
        node->blueSum += child->blueSum;
        releaseNode(child);
        child = nullptr;
        ++children;
    }
    node->leaf = true;
    m_leafCount -= children - 1;
    m_lastLeaf = nullptr;
}

void TColorQuantizer::addPixels(const uint8_t* bgrRows, int width, int height, std::ptrdiff_t stride)
{
    if (!bgrRows || width <= 0 || height <= 0)
        return;
    for (int y = 0; y < height; ++y) {
        const uint8_t* pixel = bgrRows + std::ptrdiff_t(y) * stride;
        for (int x = 0; x < width; ++x, pixel += 3)
            addColor(pixel[2], pixel[1], pixel[0]);
    }
}

void TColorQuantizer::collect(const TOctreeNode* node, std::vector<TPaletteEntry>& out) const
{
    if (node->leaf) {
        TPaletteEntry entry;
        if (node->pixelCount > 0) {
            entry.red = uint8_t(node->redSum / node->pixelCount);
            entry.green = uint8_t(node->greenSum / node->pixelCount);
            entry.blue = uint8_t(node->blueSum / node->pixelCount);
        }
        out.push_back(entry);
        return;
    }
    for (const TOctreeNode* child : node->children)
        if (child)
            collect(child, out);
}

std::vector<TPaletteEntry> TColorQuantizer::colors() const
{
    std::vector<TPaletteEntry> out;
    out.reserve(size_t(m_leafCount));
    if (m_root)
        collect(m_root, out);
    return out;
}

HPALETTE createOptimizedPalette(const uint8_t* bgrRows, int width, int height, std::ptrdiff_t stride,
                                int colorCount, int colorBits, bool withSystemColors)
{
    const int reserved = withSystemColors ? 20 : 0;
    if (colorCount < 1 + reserved || colorCount > 256)
        return nullptr;
    TColorQuantizer quantizer(colorCount - reserved, colorBits);
    quantizer.addPixels(bgrRows, width, height, stride);
    return paletteAroundSystemColors(quantizer.colors(), colorCount, withSystemColors);
}

HPALETTE paletteAroundSystemColors(const std::vector<TPaletteEntry>& treeColors, int colorCount,
                                   bool withSystemColors)
{
    // Unused entries stay black: the pixels never refer to them.
    std::vector<TPaletteEntry> entries(static_cast<size_t>(colorCount));
    const size_t first = withSystemColors ? 10 : 0;
    std::copy(treeColors.begin(), treeColors.end(), entries.begin() + std::ptrdiff_t(first));
    if (withSystemColors) {
        const auto& system = staticSystemColors();
        std::copy(system.begin(), system.begin() + 10, entries.begin());
        std::copy(system.begin() + 10, system.end(), entries.end() - 10);
    }
    return createPalette(std::move(entries));
}
