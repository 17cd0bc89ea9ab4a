// frames FILE DIR [--composed] [--bmp]: writes one picture per frame into DIR, named
// frame-000.png, frame-001.png, ... Without --composed each frame's own rendering (its
// rectangle only); with --composed the whole logical screen as it is shown after that frame,
// painted by the engine's animation painter.
#include "cli/CliCommon.h"
#include "gif/GIFPainter.h"
#include "gif/GIFRender.h"
#include "graphics/Bitmap.h"
#include "graphics/Exceptions.h"

#include <QDir>
#include <QImage>
#include <QSaveFile>
#include <cstdio>

namespace cli {

namespace {

int framesUsage()
{
    std::fprintf(stderr, "usage: reelwright-cli frames FILE DIR [--composed] [--bmp]\n");
    return ExitUsage;
}

void writePicture(const QImage& picture, const QString& fileName, const char* format)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || !picture.save(&file, format) || !file.commit())
        throw EWriteError(QStringLiteral("Cannot write %1: %2").arg(fileName, file.errorString()));
}

} // namespace

int runFrames(const QStringList& args)
{
    QStringList positional;
    bool composed = false;
    bool bmp = false;
    for (const QString& arg : args) {
        if (arg == "--composed")
            composed = true;
        else if (arg == "--bmp")
            bmp = true;
        else if (arg.startsWith("--"))
            return framesUsage();
        else
            positional.append(arg);
    }
    if (positional.size() != 2)
        return framesUsage();
    return guarded([&] {
        TGIFImage image;
        loadImage(image, positional[0]);
        const QDir dir(positional[1]);
        if (!dir.exists() && !QDir().mkpath(dir.path()))
            throw EWriteError(QStringLiteral("Cannot create folder %1").arg(dir.path()));
        const char* format = bmp ? "BMP" : "PNG";
        const QString pattern = bmp ? QStringLiteral("frame-%1.bmp") : QStringLiteral("frame-%1.png");
        int written = 0;
        auto write = [&](const QImage& picture) {
            writePicture(picture, dir.filePath(pattern.arg(written, 3, 10, QLatin1Char('0'))), format);
            ++written;
        };
        if (composed) {
            // Transparent areas show the logical screen's background colour.
            const TColor background =
                image.globalColorMap().count() > 0 ? image.header().backgroundColor() : clBlack;
            gifPlayFrames(image, background, [&](int, const QImage& picture) { write(picture); });
        } else {
            for (int i = 0; i < image.images().count(); ++i) {
                TGIFSubImage& frame = *image.images().subImage(i);
                if (frame.empty())
                    continue;
                if (TBitmap* bitmap = gifFrameBitmap(frame))
                    write(bitmap->toImage());
            }
        }
        std::printf("%d frames written\n", written);
        return ExitOk;
    });
}

} // namespace cli
