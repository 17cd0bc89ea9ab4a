#pragma once
// Merging every colour map of an image into one global map: per-map histograms of use, pruning
// of unused entries, folding of equal colours, and nearest-colour mapping of what does not fit.
#include "gif/GIFColorMap.h"

#include <memory>
#include <vector>

struct THistogramEntry
{
    int64_t count = 0;
    int index = 0;      // index in its own map
    int newIndex = 256; // 256: not placed yet
    TGIFColor color;
    THistogramEntry* mergedInto = nullptr;
};

// The use of one colour map by the frames that index it.
class THistogram
{
public:
    THistogram(TGIFColorMap& map);

    TGIFColorMap& map() const { return *m_map; }
    const std::vector<TGIFSubImage*>& frames() const { return m_frames; }
    // Counts the frame's pixels (not its transparent ones); returns whether it has any
    // transparent pixel. Pixels beyond the map are set to 0 with a warning.
    bool addFrame(TGIFSubImage* frame);
    // Sorts by use and keeps only used entries; returns them.
    std::vector<THistogramEntry*> prune();
    // Old index → new index (0 for entries that were never placed).
    std::vector<int> indexMap() const;

private:
    TGIFColorMap* m_map;
    std::vector<THistogramEntry> m_entries;
    std::vector<TGIFSubImage*> m_frames;
};

class TColorMapOptimizer
{
public:
    explicit TColorMapOptimizer(TGIFImage& image) : m_image(image) {}
    // Runs the whole merge; the caller stops painting and holds the painter lock.
    void optimize();

private:
    void analyze();
    void buildTable(std::vector<THistogramEntry*>& all);
    void remap();

    TGIFImage& m_image;
    std::vector<std::unique_ptr<THistogram>> m_histograms;
    bool m_transparency = false;
    std::vector<TGIFColor> m_newTable;
    int m_newTransparentIndex = -1;
};
