#include "cli/CliRunner.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QProcess>

TCliRun runCli(const QStringList& args, int boundMs)
{
    QProcess process;
    process.start(QDir(testsupport::binDir()).filePath(QStringLiteral("reelwright-cli")), args);
    TCliRun run;
    if (!process.waitForFinished(boundMs)) {
        process.kill();
        process.waitForFinished();
    } else if (process.exitStatus() == QProcess::NormalExit) {
        run.exitCode = process.exitCode();
    }
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}
