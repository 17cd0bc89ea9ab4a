// Documents as the user meets them, through the real main window on the offscreen platform:
// opening (the same file twice, undecodable files, empty frames), untitled documents, the
// working copies that carry a document's edits while another one is active, saving (the dialog,
// the sample-images redirect, a failed write), closing with its question, the no-document state
// and the tab strip.
#include "AppFixture.h"

#include "app/Childwin.h"
#include "app/DocumentTabs.h"
#include "app/FramePanels.h"
#include "app/RecentFiles.h"
#include "editing/Document.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "editing/FrameInsertion.h"
#include "editing/UndoHistory.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "graphics/Bitmap.h"
#include "graphics/Streams.h"
#include "platform/MessageService.h"
#include "platform/Settings.h"
#include "support/QtFrameImporter.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstring>

namespace {

class DocumentsTest : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        ASSERT_TRUE(m_files.isValid());
        // New frames take the stored palette settings instead of asking.
        Settings::writeInteger(SettingKeys::PaletteDefaults, 1);
    }
    void TearDown() override
    {
        stopProgram();
        for (const QString& path : m_cleanUp)
            QFile::remove(path);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "hourglass cursor left on";
        AppFixture::TearDown();
    }

    TfrmMain& main()
    {
        if (!m_program) {
            startProgram();
            // Pictures become frames through Qt's own colour reduction.
            m_program->session().setFrameImporter(&importThroughQt);
        }
        return *m_program->mainWindow();
    }
    TDocumentManager& docs() { return main().session().documents(); }
    TGIFImage& image() { return main().session().workingImage(); }
    TMDIChild* view(TDocument* doc) { return main().viewOf(doc); }
    int columns() { return main().stripController()->frameColumnCount(); }

    // A GIF whose frames have the given sizes; an empty size stands for an empty frame (one
    // that carries only a comment).
    QString makeGif(const QString& name, const std::vector<QSize>& frames, const QString& folder = {})
    {
        TGIFImage image;
        image.setWidth(16);
        image.setHeight(12);
        for (const QSize& size : frames) {
            auto* frame = new TGIFSubImage(&image);
            if (size.isEmpty()) {
                addComment(*frame, QStringLiteral("nothing to see"));
            } else {
                frame->setBounds(0, 0, size.width(), size.height());
                frame->colorMap().add(rgbColor(1, 2, 3));
                frame->colorMap().add(rgbColor(200, 0, 0));
                for (int y = 0; y < size.height(); ++y)
                    std::memset(frame->scanLine(y), 1, size_t(size.width()));
                ensureFrameTiming(*frame, 10);
            }
            image.images().add(frame);
        }
        TMemoryStream stream;
        image.saveToStream(stream);
        return writeFile(name, stream.data(), folder);
    }
    QString writeFile(const QString& name, const QByteArray& bytes, const QString& folder = {})
    {
        const QString path = QDir(folder.isEmpty() ? m_files.path() : folder).filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    TDocument* open(const QString& path)
    {
        EXPECT_TRUE(docs().open(path)) << path.toStdString();
        return docs().active();
    }
    // The edit order of every command: record, change the working image, mark modified.
    void editDelay(TDocument& doc, int delay)
    {
        recordFrameTiming(doc, 0, QStringLiteral("Delay"));
        image().images().subImage(0)->graphicControlExtension()->setDelay(uint16_t(delay));
        doc.setModified(true);
    }
    int delayOfFirstFrame() { return image().images().subImage(0)->graphicControlExtension()->delay(); }
    static int delayInFile(const QString& path)
    {
        TGIFImage image;
        TFileStream stream(path, TFileStream::OpenRead);
        image.loadFromStream(stream);
        return image.images().subImage(0)->graphicControlExtension()->delay();
    }
    void trigger(TActionId id) { main().action(id)->trigger(); }
    QStringList tabTexts()
    {
        QStringList texts;
        for (int i = 0; i < main().documentTabs()->count(); ++i)
            texts << main().documentTabs()->tabText(i);
        return texts;
    }
    void selectTab(const QString& text) { main().documentTabs()->setCurrentIndex(tabTexts().indexOf(text)); }

    QTemporaryDir m_files;
    QStringList m_cleanUp;
};

