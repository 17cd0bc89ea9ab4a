// Optimisation benchmark on the real animations of the shared corpus and on generated two-colour
// and 256-colour animations: time per megapixel of the colour-map merge and of the whole-image
// optimisation (crop, merge, clean-up, colour maps), the size our optimised file has against
// "gifsicle -O2" run on the same file in the same run, and whether ours is larger than its input
// (marked "LARGER").
#include "BenchSupport.h"

#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "graphics/Streams.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

double megapixels(TGIFImage& image)
{
    double pixels = 0;
    for (int i = 0; i < image.images().count(); ++i) {
        const TGIFSubImage* frame = image.images().subImage(i);
        pixels += double(frame->width()) * frame->height();
    }
    return pixels / 1e6;
}

void load(TGIFImage& image, const QString& fileName)
{
    image.onWarning = [](TObject*, int, const QString&) {};
    image.loadFromFile(fileName);
}

qint64 optimisedSize(TGIFImage& image)
{
    TMemoryStream out;
    image.saveToStream(out);
    return out.size();
}

// Size of gifsicle -O2's output, or -1 when gifsicle is missing or fails.
qint64 gifsicleSize(const QString& fileName, const QString& folder)
{
    const QString output = folder + "/gifsicle.gif";
    QProcess process;
    process.start("gifsicle", {"-O2", fileName, "-o", output});
    if (!process.waitForFinished(300000) || process.exitCode() != 0)
        return -1;
    return QFileInfo(output).size();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    qint64 totalOurs = 0;
    qint64 totalDelivered = 0; // what `reelwright-cli optimize` writes: never more than the input
    qint64 totalPeer = 0;
    qint64 totalOriginal = 0;
    std::printf("%-40s %10s %10s %10s %7s %12s %12s\n", "file", "original", "ours", "gifsicle", "ratio",
                "merge ms/MP", "optim ms/MP");
    int larger = 0;
    QStringList files = bench::realCorpus() + bench::writeTwoAnd256ColourSet(folder.path());
    // The same two-colour animation as ImageMagick's frame optimiser writes it.
    if (QProcess::execute("convert", {files.at(files.size() - 2), "-layers", "Optimize",
                                      folder.path() + "/gen-life-magick-optimized.gif"}) == 0)
        files << folder.path() + "/gen-life-magick-optimized.gif";
    for (const QString& fileName : files) {
        TGIFImage probe;
        load(probe, fileName);
        const double mp = megapixels(probe);
        const double mergeSeconds = bench::medianSeconds(3, [&] {
            TGIFImage image;
            load(image, fileName);
            image.optimizeColorMaps();
        });
        TGIFImage optimised;
        const double optimiseSeconds = bench::medianSeconds(3, [&] {
            load(optimised, fileName);
            optimised.optimize(ooCrop | ooMerge | ooCleanup | ooColorMap, 0, 0, 8);
        });
        const qint64 ours = optimisedSize(optimised);
        const qint64 peer = gifsicleSize(fileName, folder.path());
        const qint64 original = QFileInfo(fileName).size();
        totalOurs += ours;
        totalDelivered += std::min(ours, original);
        totalOriginal += original;
        if (peer > 0)
            totalPeer += peer;
        larger += ours > original ? 1 : 0;
        std::printf("%-40s %10lld %10lld %10lld %7.3f %12.2f %12.2f%s\n",
                    qPrintable(QFileInfo(fileName).fileName().left(40)), original, ours, peer,
                    peer > 0 ? double(ours) / peer : 0.0, 1000 * mergeSeconds / mp, 1000 * optimiseSeconds / mp,
                    ours > original ? " LARGER" : "");
    }
    std::printf("files larger than their input: %d of %d\n", larger, int(files.size()));
    std::printf("TOTAL original %lld ours %lld gifsicle -O2 %lld ratio %.3f\n", totalOriginal, totalOurs,
                totalPeer, totalPeer > 0 ? double(totalOurs) / totalPeer : 0.0);
    std::printf("TOTAL delivered (input kept when not smaller) %lld ratio %.3f\n", totalDelivered,
                totalPeer > 0 ? double(totalDelivered) / totalPeer : 0.0);
    return 0;
}
