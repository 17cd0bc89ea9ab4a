// reelwright-cli: the GIF engine on the command line (batch use, test tools, benchmarks).
#include "cli/CliCommon.h"
#include "gif/GIFEngine.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    gifEngineStartup();
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return cli::usage();
    const QString command = args.takeFirst();
    if (command == "--version") {
        std::printf("reelwright-cli %s\n", REELWRIGHT_VERSION);
        return cli::ExitOk;
    }
    if (command == "--help") {
        cli::usage(true);
        return cli::ExitOk;
    }
    if (command == "info")
        return cli::runInfo(args);
    if (command == "copy")
        return cli::runCopy(args);
    if (command == "optimize")
        return cli::runOptimize(args);
    if (command == "bench")
        return cli::runBench(args);
    if (command == "reduce")
        return cli::runReduce(args);
    if (command == "frames")
        return cli::runFrames(args);
    return cli::usage();
}
