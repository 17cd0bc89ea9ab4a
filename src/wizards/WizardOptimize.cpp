#include "wizards/WizardOptimize.h"

#include "gif/ColorReduction.h"
#include "gif/GIFImage.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <unordered_set>

const char* const kSpeedTexts[kSpeedCount] = {"28.8", "56.6", "DSL", "T-1"};
const double kSpeedValues[kSpeedCount] = {28.8, 56.6, 128, 1000};

uint8_t optimizeOptionBits(const TOptimizeChoices& choices)
{
    uint8_t bits = 0;
    if (choices.trim)
        bits |= ooCrop;
    if (choices.duplicates)
        bits |= ooMerge;
    if (choices.nonVisible)
        bits |= ooCleanup;
    if (choices.sortPalettes)
        bits |= ooColorMap;
    return bits;
}

bool hasLocalPalettes(TGIFImage& image)
{
    for (int i = 0; i < image.images().count(); ++i)
        if (image.images().subImage(i)->colorMap().count() > 0)
            return true;
    return false;
}

bool mergeKeepsEveryColor(TGIFImage& image)
{
    // The merger keeps the most used colours and maps the rest to the nearest by brightness sum;
    // that is a change of picture, so the wizard merges only when every shown colour has a place.
    std::unordered_set<TColor> colors;
    bool transparencyUsed = false;
    for (int i = 0; i < image.images().count(); ++i) {
        TGIFSubImage& frame = *image.images().subImage(i);
        if (frame.empty())
            continue;
        const TGIFColorMap& map = frame.activeColorMap();
        const int key = frame.transparentIndex();
        const uint8_t* pixels = frame.data();
        bool seen[256] = {};
        for (int64_t p = 0; p < frame.dataSize(); ++p)
            seen[pixels[p]] = true;
        for (int index = 0; index < 256; ++index) {
            if (!seen[index])
                continue;
            if (index == key) {
                transparencyUsed = true;
                continue;
            }
            if (index >= map.count())
                return false; // the merger would replace such a pixel by entry 0
            colors.insert(map.entry(index).value());
        }
    }
    return colors.size() <= (transparencyUsed ? 255u : 256u);
}

namespace {

TGIFDisposal disposalOf(const TGIFSubImage& frame)
{
    return frame.graphicControlExtension() ? frame.graphicControlExtension()->disposal()
                                           : TGIFDisposal::dmNone;
}

bool whollyTransparent(const TGIFSubImage& frame, uint8_t key)
{
    const uint8_t* pixels = frame.data();
    return std::all_of(pixels, pixels + frame.dataSize(), [key](uint8_t p) { return p == key; });
}

// Trims every transparent frame to its opaque pixels. A frame with no opaque pixel at all shows
// what the frame before it left, so it goes and its time is given to that frame; the engine's
// whole-image crop drops that time unless the earlier frame is transparent (the animation would
// run faster) and also drops such a first frame with the animation's looping extension. Where the
// time cannot move without changing the picture (the earlier frame clears or restores itself
// afterwards, or this frame clears its own area) the frame stays as it is.
void trimFrames(TGIFImage& image)
{
    for (int c = image.images().count() - 1; c >= 0; --c) {
        TGIFSubImage& frame = *image.images().subImage(c);
        TGIFGraphicControlExtension* gce = frame.graphicControlExtension();
        if (frame.empty() || !frame.transparent() || !gce)
            continue;
        if (!whollyTransparent(frame, gce->transparentColorIndex())) {
            frame.crop();
            continue;
        }
        if (c == 0 || disposalOf(frame) == TGIFDisposal::dmBackground)
            continue;
        TGIFSubImage& previous = *image.images().subImage(c - 1);
        if (previous.empty() || disposalRestores(disposalOf(previous)))
            continue;
        TGIFGraphicControlExtension* previousGce = previous.graphicControlExtension();
        const int total = (previousGce ? previousGce->delay() : 0) + gce->delay();
        if (total > 0xFFFF)
            continue;
        if (!previousGce) {
            previousGce = new TGIFGraphicControlExtension(&previous);
            previous.extensions().add(previousGce);
        }
        previousGce->setDelay(uint16_t(total));
        image.images().deleteAt(c);
    }
}

} // namespace

void optimizeCopy(TGIFImage& source, TGIFImage& copy, const TOptimizeChoices& choices)
{
    if (source.empty())
        return;
    copy.setReductionBits(source.reductionBits());
    copy.setDitherMode(source.ditherMode());
    copy.assign(&source);

    const uint8_t bits = optimizeOptionBits(choices) & ~ooCrop;
    if (bits != 0)
        copy.optimize(bits, rmNone, dmNearest, 8);
    if (choices.trim)
        trimFrames(copy);
    if (choices.optimizePalettes) {
        copy.globalColorMap().optimize();
        for (int i = 0; i < copy.images().count(); ++i) {
            TGIFSubImage& frame = *copy.images().subImage(i);
            if (!frame.empty() && frame.colorMap().count() > 0)
                frame.colorMap().optimize();
        }
    }
    if (choices.removeLocal && hasLocalPalettes(copy) && mergeKeepsEveryColor(copy))
        copy.optimizeColorMaps();
}

QString byteSizeText(double bytes)
{
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    return english.toString(qint64(std::llround(bytes))) + QStringLiteral(" bytes");
}

QString savingsText(double current, double optimized)
{
    if (!(optimized < current))
        return QStringLiteral("None");
    const double percent = std::fabs(optimized / current * 100.0 - 100.0);
    // "%.n bytes (%4.1f%s)"
    return QStringLiteral("%1 (%2%3)")
        .arg(byteSizeText(current - optimized), QString::asprintf("%4.1f", percent), QStringLiteral("%"));
}

double downloadSeconds(double bytes, int speedEntry)
{
    if (speedEntry < 0 || speedEntry >= kSpeedCount)
        speedEntry = 1;
    return std::fabs(bytes * 8.0 / kSpeedValues[speedEntry] / 1000.0);
}

QString downloadText(double bytes, int speedEntry)
{
    return QString::asprintf("%4.5f secs with a", downloadSeconds(bytes, speedEntry));
}
