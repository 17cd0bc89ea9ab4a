// Colour reduction benchmark: octree quantization to 256 colours plus Floyd-Steinberg on a
// photograph-like true-colour picture, against ImageMagick's "convert -dither FloydSteinberg
// -colors 256" run on the same picture. Prints times, the ratio and the PSNR of both results.
#include "BenchSupport.h"

#include "gif/ColorQuantizer.h"
#include "gif/ColorReduction.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <random>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// Smooth two-dimensional gradients, soft discs and bars, and sensor-like noise: many distinct
// colours with large smooth areas, like a photograph. Deterministic (fixed seed).
std::vector<uint8_t> photographLike()
{
    std::vector<uint8_t> bgr(size_t(kWidth) * kHeight * 3);
    std::mt19937 random(1234);
    std::normal_distribution<double> noise(0.0, 6.0);
    struct Disc
    {
        double x, y, radius, r, g, b;
    };
    std::vector<Disc> discs;
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int i = 0; i < 24; ++i)
        discs.push_back({unit(random) * kWidth, unit(random) * kHeight, 40 + unit(random) * 220,
                         unit(random) * 255, unit(random) * 255, unit(random) * 255});
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const double u = double(x) / kWidth;
            const double v = double(y) / kHeight;
            double r = 40 + 180 * u * (1 - v) + 30 * std::sin(7 * v);
            double g = 60 + 120 * v + 40 * std::sin(5 * u + 3 * v);
            double b = 200 - 150 * u * v + 30 * std::cos(9 * u);
            for (const Disc& d : discs) {
                const double dist = std::hypot(x - d.x, y - d.y);
                if (dist < d.radius) {
                    const double w = 0.8 * (1 - dist / d.radius);
                    r = r * (1 - w) + d.r * w;
                    g = g * (1 - w) + d.g * w;
                    b = b * (1 - w) + d.b * w;
                }
            }
            if ((x / 160 + y / 120) % 7 == 0) { // hard-edged bars
                r = 255 - r;
                b = b * 0.5;
            }
            uint8_t* p = bgr.data() + (size_t(y) * kWidth + x) * 3;
            p[0] = uint8_t(std::clamp(b + noise(random), 0.0, 255.0));
            p[1] = uint8_t(std::clamp(g + noise(random), 0.0, 255.0));
            p[2] = uint8_t(std::clamp(r + noise(random), 0.0, 255.0));
        }
    }
    return bgr;
}

bool writePpm(const QString& path, const std::vector<uint8_t>& bgr)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray data =
        QByteArray("P6\n") + QByteArray::number(kWidth) + ' ' + QByteArray::number(kHeight) + "\n255\n";
    const qsizetype header = data.size();
    data.resize(header + qsizetype(bgr.size()));
    for (size_t i = 0; i < bgr.size(); i += 3) {
        data[header + qsizetype(i)] = char(bgr[i + 2]);
        data[header + qsizetype(i) + 1] = char(bgr[i + 1]);
        data[header + qsizetype(i) + 2] = char(bgr[i]);
    }
    return file.write(data) == data.size();
}

double psnr(const std::vector<uint8_t>& bgr, const std::function<QRgb(int, int)>& pixel)
{
    double sum = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const uint8_t* p = bgr.data() + (size_t(y) * kWidth + x) * 3;
            const QRgb q = pixel(x, y);
            const double dr = p[2] - qRed(q), dg = p[1] - qGreen(q), db = p[0] - qBlue(q);
            sum += dr * dr + dg * dg + db * db;
        }
    }
    const double mse = sum / (3.0 * kWidth * kHeight);
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

bool runConvert(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(600000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int repeat = 5;
    const std::vector<uint8_t> picture = photographLike();
    const int stride = kWidth * 3;

    TReduction ours;
    const double oursSeconds = bench::medianSeconds(repeat, [&] {
        ours = reduceColors(picture.data(), kWidth, kHeight, stride, rmQuantize, dmFloydSteinberg, 8, {});
    });
    if (ours.kind != TReduction::Kind::Indexed) {
        std::fprintf(stderr, "reduction failed\n");
        return 1;
    }
    const auto& entries = ours.palette->entries;
    const double oursPsnr = psnr(picture, [&](int x, int y) {
        const TPaletteEntry& e = entries[ours.pixels[size_t(y) * kWidth + x]];
        return qRgb(e.red, e.green, e.blue);
    });
    const double quantizeOnly = bench::medianSeconds(
        repeat, [&] { createOptimizedPalette(picture.data(), kWidth, kHeight, stride, 256); });
    std::printf("picture %dx%d, octree 256 colours + Floyd-Steinberg, median of %d\n", kWidth, kHeight,
                repeat);
    std::printf("  ours:        %8.1f ms (octree alone %.1f ms)  PSNR %.2f dB\n", oursSeconds * 1000,
                quantizeOnly * 1000, oursPsnr);

    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    QTemporaryDir dir;
    if (convert.isEmpty() || !dir.isValid()) {
        std::printf("  ImageMagick: convert not found, no comparison\n");
        return 0;
    }
    const QString in = dir.filePath(QStringLiteral("in.ppm"));
    const QString out = dir.filePath(QStringLiteral("out.png"));
    const QString copy = dir.filePath(QStringLiteral("copy.png"));
    if (!writePpm(in, picture))
        return 1;
    bool ok = true;
    const double magickSeconds = bench::medianSeconds(repeat, [&] {
        ok = runConvert(convert, {in, QStringLiteral("-dither"), QStringLiteral("FloydSteinberg"),
                                  QStringLiteral("-colors"), QStringLiteral("256"), out}) &&
             ok;
    });
    // The same program reading the picture and writing a PNG without reducing: its start-up and
    // file work, to show how much of its time is the reduction itself.
    const double magickIoSeconds = bench::medianSeconds(repeat, [&] { runConvert(convert, {in, copy}); });
    const QImage magick(out);
    if (!ok || magick.isNull() || magick.width() != kWidth || magick.height() != kHeight) {
        std::printf("  ImageMagick: run failed\n");
        return 1;
    }
    const double magickPsnr = psnr(picture, [&](int x, int y) { return magick.pixel(x, y); });
    std::printf("  ImageMagick: %8.1f ms (of which start-up, PPM read, PNG write ~%.1f ms)  PSNR %.2f dB\n",
                magickSeconds * 1000, magickIoSeconds * 1000, magickPsnr);
    std::printf("  ratio ImageMagick / ours: %.2f (whole run), %.2f (net of its file work)\n",
                magickSeconds / oursSeconds, std::max(magickSeconds - magickIoSeconds, 0.0) / oursSeconds);
    return 0;
}
