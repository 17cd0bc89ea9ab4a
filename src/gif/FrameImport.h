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
class TGraphic;
class TMetafile;
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

// Frame assign from a picture source: a TBitmap, a picture holder (its graphic; an empty holder
// clears the frame) or any other graphic. Returns false, touching nothing, for anything else.
bool importIntoFrame(TGIFSubImage& frame, const TPersistent* source);

// Clears the frame and fills it from the bitmap with the frame's image's colour reduction,
// dither mode and reduction bits (6, 0 and 8 without an image). A bitmap marked transparent
// makes the frame transparent through the bitmap's mask.
void importBitmap(TGIFSubImage& frame, TBitmap& bitmap);

// Clears the frame and fills it from a graphic drawn on (or converted into) a bitmap. Icons are
// made transparent through their own mask, metafiles where their background shows through.
void importGraphic(TGIFSubImage& frame, TGraphic& graphic);

// Transparency from a mask picture of the frame's size (non-zero where transparent): optimises
// the local colour map, then, when it holds 1 ... 255 colours, appends black as the transparent
// index for every masked pixel and adds a transparent graphic control extension. When no pixel
// is masked, or the map is empty or full, the frame stays opaque and its map without the black.
void transparentFromMask(TGIFSubImage& frame, TBitmap& mask);

// The mask of a metafile: the picture drawn on white and on black, combined by exclusive-or, so
// that the result is non-zero exactly where the background shows through. 24 bits per pixel.
std::unique_ptr<TBitmap> metafileMask(TMetafile& metafile, int width, int height);
