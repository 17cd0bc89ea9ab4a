// Lossy LZW benchmark on the real animations of the shared corpus: our "optimize --lossy N"
// (the default optimisation, then lossy LZW) against "gifsicle -O3 --lossy=N" at N = 20, 60
// and 100, in the same run. Every output is composed by ImageMagick ("-coalesce") and compared
// with the composed input, so the PSNR of both sides comes from the same outside decoder.
// Since the two programs' N do not mean the same error, the fair comparison is size at equal
// error: our size at gifsicle's PSNR is interpolated from our curve over more levels, and the
// ratio of that size to gifsicle's is printed ("at =dB").
#include "BenchSupport.h"

#include "gif/GIFImage.h"
#include "gif/LossyLZW.h"
#include "gif/SizeBudget.h"
#include "graphics/Streams.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace {

constexpr double kIdentical = 60.0; // PSNR shown for a picture without error

struct TComposed
{
    int width = 0;
    int height = 0;
    QByteArray rgba; // every frame composed on the screen, one after the other
    int frames() const { return width > 0 && height > 0 ? int(rgba.size() / (qsizetype(width) * height * 4)) : 0; }
};

QByteArray output(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return process.readAllStandardOutput();
}

TComposed compose(const QString& file)
{
    TComposed result;
    const QList<QByteArray> size = output("identify", {"-format", "%W %H\\n", file}).split('\n').first().split(' ');
    if (size.size() != 2)
        return result;
    result.width = size[0].toInt();
    result.height = size[1].toInt();
    result.rgba = output("convert", {file, "-coalesce", "-depth", "8", "rgba:-"});
    return result;
}

// PSNR over every composed frame; a pixel transparent in one and not the other counts as the
// largest error. -1 when the frame counts differ.
double psnr(const TComposed& reference, const TComposed& other)
{
    if (reference.width != other.width || reference.height != other.height ||
        reference.rgba.size() != other.rgba.size() || reference.rgba.isEmpty())
        return -1;
    const auto* a = reinterpret_cast<const uint8_t*>(reference.rgba.constData());
    const auto* b = reinterpret_cast<const uint8_t*>(other.rgba.constData());
    double sum = 0;
    const qsizetype n = reference.rgba.size() / 4;
    for (qsizetype i = 0; i < n; ++i, a += 4, b += 4) {
        const bool clearA = a[3] < 128, clearB = b[3] < 128;
        if (clearA && clearB)
            continue;
        if (clearA != clearB) {
            sum += 3.0 * 255 * 255;
            continue;
        }
        for (int c = 0; c < 3; ++c)
            sum += double(a[c] - b[c]) * double(a[c] - b[c]);
    }
    const double mse = sum / (3.0 * double(n));
    return mse <= 0 ? kIdentical : std::min(kIdentical, 10 * std::log10(255.0 * 255.0 / mse));
}

qint64 ours(const QString& input, int level, const QString& outputFile)
{
    TGIFImage image;
    image.onWarning = [](TObject*, int, const QString&) {};
    image.loadFromFile(input);
    mergeColorMapsIfExact(image);
    image.optimize(ooCrop | ooMerge | ooCleanup | ooColorMap, 0, 0, 8);
    if (level > 0)
        applyLossyLZW(image, level);
    TMemoryStream stream;
    image.saveToStream(stream);
    stream.saveToFile(outputFile);
    return stream.size();
}

qint64 gifsicle(const QString& input, int level, const QString& outputFile)
{
    QStringList args{"-O3"};
    if (level > 0)
        args << QStringLiteral("--lossy=%1").arg(level);
    args << input << "-o" << outputFile;
    if (QProcess::execute("gifsicle", args) != 0)
        return -1;
    return QFileInfo(outputFile).size();
}

struct TPoint
{
    double psnr;
    double size;
};

