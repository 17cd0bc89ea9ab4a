// reduce --quantizer hq, optimize --lossy and optimize --target-size through the real program,
// with giflib, gifsicle and ImageMagick reading every GIF written.
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "graphics/Streams.h"
#include "support/TestSupport.h"

#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>

namespace {

struct TRun
{
    int exitCode = -1;
    QString output;
};

TRun run(const QString& program, const QStringList& args)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    TRun result;
    if (!process.waitForFinished(300000))
        return result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.output = QString::fromLocal8Bit(process.readAll());
    return result;
}

TRun cli(const QStringList& args)
{
    return run(testsupport::binDir() + "/reelwright-cli", args);
}

// A noisy four-frame animation on a 256-colour global map, delays 5, 10, 15 and 20.
QString writeNoisyGif(const QString& path)
{
    TGIFImage image;
    std::vector<TGIFColor> colors;
    for (int i = 0; i < 256; ++i)
        colors.push_back({uint8_t(i), uint8_t(255 - i), uint8_t((i * 5) % 256)});
    image.globalColorMap().setEntries(colors);
    std::mt19937 random(21);
    std::uniform_int_distribution<int> noise(-4, 4);
    for (int f = 0; f < 4; ++f) {
        auto* frame = new TGIFSubImage(&image);
        frame->setBounds(0, 0, 80, 60);
        std::vector<uint8_t> pixels(80 * 60);
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 80; ++x)
                pixels[size_t(y) * 80 + x] = uint8_t(std::clamp((x * 2 + y + f * 9) + noise(random), 0, 255));
        frame->setData(pixels);
        frame->extensions().add(new TGIFGraphicControlExtension(frame));
        frame->graphicControlExtension()->setDelay(uint16_t(5 * (f + 1)));
        image.add(frame);
    }
    TMemoryStream stream;
    image.saveToStream(stream);
    stream.saveToFile(path);
    return path;
}

// Frame count and delays as ImageMagick reads them, e.g. "5 10 15 20".
QString magickDelays(const QString& file)
{
    return run("identify", {"-format", "%T ", file}).output.trimmed();
}

// Every peer reads the file without complaint; empty when all did.
QString peerComplaints(const QString& file)
{
    QString complaints;
    for (const auto& [program, args] : std::vector<std::pair<QString, QStringList>>{
             {"giftext", {file}}, {"gifsicle", {"--info", file}}, {"identify", {file}}}) {
        const TRun r = run(program, args);
        if (r.exitCode != 0 || r.output.contains("error", Qt::CaseInsensitive))
            complaints += program + ": " + r.output.left(300) + "\n";
    }
    return complaints;
}

bool havePeers()
{
    for (const char* program : {"giftext", "gifsicle", "identify"})
        if (QStandardPaths::findExecutable(program).isEmpty())
            return false;
    return true;
}

} // namespace

