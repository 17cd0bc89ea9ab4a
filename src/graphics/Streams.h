#pragma once
// Byte streams the engine loads from and saves to: an abstract stream with a position,
// a memory stream and a file stream. Reads may come short; the exact forms throw.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>

enum class SeekOrigin { Begin, Current, End };

class TStream
{
public:
    virtual ~TStream() = default;

    // Reads up to count bytes; returns how many were read (0 at the end).
    virtual int64_t read(void* buffer, int64_t count) = 0;
    // Writes count bytes; returns how many were written.
    virtual int64_t write(const void* buffer, int64_t count) = 0;
    // Moves the position; returns the new position.
    virtual int64_t seek(int64_t offset, SeekOrigin origin) = 0;

    int64_t position() { return seek(0, SeekOrigin::Current); }
    void setPosition(int64_t position) { seek(position, SeekOrigin::Begin); }
    virtual int64_t size();

    // Exact forms: a short read raises EReadError "Stream read error", a short write
    // EWriteError "Stream write error".
    void readBuffer(void* buffer, int64_t count);
    void writeBuffer(const void* buffer, int64_t count);

    // Reads one byte; false at the end of the data.
    bool readByte(uint8_t& value) { return read(&value, 1) == 1; }
    void writeByte(uint8_t value) { writeBuffer(&value, 1); }

    // Copies count bytes (all that remain when count is 0) from source.
    int64_t copyFrom(TStream& source, int64_t count);
};

// A stream over a growable block of memory.
class TMemoryStream : public TStream
{
public:
    TMemoryStream() = default;
    explicit TMemoryStream(QByteArray data) : m_data(std::move(data)) {}

    int64_t read(void* buffer, int64_t count) override;
    int64_t write(const void* buffer, int64_t count) override;
    int64_t seek(int64_t offset, SeekOrigin origin) override;
    int64_t size() override { return m_data.size(); }

    const QByteArray& data() const { return m_data; }
    QByteArray takeData();
    void clear();
    void setSize(int64_t size);
    void loadFromFile(const QString& fileName);
    void saveToFile(const QString& fileName) const;

private:
    QByteArray m_data;
    int64_t m_position = 0;
};

// A stream over a file. Opening failures raise EFOpenError with the file name.
class TFileStream : public TStream
{
public:
    enum Mode { OpenRead, Create, OpenReadWrite };
    TFileStream(const QString& fileName, Mode mode);

    int64_t read(void* buffer, int64_t count) override;
    int64_t write(const void* buffer, int64_t count) override;
    int64_t seek(int64_t offset, SeekOrigin origin) override;
    int64_t size() override { return m_file.size(); }

    const QString& fileName() const { return m_fileName; }

private:
    QString m_fileName;
    QFile m_file;
};
