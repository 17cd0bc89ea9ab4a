#pragma once
// LZW decoding of one frame's image data.
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

class TStream;

// Receives each recoverable defect found while decoding ("Premature end of data",
// "Decoder bit buffer under-run"); decoding goes on with what is there.
using TDecoderWarning = std::function<void(const QString& message)>;

// Decodes the image data of one frame from the stream's position, which must be at the minimum
// code size byte, into pixels (width × height bytes, rows top to bottom). The caller allocates the
// pixels and fills them beforehand with the value that rows the data does not reach keep. Stops
// quietly at the end of the data; after decoding, the rest of the data sub-blocks up to and
// including the zero-length terminator is skipped. Raises GIFException on a corrupt code table.
//
// A minimum code size above 11 cannot be decoded with a 4096-entry table: such data is skipped
// whole, the pixels keep their fill and the warning "Invalid LZW code size" is given.
void decodeFrameData(TStream& stream, uint8_t* pixels, int width, int height, bool interlaced,
                     const TDecoderWarning& warning);

// The rows of an interlaced frame in the order they are stored: every 8th row from 0, every
// 8th from 4, every 4th from 2, every 2nd from 1. Shared by the decoder and the encoders.
std::vector<int> interlacedRowOrder(int height);
