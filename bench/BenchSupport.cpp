#include "BenchSupport.h"

#include <QDir>
#include <algorithm>

namespace bench {

double medianSeconds(int repeat, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < std::max(1, repeat); ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

QString testData(const QString& relative)
{
    return QDir(QStringLiteral(REELWRIGHT_TESTDATA_DIR)).filePath(relative);
}

QStringList realCorpus()
{
    QDir dir(testData(QStringLiteral("gif/real")));
    QStringList files;
    for (const QString& name : dir.entryList({QStringLiteral("*.gif")}, QDir::Files, QDir::Name))
        files << dir.filePath(name);
    return files;
}

} // namespace bench