TEST(CliQuality, HighQualityReductionWritesAFewColourPng)
{
    QTemporaryDir dir;
    QImage picture(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            picture.setPixel(x, y, qRgb(x * 4, y * 5, (x * y) % 256));
    const QString in = dir.filePath("in.png");
    ASSERT_TRUE(picture.save(in));
    for (const QString& strength : QStringList{"0", "0.5", "1"}) {
        const QString out = dir.filePath("out.png");
        const TRun r = cli({"reduce", in, out, "--quantizer", "hq", "--colors", "20", "--strength", strength});
        ASSERT_EQ(r.exitCode, 0) << qPrintable(r.output);
        const QImage result(out);
        EXPECT_EQ(result.format(), QImage::Format_Indexed8);
        EXPECT_EQ(result.size(), QSize(64, 48));
        EXPECT_LE(result.colorCount(), 20);
    }
}

TEST(CliQuality, BadOptionValuesAreRefused)
{
    QTemporaryDir dir;
    const QString gif = writeNoisyGif(dir.filePath("in.gif"));
    const QString png = dir.filePath("out.png");
    const QString out = dir.filePath("out.gif");
    const std::vector<QStringList> cases = {
        {"reduce", gif, png, "--quantizer", "best"},
        {"reduce", gif, png, "--quantizer"},
        {"reduce", gif, png, "--quantizer", "hq", "--colors", "0"},
        {"reduce", gif, png, "--quantizer", "hq", "--colors", "257"},
        {"reduce", gif, png, "--quantizer", "hq", "--colors", "many"},
        {"reduce", gif, png, "--quantizer", "hq", "--strength", "-0.1"},
        {"reduce", gif, png, "--quantizer", "hq", "--strength", "1.5"},
        {"reduce", gif, png, "--quantizer", "hq", "--strength", "nan"},
        {"reduce", gif, png, "--quantizer", "hq", "--method", "7"},
        {"reduce", gif, png, "--colors", "16"},
        {"optimize", gif, out, "--lossy", "0"},
        {"optimize", gif, out, "--lossy", "1001"},
        {"optimize", gif, out, "--lossy", "x"},
        {"optimize", gif, out, "--lossy"},
        {"optimize", gif, out, "--lossy=20", "--lossy=30"},
        {"optimize", gif, out, "--target-size", "0"},
        {"optimize", gif, out, "--target-size", "-5K"},
        {"optimize", gif, out, "--target-size", "lots"},
        {"optimize", gif, out, "--target-size", "99999999999999"},
        {"optimize", gif, out, "--target-size", "5K", "--lossy", "20"},
        {"optimize", gif, out, "--target-size", "5K", "--crop"},
    };
    for (const QStringList& args : cases) {
        const TRun r = cli(args);
        EXPECT_EQ(r.exitCode, 2) << qPrintable(args.join(' ')) << "\n" << qPrintable(r.output);
        EXPECT_FALSE(QFileInfo::exists(out)) << qPrintable(args.join(' '));
        EXPECT_FALSE(QFileInfo::exists(png)) << qPrintable(args.join(' '));
    }
}

TEST(CliQuality, LossyOutputsAreSmallerAndReadEverywhere)
{
    if (!havePeers())
        GTEST_SKIP() << "giftext, gifsicle or identify is not installed";
    QTemporaryDir dir;
    const QString in = writeNoisyGif(dir.filePath("in.gif"));
    const QString plain = dir.filePath("plain.gif");
    ASSERT_EQ(cli({"optimize", in, plain}).exitCode, 0);
    qint64 previous = QFileInfo(plain).size();
    for (const QString& level : QStringList{"20", "60", "100"}) {
        SCOPED_TRACE(qPrintable(level));
        const QString out = dir.filePath("lossy" + level + ".gif");
        const TRun r = cli({"optimize", in, out, "--lossy=" + level});
        ASSERT_EQ(r.exitCode, 0) << qPrintable(r.output);
        EXPECT_EQ(peerComplaints(out), "");
        EXPECT_EQ(magickDelays(out), "5 10 15 20");
        EXPECT_LT(QFileInfo(out).size(), previous);
        previous = QFileInfo(out).size();
    }
}

TEST(CliQuality, TargetSizeNeverWritesAboveTheBudget)
{
    if (!havePeers())
        GTEST_SKIP() << "giftext, gifsicle or identify is not installed";
    QTemporaryDir dir;
    const QString in = writeNoisyGif(dir.filePath("in.gif"));
    const qint64 size = QFileInfo(in).size();
    for (const int percent : {50, 20}) {
        SCOPED_TRACE(percent);
        const QString out = dir.filePath(QString("fit%1.gif").arg(percent));
        const qint64 budget = size * percent / 100;
        const TRun r = cli({"optimize", in, out, "--target-size", QString::number(budget)});
        ASSERT_EQ(r.exitCode, 0) << qPrintable(r.output);
        EXPECT_LE(QFileInfo(out).size(), budget);
        EXPECT_TRUE(r.output.contains("bytes (budget " + QString::number(budget) + ")")) << qPrintable(r.output);
        EXPECT_EQ(peerComplaints(out), "");
        EXPECT_EQ(magickDelays(out), "5 10 15 20");
    }
    // A budget nothing reaches: exit 2, a message, and no file.
    const QString out = dir.filePath("none.gif");
    const TRun r = cli({"optimize", in, out, "--target-size", "100"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.output.contains("cannot fit in 100 bytes")) << qPrintable(r.output);
    EXPECT_FALSE(QFileInfo::exists(out));
}

// The shared corpus's files (the small ones: the search takes long in debug builds) at 50 % and
// 20 % of their size, in one batch each.
TEST(CliQuality, TargetSizeOnRealAnimations)
{
    REQUIRE_SHARED_TESTDATA();
    if (!havePeers())
        GTEST_SKIP() << "giftext, gifsicle or identify is not installed";
    QStringList files;
    for (const QString& file : testsupport::filesBelow(testsupport::sharedTestData("gif/real"), {".gif"}))
        if (QFileInfo(file).size() <= 400 * 1024)
            files << file;
    ASSERT_FALSE(files.isEmpty());
    for (const int percent : {50, 20}) {
        for (const QString& file : files) {
            SCOPED_TRACE(qPrintable(QFileInfo(file).fileName() + " at " + QString::number(percent) + "%"));
            QTemporaryDir dir;
            const qint64 budget = QFileInfo(file).size() * percent / 100;
            const QString out = dir.filePath("out.gif");
            const TRun r = cli({"optimize", file, out, "--target-size", QString::number(budget)});
            if (r.exitCode == 2) {
                EXPECT_FALSE(QFileInfo::exists(out));
                continue;
            }
            ASSERT_EQ(r.exitCode, 0) << qPrintable(r.output);
            EXPECT_LE(QFileInfo(out).size(), budget);
            EXPECT_EQ(peerComplaints(out), "");
        }
    }
}
