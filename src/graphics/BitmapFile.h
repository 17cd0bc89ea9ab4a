#pragma once
// Windows BMP files and packed DIBs.
//
// Reading accepts BITMAPCOREHEADER (OS/2 1.x), BITMAPINFOHEADER and its V2–V5 extensions and the
// 64-byte OS/2 2.x header; 1, 4, 8, 16, 24 and 32 bits per pixel; BI_RGB, BI_RLE8, BI_RLE4,
// BI_BITFIELDS and BI_ALPHABITFIELDS; bottom-up and top-down rows. Every size is checked before
// anything is allocated: the pixel count against maxBitmapPixels, uncompressed pixel data
// against the bytes the stream still holds. Anything else raises EInvalidGraphic "Bitmap image
// is not valid".
//
// Writing produces BITMAPFILEHEADER + BITMAPINFOHEADER (+ colour table of 2^bits entries for 1, 4
// and 8 bits, clrUsed = 2^bits, clrImportant = the palette's entry count) + bottom-up rows with
// zeroed padding. pf15bit is written as 16-bit BI_RGB, pf16bit as 16-bit BI_BITFIELDS (5-6-5),
// pfDevice as 24 bits.
#include "graphics/Bitmap.h"

#include <QByteArray>

class TStream;

// Decoded pixels in a format's DIB packing, rows top-down.
struct TDibPixels
{
    int width = 0;
    int height = 0;
    TPixelFormat format = pf24bit;
    HPALETTE palette;
    int stride = 0;
    std::unique_ptr<uint8_t[]> pixels;
};

// Reads a BMP file from the stream's position; the stream is left after the pixel data.
TDibPixels readBitmapFile(TStream& stream);
// Reads a packed DIB: information header, masks, colour table and pixels, without a file header.
TDibPixels readPackedDib(const QByteArray& dib);

void writeBitmapFile(TStream& stream, int width, int height, TPixelFormat format, const HPALETTE& palette,
                     const uint8_t* pixels, int stride);

// Size of the BITMAPINFOHEADER and colour table the writer produces for a format.
int bitmapInfoSize(TPixelFormat format);

// The longest side a bitmap handed over by another program may have: the most a GIF frame holds.
inline constexpr int kMaxTransferSide = 65535;

// Loads a bitmap that another program handed over as the bytes of a complete BMP file (the
// automation transfer value). Such bytes are untrusted: the file header must fit the array, the
// declared file size and pixel offset must lie within it, neither side may exceed
// kMaxTransferSide and the pixels must stay within the engine's limit, all before anything is
// allocated. False when the bytes do not load; bitmap is left as it was then.
bool loadBitmapTransferValue(const QByteArray& bytes, TBitmap& bitmap);
// The bytes of a complete BMP file for the bitmap, exactly as saving it to a stream writes them;
// empty for a null or empty bitmap.
QByteArray bitmapTransferValue(TBitmap* bitmap);
