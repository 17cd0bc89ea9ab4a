#pragma once
// Colour reduction of true-colour pixels to at most 256 colours: the reduction methods with
// their palettes and lookups, and the reduction itself over plain 24-bit buffers. The bitmap
// conversion wraps reduceColors() for pictures; it only has to copy rows in and out.
//
// Colour reduction values: 0 none (24-bit copy), 1 stock default palette (20 colours),
// 2 halftone palette, 3 four greys, 4 black and white, 5 256 greys, 6 web palette,
// 7 octree palette of 2^bits colours, 8 octree palette of 236 colours plus the 20 static
// system colours, 9 a copy of a caller's palette. Dither modes: see createDitherer().
#include "gif/ColorLookup.h"
#include "gif/Ditherers.h"
#include "graphics/Palette.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

enum TColorReduction : uint8_t
{
    rmNone = 0,
    rmWindows20 = 1,
    rmHalftone = 2,
    rmFourGrays = 3,
    rmMonochrome = 4,
    rmGrayScale = 5,
    rmNetscape = 6,
    rmQuantize = 7,
    rmQuantizeWindows = 8,
    rmPalette = 9,
};

enum TDitherMode : uint8_t
{
    dmNearest = 0,
    dmFloydSteinberg = 1,
    dmStucki = 2,
    dmSierra = 3,
    dmJaJuNi = 4,
    dmSteveArche = 5,
    dmBurkes = 6,
};

// The outcome of a reduction.
struct TReduction
{
    enum class Kind
    {
        Empty,
        TrueColor,
        Indexed
    };

    Kind kind = Kind::Empty;
    int width = 0;
    int height = 0;
    // Indexed: the chosen palette (at most 256 entries), the colour table of the result.
    HPALETTE palette;
    // Indexed: width x height palette indexes, rows top-down without padding.
    // TrueColor: width x height pixels of 3 bytes (blue, green, red), rows without padding.
    std::vector<uint8_t> pixels;

    bool empty() const { return kind == Kind::Empty; }
};

// Reduces width x height pixels of 24-bit rows (blue, green, red per pixel; row y starts at
// bgrRows + y * stride, a negative stride walking upward). Rows are dithered from the top.
// The result is empty for a reduction above 9, a dither mode above 6, a lookup without colours
// (reduction 9 without a usable custom palette), reduction bits outside 1 ... 8 with reduction 7,
// negative sizes, a stride shorter than a row or missing pixels. Reduction 0 gives a TrueColor
// copy. The result owns its pixels; the custom palette is copied (its first 256 entries).
TReduction reduceColors(const uint8_t* bgrRows, int width, int height, std::ptrdiff_t stride,
                        uint8_t reduction, uint8_t ditherMode, int reductionBits, const HPALETTE& custom);

// The palette a reduction uses for these pixels (reductions 7 and 8 quantize them); null for
// reduction 0 and values above 9, and for reduction 7 with bits outside 1 ... 8.
HPALETTE reductionPalette(const uint8_t* bgrRows, int width, int height, std::ptrdiff_t stride,
                          uint8_t reduction, int reductionBits, const HPALETTE& custom);

// The lookup a reduction uses with its palette; null for reduction 0 and values above 9.
std::unique_ptr<TColorLookup> createReductionLookup(uint8_t reduction, const HPALETTE& palette);