TEST_F(DocumentsTest, OpeningShowsTheFirstFrameInATabAndTheStatusBar)
{
    const QString path = makeGif(QStringLiteral("two.gif"), {QSize(5, 4), QSize(6, 3)});
    TDocument* doc = open(path);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->fileName(), path);
    EXPECT_EQ(view(doc)->windowTitle(), QStringLiteral("two.gif")); // the path is in the tab hover text
    EXPECT_FALSE(doc->isUntitled());
    EXPECT_FALSE(doc->isModified());
    EXPECT_EQ(tabTexts(), QStringList{QStringLiteral("two.gif")});
    EXPECT_TRUE(main().tabPanel()->isVisibleTo(&main()));
    EXPECT_EQ(columns(), 2);
    EXPECT_EQ(main().session().currentFrame(), 0);
    EXPECT_EQ(view(doc)->statusPanel(2)->text(), QStringLiteral("two.gif - [Height: 12 x Width: 16]"));
    EXPECT_EQ(view(doc)->framePanel()->size(), QSize(16, 12));
    EXPECT_EQ(view(doc)->view()->geometry(), QRect(0, 0, 5, 4));
    EXPECT_EQ(main().recentFiles().paths().value(0), path);
    EXPECT_TRUE(main().action(TActionId::FileClose)->isEnabled());
    EXPECT_FALSE(main().action(TActionId::FileSave)->isEnabled());
    EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join('\n').toStdString();
}

TEST_F(DocumentsTest, OpeningTheSameFileTwiceActivatesTheOpenDocument)
{
    const QString a = makeGif(QStringLiteral("a.gif"), {QSize(5, 4)});
    const QString b = makeGif(QStringLiteral("b.gif"), {QSize(7, 7), QSize(7, 7), QSize(7, 7)});
    TDocument* docA = open(a);
    open(b);
    const QStringList recentBefore = main().recentFiles().paths();
    EXPECT_EQ(docs().active()->displayName(), QStringLiteral("b.gif"));

    EXPECT_TRUE(docs().open(a));
    EXPECT_EQ(docs().count(), 2);
    EXPECT_EQ(docs().active(), docA);
    EXPECT_EQ(main().documentTabs()->currentIndex(), tabTexts().indexOf(docA->displayName()));
    EXPECT_EQ(image().images().count(), 1) << "a.gif is the working image again";
    EXPECT_EQ(main().recentFiles().paths(), recentBefore);
}

TEST_F(DocumentsTest, UndecodableFilesCreateNoDocument)
{
    const QString noFrames =
        writeFile(QStringLiteral("noframes.gif"), QByteArray("GIF89a\x02\x00\x02\x00\x00\x00\x00;", 14));
    const QString emptyFirst = makeGif(QStringLiteral("emptyfirst.gif"), {QSize()});
    const QString broken = writeFile(QStringLiteral("broken.gif"), QByteArray("GIF89a\x10"));
    const QString missing = m_files.filePath(QStringLiteral("missing.gif"));
    const struct
    {
        QString path;
        QString message;
        bool leavesRecentFiles;
    } cases[] = {
        {noFrames, QStringLiteral("Unable to decode %1. The file is could be corrupt.").arg(noFrames), true},
        {emptyFirst, QStringLiteral("Unable to decode %1. The file is could be corrupt.").arg(emptyFirst),
         true},
        {broken,
         QStringLiteral(
             "Error loading %1! GIF Reelwright does not support the file type or it is a corrupted file.")
             .arg(broken),
         false},
        {missing,
         QStringLiteral(
             "Error loading %1! GIF Reelwright does not support the file type or it is a corrupted file.")
             .arg(missing),
         false},
    };
    for (const auto& c : cases) {
        main().recentFiles().add(c.path);
        m_messages.clear();
        EXPECT_FALSE(docs().open(c.path)) << c.path.toStdString();
        EXPECT_EQ(docs().count(), 0);
        EXPECT_EQ(m_messages.texts(), QStringList{c.message});
        EXPECT_EQ(main().recentFiles().paths().contains(c.path), !c.leavesRecentFiles)
            << c.path.toStdString();
        EXPECT_FALSE(main().tabPanel()->isVisibleTo(&main()));
    }
}

TEST_F(DocumentsTest, AFailedOpenGivesTheOpenDocumentItsAnimationBack)
{
    TDocument* doc = open(makeGif(QStringLiteral("keep.gif"), {QSize(5, 4), QSize(5, 4)}));
    editDelay(*doc, 33);
    EXPECT_FALSE(docs().open(makeGif(QStringLiteral("emptyfirst.gif"), {QSize()})));
    ASSERT_EQ(docs().active(), doc);
    EXPECT_EQ(image().images().count(), 2);
    EXPECT_EQ(delayOfFirstFrame(), 33);
    EXPECT_TRUE(doc->isModified());
}

