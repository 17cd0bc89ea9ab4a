// reduce IN OUT [--method N] [--dither N] [--bits N]: colour reduction of a picture, written as
// an 8-bit PNG or BMP (method 0 keeps 24 bits). --quantizer hq [--colors N] [--strength F]
// uses the high-quality quantizer instead of the reduction methods. IN is any picture the program reads: GIF through
// the engine (the first frame), BMP through the bitmap class, anything else through the imaging
// control.
#include "cli/CliCommon.h"
#include "gif/BitmapReduction.h"
#include "gif/KMeansQuantizer.h"
#include "graphics/Exceptions.h"
#include "graphics/Streams.h"
#include "platform/ImagingControl.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QSaveFile>
#include <cstdio>
#include <cstring>
#include <optional>

namespace cli {

namespace {

struct TReduceOptions
{
    QString input;
    QString output;
    int method = rmNetscape;
    int dither = dmNearest;
    int bits = 8;
    TQuantizerKind quantizer = TQuantizerKind::Octree;
    int colors = 256;
    double strength = 1.0;
};

int reduceUsage()
{
    std::fprintf(stderr, "usage: reelwright-cli reduce IN OUT [--quantizer octree] [--method 0-9] [--dither 0-6] [--bits 1-8]\n"
                         "       reelwright-cli reduce IN OUT --quantizer hq [--colors 1-256] [--strength 0-1]\n"
                         "       OUT ends in .png or .bmp\n");
    return ExitUsage;
}

std::optional<TReduceOptions> parseOptions(const QStringList& args)
{
    TReduceOptions options;
    QStringList positional;
    bool octreeOptions = false;
    bool hqOptions = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == "--quantizer") {
            const QString value = i + 1 < args.size() ? args[++i] : QString();
            if (value == "octree")
                options.quantizer = TQuantizerKind::Octree;
            else if (value == "hq")
                options.quantizer = TQuantizerKind::HighQuality;
            else
                return std::nullopt;
            continue;
        }
        if (arg == "--colors") {
            bool ok = false;
            options.colors = i + 1 < args.size() ? args[++i].toInt(&ok) : 0;
            if (!ok || options.colors < 1 || options.colors > 256)
                return std::nullopt;
            hqOptions = true;
            continue;
        }
        if (arg == "--strength") {
            bool ok = false;
            options.strength = i + 1 < args.size() ? args[++i].toDouble(&ok) : -1;
            // toDouble accepts "nan" and "inf"; the range test refuses both.
            if (!ok || !(options.strength >= 0.0 && options.strength <= 1.0))
                return std::nullopt;
            hqOptions = true;
            continue;
        }
        int* target = arg == "--method"   ? &options.method
                      : arg == "--dither" ? &options.dither
                      : arg == "--bits"   ? &options.bits
                                          : nullptr;
        if (!target) {
            if (arg.startsWith("--"))
                return std::nullopt;
            positional.append(arg);
            continue;
        }
        bool ok = false;
        *target = i + 1 < args.size() ? args[++i].toInt(&ok) : 0;
        // Values outside a byte would wrap into another method; refuse them here.
        if (!ok || *target < 0 || *target > 255)
            return std::nullopt;
        octreeOptions = true;
    }
    // Each quantizer's options mean nothing to the other; mixing them is a mistake to point out.
    if ((options.quantizer == TQuantizerKind::HighQuality && octreeOptions) ||
        (options.quantizer == TQuantizerKind::Octree && hqOptions))
        return std::nullopt;
    const QString suffix = positional.size() == 2 ? QFileInfo(positional[1]).suffix().toLower() : QString();
    if (suffix != "png" && suffix != "bmp")
        return std::nullopt;
    options.input = positional[0];
    options.output = positional[1];
    return options;
}

