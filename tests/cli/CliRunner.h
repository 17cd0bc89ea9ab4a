#pragma once
// Runs the command-line tool of this build as a separate process, as a user or a script would.
#include <QByteArray>
#include <QString>
#include <QStringList>

struct TCliRun
{
    int exitCode = -1; // -1 also when the tool crashed or did not end within the bound
    QByteArray out;
    QByteArray err;
    // Both channels as text, for matching messages and for failure output.
    QString output() const { return QString::fromLocal8Bit(err + out); }
};

// The bound is generous: it only keeps a hanging tool from stalling the run.
TCliRun runCli(const QStringList& args, int boundMs = 300000);
