#pragma once
// Fitting an animation under a size budget: a ladder of ever stronger losses, cheapest first
// (the whole-image optimisation alone, then fewer colours, then lossy LZW levels, then smaller
// pictures), searched for the first step whose file fits. Only the written file's size decides;
// a result above the budget is never handed out.
#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

class TGIFImage;

struct TBudgetStep
{
    int colors = 0;       // 0: the colours as they are, else at most this many per colour map
    int lossy = 0;        // lossy LZW level, 0 for none
    int scalePercent = 100;

    bool operator==(const TBudgetStep&) const = default;
    // "optimised", "128 colours", "64 colours, lossy 60", "64 colours, lossy 200, scale 50%".
    QString describe() const;
};

// The steps in the order they are tried, each at least as lossy as the one before.
const std::vector<TBudgetStep>& budgetLadder();

struct TBudgetResult
{
    bool reached = false;
    TBudgetStep step;      // the step that fits (reached), else the strongest one tried
    QByteArray bytes;      // the file that fits; empty when none does
    qint64 strongestSize = 0; // size of the strongest step when none fits
    int attempts = 0;
};

// Searches the ladder for the first step whose file of gif (a complete GIF stream) is at most
// budget bytes. The input itself counts as the cheapest answer when it already fits and
// optimising does not make it smaller. The search assumes size falls along the ladder and
// bisects it, checking every answer it gives. Raises the reader's errors for a bad input.
TBudgetResult fitToBudget(const QByteArray& gif, qint64 budget);

// One step applied to a loaded image, in the order that keeps each loss cheapest: scale,
// colours, whole-image optimisation (map merge when exact, crop, merge, clean-up, colour maps),
// lossy.
void applyBudgetStep(TGIFImage& image, const TBudgetStep& step);

// Merges every colour map into one global map, as TGIFImage::optimizeColorMaps does, but only
// when that loses nothing: when the colours the frames use (plus one transparent entry when any
// frame is transparent) fit in 256. Returns whether it merged. The merge itself maps colours
// that do not fit to others, which the lossy paths must not add to the losses they were asked
// for.
bool mergeColorMapsIfExact(TGIFImage& image);

// Nearest-neighbour scaling of a whole animation (screen, frame bounds and pixels) to percent
// (1 ... 100) of its size; every frame keeps at least one pixel and its colour map, transparency,
// delays and disposal. Indexes are copied, never mixed, so transparency stays exact.
void scaleImage(TGIFImage& image, int percent);

// Parses a size such as "500K", "1.5M", "20000" or "64KB" (K = 1024 bytes, M = 1024 K).
// Returns -1 for anything else, for zero and for sizes above 1 TB.
qint64 parseByteSize(const QString& text);
