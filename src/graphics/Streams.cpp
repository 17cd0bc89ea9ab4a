#include "graphics/Streams.h"

#include "graphics/Exceptions.h"

#include <algorithm>
#include <cstring>

int64_t TStream::size()
{
    const int64_t here = position();
    const int64_t end = seek(0, SeekOrigin::End);
    seek(here, SeekOrigin::Begin);
    return end;
}

void TStream::readBuffer(void* buffer, int64_t count)
{
    if (count > 0 && read(buffer, count) != count)
        throw EReadError(QStringLiteral("Stream read error"));
}

void TStream::writeBuffer(const void* buffer, int64_t count)
{
    if (count > 0 && write(buffer, count) != count)
        throw EWriteError(QStringLiteral("Stream write error"));
}

int64_t TStream::copyFrom(TStream& source, int64_t count)
{
    if (count == 0) {
        source.setPosition(0);
        count = source.size();
    }
    char buffer[65536];
    int64_t copied = 0;
    while (copied < count) {
        const int64_t chunk = std::min<int64_t>(sizeof buffer, count - copied);
        source.readBuffer(buffer, chunk);
        writeBuffer(buffer, chunk);
        copied += chunk;
    }
    return copied;
}

int64_t TMemoryStream::read(void* buffer, int64_t count)
{
    if (count <= 0 || m_position >= m_data.size())
        return 0;
    const int64_t available = std::min<int64_t>(count, m_data.size() - m_position);
    std::memcpy(buffer, m_data.constData() + m_position, size_t(available));
    m_position += available;
    return available;
}

int64_t TMemoryStream::write(const void* buffer, int64_t count)
{
    if (count <= 0)
        return 0;
    const int64_t end = m_position + count;
    if (end > m_data.size()) {
        const int64_t oldSize = m_data.size();
        m_data.resize(end);
        // A write after a seek past the end leaves a gap of zeros, never stale memory.
        if (m_position > oldSize)
            std::memset(m_data.data() + oldSize, 0, size_t(m_position - oldSize));
    }
    std::memcpy(m_data.data() + m_position, buffer, size_t(count));
    m_position = end;
    return count;
}

int64_t TMemoryStream::seek(int64_t offset, SeekOrigin origin)
{
    int64_t target = offset;
    if (origin == SeekOrigin::Current)
        target = m_position + offset;
    else if (origin == SeekOrigin::End)
        target = m_data.size() + offset;
    // A position past the end is allowed (a later write extends the data); before the start is not.
    m_position = std::max<int64_t>(0, target);
    return m_position;
}

QByteArray TMemoryStream::takeData()
{
    QByteArray result = std::move(m_data);
    m_data.clear();
    m_position = 0;
    return result;
}

void TMemoryStream::clear()
{
    m_data.clear();
    m_position = 0;
}

void TMemoryStream::setSize(int64_t size)
{
    const int64_t oldSize = m_data.size();
    m_data.resize(std::max<int64_t>(0, size));
    if (m_data.size() > oldSize)
        std::memset(m_data.data() + oldSize, 0, size_t(m_data.size() - oldSize));
    m_position = std::min<int64_t>(m_position, m_data.size());
}

void TMemoryStream::loadFromFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()));
    m_data = file.readAll();
    m_position = 0;
}

void TMemoryStream::saveToFile(const QString& fileName) const
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EFOpenError(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, file.errorString()));
    if (file.write(m_data) != m_data.size())
        throw EWriteError(QStringLiteral("Stream write error"));
}

TFileStream::TFileStream(const QString& fileName, Mode mode) : m_fileName(fileName), m_file(fileName)
{
    QIODevice::OpenMode flags = QIODevice::ReadOnly;
    if (mode == Create)
        flags = QIODevice::WriteOnly | QIODevice::Truncate;
    else if (mode == OpenReadWrite)
        flags = QIODevice::ReadWrite;
    if (!m_file.open(flags)) {
        const QString what = mode == Create ? QStringLiteral("Cannot create file") : QStringLiteral("Cannot open file");
        throw EFOpenError(QStringLiteral("%1 \"%2\". %3").arg(what, fileName, m_file.errorString()));
    }
}

int64_t TFileStream::read(void* buffer, int64_t count)
{
    if (count <= 0)
        return 0;
    const qint64 n = m_file.read(static_cast<char*>(buffer), count);
    return n < 0 ? 0 : n;
}

int64_t TFileStream::write(const void* buffer, int64_t count)
{
    if (count <= 0)
        return 0;
    const qint64 n = m_file.write(static_cast<const char*>(buffer), count);
    return n < 0 ? 0 : n;
}

int64_t TFileStream::seek(int64_t offset, SeekOrigin origin)
{
    int64_t target = offset;
    if (origin == SeekOrigin::Current)
        target = m_file.pos() + offset;
    else if (origin == SeekOrigin::End)
        target = m_file.size() + offset;
    m_file.seek(std::max<int64_t>(0, target));
    return m_file.pos();
}
