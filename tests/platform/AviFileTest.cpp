// The AVI layer: our RIFF writer read back by our reader and by ffprobe, movies made by ffmpeg
// (uncompressed palette and true-colour, MJPEG) decoded to their pictures, and damaged movies
// that must fail or load without reading outside a buffer.
#include "platform/AviFile.h"
#include "platform/AviRiff.h"
#include "platform/AviTestSupport.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace avitest;

namespace {

const std::vector<QRgb> kColors = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 255)};

// An 8-bit bitmap-info block (header and 256 colours: entry i is grey i).
QByteArray greyFormat(int width, int height)
{
    QByteArray format(40 + 1024, '\0');
    setLe32(format, 0, 40);
    setLe32(format, 4, uint32_t(width));
    setLe32(format, 8, uint32_t(height));
    format[12] = 1;
    format[14] = 8;
    setLe32(format, 20, uint32_t((width + 3) / 4 * 4 * height));
    setLe32(format, 32, 256);
    for (int i = 0; i < 256; ++i) {
        format[40 + i * 4] = char(i);
        format[40 + i * 4 + 1] = char(i);
        format[40 + i * 4 + 2] = char(i);
    }
    return format;
}

QImage dibPicture(const QByteArray& format, const QByteArray& dib)
{
    return QImage::fromData(aviFrameBitmapFile(format, dib), "BMP");
}

struct Decoded
{
    TAviStreamInfo info;
    QByteArray format;
    std::vector<QImage> frames;
    bool opened = false;
};

// Runs the calls of an import over the whole stream.
Decoded decode(const QString& path)
{
    Decoded result;
    TAviFile avi;
    int64_t size = 0;
    if (!avi.openRead(path) || !avi.getVideoStream() || !avi.streamInfo(result.info) ||
        !avi.readFormatSize(size) || !avi.readFormat(result.format) || !avi.beginStreaming() ||
        !avi.getFrameOpen())
        return result;
    result.opened = true;
    const int64_t count = std::min<int64_t>(result.info.dwLength, avi.framesPresent());
    for (int64_t i = 0; i < count; ++i) {
        const QByteArray dib = avi.getFrame(int64_t(result.info.dwStart) + i);
        if (dib.isEmpty())
            break;
        result.frames.push_back(dibPicture(result.format, dib));
    }
    return result;
}

