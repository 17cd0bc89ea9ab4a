#include "gif/ColorLookup.h"

#include <algorithm>
#include <cstdlib>

namespace {

int usableEntries(const HPALETTE& palette)
{
    return palette ? int(std::min<size_t>(palette->entries.size(), 256)) : 0;
}

} // namespace

TFastColorLookup::TFastColorLookup(const HPALETTE& palette)
    : TColorLookup(usableEntries(palette), TLookupKind::Fast), m_inverse(32768, int16_t(-1))
{
    const int count = colors();
    m_entries.reserve(size_t(std::max(count, 1)));
    for (int i = 0; i < count; ++i) {
        const TPaletteEntry& e = palette->entries[size_t(i)];
        m_entries.push_back(TColorRGB{e.red, e.green, e.blue});
        // An entry claims its own cell only while no earlier entry has: duplicates and
        // near-duplicates resolve to the lowest index.
        int16_t& cell = m_inverse[size_t(cellOf(e.red, e.green, e.blue))];
        if (cell < 0)
            cell = int16_t(i);
    }
    if (m_entries.empty())
        m_entries.push_back(TColorRGB{});
}

int16_t TFastColorLookup::nearest(uint8_t red, uint8_t green, uint8_t blue) const
{
    int best = 0;
    int bestDistance = 3 * 256;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const TColorRGB& e = m_entries[i];
        const int distance = std::abs(red - e.red) + std::abs(green - e.green) + std::abs(blue - e.blue);
        if (distance < bestDistance) { // strict: the first of equal distances wins
            bestDistance = distance;
            best = int(i);
            if (distance == 0)
                break;
        }
    }
    return int16_t(best);
}
