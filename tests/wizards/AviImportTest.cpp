// AVI import: movies made by ffmpeg become animations with the stream's delay, the loop-forever
// extension and the comment on the first frame only, and their pictures; damaged movies fail with
// the step's message; the document-level import reports an empty movie.
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "gif/GIFRender.h"
#include "graphics/Bitmap.h"
#include "platform/AviRiff.h"
#include "platform/AviTestSupport.h"
#include "platform/MessageService.h"
#include "platform/ScriptedMessageService.h"
#include "platform/UserTexts.h"
#include "wizards/AVI.h"

#include <QApplication>
#include <QBuffer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace avitest;

namespace {

const std::vector<QRgb> kColors = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 255),
                                   qRgb(0, 0, 0)};

int delayOf(TGIFSubImage& frame)
{
    return frame.graphicControlExtension() ? frame.graphicControlExtension()->delay() : -1;
}

int commentsOf(TGIFSubImage& frame)
{
    int count = 0;
    for (int i = 0; i < frame.extensions().count(); ++i)
        if (auto* comment = dynamic_cast<TGIFCommentExtension*>(frame.extensions().extension(i)))
            count += comment->text().join(QString()) == QLatin1String(kCreatedWithComment) ? 1 : 0;
    return count;
}

int difference(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
}

QRgb framePixel(TGIFSubImage& frame, int x, int y)
{
    TBitmap* bitmap = gifFrameBitmap(frame);
    return bitmap ? bitmap->pixelRgb(x, y) : 0;
}

// A movie of 8-bit grey frames written by our own writer with chosen stream fields.
QString writtenMovie(const QString& path, uint32_t scale, uint32_t rate, uint32_t start, int frames)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    QByteArray format(40 + 1024, '\0');
    setLe32(format, 0, 40);
    setLe32(format, 4, 4);
    setLe32(format, 8, 2);
    format[12] = 1;
    format[14] = 8;
    for (int i = 0; i < 256; ++i)
        format[40 + i * 4] = format[41 + i * 4] = format[42 + i * 4] = char(i);
    TAviStreamInfo info;
    info.fccType = kAviStreamTypeVideo;
    info.dwScale = scale;
    info.dwRate = rate;
    info.dwStart = start;
    info.rcFrame = QRect(0, 0, 4, 2);
    TAviRiffWriter writer(file);
    if (!writer.begin(info, format, 8, frames))
        return {};
    for (int i = 0; i < frames; ++i)
        writer.writeFrame(i, QByteArray(8, char(i * 40)), true);
    return writer.finish() ? path : QString();
}

class TFakeAviHost : public IAviHost
{
public:
    TGIFImage* activeImage() override { return nullptr; }
    QString activeFileName() override { return {}; }
    TProgressEvent progressHandler() override
    {
        return [this](TObject*, TProgressStage stage, int, bool, const QRect&, const QString&) {
            stages.push_back(stage);
        };
    }
    void hideLogo() override { logoHidden = true; }
    bool openImportedImage(TGIFImage& image) override
    {
        opened = image.images().count();
        return true;
    }
    QWidget* mainWindow() override { return nullptr; }

    std::vector<TProgressStage> stages;
    bool logoHidden = false;
    int opened = -1;
};

} // namespace

TEST(AviImportTest, FfmpegMoviesBecomeAnimationsWithTheStreamDelay)
{
    if (!haveTool(QStringLiteral("ffmpeg")))
        GTEST_SKIP() << "ffmpeg is not installed";
    const struct
    {
        const char* name;
        int fps;
        QStringList codec;
        int delay;
        int tolerance; // summed over the three channels
    } cases[] = {
        // ffmpeg's palette conversion has 252 where the picture had 255; 8-bit frames keep it.
        {"pal8.avi", 15, {"-c:v", "rawvideo", "-pix_fmt", "pal8"}, 7, 6},
        // Colours of the web palette come through the reduction unchanged.
        {"bgr24.avi", 10, {"-c:v", "rawvideo", "-pix_fmt", "bgr24"}, 10, 0},
        {"mjpeg.avi", 15, {"-c:v", "mjpeg", "-q:v", "2", "-pix_fmt", "yuvj444p"}, 7, 120},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path =
            ffmpegMovie(QDir(dir.path()), QString::fromLatin1(c.name), c.fps, kColors, 40, 20, c.codec);
        ASSERT_FALSE(path.isEmpty());
        TGIFImage image;
        importAVI(image, path);
        ASSERT_EQ(image.images().count(), int(kColors.size()));
        EXPECT_EQ(image.width(), 40);
        EXPECT_EQ(image.height(), 20);
        for (int i = 0; i < image.images().count(); ++i) {
            TGIFSubImage& frame = *image.images().subImage(i);
            EXPECT_EQ(delayOf(frame), c.delay) << i;
            EXPECT_EQ(frame.loopExtension() != nullptr, i == 0) << i;
            EXPECT_EQ(commentsOf(frame), i == 0 ? 1 : 0) << i;
            EXPECT_LE(difference(framePixel(frame, 30, 15), kColors[size_t(i)]), c.tolerance) << i;
            if (c.tolerance == 0) {
                EXPECT_EQ(framePixel(frame, 2, 2), kColors[size_t(i + 1) % kColors.size()]) << i;
            }
        }
        if (TGIFAppExtNSLoop* loop = image.images().subImage(0)->loopExtension()) {
            EXPECT_EQ(loop->loops(), 0) << "loop forever";
        }
    }
}

