#pragma once
// A copy of a whole animation kept in a temporary GIF file (prefix "~GA") for as long as the
// command that owns it: the file is deleted when the snapshot is destroyed.
//
// The GIF format pads every colour table to a power of two and has no place for the map's
// "optimised" mark beyond a header bit the reader ignores, so a plain write and read would bring
// maps back larger than they were; palette commands undone after a snapshot restore would then
// delete or append the wrong entries. The snapshot therefore keeps each map's exact entry count
// and mark in memory and trims the maps it reads back.
#include "graphics/Graphic.h"

#include <QString>

#include <vector>

class TGIFImage;
class TGIFColorMap;

class TUndoSnapshot
{
public:
    TUndoSnapshot() = default;
    ~TUndoSnapshot();
    TUndoSnapshot(const TUndoSnapshot&) = delete;
    TUndoSnapshot& operator=(const TUndoSnapshot&) = delete;

    // Copies the image and writes the copy to a new temporary file. Failures (no temporary name,
    // a full disk, an image the writer refuses) pass out and leave no file behind.
    void write(TGIFImage& image, const TProgressEvent& progress = {});
    // Reads the file into image (which is cleared first) with the exact colour maps.
    void read(TGIFImage& image, const TProgressEvent& progress = {}) const;

    const QString& fileName() const { return m_fileName; }

private:
    struct TMapState
    {
        int count = 0;
        bool optimized = false;
    };
    static TMapState stateOf(const TGIFColorMap& map);
    static void restore(TGIFColorMap& map, const TMapState& state);

    QString m_fileName;
    TMapState m_global;
    std::vector<TMapState> m_local; // one per frame, in frame order
};