TEST_F(DocumentsTest, EmptyFramesInTheMiddleMoveBehindTheOthers)
{
    // Written by hand: the writer never writes an empty frame. The logical screen is 0 x 0, so
    // a 0 x 0 descriptor stays empty; the 1 x 1 frames are told apart by their left offsets.
    QByteArray bytes("GIF89a\x00\x00\x00\x00\x80\x00\x00"
                     "\x00\x00\x00\xFF\x00\x00",
                     19);
    auto pixel = [&bytes](int left) {
        bytes += QByteArray("\x2C", 1) + char(left) + QByteArray("\x00\x00\x00\x01\x00\x01\x00\x00", 8);
        bytes += QByteArray("\x02\x02\x4C\x01\x00", 5);
    };
    auto empty = [&bytes] {
        bytes += QByteArray("\x2C\x00\x00\x00\x00\x00\x00\x00\x00\x00", 10);
        bytes += QByteArray("\x02\x00", 2);
    };
    pixel(1);
    empty();
    pixel(2);
    empty();
    pixel(3);
    bytes += ';';
    open(writeFile(QStringLiteral("gaps.gif"), bytes));
    TGIFImage& image = this->image();
    ASSERT_EQ(image.images().count(), 5);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(image.images().subImage(i)->left(), i + 1) << i;
    EXPECT_TRUE(image.images().subImage(3)->empty());
    EXPECT_TRUE(image.images().subImage(4)->empty());
    EXPECT_EQ(columns(), 3);
    EXPECT_FALSE(main().progressBar()->isVisibleTo(&main()));
}

TEST_F(DocumentsTest, UntitledDocumentsAreNumberedWithoutReuse)
{
    main();
    TBitmap picture;
    QImage pixels(6, 5, QImage::Format_RGB888);
    pixels.fill(qRgb(10, 200, 30));
    picture.fromImage(pixels);
    ASSERT_EQ(addPictureAsFrame(main().session(), picture, 0, QStringLiteral("Add Frame")), 0);
    ASSERT_EQ(docs().count(), 1);
    TDocument* first = docs().active();
    EXPECT_EQ(first->fileName(), QStringLiteral("Untitled1.gif"));
    EXPECT_TRUE(first->isUntitled());
    EXPECT_TRUE(first->isModified()) << "the added frame is an edit";

    docs().create();
    EXPECT_EQ(docs().active()->fileName(), QStringLiteral("Untitled2.gif"));
    m_messages.pushAnswer(TMsgResult::No);
    trigger(TActionId::FileClose);
    m_messages.pushAnswer(TMsgResult::No);
    trigger(TActionId::FileClose);
    EXPECT_EQ(docs().count(), 0);

    ASSERT_EQ(addPictureAsFrame(main().session(), picture, 0, QStringLiteral("Add Frame")), 0);
    EXPECT_EQ(docs().active()->fileName(), QStringLiteral("Untitled3.gif"));
    EXPECT_EQ(tabTexts(), QStringList{QStringLiteral("Untitled3.gif")});
}

