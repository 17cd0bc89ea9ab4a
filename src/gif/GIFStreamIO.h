#pragma once
// Byte-level helpers the block readers and writers share. Every fixed-size read goes through
// readExact, which turns a short read into GIFException "Premature end of data".
#include <cstdint>

class TStream;

namespace gifio {

void readExact(TStream& stream, void* buffer, int64_t count);
// One byte that must be there.
uint8_t readByteExact(TStream& stream);
// One size, kind or introducer byte inside sub-blocks: the end of the data reads as 0 (the
// terminator), so that truncated files end their sub-block loops instead of failing.
uint8_t readByteOrZero(TStream& stream);
uint16_t readWord(TStream& stream);
void writeWord(TStream& stream, uint16_t value);
void writeDWord(TStream& stream, uint32_t value);
// Moves the position forward by count bytes (count may reach past the end; reads then end).
void skip(TStream& stream, int64_t count);

} // namespace gifio
