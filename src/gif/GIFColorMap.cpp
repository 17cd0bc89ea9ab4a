#include "gif/GIFColorMap.h"

#include "gif/GIFException.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFHeader.h"
#include "gif/GIFImage.h"
#include "gif/GIFStreamIO.h"
#include "gif/GIFSubImage.h"
#include "graphics/Streams.h"

#include <algorithm>

void TGIFColorMap::clear()
{
    m_entries.clear();
    m_entries.shrink_to_fit();
    m_count = 0;
    m_capacity = 0;
    m_optimized = false;
}

void TGIFColorMap::allocate(int n)
{
    if (n < m_capacity)
        return;
    const int capacity = n <= 16 ? 16 : (n + 31) / 32 * 32;
    m_capacity = std::min(capacity, GIFMaxColors);
    m_entries.reserve(size_t(m_capacity));
}

int TGIFColorMap::bitsPerPixel() const
{
    if (m_count == 0)
        return 0;
    int bits = 1;
    while ((1 << bits) < m_count)
        ++bits;
    return bits;
}

int TGIFColorMap::indexOf(TColor color) const
{
    const TGIFColor wanted = TGIFColor::fromValue(color);
    // A sorted map has its most used colours first, so the first match is the best one; an
    // unsorted map prefers the latest addition.
    if (m_optimized) {
        for (int i = 0; i < m_count; ++i)
            if (m_entries[size_t(i)] == wanted)
                return i;
    } else {
        for (int i = m_count - 1; i >= 0; --i)
            if (m_entries[size_t(i)] == wanted)
                return i;
    }
    return -1;
}

int TGIFColorMap::add(TColor color)
{
    if (m_count >= GIFMaxColors)
        throw GIFException(QStringLiteral("Color table overflow"));
    allocate(m_count + 1);
    m_entries.push_back(TGIFColor::fromValue(color));
    ++m_count;
    m_optimized = false;
    changed();
    return m_count - 1;
}

int TGIFColorMap::addUnique(TColor color)
{
    const int index = indexOf(color);
    return index >= 0 ? index : add(color);
}

void TGIFColorMap::deleteAt(int index)
{
    if (index < 0 || index >= m_count)
        throw GIFException(QString::fromLatin1(gifmsg::InvalidColorIndex));
    m_entries.erase(m_entries.begin() + index);
    --m_count;
    m_optimized = false;
    changed();
}

TColor TGIFColorMap::color(int index)
{
    if (index < 0 || index >= m_count) {
        warning(1, QString::fromLatin1(gifmsg::InvalidColorIndex));
        if (m_count == 0)
            throw GIFException(QStringLiteral("Color table is empty"));
        index = 0;
    }
    return m_entries[size_t(index)].value();
}

void TGIFColorMap::setColor(int index, TColor color)
{
    if (index < 0 || index >= m_count)
        throw GIFException(QString::fromLatin1(gifmsg::InvalidColorIndex));
    m_entries[size_t(index)] = TGIFColor::fromValue(color);
    changed();
}

void TGIFColorMap::setEntries(const std::vector<TGIFColor>& entries)
{
    clear();
    const int n = std::min<int>(int(entries.size()), GIFMaxColors);
    allocate(n);
    m_entries.assign(entries.begin(), entries.begin() + n);
    m_count = n;
}

void TGIFColorMap::importPalette(const HPALETTE& palette)
{
    clear();
    if (palette) {
        const int n = std::min<int>(int(palette->entries.size()), GIFMaxColors);
        allocate(n);
        for (int i = 0; i < n; ++i) {
            const TPaletteEntry& e = palette->entries[size_t(i)];
            m_entries.push_back({e.red, e.green, e.blue});
        }
        m_count = n;
    }
    changed();
}

void TGIFColorMap::importQuads(const uint8_t* quads, int count)
{
    clear();
    const int n = std::clamp(count, 0, GIFMaxColors);
    allocate(n);
    for (int i = 0; i < n; ++i)
        m_entries.push_back({quads[4 * i + 2], quads[4 * i + 1], quads[4 * i]});
    m_count = n;
    changed();
}

void TGIFColorMap::importMap(const uint8_t* rgb, int count)
{
    clear();
    const int n = std::clamp(count, 0, GIFMaxColors);
    allocate(n);
    for (int i = 0; i < n; ++i)
        m_entries.push_back({rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]});
    m_count = n;
    changed();
}

HPALETTE TGIFColorMap::exportPalette() const
{
    if (m_count == 0)
        return {};
    std::vector<TPaletteEntry> entries;
    entries.reserve(size_t(m_count));
    for (const TGIFColor& c : m_entries)
        entries.push_back({c.red, c.green, c.blue, PC_NOCOLLAPSE});
    return createPalette(std::move(entries));
}

void TGIFColorMap::assign(const TPersistent* source)
{
    if (const auto* map = dynamic_cast<const TGIFColorMap*>(source)) {
        if (map == this)
            return;
        m_capacity = map->m_capacity;
        m_count = map->m_count;
        m_optimized = map->m_optimized;
        m_entries = map->m_entries;
        changed();
        return;
    }
    TPersistent::assign(source);
}

