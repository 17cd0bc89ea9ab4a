#include "gif/SizeBudget.h"

#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "gif/KMeansQuantizer.h"
#include "gif/LossyLZW.h"
#include "graphics/Streams.h"

#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <set>
#include <cmath>

QString TBudgetStep::describe() const
{
    QStringList parts;
    if (colors > 0)
        parts << QStringLiteral("%1 colours").arg(colors);
    if (lossy > 0)
        parts << QStringLiteral("lossy %1").arg(lossy);
    if (scalePercent != 100)
        parts << QStringLiteral("scale %1%").arg(scalePercent);
    return parts.isEmpty() ? QStringLiteral("optimised") : parts.join(QStringLiteral(", "));
}

const std::vector<TBudgetStep>& budgetLadder()
{
    // Colours go down to 64 only: fewer make photographs band badly, and lossy levels cost less
    // for the same saving. Scaling comes last; it loses detail everywhere.
    static const std::vector<TBudgetStep> ladder = [] {
        std::vector<TBudgetStep> steps{{0, 0, 100}, {128, 0, 100}, {64, 0, 100}};
        for (const int lossy : {20, 40, 60, 80, 100, 140, 200})
            steps.push_back({64, lossy, 100});
        for (const int scale : {90, 80, 70, 60, 50, 40, 30, 25, 20, 15, 10})
            steps.push_back({64, 200, scale});
        return steps;
    }();
    return ladder;
}

namespace {

int scaled(int value, int percent)
{
    return int((int64_t(value) * percent + 50) / 100);
}

void loadQuietly(TGIFImage& image, const QByteArray& gif)
{
    image.onWarning = [](TObject*, int, const QString&) {};
    TMemoryStream stream(gif);
    image.loadFromStream(stream);
}

QByteArray saved(TGIFImage& image)
{
    TMemoryStream stream;
    image.saveToStream(stream);
    return stream.takeData();
}

} // namespace

void scaleImage(TGIFImage& image, int percent)
{
    percent = std::clamp(percent, 1, 100);
    if (percent == 100)
        return;
    const int screenWidth = std::max(1, scaled(image.width(), percent));
    const int screenHeight = std::max(1, scaled(image.height(), percent));
    image.header().setWidth(screenWidth);
    image.header().setHeight(screenHeight);
    for (int i = 0; i < image.images().count(); ++i) {
        TGIFSubImage* frame = image.images().subImage(i);
        if (frame->empty())
            continue;
        const QRect old = frame->boundsRect();
        const std::vector<uint8_t> source(frame->data(), frame->data() + frame->dataSize());
        // Edges are scaled, not sizes, so frames that touched still touch.
        const int left = std::min(scaled(old.left(), percent), screenWidth - 1);
        const int top = std::min(scaled(old.top(), percent), screenHeight - 1);
        const int right = std::clamp(scaled(old.left() + old.width(), percent), left + 1, screenWidth);
        const int bottom = std::clamp(scaled(old.top() + old.height(), percent), top + 1, screenHeight);
        std::vector<uint8_t> pixels(size_t(right - left) * size_t(bottom - top));
        for (int y = top; y < bottom; ++y) {
            const int sy = std::clamp(int((int64_t(y) * 100 + 50) / percent) - old.top(), 0, old.height() - 1);
            for (int x = left; x < right; ++x) {
                const int sx =
                    std::clamp(int((int64_t(x) * 100 + 50) / percent) - old.left(), 0, old.width() - 1);
                pixels[size_t(y - top) * size_t(right - left) + size_t(x - left)] =
                    source[size_t(sy) * size_t(old.width()) + size_t(sx)];
            }
        }
        frame->setBounds(left, top, right - left, bottom - top);
        frame->setData(std::move(pixels));
        frame->freeBitmap();
        frame->freeMask();
    }
    image.freeBitmap();
}

bool mergeColorMapsIfExact(TGIFImage& image)
{
    std::set<uint32_t> colors;
    bool transparency = false;
    for (int i = 0; i < image.images().count(); ++i) {
        TGIFSubImage* frame = image.images().subImage(i);
        const uint8_t* pixels = frame->data();
        if (!pixels)
            continue;
        TGIFColorMap& map = frame->activeColorMap();
        const int transparent = frame->transparentIndex();
        std::array<bool, 256> used{};
        for (int64_t p = 0; p < frame->dataSize(); ++p)
            used[pixels[p]] = true;
        for (int v = 0; v < 256; ++v) {
            if (!used[size_t(v)])
                continue;
            if (v == transparent) {
                transparency = true;
            } else if (v >= map.count()) {
                return false; // the merge would make such pixels index 0
            } else {
                const TGIFColor& c = map.entry(v);
                colors.insert((uint32_t(c.red) << 16) | (uint32_t(c.green) << 8) | c.blue);
            }
        }
        if (colors.size() + (transparency ? 1 : 0) > 256)
            return false;
    }
    image.optimizeColorMaps();
    return true;
}

void applyBudgetStep(TGIFImage& image, const TBudgetStep& step)
{
    if (step.scalePercent != 100)
        scaleImage(image, step.scalePercent);
    if (step.colors > 0)
        reduceImageColors(image, step.colors);
    // The optimisation the optimize command runs by default: one global map first, so the
    // per-map sort and the frame merge work across frames.
    mergeColorMapsIfExact(image);
    image.optimize(ooCrop | ooMerge | ooCleanup | ooColorMap, 0, 0, 8);
    if (step.lossy > 0)
        applyLossyLZW(image, step.lossy);
}

TBudgetResult fitToBudget(const QByteArray& gif, qint64 budget)
{
    TBudgetResult result;
    const std::vector<TBudgetStep>& ladder = budgetLadder();
    std::vector<QByteArray> made(ladder.size());
    std::vector<bool> tried(ladder.size(), false);
    auto attempt = [&](size_t index) -> const QByteArray& {
        if (!tried[index]) {
            TGIFImage image;
            loadQuietly(image, gif);
            applyBudgetStep(image, ladder[index]);
            made[index] = saved(image);
            // Optimising can make a file larger; the input is then the better first step.
            if (index == 0 && gif.size() < made[index].size())
                made[index] = gif;
            tried[index] = true;
            ++result.attempts;
        }
        return made[index];
    };
    auto fits = [&](size_t index) { return attempt(index).size() <= budget; };

    size_t answer = ladder.size();
    if (fits(0)) {
        answer = 0;
    } else if (fits(ladder.size() - 1)) {
        // fits(low) is false, fits(high) true: bisect for the first step that fits.
        size_t low = 0, high = ladder.size() - 1;
        while (high - low > 1) {
            const size_t middle = (low + high) / 2;
            (fits(middle) ? high : low) = middle;
        }
        answer = high;
    }
    if (answer == ladder.size()) {
        result.step = ladder.back();
        result.strongestSize = made.back().size();
        return result;
    }
    result.reached = true;
    result.step = ladder[answer];
    result.bytes = made[answer];
    return result;
}

qint64 parseByteSize(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^([0-9]{1,13})(?:\\.([0-9]{1,6}))?\\s*([kKmMgG]?)[bB]?$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return -1;
    const QString unit = match.captured(3).toUpper();
    const double factor = unit == "K" ? 1024.0 : unit == "M" ? 1048576.0 : unit == "G" ? 1073741824.0 : 1.0;
    const double value = (match.captured(1) + "." + (match.captured(2).isEmpty() ? "0" : match.captured(2))).toDouble();
    const double bytes = std::floor(value * factor);
    if (!(bytes >= 1) || bytes > 1099511627776.0)
        return -1;
    return qint64(bytes);
}
