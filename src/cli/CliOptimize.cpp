// optimize IN OUT [options] | optimize IN... (-o DIR | --in-place) [options]: whole-image
// optimisation and colour-map merging. Without optimisation options every optimisation runs.
// An optimiser that hands back a larger file has failed at its one job: unless --allow-larger is
// given, a result that is not smaller than its input leaves the input's bytes as the output.
#include "cli/CliBatch.h"
#include "cli/CliCommon.h"

namespace cli {

int runOptimize(const QStringList& args)
{
    TGIFOptimizeOptions options = 0;
    bool mergeMaps = false;
    TOutputPlan plan;
    plan.keepIfSmaller = true;
    const bool parsed = parseOutputPlan(args, plan, [&](const QString& flag) {
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
        else if (flag == "--allow-larger")
            plan.keepIfSmaller = false;
        else
            return false;
        return true;
    });
    if (!parsed)
        return usage();
    if (options == 0 && !mergeMaps) {
        options = ooCrop | ooMerge | ooCleanup | ooColorMap;
        mergeMaps = true;
    }
    return runTransform(plan, true, [&](TGIFImage& image) {
        // Merge first: a single global map lets the per-map sort and frame merge work across frames.
        if (mergeMaps)
            image.optimizeColorMaps();
        if (options)
            image.optimize(options, 0, 0, 8);
    });
}

} // namespace cli
