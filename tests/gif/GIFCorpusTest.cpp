// The shared GIF corpus: every file loads or fails cleanly with the outcome recorded in
// tests/data/gif_corpus_outcomes.tsv, and every file that loads survives save (LZW and RLE)
// and load with the same blocks, maps and pixels.
//
// Set REELWRIGHT_UPDATE_GOLDEN=1 to rewrite the outcome table after a deliberate change.
#include "GIFTestUtil.h"

#include "graphics/Exceptions.h"
#include "graphics/Streams.h"
#include "support/TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTextStream>
#include <gtest/gtest.h>

using namespace giftest;

namespace {

const char* const GoldenName = "gif_corpus_outcomes.tsv";

QStringList corpusFiles()
{
    QStringList files = testsupport::filesBelow(testsupport::sharedTestData("gif"), {".gif"});
    return files;
}

QString relativeName(const QString& path)
{
    return QDir(testsupport::sharedTestData("gif")).relativeFilePath(path);
}

// Consecutive repeats are folded ("message ×3") so that a long run of one defect stays readable.
QString foldWarnings(const QStringList& warnings)
{
    QStringList folded;
    for (int i = 0; i < warnings.size();) {
        int j = i;
        while (j < warnings.size() && warnings[j] == warnings[i])
            ++j;
        folded << (j - i > 1 ? QStringLiteral("%1 x%2").arg(warnings[i]).arg(j - i) : warnings[i]);
        i = j;
    }
    return folded.join(" | ");
}

struct Loaded
{
    QString outcome;
    bool ok = false;
};

Loaded loadFile(TGIFImage& image, const QString& path)
{
    WarningLog log(image);
    try {
        load(image, testsupport::readFile(path));
    } catch (const Exception& e) {
        return {QStringLiteral("fails\t%1").arg(e.message()), false};
    }
    return {QStringLiteral("loads %1 frames\t%2").arg(image.images().count()).arg(foldWarnings(log.messages)),
            true};
}

// The image as the sequence of its blocks: header fields, then each extension's bytes and each
// frame's geometry, map and pixels, in stream order (an empty frame contributes only its
// extensions, just as it is written).
QStringList blocksOf(TGIFImage& image)
{
    QStringList blocks;
    auto mapText = [](TGIFColorMap& map) {
        QByteArray bytes;
        for (const TGIFColor& c : map.entries())
            bytes += QByteArray::fromRawData(reinterpret_cast<const char*>(&c), 3);
        return QString::fromLatin1(bytes.toHex());
    };
    blocks << QStringLiteral("screen %1x%2 bg %3 aspect %4 map %5")
                  .arg(image.width())
                  .arg(image.height())
                  .arg(image.header().backgroundColorIndex())
                  .arg(image.header().aspectRatio())
                  .arg(mapText(image.globalColorMap()));
    for (int i = 0; i < image.images().count(); ++i) {
        TGIFSubImage* frame = image.images().subImage(i);
        for (int e = 0; e < frame->extensions().count(); ++e) {
            TMemoryStream stream;
            frame->extensions().extension(e)->saveToStream(stream);
            blocks << QString::fromLatin1(stream.data().toHex());
        }
        if (frame->empty())
            continue;
        // A digest keeps the comparison fast on large animations.
        const QByteArray pixels = QCryptographicHash::hash(
            QByteArrayView(reinterpret_cast<const char*>(frame->data()), frame->dataSize()),
            QCryptographicHash::Sha1);
        blocks << QStringLiteral("frame %1,%2 %3x%4 map %5 pixels %6")
                      .arg(frame->left())
                      .arg(frame->top())
                      .arg(frame->width())
                      .arg(frame->height())
                      .arg(mapText(frame->colorMap()))
                      .arg(QString::fromLatin1(pixels.toHex()));
    }
    return blocks;
}

// Whether some frame holds a pixel value past the code space its colour maps imply.
bool hasPixelsPastTheirMaps(TGIFImage& image)
{
    int bits = image.globalColorMap().bitsPerPixel();
    for (int i = 0; i < image.images().count(); ++i)
        bits = std::max(bits, image.images().subImage(i)->colorMap().bitsPerPixel());
    for (int i = 0; i < image.images().count(); ++i) {
        TGIFSubImage* frame = image.images().subImage(i);
        if (frame->empty())
            continue;
        const int limit = frame->colorMap().count() > 0 ? frame->colorMap().count() : 1 << bits;
        for (int64_t p = 0; p < frame->dataSize(); ++p)
            if (frame->data()[p] >= limit)
                return true;
    }
    return false;
}

} // namespace

