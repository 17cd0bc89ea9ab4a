#include "gif/Ditherers.h"

#include <algorithm>

namespace {

inline int clampByte(int value)
{
    return value < 0 ? 0 : (value > 255 ? 255 : value);
}

} // namespace

// Runs the rest of a row with the ditherer's step specialised for the concrete lookup class.
struct TDitherRowRunner
{
    template <class D, class L>
    static void run(D& d, L& lookup, const uint8_t* bgr, uint8_t* indexes, const uint8_t* skipMask)
    {
        TColorRGB chosen;
        while (d.m_column >= 0 && d.m_column < d.m_width) {
            const int x = d.m_column;
            if (skipMask && skipMask[x]) {
                d.D::advance();
                continue;
            }
            const uint8_t* pixel = bgr + 3 * size_t(x);
            indexes[x] = d.template step<L>(lookup, pixel[2], pixel[1], pixel[0], chosen);
        }
    }

    template <class D>
    static void dispatch(D& d, const uint8_t* bgr, uint8_t* indexes, const uint8_t* skipMask)
    {
        TColorLookup& lookup = *d.m_lookup;
        switch (lookup.kind()) {
        case TLookupKind::Fast:
            run(d, static_cast<TFastColorLookup&>(lookup), bgr, indexes, skipMask);
            break;
        case TLookupKind::Netscape:
            run(d, static_cast<TNetscapeColorLookup&>(lookup), bgr, indexes, skipMask);
            break;
        case TLookupKind::GrayScale:
            run(d, static_cast<TGrayScaleLookup&>(lookup), bgr, indexes, skipMask);
            break;
        case TLookupKind::Monochrome:
            run(d, static_cast<TMonochromeLookup&>(lookup), bgr, indexes, skipMask);
            break;
        case TLookupKind::Other:
            run(d, lookup, bgr, indexes, skipMask);
            break;
        }
    }
};

// ---- nearest colour ----

TDitherEngine::TDitherEngine(TColorLookup* lookup, int width) : m_lookup(lookup), m_width(std::max(width, 0))
{
}

template <class L>
uint8_t TDitherEngine::step(L& lookup, uint8_t red, uint8_t green, uint8_t blue, TColorRGB& chosen)
{
    const uint8_t index = lookup.lookup(red, green, blue, chosen);
    advance();
    return index;
}

uint8_t TDitherEngine::dither(uint8_t red, uint8_t green, uint8_t blue, TColorRGB& chosen)
{
    if (!insideRow())
        return m_lookup->lookup(red, green, blue, chosen);
    return step(*m_lookup, red, green, blue, chosen);
}

void TDitherEngine::nextLine()
{
    m_direction = -m_direction;
    m_column = m_direction > 0 ? 0 : m_width - 1;
}

void TDitherEngine::skip()
{
    if (insideRow())
        advance();
}

void TDitherEngine::ditherRow(const uint8_t* bgr, uint8_t* indexes, const uint8_t* skipMask)
{
    TDitherRowRunner::dispatch(*this, bgr, indexes, skipMask);
}

// ---- Floyd-Steinberg ----

TFloydSteinbergDitherer::TFloydSteinbergDitherer(TColorLookup* lookup, int width)
    : TDitherEngine(lookup, width), m_errors((size_t(m_width) + 2) * 3, 0)
{
}

template <class L>
uint8_t TFloydSteinbergDitherer::step(L& lookup, uint8_t red, uint8_t green, uint8_t blue, TColorRGB& chosen)
{
    int* cell = m_errors.data() + size_t(m_position) * 3;
    const int value[3] = {clampByte(red + (cell[0] + m_current[0] + 8) / 16),
                          clampByte(green + (cell[1] + m_current[1] + 8) / 16),
                          clampByte(blue + (cell[2] + m_current[2] + 8) / 16)};
    const uint8_t index = lookup.lookup(uint8_t(value[0]), uint8_t(value[1]), uint8_t(value[2]), chosen);
    const int chosenValue[3] = {chosen.red, chosen.green, chosen.blue};
    for (size_t c = 0; c < 3; ++c) {
        const int e = value[c] - chosenValue[c];
        if (e != 0) {
            cell[c] = m_belowPrevious[c] + 3 * e;
            m_belowPrevious[c] = m_below[c] + 5 * e;
            m_below[c] = e;
            m_current[c] = 7 * e;
        } else {
            // Nothing to diffuse: the cell keeps what it holds and the sums below stay put.
            m_current[c] = 0;
        }
    }
    advance();
    return index;
}