// Our size at the given PSNR, by linear interpolation between the two of our points around it.
double sizeAt(std::vector<TPoint> curve, double psnr)
{
    std::sort(curve.begin(), curve.end(), [](const TPoint& a, const TPoint& b) { return a.psnr < b.psnr; });
    for (size_t i = 0; i + 1 < curve.size(); ++i)
        if (curve[i].psnr <= psnr && psnr <= curve[i + 1].psnr) {
            const double span = curve[i + 1].psnr - curve[i].psnr;
            const double t = span > 0 ? (psnr - curve[i].psnr) / span : 0;
            return curve[i].size + t * (curve[i + 1].size - curve[i].size);
        }
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // Files named on the command line replace the corpus.
    const QStringList files = argc > 1 ? app.arguments().mid(1) : bench::realCorpus();
    if (files.isEmpty()) {
        std::printf("the shared corpus (testdata/gif/real) is not there: nothing to compare\n");
        return 0;
    }
    QTemporaryDir dir;
    const std::vector<int> shown{20, 60, 100};
    // Dense at the low levels, where PSNR falls fastest, so the interpolation between two points
    // stays close to the curve (a straight line between far points overstates our size).
    const std::vector<int> curveLevels{0, 5, 10, 15, 20, 25, 30, 40, 50, 60, 80, 100, 120, 140, 200};
    std::printf("%-34s %4s | %9s %7s | %9s %7s | %9s %6s\n", "file", "N", "ours B", "ours dB", "gifsicle",
                "gs dB", "ours@=dB", "ratio");
    std::map<int, double> totalOurs, totalPeer, totalOursAtEqual, totalPeerCounted;
    std::map<int, double> sumOursDb, sumPeerDb;
    std::map<int, int> counted;
    for (const QString& file : files) {
        const QString name = QFileInfo(file).fileName().left(34);
        const TComposed reference = compose(file);
        if (reference.frames() == 0) {
            std::printf("%-34s ImageMagick cannot compose it; skipped\n", qPrintable(name));
            continue;
        }
        std::vector<TPoint> curve;
        std::map<int, TPoint> oursAt;
        for (const int level : curveLevels) {
            const QString out = dir.filePath(QStringLiteral("ours-%1.gif").arg(level));
            const qint64 size = ours(file, level, out);
            const double db = psnr(reference, compose(out));
            if (db < 0)
                continue;
            curve.push_back({db, double(size)});
            oursAt[level] = {db, double(size)};
        }
        for (const int level : shown) {
            const QString out = dir.filePath(QStringLiteral("gifsicle-%1.gif").arg(level));
            const qint64 peerSize = gifsicle(file, level, out);
            const double peerDb = peerSize > 0 ? psnr(reference, compose(out)) : -1;
            const auto mine = oursAt.find(level);
            if (mine == oursAt.end() || peerDb < 0) {
                std::printf("%-34s %4d | frame counts differ or a program failed; skipped\n", qPrintable(name),
                            level);
                continue;
            }
            const double equal = sizeAt(curve, peerDb);
            std::printf("%-34s %4d | %9.0f %7.2f | %9lld %7.2f | ", qPrintable(name), level, mine->second.size,
                        mine->second.psnr, static_cast<long long>(peerSize), peerDb);
            if (equal > 0)
                std::printf("%9.0f %6.3f\n", equal, equal / double(peerSize));
            else
                std::printf("%9s %6s\n", "-", "-");
            totalOurs[level] += mine->second.size;
            totalPeer[level] += double(peerSize);
            sumOursDb[level] += mine->second.psnr;
            sumPeerDb[level] += peerDb;
            ++counted[level];
            if (equal > 0) {
                totalOursAtEqual[level] += equal;
                totalPeerCounted[level] += double(peerSize);
            }
        }
        std::fflush(stdout);
    }
    std::printf("\nsummary (same files for both):\n");
    for (const int level : shown) {
        if (counted[level] == 0)
            continue;
        std::printf("  N=%3d: ours %10.0f B, mean %.2f dB | gifsicle %10.0f B, mean %.2f dB | size ratio %.3f; "
                    "at equal PSNR ours/gifsicle %.3f\n",
                    level, totalOurs[level], sumOursDb[level] / counted[level], totalPeer[level],
                    sumPeerDb[level] / counted[level], totalOurs[level] / totalPeer[level],
                    totalPeerCounted[level] > 0 ? totalOursAtEqual[level] / totalPeerCounted[level] : 0.0);
    }
    return 0;
}
