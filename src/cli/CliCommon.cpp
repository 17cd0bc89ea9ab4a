#include "cli/CliCommon.h"

#include "graphics/Exceptions.h"
#include "graphics/Streams.h"

#include <QSaveFile>
#include <cstdio>

namespace cli {

void printError(const QString& message)
{
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

int usage(bool toStdout)
{
    std::fprintf(toStdout ? stdout : stderr,
                 "usage: reelwright-cli info FILE... [--json] [--progress]\n"
                 "       reelwright-cli copy IN OUT [--rle] [--keep-if-smaller]\n"
                 "       reelwright-cli copy IN... (-o DIR | --in-place) [--rle] [--keep-if-smaller] [--progress]\n"
                 "       reelwright-cli optimize IN OUT [OPTIONS]\n"
                 "       reelwright-cli optimize IN... (-o DIR | --in-place) [OPTIONS] [--progress]\n"
                 "           OPTIONS: [--crop] [--merge] [--cleanup] [--colormaps] [--merge-maps] [--allow-larger]\n"
                 "                    [--lossy 1-1000]\n"
                 "       reelwright-cli optimize IN OUT --target-size SIZE   (SIZE: 500K, 1.5M, 200000; K = 1024)\n"
                 "       reelwright-cli optimize IN... (-o DIR | --in-place) --target-size SIZE [--progress]\n"
                 "       reelwright-cli bench FILE... [--repeat N] [--progress]\n"
                 "       reelwright-cli reduce IN OUT [--quantizer octree] [--method 0-9] [--dither 0-6] [--bits 1-8]\n"
                 "       reelwright-cli reduce IN OUT --quantizer hq [--colors 1-256] [--strength 0-1]\n"
                 "       reelwright-cli frames FILE DIR [--composed [--background]] [--bmp]\n"
                 "\n"
                 "Commands that take several files go on after a file that fails (one line FILE: message\n"
                 "on stderr) and end with exit status 1. Inputs are never overwritten except with\n"
                 "--in-place, and then through an atomic replace. --keep-if-smaller keeps the original\n"
                 "bytes when the result is not smaller; optimize always does so unless --allow-larger is\n"
                 "given. --progress draws a progress bar on stderr when it is a terminal.\n"
                 "optimize --lossy N lets LZW strings go on through colours within N of the pixel's own\n"
                 "(error diffused to neighbours): smaller files, still readable by every decoder. With\n"
                 "--lossy and --target-size colour maps are merged only when no colour is lost.\n"
                 "optimize --target-size tries the cheapest losses first (optimisation, then 128 and 64\n"
                 "colours, then lossy levels, then scaling), prints what it chose and never writes a file\n"
                 "above SIZE; when even the strongest setting does not fit it writes nothing and ends\n"
                 "with exit status 2.\n"
                 "reduce --quantizer hq: palette by median cut refined with k-means, Floyd-Steinberg\n"
                 "diffusion of the given strength (0 = nearest colour).\n"
                 "frames --composed composes as browsers do: the screen starts transparent and\n"
                 "restore-to-background clears to transparent. --background fills the screen with the\n"
                 "background colour instead, as the editor shows the animation.\n");
    return ExitUsage;
}

void loadImage(TGIFImage& image, const QString& fileName, QStringList* warnings)
{
    image.onWarning = [warnings](TObject*, int, const QString& message) {
        if (warnings)
            warnings->append(message);
    };
    TMemoryStream stream;
    stream.loadFromFile(fileName);
    image.loadFromStream(stream);
}

qint64 saveImage(TGIFImage& image, const QString& fileName)
{
    TMemoryStream stream;
    image.saveToStream(stream);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(stream.data()) != stream.size() || !file.commit())
        throw EWriteError(QStringLiteral("Cannot write %1: %2").arg(fileName, file.errorString()));
    return stream.size();
}

int guarded(const std::function<int()>& body)
{
    try {
        return body();
    } catch (const Exception& e) {
        printError(e.message());
    } catch (const std::bad_alloc&) {
        printError(QStringLiteral("Out of memory"));
    }
    return ExitFailure;
}

} // namespace cli
