// TEMPORARY link stub until the frame data codec lands; deleted before merging main.
#include "gif/GIFDecoder.h"
#include "gif/GIFEncoder.h"
#include "graphics/Streams.h"

void decodeFrameData(TStream& stream, uint8_t*, int, int, bool, const TDecoderWarning&)
{
    uint8_t codeSize = 0;
    if (!stream.readByte(codeSize))
        return;
    uint8_t size = 0;
    while (stream.readByte(size) && size != 0)
        stream.seek(size, SeekOrigin::Current);
}

void compressFrameData(TStream& stream, int initialCodeSize, int, const uint8_t*, int, int, bool,
                       TGIFCompression)
{
    stream.writeByte(uint8_t(initialCodeSize));
    stream.writeByte(0);
}
