#pragma once
// The imaging control: loads picture files of the types the program does not decode itself
// and hands them over as device-independent bitmaps. It offers exactly the six operations its
// callers use, in their order: setFileName (loads at once), errorCode, width/height, resize,
// takeDib, release.
//
// Decoding is ImageMagick's (Magick++), except lossless JPEG (".ljp", or any JPEG whose frame is
// SOF3), which libavcodec reads. The coder is chosen by the file's extension (".pic" is read as
// Macintosh PICT, ".rle" as Utah RLE or, by content, a Windows RLE bitmap; table in
// ImagingFormats.cpp) and always named explicitly, so a file never reaches a coder it was not
// meant for; a clear signature in the content overrides a wrong extension. Of a multi-picture
// file (DCX, TIFF, ICO) the first picture is taken.
//
// Coder warnings: a picture the coder completed despite a warning (an unknown tag, a damaged
// ancillary chunk) loads; a warning that data ran out (a truncated file the coder padded with a
// flat colour) fails with imgCorrupt. Nothing here throws.
//
// Threads: one control is used by one thread at a time (the GUI thread in the program); separate
// controls may load on separate threads. ImageMagick is initialised once per process on first use.
#include "ImagingDib.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>

// Error codes of the control (errorCode()); 0 means a picture is loaded.
enum TImagingError : uint16_t
{
    imgOk = 0,
    imgFileNotFound = 1,   // empty name, no such file, or it could not be opened and read
    imgUnsupported = 2,    // the extension is not one the control reads
    imgTooLarge = 3,       // wider or taller than imgMaxSide, or more pixels than imgMaxPixels
    imgCorrupt = 4,        // the decoder rejected the data (garbage, truncated, damaged)
    imgOutOfResources = 5, // memory, disk cache or another resource limit ran out while decoding
    imgNoPicture = 6,      // resize or takeDib without a loaded picture
    imgBadSize = 7,        // resize to a zero size
};

// The program's own limits; ImageMagick's system policy (16K a side, 128 megapixels) is
// replaced by these. A side must fit the 16-bit width and height the control reports.
inline constexpr uint32_t imgMaxSide = 65535;
inline constexpr uint64_t imgMaxPixels = uint64_t(1) << 28; // 268,435,456 (16384 x 16384)
// Files larger than this are refused before being read into memory.
inline constexpr int64_t imgMaxFileBytes = int64_t(1) << 30;

// Limits handed to ImageMagick (its pixel cache spills to disk above the memory limits). Its side
// limit lies above ours on purpose: a coder refusing a picture over its limit often fails without
// saying why, while one that reads the header reports the size, which the control then refuses
// as too large before any pixel is decoded.
inline constexpr uint64_t imgMagickSideBackstop = uint64_t(1) << 20;
inline constexpr uint64_t imgMagickMemoryBytes = uint64_t(1) << 30; // 1 GiB
inline constexpr uint64_t imgMagickMapBytes = uint64_t(2) << 30;    // 2 GiB
inline constexpr uint64_t imgMagickDiskBytes = uint64_t(4) << 30;   // 4 GiB

// Starts ImageMagick with the program's limits. Runs by itself on first use; call it early in
// main(), before other threads start, because it briefly sets an environment variable, and
// before any other code initialises ImageMagick, or the system policy's limits stay in force.
void initializeImaging();

namespace Magick {
class Image;
}

class TImagingControl
{
public:
    TImagingControl();
    ~TImagingControl();
    TImagingControl(const TImagingControl&) = delete;
    TImagingControl& operator=(const TImagingControl&) = delete;

    // Loads the file at once, replacing any picture held before. Never throws.
    void setFileName(const QString& fileName);

    // The result of the last operation; imgOk after a successful load or resize.
    uint16_t errorCode() const { return m_errorCode; }

    // The loaded picture's size; 0 when nothing is loaded.
    uint16_t width() const;
    uint16_t height() const;

    // Scales the loaded picture to exactly width x height (the caller keeps the aspect).
    // Returns false and sets errorCode when nothing is loaded, a side is 0, or scaling fails;
    // a failed scaling leaves the picture as it was.
    bool resize(uint16_t width, uint16_t height);

    // The picture as a DIB block (layout under imaging::dibFromImage): 1, 4 or 8 bits with a
    // colour table for palette and grey pictures, 24 bits otherwise; rows bottom-up, padded to 4
    // bytes. Transparent parts are put on white, since the block has no alpha. The caller owns
    // the copy; the control keeps its picture. Empty when nothing is loaded.
    QByteArray takeDib();

    // Lets go of the picture; afterwards the control holds nothing (size 0, takeDib empty).
    void release();

private:
    uint16_t loadLosslessJpeg(const QByteArray& data);
    uint16_t loadWithMagick(const QByteArray& data, const char* coder);

    uint16_t m_errorCode = imgNoPicture;
    std::unique_ptr<Magick::Image> m_image;
};
