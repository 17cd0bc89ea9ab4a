#include "gif/GIFColorMapOptimizer.h"

#include "gif/GIFImage.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

THistogram::THistogram(TGIFColorMap& map) : m_map(&map), m_entries(size_t(map.count()))
{
    for (int i = 0; i < map.count(); ++i) {
        m_entries[size_t(i)].index = i;
        m_entries[size_t(i)].color = map.entry(i);
    }
}

bool THistogram::addFrame(TGIFSubImage* frame)
{
    m_frames.push_back(frame);
    const int transparentIndex = frame->transparentIndex();
    const int count = int(m_entries.size());
    bool sawTransparent = false;
    bool warned = false;
    uint8_t* pixels = frame->data();
    for (int64_t i = 0; pixels && i < frame->dataSize(); ++i) {
        if (pixels[i] == transparentIndex) {
            sawTransparent = true;
            continue;
        }
        if (pixels[i] >= count) {
            if (!warned) // once per frame: a broken frame would otherwise flood the handler
                frame->warning(1, QString::fromLatin1(gifmsg::ColorNotInTable));
            warned = true;
            pixels[i] = 0;
        }
        if (++m_entries[pixels[i]].count >= INT_MAX)
            break;
    }
    return sawTransparent;
}

std::vector<THistogramEntry*> THistogram::prune()
{
    std::vector<THistogramEntry*> kept;
    for (THistogramEntry& entry : m_entries)
        kept.push_back(&entry);
    std::stable_sort(kept.begin(), kept.end(),
                     [](const THistogramEntry* a, const THistogramEntry* b) { return a->count > b->count; });
    const auto firstUnused =
        std::find_if(kept.begin(), kept.end(), [](const THistogramEntry* e) { return e->count == 0; });
    kept.erase(firstUnused, kept.end());
    return kept;
}

std::vector<int> THistogram::indexMap() const
{
    std::vector<int> map(m_entries.size(), 0);
    for (const THistogramEntry& entry : m_entries)
        map[size_t(entry.index)] = entry.newIndex < 256 ? entry.newIndex : 0;
    return map;
}

void TColorMapOptimizer::analyze()
{
    TGIFImageList& frames = m_image.images();
    TGIFGlobalColorMap& global = m_image.globalColorMap();
    auto addFrame = [this](THistogram& histogram, TGIFSubImage* frame) {
        const bool sawTransparent = histogram.addFrame(frame);
        if (frame->transparent() && !sawTransparent && frame->graphicControlExtension()) {
            frame->graphicControlExtension()->setTransparent(false);
            frame->graphicControlExtension()->setTransparentColorIndex(0);
        }
        m_transparency = m_transparency || sawTransparent;
    };
    if (global.count() > 0) {
        auto histogram = std::make_unique<THistogram>(global);
        for (int i = 0; i < frames.count(); ++i) {
            TGIFSubImage* frame = frames.subImage(i);
            if (!frame->empty() && frame->colorMap().count() == 0)
                addFrame(*histogram, frame);
        }
        if (!histogram->frames().empty())
            m_histograms.push_back(std::move(histogram));
    }
    for (int i = 0; i < frames.count(); ++i) {
        TGIFSubImage* frame = frames.subImage(i);
        if (frame->empty() || frame->colorMap().count() == 0)
            continue;
        auto histogram = std::make_unique<THistogram>(frame->colorMap());
        addFrame(*histogram, frame);
        m_histograms.push_back(std::move(histogram));
    }
}

void TColorMapOptimizer::buildTable(std::vector<THistogramEntry*>& all)
{
    // Fold equal colours into one survivor.
    std::stable_sort(all.begin(), all.end(), [](const THistogramEntry* a, const THistogramEntry* b) {
        return a->color.value() < b->color.value();
    });
    THistogramEntry* survivor = nullptr;
    for (THistogramEntry* entry : all) {
        if (survivor && survivor->color == entry->color) {
            survivor->count += entry->count;
            entry->count = 0;
            entry->mergedInto = survivor;
        } else {
            survivor = entry;
        }
    }
    std::stable_sort(all.begin(), all.end(),
                     [](const THistogramEntry* a, const THistogramEntry* b) { return a->count > b->count; });
    const int used =
        int(std::count_if(all.begin(), all.end(), [](const THistogramEntry* e) { return e->count > 0; }));
    const int finalCount = std::min(used, m_transparency ? 255 : 256);
    for (int i = 0; i < finalCount; ++i) {
        all[size_t(i)]->newIndex = i;
        m_newTable.push_back(all[size_t(i)]->color);
    }
    // Colours that did not fit go to the kept colour with the closest red + green + blue sum.
    auto sum = [](const TGIFColor& c) {
        return int(c.red) + c.green + c.blue;
    };
    for (size_t i = size_t(finalCount); i < all.size(); ++i) {
        if (all[i]->count == 0)
            continue;
        int best = 0;
        int bestDistance = INT_MAX;
        for (int k = 0; k < finalCount; ++k) {
            const int distance = std::abs(sum(m_newTable[size_t(k)]) - sum(all[i]->color));
            if (distance < bestDistance) {
                bestDistance = distance;
                best = k;
            }
        }
        all[i]->newIndex = best;
    }
    for (THistogramEntry* entry : all)
        if (entry->count == 0 && entry->mergedInto)
            entry->newIndex = entry->mergedInto->newIndex;
    if (m_transparency) {
        m_newTransparentIndex = int(m_newTable.size());
        m_newTable.push_back({0, 0, 0});
    }
}

void TColorMapOptimizer::remap()
{
    for (const auto& histogram : m_histograms) {
        const std::vector<int> map = histogram->indexMap();
        for (TGIFSubImage* frame : histogram->frames()) {
            const int oldTransparent = m_transparency ? frame->transparentIndex() : -1;
            uint8_t* pixels = frame->data();
            for (int64_t i = 0; pixels && i < frame->dataSize(); ++i) {
                if (pixels[i] == oldTransparent)
                    pixels[i] = uint8_t(m_newTransparentIndex);
                else
                    pixels[i] = pixels[i] < map.size() ? uint8_t(map[pixels[i]]) : 0;
            }
            if (oldTransparent >= 0)
                frame->graphicControlExtension()->setTransparentColorIndex(m_newTransparentIndex);
        }
    }
}

void TColorMapOptimizer::optimize()
{
    analyze();
    // Nothing indexes any map (no frame holds pixels): keep the maps as they are rather than
    // replacing the global map by an empty one.
    if (m_histograms.empty())
        return;
    std::vector<THistogramEntry*> all;
    for (const auto& histogram : m_histograms) {
        const std::vector<THistogramEntry*> kept = histogram->prune();
        all.insert(all.end(), kept.begin(), kept.end());
    }
    buildTable(all);
    TGIFImageList& frames = m_image.images();
    for (int i = 0; i < frames.count(); ++i)
        frames.subImage(i)->colorMap().clear();
    TGIFGlobalColorMap& global = m_image.globalColorMap();
    global.setEntries(m_newTable);
    global.setOptimized(true);
    remap();
    for (int i = 0; i < frames.count(); ++i) {
        frames.subImage(i)->freeBitmap();
        frames.subImage(i)->freeMask();
        frames.subImage(i)->freePalette();
    }
    global.changed();
}

void TGIFImage::optimizeColorMaps()
{
    stopPainting();
    std::lock_guard<std::recursive_mutex> lock(m_paintersLock);
    TColorMapOptimizer(*this).optimize();
}
