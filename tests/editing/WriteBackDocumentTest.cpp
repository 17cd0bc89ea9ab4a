// Files from other programs that the engine reads must also be editable and savable through a
// document: every edit rewrites the working copy and Save writes the file, both after the
// normalisation for writing. Two shapes that used to fail on every edit: a two-colour animation
// whose transparent index lies past its table (ImageMagick's frame optimiser), and an animation
// with a full 256-colour global map whose first frame leaves the screen partly uncovered.
#include "editing/Document.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "app/AppFixture.h"

#include "app/Childwin.h"
#include "editing/UndoHistory.h"
#include "gif/GIFEncoder.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "gif/GIFPainter.h"
#include "gif/GIFSubImage.h"
#include "graphics/Streams.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

namespace {

struct RawFrame
{
    int left, top, width, height;
    int disposal, delay;
    int transparentIndex; // -1: opaque
    std::vector<uint8_t> pixels;
};

// Writes the frames byte by byte, the way other programs do, with the given code size.
QByteArray rawGif(int width, int height, const std::vector<TColor>& colors, int codeSize,
                  const std::vector<RawFrame>& frames)
{
    QByteArray gif("GIF89a");
    auto u8 = [&](int v) { gif += char(uint8_t(v)); };
    auto u16 = [&](int v) { u8(v & 0xFF), u8(v >> 8); };
    int bits = 1;
    while ((1 << bits) < int(colors.size()))
        ++bits;
    u16(width), u16(height), u8(0x80 | (bits - 1)), u8(0), u8(0);
    for (int i = 0; i < (1 << bits); ++i) {
        const TColor c = i < int(colors.size()) ? colors[size_t(i)] : 0;
        u8(int(c & 0xFF)), u8(int((c >> 8) & 0xFF)), u8(int((c >> 16) & 0xFF));
    }
    for (const RawFrame& f : frames) {
        u8(0x21), u8(0xF9), u8(4), u8((f.disposal << 2) | (f.transparentIndex >= 0 ? 1 : 0)), u16(f.delay);
        u8(std::max(0, f.transparentIndex)), u8(0);
        u8(0x2C), u16(f.left), u16(f.top), u16(f.width), u16(f.height), u8(0);
        TMemoryStream data;
        compressFrameData(data, codeSize, 256, f.pixels.data(), f.width, f.height, false, gcLZW);
        gif += data.data();
    }
    u8(0x3B);
    return gif;
}

std::vector<uint8_t> pattern(int count, int modulo, int offset)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        pixels[size_t(i)] = uint8_t((i * 7 + offset) % modulo);
    return pixels;
}

// The pictures the editor's painter shows after each frame.
QList<QImage> shownPictures(const QString& path)
{
    TGIFImage image;
    image.onWarning = [](TObject*, int, const QString&) {};
    image.loadFromFile(path);
    QList<QImage> pictures;
    gifPlayFrames(image, clBlack, [&](int, const QImage& picture) { pictures << picture.copy(); });
    return pictures;
}

class WriteBackDocumentTest : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        ASSERT_TRUE(m_files.isValid());
    }
    void TearDown() override
    {
        stopProgram();
        AppFixture::TearDown();
    }
    TfrmMain& main() { return m_program ? *m_program->mainWindow() : *startProgram().mainWindow(); }

    // Opens the file as a document, changes the delay of frame 0 the way every command does,
    // saves with File, Save, and checks the saved file shows what the original showed.
    void editSaveAndCompare(const QString& path)
    {
        const QList<QImage> before = shownPictures(path);
        ASSERT_FALSE(before.isEmpty());
        ASSERT_TRUE(main().session().documents().open(path));
        TDocument* doc = main().session().documents().active();
        ASSERT_NE(doc, nullptr);
        recordUndo(*doc, ckGCExt, 3, 0, 0, 0, QStringLiteral("Delay"));
        main().session().workingImage().images().subImage(0)->graphicControlExtension()->setDelay(33);
        doc->setModified(true);
        // The working copy was written: the document is still open, modified, with its copy.
        ASSERT_EQ(main().session().documents().active(), doc);
        EXPECT_TRUE(doc->isModified());
        EXPECT_FALSE(doc->workingCopy().isEmpty());
        EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join('\n').toStdString();

        main().action(TActionId::FileSave)->trigger();
        EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join('\n').toStdString();
        EXPECT_FALSE(doc->isModified());

        TGIFImage saved;
        saved.loadFromFile(path);
        EXPECT_EQ(saved.images().subImage(0)->graphicControlExtension()->delay(), 33);
        const QList<QImage> after = shownPictures(path);
        ASSERT_EQ(after.size(), before.size());
        for (int i = 0; i < before.size(); ++i)
            EXPECT_TRUE(after[i] == before[i]) << "frame " << i;
    }

    QTemporaryDir m_files;
};

} // namespace

TEST_F(WriteBackDocumentTest, TransparentIndexPastATwoColourTableSurvivesEditAndSave)
{
    const int w = 12, h = 8;
    std::vector<RawFrame> frames;
    frames.push_back({0, 0, w, h, 1, 10, -1, pattern(w * h, 2, 0)});
    for (int f = 1; f < 6; ++f)
        frames.push_back({f, 1, 6, 5, 1, f == 3 ? 60 : 10, 2, pattern(30, 3, f)});
    const QString path = m_files.filePath("magick.gif");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(rawGif(w, h, {0x000000, 0xFFFFFF}, 2, frames));
    file.close();
    editSaveAndCompare(path);
}

TEST_F(WriteBackDocumentTest, FullGlobalMapWithTransparencySurvivesEditAndSave)
{
    std::vector<TColor> colors;
    for (int i = 0; i < 256; ++i)
        colors.push_back(rgbColor(uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)));
    const int w = 20, h = 16;
    std::vector<RawFrame> frames;
    // Frame 0 leaves a border uncovered, so the working copy gives the screen a background.
    frames.push_back({2, 2, 16, 12, 1, 10, -1, pattern(16 * 12, 256, 0)});
    frames.push_back({0, 0, w, h, 1, 10, 5, pattern(w * h, 256, 9)});
    const QString path = m_files.filePath("full.gif");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(rawGif(w, h, colors, 8, frames));
    file.close();
    editSaveAndCompare(path);
}
