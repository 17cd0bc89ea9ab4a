#pragma once
// An LZW encoder that keeps using a full string table instead of clearing it at once.
//
// The ordinary encoder clears its table the moment it fills: every string learnt is thrown away
// and the next codes are short. On pictures whose statistics stay the same (photographs, dithered
// video) the full table goes on matching long strings, and clearing only when its strings stop
// paying writes fewer bytes. Any GIF decoder reads such data: once its table is full it simply
// stops adding entries until the next clear code. The whole-image optimisation tries this
// encoder on each frame and keeps its data when it is smaller (TGIFSubImage::adoptEncodedData);
// ordinary writes never use it.
#include "gif/GIFFrameData.h"

#include <QByteArray>
#include <cstdint>

// When a full table is cleared: after each window of codes, the bits per pixel of the window
// are compared with those of the table's whole life until it filled; it is cleared once the
// window does worse than percent of that.
struct TLZWFullTablePolicy
{
    int window = 512;
    int percent = 100;
};

// Image data (code size byte, sub-blocks, terminator) for the parameters of key: decodes to the
// same pixels as the ordinary encoder's data. Pixels must be below the key's colour limit.
QByteArray lzwKeepingFullTable(const TGIFFrameDataKey& key, const uint8_t* pixels, TLZWFullTablePolicy policy);

class TGIFSubImage;

// Gives the frame the smallest of these encodings of its pixels as its kept image data when that
// is smaller than what the ordinary encoder writes: the ordinary encoder and the full-table
// encoder at the frame's code size and at the smallest code size its pixel values allow.
// Returns true when it did. Run-length frames are left alone.
bool keepSmallestEncoding(TGIFSubImage& frame);
