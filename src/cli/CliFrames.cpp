// frames FILE DIR [--composed [--background]] [--bmp]: writes one picture per frame into DIR,
// named frame-000.png, frame-001.png, ... Without --composed each frame's own rendering (its
// rectangle only). With --composed the whole logical screen as it is shown after that frame, the
// way browsers compose: the screen starts transparent and restore-to-background clears to
// transparent. With --background as well, the screen is painted by the engine's animation
// painter on the background colour, as the editor shows it.
#include "cli/CliCommon.h"
#include "gif/GIFPainter.h"
#include "gif/GIFRender.h"
#include "graphics/Bitmap.h"
#include "graphics/Exceptions.h"

#include <QDir>
#include <QImage>
#include <QSaveFile>
#include <algorithm>
#include <cstdio>

namespace cli {

namespace {

int framesUsage()
{
    std::fprintf(stderr, "usage: reelwright-cli frames FILE DIR [--composed [--background]] [--bmp]\n");
    return ExitUsage;
}

void writePicture(const QImage& picture, const QString& fileName, const char* format)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || !picture.save(&file, format) || !file.commit())
        throw EWriteError(QStringLiteral("Cannot write %1: %2").arg(fileName, file.errorString()));
}

// Browsers' composition: an ARGB screen that starts transparent; each frame's opaque pixels are
// drawn in the colours the renderer gives them; restore-to-background clears to transparent.
void composeTransparent(TGIFImage& image, const std::function<void(const QImage&)>& shown)
{
    const int width = image.width();
    const int height = image.height();
    if (width <= 0 || height <= 0)
        return;
    QImage screen(width, height, QImage::Format_ARGB32);
    screen.fill(Qt::transparent);
    for (int i = 0; i < image.images().count(); ++i) {
        TGIFSubImage& frame = *image.images().subImage(i);
        if (frame.empty())
            continue;
        const TGIFDisposal disposal = frame.graphicControlExtension()
                                          ? frame.graphicControlExtension()->disposal()
                                          : TGIFDisposal::dmNone;
        const QImage before = disposal == TGIFDisposal::dmPrevious ? screen.copy() : QImage();
        // The renderer's colours, so that indexes past a short map show as the editor shows them.
        QList<QRgb> colors;
        if (TBitmap* rendered = gifFrameBitmap(frame))
            colors = rendered->toImage().colorTable();
        TGIFColorMap& map = frame.activeColorMap();
        for (int c = 0; c < map.count(); ++c) {
            const TGIFColor& entry = map.entry(c);
            if (c < colors.size())
                colors[c] = qRgb(entry.red, entry.green, entry.blue);
            else
                colors.append(qRgb(entry.red, entry.green, entry.blue));
        }
        const int key = frame.transparentIndex();
        const QRect area = frame.boundsRect().intersected(QRect(0, 0, width, height));
        for (int y = area.top(); y <= area.bottom(); ++y) {
            const uint8_t* row = frame.scanLine(y - frame.top());
            auto* out = reinterpret_cast<QRgb*>(screen.scanLine(y));
            for (int x = area.left(); x <= area.right(); ++x) {
                const int index = row[x - frame.left()];
                if (index != key)
                    out[x] = 0xFF000000u | (index < colors.size() ? colors[index] : 0u);
            }
        }
        shown(screen);
        if (disposal == TGIFDisposal::dmBackground) {
            for (int y = area.top(); y <= area.bottom(); ++y) {
                auto* out = reinterpret_cast<QRgb*>(screen.scanLine(y));
                std::fill(out + area.left(), out + area.right() + 1, QRgb(0));
            }
        } else if (disposal == TGIFDisposal::dmPrevious) {
            screen = before;
        }
    }
}

} // namespace

int runFrames(const QStringList& args)
{
    QStringList positional;
    bool composed = false;
    bool background = false;
    bool bmp = false;
    for (const QString& arg : args) {
        if (arg == "--composed")
            composed = true;
        else if (arg == "--background")
            background = true;
        else if (arg == "--bmp")
            bmp = true;
        else if (arg.startsWith("--"))
            return framesUsage();
        else
            positional.append(arg);
    }
    if (positional.size() != 2 || (background && !composed))
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
        if (composed && !background) {
            composeTransparent(image, write);
        } else if (composed) {
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
