#pragma once
// Device-independent bitmaps for the engine: reading a TBitmap row by row in a chosen pixel
// format, building a DIB row by row with a given palette and loading it into a TBitmap in one
// go, and the size and bits of a bitmap as a DIB (the AVI writer hands those to its stream).
//
// DIB rows are padded to 4 bytes (see dibRowSize). The writer's rows are stored bottom-up, as a
// DIB with a positive height keeps them; row(n) hides that and always means the n-th row from
// the top.
//
// None of these classes own the bitmap or the palette they are given. One thread at a time.
#include "graphics/Bitmap.h"
#include "graphics/Graphic.h"

#include <QByteArray>
#include <cstdint>

// Bytes in one DIB row of pixels pixels of bitsPerPixel bits (rows padded to 32 bits).
int dibRowSize(int pixels, int bitsPerPixel);
// Bits per pixel a DIB of a pixel format has: 1, 4, 8 or 24; anything else raises
// GIFException "Unsupported PixelFormat".
int dibBitsPerPixel(TPixelFormat format);

// Size of the information header without a colour table.
constexpr int dibHeaderSize = 40;

class TDIB : public TObject
{
public:
    TDIB(TBitmap* bitmap, TPixelFormat format) : m_bitmap(bitmap), m_pixelFormat(format) {}

    TBitmap* bitmap() const { return m_bitmap; }
    TPixelFormat pixelFormat() const { return m_pixelFormat; }

protected:
    TBitmap* m_bitmap;
    TPixelFormat m_pixelFormat;
};

// Converts the bitmap itself to the requested format at creation; rows are then the bitmap's
// own scan lines in that format (valid until the bitmap changes size or format).
class TDIBReader : public TDIB
{
public:
    // A null bitmap raises GIFException "Bitmap image is not valid"; pfCustom the bitmap's
    // EInvalidGraphic.
    TDIBReader(TBitmap* bitmap, TPixelFormat format);

    // Row n from the top; outside the bitmap: EInvalidGraphicOperation "Scan line index out of range".
    uint8_t* row(int n);
};

// Builds an 8 or 24-bit DIB in one memory block: file header, information header, colour table
// (8 bits: 256 entries from the palette, zeros after its entries) and rows. The block is made on
// the first row request and loaded into the target bitmap by finish() or, at the latest, by the
// destructor.
class TDIBWriter : public TDIB
{
public:
    // Only pf8bit and pf24bit: others raise GIFException "Unsupported PixelFormat". A width or
    // height of 0, or a negative width, raises GIFException "Invalid image dimensions". A
    // negative height makes a top-down DIB of |height| rows. A null bitmap raises GIFException
    // "Bitmap image is not valid".
    TDIBWriter(TBitmap* bitmap, const HPALETTE& palette, int height, int width, TPixelFormat format);
    // Loads the DIB into the bitmap unless finish() did; errors are lost here (only running out
    // of memory can fail at this point), so callers that must know call finish() first.
    ~TDIBWriter() override;
    TDIBWriter(const TDIBWriter&) = delete;
    TDIBWriter& operator=(const TDIBWriter&) = delete;

    // Row n from the top: rowSize() bytes of DIB packing. n outside 0 ... |height| - 1 raises
    // EInvalidGraphicOperation "Scan line index out of range". The first call allocates the
    // block; failure raises EOutOfMemory "Failed to allocate memory for GIF DIB".
    uint8_t* row(int n);
    // Loads the DIB into the bitmap now (making it first when no row was asked for, all 0).
    // Later calls do nothing.
    void finish();

    int width() const { return m_width; }
    int height() const { return m_height; }
    int rowSize() const { return m_rowSize; }
    // The information header with its colour table (1064 bytes for 8 bits, 40 for 24).
    const QByteArray& header() const { return m_header; }
    int64_t pixelSize() const { return m_pixelSize; }

private:
    void makeDIB();

    HPALETTE m_palette;
    int m_width;
    int m_height;
    int m_rows;
    int m_rowSize;
    int64_t m_pixelSize;
    QByteArray m_header;
    // File header + m_header + pixels; empty until the first row request.
    QByteArray m_block;
    uint8_t* m_pixels = nullptr;
    bool m_finished = false;
};

struct TDIBSizes
{
    int headerSize = 0;    // 40 + 4 × 2^bits for 1, 4 and 8 bits; 40 for 24 bits
    int64_t pixelSize = 0; // row size × |height|
};

// The sizes of a bitmap as a DIB in a format (pf1bit, pf4bit, pf8bit, pf24bit). A null bitmap
// raises GIFException "Bitmap image is not valid"; other formats "Unsupported PixelFormat".
TDIBSizes dibSizes(HBITMAP bitmap, TPixelFormat format);

// The bitmap as a DIB in a format: header receives the 40-byte information header (planes 1,
// compression 0, image size = pixel size) and the colour table of 2^bits entries for indexed
// formats; pixels receives the rows bottom-up. The colours are mapped to the palette when one is
// given, else to the bitmap's own palette (indexed bitmaps) or the format's default palette. The
// bitmap itself is not changed. Errors as for dibSizes. Returns whether any rows were delivered
// (false for an empty bitmap).
bool dibBits(HBITMAP bitmap, const HPALETTE& palette, TPixelFormat format, QByteArray& header,
             QByteArray& pixels);
