#pragma once
// Small shared vocabulary of the GIF engine: versions, colour values, draw options and the
// process-wide engine settings.
#include "graphics/Colors.h"

#include <QString>
#include <cstdint>

class TGIFImage;
class TGIFItem;
class TGIFHeader;
class TGIFSubImage;
class TGIFExtension;
class TGIFColorMap;
class TBitmap;
class TGIFPainter;

// GIF versions; the text of version n is "87a89a" from 3 × (n − 1).
enum TGIFVersion : uint8_t
{
    gvUnknown = 0,
    gv87a = 1,
    gv89a = 2
};
QString gifVersionText(TGIFVersion version);

// What becomes of a frame's area before the next frame is drawn (the graphic control
// extension's disposal method). Values 4-7 are undefined; a file's value is kept as read and
// such a frame disposes of nothing.
enum TGIFDisposal : uint8_t
{
    dpNone = 0,       // not specified: treated like dpNoDispose
    dpNoDispose = 1,  // the frame stays
    dpBackground = 2, // the area goes back to the background
    dpPrevious = 3,   // the area goes back to what was there before the frame
};

// Draw option bits.
enum TGIFDrawOption : uint16_t
{
    goAsync = 1 << 0,
    goTransparent = 1 << 1,
    goAnimate = 1 << 2,
    goLoop = 1 << 3,
    goLoopContinously = 1 << 4,
    goValidateCanvas = 1 << 5,
    goDirectDraw = 1 << 6,
    goClearOnLoop = 1 << 7,
    goTile = 1 << 8,
    goDither = 1 << 9,
    goAutoDither = 1 << 10,
};
using TGIFDrawOptions = uint16_t;
constexpr TGIFDrawOptions GIFDefaultDrawOptions = 0x060F;

// Whole-image optimisation option bits.
enum TGIFOptimizeOption : uint8_t
{
    ooCrop = 1 << 0,
    ooMerge = 1 << 1,
    ooCleanup = 1 << 2,
    ooColorMap = 1 << 3,
    ooReduceColors = 1 << 4,
};
using TGIFOptimizeOptions = uint8_t;
constexpr TGIFOptimizeOptions GIFAllOptimizeOptions = 0x1F;

// Process-wide settings of the engine. Read and written on the user-interface thread only.
struct TGIFSettings
{
    int defaultDelay = 10;    // hundredths of a second, for frames without a delay
    int minimumDelay = 3;     // hundredths
    int maximumDelay = 1000;  // hundredths; synchronous painting only
    int delayMultiplier = 12; // milliseconds per hundredth
    bool optimizeOnStream = false;
    bool renderOnLoad = false;
    bool paletteDevice = false;
    // Safety limits against hostile headers: the pixel count of one frame, and of all frames
    // read by one load, and the extension blocks of one frame. Exceeding any fails with a GIFException
    // instead of allocating.
    int64_t maxFramePixels = int64_t(1) << 28;
    // (every frame counts at least 4096 pixels here).
    int64_t maxLoadPixels = int64_t(1) << 30;
    int maxExtensionsPerFrame = 65536;
    // Writes reuse a frame's compressed data from its previous write when the frame's encoder
    // inputs are unchanged (the output is the same either way). Off: every write encodes afresh.
    bool reuseEncodedFrames = true;
};
TGIFSettings& gifSettings();

// The engine's message texts that more than one unit raises.
namespace gifmsg {
inline const char* const PrematureEnd = "Premature end of data";
inline const char* const InvalidColorIndex = "Invalid color index";
inline const char* const ImageWidthTooSmall = "Image width too small for contained frames";
inline const char* const ImageHeightTooSmall = "Image height too small for contained frames";
inline const char* const ImageExceedsScreen = "Image exceeds Logical Screen size";
inline const char* const ColorNotInTable = "Color not in color table";
inline const char* const FrameTooLarge = "Image size exceeds the engine's pixel limit";
} // namespace gifmsg
