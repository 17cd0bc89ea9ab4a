#pragma once
// The fixed palettes the colour reduction and the renderer draw from. Every function returns a
// fresh handle: callers compare palettes by handle identity, so two requests never share one.
#include "graphics/Palette.h"

#include <array>

// The 20 static system colours of a palette display, in the order of the stock default palette:
// the first ten are the dark half (black ... sky blue), the last ten the light half.
const std::array<TPaletteEntry, 20>& staticSystemColors();

// The stock default palette (the 20 static system colours) is graphics' stockDefaultPalette().
// The 256-colour halftone palette: the first ten static colours, the 6x6x6 cube of the web
// palette, twenty extra greys, the last ten static colours. No flags.
HPALETTE halftonePalette();
// The web palette: entry 36 r + 6 g + b is (51 r, 51 g, 51 b), r, g, b in 0 ... 5. No flags.
HPALETTE webPalette();
// 256 greys, entry i is (i, i, i), each entry marked PC_NOCOLLAPSE.
HPALETTE grayScalePalette();
// The four greys 0, 128, 192, 255, marked PC_NOCOLLAPSE.
HPALETTE fourGrayPalette();
// Black and white, marked PC_NOCOLLAPSE.
HPALETTE monochromePalette();