int distance(QRgb a, QRgb b)
{
    return std::max(
        {std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

} // namespace

TEST(AviRiffTest, WrittenMovieReadsBackWithItsHeadersAndEmptyPositions)
{
    const int width = 6, height = 3;
    const QByteArray format = greyFormat(width, height);
    const int row = 8;
    QByteArray frame0(row * height, '\x10'), frame2(row * height, '\x80');
    frame2[0] = char(0xFF); // bottom-left pixel of a bottom-up DIB

    QByteArray bytes;
    QBuffer buffer(&bytes);
    ASSERT_TRUE(buffer.open(QIODevice::ReadWrite));
    TAviStreamInfo info;
    info.fccType = kAviStreamTypeVideo;
    info.dwScale = 7;
    info.dwRate = 65;
    info.dwSuggestedBufferSize = uint32_t(frame0.size());
    info.rcFrame = QRect(0, 0, width, height);
    TAviRiffWriter writer(buffer);
    ASSERT_TRUE(writer.begin(info, format, frame0.size(), 3));
    ASSERT_TRUE(writer.writeFrame(0, frame0, true));
    ASSERT_TRUE(writer.writeFrame(2, frame2, true));
    EXPECT_FALSE(writer.writeFrame(1, frame0, true)) << "positions only go forward";
    ASSERT_TRUE(writer.finish());
    buffer.close();

    // The bytes as an independent reader sees them.
    const StreamHeader strh = streamHeader(bytes);
    EXPECT_EQ(strh.scale, 7u);
    EXPECT_EQ(strh.rate, 65u);
    EXPECT_EQ(strh.length, 3u);
    EXPECT_EQ(indexSizes(bytes),
              (std::vector<uint32_t>{uint32_t(frame0.size()), 0, uint32_t(frame2.size())}));
    EXPECT_EQ(le32(bytes, 4), uint32_t(bytes.size() - 8));

    QBuffer input(&bytes);
    ASSERT_TRUE(input.open(QIODevice::ReadOnly));
    TAviRiffReader reader;
    ASSERT_EQ(reader.open(input), TAviRiffReader::Status::Ok);
    EXPECT_EQ(reader.streamInfo().dwScale, 7u);
    EXPECT_EQ(reader.streamInfo().rcFrame, QRect(0, 0, width, height));
    EXPECT_EQ(reader.format(), format);
    ASSERT_EQ(reader.index().size(), 3u);
    EXPECT_TRUE(reader.index()[0].keyFrame);
    EXPECT_EQ(reader.index()[1].size, 0u);
    EXPECT_EQ(reader.readChunk(reader.index()[2]), frame2);
    const QImage picture = dibPicture(format, aviUncompressedFrameDib(format, frame2));
    ASSERT_EQ(picture.size(), QSize(width, height));
    EXPECT_EQ(picture.pixel(0, height - 1), qRgb(255, 255, 255));
    EXPECT_EQ(picture.pixel(1, 0), qRgb(0x80, 0x80, 0x80));
}

TEST(AviRiffTest, WriterRefusesMoviesThatWouldReachOneGigabyte)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    ASSERT_TRUE(buffer.open(QIODevice::ReadWrite));
    TAviStreamInfo info;
    info.fccType = kAviStreamTypeVideo;
    TAviRiffWriter writer(buffer);
    const int64_t frame = 1920 * 1080;
    const int count = int(kAviMaxFileSize / frame) + 1;
    EXPECT_GE(TAviRiffWriter::predictedSize(1064, frame, count), kAviMaxFileSize);
    EXPECT_FALSE(writer.begin(info, greyFormat(1920, 1080), frame, count));
    EXPECT_TRUE(bytes.isEmpty());
}

TEST(AviFileTest, FfmpegMoviesDecodeToTheirPictures)
{
    if (!haveTool(QStringLiteral("ffmpeg")))
        GTEST_SKIP() << "ffmpeg is not installed";
    const struct
    {
        const char* name;
        int fps;
        QStringList codec;
        int tolerance;
    } cases[] = {
        // ffmpeg's palette conversion has 252 where the picture had 255.
        {"pal8.avi", 15, {"-c:v", "rawvideo", "-pix_fmt", "pal8"}, 4},
        {"bgr24.avi", 10, {"-c:v", "rawvideo", "-pix_fmt", "bgr24"}, 0},
        {"mjpeg.avi", 15, {"-c:v", "mjpeg", "-q:v", "2", "-pix_fmt", "yuvj444p"}, 40},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path =
            ffmpegMovie(QDir(dir.path()), QString::fromLatin1(c.name), c.fps, kColors, 32, 24, c.codec);
        ASSERT_FALSE(path.isEmpty());
        const StreamHeader strh = streamHeader(readAll(path));
        const Decoded movie = decode(path);
        ASSERT_TRUE(movie.opened);
        EXPECT_EQ(movie.info.dwScale, strh.scale);
        EXPECT_EQ(movie.info.dwRate, strh.rate);
        EXPECT_EQ(double(strh.rate) / strh.scale, double(c.fps));
        ASSERT_EQ(movie.frames.size(), kColors.size());
        for (size_t i = 0; i < kColors.size(); ++i) {
            const QImage& frame = movie.frames[i];
            ASSERT_EQ(frame.size(), QSize(32, 24)) << i;
            EXPECT_LE(distance(frame.pixel(24, 18), kColors[i]), c.tolerance) << "frame " << i;
            EXPECT_LE(distance(frame.pixel(2, 2), kColors[(i + 1) % kColors.size()]), c.tolerance)
                << "mark " << i;
        }
    }
}

TEST(AviFileTest, FramesComeInAnyOrder)
{
    if (!haveTool(QStringLiteral("ffmpeg")))
        GTEST_SKIP() << "ffmpeg is not installed";
    QTemporaryDir dir;
    // Inter-coded frames: only the first is a key frame.
    const QString path = ffmpegMovie(QDir(dir.path()), QStringLiteral("mpeg4.avi"), 10, kColors, 32, 24,
                                     {"-c:v", "mpeg4", "-g", "100", "-bf", "0", "-q:v", "2"});
    ASSERT_FALSE(path.isEmpty());
    TAviFile avi;
    TAviStreamInfo info;
    QByteArray format;
    int64_t size = 0;
    ASSERT_TRUE(avi.openRead(path) && avi.getVideoStream() && avi.streamInfo(info) &&
                avi.readFormatSize(size) && avi.readFormat(format) && avi.beginStreaming() &&
                avi.getFrameOpen());
    for (const int i : {3, 1, 2, 0, 3}) {
        const QImage frame = dibPicture(format, avi.getFrame(i));
        ASSERT_FALSE(frame.isNull()) << i;
        EXPECT_LE(distance(frame.pixel(24, 18), kColors[size_t(i)]), 40) << "frame " << i;
    }
    EXPECT_TRUE(avi.getFrame(4).isEmpty());
    EXPECT_TRUE(avi.getFrame(-1).isEmpty());
}

TEST(AviFileTest, DamagedMoviesLoadOrFailWithoutReadingOutsideTheFile)
{
    if (!haveTool(QStringLiteral("ffmpeg")))
        GTEST_SKIP() << "ffmpeg is not installed";
    QTemporaryDir dir;
    const QString path = ffmpegMovie(QDir(dir.path()), QStringLiteral("good.avi"), 15, kColors, 16, 8,
                                     {"-c:v", "rawvideo", "-pix_fmt", "pal8"});
    ASSERT_FALSE(path.isEmpty());
    const QByteArray good = readAll(path);
    const qsizetype strf = formatOffset(good);
    const qsizetype strh = streamHeader(good).at;
    const qsizetype movi = good.indexOf("movi");
    ASSERT_GT(strf, 0);
    ASSERT_GT(strh, 0);
    ASSERT_GT(movi, 0);

    enum Outcome
    {
        Loads,   // every frame decodes
        Partly,  // opens; some frames may be missing
        Refused, // the calls before the first frame fail
    };
    const struct
    {
        const char* name;
        std::function<void(QByteArray&)> damage;
        Outcome outcome;
    } cases[] = {
        {"huge biClrUsed", [&](QByteArray& b) { setLe32(b, strf + 32, 0x7FFFFFFF); }, Loads},
        {"biSizeImage 0", [&](QByteArray& b) { setLe32(b, strf + 20, 0); }, Loads},
        {"huge biSizeImage", [&](QByteArray& b) { setLe32(b, strf + 20, 0xFFFFFFF0); }, Loads},
        {"dwLength 2^31", [&](QByteArray& b) { setLe32(b, strh + 32, 0x80000000u); }, Loads},
        {"dwStart near 2^32", [&](QByteArray& b) { setLe32(b, strh + 28, 0xFFFFFFFFu); }, Loads},
        {"movie list past the end", [&](QByteArray& b) { setLe32(b, movi - 4, 0xFFFFFFF0u); }, Loads},
        {"riff size past the end", [&](QByteArray& b) { setLe32(b, 4, 0xFFFFFFF0u); }, Loads},
        {"strf size past the end", [&](QByteArray& b) { setLe32(b, strf - 4, 0xFFFFFFF0u); }, Partly},
        {"index offsets nowhere",
         [&](QByteArray& b) {
             const qsizetype idx = b.lastIndexOf("idx1");
             for (qsizetype at = idx + 8; at + 16 <= b.size(); at += 16)
                 setLe32(b, at + 8, 0x7FFFFF00u);
         },
         Loads},
        {"index sizes past the end",
         [&](QByteArray& b) {
             const qsizetype idx = b.lastIndexOf("idx1");
             for (qsizetype at = idx + 8; at + 16 <= b.size(); at += 16)
                 setLe32(b, at + 12, 0xFFFFFFFFu);
         },
         Partly},
        {"cut in the middle", [&](QByteArray& b) { b.truncate(b.size() / 2); }, Partly},
        {"cut after the headers", [&](QByteArray& b) { b.truncate(movi + 4); }, Partly},
        {"width 0", [&](QByteArray& b) { setLe32(b, strf + 4, 0); }, Refused},
        {"width 2^31", [&](QByteArray& b) { setLe32(b, strf + 4, 0x80000000u); }, Refused},
        {"height -2^31", [&](QByteArray& b) { setLe32(b, strf + 8, 0x80000000u); }, Refused},
        {"65535 x 65535",
         [&](QByteArray& b) {
             setLe32(b, strf + 4, 65535);
             setLe32(b, strf + 8, 65535);
         },
         Refused},
        {"bit count 7", [&](QByteArray& b) { b[strf + 14] = 7; }, Refused},
        {"biSize past the format", [&](QByteArray& b) { setLe32(b, strf, 0x10000); }, Refused},
        {"short stream header", [&](QByteArray& b) { setLe32(b, strh - 4, 20); }, Refused},
        {"audio stream only", [&](QByteArray& b) { b.replace(strh, 4, "auds"); }, Refused},
        {"no RIFF", [&](QByteArray& b) { b[0] = 'X'; }, Refused},
        {"empty file", [&](QByteArray& b) { b.clear(); }, Refused},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray bytes = good;
        c.damage(bytes);
        const QString damaged = dir.filePath(QStringLiteral("damaged.avi"));
        ASSERT_TRUE(writeAll(damaged, bytes));
        const Decoded movie = decode(damaged);
        switch (c.outcome) {
        case Loads:
            ASSERT_TRUE(movie.opened);
            EXPECT_EQ(movie.frames.size(), kColors.size());
            for (size_t i = 0; i < movie.frames.size(); ++i)
                EXPECT_LE(distance(movie.frames[i].pixel(12, 6), kColors[i]), 4) << i;
            break;
        case Partly:
            EXPECT_LE(movie.frames.size(), kColors.size());
            break;
        case Refused:
            EXPECT_FALSE(movie.opened);
            break;
        }
    }
}

TEST(AviFileTest, AMovieReplacesTheTargetOnlyWhenComplete)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("movie.avi"));
    ASSERT_TRUE(writeAll(path, "older file"));
    const QByteArray format = greyFormat(4, 2);
    TAviStreamInfo info;
    info.fccType = kAviStreamTypeVideo;
    info.dwScale = 10;
    info.dwRate = 65;
    info.rcFrame = QRect(0, 0, 4, 2);
    {
        TAviFile avi;
        ASSERT_TRUE(avi.createFile(path));
        ASSERT_TRUE(avi.createStream(info, 8, 2));
        ASSERT_TRUE(avi.setFormat(format));
        ASSERT_TRUE(avi.write(0, QByteArray(8, '\x01'), kAviKeyFrame));
        // Abandoned here, as an export is when a frame fails.
    }
    EXPECT_EQ(readAll(path), "older file");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("movie.avi")});
    {
        TAviFile avi;
        ASSERT_TRUE(avi.createFile(path));
        ASSERT_TRUE(avi.createStream(info, 8, 2));
        ASSERT_TRUE(avi.setFormat(format));
        ASSERT_TRUE(avi.write(0, QByteArray(8, '\x01'), kAviKeyFrame));
        ASSERT_TRUE(avi.write(1, QByteArray(8, '\x02'), kAviKeyFrame));
        ASSERT_TRUE(avi.commit());
    }
    EXPECT_EQ(streamHeader(readAll(path)).length, 2u);
    EXPECT_FALSE(TAviFile().createFile(dir.filePath(QStringLiteral("missing/movie.avi"))));
}
