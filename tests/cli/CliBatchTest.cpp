// reelwright-cli as a batch tool: several inputs, a failing file does not stop the rest, inputs
// are replaced only on request and atomically, and results that do not shrink can be dropped.
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "graphics/Streams.h"
#include "cli/CliRunner.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <random>

namespace {

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A two-colour game of life, every frame full size and opaque (what a generator writes before
// an optimiser sees it). codeSize 8 makes the writer's own output smaller than the file.
QByteArray lifeAnimation(int width, int height, int frames)
{
    std::mt19937 random(11);
    std::vector<uint8_t> cells(size_t(width) * size_t(height));
    for (uint8_t& cell : cells)
        cell = uint8_t(random() % 3 == 0 ? 1 : 0);
    TGIFImage image;
    image.header().setWidth(width);
    image.header().setHeight(height);
    image.globalColorMap().add(rgbColor(0, 0, 0));
    image.globalColorMap().add(rgbColor(255, 255, 255));
    for (int f = 0; f < frames; ++f) {
        auto* frame = new TGIFSubImage(&image);
        image.images().add(frame);
        frame->setBounds(0, 0, width, height);
        frame->setData(cells);
        auto* control = new TGIFGraphicControlExtension(frame);
        control->setDelay(uint16_t(f % 5 == 4 ? 60 : 10));
        control->setDisposal(1);
        frame->extensions().add(control);
        std::vector<uint8_t> next(cells.size());
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                int around = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        if (dx || dy)
                            around += cells[size_t((y + dy + height) % height) * width + (x + dx + width) % width];
                const bool alive = cells[size_t(y) * width + x] != 0;
                next[size_t(y) * width + x] = uint8_t(around == 3 || (alive && around == 2));
            }
        cells = std::move(next);
    }
    TMemoryStream stream;
    image.saveToStream(stream);
    return stream.data();
}

QList<QImage> composedFrames(const QString& gif, const QString& folder)
{
    const TCliRun run = runCli({"frames", gif, folder, "--composed"});
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    QList<QImage> pictures;
    for (const QString& name : QDir(folder).entryList({"frame-*.png"}, QDir::Files, QDir::Name))
        pictures << QImage(QDir(folder).filePath(name)).convertToFormat(QImage::Format_ARGB32);
    return pictures;
}

} // namespace

// One good GIF, one text file named .gif and one empty file: two errors naming the files, the
// good one processed, exit status 1 - for every command that takes several files.
TEST(CliBatch, BadFilesAreReportedAndTheRestProcessed)
{
    QTemporaryDir dir;
    const QString good = dir.filePath("good.gif");
    const QString text = dir.filePath("text.gif");
    const QString empty = dir.filePath("empty.gif");
    writeBytes(good, lifeAnimation(16, 12, 4));
    writeBytes(text, "plain text, not a picture\n");
    writeBytes(empty, {});
    const QStringList inputs{text, good, empty};
    const QString out = dir.filePath("out");
    struct Case
    {
        const char* name;
        QStringList args;
    } cases[] = {
        {"info", QStringList{"info"} + inputs},
        {"info --json", QStringList{"info", "--json"} + inputs},
        {"copy", QStringList{"copy"} + inputs + QStringList{"-o", out + "/copy"}},
        {"optimize", QStringList{"optimize"} + inputs + QStringList{"-o", out + "/optimize"}},
        {"bench", QStringList{"bench", "--repeat", "1"} + inputs},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TCliRun run = runCli(c.args);
        EXPECT_EQ(run.exitCode, 1);
        const QList<QByteArray> errors = run.err.trimmed().split('\n');
        ASSERT_GE(errors.size(), 2) << run.err.constData();
        EXPECT_TRUE(errors[0].startsWith((text + ": ").toLocal8Bit())) << errors[0].constData();
        EXPECT_TRUE(errors[1].startsWith((empty + ": ").toLocal8Bit())) << errors[1].constData();
        EXPECT_FALSE(run.err.contains(good.toLocal8Bit()));
    }
    EXPECT_TRUE(QFile::exists(out + "/copy/good.gif"));
    EXPECT_FALSE(QFile::exists(out + "/copy/text.gif"));
    EXPECT_TRUE(QFile::exists(out + "/optimize/good.gif"));
    const TCliRun optimize = runCli(QStringList{"optimize"} + inputs + QStringList{"-o", out + "/again"});
    EXPECT_TRUE(optimize.out.contains("in 1 file, 2 failed")) << optimize.out.constData();
    const TCliRun bench = runCli(QStringList{"bench", "--repeat", "1"} + inputs);
    EXPECT_TRUE(bench.out.contains("(1 files, 2 failed)")) << bench.out.constData();
    const TCliRun json = runCli(QStringList{"info", "--json"} + inputs);
    EXPECT_EQ(QJsonDocument::fromJson(json.out).array().size(), 1);
}

