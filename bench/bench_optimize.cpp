// Optimisation benchmark on the real animations of the shared corpus: time per megapixel of the
// colour-map merge and of the whole-image optimisation (crop, merge, clean-up, colour maps), and
// the size our optimised file has against "gifsicle -O2" run on the same file in the same run.
#include "BenchSupport.h"

#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "graphics/Streams.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
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
    qint64 totalPeer = 0;
    qint64 totalOriginal = 0;
    std::printf("%-40s %10s %10s %10s %7s %12s %12s\n", "file", "original", "ours", "gifsicle", "ratio",
                "merge ms/MP", "optim ms/MP");
    for (const QString& fileName : bench::realCorpus()) {
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
            optimised.optimize(ooCrop | ooMerge | ooCleanup | ooColorMap, rmNone, dmNearest, 8);
        });
        const qint64 ours = optimisedSize(optimised);
        const qint64 peer = gifsicleSize(fileName, folder.path());
        const qint64 original = QFileInfo(fileName).size();
        totalOurs += ours;
        totalOriginal += original;
        if (peer > 0)
            totalPeer += peer;
        std::printf("%-40s %10lld %10lld %10lld %7.3f %12.2f %12.2f\n",
                    qPrintable(QFileInfo(fileName).fileName()), original, ours, peer,
                    peer > 0 ? double(ours) / peer : 0.0, 1000 * mergeSeconds / mp, 1000 * optimiseSeconds / mp);
    }
    std::printf("TOTAL original %lld ours %lld gifsicle -O2 %lld ratio %.3f\n", totalOriginal, totalOurs,
                totalPeer, totalPeer > 0 ? double(totalOurs) / totalPeer : 0.0);
    return 0;
}
