// The frame strip, its panels and the main command set inside the real main window: every edit
// made through an action, the strip or a panel is undone by "&Undo" back to the same bytes, and
// selecting, listing and switching documents keep the strip and the panels in step.
#include "AppFixture.h"

#include "editing/Document.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"

#include "app/Childwin.h"
#include "app/CommandHost.h"
#include "app/DocumentTabs.h"
#include "app/FramePanels.h"
#include "app/FrameStrip.h"
#include "editing/Prompts.h"
#include "editing/UndoHistory.h"
#include "editing/UndoTestSupport.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QPushButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QProgressBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

// Answers the dialogs the way a test queued them.
class TQueuedDialogs : public ICommandDialogs
{
public:
    TResizeChoice resize(int, int) override { return resizeAnswer; }
    TTransparentColorChoice transparentColor(int frameIndex) override
    {
        TTransparentColorChoice answer = transparentAnswer;
        answer.frameIndex = frameIndex;
        return answer;
    }
    TResizeChoice resizeAnswer;
    TTransparentColorChoice transparentAnswer;
};

class WiringTest : public AppFixture
{
public:
    // Public so the table of edits can drive the window through the fixture.
    void SetUp() override
    {
        AppFixture::SetUp();
        ASSERT_TRUE(m_files.isValid());
        Settings::writeInteger(SettingKeys::WelcomeDialog, 1);
    }
    void TearDown() override
    {
        stopProgram();
        QApplication::clipboard()->clear();
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "hourglass cursor left on";
        AppFixture::TearDown();
    }

    TfrmMain& main() { return m_program ? *m_program->mainWindow() : *startProgram().mainWindow(); }
    TDocumentManager& docs() { return main().session().documents(); }
    TGIFImage& image() { return main().session().workingImage(); }
    TFrameStrip& strip() { return *main().frameStrip(); }
    TFramePanels& panels() { return *main().framePanels(); }
    TQueuedDialogs& dialogs() { return static_cast<TQueuedDialogs&>(main().commandDialogs()); }

