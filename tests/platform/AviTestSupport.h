#pragma once
// Helpers for the AVI tests: movies made by the ffmpeg program from pictures the test draws,
// ffprobe's view of a movie, and a small independent look at the RIFF bytes (FFmpeg reduces an
// AVI's scale/rate fraction and hides dwStart, so the tests read those fields themselves).
#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QtEndian>

#include <cstdint>
#include <cstring>
#include <vector>

namespace avitest {

inline bool haveTool(const QString& name)
{
    return !QStandardPaths::findExecutable(name).isEmpty();
}

// Runs a program; its exit code (-1 when it did not run) and standard output.
inline int run(const QString& program, const QStringList& args, QByteArray* output = nullptr)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(120000))
        return -1;
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// Frame i is filled with colors[i] and carries a small block of the next colour at its top-left
// corner, so flipped or shifted pictures show.
inline QImage framePicture(const std::vector<QRgb>& colors, size_t i, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colors[i]);
    const QRgb mark = colors[(i + 1) % colors.size()];
    for (int y = 0; y < height / 4; ++y)
        for (int x = 0; x < width / 4; ++x)
            image.setPixel(x, y, mark);
    return image;
}

// An AVI made by ffmpeg from the frames; codec arguments such as {"-c:v", "rawvideo", "-pix_fmt",
// "pal8"}. Empty when ffmpeg failed.
inline QString ffmpegMovie(const QDir& dir, const QString& name, int fps, const std::vector<QRgb>& colors,
                           int width, int height, const QStringList& codec)
{
    for (size_t i = 0; i < colors.size(); ++i)
        framePicture(colors, i, width, height)
            .save(dir.filePath(QStringLiteral("src%1.png").arg(i, 3, 10, QLatin1Char('0'))));
    const QString path = dir.filePath(name);
    QStringList args{QStringLiteral("-loglevel"),
                     QStringLiteral("error"),
                     QStringLiteral("-y"),
                     QStringLiteral("-framerate"),
                     QString::number(fps),
                     QStringLiteral("-i"),
                     dir.filePath(QStringLiteral("src%03d.png"))};
    args += codec;
    args += path;
    return run(QStringLiteral("ffmpeg"), args) == 0 ? path : QString();
}

inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline uint32_t le32(const QByteArray& bytes, qsizetype at)
{
    return at >= 0 && at + 4 <= bytes.size() ? qFromLittleEndian<uint32_t>(bytes.constData() + at) : 0;
}

inline void setLe32(QByteArray& bytes, qsizetype at, uint32_t value)
{
    if (at >= 0 && at + 4 <= bytes.size())
        qToLittleEndian(value, bytes.data() + at);
}

struct StreamHeader
{
    uint32_t scale = 0, rate = 0, start = 0, length = 0;
    qsizetype at = -1; // offset of the strh data
};

inline StreamHeader streamHeader(const QByteArray& bytes)
{
    StreamHeader header;
    const qsizetype id = bytes.indexOf("strh");
    if (id < 0)
        return header;
    header.at = id + 8;
    header.scale = le32(bytes, header.at + 20);
    header.rate = le32(bytes, header.at + 24);
    header.start = le32(bytes, header.at + 28);
    header.length = le32(bytes, header.at + 32);
    return header;
}

// Offset of the strf data (the bitmap header).
inline qsizetype formatOffset(const QByteArray& bytes)
{
    const qsizetype id = bytes.indexOf("strf");
    return id < 0 ? -1 : id + 8;
}

// Chunk sizes of the idx1 entries in file order.
inline std::vector<uint32_t> indexSizes(const QByteArray& bytes)
{
    std::vector<uint32_t> sizes;
    const qsizetype id = bytes.lastIndexOf("idx1");
    if (id < 0)
        return sizes;
    const uint32_t size = le32(bytes, id + 4);
    for (qsizetype at = id + 8; at + 16 <= id + 8 + qsizetype(size) && at + 16 <= bytes.size(); at += 16)
        sizes.push_back(le32(bytes, at + 12));
    return sizes;
}

// ffprobe's answer for one stream entry ("codec_name", "pix_fmt", "nb_read_frames", ...).
inline QString probe(const QString& path, const QString& entry)
{
    QByteArray out;
    run(QStringLiteral("ffprobe"),
        {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-count_frames"),
         QStringLiteral("-select_streams"), QStringLiteral("v:0"), QStringLiteral("-show_entries"),
         QStringLiteral("stream=") + entry, QStringLiteral("-of"),
         QStringLiteral("default=noprint_wrappers=1:nokey=1"), path},
        &out);
    return QString::fromUtf8(out).trimmed();
}

// Every frame ffmpeg decodes from the movie as packed RGB24 pictures.
inline std::vector<QImage> ffmpegFrames(const QString& path, int width, int height)
{
    QByteArray out;
    std::vector<QImage> frames;
    if (run(QStringLiteral("ffmpeg"),
            {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-i"), path,
             QStringLiteral("-vsync"), QStringLiteral("passthrough"), QStringLiteral("-f"),
             QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"), QStringLiteral("rgb24"),
             QStringLiteral("-")},
            &out) != 0)
        return frames;
    const qsizetype size = qsizetype(width) * height * 3;
    for (qsizetype at = 0; at + size <= out.size(); at += size) {
        QImage frame(width, height, QImage::Format_RGB888);
        for (int y = 0; y < height; ++y)
            std::memcpy(frame.scanLine(y), out.constData() + at + qsizetype(y) * width * 3,
                        size_t(width) * 3);
        frames.push_back(frame);
    }
    return frames;
}

} // namespace avitest