TEST(CliBatch, InputsAreReplacedOnlyInPlaceAndAtomically)
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a.gif");
    const QString b = dir.filePath("b.gif");
    const QByteArray original = lifeAnimation(64, 48, 10);
    writeBytes(a, original);
    writeBytes(b, original);

    // Without --in-place neither the IN OUT form nor a folder holding the inputs overwrites one.
    for (const QStringList& args : {QStringList{"copy", a, a}, QStringList{"optimize", a, b, "-o", dir.path()}}) {
        const TCliRun run = runCli(args);
        EXPECT_EQ(run.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("--in-place")) << run.err.constData();
    }
    EXPECT_EQ(testsupport::readFile(a), original);
    EXPECT_EQ(testsupport::readFile(b), original);

    QTemporaryDir elsewhere;
    // Whether or not the result is smaller, it is written: this is about where it goes.
    ASSERT_EQ(runCli({"optimize", a, "-o", elsewhere.path(), "--allow-larger"}).exitCode, 0);
    const QByteArray optimised = testsupport::readFile(elsewhere.filePath("a.gif"));
    ASSERT_NE(optimised, original);
    const TCliRun inPlace = runCli({"optimize", a, b, "--in-place", "--allow-larger"});
    EXPECT_EQ(inPlace.exitCode, 0) << inPlace.err.constData();
    EXPECT_EQ(testsupport::readFile(a), optimised);
    EXPECT_EQ(testsupport::readFile(b), optimised);
    // Nothing but the two files is left in the folder (no temporary file of the replace).
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(runCli({"info", a}).exitCode, 0);
}

TEST(CliBatch, KeepIfSmallerKeepsTheOriginalBytesWhenTheResultDoesNotShrink)
{
    QTemporaryDir dir;
    const QString ours = dir.filePath("ours.gif");
    writeBytes(dir.filePath("source.gif"), lifeAnimation(24, 16, 5));
    ASSERT_EQ(runCli({"copy", dir.filePath("source.gif"), ours}).exitCode, 0);
    const QByteArray written = testsupport::readFile(ours);

    // Copying our own output again gives the same size: the original bytes are kept.
    const TCliRun same = runCli({"copy", ours, dir.filePath("same.gif"), "--keep-if-smaller", "--rle"});
    EXPECT_EQ(same.exitCode, 0) << same.err.constData();
    EXPECT_EQ(testsupport::readFile(dir.filePath("same.gif")), written);
    // In place, a result that does not shrink leaves the file as it was.
    const TCliRun inPlace = runCli({"copy", ours, "--in-place", "--keep-if-smaller", "--rle"});
    EXPECT_EQ(inPlace.exitCode, 0);
    EXPECT_TRUE(inPlace.out.contains("(original kept)")) << inPlace.out.constData();
    EXPECT_EQ(testsupport::readFile(ours), written);
}

TEST(CliBatch, OptimizeNeverHandsBackALargerFile)
{
    // Optimising a file again cannot make it smaller; the output is then the input's bytes, unless
    // the caller asks for the optimiser's own result.
    QTemporaryDir dir;
    writeBytes(dir.filePath("source.gif"), lifeAnimation(24, 16, 5));
    const QString once = dir.filePath("once.gif");
    ASSERT_EQ(runCli({"optimize", dir.filePath("source.gif"), once}).exitCode, 0);
    const QByteArray input = testsupport::readFile(once);
    ASSERT_FALSE(input.isEmpty());

    const TCliRun raw = runCli({"optimize", once, dir.filePath("raw.gif"), "--allow-larger"});
    ASSERT_EQ(raw.exitCode, 0) << raw.err.constData();
    const QByteArray result = testsupport::readFile(dir.filePath("raw.gif"));
    const TCliRun kept = runCli({"optimize", once, dir.filePath("kept.gif")});
    ASSERT_EQ(kept.exitCode, 0) << kept.err.constData();
    const QByteArray delivered = testsupport::readFile(dir.filePath("kept.gif"));
    EXPECT_LE(delivered.size(), input.size());
    EXPECT_EQ(delivered, result.size() >= input.size() ? input : result);
}

