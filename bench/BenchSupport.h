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
// The animations of the shared "real" corpus.
QStringList realCorpus();
QString testData(const QString& relative);

} // namespace bench
