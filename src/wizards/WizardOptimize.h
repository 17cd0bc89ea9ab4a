#pragma once
// The optimization wizard's work, apart from its pages: the optimisation order on a private copy,
// the size and saving texts and the download estimate. Everything runs on the GUI thread; the
// animation handed in is only read.
#include <QString>

#include <cstdint>

class TGIFImage;

// The wizard's check boxes as they stand when page 7 is left.
struct TOptimizeChoices
{
    bool optimizePalettes = true; // "&Optimze all palettes (global and local)"
    bool removeLocal = false;     // "&Remove local palettes ..." (counts only while enabled)
    bool sortPalettes = true;     // "&Sort palettes and remove unused entries"
    bool trim = true;             // "&Trim frames to smallest rectangle needed"
    bool duplicates = true;       // "Remove &duplicate pixels with transparency"
    bool nonVisible = false;      // "&Remove all non-visible elements (eg. comments)"
};

// The engine's option bits for the frame and sort choices.
uint8_t optimizeOptionBits(const TOptimizeChoices& choices);

// Whether any frame has a local colour map with entries (enables "&Remove local palettes").
bool hasLocalPalettes(TGIFImage& image);
// Whether merging every map into the global one keeps every colour the frames show: at most 256
// colours (255 when a transparent pixel needs its own entry) and no pixel outside its map.
bool mergeKeepsEveryColor(TGIFImage& image);

// Makes copy a copy of source and optimises it in the wizard's order. Nothing happens for an
// empty source. Engine errors pass out; source is never changed.
void optimizeCopy(TGIFImage& source, TGIFImage& copy, const TOptimizeChoices& choices);

// "%.n bytes": the number with thousands separators and no decimals.
QString byteSizeText(double bytes);
// "None" unless optimised is smaller, else "%.n bytes (%4.1f%s)".
QString savingsText(double current, double optimized);

// The speed list in front of "modem.": texts and kilobits per second.
inline constexpr int kSpeedCount = 4;
extern const char* const kSpeedTexts[kSpeedCount];
extern const double kSpeedValues[kSpeedCount];
// Seconds to download bytes at the speed of entry, and the line "%4.5f secs with a".
double downloadSeconds(double bytes, int speedEntry);
QString downloadText(double bytes, int speedEntry);
