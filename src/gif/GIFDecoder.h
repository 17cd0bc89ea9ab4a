#pragma once
// LZW decoding of one frame's image data.
#include <QString>
#include <cstdint>
#include <functional>

class TStream;

// Receives each recoverable defect found while decoding ("Premature end of data",
// "Decoder bit buffer under-run"); decoding goes on with what is there.
using TDecoderWarning = std::function<void(const QString& message)>;

// Decodes the image data of one frame from the stream's position, which must be at the minimum
// code size byte, into pixels (width × height bytes, rows top to bottom). The caller allocates the
// pixels and fills them beforehand with the value that rows the data does not reach keep. Stops
// quietly at the end of the data; after decoding, the rest of the data sub-blocks up to and
// including the zero-length terminator is skipped. Raises GIFException on a corrupt code table.
void decodeFrameData(TStream& stream, uint8_t* pixels, int width, int height, bool interlaced,
                     const TDecoderWarning& warning);
