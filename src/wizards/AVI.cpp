#include "wizards/AVI.h"

#include "editing/EditSession.h"
#include "editing/FrameInsertion.h"
#include "editing/LoopExtension.h"
#include "editing/UIHelpers.h"
#include "gif/ColorReduction.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "gif/GIFPainter.h"
#include "gif/PainterClock.h"
#include "gif/SystemPalettes.h"
#include "graphics/Bitmap.h"
#include "graphics/Canvas.h"
#include "graphics/Streams.h"
#include "platform/AviFile.h"
#include "platform/AviRiff.h"
#include "platform/MessageService.h"
#include "platform/UserTexts.h"
#include "platform/VideoFile.h"
#include "wizards/Progress.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kExportRate = 65;

// The application-starting cursor while a movie is written, back on every path out.
class TBusyCursor
{
public:
    TBusyCursor() { QApplication::setOverrideCursor(Qt::BusyCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

void addDelay(TGIFSubImage& frame, int delay)
{
    auto* control = new TGIFGraphicControlExtension(&frame);
    control->setDelay(uint16_t(delay));
    frame.extensions().add(control);
    frame.setGraphicControlExtension(control);
}

// Progress of the import in the engine's pattern, ending from the destructor on every path.
class TImportProgress
{
public:
    explicit TImportProgress(TGIFImage& image) : m_image(image)
    {
        m_image.reportProgress(psStarting, 0, false, QStringLiteral("Loading..."));
    }
    ~TImportProgress()
    {
        m_image.reportProgress(psEnding, m_done ? 100 : 0, true, QStringLiteral("Loading..."));
    }
    void running(int64_t index, int64_t count)
    {
        m_image.reportProgress(psRunning, int(index * 100 / std::max<int64_t>(count, 1)), false,
                               QStringLiteral("Loading..."));
    }
    void done() { m_done = true; }

private:
    TGIFImage& m_image;
    bool m_done = false;
};

// Adds a decompressed picture (packed DIB; format supplies the colour table of palette movies)
// as the next frame with the movie's delay; the first frame loops forever. pixels counts what
// the image holds so far.
void addMovieFrame(TGIFImage& image, const QByteArray& format, const QByteArray& dib, int delay,
                   int64_t& pixels)
{
    const QByteArray file = aviFrameBitmapFile(format, dib);
    if (file.isEmpty())
        throw EAVIError(avimsg::DecompressFrame);
    TBitmap bitmap;
    try {
        TMemoryStream stream(file);
        bitmap.loadFromStream(stream);
    } catch (const Exception&) {
        throw EAVIError(avimsg::DecompressFrame);
    }
    // A long movie would fill the memory one frame at a time; the engine's load limit holds.
    pixels += int64_t(bitmap.width()) * bitmap.height();
    if (pixels > gifSettings().maxLoadPixels)
        throw EAVIError(QString::fromLatin1(avimsg::TooLong).arg(gifSettings().maxLoadPixels / 1000000));
    const int index = image.add(&bitmap);
    TGIFSubImage& frame = *image.images().subImage(index);
    if (index == 0)
        addLoopExtension(image, frame, 0);
    addDelay(frame, delay);
}

void finishMovieImport(TGIFImage& image)
{
    if (image.images().count() > 0) {
        image.optimizeColorMaps();
        addComment(*image.images().subImage(0), QString::fromLatin1(kCreatedWithComment));
    }
}

} // namespace

int aviFrameDelay(uint32_t scale, uint32_t rate)
{
    const int64_t delay = rate != 0 ? (int64_t(scale) * 100 + rate / 2) / rate : int64_t(scale) / 100;
    return int(std::clamp<int64_t>(delay, 1, 65535));
}

void importAVI(TGIFImage& image, const QString& path)
{
    TWaitCursor wait;
    TAviFile avi; // its destructor releases the stream and the file on every path
    if (!avi.openRead(path))
        throw EAVIError(avimsg::OpenFile);
    if (!avi.getVideoStream())
        throw EAVIError(avimsg::OpenStream);
    TAviStreamInfo info;
    if (!avi.streamInfo(info))
        throw EAVIError(avimsg::StreamInfo);
    const int delay = aviFrameDelay(info.dwScale, info.dwRate);
    int64_t formatSize = 0;
    if (!avi.readFormatSize(formatSize))
        throw EAVIError(avimsg::FormatSize);
    QByteArray format;
    if (!avi.readFormat(format))
        throw EAVIError(avimsg::Format);
    if (!avi.beginStreaming())
        throw EAVIError(avimsg::StartStream);
    if (!avi.getFrameOpen())
        throw EAVIError(avimsg::StartDecompression);

    image.setColorReduction(rmNetscape);
    image.setDitherMode(dmFloydSteinberg);
    // The stream runs from dwStart for dwLength frames; dwLength comes from the file, so the
    // chunks really present bound the loop.
    const int64_t count = std::min<int64_t>(info.dwLength, avi.framesPresent());
    TImportProgress progress(image);
    int64_t pixels = 0;
    for (int64_t i = 0; i < count; ++i) {
        addMovieFrame(image, format, avi.getFrame(int64_t(info.dwStart) + i), delay, pixels);
        progress.running(i + 1, count);
    }
    finishMovieImport(image);
    progress.done();
}

void importVideo(TGIFImage& image, const QString& path)
{
    TWaitCursor wait;
    TVideoFile video;
    if (!video.open(path))
        throw EAVIError(avimsg::OpenVideo);
    const int delay = video.frameDelay();
    image.setColorReduction(rmNetscape);
    image.setDitherMode(dmFloydSteinberg);
    TImportProgress progress(image);
    int64_t pixels = 0;
    for (;;) {
        bool failed = false;
        const QByteArray dib = video.nextFrame(failed);
        if (failed)
            throw EAVIError(avimsg::DecompressVideo);
        if (dib.isEmpty())
            break;
        addMovieFrame(image, QByteArray(), dib, delay, pixels);
        // The length of a video is not known before its end; the bar shows the frames so far.
        progress.running(image.images().count() % 100, 100);
    }
    finishMovieImport(image);
    progress.done();
}

// ---- export ----------------------------------------------------------------------------------

int aviExportScale(TGIFImage& image, bool* localMaps)
{
    bool localSeen = false;
    int scale = 0;
    const int count = image.images().count();
    for (int i = 0; i < count; ++i) {
        TGIFSubImage& frame = *image.images().subImage(i);
        if (frame.colorMap().count() > 0)
            localSeen = true;
        if (const TGIFGraphicControlExtension* control = frame.graphicControlExtension())
            scale = control->delay();
        if (localSeen && scale != 0)
            break;
    }
    if (localMaps) {
        bool any = false;
        for (int i = 0; i < count && !any; ++i)
            any = image.images().subImage(i)->colorMap().count() > 0;
        *localMaps = any;
    }
    return scale == 0 ? 1 : scale;
}

bool prepareAviMovie(TGIFImage& image, TAviMovie& movie, const std::function<bool(int frameIndex)>& step)
{
    movie = TAviMovie();
    movie.size = QSize(image.width(), image.height());
    movie.scale = aviExportScale(image, &movie.localMaps);
    const int count = image.images().count();
    movie.frames.assign(size_t(count), QByteArray());
    if (count == 0 || movie.size.isEmpty())
        return true;

    // One palette for the whole movie: the stream format carries only the first frame's.
    // Animations with local maps are dithered to the web palette (as the editor renders them
    // when dithering); the others keep their global colours exactly.
    TGIFGlobalColorMap& global = image.globalColorMap();
    HPALETTE palette;
    uint8_t reduction = rmNetscape;
    uint8_t dither = dmFloydSteinberg;
    if (!movie.localMaps && global.count() > 0) {
        std::vector<TPaletteEntry> entries;
        for (const TGIFColor& color : global.entries())
            entries.push_back({color.red, color.green, color.blue, 0});
        palette = createPalette(std::move(entries));
        reduction = rmPalette;
        dither = dmNearest;
    } else {
        palette = webPalette();
    }

    const int width = movie.size.width(), height = movie.size.height();
    const int row = (width * 8 + 31) / 32 * 4;
    QByteArray& info = movie.bitmapInfo;
    info = aviDibHeader(width, height, 8, kBiRgb, uint32_t(int64_t(row) * height), 256);
    for (int i = 0; i < 256; ++i) {
        const bool present = palette && i < int(palette->entries.size());
        const TPaletteEntry entry = present ? palette->entries[size_t(i)] : TPaletteEntry();
        const char quad[4] = {char(entry.blue), char(entry.green), char(entry.red), 0};
        info.append(quad, 4);
    }

    const TColor background = global.count() > 0 ? image.header().backgroundColor() : clBlack;
    // The painter ends an animation at its first empty frame (the editor keeps those last); an
    // empty frame in the middle must not cut the movie, so the painter gets a copy without them.
    std::vector<int> shownFrames; // painter's frame index -> frame index of the image
    for (int i = 0; i < count; ++i)
        if (!image.images().subImage(i)->empty())
            shownFrames.push_back(i);
    TGIFImage compact;
    TGIFImage* painted = &image;
    if (!shownFrames.empty() && shownFrames.back() + 1 != int(shownFrames.size())) {
        compact.onWarning = [](TObject*, int, const QString&) {
        };
        compact.assign(&image);
        for (int i = compact.images().count() - 1; i >= 0; --i)
            if (compact.images().subImage(i)->empty())
                compact.images().deleteAt(i);
        painted = &compact;
    }

    int next = 0; // the next frame whose step has not run
    bool cancelled = false;
    auto stepTo = [&](int index) {
        for (; next <= index && !cancelled; ++next)
            cancelled = !step(next);
        return !cancelled;
    };
    std::vector<uint8_t> bgr(size_t(width) * 3 * size_t(height));
    gifPlayFramesWhile(*painted, background, [&](int shown, const QImage& picture) {
        if (shown < 0 || shown >= int(shownFrames.size()))
            return !cancelled;
        const int index = shownFrames[size_t(shown)];
        if (!stepTo(index))
            return false;
        const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < height; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
            uint8_t* out = bgr.data() + size_t(y) * size_t(width) * 3;
            for (int x = 0; x < width; ++x) {
                out[x * 3] = uint8_t(qBlue(line[x]));
                out[x * 3 + 1] = uint8_t(qGreen(line[x]));
                out[x * 3 + 2] = uint8_t(qRed(line[x]));
            }
        }
        const TReduction reduced =
            reduceColors(bgr.data(), width, height, std::ptrdiff_t(width) * 3, reduction, dither, 8, palette);
        if (reduced.kind != TReduction::Kind::Indexed)
            return true;
        QByteArray rows(row * height, '\0');
        for (int y = 0; y < height; ++y)
            std::memcpy(rows.data() + int64_t(height - 1 - y) * row,
                        reduced.pixels.data() + int64_t(y) * width, size_t(width));
        movie.frames[size_t(index)] = rows;
        return true;
    });
    if (!cancelled)
        stepTo(count - 1);
    if (cancelled) {
        movie.frames.assign(size_t(count), QByteArray());
        return false;
    }
    return true;
}

void exportAVI(const QString& path, const TAviMovie& movie,
               const std::function<void(int frameIndex)>& position)
{
    TBusyCursor busy;
    TAviFile avi; // an unfinished movie is discarded with it; the target stays as it was
    if (!avi.createFile(path))
        throw EAVIError(avimsg::CreateFile);
    if (movie.bitmapInfo.size() < 40 || movie.size.isEmpty())
        throw EAVIError(avimsg::BitmapInfo);
    const int width = movie.size.width(), height = movie.size.height();
    const int64_t frameBytes = int64_t((width * 8 + 31) / 32 * 4) * height;
    const int count = int(movie.frames.size());
    if (TAviRiffWriter::predictedSize(movie.bitmapInfo.size(), frameBytes, count) >= kAviMaxFileSize)
        throw EAVIError(avimsg::TooLarge);

    TAviStreamInfo info;
    info.fccType = kAviStreamTypeVideo;
    info.dwScale = uint32_t(movie.scale);
    info.dwRate = kExportRate;
    info.dwSuggestedBufferSize = uint32_t(frameBytes);
    info.rcFrame = QRect(0, 0, width, height);
    if (!avi.createStream(info, frameBytes, count))
        throw EAVIError(avimsg::CreateStream);
    if (!avi.setFormat(movie.bitmapInfo))
        throw EAVIError(avimsg::SetFormat);
    for (int i = 0; i < count; ++i) {
        if (position)
            position(i);
        const QByteArray& pixels = movie.frames[size_t(i)];
        if (pixels.isEmpty())
            continue; // frames without pixels leave their position empty
        if (pixels.size() != frameBytes || !avi.write(i, pixels, kAviKeyFrame))
            throw EAVIError(avimsg::AddFrame);
    }
    if (!avi.commit())
        throw EAVIError(avimsg::AddFrame);
}

// ---- commands --------------------------------------------------------------------------------

void importAVICommand(IAviHost& host)
{
    TFileDialogRequest request;
    request.filter = QString::fromLatin1(avimsg::Filter) + QLatin1Char('|') + videoFileFilter();
    const TFileDialogResult result = messageService().openFile(request);
    if (result.accepted && !result.files.isEmpty())
        importAVIDocument(host, result.files.first());
}

bool importAVIDocumentOrThrow(IAviHost& host, const QString& path)
{
    host.hideLogo();
    TGIFImage image;
    image.onProgress = host.progressHandler();
    image.onWarning = [](TObject*, int, const QString&) {
    };
    if (isVideoFileName(path))
        importVideo(image, path);
    else
        importAVI(image, path);
    if (image.images().count() == 0)
        throw EAVIError(QString::fromLatin1(avimsg::ImportError).arg(path));
    image.onProgress = nullptr;
    return host.openImportedImage(image);
}

bool importAVIDocument(IAviHost& host, const QString& path)
{
    try {
        return importAVIDocumentOrThrow(host, path);
    } catch (const Exception& error) {
        messageDlg(error.message(), TMsgType::Error, TMsgButtons::Ok);
        return false;
    }
}

bool exportAVICommandOrThrow(IAviHost& host)
{
    if (!host.activeImage())
        return false;
    TFileDialogRequest request;
    // The same composition also goes out as an MP4 video or an animated WebP, chosen by the
    // file type.
    request.filter =
        QString::fromLatin1(avimsg::Filter) + QLatin1Char('|') + QString::fromLatin1(avimsg::VideoFilters);
    request.defaultSuffix = QStringLiteral("avi");
    // The document's name without its extension; a dot in a folder name is not an extension.
    const QFileInfo document(host.activeFileName());
    request.initialDir = document.path();
    request.fileName =
        document.completeBaseName().isEmpty() ? document.fileName() : document.completeBaseName();
    const TFileDialogResult result = messageService().saveFile(request);
    if (!result.accepted || result.files.isEmpty())
        return false;
    const QString path = result.files.first();
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool mp4 =
        suffix == QLatin1String("mp4") || (suffix != QLatin1String("avi") && result.filterIndex == 2);
    const bool webp =
        suffix == QLatin1String("webp") || (suffix != QLatin1String("avi") && result.filterIndex == 3);
    if (!mp4 && !webp)
        return exportAVIToFileOrThrow(host, path);
    return exportVideoToFileOrThrow(host, path, mp4 ? TVideoWriter::Kind::Mp4 : TVideoWriter::Kind::WebP);
}

bool exportAVICommand(IAviHost& host)
{
    try {
        return exportAVICommandOrThrow(host);
    } catch (const Exception& error) {
        messageDlg(error.message(), TMsgType::Error, TMsgButtons::Ok);
        return false;
    }
}

namespace {

// The export frame shared by the AVI and video exports: the progress form over a disabled main
// window, a copy of the active animation composed under it (Cancel stops here), then write(copy,
// movie, form). False when cancelled or without a document.
bool exportWithProgress(IAviHost& host, const QString& path,
                        const std::function<void(TGIFImage&, const TAviMovie&, TfrmProgress&)>& write)
{
    TGIFImage* source = host.activeImage();
    if (!source)
        return false;
    QPointer<QWidget> main = host.mainWindow();
    // The main window stays disabled while the form is up, so no other command starts; back on
    // every path out.
    struct Enable
    {
        QPointer<QWidget>& window;
        ~Enable()
        {
            if (window)
                window->setEnabled(true);
        }
    } enable{main};
    if (main)
        main->setEnabled(false);
    TfrmProgress form;
    const int count = source->images().count();
    form.prgBar->setRange(0, std::max(count - 1, 0));
    form.prgBar->setValue(0);
    form.lblFileName->setText(QString::fromLatin1(avimsg::Preparing).arg(QFileInfo(path).fileName()));
    form.show();

    TGIFImage copy;
    copy.onWarning = [](TObject*, int, const QString&) {
    };
    try {
        copy.assign(source);
    } catch (const Exception&) {
        // What could be copied is exported.
    }
    if (copy.nonEmptyFrameCount() == 0)
        throw EAVIError(avimsg::ExportEmpty);

    TAviMovie movie;
    const bool prepared = prepareAviMovie(copy, movie, [&form](int) {
        form.stepIt();
        QCoreApplication::processEvents();
        return form.modalResult() != mrCancel;
    });
    if (!prepared)
        return false;
    // The movie is written in one go; Cancel has done its part once writing starts.
    form.btnCancel->setEnabled(false);
    write(copy, movie, form);
    return true;
}

} // namespace

bool exportAVIToFileOrThrow(IAviHost& host, const QString& path)
{
    return exportWithProgress(host, path, [&path](TGIFImage&, const TAviMovie& movie, TfrmProgress& form) {
        form.lblFileName->setText(QString::fromLatin1(avimsg::Exporting));
        exportAVI(path, movie, [&form](int index) {
            form.prgBar->setValue(index);
            QCoreApplication::processEvents();
        });
    });
}

void exportVideo(const QString& path, TGIFImage& image, const TAviMovie& movie, TVideoWriter::Kind kind,
                 const std::function<void(int frameIndex)>& position)
{
    TBusyCursor busy;
    TVideoWriter writer;
    if (!writer.open(path, kind, movie.size.width(), movie.size.height()))
        throw EAVIError(avimsg::CreateVideo);
    // The pictures are the AVI's: 8-bit rows bottom-up over the movie's palette.
    QVector<QRgb> colors;
    for (int i = 0; i < 256 && 40 + i * 4 + 3 < movie.bitmapInfo.size(); ++i) {
        const char* quad = movie.bitmapInfo.constData() + 40 + i * 4;
        colors.append(qRgb(uint8_t(quad[2]), uint8_t(quad[1]), uint8_t(quad[0])));
    }
    const int width = movie.size.width(), height = movie.size.height();
    const int row = (width + 3) / 4 * 4;
    int64_t time = 0;
    bool written = false;
    for (int i = 0; i < int(movie.frames.size()); ++i) {
        if (position)
            position(i);
        const QByteArray& rows = movie.frames[size_t(i)];
        if (rows.size() != int64_t(row) * height)
            continue; // frames without pixels show nothing and take no time
        QImage picture(width, height, QImage::Format_Indexed8);
        picture.setColorTable(colors);
        for (int y = 0; y < height; ++y)
            std::memcpy(picture.scanLine(y), rows.constData() + int64_t(height - 1 - y) * row, size_t(width));
        if (!writer.writeFrame(picture, time))
            throw EAVIError(avimsg::AddVideoFrame);
        written = true;
        const TGIFGraphicControlExtension* control =
            i < image.images().count() ? image.images().subImage(i)->graphicControlExtension() : nullptr;
        const int delay = control && control->delay() > 0 ? control->delay() : gifSettings().defaultDelay;
        time += std::max(delay, 1);
    }
    if (!written || !writer.finish(time))
        throw EAVIError(avimsg::AddVideoFrame);
}

bool exportVideoToFileOrThrow(IAviHost& host, const QString& path, TVideoWriter::Kind kind)
{
    return exportWithProgress(host, path, [&](TGIFImage& copy, const TAviMovie& movie, TfrmProgress& form) {
        form.lblFileName->setText(QString::fromLatin1(avimsg::ExportingVideo));
        exportVideo(path, copy, movie, kind, [&form](int index) {
            form.prgBar->setValue(index);
            QCoreApplication::processEvents();
        });
    });
}

bool exportAVIToFile(IAviHost& host, const QString& path)
{
    try {
        return exportAVIToFileOrThrow(host, path);
    } catch (const Exception& error) {
        messageDlg(error.message(), TMsgType::Error, TMsgButtons::Ok);
        return false;
    }
}
