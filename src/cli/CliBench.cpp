// bench FILE... [--repeat N] [--progress]: decodes and encodes each file N times in memory and prints, per file
// and in total, megapixels per second (pixels of all frames, median time of the repeats).
#include "cli/CliBatch.h"
#include "cli/CliCommon.h"
#include "gif/GIFSubImage.h"
#include "graphics/Streams.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace cli {
namespace {

double medianSeconds(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times.empty() ? 0.0 : times[times.size() / 2];
}

double framePixels(TGIFImage& image)
{
    double pixels = 0;
    for (int i = 0; i < image.images().count(); ++i) {
        const TGIFSubImage* frame = image.images().subImage(i);
        pixels += double(frame->width()) * frame->height();
    }
    return pixels;
}

struct TBenchResult
{
    double megapixels = 0;
    double decodeSeconds = 0;
    double encodeSeconds = 0;
};

TBenchResult benchFile(const QString& fileName, int repeat)
{
    TMemoryStream file;
    file.loadFromFile(fileName);
    std::vector<double> decodeTimes;
    std::vector<double> encodeTimes;
    TBenchResult result;
    for (int i = 0; i < repeat; ++i) {
        TGIFImage image;
        file.setPosition(0);
        QElapsedTimer timer;
        timer.start();
        image.loadFromStream(file);
        decodeTimes.push_back(timer.nsecsElapsed() / 1e9);
        result.megapixels = framePixels(image) / 1e6;
        TMemoryStream out;
        timer.restart();
        image.saveToStream(out);
        encodeTimes.push_back(timer.nsecsElapsed() / 1e9);
    }
    result.decodeSeconds = medianSeconds(decodeTimes);
    result.encodeSeconds = medianSeconds(encodeTimes);
    return result;
}

double rate(double megapixels, double seconds)
{
    return seconds > 0 ? megapixels / seconds : 0.0;
}

} // namespace

int runBench(const QStringList& args)
{
    QStringList files;
    int repeat = 5;
    bool progress = false;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == "--repeat" && i + 1 < args.size()) {
            bool ok = false;
            repeat = args[++i].toInt(&ok);
            if (!ok || repeat < 1)
                return usage();
        } else if (args[i] == "--progress") {
            progress = true;
        } else if (args[i].startsWith("--")) {
            return usage();
        } else {
            files << args[i];
        }
    }
    if (files.isEmpty())
        return usage();
    TBenchResult total;
    int succeeded = 0;
    const int failed = forEachFile(files, progress, [&](const QString& fileName) {
        const TBenchResult r = benchFile(fileName, repeat);
        clearProgress();
        std::printf("%s %.3f MP decode %.1f MP/s encode %.1f MP/s\n", qPrintable(fileName), r.megapixels,
                    rate(r.megapixels, r.decodeSeconds), rate(r.megapixels, r.encodeSeconds));
        std::fflush(stdout);
        total.megapixels += r.megapixels;
        total.decodeSeconds += r.decodeSeconds;
        total.encodeSeconds += r.encodeSeconds;
        ++succeeded;
    });
    // The totals cover the files that were measured.
    std::printf("TOTAL %.1f %.1f (%d files", rate(total.megapixels, total.decodeSeconds),
                rate(total.megapixels, total.encodeSeconds), succeeded);
    if (failed > 0)
        std::printf(", %d failed", failed);
    std::printf(")\n");
    return failed > 0 ? ExitFailure : ExitOk;
}

} // namespace cli
