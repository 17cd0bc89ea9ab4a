// The documents without any window: an edit session, its document manager and a recording view.
// Opening, a document made from an image, switching through working copies, the signals the
// windows follow, and closing with the question.
#include "RoutinesFixture.h"

#include "editing/UndoHost.h"
#include "gif/GIFExtensions.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>

namespace {

class DocumentManagerTest : public RoutinesFixture
{
protected:
    void SetUp() override
    {
        RoutinesFixture::SetUp();
        ASSERT_TRUE(m_files.isValid());
    }

    // A GIF of `frames` frames of width x height, each with a delay of 10.
    QString gifFile(const QString& name, int frames, int width, int height)
    {
        TGIFImage image;
        image.setWidth(width);
        image.setHeight(height);
        for (int i = 0; i < frames; ++i) {
            TGIFSubImage* frame = addFrame(image, width, height, {rgbColor(1, 2, 3), rgbColor(200, 0, 0)}, 1);
            ensureFrameTiming(*frame, 10);
        }
        const QString path = m_files.filePath(name);
        EXPECT_TRUE(saveGIFFile(image, path, true, true));
        return path;
    }
    int delayOfFirstFrame() { return workingImage().images().subImage(0)->graphicControlExtension()->delay(); }
    void editDelay(TDocument& doc, int delay)
    {
        recordFrameTiming(doc, 0, QStringLiteral("Delay"));
        workingImage().images().subImage(0)->graphicControlExtension()->setDelay(uint16_t(delay));
        doc.setModified(true);
    }
    TDocumentManager& docs() { return session().documents(); }

    QTemporaryDir m_files;
};

TEST_F(DocumentManagerTest, OpeningShowsFrameZeroAndAnnouncesTheDocument)
{
    QSignalSpy added(&docs(), &TDocumentManager::documentAdded);
    QSignalSpy opened(&docs(), &TDocumentManager::fileOpened);
    const QString path = gifFile(QStringLiteral("a.gif"), 3, 5, 4);
    ASSERT_TRUE(docs().open(path));
    ASSERT_EQ(docs().count(), 1);
    TDocument* doc = docs().active();
    EXPECT_EQ(doc->fileName(), path);
    EXPECT_FALSE(doc->isModified());
    EXPECT_FALSE(doc->isUntitled());
    EXPECT_EQ(added.count(), 1);
    EXPECT_EQ(opened.count(), 1);
    EXPECT_EQ(workingImage().images().count(), 3);
    EXPECT_TRUE(m_view.logged("columns 3"));
    EXPECT_TRUE(m_view.logged("select 0"));

    // Opened again: the same document, no second one.
    EXPECT_TRUE(docs().open(path));
    EXPECT_EQ(docs().count(), 1);
    EXPECT_EQ(added.count(), 1);
}

TEST_F(DocumentManagerTest, SwitchingGoesThroughTheWorkingCopy)
{
    TDocument* a = (docs().open(gifFile(QStringLiteral("a.gif"), 2, 5, 4)), docs().active());
    editDelay(*a, 77);
    TDocument* b = (docs().open(gifFile(QStringLiteral("b.gif"), 3, 7, 7)), docs().active());
    EXPECT_FALSE(a->isLoaded());
    EXPECT_EQ(workingImage().images().count(), 3);
    EXPECT_EQ(delayOfFirstFrame(), 10);

    QSignalSpy activated(&docs(), &TDocumentManager::activated);
    docs().activate(a);
    EXPECT_EQ(docs().active(), a);
    EXPECT_EQ(activated.count(), 1);
    EXPECT_EQ(workingImage().images().count(), 2);
    EXPECT_EQ(delayOfFirstFrame(), 77) << "read back from the working copy";
    EXPECT_TRUE(a->isModified());

    docs().activatePrevious();
    EXPECT_EQ(docs().active(), b);
    EXPECT_EQ(workingImage().images().count(), 3);
}

TEST_F(DocumentManagerTest, ADocumentFromAnImageLeavesTheActiveOneIntact)
{
    TDocument* a = (docs().open(gifFile(QStringLiteral("a.gif"), 2, 5, 4)), docs().active());
    editDelay(*a, 55);

    TGIFImage made;
    made.setWidth(9);
    made.setHeight(8);
    for (int i = 0; i < 4; ++i)
        ensureFrameTiming(*addFrame(made, 9, 8, {rgbColor(0, 0, 0), rgbColor(0, 90, 0)}, uint8_t(i % 2)), 20);
    TDocument* doc = docs().createFromImage(made);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(docs().active(), doc);
    EXPECT_EQ(doc->fileName(), QStringLiteral("Untitled1.gif"));
    EXPECT_TRUE(doc->isUntitled());
    EXPECT_TRUE(doc->isModified());
    EXPECT_FALSE(doc->workingCopy().isEmpty());
    EXPECT_EQ(workingImage().images().count(), 4);
    EXPECT_EQ(workingImage().width(), 9);
    EXPECT_TRUE(m_view.logged("columns 4"));

    docs().activate(a);
    EXPECT_EQ(workingImage().images().count(), 2);
    EXPECT_EQ(delayOfFirstFrame(), 55) << "the document left kept its own animation";
    docs().activate(doc);
    EXPECT_EQ(workingImage().images().count(), 4);
}

TEST_F(DocumentManagerTest, CloseAsksForAModifiedDocumentAndRemovesItsWorkingCopy)
{
    TDocument* doc = (docs().open(gifFile(QStringLiteral("c.gif"), 1, 5, 4)), docs().active());
    editDelay(*doc, 60);
    const QString copy = doc->workingCopy();
    ASSERT_TRUE(QFile::exists(copy));
    QSignalSpy removed(&docs(), &TDocumentManager::documentRemoved);
    QSignalSpy last(&docs(), &TDocumentManager::lastDocumentClosed);

    m_messages.pushAnswer(TMsgResult::Cancel);
    EXPECT_FALSE(docs().close(doc));
    EXPECT_EQ(docs().count(), 1);
    EXPECT_EQ(removed.count(), 0);

    m_messages.pushAnswer(TMsgResult::No);
    EXPECT_TRUE(docs().close(doc));
    EXPECT_EQ(docs().count(), 0);
    EXPECT_EQ(docs().active(), nullptr);
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(last.count(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(QFile::exists(copy));
    EXPECT_EQ(m_messages.texts(), (QStringList{QStringLiteral("Would you like to save changes to c.gif?"),
                                               QStringLiteral("Would you like to save changes to c.gif?")}));
}

} // namespace