// ImageMagick's frame optimiser writes a two-colour animation with a 2-entry global table and
// transparent index 2. Such a file is copied (LZW and RLE) and optimised with every option, and
// every result shows the same frames and is read by giflib.
TEST(CliBatch, ImageMagickOptimizedTwoColourAnimationsSurviveCopyAndOptimize)
{
    const QString convert = QStandardPaths::findExecutable("convert");
    const QString giftext = QStandardPaths::findExecutable("giftext");
    if (convert.isEmpty() || giftext.isEmpty())
        GTEST_SKIP() << "ImageMagick or giflib tools are not installed";
    QTemporaryDir dir;
    const QString shaped = dir.filePath("magick.gif");
    // Bilevel frames (as a generator writes them) give ImageMagick's two-entry table.
    const QString plain = dir.filePath("plain.gif");
    writeBytes(plain, lifeAnimation(40, 30, 16));
    TGIFImage frames;
    frames.loadFromFile(plain);
    QStringList args{"-delay", "10"};
    for (int f = 0; f < frames.images().count(); ++f) {
        const TGIFSubImage* frame = frames.images().subImage(f);
        QByteArray pbm = QStringLiteral("P1\n%1 %2\n").arg(frame->width()).arg(frame->height()).toLatin1();
        for (int64_t i = 0; i < frame->dataSize(); ++i)
            pbm += frame->data()[i] ? "0 " : "1 "; // PBM: 1 is black
        const QString name = dir.filePath(QStringLiteral("f%1.pbm").arg(f, 3, 10, QLatin1Char('0')));
        writeBytes(name, pbm);
        args << name;
    }
    args << "-layers" << "Optimize" << shaped;
    QProcess magick;
    magick.start(convert, args);
    ASSERT_TRUE(magick.waitForFinished(300000)); // a bound, not a timing: ImageMagick is slow on a busy machine
    ASSERT_EQ(magick.exitCode(), 0) << magick.readAllStandardError().constData();
    // The shape in question: a two-colour global table and a transparent index past it.
    const TCliRun info = runCli({"info", shaped, "--json"});
    const QJsonObject described = QJsonDocument::fromJson(info.out).object();
    ASSERT_EQ(described["globalColors"].toInt(), 2) << info.out.constData();
    ASSERT_EQ(described["frames"].toArray()[1].toObject()["transparentIndex"].toInt(), 2)
        << info.out.constData();

    const QList<QImage> expected = composedFrames(shaped, dir.filePath("expected"));
    ASSERT_EQ(expected.size(), 16);
    const QStringList variants[] = {
        {"copy"},
        {"copy", "--rle"},
        {"optimize", "--crop"},
        {"optimize", "--merge"},
        {"optimize", "--cleanup"},
        {"optimize", "--colormaps"},
        {"optimize", "--merge-maps"},
        {"optimize"},
    };
    int n = 0;
    for (const QStringList& variant : variants) {
        SCOPED_TRACE(variant.join(' ').toStdString());
        const QString result = dir.filePath(QStringLiteral("result%1.gif").arg(n));
        const TCliRun run = runCli(QStringList{variant[0], shaped, result} + variant.mid(1));
        ASSERT_EQ(run.exitCode, 0) << run.err.constData();
        QProcess reader;
        reader.start(giftext, {result});
        ASSERT_TRUE(reader.waitForFinished(60000));
        EXPECT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().constData();
        const QList<QImage> shown = composedFrames(result, dir.filePath(QStringLiteral("shown%1").arg(n)));
        // Optimising may drop a frame that changes nothing; every picture shown is one of the
        // original's, in order, and copies show exactly the original's.
        if (variant[0] == "copy") {
            EXPECT_TRUE(shown == expected);
        } else {
            int at = 0;
            for (const QImage& picture : shown) {
                while (at < expected.size() && expected[at] != picture)
                    ++at;
                ASSERT_LT(at, expected.size());
                ++at;
            }
            EXPECT_EQ(shown.last(), expected.last());
        }
        ++n;
    }
}

// --progress draws only on a terminal: redirected output stays clean for scripts.
TEST(CliBatch, ProgressStaysOffWhenStderrIsNotATerminal)
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a.gif");
    writeBytes(a, lifeAnimation(8, 8, 2));
    const TCliRun run = runCli({"info", a, a, "--progress"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.err.isEmpty()) << run.err.constData();
    EXPECT_EQ(run.out.count("Frames: 2"), 2);
}
