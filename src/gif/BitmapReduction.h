#pragma once
// Colour reduction of a whole TBitmap: the picture side of the buffer reduction in
// ColorReduction.h. Frame import, rendering for palette displays, the optimiser and the
// exporters call it.
#include "gif/ColorReduction.h"
#include "graphics/Bitmap.h"

#include <memory>

// Reduces source to a new picture owned by the caller; source is not changed.
// - reduction 0: a 24-bit copy.
// - 1 ... 9: an 8-bit picture of the same size whose palette is exactly the chosen palette and
//   whose pixels the ditherer set, rows dithered from the top.
// - an empty result (an empty TBitmap) for a reduction above 9, a dither mode above 6, reduction
//   9 without a usable custom palette, reduction 7 with bits outside 1 ... 8, and an empty source.
// Rows of any pixel format are read one at a time in 24 bits and the result is built directly in
// 8 bits, so no full-depth copy of the picture is ever made; 24-bit sources are read in place.
std::unique_ptr<TBitmap> reduceColors(TBitmap& source, uint8_t reduction, uint8_t ditherMode,
                                      int reductionBits, const HPALETTE& customPalette = nullptr);
