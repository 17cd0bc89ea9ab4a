#pragma once
// GIF colour tables: up to 256 red-green-blue entries. The global map belongs to the header,
// a local map to its frame. Pixel values are not checked against a map when it changes.
#include "gif/GIFTypes.h"
#include "graphics/Graphic.h"

#include <vector>

class TStream;

struct TGIFColor
{
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const TGIFColor&) const = default;
    TColor value() const { return rgbColor(red, green, blue); }
    static TGIFColor fromValue(TColor color)
    {
        return {uint8_t(color), uint8_t(color >> 8), uint8_t(color >> 16)};
    }
};

constexpr int GIFMaxColors = 256;

class TGIFColorMap : public TPersistent
{
public:
    TGIFColorMap() = default;
    TGIFColorMap(const TGIFColorMap&) = delete;
    TGIFColorMap& operator=(const TGIFColorMap&) = delete;

    void clear();
    // Makes room for n entries: 16 when n ≤ 16, else n rounded up to 32; never above 256.
    void allocate(int n);
    int count() const { return m_count; }
    int capacity() const { return m_capacity; }
    // The sorted mark: set by optimisation, cleared by add and delete, copied by assign.
    bool optimized() const { return m_optimized; }
    void setOptimized(bool value) { m_optimized = value; }
    int bitsPerPixel() const;

    int indexOf(TColor color) const;
    int add(TColor color);
    int addUnique(TColor color);
    void deleteAt(int index);
    // Reading an index outside the map warns and reads index 0; an empty map raises.
    TColor color(int index);
    void setColor(int index, TColor color);
    // Unchecked access for code that has validated the index.
    const TGIFColor& entry(int index) const { return m_entries[size_t(index)]; }
    const std::vector<TGIFColor>& entries() const { return m_entries; }

    void importPalette(const HPALETTE& palette);
    // Colour quads in blue, green, red, reserved order.
    void importQuads(const uint8_t* quads, int count);
    // count red-green-blue triples.
    void importMap(const uint8_t* rgb, int count);
    // Replaces the whole table (used by the map merger); count ≤ 256.
    void setEntries(const std::vector<TGIFColor>& entries);
    HPALETTE exportPalette() const;

    void assign(const TPersistent* source) override;
    // Reads count entries (exact read) and writes the table padded to 2^bits entries.
    void loadFromStream(TStream& stream, int count);
    void saveToStream(TStream& stream) const;

    virtual void warning(int severity, const QString& message) = 0;
    // Counts the pixels of every frame that uses this map; values at or above the count are
    // not counted.
    virtual std::vector<int64_t> buildHistogram();
    // Sends every pixel of the frames concerned through map (values outside map become 0) and
    // remaps transparent indexes of transparent frames.
    virtual void mapImages(const std::vector<int>& map);
    // Sorts by use and drops unused trailing entries; false when nothing was attempted.
    virtual bool optimize();
    virtual void changed() = 0;

protected:
    // The frames whose pixels index this map.
    virtual std::vector<TGIFSubImage*> framesConcerned() const = 0;

private:
    std::vector<TGIFColor> m_entries; // size() == m_count; capacity tracked separately
    int m_count = 0;
    int m_capacity = 0;
    bool m_optimized = false;
};

class TGIFGlobalColorMap : public TGIFColorMap
{
public:
    explicit TGIFGlobalColorMap(TGIFHeader* header) : m_header(header) {}
    TGIFHeader* header() const { return m_header; }
    void warning(int severity, const QString& message) override;
    bool optimize() override;
    void changed() override;

protected:
    std::vector<TGIFSubImage*> framesConcerned() const override;

private:
    TGIFHeader* m_header;
};

class TGIFLocalColorMap : public TGIFColorMap
{
public:
    explicit TGIFLocalColorMap(TGIFSubImage* subImage) : m_subImage(subImage) {}
    TGIFSubImage* subImage() const { return m_subImage; }
    void warning(int severity, const QString& message) override;
    void changed() override;

protected:
    std::vector<TGIFSubImage*> framesConcerned() const override;

private:
    TGIFSubImage* m_subImage;
};
