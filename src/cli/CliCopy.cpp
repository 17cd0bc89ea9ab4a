// copy IN OUT [--rle]: read and write again (LZW, or run-length codes with --rle).
#include "cli/CliCommon.h"

namespace cli {

int runCopy(const QStringList& args)
{
    if (args.size() < 2 || args.size() > 3 || (args.size() == 3 && args[2] != "--rle"))
        return usage();
    return guarded([&] {
        TGIFImage image;
        loadImage(image, args[0]);
        image.setCompression(args.size() == 3 ? 1 : 0);
        saveImage(image, args[1]);
        return ExitOk;
    });
}

} // namespace cli
