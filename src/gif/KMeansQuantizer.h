#pragma once
// The high-quality colour quantizer, beside the octree: a palette seeded by variance-minimising
// median cut over a colour histogram and refined by weighted k-means, then a remap with
// serpentine Floyd-Steinberg error diffusion of adjustable strength. The histogram can take the
// pixels of many pictures, so that every frame of an animation shares one palette (video frames
// then do not flicker between per-frame palettes).
//
// It never replaces the octree reductions (methods 1 ... 9 stay as they are); callers choose it
// explicitly through TQuantizerKind.
#include "graphics/Palette.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class TBitmap;
class TGIFImage;

enum class TQuantizerKind : uint8_t
{
    Octree,      // the image's own colour reduction, dither mode and bits
    HighQuality, // TKMeansQuantizer
};

struct TQuantizeOptions
{
    int colors = 256;            // 1 ... 256
    double ditherStrength = 1.0; // 0 (nearest colour) ... 1 (full Floyd-Steinberg)
    int iterations = 12;         // k-means passes at most; stops earlier once nothing moves
};

// Colour histogram of one or more pictures: 6 bits per channel select a bin, each bin keeps the
// exact sums of what fell into it, so the refined palette is made of true means. The exact
// colours are also gathered while there are few, so that a picture that already fits is kept
// without loss.
class TColorHistogram
{
public:
    TColorHistogram();
    // 24-bit rows (blue, green, red), rows stride bytes apart (negative walks upward).
    void addPixels(const uint8_t* bgrRows, int width, int height, std::ptrdiff_t stride);
    void addColor(uint8_t red, uint8_t green, uint8_t blue, uint64_t weight = 1);
    uint64_t pixelCount() const { return m_total; }
    // The distinct colours seen while there were at most 256 of them; empty once there are more.
    const std::vector<uint32_t>& exactColors() const { return m_exact; }
    bool exactOverflowed() const { return m_exactOverflow; }

    struct TPoint
    {
        float red, green, blue;
        double weight;
    };
    // The non-empty bins as weighted mean colours.
    std::vector<TPoint> points() const;

private:
    void noteExact(uint32_t rgb);

    struct TBin
    {
        uint64_t count = 0;
        uint64_t red = 0, green = 0, blue = 0;
    };
    std::vector<TBin> m_bins;
    uint64_t m_total = 0;
    std::vector<uint32_t> m_exact; // 0xRRGGBB, sorted
    bool m_exactOverflow = false;
    uint32_t m_lastExact = 0xFFFFFFFFu;
};

// A palette of at most options.colors entries for what the histogram holds: the exact colours
// when they fit, else median cut refined by k-means. Empty for an empty histogram.
std::vector<TPaletteEntry> buildPalette(const TColorHistogram& histogram, const TQuantizeOptions& options);

// Nearest palette entry by squared RGB distance, exact: each cell of a 16 x 16 x 16 grid keeps
// the entries that can be nearest to some colour in it.
class TNearestColor
{
public:
    explicit TNearestColor(const std::vector<TPaletteEntry>& palette);
    int nearest(int red, int green, int blue) const;

private:
    std::vector<TPaletteEntry> m_palette;
    std::vector<uint32_t> m_cellStart; // 4097 offsets into m_candidates
    std::vector<uint8_t> m_candidates;
};

// Palette indexes (width x height, rows top-down) for 24-bit rows with error diffusion of the
// given strength (0 ... 1, clamped).
std::vector<uint8_t> remapPixels(const uint8_t* bgrRows, int width, int height, std::ptrdiff_t stride,
                                 const std::vector<TPaletteEntry>& palette, double ditherStrength);

// The quantizer as a whole for one picture: palette (as a handle) and indexes. A width or height
// below 1 or colours outside 1 ... 256 give an empty palette and no pixels.
struct TQuantized
{
    HPALETTE palette;
    std::vector<uint8_t> pixels;
};
TQuantized quantizePixels(const uint8_t* bgrRows, int width, int height, std::ptrdiff_t stride,
                          const TQuantizeOptions& options);

// The same over a bitmap of any pixel format; the result is an 8-bit picture, or an empty one
// for an empty source or colours outside 1 ... 256.
std::unique_ptr<TBitmap> quantizeBitmap(TBitmap& source, const TQuantizeOptions& options);

// Frame import with a choice of quantizer. Octree: each picture is added as the image adds any
// graphic (its own colour reduction, dither mode and bits). HighQuality: the pictures are
// quantized and added as frames; with sharedPalette one palette is made from all of them and
// becomes the global colour map (frames then carry no local map), else each frame gets its own
// local map. Returns the index of the first frame added.
int importFrames(TGIFImage& image, const std::vector<TBitmap*>& pictures, TQuantizerKind kind,
                 const TQuantizeOptions& options = {}, bool sharedPalette = true);

// Fewer colours for a whole GIF: every colour map holding more than colors entries is reduced
// to colors entries by the k-means palette of its colours (weighted by how many pixels use
// them) and its frames remapped to the nearest new colour. Transparent indexes keep their own
// entries so that what is transparent stays transparent. colors is clamped to 2 ... 256.
void reduceImageColors(TGIFImage& image, int colors);