    // A copy of a corpus file, opened as the active document with the dialogs queued by the test.
    TDocument* openCorpus(const QString& name)
    {
        const QString path = m_files.filePath(name);
        if (!QFileInfo::exists(path)) {
            EXPECT_TRUE(QFile::copy(testsupport::sharedTestData(QStringLiteral("gif/real/") + name), path));
        }
        main().setCommandDialogs(std::make_unique<TQueuedDialogs>());
        EXPECT_TRUE(docs().open(path));
        return docs().active();
    }
    // Answers the next palette prompt (a picture becoming a frame) with OK, as a user would.
    void answerPalettes()
    {
        m_messages.pushForm([](QDialog& form) {
            auto& prompt = dynamic_cast<TfrmPrompts&>(form);
            ASSERT_EQ(prompt.page(), TPromptPage::Palettes);
            prompt.btnOK->click();
        });
    }
    void trigger(TActionId id) { main().action(id)->trigger(); }
    void clickColumn(int column, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        strip().scrollToColumn(column);
        QTest::mouseClick(strip().viewport(), Qt::LeftButton, modifiers, strip().cellRect(column).center());
    }
    void dropFrameOn(int column, const char* format = TFrameStrip::kFrameMime)
    {
        strip().scrollToColumn(column);
        QMimeData data;
        data.setData(QString::fromLatin1(format), QByteArray("0"));
        const QPointF pos = strip().cellRect(column).center();
        QDragEnterEvent enter(pos.toPoint(), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(strip().viewport(), &enter);
        QDragMoveEvent move(pos.toPoint(), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(strip().viewport(), &move);
        QDropEvent drop(pos, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(strip().viewport(), &drop);
    }
    // Types a delay and lets the input timer commit it.
    void typeDelay(int delay)
    {
        main().stripController()->setInputDelay(1);
        TNumberEdit* edit = panels().txtDelay;
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QString::number(delay));
        ASSERT_TRUE(main().stripController()->inputTimerActive());
        ASSERT_TRUE(QTest::qWaitFor([this] { return !main().stripController()->inputTimerActive(); }, 2000));
    }
    QByteArray imageBytes() { return undotest::gifBytes(image()); }
    int historyCount()
    {
        THistoryList* history = docs().active()->history();
        return history ? history->count() : 0;
    }

    QTemporaryDir m_files;
};

// Each edit goes through the window's own controls, records what it changed and "&Undo" gives
// back the animation byte for byte.
TEST_F(WiringTest, EveryEditThroughTheWindowIsUndoneToTheSameBytes)
{
    REQUIRE_SHARED_TESTDATA();
    struct Case
    {
        const char* name;
        std::function<void(WiringTest&)> edit;
        int undoSteps;
    };
    const std::vector<Case> cases = {
        {"delay through the panel", [](WiringTest& t) { t.typeDelay(77); }, 1},
        {"disposal through the panel",
         [](WiringTest& t) {
             t.panels().cbDisposal->setCurrentIndex(3);
             emit t.panels().cbDisposal->activated(3);
         },
         1},
        {"loop through the panel", [](WiringTest& t) { t.panels().optPlay->click(); }, 1},
        {"move right", [](WiringTest& t) { t.trigger(TActionId::FrameMoveDown); }, 1},
        {"move to the end", [](WiringTest& t) { t.trigger(TActionId::FrameMoveEnd); }, 1},
        {"drop on the strip", [](WiringTest& t) { t.dropFrameOn(3); }, 1},
        {"drop the view on the strip",
         [](WiringTest& t) {
             t.answerPalettes();
             t.dropFrameOn(3, TFrameStrip::kViewMime);
             EXPECT_EQ(t.strip().columnCount(), 11);
         },
         1},
        {"delete", [](WiringTest& t) { t.trigger(TActionId::FrameDelete); }, 1},
        {"delete a range",
         [](WiringTest& t) {
             t.clickColumn(3, Qt::ControlModifier);
             t.trigger(TActionId::FrameDelete);
         },
         3},
        {"reverse", [](WiringTest& t) { t.trigger(TActionId::FrameReverse); }, 1},
        {"resize",
         [](WiringTest& t) {
             t.dialogs().resizeAnswer = {mrOk, 20, 16};
             t.trigger(TActionId::AnimationResize);
         },
         1},
        {"frame transparent colour",
         [](WiringTest& t) {
             t.dialogs().transparentAnswer = {mrOk, -1, 3};
             t.trigger(TActionId::FrameTransColor);
         },
         1},
        {"paste comments",
         [](WiringTest& t) {
             QApplication::clipboard()->setText(QStringLiteral("made with care"));
             t.trigger(TActionId::mniPasteComments);
         },
         1},
        {"cut and paste",
         [](WiringTest& t) {
             t.trigger(TActionId::EditCut);
             t.answerPalettes();
             t.trigger(TActionId::EditPaste);
         },
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TDocument* doc = openCorpus(QStringLiteral("dispose_bgnd_transparency.gif"));
        ASSERT_NE(doc, nullptr);
        clickColumn(1);
        ASSERT_EQ(main().session().currentFrame(), 1);
        const QByteArray before = imageBytes();
        const int frames = image().images().count();

        c.edit(*this);
        EXPECT_EQ(historyCount(), c.undoSteps);
        EXPECT_TRUE(doc->isModified());
        EXPECT_NE(imageBytes(), before) << "the edit changed nothing";
        for (int i = 0; i < c.undoSteps; ++i)
            trigger(TActionId::EditUndo);
        EXPECT_EQ(image().images().count(), frames);
        EXPECT_SAME_BYTES(before, imageBytes());
        EXPECT_EQ(strip().columnCount(), frames);
        doc->setModified(false);
        docs().remove(doc);
    }
}

TEST_F(WiringTest, SelectingACellFillsThePanelsTheListAndTheInspector)
{
    REQUIRE_SHARED_TESTDATA();
    openCorpus(QStringLiteral("dispose_bgnd_transparency.gif"));
    ASSERT_EQ(strip().columnCount(), 10);
    EXPECT_EQ(main().session().currentFrame(), 0);
    EXPECT_EQ(panels().txtDelay->value(), 200);

    clickColumn(2);
    TGIFSubImage& frame = *image().images().subImage(2);
    EXPECT_EQ(main().session().currentFrame(), 2);
    EXPECT_EQ(docs().active()->rememberedFrame(), 2);
    EXPECT_EQ(panels().txtDelay->value(), frame.graphicControlExtension()->delay());
    EXPECT_EQ(panels().cbDisposal->currentText(), QStringLiteral("Background"));
    EXPECT_TRUE(panels().optForever->isChecked());
    QComboBox& list = *panels().cbCurrentFrame;
    ASSERT_EQ(list.count(), 11);
    EXPECT_EQ(list.itemText(2), QStringLiteral("Frame 2: [20 x 14]"));
    EXPECT_EQ(list.itemText(10), QStringLiteral("Select All"));
    EXPECT_EQ(list.currentIndex(), 2);
    EXPECT_TRUE(main().action(TActionId::FrameMoveUp)->isEnabled());
    EXPECT_TRUE(panels().txtDelay->isEnabled());

    trigger(TActionId::FrameSelectAll);
    EXPECT_TRUE(strip().allSelected());
    EXPECT_EQ(list.currentText(), QStringLiteral("Select All"));
}

TEST_F(WiringTest, SwitchingDocumentsRebuildsTheStripAndTheNoDocumentStateClearsIt)
{
    REQUIRE_SHARED_TESTDATA();
    TDocument* first = openCorpus(QStringLiteral("dispose_bgnd_transparency.gif"));
    TDocument* second = openCorpus(QStringLiteral("pbar-ani-invalid-XMP.gif"));
    ASSERT_NE(first, second);
    EXPECT_EQ(strip().columnCount(), image().images().count());
    const int secondColumns = strip().columnCount();
    EXPECT_NE(secondColumns, 10);

    docs().activate(first);
    EXPECT_EQ(strip().columnCount(), 10);
    EXPECT_EQ(panels().cbCurrentFrame->count(), 11);
    docs().activate(second);
    EXPECT_EQ(strip().columnCount(), secondColumns);
    EXPECT_TRUE(main().action(TActionId::FrameReverse)->isEnabled());

    // The Window menu lists the documents after its own entries.
    QMenu* window = main().menu(QStringLiteral("mnuWindow"));
    emit window->aboutToShow();
    QStringList listed;
    for (QAction* entry : window->actions())
        if (entry->property("windowListEntry").toBool() && !entry->isSeparator())
            listed << entry->text();
    ASSERT_EQ(listed.size(), 2);
    EXPECT_TRUE(listed.at(0).startsWith(QStringLiteral("&1 ")) && listed.at(0).endsWith(first->fileName()));

    // The arrangements act on the real workspace: side by side, then one above the other.
    main().show();
    TMDIChild* firstView = main().viewOf(first);
    TMDIChild* secondView = main().viewOf(second);
    ASSERT_TRUE(firstView && secondView);
    trigger(TActionId::WindowTileVertical);
    EXPECT_EQ(firstView->y(), secondView->y());
    EXPECT_NE(firstView->x(), secondView->x());
    trigger(TActionId::WindowTileHorizontal);
    EXPECT_EQ(firstView->x(), secondView->x());
    EXPECT_NE(firstView->y(), secondView->y());
    trigger(TActionId::WindowMinimizeAll);
    EXPECT_TRUE(firstView->isMinimized() && secondView->isMinimized());

    trigger(TActionId::FileCloseAll);
    EXPECT_EQ(docs().count(), 0);
    EXPECT_EQ(strip().columnCount(), 1);
    EXPECT_EQ(main().session().currentFrame(), -1);
    EXPECT_FALSE(main().action(TActionId::FrameReverse)->isEnabled());
    EXPECT_FALSE(panels().txtDelay->isEnabled());
}

TEST_F(WiringTest, LongReadsReportThroughTheStatusBarProgress)
{
    REQUIRE_SHARED_TESTDATA();
    main();
    QProgressBar* bar = main().progressBar();
    EXPECT_EQ(bar->parentWidget(), static_cast<QWidget*>(main().statusPanel(1)));
    int shown = 0;
    QObject::connect(bar, &QProgressBar::valueChanged, bar, [&] { shown += bar->isVisibleTo(&main()); });
    openCorpus(QStringLiteral("pbar-ani-invalid-XMP.gif"));
    EXPECT_GT(shown, 0) << "reading the file moved the progress bar";
    EXPECT_FALSE(bar->isVisibleTo(&main())) << "the bar hides when the read ends";
    EXPECT_EQ(bar->maximum(), 100) << "the handler's percentages need the 0-100 range back";
}

} // namespace