TEST(AviImportTest, DelayFollowsScaleAndRate)
{
    const struct
    {
        uint32_t scale, rate;
        int delay;
    } cases[] = {
        {1, 15, 7},
        {1, 10, 10},
        {10, 65, 15},
        {250, 0, 2},
        {99, 0, 1},
        {0, 30, 1},
        {0xFFFFFFFFu, 1, 65535},
        {1, 0xFFFFFFFFu, 1},
        {1000000, 30000000, 3},
        {0xFFFFFFFFu, 0, 65535},
    };
    for (const auto& c : cases)
        EXPECT_EQ(aviFrameDelay(c.scale, c.rate), c.delay) << c.scale << "/" << c.rate;
}

TEST(AviImportTest, StreamsThatStartLaterKeepAllTheirFrames)
{
    QTemporaryDir dir;
    const QString path = writtenMovie(dir.filePath(QStringLiteral("start.avi")), 250, 0, 3, 5);
    ASSERT_FALSE(path.isEmpty());
    TGIFImage image;
    importAVI(image, path);
    ASSERT_EQ(image.images().count(), 5);
    EXPECT_EQ(delayOf(*image.images().subImage(0)), 2) << "rate 0: scale / 100";
    EXPECT_EQ(framePixel(*image.images().subImage(4), 0, 0), qRgb(160, 160, 160));
}

TEST(AviImportTest, DamagedMoviesFailWithTheStepsMessage)
{
    QTemporaryDir dir;
    const QString good = writtenMovie(dir.filePath(QStringLiteral("good.avi")), 1, 15, 0, 3);
    ASSERT_FALSE(good.isEmpty());
    const QByteArray bytes = readAll(good);
    const qsizetype strf = formatOffset(bytes);
    const qsizetype strh = streamHeader(bytes).at;
    const struct
    {
        const char* name;
        std::function<void(QByteArray&)> damage;
        const char* message; // null: loads
    } cases[] = {
        {"not a file", [](QByteArray& b) { b = "RIFX"; }, avimsg::OpenFile},
        {"no video stream", [&](QByteArray& b) { b.replace(strh, 4, "auds"); }, avimsg::OpenStream},
        {"short stream header", [&](QByteArray& b) { setLe32(b, strh - 4, 12); }, avimsg::StreamInfo},
        {"no format", [&](QByteArray& b) { b.replace(strf - 8, 4, "strx"); }, avimsg::FormatSize},
        {"format of 4 bytes", [&](QByteArray& b) { setLe32(b, strf - 4, 4); }, avimsg::Format},
        {"width 0", [&](QByteArray& b) { setLe32(b, strf + 4, 0); }, avimsg::Format},
        {"unknown codec", [&](QByteArray& b) { setLe32(b, strf + 16, aviFourCC('Z', 'Z', 'Z', '9')); },
         avimsg::StartDecompression},
        {"last frame cut short", [&](QByteArray& b) { b.truncate(b.lastIndexOf("idx1") - 4); },
         avimsg::DecompressFrame},
        {"huge biClrUsed", [&](QByteArray& b) { setLe32(b, strf + 32, 0xFFFFFFFFu); }, nullptr},
        {"dwLength 2^31", [&](QByteArray& b) { setLe32(b, strh + 32, 0x80000000u); }, nullptr},
        {"pixels missing", [&](QByteArray& b) { setLe32(b, strf + 4, 400); }, avimsg::DecompressFrame},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray damaged = bytes;
        c.damage(damaged);
        const QString path = dir.filePath(QStringLiteral("damaged.avi"));
        ASSERT_TRUE(writeAll(path, damaged));
        TGIFImage image;
        if (!c.message) {
            EXPECT_NO_THROW(importAVI(image, path));
            EXPECT_GE(image.images().count(), 1);
            continue;
        }
        try {
            importAVI(image, path);
            ADD_FAILURE() << "no error";
        } catch (const EAVIError& error) {
            EXPECT_EQ(error.message(), QString::fromLatin1(c.message));
        }
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "hourglass left on";
    }
}

