// The whole-image optimisation's choice of how each frame is written.
//
// A frame shows the same picture in many forms: where a pixel repeats what the frame before left
// on screen it may be transparent or carry its colour, and the frame may leave out a border of
// such pixels. Which form is smallest depends on the LZW data, not on the pixel count: making
// unchanged pixels transparent adds a symbol to a two-colour frame and breaks its runs, while an
// already transparent frame may compress better with the colours filled back in. So the forms
// below are all encoded and the smallest is kept; the picture shown and the timeline never change.
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"

#include <algorithm>
#include <array>
#include <limits>

namespace {

TGIFDisposal disposalOf(const TGIFSubImage* frame)
{
    return frame->graphicControlExtension() ? frame->graphicControlExtension()->disposal()
                                            : TGIFDisposal::dmNone;
}

// Fewest symbol changes along the scan: each pixel may be `clear` (when allowed) or its colour
// choice (when it has one); runs make LZW strings long. Ties go to the transparent symbol, whose
// runs over still areas continue from frame to frame.
std::vector<uint8_t> fewestChanges(const std::vector<uint8_t>& allowClear, const std::vector<int16_t>& colour,
                                   uint8_t clear)
{
    const size_t n = colour.size();
    constexpr int64_t none = std::numeric_limits<int64_t>::max() / 4;
    // Bit 0: the clear state's best predecessor was the colour state; bit 1: likewise for the
    // colour state.
    std::vector<uint8_t> from(n, 0);
    int64_t costClear = allowClear[0] ? 0 : none;
    int64_t costColour = colour[0] >= 0 ? 0 : none;
    for (size_t i = 1; i < n; ++i) {
        int64_t nextClear = none;
        int64_t nextColour = none;
        uint8_t bits = 0;
        if (allowClear[i]) {
            const int64_t stay = costClear;
            const int64_t change = costColour + 1;
            nextClear = std::min(stay, change);
            if (change < stay)
                bits |= 1;
        }
        if (colour[i] >= 0) {
            const int64_t change = costClear + 1;
            const int64_t stay = costColour + (colour[i - 1] == colour[i] ? 0 : 1);
            nextColour = std::min(stay, change);
            if (stay <= change)
                bits |= 2;
        }
        costClear = std::min(nextClear, none);
        costColour = std::min(nextColour, none);
        from[i] = bits;
    }
    std::vector<uint8_t> symbols(n);
    bool clearState = costClear <= costColour;
    for (size_t i = n; i-- > 0;) {
        symbols[i] = clearState ? clear : uint8_t(colour[i]);
        clearState = clearState ? !(from[i] & 1) : !(from[i] & 2);
    }
    return symbols;
}

} // namespace

TGIFScreenPicture::TGIFScreenPicture(int width, int height)
    : width(width), height(height), pixels(size_t(width) * size_t(height), unknown)
{
}

uint32_t TGIFScreenPicture::colourValue(const TGIFColor& colour)
{
    return uint32_t(colour.red) << 16 | uint32_t(colour.green) << 8 | colour.blue;
}

void TGIFScreenPicture::draw(TGIFSubImage& frame)
{
    if (frame.empty())
        return;
    const QRect area = frame.boundsRect().intersected(QRect(0, 0, width, height));
    TGIFColorMap& map = frame.activeColorMap();
    const int key = frame.transparentIndex();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const uint8_t* row = frame.scanLine(y - frame.top());
        uint32_t* out = pixels.data() + size_t(y) * width;
        for (int x = area.left(); x <= area.right(); ++x) {
            const uint8_t value = row[x - frame.left()];
            if (value == key)
                continue;
            // What a value past the map shows is up to the viewer: nothing may rely on it.
            out[x] = value < map.count() ? colourValue(map.entry(value)) : unknown;
        }
    }
}

void TGIFScreenPicture::clear(const QRect& rect)
{
    const QRect area = rect.intersected(QRect(0, 0, width, height));
    for (int y = area.top(); y <= area.bottom(); ++y)
        std::fill_n(pixels.begin() + ptrdiff_t(size_t(y) * width + area.left()), area.width(), unknown);
}

