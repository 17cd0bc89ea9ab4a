#pragma once
// TBitmap: an in-memory device-independent bitmap with a pixel format, a palette (the colour
// table of the 1, 4 and 8-bit formats), a canvas, transparency through a 1-bit mask, and
// complete Windows BMP files as its stream format.
//
// Pixels are held in the bitmap's own format with DIB packing: rows padded to 4 bytes, 1 bit
// per pixel most significant bit first, 4 bits high nibble first, 8 bits an index, 15 bits
// x1r5g5b5 and 16 bits r5g6b5 (little-endian words), 24 bits blue, green, red, 32 bits blue,
// green, red, alpha (pfDevice: blue, green, red, 0xFF). Row 0 is the top row. New bitmaps and
// the pixels a resize adds are all zero bytes (index 0, black), like a fresh DIB section.
//
// The canvas of a pfDevice or pf32bit bitmap paints straight into its pixels. Other formats are
// drawn on a true-colour working copy; the next access to the pixels (scanLine, format or
// palette change, saving, toImage) maps changed pixels back (to the nearest palette colour for
// 1, 4 and 8 bits); pixels the canvas did not change keep their index. The fourth byte of pf32bit
// is kept but drawing treats the bitmap as opaque, as the platform's blits do.
//
// Size limit: at most maxBitmapPixels pixels and maxBitmapBytes bytes of pixel data; larger
// sizes raise EOutOfMemory, as does a failed allocation. A bitmap belongs to one thread at a time.
#include "graphics/Colors.h"
#include "graphics/Graphic.h"

#include <QImage>
#include <cstdint>
#include <memory>

class TCanvas;

enum TPixelFormat
{
    pfDevice = 0,
    pf1bit = 1,
    pf4bit = 2,
    pf8bit = 3,
    pf15bit = 4,
    pf16bit = 5,
    pf24bit = 6,
    pf32bit = 7,
    pfCustom = 8
};

// bmDIB: held in a given pixel format; bmDDB: held in the display's format (pfDevice, stored as
// 32 bits blue, green, red, unused). Setting a pixel format other than pfDevice makes a DIB.
enum TBitmapHandleType
{
    bmDIB,
    bmDDB
};

// tmAuto: the transparent colour is the colour of the bottom-left pixel; tmFixed: the colour set.
enum TTransparentMode
{
    tmAuto,
    tmFixed
};

constexpr int64_t maxBitmapPixels = int64_t(1) << 28;
constexpr int64_t maxBitmapBytes = int64_t(1) << 30;

class TBitmap;
// Bitmaps are addressed by pointer where the platform used a bitmap handle.
using HBITMAP = TBitmap*;

class TBitmap : public TGraphic
{
public:
    TBitmap();
    TBitmap(int width, int height, TPixelFormat format = pfDevice);
    ~TBitmap() override;

    // TGraphic
    void draw(TCanvas& canvas, const QRect& rect) override;
    bool empty() const override { return m_width == 0 || m_height == 0; }
    int width() const override { return m_width; }
    int height() const override { return m_height; }
    void setWidth(int value) override;
    void setHeight(int value) override;
    HPALETTE palette() override { return m_palette; }
    void setPalette(HPALETTE value) override;
    void loadFromStream(TStream& stream) override;
    void saveToStream(TStream& stream) override;
    // Clipboard format "image/bmp": a complete BMP file.
    void loadFromClipboardFormat(const QString& format, const QByteArray& data) override;
    void saveToClipboardFormat(QString& format, QByteArray& data) override;
    // Another TBitmap: a deep copy. A picture holder: its graphic. Any other graphic: first its
    // own conversion (its assignTo), else it is drawn on a white bitmap of its size. nullptr: empty.
    void assign(const TPersistent* source) override;

    // New size; the top-left part of the old picture is kept, new pixels are zero.
    void setSize(int width, int height);
    HBITMAP handle() { return this; }
    bool handleAllocated() const { return !empty(); }

    TPixelFormat pixelFormat() const { return m_pixelFormat; }
    // Converts the pixels: to fewer colours through the palette's nearest colour (a default
    // palette when there is none), to more colours exactly. pfCustom raises EInvalidGraphic.
    void setPixelFormat(TPixelFormat format);
    TBitmapHandleType handleType() const { return m_handleType; }
    void setHandleType(TBitmapHandleType type);
    // A 1-bit bitmap whose palette is black and white.
    bool monochrome() const;
    void setMonochrome(bool value);