TEST(AviImportTest, DocumentImportReportsEmptyMoviesAndFailures)
{
    QTemporaryDir dir;
    const QString empty = writtenMovie(dir.filePath(QStringLiteral("empty.avi")), 1, 15, 0, 0);
    const QString good = writtenMovie(dir.filePath(QStringLiteral("good.avi")), 1, 15, 0, 2);
    const QString missing = dir.filePath(QStringLiteral("missing.avi"));
    TScriptedMessageService messages;
    TScopedMessageService scope(messages);
    TFakeAviHost host;

    EXPECT_FALSE(importAVIDocument(host, empty));
    EXPECT_FALSE(importAVIDocument(host, missing));
    EXPECT_EQ(host.opened, -1);
    EXPECT_TRUE(importAVIDocument(host, good));
    EXPECT_EQ(host.opened, 2);
    EXPECT_TRUE(host.logoHidden);
    ASSERT_FALSE(host.stages.empty());
    EXPECT_EQ(host.stages.front(), psStarting);
    EXPECT_EQ(host.stages.back(), psEnding);

    const auto& shown = messages.recorded();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, QStringLiteral("Error importing %1 to GIF.").arg(empty));
    EXPECT_EQ(shown[0].type, TMsgType::Error);
    EXPECT_EQ(shown[1].text, QString::fromLatin1(avimsg::OpenFile));
}

TEST(AviImportTest, OtherMoviesImportThroughTheSamePath)
{
    if (!haveTool(QStringLiteral("ffmpeg")))
        GTEST_SKIP() << "ffmpeg is not installed";
    const struct
    {
        const char* name;
        int fps;
        QStringList codec;
        int delay;
    } cases[] = {
        // B-frames: the decoder hands pictures out in display order.
        {"movie.mp4", 25, {"-c:v", "libx264", "-pix_fmt", "yuv444p", "-bf", "2", "-qp", "0"}, 4},
        {"movie.webm", 10, {"-c:v", "libvpx", "-b:v", "2M"}, 10},
        {"movie.mkv", 15, {"-c:v", "mpeg4", "-q:v", "2"}, 7},
    };
    QTemporaryDir dir;
    TScriptedMessageService messages;
    TScopedMessageService scope(messages);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path =
            ffmpegMovie(QDir(dir.path()), QString::fromLatin1(c.name), c.fps, kColors, 32, 16, c.codec);
        if (path.isEmpty())
            continue; // an encoder this ffmpeg lacks
        TFakeAviHost host;
        ASSERT_TRUE(importAVIDocument(host, path));
        EXPECT_EQ(host.opened, int(kColors.size()));
        TGIFImage image;
        importVideo(image, path);
        ASSERT_EQ(image.images().count(), int(kColors.size()));
        for (int i = 0; i < image.images().count(); ++i) {
            TGIFSubImage& frame = *image.images().subImage(i);
            EXPECT_EQ(delayOf(frame), c.delay) << i;
            EXPECT_EQ(frame.loopExtension() != nullptr, i == 0) << i;
            EXPECT_LE(difference(framePixel(frame, 24, 12), kColors[size_t(i)]), 150) << i;
        }
    }
    const QString junk = dir.filePath(QStringLiteral("junk.mp4"));
    ASSERT_TRUE(writeAll(junk, QByteArray(4000, '\x42')));
    TFakeAviHost host;
    EXPECT_FALSE(importAVIDocument(host, junk));
    ASSERT_FALSE(messages.recorded().empty());
    EXPECT_EQ(messages.recorded().back().text, QString::fromLatin1(avimsg::OpenVideo));
}
