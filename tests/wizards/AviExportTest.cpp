// AVI export: the scale rule, the movie as ffprobe and ffmpeg see it (8-bit rawvideo, rate 65, the
// composed pictures pixel for pixel), empty frames, cancelling, failures that leave the target alone.
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "gif/GIFPainter.h"
#include "platform/AviTestSupport.h"
#include "platform/ScriptedMessageService.h"
#include "wizards/AVI.h"
#include "wizards/Progress.h"

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace avitest;

namespace {

TGIFSubImage* addFrame(TGIFImage& image, QRect rect, std::vector<uint8_t> pixels)
{
    auto* frame = new TGIFSubImage(&image);
    image.images().add(frame);
    frame->setBoundsRect(rect);
    if (!pixels.empty())
        frame->setData(std::move(pixels));
    return frame;
}

TGIFGraphicControlExtension* control(TGIFSubImage* frame, int delay,
                                     TGIFDisposal disposal = TGIFDisposal::dmNone)
{
    auto* gce = new TGIFGraphicControlExtension(frame);
    frame->extensions().add(gce);
    frame->setGraphicControlExtension(gce);
    gce->setDelay(uint16_t(delay));
    gce->setDisposal(disposal);
    return gce;
}

// 20 x 10 screen, global colours black, red, green, blue. Frame 0 covers only the left half;
// frame 1 is partly transparent and removed to the background afterwards; frame 2 lies outside
// frame 0's rectangle.
void makeAnimation(TGIFImage& image)
{
    image.setWidth(20);
    image.setHeight(10);
    for (TColor color : {TColor(0x000000), TColor(0x0000FF), TColor(0x00FF00), TColor(0xFF0000)})
        image.globalColorMap().add(color);
    addFrame(image, QRect(0, 0, 10, 10), std::vector<uint8_t>(100, 1));
    std::vector<uint8_t> hole(6 * 4, 2);
    hole[0] = hole[1] = 0; // transparent
    TGIFSubImage* second = addFrame(image, QRect(4, 3, 6, 4), hole);
    auto* gce = control(second, 20, TGIFDisposal::dmBackground);
    gce->setTransparent(true);
    gce->setTransparentColorIndex(0);
    second->setTransparentFlag(true);
    control(image.images().subImage(0), 10);
    addFrame(image, QRect(12, 2, 5, 5), std::vector<uint8_t>(25, 3));
    control(image.images().subImage(2), 30);
}

std::vector<QImage> editorPictures(TGIFImage& image)
{
    std::vector<QImage> pictures;
    gifPlayFrames(image, image.header().backgroundColor(), [&](int, const QImage& picture) {
        pictures.push_back(picture.convertToFormat(QImage::Format_RGB888));
    });
    return pictures;
}

class TFakeHost : public IAviHost
{
public:
    TGIFImage* activeImage() override { return image; }
    QString activeFileName() override { return {}; }
    TProgressEvent progressHandler() override { return {}; }
    void hideLogo() override {}
    bool openImportedImage(TGIFImage&) override { return false; }
    QWidget* mainWindow() override { return &window; }

    TGIFImage* image = nullptr;
    QWidget window;
};

} // namespace

TEST(AviExportTest, ScaleIsTheDelayFoundBeforeALocalMapStopsTheScan)
{
    const struct
    {
        std::vector<int> delays; // -1: no graphic control extension
        int localMapFrame;       // -1: none
        int scale;
    } cases[] = {
        {{10, 20, 30}, -1, 30}, {{10, 20, 30}, 0, 10}, {{10, 20, 30}, 1, 20},
        {{-1, -1, -1}, -1, 1},  {{0, 0, 0}, 0, 1},     {{-1, 40, -1}, 0, 40},
    };
    for (const auto& c : cases) {
        TGIFImage image;
        image.setWidth(2);
        image.setHeight(2);
        image.globalColorMap().add(0);
        for (size_t i = 0; i < c.delays.size(); ++i) {
            TGIFSubImage* frame = addFrame(image, QRect(0, 0, 2, 2), std::vector<uint8_t>(4, 0));
            if (c.delays[i] >= 0)
                control(frame, c.delays[i]);
            if (int(i) == c.localMapFrame)
                frame->colorMap().add(0xFFFFFF);
        }
        bool local = false;
        EXPECT_EQ(aviExportScale(image, &local), c.scale);
        EXPECT_EQ(local, c.localMapFrame >= 0);
    }
}