TEST_F(DocumentsTest, SavingAnUntitledDocumentAsksForANameAndClearsItsHistory)
{
    main();
    TBitmap picture;
    QImage pixels(6, 5, QImage::Format_RGB888);
    pixels.fill(qRgb(10, 200, 30));
    picture.fromImage(pixels);
    ASSERT_EQ(addPictureAsFrame(main().session(), picture, 0, QStringLiteral("Add Frame")), 0);
    TDocument* doc = docs().active();
    const QString workingCopy = doc->workingCopy();
    ASSERT_FALSE(workingCopy.isEmpty());
    EXPECT_TRUE(QFileInfo(workingCopy).fileName().startsWith(QStringLiteral("~GA")));
    EXPECT_TRUE(main().action(TActionId::FileSave)->isEnabled());
    EXPECT_EQ(view(doc)->statusPanel(1)->text(), QStringLiteral("Modified"));
    EXPECT_EQ(view(doc)->statusHintAt(30), QStringLiteral("Animation is modified"));
    EXPECT_TRUE(main().action(TActionId::EditUndo)->isEnabled());

    // Cancelled: nothing changes.
    m_messages.clear();
    m_messages.pushFiles({});
    trigger(TActionId::FileSave);
    ASSERT_EQ(m_messages.recorded().size(), 1u);
    const TFileDialogRequest& request = m_messages.recorded().back().request;
    EXPECT_EQ(m_messages.recorded().back().kind, TDialogKind::SaveFile);
    EXPECT_EQ(request.fileName, QStringLiteral("Untitled1.gif"));
    EXPECT_EQ(request.defaultSuffix, QStringLiteral("gif"));
    EXPECT_EQ(request.filter, QStringLiteral("GIF Images|*.gif|All Image Files|*.*"));
    EXPECT_TRUE(doc->isModified());
    EXPECT_TRUE(doc->isUntitled());

    const QString target = m_files.filePath(QStringLiteral("saved.gif"));
    m_messages.pushFiles({target});
    trigger(TActionId::FileSave);
    EXPECT_TRUE(QFileInfo::exists(target));
    EXPECT_EQ(doc->fileName(), target);
    EXPECT_FALSE(doc->isUntitled());
    EXPECT_FALSE(doc->isModified());
    EXPECT_EQ(doc->history()->count(), 0);
    EXPECT_TRUE(doc->workingCopy().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(workingCopy));
    EXPECT_FALSE(main().action(TActionId::EditUndo)->isEnabled());
    EXPECT_FALSE(main().action(TActionId::FileSave)->isEnabled());
    EXPECT_EQ(view(doc)->statusPanel(1)->text(), QString());
    EXPECT_EQ(view(doc)->statusHintAt(30), QString());
    EXPECT_EQ(tabTexts(), QStringList{QStringLiteral("saved.gif")});
    EXPECT_EQ(main().recentFiles().paths().value(0), target);

    // A titled document saves without the dialog.
    editDelay(*doc, 45);
    m_messages.clear();
    trigger(TActionId::FileSave);
    EXPECT_TRUE(m_messages.recorded().empty());
    EXPECT_EQ(delayInFile(target), 45);
}

TEST_F(DocumentsTest, SampleImagesAreSavedIntoTheWorkingFolder)
{
    const QDir program(QCoreApplication::applicationDirPath());
    ASSERT_TRUE(program.mkpath(QStringLiteral("Images")));
    const QString name = QStringLiteral("docs-test-sample.gif");
    const QString sample =
        makeGif(name, {QSize(5, 4), QSize(5, 4)}, program.filePath(QStringLiteral("Images")));
    const QString working = program.filePath(QStringLiteral("working"));
    m_cleanUp << sample << QDir(working).filePath(name);
    for (int n = 0; n < 100; ++n)
        m_cleanUp << QDir(working).filePath(QStringLiteral("docs-test-sample%1.gif").arg(n));
    QFile::remove(QDir(working).filePath(name));

    TDocument* doc = open(sample);
    editDelay(*doc, 51);
    trigger(TActionId::FileSave);
    EXPECT_EQ(doc->fileName(), QDir(working).filePath(name));
    EXPECT_EQ(delayInFile(QDir(working).filePath(name)), 51);
    EXPECT_EQ(delayInFile(sample), 10) << "the sample stays as shipped";

    // The name is taken now: the next save of a sample gets a number before ".gif".
    m_messages.pushAnswer(TMsgResult::No);
    trigger(TActionId::FileClose);
    doc = open(sample);
    editDelay(*doc, 52);
    trigger(TActionId::FileSave);
    const QString saved = QFileInfo(doc->fileName()).fileName();
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^docs-test-sample\\d{1,2}\\.gif$")).match(saved).hasMatch())
        << saved.toStdString();
    EXPECT_EQ(delayInFile(doc->fileName()), 52);
    EXPECT_EQ(delayInFile(QDir(working).filePath(name)), 51);
}

TEST_F(DocumentsTest, EditsComeBackFromTheWorkingCopyAfterSwitching)
{
    const QString a = makeGif(QStringLiteral("a.gif"), {QSize(5, 4), QSize(5, 4)});
    const QString b = makeGif(QStringLiteral("b.gif"), {QSize(7, 7), QSize(7, 7), QSize(7, 7)});
    TDocument* docA = open(a);
    TDocument* docB = open(b);
    selectTab(QStringLiteral("a.gif"));
    ASSERT_EQ(docs().active(), docA);
    EXPECT_EQ(image().images().count(), 2);
    editDelay(*docA, 77);
    editDelay(*docA, 78);

    selectTab(QStringLiteral("b.gif"));
    EXPECT_EQ(docs().active(), docB);
    EXPECT_FALSE(docA->isLoaded());
    EXPECT_EQ(image().images().count(), 3);
    EXPECT_EQ(delayOfFirstFrame(), 10);

    trigger(TActionId::WindowNextDoc);
    EXPECT_EQ(docs().active(), docA);
    EXPECT_EQ(image().images().count(), 2);
    EXPECT_EQ(delayOfFirstFrame(), 78);
    EXPECT_TRUE(docA->isModified());
    EXPECT_EQ(delayInFile(a), 10) << "the file itself is not touched";

    // Undo works on what came back, and an undo to the file's state is no longer modified.
    trigger(TActionId::EditUndo);
    EXPECT_EQ(delayOfFirstFrame(), 77);
    trigger(TActionId::EditUndo);
    EXPECT_EQ(delayOfFirstFrame(), 10);
    EXPECT_FALSE(docA->isModified());
    EXPECT_TRUE(docA->workingCopy().isEmpty());
}

