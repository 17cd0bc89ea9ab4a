// optimize IN OUT [options] | optimize IN... (-o DIR | --in-place) [options]: whole-image
// optimisation and colour-map merging. Without optimisation options every optimisation runs.
// An optimiser that hands back a larger file has failed at its one job: unless --allow-larger is
// given, a result that is not smaller than its input leaves the input's bytes as the output.
// --lossy N adds lossy LZW after the optimisation; --target-size SIZE searches the cheapest
// losses that bring each file under SIZE instead.
#include "cli/CliBatch.h"
#include "cli/CliCommon.h"
#include "gif/LossyLZW.h"
#include "gif/SizeBudget.h"
#include "graphics/Exceptions.h"
#include "graphics/Streams.h"

#include <QDir>
#include <cstdio>
#include <optional>

namespace cli {

namespace {

// Takes "--name VALUE" and "--name=VALUE" out of args. Returns the value, an empty optional when
// the option is absent, and sets missing when it is given without a value or twice.
std::optional<QString> takeValue(QStringList& args, const QString& name, bool& missing)
{
    std::optional<QString> value;
    for (int i = 0; i < args.size();) {
        QString found;
        bool matched = false;
        if (args[i] == name) {
            matched = true;
            if (i + 1 >= args.size()) {
                missing = true;
                args.removeAt(i);
                continue;
            }
            found = args[i + 1];
            args.removeAt(i);
            args.removeAt(i);
        } else if (args[i].startsWith(name + "=")) {
            matched = true;
            found = args[i].mid(name.size() + 1);
            args.removeAt(i);
        } else {
            ++i;
        }
        if (matched) {
            if (value)
                missing = true;
            value = found;
        }
    }
    return value;
}

int runTargetSize(const TOutputPlan& plan, qint64 budget)
{
    if (!plan.folder.isEmpty() && !QDir().mkpath(plan.folder)) {
        printError(QStringLiteral("Cannot create folder %1").arg(plan.folder));
        return ExitFailure;
    }
    int unreachable = 0;
    const int failed = forEachFile(plan.inputs, plan.progress, [&](const QString& input) {
        const QString target = plan.targetFor(input);
        TMemoryStream original;
        original.loadFromFile(input);
        const TBudgetResult result = fitToBudget(original.data(), budget);
        clearProgress();
        if (!result.reached || result.bytes.size() > budget) {
            ++unreachable;
            printError(QStringLiteral("%1: cannot fit in %2 bytes: the strongest setting (%3) gives %4 bytes")
                           .arg(input)
                           .arg(budget)
                           .arg(result.step.describe())
                           .arg(result.strongestSize));
            return;
        }
        writeAtomically(target, result.bytes);
        std::printf("%s: %s: %lld -> %lld bytes (budget %lld)\n", qPrintable(input),
                    qPrintable(result.step.describe()), static_cast<long long>(original.size()),
                    static_cast<long long>(result.bytes.size()), static_cast<long long>(budget));
        std::fflush(stdout);
    });
    if (unreachable > 0)
        return ExitUsage;
    return failed > 0 ? ExitFailure : ExitOk;
}

} // namespace

int runOptimize(const QStringList& arguments)
{
    QStringList args = arguments;
    bool missing = false;
    const std::optional<QString> lossyText = takeValue(args, "--lossy", missing);
    const std::optional<QString> targetText = takeValue(args, "--target-size", missing);
    if (missing)
        return usage();
    int lossy = 0;
    if (lossyText) {
        bool ok = false;
        lossy = lossyText->toInt(&ok);
        if (!ok || lossy < 1 || lossy > GIFMaxLossyLevel) {
            printError(QStringLiteral("--lossy takes a level from 1 to %1").arg(GIFMaxLossyLevel));
            return ExitUsage;
        }
    }
    qint64 budget = -1;
    if (targetText) {
        budget = parseByteSize(*targetText);
        if (budget < 1) {
            printError(QStringLiteral("--target-size takes a size such as 500K, 1.5M or 200000"));
            return ExitUsage;
        }
    }

    TGIFOptimizeOptions options = 0;
    bool mergeMaps = false;
    bool allowLarger = false;
    TOutputPlan plan;
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
            allowLarger = true;
        else
            return false;
        return true;
    });
    if (!parsed)
        return usage();
    plan.keepIfSmaller = !allowLarger;
    if (budget > 0) {
        // The size search picks the optimisation and the losses itself.
        if (options != 0 || mergeMaps || lossy > 0 || allowLarger) {
            printError(QStringLiteral("--target-size chooses the optimisation, colours and lossy level itself"));
            return ExitUsage;
        }
        return runTargetSize(plan, budget);
    }
    if (options == 0 && !mergeMaps) {
        options = ooCrop | ooMerge | ooCleanup | ooColorMap;
        mergeMaps = true;
    }
    return runTransform(plan, true, [&](TGIFImage& image) {
        // Merge first: a single global map lets the per-map sort and frame merge work across frames.
        // With --lossy the maps are merged only when no colour is lost: the lossy level is the
        // loss the user asked for, and the merge's own mapping of surplus colours would add to it.
        if (mergeMaps && lossy > 0)
            mergeColorMapsIfExact(image);
        else if (mergeMaps)
            image.optimizeColorMaps();
        if (options)
            image.optimize(options, 0, 0, 8);
        // Lossy last: the frame merge has made its transparent runs, which it leaves alone.
        if (lossy > 0)
            applyLossyLZW(image, lossy);
    });
}

} // namespace cli
