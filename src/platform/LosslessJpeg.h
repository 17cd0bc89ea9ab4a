#pragma once
// Lossless JPEG (".ljp", SOF3) for the imaging control. libjpeg-turbo as linked into
// ImageMagick reads only the lossy processes, while libavcodec's mjpeg decoder reads SOF3
// exactly, so these pictures take this path instead of Magick++.
#include <QByteArray>
#include <cstdint>

enum class TLosslessJpegResult
{
    Ok,
    Corrupt,  // not a JPEG stream the decoder accepts, or it produced no picture
    TooLarge, // a side or the pixel count exceeds the caller's limits
    NoMemory, // a buffer for the decoder or the converted rows could not be had
};

struct TLosslessJpegPicture
{
    int width = 0;
    int height = 0;
    // Packed rows of blue, green, red bytes, top row first, no padding (width * 3 per row).
    QByteArray bgr;
};

// Decodes one JPEG picture held whole in memory. Pictures wider or taller than maxSide, or
// with more than maxPixels pixels, are refused before their pixels are decoded.
// Reentrant: every call owns its own decoder; safe from any thread.
TLosslessJpegResult decodeLosslessJpeg(const QByteArray& data, uint32_t maxSide, uint64_t maxPixels,
                                       TLosslessJpegPicture& picture);

// True when data is a JPEG stream whose first frame header is lossless (SOF3), which the
// lossy decoders cannot read.
bool isLosslessJpeg(const QByteArray& data);