TEST_F(DocumentsTest, CloseQuestionNoDiscardsAndCancelKeeps)
{
    const QString path = makeGif(QStringLiteral("c.gif"), {QSize(5, 4)});
    TDocument* doc = open(path);
    editDelay(*doc, 60);
    const QString workingCopy = doc->workingCopy();
    ASSERT_TRUE(QFileInfo::exists(workingCopy));

    m_messages.pushAnswer(TMsgResult::Cancel);
    trigger(TActionId::FileClose);
    EXPECT_EQ(m_messages.texts(), QStringList{QStringLiteral("Would you like to save changes to c.gif?")});
    EXPECT_EQ(m_messages.recorded().back().buttons, TMsgButtons::YesNoCancel);
    EXPECT_EQ(docs().count(), 1);
    EXPECT_TRUE(doc->isModified());

    // Shutting down asks the same question; Cancel stops the shut-down.
    m_messages.pushAnswer(TMsgResult::Cancel);
    EXPECT_FALSE(main().close());
    EXPECT_EQ(docs().count(), 1);

    m_messages.pushAnswer(TMsgResult::No);
    trigger(TActionId::FileClose);
    EXPECT_EQ(docs().count(), 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(QFileInfo::exists(workingCopy));
    EXPECT_EQ(delayInFile(path), 10);
}

TEST_F(DocumentsTest, CloseQuestionYesSaves)
{
    const QString path = makeGif(QStringLiteral("y.gif"), {QSize(5, 4)});
    editDelay(*open(path), 61);
    m_messages.pushAnswer(TMsgResult::Yes);
    trigger(TActionId::FileClose);
    EXPECT_EQ(docs().count(), 0);
    EXPECT_EQ(delayInFile(path), 61);
}

TEST_F(DocumentsTest, ClosingTheLastDocumentEntersTheNoDocumentState)
{
    TDocument* docA = open(makeGif(QStringLiteral("a.gif"), {QSize(5, 4)}));
    open(makeGif(QStringLiteral("b.gif"), {QSize(7, 7), QSize(7, 7)}));
    trigger(TActionId::FileClose);
    EXPECT_EQ(tabTexts(), QStringList{QStringLiteral("a.gif")});
    EXPECT_TRUE(main().tabPanel()->isVisibleTo(&main()));
    EXPECT_EQ(docs().active(), docA);
    EXPECT_EQ(image().images().count(), 1) << "a.gif is read back";

    trigger(TActionId::FileClose);
    EXPECT_EQ(docs().count(), 0);
    EXPECT_FALSE(main().tabPanel()->isVisibleTo(&main()));
    EXPECT_EQ(main().documentTabs()->count(), 0);
    EXPECT_TRUE(image().empty());
    for (TActionId name : {TActionId::FileClose, TActionId::FileCloseAll, TActionId::FileSaveAs,
                           TActionId::FrameDelete, TActionId::FrameMoveUp, TActionId::EditUndo})
        EXPECT_FALSE(main().action(name)->isEnabled()) << actionName(name);
    EXPECT_FALSE(main().session().view().selectFrame(0));
}

TEST_F(DocumentsTest, CloseAllAsksEachModifiedDocumentAndStopsAtCancel)
{
    TDocument* docA = open(makeGif(QStringLiteral("a.gif"), {QSize(5, 4)}));
    editDelay(*docA, 20);
    TDocument* docB = open(makeGif(QStringLiteral("b.gif"), {QSize(7, 7)}));
    editDelay(*docB, 21);
    open(makeGif(QStringLiteral("c.gif"), {QSize(3, 3)}));

    m_messages.pushAnswer(TMsgResult::No);     // b.gif
    m_messages.pushAnswer(TMsgResult::Cancel); // a.gif
    trigger(TActionId::FileCloseAll);
    EXPECT_EQ(m_messages.texts(), (QStringList{QStringLiteral("Would you like to save changes to b.gif?"),
                                               QStringLiteral("Would you like to save changes to a.gif?")}));
    EXPECT_EQ(tabTexts(), QStringList{QStringLiteral("a.gif")});
    EXPECT_EQ(docs().active(), docA);
    EXPECT_EQ(delayOfFirstFrame(), 20);
}

TEST_F(DocumentsTest, AWorkingCopyDeletedFromOutsideRemovesTheDocumentOnActivation)
{
    TDocument* docA = open(makeGif(QStringLiteral("a.gif"), {QSize(5, 4)}));
    editDelay(*docA, 30);
    TDocument* docB = open(makeGif(QStringLiteral("b.gif"), {QSize(7, 7), QSize(7, 7)}));
    const QString workingCopy = docA->workingCopy();
    ASSERT_TRUE(QFile::remove(workingCopy));
    m_messages.clear();

    selectTab(QStringLiteral("a.gif"));
    EXPECT_EQ(m_messages.texts(),
              (QStringList{
                  QStringLiteral("Error loading %1! GIF Reelwright does not support the file type or it is a "
                                 "corrupted file.")
                      .arg(workingCopy),
                  QStringLiteral("The file %1 has either moved or cannot be opened. Existing changes will be "
                                 "lost. GIF Empty: Yes, Load Error: Yes.")
                      .arg(workingCopy)}));
    EXPECT_EQ(docs().count(), 1);
    EXPECT_EQ(tabTexts(), QStringList{QStringLiteral("b.gif")});
    EXPECT_EQ(docs().active(), docB);
    EXPECT_EQ(image().images().count(), 2);
}

TEST_F(DocumentsTest, AFailedWorkingCopyWriteKeepsTheDocumentAndItsChanges)
{
    TDocument* doc = open(makeGif(QStringLiteral("a.gif"), {QSize(5, 4)}));
    editDelay(*doc, 40);
    const QString workingCopy = doc->workingCopy();
    // A folder in the copy's place: the next write cannot replace it.
    ASSERT_TRUE(QFile::remove(workingCopy));
    ASSERT_TRUE(QDir().mkdir(workingCopy));
    m_messages.clear();

    editDelay(*doc, 41);
    QDir().rmdir(workingCopy);
    EXPECT_EQ(m_messages.texts(),
              QStringList{QStringLiteral("Error saving file! Unable to save %1 to disk.").arg(workingCopy)});
    ASSERT_EQ(docs().count(), 1);
    EXPECT_EQ(docs().active(), doc);
    EXPECT_TRUE(doc->isModified());
    EXPECT_EQ(delayOfFirstFrame(), 41);
    EXPECT_EQ(doc->history()->count(), 2);

    // The user can still save it under another name.
    const QString target = m_files.filePath(QStringLiteral("rescued.gif"));
    m_messages.pushFiles({target});
    trigger(TActionId::FileSaveAs);
    EXPECT_EQ(delayInFile(target), 41);
    EXPECT_FALSE(doc->isModified());
}

TEST_F(DocumentsTest, AFailedSaveAsKeepsTheChangesMarkedModified)
{
    const QString path = makeGif(QStringLiteral("a.gif"), {QSize(5, 4)});
    TDocument* doc = open(path);
    editDelay(*doc, 42);
    m_messages.pushFiles({m_files.filePath(QStringLiteral("no/such/folder/x.gif"))});
    trigger(TActionId::FileSaveAs);
    EXPECT_TRUE(m_messages.texts().last().startsWith(QStringLiteral("Error saving file! Unable to save")));
    EXPECT_TRUE(doc->isModified());
    ASSERT_FALSE(doc->workingCopy().isEmpty());
    EXPECT_EQ(delayInFile(doc->workingCopy()), 42);
    // Closing asks instead of dropping the edit.
    m_messages.clear();
    m_messages.pushAnswer(TMsgResult::Cancel);
    trigger(TActionId::FileClose);
    EXPECT_EQ(m_messages.texts().size(), 1);
    EXPECT_EQ(docs().count(), 1);
}

TEST_F(DocumentsTest, SaveAllSavesEveryModifiedDocumentAndReturnsToTheActiveOne)
{
    const QString a = makeGif(QStringLiteral("a.gif"), {QSize(5, 4)});
    const QString b = makeGif(QStringLiteral("b.gif"), {QSize(7, 7)});
    const QString c = makeGif(QStringLiteral("c.gif"), {QSize(3, 3)});
    editDelay(*open(a), 11);
    editDelay(*open(b), 12);
    TDocument* docC = open(c);
    EXPECT_TRUE(main().action(TActionId::FileSaveAll)->isEnabled());
    trigger(TActionId::FileSaveAll);
    EXPECT_EQ(delayInFile(a), 11);
    EXPECT_EQ(delayInFile(b), 12);
    EXPECT_EQ(delayInFile(c), 10);
    EXPECT_FALSE(docs().anyModified());
    EXPECT_EQ(docs().active(), docC);
    EXPECT_EQ(image().images().subImage(0)->width(), 3);
    EXPECT_FALSE(main().action(TActionId::FileSaveAll)->isEnabled());
    EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join('\n').toStdString();
}

TEST_F(DocumentsTest, FileOpenOpensEveryChosenFileInOrder)
{
    const QString a = makeGif(QStringLiteral("a.gif"), {QSize(5, 4)});
    const QString b = makeGif(QStringLiteral("b.gif"), {QSize(7, 7)});
    m_messages.pushFiles({a, b});
    trigger(TActionId::FileOpen);
    const TFileDialogRequest& request = m_messages.recorded().front().request;
    EXPECT_EQ(request.filter, QStringLiteral("GIF Images (*.gif)|*.gif"));
    EXPECT_TRUE(request.multiSelect);
    EXPECT_EQ(tabTexts(), (QStringList{QStringLiteral("a.gif"), QStringLiteral("b.gif")}));
    EXPECT_EQ(docs().active()->displayName(), QStringLiteral("b.gif"));
    EXPECT_EQ(main().state().initialDir, m_files.path());
}

TEST_F(DocumentsTest, NextAndPreviousDocumentCycleThroughTheWindows)
{
    TDocument* docA = open(makeGif(QStringLiteral("a.gif"), {QSize(5, 4)}));
    TDocument* docB = open(makeGif(QStringLiteral("b.gif"), {QSize(7, 7)}));
    TDocument* docC = open(makeGif(QStringLiteral("c.gif"), {QSize(3, 3)}));
    trigger(TActionId::WindowNextDoc);
    EXPECT_EQ(docs().active(), docA);
    trigger(TActionId::WindowPrevDoc);
    EXPECT_EQ(docs().active(), docC);
    trigger(TActionId::WindowPrevDoc);
    EXPECT_EQ(docs().active(), docB);
    EXPECT_EQ(image().images().subImage(0)->width(), 7);
    EXPECT_EQ(main().documentTabs()->currentIndex(), tabTexts().indexOf(docB->displayName()));
}

TEST_F(DocumentsTest, TabHoverNamesTheDocumentInTheMainStatusBar)
{
    const QString a = makeGif(QStringLiteral("a.gif"), {QSize(5, 4)});
    open(a);
    open(makeGif(QStringLiteral("b.gif"), {QSize(7, 7)}));
    TDocumentTabs* tabs = main().documentTabs();
    QMouseEvent move(QEvent::MouseMove, tabs->tabRect(0).center(),
                     tabs->mapToGlobal(tabs->tabRect(0).center()), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(tabs, &move);
    EXPECT_EQ(tabs->hoverIndex(), 0);
    EXPECT_EQ(main().statusPanel(2)->text(), a);
}

TEST_F(DocumentsTest, TheTabPopupClosesTheDocumentUnderThePointer)
{
    TDocument* docA = open(makeGif(QStringLiteral("a.gif"), {QSize(5, 4)}));
    editDelay(*docA, 25);
    open(makeGif(QStringLiteral("b.gif"), {QSize(7, 7)}));
    TDocumentTabs* tabs = main().documentTabs();
    QMenu* popup = main().menu(QStringLiteral("pmnTabs"));
    ASSERT_NE(popup, nullptr);
    emit tabs->customContextMenuRequested(tabs->tabRect(0).center());
    QAction* close = popup->findChild<QAction*>(QStringLiteral("mniTabClose"));
    ASSERT_NE(close, nullptr);
    EXPECT_TRUE(close->isEnabled());
    popup->hide();
    m_messages.pushAnswer(TMsgResult::No);
    close->trigger();
    EXPECT_EQ(m_messages.texts(), QStringList{QStringLiteral("Would you like to save changes to a.gif?")});
    EXPECT_EQ(tabTexts(), QStringList{QStringLiteral("b.gif")});
    EXPECT_EQ(image().images().subImage(0)->width(), 7);
}

TEST_F(DocumentsTest, AModifiedDocumentsTabIsDrawnInTheHighlightColour)
{
    TDocument* doc = open(makeGif(QStringLiteral("a.gif"), {QSize(5, 4)}));
    TDocumentTabs* tabs = main().documentTabs();
    const QColor highlight = tabs->palette().color(QPalette::Highlight);
    auto highlighted = [&] {
        const QImage picture = tabs->grab(tabs->tabRect(0)).toImage();
        int count = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if (std::abs(picture.pixelColor(x, y).hue() - highlight.hue()) < 20 &&
                    picture.pixelColor(x, y).saturation() > 80)
                    ++count;
        return count;
    };
    const int plain = highlighted();
    editDelay(*doc, 26);
    EXPECT_GT(highlighted(), plain + 20) << plain;
    m_messages.pushFiles({m_files.filePath(QStringLiteral("saved.gif"))});
    trigger(TActionId::FileSave);
    EXPECT_EQ(highlighted(), plain) << "saved: the bullet is gone";
}

TEST_F(DocumentsTest, AnUndoThatFailsShowsWhyAndKeepsTheCommand)
{
    TDocument* doc = open(makeGif(QStringLiteral("a.gif"), {QSize(5, 4)}));
    recordFrameTiming(*doc, 5, QStringLiteral("Delay"));
    doc->setModified(true);
    trigger(TActionId::EditUndo);
    EXPECT_EQ(m_messages.texts(), QStringList{QStringLiteral("SubImage is nil, TGCExt")});
    EXPECT_EQ(doc->history()->count(), 1);
    EXPECT_EQ(docs().count(), 1);
}

TEST_F(DocumentsTest, AGifNamedOnTheCommandLineOpensBeforeTheWindowShows)
{
    const QString a = makeGif(QStringLiteral("start.gif"), {QSize(5, 4), QSize(5, 4)});
    TProgramOptions options;
    options.arguments = QStringList{a};
    options.hooks = recordingHooks();
    options.hooks.openByType = defaultStartupHooks().openByType;
    options.clock = fastClock();
    m_program = std::make_unique<TProgram>(std::move(options));
    m_program->start();
    QCoreApplication::sendPostedEvents(m_program->mainWindow(), kMsgDeferredStartup);
    ASSERT_EQ(docs().count(), 1);
    EXPECT_EQ(docs().active()->fileName(), a);
    EXPECT_EQ(image().images().count(), 2);
    EXPECT_EQ(columns(), 2);
    EXPECT_TRUE(m_messages.texts().isEmpty()) << m_messages.texts().join('\n').toStdString();
}

TEST_F(DocumentsTest, TheViewPaintsTransparentPixelsInTheFrameBackground)
{
    for (const bool transparent : {false, true}) {
        TGIFImage image;
        image.setWidth(8);
        image.setHeight(8);
        auto* frame = new TGIFSubImage(&image);
        frame->setBounds(1, 2, 5, 4);
        frame->colorMap().add(rgbColor(1, 2, 3));
        frame->colorMap().add(rgbColor(200, 0, 0));
        for (int y = 0; y < 4; ++y)
            std::memset(frame->scanLine(y), 1, 5);
        ensureFrameTiming(*frame, 10);
        if (transparent) {
            frame->graphicControlExtension()->setTransparent(true);
            frame->graphicControlExtension()->setTransparentColorIndex(1);
        }
        image.images().add(frame);
        TMemoryStream stream;
        image.saveToStream(stream);
        const QString name = transparent ? QStringLiteral("clear.gif") : QStringLiteral("solid.gif");
        TDocument* doc = open(writeFile(name, stream.data()));
        ASSERT_NE(doc, nullptr);
        EXPECT_EQ(view(doc)->view()->geometry(), QRect(1, 2, 5, 4));
        EXPECT_EQ(view(doc)->frameTransparent(), transparent);
        const QImage picture = view(doc)->view()->grab().toImage();
        EXPECT_EQ(picture.pixelColor(2, 2), transparent ? QColor(255, 255, 255) : QColor(200, 0, 0))
            << name.toStdString();
    }
}

TEST_F(DocumentsTest, TheCommandLineRoutesGifFilesToDocuments)
{
    const QString a = makeGif(QStringLiteral("a.gif"), {QSize(5, 4)});
    openByType(main(), a);
    EXPECT_EQ(docs().count(), 1);
    openByType(main(), m_files.filePath(QStringLiteral("notes.xyz")));
    EXPECT_EQ(m_messages.texts(),
              QStringList{QStringLiteral("Error loading notes.xyz! GIF Reelwright does not support "
                                         "the file type or it is a corrupted file.")});
}

} // namespace
