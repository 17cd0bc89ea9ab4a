#pragma once
// Compression of one frame's pixel data (LZW or run-length codes) into GIF data sub-blocks.
#include <cstdint>

class TStream;

enum TGIFCompression : uint8_t
{
    gcLZW = 0,
    gcRLE = 1
};

// Writes the initial code size byte, the data sub-blocks and the zero terminator for the pixels
// (width × height bytes, rows top to bottom; written in interlaced row order when interlaced).
// initialCodeSize is at least 2. Every pixel must be below colorLimit, else GIFException
// "Color not in color table" (the stream then holds a partial frame).
void compressFrameData(TStream& stream, int initialCodeSize, int colorLimit, const uint8_t* pixels, int width,
                       int height, bool interlaced, TGIFCompression compression);