TEST(AviExportTest, PlayersSeeTheComposedAnimationPixelForPixel)
{
    if (!haveTool(QStringLiteral("ffprobe")) || !haveTool(QStringLiteral("ffmpeg")))
        GTEST_SKIP() << "ffmpeg is not installed";
    TGIFImage image;
    makeAnimation(image);
    TAviMovie movie;
    ASSERT_TRUE(prepareAviMovie(image, movie, [](int) { return true; }));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("movie.avi"));
    exportAVI(path, movie, {});

    const StreamHeader strh = streamHeader(readAll(path));
    EXPECT_EQ(strh.scale, 30u);
    EXPECT_EQ(strh.rate, 65u);
    EXPECT_EQ(strh.length, 3u);
    EXPECT_EQ(probe(path, QStringLiteral("codec_name")), "rawvideo");
    EXPECT_EQ(probe(path, QStringLiteral("pix_fmt")), "pal8");
    EXPECT_EQ(probe(path, QStringLiteral("nb_read_frames")), "3");
    EXPECT_EQ(probe(path, QStringLiteral("width")), "20");
    EXPECT_EQ(probe(path, QStringLiteral("height")), "10");

    const std::vector<QImage> played = ffmpegFrames(path, 20, 10);
    const std::vector<QImage> shown = editorPictures(image);
    ASSERT_EQ(played.size(), 3u);
    ASSERT_EQ(shown.size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_TRUE(played[i] == shown[i]) << "frame " << i;
    // What that means, independently: frame 1's transparent pixels show frame 0, frame 2 lies
    // outside frame 0's rectangle and frame 1's area went back to the background.
    EXPECT_EQ(played[1].pixel(4, 3), qRgb(255, 0, 0));
    EXPECT_EQ(played[1].pixel(6, 3), qRgb(0, 255, 0));
    EXPECT_EQ(played[2].pixel(14, 4), qRgb(0, 0, 255));
    EXPECT_EQ(played[2].pixel(6, 4), qRgb(0, 0, 0));
    EXPECT_EQ(played[2].pixel(1, 1), qRgb(255, 0, 0));
}

TEST(AviExportTest, LocalMapsAreDitheredToOneSharedPalette)
{
    if (!haveTool(QStringLiteral("ffmpeg")))
        GTEST_SKIP() << "ffmpeg is not installed";
    TGIFImage image;
    makeAnimation(image);
    TGIFSubImage* first = image.images().subImage(0);
    first->colorMap().add(0x000000);
    first->colorMap().add(0x3399CC); // a web colour: dithering keeps it exact
    TAviMovie movie;
    ASSERT_TRUE(prepareAviMovie(image, movie, [](int) { return true; }));
    EXPECT_TRUE(movie.localMaps);
    EXPECT_EQ(movie.scale, 10);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("local.avi"));
    exportAVI(path, movie, {});
    const std::vector<QImage> played = ffmpegFrames(path, 20, 10);
    ASSERT_EQ(played.size(), 3u);
    EXPECT_EQ(played[0].pixel(1, 1), qRgb(0xCC, 0x99, 0x33));
    EXPECT_EQ(played[2].pixel(14, 4), qRgb(0, 0, 255));
}

TEST(AviExportTest, EmptyFramesLeaveTheirPositionEmpty)
{
    TGIFImage image;
    makeAnimation(image);
    image.images().subImage(1)->clear();
    TAviMovie movie;
    ASSERT_TRUE(prepareAviMovie(image, movie, [](int) { return true; }));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("gap.avi"));
    exportAVI(path, movie, {});
    const std::vector<uint32_t> sizes = indexSizes(readAll(path));
    ASSERT_EQ(sizes.size(), 3u);
    EXPECT_EQ(sizes[0], 20u * 10u);
    EXPECT_EQ(sizes[1], 0u);
    EXPECT_EQ(sizes[2], 20u * 10u);
}