uint8_t TFloydSteinbergDitherer::dither(uint8_t red, uint8_t green, uint8_t blue, TColorRGB& chosen)
{
    if (!insideRow())
        return m_lookup->lookup(red, green, blue, chosen);
    return step(*m_lookup, red, green, blue, chosen);
}

void TFloydSteinbergDitherer::nextLine()
{
    // The position is always inside 0 ... width + 1: it starts at a cell of the row and moves
    // only together with an in-row column.
    int* cell = m_errors.data() + size_t(m_position) * 3;
    for (size_t c = 0; c < 3; ++c) {
        cell[c] = m_belowPrevious[c];
        m_current[c] = m_below[c] = m_belowPrevious[c] = 0;
    }
    TDitherEngine::nextLine();
    m_position = m_direction > 0 ? 0 : m_width + 1;
}

void TFloydSteinbergDitherer::skip()
{
    if (insideRow())
        advance();
}

void TFloydSteinbergDitherer::ditherRow(const uint8_t* bgr, uint8_t* indexes, const uint8_t* skipMask)
{
    TDitherRowRunner::dispatch(*this, bgr, indexes, skipMask);
}

// ---- kernel ditherers ----

TErrorRows::TErrorRows(int rows, int spare, int width)
    : m_spare(spare), m_storage(size_t(rows) * (size_t(width) + 2 * size_t(spare)) * 3, 0),
      m_rowSize((size_t(width) + 2 * size_t(spare)) * 3)
{
    for (int i = 0; i < rows; ++i)
        m_rows.push_back(m_storage.data() + size_t(i) * m_rowSize);
}

void TErrorRows::rotate()
{
    std::fill_n(m_rows.front(), m_rowSize, 0);
    std::rotate(m_rows.begin(), m_rows.begin() + 1, m_rows.end());
}

TKernelDitherer::TKernelDitherer(TColorLookup* lookup, int width, int rows, int spare, int divisor,
                                 std::vector<TDiffusionTap> taps)
    : TDitherEngine(lookup, width), m_rows(rows, spare, m_width), m_divisor(divisor), m_taps(std::move(taps))
{
    // Taps that add nothing cost time in the inner loop only.
    std::erase_if(m_taps, [](const TDiffusionTap& t) { return t.weight == 0; });
}

template <class L>
uint8_t TKernelDitherer::step(L& lookup, uint8_t red, uint8_t green, uint8_t blue, TColorRGB& chosen)
{
    const int position = m_column + m_rows.spare();
    const int* cell = m_rows.row(0) + size_t(position) * 3;
    const int half = m_divisor / 2;
    const int value[3] = {clampByte(red + (cell[0] + half) / m_divisor),
                          clampByte(green + (cell[1] + half) / m_divisor),
                          clampByte(blue + (cell[2] + half) / m_divisor)};
    const uint8_t index = lookup.lookup(uint8_t(value[0]), uint8_t(value[1]), uint8_t(value[2]), chosen);
    const int e[3] = {value[0] - chosen.red, value[1] - chosen.green, value[2] - chosen.blue};
    // Adding weight * 0 is the same as distributing nothing, so a zero error needs no branch.
    if (e[0] | e[1] | e[2]) {
        for (const TDiffusionTap& tap : m_taps) {
            int* target = m_rows.row(tap.row) + size_t(position + tap.offset * m_direction) * 3;
            target[0] += tap.weight * e[0];
            target[1] += tap.weight * e[1];
            target[2] += tap.weight * e[2];
        }
    }
    advance();
    return index;
}

