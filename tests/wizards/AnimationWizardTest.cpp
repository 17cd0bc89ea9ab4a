// The animation wizard through its real pages: the picture list, the number fields with their
// ranges, and Finish with its size, placement, loop, timing, comment and transparency rules on
// generated pictures.
#include "WizardsTestSupport.h"

#include "editing/EditSession.h"
#include "editing/LoopExtension.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "graphics/Bitmap.h"
#include "platform/UserTexts.h"
#include "wizards/WizardAnimation.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace wiztest;

namespace {

struct TAnswers
{
    bool customSize = false;
    QString height = QStringLiteral("100"), width = QStringLiteral("100");
    bool center = false, scale = false, transparent = false;
    bool playCount = false;
    QString times = QStringLiteral("1");
    QString delay = QStringLiteral("100");
};

class AnimationWizardTest : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        ASSERT_TRUE(m_files.isValid());
    }
    QString png(const QString& name, const QImage& picture)
    {
        return writePng(m_files.path(), name, picture);
    }

    // Goes through the five pages as a user would and finishes.
    TWizardResult build(const QStringList& files, const TAnswers& answers)
    {
        m_messages.pushFiles(files);
        TWizardSetup setup;
        setup.mode = TWizardMode::Animation;
        return runScripted(m_session, m_messages, setup, [&](TfrmWizards& wizard) {
            if (answers.customSize) {
                wizard.optCustomSize->setChecked(true);
                wizard.txtHeight->setText(answers.height);
                wizard.txtWidth->setText(answers.width);
            }
            press(wizard.btnNext);
            wizard.optCenter->setChecked(answers.center);
            wizard.chkScale->setChecked(answers.scale);
            wizard.chkTransparent->setChecked(answers.transparent);
            press(wizard.btnNext);
            if (answers.playCount) {
                wizard.optPlayCount->setChecked(true);
                wizard.txtPlayCount->setText(answers.times);
            }
            wizard.txtDelay->setText(answers.delay);
            press(wizard.btnNext);
            press(wizard.btnAddImage);
            press(wizard.btnNext);
            press(wizard.btnNext); // Finish
        });
    }

    // The colours frame i shows, on a canvas of the animation's size.
    static QImage frameColors(TGIFImage& image, int index)
    {
        TGIFSubImage& frame = *image.images().subImage(index);
        QImage shown(image.width(), image.height(), QImage::Format_RGB32);
        shown.fill(Qt::gray);
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x)
                shown.setPixel(frame.left() + x, frame.top() + y,
                               colorToRgb(frame.activeColorMap().color(frame.pixel(x, y))));
        return shown;
    }

    QTemporaryDir m_files;
    TEditSession m_session;
};

} // namespace

TEST_F(AnimationWizardTest, PicturesFromTheListBecomeFramesWithTimingLoopAndComment)
{
    const QStringList files = {png("a.png", blockPicture(60, 40, 0)), png("b.png", blockPicture(60, 40, 1)),
                               png("c.png", blockPicture(60, 40, 2))};
    TAnswers answers;
    answers.delay = QStringLiteral("25");
    const TWizardResult result = build(files, answers);
    ASSERT_EQ(result.modalResult, mrOk);
    ASSERT_TRUE(result.image);
    TGIFImage& image = *result.image;
    ASSERT_EQ(image.images().count(), 3);
    EXPECT_EQ(image.width(), 60);
    EXPECT_EQ(image.height(), 40);
    for (int i = 0; i < 3; ++i) {
        TGIFGraphicControlExtension* gce = image.images().subImage(i)->graphicControlExtension();
        ASSERT_NE(gce, nullptr);
        EXPECT_EQ(gce->delay(), 25);
        EXPECT_EQ(gce->disposal(), TGIFDisposal::dmBackground);
        EXPECT_EQ(frameColors(image, i), blockPicture(60, 40, i)) << "frame " << i;
    }
    EXPECT_EQ(getUserLoopCount(image), 0);
    bool commented = false;
    TGIFExtensionList& extensions = image.images().subImage(0)->extensions();
    for (int i = 0; i < extensions.count(); ++i)
        if (auto* comment = dynamic_cast<TGIFCommentExtension*>(extensions.item(i)))
            commented = comment->text().join(QLatin1Char('\n')) == QLatin1String(kCreatedWithComment);
    EXPECT_TRUE(commented);
    EXPECT_EQ(result.initialDir, m_files.path());
}