void TGIFSubImage::mergeIfSmaller(const TGIFScreenPicture& screen)
{
    if (empty())
        return;
    const QRect bounds = boundsRect();
    if (!bounds.intersects(QRect(0, 0, screen.width, screen.height)))
        return;

    TGIFColorMap* global = m_image ? &m_image->globalColorMap() : nullptr;
    // Code sizes start at 2, so a two-colour map that gains a third entry costs nothing here.
    auto sharedCodeSize = [this] { return m_image ? std::max(2, m_image->sharedCodeBits()) : 2; };
    const int sharedBits = sharedCodeSize();
    // A global map that grows past a power of two is written twice as long.
    auto globalBytes = [global] { return global && global->count() > 0 ? 3 << global->bitsPerPixel() : 0; };
    const int64_t before = writtenSize() + globalBytes();

    const std::vector<uint8_t> original = m_data;
    const bool hadControl = m_gce != nullptr;
    const bool wasTransparent = m_transparent;
    const int oldIndex = m_gce ? m_gce->transparentColorIndex() : 0;
    const int localCount = m_colorMap.count();
    const bool localSorted = m_colorMap.optimized();
    const int globalCount = global ? global->count() : 0;
    const bool globalSorted = global && global->optimized();

    TGIFColorMap& myMap = activeColorMap();
    const int key = transparentIndex();

    // The first index of each colour in this frame's map (never the transparent index).
    std::vector<std::pair<uint32_t, int>> indexOfColour;
    for (int i = 0; i < myMap.count(); ++i)
        if (i != key)
            indexOfColour.emplace_back(TGIFScreenPicture::colourValue(myMap.entry(i)), i);
    std::stable_sort(indexOfColour.begin(), indexOfColour.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    auto lookUp = [&](uint32_t wanted) {
        auto it = std::lower_bound(indexOfColour.begin(), indexOfColour.end(), wanted,
                                   [](const auto& entry, uint32_t value) { return entry.first < value; });
        return it != indexOfColour.end() && it->first == wanted ? it->second : -1;
    };

    // Per pixel: may it be transparent (it shows what is under it either way), and the colour
    // index it may carry instead (-1: none, the colour under it is not in this frame's map or
    // nothing known is under it).
    const int w = m_width;
    const int h = m_height;
    std::vector<uint8_t> allowClear(original.size(), 0);
    std::vector<int16_t> colour(original.size(), -1);
    bool anyOpaqueRepeat = false;
    for (int y = 0; y < h; ++y) {
        const int screenY = m_top + y;
        for (int x = 0; x < w; ++x) {
            const size_t i = size_t(y) * w + x;
            const uint8_t value = original[i];
            const int screenX = m_left + x;
            uint32_t under = TGIFScreenPicture::unknown;
            if (screenY < screen.height && screenX < screen.width)
                under = screen.pixels[size_t(screenY) * screen.width + screenX];
            const bool known = under != TGIFScreenPicture::unknown;
            if (key >= 0 && value == key) {
                allowClear[i] = 1;
                colour[i] = int16_t(known ? lookUp(under) : -1);
            } else {
                colour[i] = value;
                if (known && value < myMap.count() && TGIFScreenPicture::colourValue(myMap.entry(value)) == under) {
                    allowClear[i] = 1;
                    anyOpaqueRepeat = true;
                }
            }
        }
    }

    // The rectangle of pixels that must be written; the rest repeats what is on screen. Leaving
    // it out is wrong for restore-to-background, which clears the whole rectangle (and for the
    // disposal values past 3, which some viewers read as it).
    QRect kept = bounds;
    if (disposalLeavesFrame(disposalOf(this)) || disposalOf(this) == TGIFDisposal::dmPrevious) {
        int left = w, right = -1, top = h, bottom = -1;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (!allowClear[size_t(y) * w + x]) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        if (right < 0) // everything repeats: one pixel keeps the frame's place in time
            left = right = top = bottom = 0;
        kept = QRect(QPoint(m_left + left, m_top + top), QPoint(m_left + right, m_top + bottom));
    }

    // A transparent index for frames without one: an index the frame does not use, else a new
    // entry when the map has room.
    int clearKey = key;
    bool newEntry = false;
    if (key < 0 && anyOpaqueRepeat && myMap.count() > 0) {
        // Only the pixels that must stay as they are count: every other one may become
        // transparent.
        std::array<bool, 256> used{};
        for (size_t i = 0; i < original.size(); ++i)
            if (!allowClear[i])
                used[original[i]] = true;
        for (int i = 0; i < myMap.count() && clearKey < 0; ++i)
            if (!used[size_t(i)])
                clearKey = i;
    }

    struct Form
    {
        QRect rect;
        std::vector<uint8_t> pixels;
        bool usesNewKey;
        const std::vector<uint8_t>* whole; // the uncut pixels of the form, null for the frame as it was
    };
    auto cut = [&](const QRect& rect, const std::vector<uint8_t>& whole) {
        if (rect == bounds)
            return whole;
        std::vector<uint8_t> part(size_t(rect.width()) * size_t(rect.height()));
        for (int y = 0; y < rect.height(); ++y)
            std::copy_n(whole.begin() + ptrdiff_t(size_t(rect.top() - bounds.top() + y) * w + (rect.left() - bounds.left())),
                        rect.width(), part.begin() + ptrdiff_t(size_t(y) * rect.width()));
        return part;
    };
    auto setForm = [&](const QRect& rect, const std::vector<uint8_t>& pixels, bool useNewKey) {
        m_data = pixels;
        m_left = uint16_t(rect.x());
        m_top = uint16_t(rect.y());
        m_width = uint16_t(rect.width());
        m_height = uint16_t(rect.height());
        if (key < 0) {
            if (useNewKey) {
                if (!m_gce)
                    m_extensions.add(new TGIFGraphicControlExtension(this));
                m_gce->setTransparentColorIndex(clearKey);
                m_gce->setTransparent(true);
            } else if (m_gce) {
                if (!hadControl) {
                    for (int i = m_extensions.count() - 1; i >= 0; --i)
                        if (m_extensions.extension(i) == m_gce) {
                            m_extensions.deleteAt(i);
                            break;
                        }
                    m_gce = nullptr;
                    m_transparent = false;
                } else {
                    if (m_gce->transparentColorIndex() != oldIndex)
                        m_gce->setTransparentColorIndex(oldIndex);
                    m_gce->setTransparent(wasTransparent);
                }
            }
        }
        freeBitmap();
        freeMask();
    };
    auto removeNewEntry = [&] {
        if (!newEntry)
            return;
        if (m_colorMap.count() > localCount) {
            m_colorMap.deleteAt(m_colorMap.count() - 1);
            m_colorMap.setOptimized(localSorted);
        }
        if (global && global->count() > globalCount) {
            global->deleteAt(global->count() - 1);
            global->setOptimized(globalSorted);
        }
        newEntry = false;
    };

    // The forms: as it is, with the colours filled in wherever the map has them, with every
    // repeat transparent, and with the fewest changes of symbol; each on the kept rectangle and
    // the best of them also on the whole one.
    std::vector<std::vector<uint8_t>> plain; // never a new transparent index
    plain.push_back(original);
    if (key >= 0) {
        std::vector<uint8_t> filled = original;
        for (size_t i = 0; i < filled.size(); ++i)
            if (colour[i] >= 0)
                filled[i] = uint8_t(colour[i]);
        plain.push_back(std::move(filled));
    }
    auto withClear = [&](uint8_t clear) {
        std::vector<std::vector<uint8_t>> forms;
        std::vector<uint8_t> merged = original;
        for (size_t i = 0; i < merged.size(); ++i)
            if (allowClear[i])
                merged[i] = clear;
        forms.push_back(std::move(merged));
        // A repeat that shows the colour of the new transparent index must become transparent.
        std::vector<int16_t> choices = colour;
        if (key < 0)
            for (size_t i = 0; i < choices.size(); ++i)
                if (choices[i] == clear)
                    choices[i] = -1;
        forms.push_back(fewestChanges(allowClear, choices, clear));
        return forms;
    };

    Form best{bounds, original, false, nullptr};
    int64_t bestSize = before;
    auto consider = [&](const QRect& rect, const std::vector<uint8_t>& whole, bool useNewKey) {
        std::vector<uint8_t> pixels = cut(rect, whole);
        if (rect == best.rect && pixels == best.pixels && useNewKey == best.usesNewKey)
            return;
        setForm(rect, pixels, useNewKey);
        // A new global entry that widens the shared code size costs every frame on the global
        // map, which this frame's size does not show.
        if (sharedCodeSize() != sharedBits)
            return;
        const int64_t size = writtenSize() + globalBytes();
        if (size < bestSize) {
            bestSize = size;
            best = Form{rect, std::move(pixels), useNewKey, &whole};
        }
    };
    for (const auto& whole : plain)
        consider(kept, whole, false);
    // A new entry would give a colour to pixels that index past the map (shown as the viewer
    // pleases), here or, for the global map, in another frame.
    const bool mapMayGrow = &myMap == global ? screen.globalMapMayGrow
                                             : gifLargestPixel(original.data(), original.size()) < myMap.count();
    if (anyOpaqueRepeat && clearKey < 0 && key < 0 && myMap.count() > 0 && myMap.count() < GIFMaxColors &&
        mapMayGrow) {
        clearKey = myMap.add(rgbColor(255, 255, 255));
        newEntry = true;
    }
    std::vector<std::vector<uint8_t>> clearForms;
    if (key >= 0 || (anyOpaqueRepeat && clearKey >= 0)) {
        clearForms = withClear(uint8_t(clearKey));
        for (const auto& whole : clearForms)
            consider(kept, whole, key < 0);
    }
    // The best form over the whole rectangle, in case leaving out the border did not pay.
    if (kept != bounds && best.whole)
        consider(bounds, *best.whole, best.usesNewKey);
    if (!best.usesNewKey)
        removeNewEntry();
    setForm(best.rect, best.pixels, best.usesNewKey);
}

bool TGIFSubImage::useGlobalMapIfSmaller()
{
    if (empty() || m_colorMap.count() == 0 || !m_image || m_image->globalColorMap().count() == 0)
        return false;
    TGIFColorMap& global = m_image->globalColorMap();
    const int key = transparentIndex();
    if (key >= m_colorMap.count())
        return false;
    std::array<bool, 256> used{};
    for (const uint8_t value : m_data)
        used[value] = true;
    // Every colour the frame shows must be in the global map; a value past the local map shows
    // what the viewer pleases, which no global entry can promise.
    std::array<int, 256> toGlobal{};
    toGlobal.fill(-1);
    std::array<bool, 256> globalUsed{};
    for (int v = 0; v < 256; ++v) {
        if (!used[size_t(v)] || v == key)
            continue;
        if (v >= m_colorMap.count())
            return false;
        for (int g = 0; g < global.count(); ++g)
            if (global.entry(g) == m_colorMap.entry(v)) {
                toGlobal[size_t(v)] = g;
                globalUsed[size_t(g)] = true;
                break;
            }
        if (toGlobal[size_t(v)] < 0)
            return false;
    }
    int newKey = -1;
    if (key >= 0) {
        for (int g = 0; g < global.count() && newKey < 0; ++g)
            if (!globalUsed[size_t(g)])
                newKey = g;
        if (newKey < 0)
            return false;
        toGlobal[size_t(key)] = newKey;
    }
    // Measured over the whole file: the local map may have set the code size every frame on the
    // global map is written with.
    auto fileSize = [this] {
        int64_t total = 0;
        for (int i = 0; i < m_image->images().count(); ++i)
            total += m_image->images().subImage(i)->writtenSize();
        return total;
    };
    const int64_t before = fileSize();
    const std::vector<uint8_t> pixels = m_data;
    std::vector<TGIFColor> localEntries(m_colorMap.entries().begin(), m_colorMap.entries().begin() + m_colorMap.count());
    const bool localSorted = m_colorMap.optimized();
    for (uint8_t& value : m_data)
        value = uint8_t(toGlobal[value]);
    m_colorMap.clear();
    if (key >= 0)
        m_gce->setTransparentColorIndex(newKey);
    if (fileSize() < before) {
        freeBitmap();
        freeMask();
        return true;
    }
    m_data = pixels;
    m_colorMap.setEntries(localEntries);
    m_colorMap.setOptimized(localSorted);
    if (key >= 0)
        m_gce->setTransparentColorIndex(key);
    return false;
}
