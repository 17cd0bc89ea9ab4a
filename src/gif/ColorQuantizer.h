#pragma once
// Octree colour quantizer: builds an optimised palette of at most a given number of colours
// from the pixels fed to it. Each pixel walks down the tree by one bit of each channel per level
// (most significant first); whenever there are more leaves than colours, the most recently
// created reducible node of the deepest level is folded into a leaf. The result depends on the
// order of the pixels, which callers keep row by row from the top.
#include "graphics/Graphic.h"
#include "graphics/Palette.h"

#include <cstdint>
#include <memory>
#include <vector>

class TOctreeNode
{
public:
    bool leaf = false;
    // 64-bit sums: a picture of more than 16.8 million bright pixels would overflow 32 bits
    // in one leaf and give that leaf a wrong colour.
    uint64_t pixelCount = 0;
    uint64_t redSum = 0;
    uint64_t greenSum = 0;
    uint64_t blueSum = 0;
    TOctreeNode* children[8] = {};
    TOctreeNode* nextReducible = nullptr;
};

class TColorQuantizer : public TObject
{
public:
    // maxColors below 1 is taken as 1; colorBits (the depth of the leaves) is clamped to 1 ... 8.
    explicit TColorQuantizer(int maxColors, int colorBits = 8);
    ~TColorQuantizer() override;
    TColorQuantizer(const TColorQuantizer&) = delete;
    TColorQuantizer& operator=(const TColorQuantizer&) = delete;

    // Adds one pixel, then reduces the tree back to maxColors leaves.
    void addColor(uint8_t red, uint8_t green, uint8_t blue);
    // Adds width x height pixels of 24-bit rows (blue, green, red), rows stride bytes apart
    // (a negative stride walks upward), top row first.
    void addPixels(const uint8_t* bgrRows, int width, int height, std::ptrdiff_t stride);

    int leafCount() const { return m_leafCount; }
    int maxColors() const { return m_maxColors; }
    // One colour per leaf, depth first with children in index order: each channel's sum divided
    // by the pixel count, truncating (black for a leaf without pixels).
    std::vector<TPaletteEntry> colors() const;

private:
    TOctreeNode* newNode(int depth);
    void releaseNode(TOctreeNode* node);
    void reduce();
    void collect(const TOctreeNode* node, std::vector<TPaletteEntry>& out) const;

    int m_maxColors;
    int m_colorBits;
    int m_leafCount = 0;
    TOctreeNode* m_root = nullptr;
    TOctreeNode* m_reducible[8] = {};

    // Nodes come from blocks and return to a free list: no allocation per pixel.
    std::vector<std::unique_ptr<TOctreeNode[]>> m_blocks;
    size_t m_usedInBlock = 0;
    TOctreeNode* m_free = nullptr;

    // The leaf the previous pixel reached; valid until the next reduction. A run of equal pixels
    // then costs one comparison each instead of a walk down the tree.
    TOctreeNode* m_lastLeaf = nullptr;
    uint32_t m_lastColor = 0;
};

// An optimised palette of colorCount entries for one picture (24-bit rows as for
// TColorQuantizer::addPixels). Without system colours the tree may use every entry; with them
// the stock palette's first ten colours take entries 0 ... 9, its last ten the final ten
// entries, and the tree the colorCount - 20 entries from 10 on. Entries the tree leaves unused
// are black. Null for colorCount outside 1 ... 256 (21 ... 256 with system colours).
HPALETTE createOptimizedPalette(const uint8_t* bgrRows, int width, int height, std::ptrdiff_t stride,
                                int colorCount, int colorBits = 8, bool withSystemColors = false);

// Places a tree's colours into a palette of colorCount entries, around the stock system colours
// when asked (the layout createOptimizedPalette describes).
HPALETTE paletteAroundSystemColors(const std::vector<TPaletteEntry>& treeColors, int colorCount,
                                   bool withSystemColors);