void TGIFColorMap::loadFromStream(TStream& stream, int count)
{
    clear();
    const int n = std::clamp(count, 0, GIFMaxColors);
    uint8_t rgb[3 * GIFMaxColors];
    gifio::readExact(stream, rgb, 3 * n);
    allocate(n);
    for (int i = 0; i < n; ++i)
        m_entries.push_back({rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]});
    m_count = n;
}

void TGIFColorMap::saveToStream(TStream& stream) const
{
    const int padded = m_count == 0 ? 0 : 1 << bitsPerPixel();
    uint8_t rgb[3 * GIFMaxColors] = {};
    for (int i = 0; i < m_count; ++i) {
        rgb[3 * i] = m_entries[size_t(i)].red;
        rgb[3 * i + 1] = m_entries[size_t(i)].green;
        rgb[3 * i + 2] = m_entries[size_t(i)].blue;
    }
    stream.writeBuffer(rgb, 3 * padded);
}

std::vector<int64_t> TGIFColorMap::buildHistogram()
{
    std::vector<int64_t> counts(size_t(m_count), 0);
    for (TGIFSubImage* frame : framesConcerned()) {
        const uint8_t* pixels = frame->data();
        for (int64_t i = 0; pixels && i < frame->dataSize(); ++i)
            if (pixels[i] < m_count)
                ++counts[pixels[i]];
    }
    return counts;
}

void TGIFColorMap::mapImages(const std::vector<int>& map)
{
    // A value past the map (typically a transparent index one past the table) stays past it:
    // the new map is never longer than the old one, so it keeps showing what it showed.
    auto mapped = [&map](int value) {
        return value < int(map.size()) ? uint8_t(map[size_t(value)]) : uint8_t(value);
    };
    for (TGIFSubImage* frame : framesConcerned()) {
        uint8_t* pixels = frame->data();
        for (int64_t i = 0; pixels && i < frame->dataSize(); ++i)
            pixels[i] = mapped(pixels[i]);
        TGIFGraphicControlExtension* gce = frame->graphicControlExtension();
        if (frame->transparent() && gce && gce->transparentColorIndex() < int(map.size()))
            gce->setTransparentColorIndex(mapped(gce->transparentColorIndex()));
        frame->freeBitmap();
        frame->freeMask();
    }
}

bool TGIFColorMap::optimize()
{
    if (m_count <= 1)
        return false;
    m_optimized = true;
    const std::vector<int64_t> counts = buildHistogram();
    std::vector<int> order(static_cast<size_t>(m_count));
    for (int i = 0; i < m_count; ++i)
        order[size_t(i)] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&counts](int a, int b) { return counts[size_t(a)] > counts[size_t(b)]; });
    bool unchanged = true;
    for (int i = 0; i < m_count; ++i)
        unchanged = unchanged && order[size_t(i)] == i;
    // Already in order of use: unused entries stay, so nothing needs remapping.
    if (unchanged)
        return true;
    std::vector<int> map(static_cast<size_t>(m_count));
    for (int position = 0; position < m_count; ++position)
        map[size_t(order[size_t(position)])] = position;
    mapImages(map);
    std::vector<TGIFColor> reordered;
    int newCount = m_count;
    for (int position = 0; position < m_count; ++position) {
        if (counts[size_t(order[size_t(position)])] == 0 && newCount == m_count)
            newCount = position;
        reordered.push_back(m_entries[size_t(order[size_t(position)])]);
    }
    reordered.resize(size_t(newCount));
    m_entries = std::move(reordered);
    m_count = newCount;
    changed();
    return true;
}

// ---- TGIFGlobalColorMap

void TGIFGlobalColorMap::warning(int severity, const QString& message)
{
    if (m_header && m_header->image())
        m_header->image()->warning(this, severity, message);
}

bool TGIFGlobalColorMap::optimize()
{
    if (!m_header || !m_header->image() || m_header->image()->images().count() == 0)
        return false;
    return TGIFColorMap::optimize();
}

void TGIFGlobalColorMap::changed()
{
    if (m_header && m_header->image()) {
        // The image's exported palette and composed picture show the old colours; the frames'
        // renderings notice the change themselves (their fingerprint covers this map).
        m_header->image()->setPalette(nullptr);
        m_header->image()->changed(m_header->image());
    }
}

std::vector<TGIFSubImage*> TGIFGlobalColorMap::framesConcerned() const
{
    std::vector<TGIFSubImage*> frames;
    if (!m_header || !m_header->image())
        return frames;
    TGIFImageList& list = m_header->image()->images();
    for (int i = 0; i < list.count(); ++i)
        if (&list.subImage(i)->activeColorMap() == this)
            frames.push_back(list.subImage(i));
    return frames;
}

// ---- TGIFLocalColorMap

void TGIFLocalColorMap::warning(int severity, const QString& message)
{
    if (m_subImage && m_subImage->image())
        m_subImage->image()->warning(this, severity, message);
}

void TGIFLocalColorMap::changed()
{
    if (!m_subImage)
        return;
    m_subImage->freePalette();
    m_subImage->freeBitmap();
}

std::vector<TGIFSubImage*> TGIFLocalColorMap::framesConcerned() const
{
    if (!m_subImage)
        return {};
    return {m_subImage};
}
