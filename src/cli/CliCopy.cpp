// copy IN OUT [--rle] | copy IN... (-o DIR | --in-place) [--rle] [--keep-if-smaller] [--progress]:
// read and write again (LZW, or run-length codes with --rle).
#include "cli/CliBatch.h"
#include "cli/CliCommon.h"

namespace cli {

int runCopy(const QStringList& args)
{
    bool rle = false;
    TOutputPlan plan;
    if (!parseOutputPlan(args, plan, [&](const QString& flag) {
            rle = rle || flag == "--rle";
            return flag == "--rle";
        }))
        return usage();
    return runTransform(plan, false, [&](TGIFImage& image) { image.setCompression(rle ? 1 : 0); });
}

} // namespace cli
