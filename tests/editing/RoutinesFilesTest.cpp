// File types, loading pictures into bitmaps, the drop question, and reading and writing GIF files.
#include "RoutinesFixture.h"

#include "graphics/Streams.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>

namespace {

using testsupport::localTestData;
using testsupport::readFile;

const QString kLoadError = QStringLiteral(
    "Error loading %1! GIF Reelwright does not support the file type or it is a corrupted file.");

class RoutinesFilesTest : public RoutinesFixture
{
protected:
    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_files.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    // A two-frame GIF written through the model.
    QString twoFrameGif(const QString& name)
    {
        TGIFImage image;
        image.setWidth(4);
        image.setHeight(3);
        addFrame(image, 4, 3, {rgbColor(255, 0, 0), rgbColor(0, 0, 255)}, 0);
        addFrame(image, 4, 3, {rgbColor(255, 0, 0), rgbColor(0, 0, 255)}, 1);
        TMemoryStream stream;
        image.saveToStream(stream);
        return write(name, stream.data());
    }

    QTemporaryDir m_files;
};

TEST_F(RoutinesFilesTest, RecognizesTheTableCaseInsensitivelyAndNothingElse)
{
    const struct
    {
        const char* path;
        int type;
    } cases[] = {
        {"/a/b.gif", 0}, {"x.JPG", 1},  {"x.bmp", 2},      {"x.jif", 3},      {"x.dcx", 4},
        {"x.ico", 5},    {"x.pbm", 6},  {"x.pcx", 7},      {"x.ljp", 8},      {"x.pgm", 9},
        {"x.pic", 10},   {"x.png", 11}, {"x.ppm", 12},     {"x.rle", 13},     {"x.tga", 14},
        {"x.tif", 15},   {"x.wmf", 16}, {"x.wpg", 17},     {"movie.AVI", 18}, {"x.tiff", 20},
        {"x.*", 20},     {"noext", 20}, {"x.gif.bak", 20}, {"dir.gif/x", 20}, {"x.", 20},
    };
    for (const auto& c : cases)
        EXPECT_EQ(recognizeFileType(QString::fromLatin1(c.path)), c.type) << c.path;
}

TEST_F(RoutinesFilesTest, EveryPictureTypeLoadsIntoABitmap)
{
    const char* fixtures[] = {"quad.bmp", "quad.jpg", "quad.jif",  "quad.dcx", "quad.ico", "quad.pcx",
                              "quad.ljp", "quad.pic", "quad.png",  "quad.ppm", "quad.rle", "quad.tga",
                              "quad.tif", "quad.wpg", "quad8.png", "quad.gif"};
    for (const char* name : fixtures) {
        const QString path = localTestData(QStringLiteral("imaging/") + QLatin1String(name));
        TBitmap bitmap;
        ASSERT_EQ(loadImageFileIntoBitmap(session(), path, bitmap, recognizeFileType(path), true), liLoaded) << name;
        EXPECT_EQ(bitmap.width(), 16) << name;
        EXPECT_EQ(bitmap.height(), 12) << name;
        // Top-left quarter red, bottom-right white: rows are not flipped.
        const QRgb topLeft = bitmap.pixelRgb(1, 1);
        EXPECT_GT(qRed(topLeft), 200) << name;
        EXPECT_LT(qBlue(topLeft), 60) << name;
        EXPECT_GT(qBlue(bitmap.pixelRgb(14, 10)), 200) << name;
    }
    for (const char* name : {"diag.pbm", "ramp.pgm", "quad.wmf"}) {
        const QString path = localTestData(QStringLiteral("imaging/") + QLatin1String(name));
        TBitmap bitmap;
        EXPECT_EQ(loadImageFileIntoBitmap(session(), path, bitmap, recognizeFileType(path), false), liLoaded) << name;
        EXPECT_FALSE(bitmap.empty()) << name;
    }
    EXPECT_TRUE(m_messages.texts().isEmpty());
}

TEST_F(RoutinesFilesTest, DamagedPicturesFailQuietlyForTheCallersMessage)
{
    for (const char* name : {"quad.bmp", "quad.png", "quad.jpg", "quad.tif", "quad.pcx", "quad.tga"}) {
        const QByteArray good = readFile(localTestData(QStringLiteral("imaging/") + QLatin1String(name)));
        const QString truncated =
            write(QStringLiteral("cut-") + QLatin1String(name), good.left(good.size() / 3));
        const QString garbage = write(QStringLiteral("junk-") + QLatin1String(name), QByteArray(300, '\x5a'));
        for (const QString& path : {truncated, garbage}) {
            TBitmap bitmap;
            EXPECT_EQ(loadImageFileIntoBitmap(session(), path, bitmap, recognizeFileType(path), false), liFailed)
                << path.toStdString();
        }
    }
    EXPECT_TRUE(m_messages.texts().isEmpty());
}

TEST_F(RoutinesFilesTest, MissingUnknownAndBrokenGifFilesNameTheFile)
{
    TBitmap bitmap;
    const QString missing = m_files.filePath(QStringLiteral("gone.png"));
    EXPECT_EQ(loadImageFileIntoBitmap(session(), missing, bitmap, 11, false), liFailed);
    const QString unknown = write(QStringLiteral("notes.xyz"), "text");
    EXPECT_EQ(loadImageFileIntoBitmap(session(), unknown, bitmap, recognizeFileType(unknown), false), liFailed);
    const QString broken = write(QStringLiteral("broken.gif"), "GIF89a\x10");
    EXPECT_EQ(loadImageFileIntoBitmap(session(), broken, bitmap, 0, true), liFailed);
    EXPECT_EQ(m_messages.texts(),
              QStringList({kLoadError.arg(missing), QStringLiteral("notes.xyz is an unrecognized file type!"),
                           kLoadError.arg(broken)}));
}

TEST_F(RoutinesFilesTest, SinglePictureGifGivesItsFirstFrame)
{
    const QString path = twoFrameGif(QStringLiteral("two.gif"));
    TBitmap bitmap;
    ASSERT_EQ(loadImageFileIntoBitmap(session(), path, bitmap, 0, true), liLoaded);
    EXPECT_EQ(bitmap.width(), 4);
    EXPECT_EQ(bitmap.height(), 3);
    EXPECT_EQ(bitmap.pixelRgb(0, 0) & 0xFFFFFF, qRgb(255, 0, 0) & 0xFFFFFF);
    EXPECT_TRUE(m_view.log.empty());
}

TEST_F(RoutinesFilesTest, GifWithoutDocumentsOrOverTheEmptyWorkspaceOpensAsNewDocument)
{
    const QString path = twoFrameGif(QStringLiteral("two.gif"));
    TBitmap bitmap;
    EXPECT_EQ(loadImageFileIntoBitmap(session(), path, bitmap, 0, false), liOpenedAsNew);
    ASSERT_EQ(session().documents().count(), 1);
    EXPECT_EQ(activeDocument()->fileName(), QFileInfo(path).absoluteFilePath());
    EXPECT_EQ(workingImage().images().count(), 2);

    resetSession();
    openDocument();
    session().setWorkspaceDropFlag(true);
    EXPECT_EQ(loadImageFileIntoBitmap(session(), path, bitmap, 0, false), liOpenedAsNew);
    EXPECT_EQ(session().documents().count(), 2);
    EXPECT_EQ(activeDocument()->fileName(), QFileInfo(path).absoluteFilePath());
    EXPECT_TRUE(m_messages.recorded().empty());
}

TEST_F(RoutinesFilesTest, RememberedIncludeAddsEveryFrameWithoutAsking)
{
    setSetting(SettingKeys::DropImageDefault, 6);
    setSetting(SettingKeys::PaletteDefaults, 1);
    TGIFImage& working = workingImage();
    working.setWidth(4);
    working.setHeight(3);
    addFrame(working, 4, 3, {rgbColor(0, 0, 0)}, 0);
    // Nothing but the new frames changes, so each is undone by a frame command of its own.
    setSetting(SettingKeys::PaletteType, 2);
    working.globalColorMap().add(rgbColor(0, 0, 0));
    addLoopExtension(working, *working.images().subImage(0), 0);
    openDocument();
    session().setCurrentFrame(0);

    const QString path = twoFrameGif(QStringLiteral("two.gif"));
    TBitmap bitmap;
    EXPECT_EQ(loadImageFileIntoBitmap(session(), path, bitmap, 0, false), liAddedFrames);
    EXPECT_TRUE(m_messages.recorded().empty());
    EXPECT_EQ(working.images().count(), 3);
    TDocument& doc = *activeDocument();
    EXPECT_EQ(recorded(), (std::vector<std::string>{"frame Drag and Drop Image 1", "frame Drag and Drop Image 2"}));
    EXPECT_EQ(doc.rememberedFrame(), 2);
    // The document was deactivated at once, so its working copy holds the added frames.
    EXPECT_TRUE(doc.isLoaded());
    EXPECT_EQ(doc.undoPosition(), 2);
    TGIFImage copy;
    ASSERT_TRUE(loadGIFFile(copy, doc.workingCopy()));
    EXPECT_EQ(copy.images().count(), 3);
}

TEST_F(RoutinesFilesTest, DropQuestionAnswers)
{
    const QString path = twoFrameGif(QStringLiteral("two.gif"));
    openDocument();
    TBitmap bitmap;

    m_messages.pushAnswer(TMsgResult::Cancel);
    m_messages.pushMakeDefault(true);
    EXPECT_EQ(loadImageFileIntoBitmap(session(), path, bitmap, 0, false), liFailed);
    EXPECT_EQ(Settings::readInteger(SettingKeys::DropImageDefault), 0) << "Cancel is never remembered";
    ASSERT_EQ(m_messages.recorded().size(), 1u);
    EXPECT_EQ(
        m_messages.recorded()[0].text,
        QStringLiteral("Would you like to add this image to the current animation?\n Or, would you like to "
                       "start it as new animation?"));
    EXPECT_EQ(m_messages.recorded()[0].buttons, TMsgButtons::YesNoCancel);

    m_messages.pushAnswer(TMsgResult::No);
    m_messages.pushMakeDefault(true);
    EXPECT_EQ(loadImageFileIntoBitmap(session(), path, bitmap, 0, false), liOpenedAsNew);
    ASSERT_EQ(session().documents().count(), 2);
    EXPECT_EQ(activeDocument()->fileName(), QFileInfo(path).absoluteFilePath());
    EXPECT_EQ(Settings::readInteger(SettingKeys::DropImageDefault), 7);

    // Remembered now: no further question.
    EXPECT_EQ(loadImageFileIntoBitmap(session(), path, bitmap, 0, false), liOpenedAsNew);
    EXPECT_EQ(m_messages.recorded().size(), 2u);
}

TEST_F(RoutinesFilesTest, IncludeStopsAtTheFirstFrameThatIsNotAdded)
{
    setSetting(SettingKeys::DropImageDefault, 6);
    TGIFImage& working = workingImage();
    working.setWidth(4);
    working.setHeight(3);
    addFrame(working, 4, 3, {rgbColor(0, 0, 0)}, 0);
    openDocument();
    session().setCurrentFrame(0);
    m_prompts.paletteAnswer = mrCancel;
    TBitmap bitmap;
    EXPECT_EQ(loadImageFileIntoBitmap(session(), twoFrameGif(QStringLiteral("two.gif")), bitmap, 0, false), liFailed);
    EXPECT_EQ(m_prompts.paletteShown, 1) << "the first refusal ends the drop";
    EXPECT_EQ(working.images().count(), 1);
    EXPECT_TRUE(recorded().empty());
}

TEST_F(RoutinesFilesTest, IncludeWithoutInsertPositionFails)
{
    setSetting(SettingKeys::DropImageDefault, 6);
    openDocument();
    session().setCurrentFrame(-1);
    TBitmap bitmap;
    EXPECT_EQ(loadImageFileIntoBitmap(session(), twoFrameGif(QStringLiteral("two.gif")), bitmap, 0, false), liFailed);
    EXPECT_EQ(workingImage().images().count(), 0);
}

TEST_F(RoutinesFilesTest, AnimatedMeansAGifWithTwoNonEmptyFrames)
{
    EXPECT_TRUE(isAnimatedGIF(twoFrameGif(QStringLiteral("two.gif"))));
    const QString renamed = twoFrameGif(QStringLiteral("two.png"));
    EXPECT_FALSE(isAnimatedGIF(renamed));

    TGIFImage single;
    single.setWidth(2);
    single.setHeight(2);
    addFrame(single, 2, 2, {rgbColor(1, 2, 3)});
    auto* empty = new TGIFSubImage(&single);
    addComment(*empty, QStringLiteral("only a comment"));
    single.images().add(empty);
    TMemoryStream stream;
    single.saveToStream(stream);
    EXPECT_FALSE(isAnimatedGIF(write(QStringLiteral("one.gif"), stream.data())));
}

TEST_F(RoutinesFilesTest, SaveWritesANormalisedFileThatLoadsBack)
{
    TGIFImage image;
    image.setWidth(3);
    image.setHeight(2);
    addFrame(image, 3, 2, {rgbColor(9, 9, 9), rgbColor(200, 0, 0)}, 1);
    const QString path = m_files.filePath(QStringLiteral("out.gif"));
    ASSERT_TRUE(saveGIFFile(image, path, true, true));

    TGIFImage back;
    ASSERT_TRUE(loadGIFFile(back, path));
    ASSERT_EQ(back.images().count(), 1);
    ASSERT_NE(back.images().subImage(0)->graphicControlExtension(), nullptr);
    EXPECT_EQ(back.images().subImage(0)->graphicControlExtension()->delay(), 100);
    ASSERT_GE(back.globalColorMap().count(), 216) << "an empty global map is written as the web palette";
    EXPECT_EQ(back.globalColorMap().entry(1), (TGIFColor{0, 0, 51}));
    EXPECT_EQ(back.globalColorMap().entry(215), (TGIFColor{255, 255, 255}));
    EXPECT_EQ(gifByteSize(image), QFileInfo(path).size());
}

TEST_F(RoutinesFilesTest, SaveNeedsOverwriteOrAnExistingTarget)
{
    TGIFImage image;
    image.setWidth(1);
    image.setHeight(1);
    addFrame(image, 1, 1, {rgbColor(0, 0, 0)});
    const QString path = m_files.filePath(QStringLiteral("new.gif"));
    EXPECT_FALSE(saveGIFFile(image, path, false, false));
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_EQ(m_messages.texts(),
              QStringList(QStringLiteral("Error saving file! Unable to save %1 to disk.").arg(path)));

    EXPECT_TRUE(saveGIFFile(image, path, false, true));
    EXPECT_TRUE(saveGIFFile(image, path, false, false)) << "a working copy that exists is rewritten";
}

TEST_F(RoutinesFilesTest, FailedSaveLeavesThePreviousFileUntouched)
{
    const QString path = twoFrameGif(QStringLiteral("keep.gif"));
    const QByteArray before = readFile(path);

    // An animation without frames cannot be written ("Unsupported GIF version").
    TGIFImage image;
    image.setWidth(4);
    image.setHeight(4);

    EXPECT_FALSE(saveGIFFile(image, path, true, true));
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(m_messages.texts(),
              QStringList(QStringLiteral("Error saving file! Unable to save %1 to disk.").arg(path)));
    EXPECT_EQ(QDir(m_files.path()).entryList(QDir::Files), QStringList(QStringLiteral("keep.gif")))
        << "no temporary file is left behind";
}

TEST_F(RoutinesFilesTest, SaveIntoAMissingFolderFailsWithTheMessage)
{
    TGIFImage image;
    image.setWidth(1);
    image.setHeight(1);
    addFrame(image, 1, 1, {rgbColor(0, 0, 0)});
    const QString path = m_files.filePath(QStringLiteral("no/such/dir/x.gif"));
    EXPECT_FALSE(saveGIFFile(image, path, true, true));
    EXPECT_EQ(m_messages.texts().size(), 1);
}

} // namespace