// The first frame as a bitmap: its pixels through its active colour map. (Disposal, offsets and
// transparency of the composed picture do not matter to a colour reduction of one frame.)
std::unique_ptr<TBitmap> readGif(const QString& fileName)
{
    TGIFImage image;
    loadImage(image, fileName);
    if (image.images().count() == 0 || image.images().subImage(0)->empty())
        throw EInvalidGraphic(QStringLiteral("%1 holds no picture").arg(fileName));
    TGIFSubImage* frame = image.images().subImage(0);
    auto bitmap = std::make_unique<TBitmap>(frame->width(), frame->height(), pf8bit);
    bitmap->setPalette(frame->activeColorMap().exportPalette());
    for (int y = 0; y < frame->height(); ++y)
        std::memcpy(bitmap->scanLine(y), frame->scanLine(y), size_t(frame->width()));
    return bitmap;
}

std::unique_ptr<TBitmap> readWithImaging(const QString& fileName)
{
    TImagingControl control;
    control.setFileName(fileName);
    if (control.errorCode() != imgOk)
        throw EInvalidGraphic(
            QStringLiteral("Cannot read %1 (imaging error %2)").arg(fileName).arg(control.errorCode()));
    const QByteArray file = dibToBitmapFile(control.takeDib());
    control.release();
    if (file.isEmpty())
        throw EInvalidGraphic(QStringLiteral("Cannot read %1").arg(fileName));
    auto bitmap = std::make_unique<TBitmap>();
    TMemoryStream stream(file);
    bitmap->loadFromStream(stream);
    return bitmap;
}

std::unique_ptr<TBitmap> readPicture(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == "gif")
        return readGif(fileName);
    if (suffix == "bmp") {
        auto bitmap = std::make_unique<TBitmap>();
        TMemoryStream stream;
        stream.loadFromFile(fileName);
        bitmap->loadFromStream(stream);
        return bitmap;
    }
    return readWithImaging(fileName);
}

QByteArray encode(TBitmap& bitmap, const QString& suffix)
{
    if (suffix == "bmp") {
        TMemoryStream stream;
        bitmap.saveToStream(stream);
        return stream.takeData();
    }
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (!bitmap.toImage().save(&buffer, "PNG"))
        throw EWriteError(QStringLiteral("Cannot encode the picture as PNG"));
    return data;
}

void writeFile(const QString& fileName, const QByteArray& data)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        throw EWriteError(QStringLiteral("Cannot write %1: %2").arg(fileName, file.errorString()));
}

} // namespace

int runReduce(const QStringList& args)
{
    const std::optional<TReduceOptions> options = parseOptions(args);
    if (!options)
        return reduceUsage();
    return guarded([&] {
        initializeImaging();
        std::unique_ptr<TBitmap> source = readPicture(options->input);
        TQuantizeOptions hq;
        hq.colors = options->colors;
        hq.ditherStrength = options->strength;
        std::unique_ptr<TBitmap> reduced =
            options->quantizer == TQuantizerKind::HighQuality
                ? quantizeBitmap(*source, hq)
                : reduceColors(*source, uint8_t(options->method), uint8_t(options->dither), options->bits);
        if (reduced->empty() && options->quantizer == TQuantizerKind::HighQuality) {
            printError(QStringLiteral("No picture in %1").arg(options->input));
            return ExitFailure;
        }
        if (reduced->empty()) {
            printError(QStringLiteral("No picture: method %1, dither %2 and bits %3 do not reduce %4")
                           .arg(options->method)
                           .arg(options->dither)
                           .arg(options->bits)
                           .arg(options->input));
            return ExitFailure;
        }
        writeFile(options->output, encode(*reduced, QFileInfo(options->output).suffix().toLower()));
        if (reduced->pixelFormat() == pf8bit)
            std::printf("%s: %dx%d, %d colours\n", qPrintable(options->output), reduced->width(),
                        reduced->height(), int(reduced->palette()->entries.size()));
        else
            std::printf("%s: %dx%d, 24 bits\n", qPrintable(options->output), reduced->width(),
                        reduced->height());
        return ExitOk;
    });
}

} // namespace cli
