#include "gif/GIFStream.h"

#include "graphics/Exceptions.h"

#include <exception>

namespace {
[[noreturn]] void invalidOperation()
{
    throw EStreamError(QStringLiteral("Invalid stream operation"));
}
} // namespace

TGIFWriter::~TGIFWriter()
{
    // Unwinding from an error (a bad pixel, a failed write) must not write more or throw again.
    if (std::uncaught_exceptions() == 0) {
        try {
            finish();
        } catch (...) {
        }
    }
}

int64_t TGIFWriter::read(void*, int64_t)
{
    invalidOperation();
}

int64_t TGIFWriter::seek(int64_t, SeekOrigin)
{
    invalidOperation();
}

int64_t TGIFWriter::size()
{
    invalidOperation();
}

int64_t TGIFWriter::write(const void* buffer, int64_t count)
{
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    for (int64_t i = 0; i < count; ++i)
        putByte(bytes[i]);
    return count < 0 ? 0 : count;
}

void TGIFWriter::flushBlock()
{
    m_buffer[0] = uint8_t(m_fill - 1);
    m_target.writeBuffer(m_buffer, m_fill);
    m_fill = 1;
    m_pending = false;
}

void TGIFWriter::finish()
{
    if (m_pending && m_fill > 1)
        flushBlock();
    m_pending = false;
}