    // Row y (0 = top) in the bitmap's own format. Valid until the size or format changes; canvas
    // drawing done after the call shows in the row only after scanLine is called again (as the
    // platform flushes pending drawing there). Out of range: EInvalidGraphicOperation "Scan line
    // index out of range".
    uint8_t* scanLine(int y);
    const uint8_t* scanLine(int y) const;
    int bytesPerScanLine() const { return m_stride; }
    int bitsPerPixel() const { return bitsPerPixel(m_pixelFormat); }
    static int bitsPerPixel(TPixelFormat format);

    // The canvas drawing on this bitmap (owned by the bitmap).
    TCanvas& canvas();

    TColor transparentColor() const;
    void setTransparentColor(TColor color);
    TTransparentMode transparentMode() const { return m_transparentMode; }
    void setTransparentMode(TTransparentMode mode);
    // The mask: a 1-bit bitmap of the same size, palette black and white, whose set bits mark
    // transparent pixels. Unless one was set explicitly it is built from the transparent colour
    // and rebuilt after the pixels change. Owned by the bitmap; nullptr when the bitmap is empty.
    TBitmap* mask();
    TBitmap* maskHandle() { return mask(); }
    // Sets an explicit mask (must have the bitmap's size; converted to 1 bit); nullptr returns
    // to the mask built from the transparent colour.
    void setMask(std::unique_ptr<TBitmap> mask);

    // Kept for the engine's calls; the pixels always stay in memory.
    void dormant() {}
    void freeImage() {}

    // The picture as a QImage: Format_Mono or Format_Indexed8 with the palette for 1, 4 and 8
    // bits, Format_RGB32 for the others (Format_ARGB32 for 32 bits with a meaningful alpha
    // byte, that is, not all zero).
    QImage toImage() const;
    // Takes a QImage: Mono → 1 bit, Indexed8 → 8 bits, images with alpha → 32 bits, the rest 24.
    void fromImage(const QImage& image);
    // The colour of one pixel (no bounds check beyond an assertion; callers check).
    QRgb pixelRgb(int x, int y) const;
    void setPixelRgb(int x, int y, QRgb rgb);

    // Loads a packed DIB (information header, colour table, pixels) as handed over by imaging
    // and video libraries.
    void loadFromDib(const QByteArray& packedDib);
    // Takes pixels already in a format's DIB packing (rows top-down, bytesPerRow apart).
    void loadFromBits(int width, int height, TPixelFormat format, HPALETTE palette, const uint8_t* bits,
                      int bytesPerRow);

    // Canvas support (used by TCanvas only).
    QImage& beginCanvasPaint();
    void endCanvasPaint();
    // A QImage that paints this bitmap as it looks now (shares its pixels where the format allows;
    // valid until the bitmap next changes).
    QImage drawableImage();

private:
    void adopt(int width, int height, TPixelFormat format, HPALETTE palette,
               std::unique_ptr<uint8_t[]> pixels, int stride);
    void reformat(int width, int height, TPixelFormat format, HPALETTE palette);
    void flushCanvas() const;
    void touch() { ++m_generation; }
    void copyFrom(const TBitmap& source);
    void assignGraphic(TGraphic* source);
    QImage decodeToRgb32() const;
    void buildMask();

    int m_width = 0;
    int m_height = 0;
    int m_stride = 0;
    TPixelFormat m_pixelFormat = pfDevice;
    TBitmapHandleType m_handleType = bmDDB;
    HPALETTE m_palette;
    std::unique_ptr<uint8_t[]> m_pixels;
    // Format_RGB32 working copy while the canvas has drawn on a bitmap it cannot paint in place
    // and the drawing is not yet mapped back; m_work is then what the bitmap shows.
    mutable QImage m_work;
    mutable bool m_workActive = false;
    QImage m_paintTarget;
    std::unique_ptr<TCanvas> m_canvas;
    std::unique_ptr<TBitmap> m_mask;
    bool m_maskExplicit = false;
    uint64_t m_generation = 0;
    uint64_t m_maskGeneration = ~uint64_t(0);
    TColor m_transparentColor = clDefault;
    TTransparentMode m_transparentMode = tmAuto;
};

// The default colour table of an indexed format when the bitmap has no palette: black and white,
// the 16 standard colours, or 256 colours (the 216-colour cube and a ramp of greys).
HPALETTE defaultPalette(TPixelFormat format);
// Bytes in one row of pixelsPerLine pixels of bitsPerPixel bits, rows aligned to alignment bits.
// Checked: EOutOfMemory when the result does not fit an int.
int bytesPerScanline(int pixelsPerLine, int bitsPerPixel, int alignment);