TEST(AviExportTest, FailuresAndCancelLeaveTheTargetAlone)
{
    TScriptedMessageService messages;
    TScopedMessageService scope(messages);
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("movie.avi"));
    ASSERT_TRUE(writeAll(target, "older movie"));
    TGIFImage image;
    makeAnimation(image);
    TFakeHost host;
    host.image = &image;

    // Cancel pressed while the copy is prepared.
    QTimer::singleShot(0, [] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* form = qobject_cast<TfrmProgress*>(widget))
                form->btnCancel->click();
    });
    EXPECT_FALSE(exportAVIToFile(host, target));
    EXPECT_EQ(readAll(target), "older movie");
    EXPECT_TRUE(host.window.isEnabled());
    EXPECT_TRUE(messages.recorded().empty());

    // A folder that does not exist.
    EXPECT_FALSE(exportAVIToFile(host, dir.filePath(QStringLiteral("missing/movie.avi"))));
    ASSERT_EQ(messages.recorded().size(), 1u);
    EXPECT_EQ(messages.recorded()[0].text, QString::fromLatin1(avimsg::CreateFile));

    // Nothing to export.
    TGIFImage empty;
    empty.setWidth(4);
    empty.setHeight(4);
    addFrame(empty, QRect(0, 0, 0, 0), {});
    host.image = &empty;
    EXPECT_FALSE(exportAVIToFile(host, target));
    ASSERT_EQ(messages.recorded().size(), 2u);
    EXPECT_EQ(messages.recorded()[1].text, QString::fromLatin1(avimsg::ExportEmpty));
    EXPECT_EQ(readAll(target), "older movie");

    // Too large for an AVI file: refused before anything is written.
    TAviMovie huge;
    huge.size = QSize(4096, 4096);
    huge.bitmapInfo = QByteArray(1064, '\0');
    huge.frames.assign(70, QByteArray());
    try {
        exportAVI(target, huge, {});
        ADD_FAILURE() << "no error";
    } catch (const EAVIError& error) {
        EXPECT_EQ(error.message(), QString::fromLatin1(avimsg::TooLarge));
    }
    EXPECT_EQ(readAll(target), "older movie");

    // And a completed export replaces it.
    host.image = &image;
    EXPECT_TRUE(exportAVIToFile(host, target));
    EXPECT_EQ(streamHeader(readAll(target)).length, 3u);
    EXPECT_TRUE(host.window.isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(AviExportTest, VideosKeepTheFrameTimingOfTheAnimation)
{
    if (!haveTool(QStringLiteral("ffprobe")))
        GTEST_SKIP() << "ffprobe is not installed";
    TGIFImage image;
    makeAnimation(image);
    image.setWidth(21); // odd: padded for 4:2:0
    TAviMovie movie;
    ASSERT_TRUE(prepareAviMovie(image, movie, [](int) { return true; }));
    QTemporaryDir dir;
    const QString mp4 = dir.filePath(QStringLiteral("movie.mp4"));
    try {
        exportVideo(mp4, image, movie, TVideoWriter::Kind::Mp4, {});
    } catch (const EAVIError& error) {
        GTEST_SKIP() << "no H.264 encoder: " << error.what();
    }
    EXPECT_EQ(probe(mp4, QStringLiteral("codec_name")), "h264");
    EXPECT_EQ(probe(mp4, QStringLiteral("pix_fmt")), "yuv420p");
    EXPECT_EQ(probe(mp4, QStringLiteral("width")), "22");
    EXPECT_EQ(probe(mp4, QStringLiteral("height")), "10");
    EXPECT_EQ(probe(mp4, QStringLiteral("nb_read_frames")), "3");
    // Delays 10, 20 and 30 hundredths: frames at 0, 0.1 and 0.3 s, 0.6 s in all.
    QByteArray out;
    run(QStringLiteral("ffprobe"),
        {"-v", "error", "-select_streams", "v:0", "-show_entries", "packet=pts_time,duration_time", "-of",
         "csv=p=0", mp4},
        &out);
    QStringList times = QString::fromUtf8(out).trimmed().split(QLatin1Char('\n'));
    times.sort();
    ASSERT_EQ(times.size(), 3);
    EXPECT_TRUE(times[0].startsWith("0.000000,0.100000")) << times[0].toStdString();
    EXPECT_TRUE(times[1].startsWith("0.100000,0.200000")) << times[1].toStdString();
    EXPECT_TRUE(times[2].startsWith("0.300000,0.300000")) << times[2].toStdString();

    const QString webp = dir.filePath(QStringLiteral("movie.webp"));
    exportVideo(webp, image, movie, TVideoWriter::Kind::WebP, {});
    if (haveTool(QStringLiteral("identify"))) {
        // The encoder stores changed rectangles only, and it chooses the last frame's time itself.
        QByteArray frames;
        run(QStringLiteral("identify"), {"-format", "%T %[page]\n", webp}, &frames);
        const QStringList lines = QString::fromUtf8(frames).trimmed().split(QLatin1Char('\n'));
        ASSERT_EQ(lines.size(), 3) << frames.constData();
        EXPECT_TRUE(lines[0].startsWith("10 21x10")) << frames.constData();
        EXPECT_TRUE(lines[1].startsWith("20 21x10")) << frames.constData();
    }
}
