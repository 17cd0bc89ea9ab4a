#pragma once
// Shared pieces of the reelwright-cli commands: loading and saving images with the engine and
// reporting failures the same way everywhere (message on stderr, exit code 1).
#include "gif/GIFImage.h"

#include <QStringList>

namespace cli {

constexpr int ExitOk = 0;
constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

// Loads a GIF file; warnings are collected into warnings when given.
void loadImage(TGIFImage& image, const QString& fileName, QStringList* warnings = nullptr);
// Saves atomically: a failed save never replaces an existing file. Returns the size written.
qint64 saveImage(TGIFImage& image, const QString& fileName);
// Runs a command body, turning engine and stream errors into a message and exit code 1.
int guarded(const std::function<int()>& body);
void printError(const QString& message);
// Prints the usage text (on stdout for --help, else on stderr) and returns the usage exit code.
int usage(bool toStdout = false);

int runInfo(const QStringList& args);
int runCopy(const QStringList& args);
int runOptimize(const QStringList& args);
int runBench(const QStringList& args);
int runReduce(const QStringList& args);
int runFrames(const QStringList& args);

} // namespace cli