uint8_t TKernelDitherer::dither(uint8_t red, uint8_t green, uint8_t blue, TColorRGB& chosen)
{
    if (!insideRow())
        return m_lookup->lookup(red, green, blue, chosen);
    return step(*m_lookup, red, green, blue, chosen);
}

void TKernelDitherer::nextLine()
{
    m_rows.rotate();
    TDitherEngine::nextLine();
}

void TKernelDitherer::skip()
{
    if (insideRow())
        advance();
}

void TKernelDitherer::ditherRow(const uint8_t* bgr, uint8_t* indexes, const uint8_t* skipMask)
{
    TDitherRowRunner::dispatch(*this, bgr, indexes, skipMask);
}

namespace {

std::vector<TDiffusionTap> fiveWideTaps(std::array<int, 2> row0, std::array<int, 5> row1,
                                        std::array<int, 5> row2)
{
    std::vector<TDiffusionTap> taps = {{0, 1, row0[0]}, {0, 2, row0[1]}};
    for (int i = 0; i < 5; ++i) {
        taps.push_back({1, i - 2, row1[size_t(i)]});
        taps.push_back({2, i - 2, row2[size_t(i)]});
    }
    return taps;
}

} // namespace

T5by3Ditherer::T5by3Ditherer(TColorLookup* lookup, int width, int divisor, std::array<int, 2> row0,
                             std::array<int, 5> row1, std::array<int, 5> row2)
    : TKernelDitherer(lookup, width, 3, 2, divisor, fiveWideTaps(row0, row1, row2))
{
}

TStuckiDitherer::TStuckiDitherer(TColorLookup* lookup, int width)
    : T5by3Ditherer(lookup, width, 42, {8, 4}, {2, 4, 8, 4, 2}, {1, 2, 4, 2, 1})
{
}

TSierraDitherer::TSierraDitherer(TColorLookup* lookup, int width)
    : T5by3Ditherer(lookup, width, 32, {5, 3}, {2, 4, 5, 4, 2}, {0, 2, 3, 2, 0})
{
}

TJaJuNiDitherer::TJaJuNiDitherer(TColorLookup* lookup, int width)
    : T5by3Ditherer(lookup, width, 48, {7, 5}, {3, 5, 7, 5, 3}, {1, 3, 5, 3, 1})
{
}

TSteveArcheDitherer::TSteveArcheDitherer(TColorLookup* lookup, int width)
    : TKernelDitherer(lookup, width, 4, 3, 200,
                      {{0, 2, 32},
                       {1, -3, 12},
                       {1, -1, 26},
                       {1, 1, 30},
                       {1, 3, 16},
                       {2, -2, 12},
                       {2, 0, 26},
                       {2, 2, 12},
                       {3, -3, 5},
                       {3, -1, 12},
                       {3, 1, 12},
                       {3, 3, 5}})
{
}

TBurkesDitherer::TBurkesDitherer(TColorLookup* lookup, int width)
    : TKernelDitherer(lookup, width, 2, 2, 32,
                      {{0, 1, 8}, {0, 2, 4}, {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2}})
{
}

std::unique_ptr<TDitherEngine> createDitherer(uint8_t ditherMode, TColorLookup* lookup, int width)
{
    if (!lookup)
        return nullptr;
    switch (ditherMode) {
    case 0:
        return std::make_unique<TDitherEngine>(lookup, width);
    case 1:
        return std::make_unique<TFloydSteinbergDitherer>(lookup, width);
    case 2:
        return std::make_unique<TStuckiDitherer>(lookup, width);
    case 3:
        return std::make_unique<TSierraDitherer>(lookup, width);
    case 4:
        return std::make_unique<TJaJuNiDitherer>(lookup, width);
    case 5:
        return std::make_unique<TSteveArcheDitherer>(lookup, width);
    case 6:
        return std::make_unique<TBurkesDitherer>(lookup, width);
    default:
        return nullptr;
    }
}
