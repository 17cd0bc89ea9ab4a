// optimize IN OUT [options]: whole-image optimisation and colour-map merging. Without options
// every optimisation runs.
#include "cli/CliCommon.h"

#include <QFileInfo>
#include <cstdio>

namespace cli {

int runOptimize(const QStringList& args)
{
    if (args.size() < 2)
        return usage();
    TGIFOptimizeOptions options = 0;
    bool mergeMaps = false;
    for (const QString& flag : args.mid(2)) {
        if (flag == "--crop")
            options |= ooCrop;
        else if (flag == "--merge")
            options |= ooMerge;
        else if (flag == "--cleanup")
            options |= ooCleanup;
        else if (flag == "--colormaps")
            options |= ooColorMap;
        else if (flag == "--merge-maps")
            mergeMaps = true;
        else
            return usage();
    }
    if (options == 0 && !mergeMaps) {
        options = ooCrop | ooMerge | ooCleanup | ooColorMap;
        mergeMaps = true;
    }
    return guarded([&] {
        TGIFImage image;
        loadImage(image, args[0]);
        // Merge first: a single global map lets the per-map sort and frame merge work across frames.
        if (mergeMaps)
            image.optimizeColorMaps();
        if (options)
            image.optimize(options, rmNone, dmNearest, 8);
        const qint64 written = saveImage(image, args[1]);
        std::printf("%lld -> %lld bytes\n", static_cast<long long>(QFileInfo(args[0]).size()),
                    static_cast<long long>(written));
        return ExitOk;
    });
}

} // namespace cli
