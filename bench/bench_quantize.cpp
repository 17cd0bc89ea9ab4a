// Colour quality benchmark: the high-quality quantizer (median cut + k-means, Floyd-Steinberg)
// and the octree against ImageMagick's "convert -dither FloydSteinberg -colors 256", all on the
// same pictures in the same run: a 1920x1080 plasma and photograph-like pictures made from
// ImageMagick's built-in patterns. PSNR is measured by ImageMagick's "compare -metric PSNR"
// for every result, so both sides are judged by the same outside program. Prints times, the
// ratio of times and the PSNR difference.
#include "BenchSupport.h"

#include "gif/ColorReduction.h"
#include "gif/KMeansQuantizer.h"

#include <QCoreApplication>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>

namespace {

struct TPicture
{
    const char* name;
    QStringList makeArguments; // convert arguments before the output name
};

bool run(const QString& program, const QStringList& arguments, QString* errorText = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit)
        return false;
    if (errorText)
        *errorText = QString::fromLocal8Bit(process.readAllStandardError());
    return process.exitCode() == 0;
}

// ImageMagick's PSNR of result against original ("inf" for identical pictures is 99).
double magickPsnr(const QString& compare, const QString& original, const QString& result)
{
    QProcess process;
    process.start(compare, {"-metric", "PSNR", original, result, "null:"});
    if (!process.waitForFinished(600000))
        return -1;
    const QString text = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    if (text.startsWith("inf"))
        return 99;
    bool ok = false;
    const double value = text.section(' ', 0, 0).toDouble(&ok);
    return ok ? value : -1;
}

QImage indexedImage(int width, int height, const std::vector<uint8_t>& pixels, const HPALETTE& palette)
{
    QImage image(width, height, QImage::Format_Indexed8);
    image.setColorTable(paletteColorTable(palette));
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), pixels.data() + size_t(y) * size_t(width), size_t(width));
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString convert = QStandardPaths::findExecutable("convert");
    const QString compare = QStandardPaths::findExecutable("compare");
    QTemporaryDir dir;
    if (convert.isEmpty() || compare.isEmpty() || !dir.isValid()) {
        std::printf("ImageMagick's convert and compare are needed for this benchmark\n");
        return 1;
    }
    const std::vector<TPicture> pictures = {
        {"plasma 1920x1080", {"-size", "1920x1080", "-seed", "42", "plasma:fractal"}},
        {"wizard x2", {"wizard:", "-resize", "200%"}},
        {"rose x12", {"rose:", "-resize", "1200%"}},
        {"logo x2 blurred", {"logo:", "-resize", "200%", "-blur", "0x2"}},
        {"noisy plasma 1280x720",
         {"-size", "1280x720", "-seed", "7", "plasma:orange-navy", "-blur", "0x3", "-seed", "7", "-attenuate",
          "0.4", "+noise", "Gaussian"}},
        {"swirl 1280x720",
         {"-size", "1280x720", "gradient:gold-purple", "-swirl", "270", "-seed", "5", "-attenuate", "0.3", "+noise",
          "Gaussian"}},
    };
    const int repeat = 3;
    std::printf("256 colours, Floyd-Steinberg; PSNR by ImageMagick compare; times median of %d\n", repeat);
    std::printf("%-22s %9s %9s %9s %9s | %9s %9s %9s | %8s %8s\n", "picture", "hq dB", "hq ms", "hq0 dB",
                "octree dB", "IM dB", "IM ms", "IM net", "dB gain", "IM/hq");
    double gainSum = 0, ratioSum = 0;
    int count = 0;
    for (const TPicture& picture : pictures) {
        const QString in = dir.filePath("in.ppm");
        if (!run(convert, picture.makeArguments + QStringList{"-type", "TrueColor", "-depth", "8", in})) {
            std::printf("%-22s could not be made\n", picture.name);
            continue;
        }
        const QImage source = QImage(in).convertToFormat(QImage::Format_BGR888);
        const int w = source.width(), h = source.height();

        TQuantizeOptions options; // 256 colours, full-strength diffusion
        TQuantized hq;
        const double hqSeconds = bench::medianSeconds(repeat, [&] {
            hq = quantizePixels(source.constBits(), w, h, source.bytesPerLine(), options);
        });
        const QString hqFile = dir.filePath("hq.png");
        indexedImage(w, h, hq.pixels, hq.palette).save(hqFile);
        TQuantizeOptions plain;
        plain.ditherStrength = 0;
        const TQuantized hq0 = quantizePixels(source.constBits(), w, h, source.bytesPerLine(), plain);
        const QString hq0File = dir.filePath("hq0.png");
        indexedImage(w, h, hq0.pixels, hq0.palette).save(hq0File);
        const TReduction octree =
            reduceColors(source.constBits(), w, h, source.bytesPerLine(), rmQuantize, dmFloydSteinberg, 8, {});
        const QString octreeFile = dir.filePath("octree.png");
        indexedImage(w, h, octree.pixels, octree.palette).save(octreeFile);

        const QString magickFile = dir.filePath("magick.png");
        bool ok = true;
        const double magickSeconds = bench::medianSeconds(repeat, [&] {
            ok = run(convert, {in, "-dither", "FloydSteinberg", "-colors", "256", magickFile}) && ok;
        });
        const double ioSeconds =
            bench::medianSeconds(repeat, [&] { run(convert, {in, dir.filePath("copy.png")}); });
        if (!ok) {
            std::printf("%-22s ImageMagick failed\n", picture.name);
            continue;
        }
        const double hqDb = magickPsnr(compare, in, hqFile);
        const double hq0Db = magickPsnr(compare, in, hq0File);
        const double octreeDb = magickPsnr(compare, in, octreeFile);
        const double magickDb = magickPsnr(compare, in, magickFile);
        const double net = std::max(magickSeconds - ioSeconds, 1e-6);
        std::printf("%-22s %9.2f %9.1f %9.2f %9.2f | %9.2f %9.1f %9.1f | %+8.2f %8.2f\n", picture.name, hqDb,
                    hqSeconds * 1000, hq0Db, octreeDb, magickDb, magickSeconds * 1000, net * 1000,
                    hqDb - magickDb, net / hqSeconds);
        gainSum += hqDb - magickDb;
        ratioSum += net / hqSeconds;
        ++count;
    }
    if (count > 0)
        std::printf("mean PSNR gain of hq over ImageMagick: %+.2f dB; mean time ratio ImageMagick (net of its "
                    "file work) / hq: %.2f\n",
                    gainSum / count, ratioSum / count);
    std::printf("(hq0: the same palette without dithering; IM ms: whole convert run, IM net: minus a plain "
                "read-and-write run)\n");
    return 0;
}
