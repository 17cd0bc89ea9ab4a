#include "gif/GIFStreamIO.h"

#include "gif/GIFException.h"
#include "gif/GIFTypes.h"
#include "graphics/Streams.h"

namespace gifio {

void readExact(TStream& stream, void* buffer, int64_t count)
{
    if (count > 0 && stream.read(buffer, count) != count)
        throw GIFException(QString::fromLatin1(gifmsg::PrematureEnd));
}

uint8_t readByteExact(TStream& stream)
{
    uint8_t value = 0;
    readExact(stream, &value, 1);
    return value;
}

uint8_t readByteOrZero(TStream& stream)
{
    uint8_t value = 0;
    if (!stream.readByte(value))
        return 0;
    return value;
}

uint16_t readWord(TStream& stream)
{
    uint8_t bytes[2];
    readExact(stream, bytes, 2);
    return uint16_t(bytes[0] | (bytes[1] << 8));
}

void writeWord(TStream& stream, uint16_t value)
{
    const uint8_t bytes[2] = {uint8_t(value), uint8_t(value >> 8)};
    stream.writeBuffer(bytes, 2);
}

void writeDWord(TStream& stream, uint32_t value)
{
    const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                              uint8_t(value >> 24)};
    stream.writeBuffer(bytes, 4);
}

void skip(TStream& stream, int64_t count)
{
    if (count != 0)
        stream.seek(count, SeekOrigin::Current);
}

} // namespace gifio
