#pragma once
// Ditherers: send the pixels of a picture, row by row in serpentine order, through a colour
// lookup, diffusing each pixel's quantisation error over pixels not yet visited.
//
// Scan order: row 0 runs left to right, each nextLine() flips the direction and puts the column
// at the first pixel of the new direction (0 or width - 1). dither() handles the pixel at
// column() and advances by direction(); skip() only advances (a pixel that must keep its own
// value, e.g. a transparent one). ditherRow() does the rest of a row in one call and is the
// fast path: it picks a loop specialised for the lookup's class once per row, so the inner
// loop makes no virtual call.
//
// The error-diffusion ditherers add error rows per channel, allocated once at construction.
// Values sent to the lookup are channel + round(accumulated error / divisor), where the
// rounding adds half the divisor and divides truncating toward zero, clamped to 0 ... 255; the
// error passed on is that value minus the chosen entry's channel.
//
// The lookup is not owned and must outlive the ditherer. One thread at a time.
#include "gif/ColorLookup.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class TDitherEngine : public TObject
{
public:
    // Nearest colour without error diffusion. width < 0 is taken as 0.
    TDitherEngine(TColorLookup* lookup, int width);

    // Dithers the pixel at column() and advances. Outside the row (column() not in
    // 0 ... width - 1) the colour is only looked up: nothing is diffused and nothing moves.
    virtual uint8_t dither(uint8_t red, uint8_t green, uint8_t blue, TColorRGB& chosen);
    virtual void nextLine();
    // Passes over the pixel at column() without looking it up or changing any error.
    virtual void skip();
    // From column() to the end of the row in the scan direction: dithers the pixel x of bgr
    // (3 bytes per pixel, blue first) into indexes[x]; pixels whose skipMask byte is non-zero
    // are skipped and their index left alone. Does not call nextLine().
    virtual void ditherRow(const uint8_t* bgr, uint8_t* indexes, const uint8_t* skipMask = nullptr);

    TColorLookup* lookup() const { return m_lookup; }
    int width() const { return m_width; }
    int column() const { return m_column; }
    int direction() const { return m_direction; }

protected:
    bool insideRow() const { return m_column >= 0 && m_column < m_width; }

    TColorLookup* m_lookup;
    int m_width;
    int m_direction = 1;
    int m_column = 0;

private:
    friend struct TDitherRowRunner;
    template <class L> uint8_t step(L& lookup, uint8_t red, uint8_t green, uint8_t blue, TColorRGB& chosen);
    void advance() { m_column += m_direction; }
};

// Floyd-Steinberg with one error row of width + 2 cells and three running sums per channel, all
// in sixteenths. Pixel x uses cell x scanning left to right and cell x + 2 scanning right to
// left; an error of 0 leaves the cell and the running sums below the row as they are.
class TFloydSteinbergDitherer : public TDitherEngine
{
public:
    TFloydSteinbergDitherer(TColorLookup* lookup, int width);

    uint8_t dither(uint8_t red, uint8_t green, uint8_t blue, TColorRGB& chosen) override;
    void nextLine() override;
    void skip() override;
    void ditherRow(const uint8_t* bgr, uint8_t* indexes, const uint8_t* skipMask = nullptr) override;

private:
    friend struct TDitherRowRunner;
    template <class L> uint8_t step(L& lookup, uint8_t red, uint8_t green, uint8_t blue, TColorRGB& chosen);
    void advance()
    {
        m_column += m_direction;
        m_position += m_direction;
    }

    std::vector<int> m_errors; // (width + 2) cells x 3 channels (red, green, blue)
    int m_position = 0;        // cell of the pixel at m_column
    std::array<int, 3> m_current{};
    std::array<int, 3> m_below{};
    std::array<int, 3> m_belowPrevious{};
};

// A diffusion kernel over several error rows: the contributions of an error e at (row, offset
// ahead in the scan direction) are weight * e, in units of divisor.
struct TDiffusionTap
{
    int row;
    int offset;
    int weight;
};

// Error rows of width + 2 * spare cells per channel, row 0 the current one. Shared state of the
// kernel ditherers; rows rotate at the end of a line (the old current row, cleared, becomes the
// last one).
class TErrorRows
{
public:
    TErrorRows(int rows, int spare, int width);

    int* row(int index) { return m_rows[size_t(index)]; }
    int spare() const { return m_spare; }
    void rotate();

private:
    int m_spare;
    std::vector<int> m_storage;
    std::vector<int*> m_rows;
    size_t m_rowSize;
};

// Common engine of the kernel ditherers (five-wide family, Burkes, Stevenson-Arce).
class TKernelDitherer : public TDitherEngine
{
public:
    uint8_t dither(uint8_t red, uint8_t green, uint8_t blue, TColorRGB& chosen) override;
    void nextLine() override;
    void skip() override;
    void ditherRow(const uint8_t* bgr, uint8_t* indexes, const uint8_t* skipMask = nullptr) override;

protected:
    TKernelDitherer(TColorLookup* lookup, int width, int rows, int spare, int divisor,
                    std::vector<TDiffusionTap> taps);

private:
    friend struct TDitherRowRunner;
    template <class L> uint8_t step(L& lookup, uint8_t red, uint8_t green, uint8_t blue, TColorRGB& chosen);
    void advance() { m_column += m_direction; }

    TErrorRows m_rows;
    int m_divisor;
    std::vector<TDiffusionTap> m_taps;
};

// Five-wide kernels over three error rows (width + 4 cells each).
class T5by3Ditherer : public TKernelDitherer
{
protected:
    // row0 holds the weights at +1, +2; row1 and row2 those at -2 ... +2.
    T5by3Ditherer(TColorLookup* lookup, int width, int divisor, std::array<int, 2> row0,
                  std::array<int, 5> row1, std::array<int, 5> row2);
};

class TStuckiDitherer : public T5by3Ditherer
{
public:
    TStuckiDitherer(TColorLookup* lookup, int width);
};

class TSierraDitherer : public T5by3Ditherer
{
public:
    TSierraDitherer(TColorLookup* lookup, int width);
};

class TJaJuNiDitherer : public T5by3Ditherer
{
public:
    TJaJuNiDitherer(TColorLookup* lookup, int width);
};

// Stevenson-Arce: four error rows of width + 6 cells, divisor 200.
class TSteveArcheDitherer : public TKernelDitherer
{
public:
    TSteveArcheDitherer(TColorLookup* lookup, int width);
};

// Burkes: two error rows of width + 4 cells, divisor 32.
class TBurkesDitherer : public TKernelDitherer
{
public:
    TBurkesDitherer(TColorLookup* lookup, int width);
};

// The ditherer of a dither mode (0 nearest colour, 1 Floyd-Steinberg, 2 Stucki, 3 Sierra,
// 4 Jarvis-Judice-Ninke, 5 Stevenson-Arce, 6 Burkes); null for any other mode.
std::unique_ptr<TDitherEngine> createDitherer(uint8_t ditherMode, TColorLookup* lookup, int width);