TEST(GIFCorpus, OutcomesMatchTheGoldenTable)
{
    REQUIRE_SHARED_TESTDATA();
    const QStringList files = corpusFiles();
    ASSERT_FALSE(files.isEmpty());
    QStringList lines;
    for (const QString& path : files) {
        TGIFImage image;
        lines << relativeName(path) + '\t' + loadFile(image, path).outcome;
    }
    const QString goldenPath = testsupport::localTestData(GoldenName);
    if (qEnvironmentVariableIsSet("REELWRIGHT_UPDATE_GOLDEN")) {
        QFile out(goldenPath);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write((lines.join('\n') + '\n').toUtf8());
        GTEST_SKIP() << "golden table rewritten";
    }
    const QStringList expected =
        QString::fromUtf8(testsupport::readFile(goldenPath)).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), expected.size());
    for (int i = 0; i < std::min(lines.size(), expected.size()); ++i)
        EXPECT_EQ(lines[i], expected[i]);
}

TEST(GIFCorpus, LoadedFilesRoundTripWithBothEncoders)
{
    REQUIRE_SHARED_TESTDATA();
    int pastTheirMaps = 0;
    for (const QString& path : corpusFiles()) {
        SCOPED_TRACE(relativeName(path).toStdString());
        TGIFImage image;
        if (!loadFile(image, path).ok || image.empty())
            continue;
        const QStringList original = blocksOf(image);
        pastTheirMaps += hasPixelsPastTheirMaps(image) ? 1 : 0;
        for (uint8_t compression : {uint8_t(0), uint8_t(1)}) {
            image.setCompression(compression);
            TGIFImage copy;
            QString error;
            try {
                load(copy, save(image));
            } catch (const Exception& e) {
                error = e.message();
            }
            // Whatever was read is written back, also pixels past their colour maps.
            ASSERT_EQ(error, QString()) << int(compression);
            EXPECT_TRUE(blocksOf(copy) == original) << "compression " << int(compression);
        }
    }
    EXPECT_GT(pastTheirMaps, 0); // the corpus holds such files: the case is exercised
}

TEST(GIFCorpus, CorruptedFilesLoadOrFailWithAnEngineError)
{
    REQUIRE_SHARED_TESTDATA();
    std::mt19937 random(20261209);
    int mutated = 0;
    for (const QString& path : corpusFiles()) {
        const QByteArray original = testsupport::readFile(path);
        if (original.size() > 16384 || original.size() < 16)
            continue;
        for (int round = 0; round < 12; ++round) {
            QByteArray bytes = original;
            const int kind = round % 3;
            auto at = [&] {
                return std::uniform_int_distribution<int>(0, int(bytes.size()) - 1)(random);
            };
            if (kind == 0) {
                bytes.truncate(at());
            } else {
                for (int flips = 1 + round % 4; flips > 0; --flips)
                    bytes[at()] = char(std::uniform_int_distribution<int>(0, 255)(random));
            }
            TGIFImage image;
            try {
                load(image, bytes);
                if (!image.empty())
                    save(image); // writing what was read must not crash either
            } catch (const Exception&) {
                // A clean failure with a message is a correct outcome.
            }
            ++mutated;
        }
    }
    EXPECT_GT(mutated, 100);
}
