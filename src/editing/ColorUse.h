#pragma once
// Colour use: the palette settings new frames are reduced under, merging the maps afterwards,
// the web-safe palette and a frame's corner colour.
#include "graphics/Colors.h"

class TGIFColorMap;
class TGIFImage;
class TGIFSubImage;

// Applies PaletteType, MaxColorCount and DitherMethod to the image's colour reduction; true when
// inserted frames must afterwards be mapped onto the global palette.
bool applyPaletteSettings(TGIFImage& image);
// The palette post-processing after a picture became a frame under PaletteType 0 or 1: each map
// sorted by use, then all merged into the global map.
void optimizeAllColorMaps(TGIFImage& image);
// The 216 colours of the web-safe cube.
void fillWebPalette(TGIFColorMap& map);
// The colour the frame's own colours give its bottom-left pixel; white without one.
TColor cornerColor(TGIFSubImage& frame);
