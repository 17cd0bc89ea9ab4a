#pragma once
// Which colour entries the frames use, so palette edits never remove a colour a frame shows.
#include "editing/UserTexts.h"

class TGIFColorMap;
class TGIFImage;

// ---- Colour use ----------------------------------------------------------------------------

bool frameUsesColorIndex(TGIFImage& image, int frameIndex, int colorIndex);
// Whether the entry of map (the image's global map, or a frame's local one) may be removed.
bool colorEntryRemovable(TGIFImage& image, TGIFColorMap& map, int entryIndex, int frameIndex);
inline constexpr const char* kColorRequiredMessage = UserTexts::kColorRequired;
