#pragma once
// Importing pictures into GIF frames: a TBitmap of any pixel format, an icon with its own mask,
// a metafile (transparent where its background shows through), any other graphic through a
// bitmap, or the graphic a picture holder holds. Frames hold 8-bit indexes into their local
// colour map; true-colour pictures are first reduced with the image's colour reduction, dither
// mode and reduction bits (reduction 0 keeps every colour and fails on the 257th).
//
// Progress "Converting..." goes to the frame's image. A failed import leaves the frame cleared
// or partly filled and passes the error on.
#include "graphics/Bitmap.h"

#include <functional>
#include <memory>
#include <vector>

class TGIFSubImage;
class TPersistent;

// Progress of a conversion (start, a step every 32 rows, end), percent of rows done.
using TImportProgress = std::function<void(TProgressStage stage, int percent)>;

// The pixels and colour map a bitmap becomes, before they are put into a frame.
struct TFramePixels
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels; // width × height indexes, rows top-down
    std::vector<TColor> colors;  // the colour map, red in the low byte; every index has an entry
    // What the frame shows: a copy of an indexed source, else the reduced (or 24-bit) picture.
    std::shared_ptr<TBitmap> bitmap;
};

// Steps of the import that need only the bitmap: 1, 4 and 8-bit pictures keep their indexes and
// palette; any other format is reduced first (reduction 0: a 24-bit copy whose colours are
// gathered in the order met, GIFException "Color table overflow" at the 257th). A reduction
// that gives nothing (reduction 9 has no palette here, values above 9, dither modes above 6)
// raises GIFException "Invalid reduction method". An empty bitmap gives empty pixels.
TFramePixels convertBitmap(TBitmap& bitmap, uint8_t colorReduction, uint8_t ditherMode, int reductionBits,
                           const TImportProgress& progress = {});
