#pragma once
// Helpers for the benchmark programs: timing, medians and the shared corpus.
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <vector>

namespace bench {

// Runs work repeat times and returns the median wall time in seconds.
double medianSeconds(int repeat, const std::function<void()>& work);
// Runs the works in turn, round after round, until each has run at least minRepeat times and the
// rounds took at least minSeconds (at most maxRepeat rounds); returns each work's fastest time in
// seconds. Taking turns exposes every work to the same load of a shared machine, and the fastest
// run is the one least disturbed by it.
std::vector<double> interleavedBestSeconds(const std::vector<std::function<void()>>& works, int minRepeat,
                                           double minSeconds, int maxRepeat = 200);
// The animations of the shared "real" corpus.
QStringList realCorpus();
QString testData(const QString& relative);

// Generated animations written into folder; returns their paths.
// Small frames (at most 128x128) that each carry their own colour table: the per-frame costs of
// a codec show there.
QStringList writeSmallLocalPaletteSet(const QString& folder);
// A two-colour game of life (full opaque frames) and a 256-colour plasma, each on a global map.
QStringList writeTwoAnd256ColourSet(const QString& folder);

} // namespace bench
