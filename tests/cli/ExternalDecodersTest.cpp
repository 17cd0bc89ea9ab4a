// Other decoders must read what we write: every loadable file of the shared corpus is saved with
// both encoders, then giflib's giftext and ImageMagick's identify read the result without errors.
#include "gif/GIFException.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "graphics/Exceptions.h"
#include "support/TestSupport.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

bool hasPixels(TGIFImage& image)
{
    for (int i = 0; i < image.images().count(); ++i)
        if (!image.images().subImage(i)->empty())
            return true;
    return false;
}

// Runs a reader on a file; empty when it read the file cleanly, else what it printed.
QString readerComplaint(const QString& program, const QStringList& args)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    if (!process.waitForFinished(60000))
        return program + " did not finish";
    const QString output = QString::fromLocal8Bit(process.readAll());
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return output.isEmpty() ? program + " failed" : output.left(400);
    return {};
}

class ExternalDecoders : public ::testing::TestWithParam<uint8_t>
{
};

TEST_P(ExternalDecoders, GiflibAndImageMagickReadEverySavedCorpusFile)
{
    REQUIRE_SHARED_TESTDATA();
    const QString giftext = QStandardPaths::findExecutable("giftext");
    const QString identify = QStandardPaths::findExecutable("identify");
    if (giftext.isEmpty() || identify.isEmpty())
        GTEST_SKIP() << "giftext or identify is not installed";
    QTemporaryDir folder;
    int checked = 0;
    const QStringList files = testsupport::filesBelow(testsupport::sharedTestData("gif"), {".gif"});
    for (const QString& path : files) {
        if (QFileInfo(path).size() > 400 * 1024)
            continue; // the large files take long under the sanitizers and add no new block kinds
        TGIFImage image;
        image.onWarning = [](TObject*, int, const QString&) {};
        try {
            image.loadFromFile(path);
        } catch (const Exception&) {
            continue;
        }
        if (!hasPixels(image))
            continue;
        const QString saved = folder.filePath(QStringLiteral("saved.gif"));
        image.setCompression(GetParam());
        image.saveToFile(saved); // everything that was read can be written back
        // A reader that refuses the original (its own size limits, defects it does not tolerate) is
        // not asked about our copy.
        if (readerComplaint(giftext, {path}).isEmpty()) {
            const QString giflib = readerComplaint(giftext, {saved});
            EXPECT_TRUE(giflib.isEmpty()) << qPrintable(path) << "\n" << qPrintable(giflib);
        }
        if (readerComplaint(identify, {"-regard-warnings", path}).isEmpty()) {
            const QString magick = readerComplaint(identify, {"-regard-warnings", saved});
            EXPECT_TRUE(magick.isEmpty()) << qPrintable(path) << "\n" << qPrintable(magick);
        }
        ++checked;
    }
    EXPECT_GT(checked, 50);
}

INSTANTIATE_TEST_SUITE_P(Encoders, ExternalDecoders, ::testing::Values(uint8_t(0), uint8_t(1)),
                         [](const auto& info) { return info.param == 0 ? "LZW" : "RLE"; });

} // namespace
