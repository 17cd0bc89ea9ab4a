// Files the engine reads with complaints, or refuses, must never take the editor down: every
// malformed file of the shared corpus and a set of made oddities is opened in the real main
// window, every frame is selected, and the program is still there afterwards, having said which
// files it could not open.
#include "AppFixture.h"

#include "app/FrameStrip.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

// GIF bytes written out by hand: the writer of this program refuses to make these shapes.
class TRawGif
{
public:
    TRawGif(int width, int height, int globalColours)
    {
        m_bytes.append("GIF89a");
        word(width);
        word(height);
        const int bits = globalColours > 0 ? tableBits(globalColours) : 0;
        m_bytes.append(char(globalColours > 0 ? 0x80 | (bits - 1) : 0));
        m_bytes.append('\0'); // background
        m_bytes.append('\0'); // aspect
        table(globalColours);
    }
    // One frame whose LZW data is the single pixel 0 (clear, 0, end at 3 bits).
    TRawGif& frame(int left, int top, int width, int height, int localColours = 0)
    {
        m_bytes.append(',');
        word(left);
        word(top);
        word(width);
        word(height);
        m_bytes.append(char(localColours > 0 ? 0x80 | (tableBits(localColours) - 1) : 0));
        table(localColours);
        m_bytes.append("\x02\x02\x44\x01\x00", 5);
        return *this;
    }
    QByteArray finish() { return m_bytes + ';'; }

private:
    static int tableBits(int colours)
    {
        int bits = 1;
        while ((1 << bits) < colours)
            ++bits;
        return bits;
    }
    void word(int value)
    {
        m_bytes.append(char(value & 0xFF));
        m_bytes.append(char((value >> 8) & 0xFF));
    }
    void table(int colours)
    {
        if (colours <= 0)
            return;
        for (int i = 0; i < (1 << tableBits(colours)); ++i)
            m_bytes.append(QByteArray(3, char(i * 40)));
    }
    QByteArray m_bytes;
};

class MalformedFilesTest : public AppFixture
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

    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_files.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    // Opens the file as a user would and shows each of its frames in the view, strip, panels and
    // inspector. False when the program refused the file.
    bool openAndBrowse(TfrmMain& main, const QString& path)
    {
        const bool opened = main.session().documents().open(path);
        QApplication::processEvents();
        if (!opened)
            return false;
        for (int i = 0; i < main.session().view().frameColumnCount(); ++i) {
            main.session().view().selectFrame(i);
            main.frameStrip()->viewport()->repaint();
        }
        QApplication::processEvents();
        return true;
    }

    QTemporaryDir m_files;
};

TEST_F(MalformedFilesTest, MadeOdditiesOpenOrAreRefusedWithAMessage)
{
    const struct
    {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        // No colour table anywhere, a screen the size of a poster, a frame outside it.
        {"no-colours.gif", TRawGif(11390, 12595, 0).frame(12595, 13624, 1, 1).finish()},
        {"no-colours-small.gif", TRawGif(4, 4, 0).frame(0, 0, 1, 1).frame(1, 1, 1, 1).finish()},
        {"far-outside.gif", TRawGif(10, 10, 2).frame(60000, 60000, 1, 1).frame(0, 0, 1, 1).finish()},
        {"zero-size-frame.gif", TRawGif(10, 10, 2).frame(0, 0, 0, 0).frame(0, 0, 1, 1).finish()},
        {"huge-screen.gif", TRawGif(65535, 65535, 2).frame(0, 0, 1, 1).finish()},
        {"local-only.gif", TRawGif(3, 3, 0).frame(0, 0, 1, 1, 4).finish()},
        {"truncated.gif", TRawGif(8, 8, 2).frame(0, 0, 8, 8).finish().left(30)},
        {"empty.gif", QByteArray()},
        {"not-a-gif.gif", QByteArray("this is text, not a picture")},
    };
    TfrmMain& main = *startProgram().mainWindow();
    QStringList refused;
    for (const auto& c : cases) {
        const QString path = write(QString::fromLatin1(c.name), c.bytes);
        m_messages.clear();
        if (!openAndBrowse(main, path)) {
            refused << QString::fromLatin1(c.name);
            // What could not be opened is said, by name.
            const QString said = m_messages.texts().join(u'\n');
            EXPECT_TRUE(said.contains(QString::fromLatin1(c.name))) << c.name << ": " << said.toStdString();
        }
    }
    EXPECT_TRUE(refused.contains(QStringLiteral("empty.gif")));
    EXPECT_TRUE(refused.contains(QStringLiteral("not-a-gif.gif")));
    // The files the engine reads with warnings are documents like any other.
    EXPECT_FALSE(refused.contains(QStringLiteral("no-colours.gif")));
    EXPECT_FALSE(refused.contains(QStringLiteral("no-colours-small.gif")));
    EXPECT_TRUE(main.isVisible());
}

TEST_F(MalformedFilesTest, EveryMalformedFileOfTheCorpusLeavesTheProgramRunning)
{
    const QStringList files =
        testsupport::filesBelow(testsupport::sharedTestData(QStringLiteral("gif/malformed")), {QStringLiteral(".gif")});
    if (files.isEmpty())
        GTEST_SKIP() << "shared corpus not found";
    TfrmMain& main = *startProgram().mainWindow();
    int refused = 0;
    for (const QString& path : files) {
        m_messages.clear();
        if (!openAndBrowse(main, path)) {
            ++refused;
            EXPECT_TRUE(m_messages.texts().join(u'\n').contains(QFileInfo(path).fileName())) << path.toStdString();
        }
    }
    EXPECT_TRUE(main.isVisible());
    EXPECT_LT(refused, files.size()) << "most malformed files are still readable";
}

} // namespace