TEST_F(AnimationWizardTest, PlacementRules)
{
    struct Row
    {
        const char* name;
        QSize picture;
        QSize animation;
        bool center, scale;
        QPoint drawnAt; // where the picture's top-left lands (negative: cut)
    };
    const Row rows[] = {
        {"centre crops the middle of a larger picture", {300, 300}, {100, 100}, true, false, {-100, -100}},
        {"centre of a tall narrow picture", {50, 200}, {100, 100}, true, false, {25, -50}},
        {"centre of a smaller picture", {40, 30}, {100, 100}, true, false, {30, 35}},
        {"top left", {50, 200}, {100, 100}, false, false, {0, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QImage picture = blockPicture(row.picture.width(), row.picture.height(), 3);
        TAnswers answers;
        answers.customSize = true;
        answers.width = QString::number(row.animation.width());
        answers.height = QString::number(row.animation.height());
        answers.center = row.center;
        const TWizardResult result = build({png("p.png", picture)}, answers);
        ASSERT_TRUE(result.image);
        ASSERT_EQ(result.image->images().count(), 1);
        const QImage shown = frameColors(*result.image, 0);
        const QRgb fill = picture.pixel(1, picture.height() - 1);
        for (int y = 0; y < row.animation.height(); ++y)
            for (int x = 0; x < row.animation.width(); ++x) {
                const QPoint at(x - row.drawnAt.x(), y - row.drawnAt.y());
                const QRgb expected = picture.rect().contains(at) ? picture.pixel(at) : fill;
                ASSERT_EQ(shown.pixel(x, y), expected) << x << "," << y;
            }
    }
}

TEST_F(AnimationWizardTest, ScaleStretchesOverTheWholeCanvas)
{
    const QImage picture = blockPicture(20, 20, 0); // 2×2 blocks of 10 pixels
    TAnswers answers;
    answers.customSize = true;
    answers.width = QStringLiteral("80");
    answers.height = QStringLiteral("40");
    answers.scale = true;
    const TWizardResult result = build({png("s.png", picture)}, answers);
    ASSERT_TRUE(result.image);
    const QImage shown = frameColors(*result.image, 0);
    EXPECT_EQ(shown.pixel(5, 5), picture.pixel(2, 2));
    EXPECT_EQ(shown.pixel(75, 35), picture.pixel(17, 17));
    EXPECT_EQ(shown.pixel(45, 5), picture.pixel(12, 2));
}

TEST_F(AnimationWizardTest, LoopCountRules)
{
    struct Row
    {
        bool playCount;
        const char* times;
        bool hasExtension;
        int stored;
    };
    for (const Row& row : {Row{false, "1", true, 0}, Row{true, "3", true, 2}, Row{true, "1", false, 0},
                           Row{true, "32767", true, 32766}}) {
        SCOPED_TRACE(row.times);
        TAnswers answers;
        answers.playCount = row.playCount;
        answers.times = QString::fromLatin1(row.times);
        const TWizardResult result = build({png("l.png", blockPicture(20, 20, 0))}, answers);
        ASSERT_TRUE(result.image);
        TGIFAppExtNSLoop* loop = result.image->images().subImage(0)->loopExtension();
        ASSERT_EQ(loop != nullptr, row.hasExtension);
        if (loop) {
            EXPECT_EQ(loop->loops(), row.stored);
        }
    }
}

TEST_F(AnimationWizardTest, TransparencyTakesTheCornerColourOfFrameZero)
{
    QImage first = blockPicture(40, 40, 0);
    const QRgb corner = first.pixel(0, 39);
    const TWizardResult result = build({png("t1.png", first), png("t2.png", blockPicture(40, 40, 5))}, [] {
        TAnswers answers;
        answers.transparent = true;
        return answers;
    }());
    ASSERT_TRUE(result.image);
    TGIFImage& image = *result.image;
    for (int i = 0; i < image.images().count(); ++i) {
        TGIFSubImage& frame = *image.images().subImage(i);
        TGIFGraphicControlExtension* gce = frame.graphicControlExtension();
        ASSERT_NE(gce, nullptr);
        EXPECT_TRUE(gce->transparent());
        EXPECT_EQ(gce->disposal(), TGIFDisposal::dmBackground);
        EXPECT_EQ(colorToRgb(frame.activeColorMap().color(gce->transparentColorIndex())), corner)
            << "frame " << i;
    }
    EXPECT_EQ(colorToRgb(image.header().backgroundColor()), corner);
}

TEST_F(AnimationWizardTest, FailedPicturesAreSkippedAndTheNextDefinesSizeAndFill)
{
    QImage second = blockPicture(30, 20, 4);
    const QStringList files = {m_files.filePath("missing.png"), png("odd.jpeg", blockPicture(10, 10, 0)),
                               png("second.png", second)};
    TAnswers answers;
    const TWizardResult result = build(files, answers);
    ASSERT_TRUE(result.image);
    ASSERT_EQ(result.image->images().count(), 1);
    EXPECT_EQ(result.image->width(), 30);
    EXPECT_EQ(result.image->height(), 20);
    EXPECT_TRUE(m_messages.texts().contains("odd.jpeg is an unrecognized file type!"));
    EXPECT_TRUE(m_messages.texts().filter("missing.png").size() == 1);
}

TEST_F(AnimationWizardTest, NoPictureLoadsGivesAnEmptyAnimation)
{
    const TWizardResult result = build({m_files.filePath("gone.png")}, TAnswers{});
    ASSERT_EQ(result.modalResult, mrOk);
    ASSERT_TRUE(result.image);
    EXPECT_TRUE(result.image->empty());
}

// Sound behaviour: the fill colour is read from column min(1, width - 1) of the last row, so a
// picture one pixel wide fills with its own colour instead of reading outside itself.
TEST_F(AnimationWizardTest, FillColourOfAPictureOnePixelWide)
{
    QImage narrow(1, 10, QImage::Format_RGB32);
    narrow.fill(qRgb(200, 0, 0));
    narrow.setPixel(0, 9, qRgb(0, 0, 200));
    TBitmap bitmap;
    bitmap.fromImage(narrow);
    EXPECT_EQ(colorToRgb(fillColorOf(bitmap)), qRgb(0, 0, 200));
    TAnswers answers;
    answers.customSize = true;
    answers.width = QStringLiteral("5");
    answers.height = QStringLiteral("10");
    const TWizardResult result = build({png("narrow.png", narrow)}, answers);
    ASSERT_TRUE(result.image);
    const QImage shown = frameColors(*result.image, 0);
    EXPECT_EQ(shown.pixel(0, 0), qRgb(200, 0, 0));
    EXPECT_EQ(shown.pixel(4, 0), qRgb(0, 0, 200)) << "the part the picture leaves shows the fill colour";
}

// Sound behaviour: the number fields keep to their ranges (size 1-500, count and delay 1-32767);
// anything else goes back to the value the field had when it was entered.
TEST_F(AnimationWizardTest, NumberFieldsRestoreValuesOutsideTheirRange)
{
    struct Row
    {
        const char* field;
        const char* typed;
        const char* kept;
    };
    const Row rows[] = {
        {"height", "000", "100"},    {"width", "501", "100"}, {"width", "500", "500"},
        {"height", "1", "1"},        {"delay", "0", "100"},   {"delay", "99999", "100"},
        {"delay", "32767", "32767"}, {"times", "40000", "1"}, {"times", "0", "1"},
        {"times", "7", "7"},         {"delay", "", "32767"},
    };
    TWizardSetup setup;
    setup.mode = TWizardMode::Animation;
    runScripted(m_session, m_messages, setup, [&](TfrmWizards& wizard) {
        wizard.optCustomSize->setChecked(true);
        wizard.optPlayCount->setChecked(true);
        for (const Row& row : rows) {
            SCOPED_TRACE(testing::Message() << row.field << " " << row.typed);
            QLineEdit* edit = QString::fromLatin1(row.field) == "height"  ? wizard.txtHeight
                              : QString::fromLatin1(row.field) == "width" ? wizard.txtWidth
                              : QString::fromLatin1(row.field) == "delay" ? wizard.txtDelay
                                                                          : wizard.txtPlayCount;
            edit->setFocus();
            QFocusEvent in(QEvent::FocusIn);
            QCoreApplication::sendEvent(edit, &in);
            edit->setText(QString::fromLatin1(row.typed));
            QFocusEvent out(QEvent::FocusOut);
            QCoreApplication::sendEvent(edit, &out);
            EXPECT_EQ(edit->text(), row.kept);
            // Typed keys other than digits never arrive.
            QTest::keyClicks(edit, QStringLiteral("x-"));
            EXPECT_EQ(edit->text(), row.kept);
        }
        EXPECT_EQ(wizard.txtHeight->maxLength(), 3);
        EXPECT_EQ(wizard.txtDelay->maxLength(), 6);
        press(wizard.btnCancel);
    });
}

TEST_F(AnimationWizardTest, SizeAndCountFieldsFollowTheirOptions)
{
    TWizardSetup setup;
    setup.mode = TWizardMode::Animation;
    runScripted(m_session, m_messages, setup, [](TfrmWizards& wizard) {
        EXPECT_FALSE(wizard.txtHeight->isEnabled());
        wizard.optCustomSize->setChecked(true);
        EXPECT_TRUE(wizard.txtHeight->isEnabled());
        wizard.txtHeight->setText(QStringLiteral("42"));
        wizard.optFirstImageSize->setChecked(true);
        EXPECT_EQ(wizard.txtHeight->text(), "100");
        EXPECT_FALSE(wizard.txtWidth->isEnabled());
        EXPECT_FALSE(wizard.txtPlayCount->isEnabled());
        wizard.optPlayCount->setChecked(true);
        wizard.txtPlayCount->setText(QStringLiteral("9"));
        wizard.optLoopForever->setChecked(true);
        EXPECT_EQ(wizard.txtPlayCount->text(), "1");
        press(wizard.btnCancel);
    });
}

TEST_F(AnimationWizardTest, PictureListButtonsAndNext)
{
    const QString a = png("a.png", blockPicture(10, 10, 0));
    const QString b = png("b.png", blockPicture(10, 10, 1));
    const QString c = png("c.png", blockPicture(10, 10, 2));
    TWizardSetup setup;
    setup.mode = TWizardMode::Animation;
    runScripted(m_session, m_messages, setup, [&](TfrmWizards& wizard) {
        for (int i = 0; i < 3; ++i)
            press(wizard.btnNext);
        ASSERT_EQ(wizard.page(), 3);
        EXPECT_FALSE(wizard.btnNext->isEnabled()) << "no pictures yet";
        EXPECT_FALSE(wizard.btnRemoveImage->isEnabled());
        m_messages.pushFiles({a});
        press(wizard.btnAddImage);
        EXPECT_TRUE(wizard.btnNext->isEnabled());
        EXPECT_FALSE(wizard.btnMoveUp->isEnabled()) << "the only entry cannot move";
        EXPECT_FALSE(wizard.btnMoveDown->isEnabled());
        m_messages.pushFiles({b, c});
        press(wizard.btnAddImage);
        EXPECT_EQ(wizard.lstImages->currentRow(), 2);
        press(wizard.btnMoveUp);
        EXPECT_EQ(wizard.lstImages->currentRow(), 1);
        EXPECT_EQ(wizard.lstImages->item(1)->text(), c);
        press(wizard.btnMoveDown);
        EXPECT_EQ(wizard.lstImages->item(2)->text(), c);
        EXPECT_FALSE(wizard.btnMoveDown->isEnabled());
        wizard.lstImages->setCurrentRow(1);
        press(wizard.btnRemoveImage);
        EXPECT_EQ(wizard.lstImages->currentRow(), 0) << "the selection moves to the previous entry";
        press(wizard.btnRemoveImage);
        press(wizard.btnRemoveImage);
        EXPECT_EQ(wizard.lstImages->count(), 0);
        EXPECT_FALSE(wizard.btnNext->isEnabled());
        press(wizard.btnBack);
        EXPECT_TRUE(wizard.btnNext->isEnabled()) << "going back from page 3 enables Next again";
        press(wizard.btnCancel);
    });
    const TRecordedDialog& open = m_messages.recorded().at(1);
    EXPECT_EQ(open.kind, TDialogKind::OpenFile);
    EXPECT_TRUE(open.request.multiSelect);
    EXPECT_TRUE(open.request.filter.startsWith("Image Files|*.gif;*.jpg;*.jpeg;*.bmp;"));
    EXPECT_TRUE(open.request.filter.endsWith("|All Files (*.*)|*.*"));
    EXPECT_EQ(m_messages.recorded().at(2).request.initialDir, m_files.path())
        << "the folder of the first chosen file is where the next dialog starts";
}
