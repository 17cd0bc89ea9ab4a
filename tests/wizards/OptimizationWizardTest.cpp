// The optimization wizard through its real pages: page order and buttons, enable rules of the
// palette boxes, the results page's texts, the download estimate, and the rule that the
// optimised copy shows exactly what the original shows, frame for frame and for as long.
#include "WizardsTestSupport.h"
#include "editing/EditSession.h"
#include "editing/FrameInsertion.h"
#include "editing/GIFFiles.h"
#include "editing/LoopExtension.h"
#include "gif/GIFExtensions.h"
#include "support/TestSupport.h"

#include "gif/GIFImage.h"
#include "wizards/WizardOptimize.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

using namespace wiztest;

namespace {

class OptimizationWizardTest : public AppFixture
{
protected:
    TWizardSetup setupFor(TGIFImage& image, TOptimizeOffer offer = TOptimizeOffer::Both)
    {
        TWizardSetup setup;
        setup.mode = TWizardMode::Optimization;
        setup.animation = &image;
        setup.offer = offer;
        return setup;
    }
    TEditSession m_session;
};

struct TBoxes
{
    bool optimizePalettes, removeLocal, sortPalettes, trim, duplicates, nonVisible;
};

// Sets the boxes (a disabled one keeps its state, as a user cannot change it) and goes to page 8.
void toResults(TfrmWizards& wizard, const TBoxes& boxes)
{
    auto set = [](QCheckBox* box, bool value) {
        if (box->isEnabled())
            box->setChecked(value);
    };
    press(wizard.btnNext);
    set(wizard.chkOptimizePalettes, boxes.optimizePalettes);
    set(wizard.chkRemoveLocal, boxes.removeLocal);
    set(wizard.chkSortPalettes, boxes.sortPalettes);
    press(wizard.btnNext);
    set(wizard.chkTrim, boxes.trim);
    set(wizard.chkDuplicates, boxes.duplicates);
    set(wizard.chkNonVisible, boxes.nonVisible);
    press(wizard.btnNext);
}

// A one-frame animation whose written size is exactly bytes, padded with a comment.
void makeAnimationOfSize(TGIFImage& image, int64_t bytes)
{
    for (int length = 0; length < 20000; ++length) {
        image.clear();
        image.header().setWidth(8);
        image.header().setHeight(8);
        image.globalColorMap().add(rgbColor(0, 0, 0));
        image.globalColorMap().add(rgbColor(255, 255, 255));
        auto* frame = new TGIFSubImage(&image);
        image.images().add(frame);
        frame->setBounds(0, 0, 8, 8);
        addComment(*frame, QString(length, QLatin1Char('x')));
        if (gifByteSize(image) == bytes)
            return;
    }
    FAIL() << "no comment length gives " << bytes << " bytes";
}

} // namespace

TEST_F(OptimizationWizardTest, PagesHeadingsAndButtonsFollowNextAndBack)
{
    TGIFImage image;
    makeRichAnimation(image);
    runScripted(m_session, m_messages, setupFor(image), [](TfrmWizards& wizard) {
        EXPECT_EQ(wizard.windowTitle(), "Optimization Wizard");
        const char* headings[] = {"Animation Output ", "Palettes", "Frames", "Finish Wizard"};
        for (int page = 5; page <= 8; ++page) {
            SCOPED_TRACE(page);
            EXPECT_EQ(wizard.page(), page);
            EXPECT_EQ(wizard.lblHeading->text(), headings[page - 5]);
            EXPECT_EQ(wizard.btnBack->isEnabled(), page > 5);
            EXPECT_EQ(wizard.btnNext->text(), page == 8 ? "&Finish" : "&Next >");
            if (page < 8)
                press(wizard.btnNext);
        }
        press(wizard.btnBack);
        EXPECT_EQ(wizard.page(), 7);
        EXPECT_EQ(wizard.btnNext->text(), "&Next >");
        press(wizard.btnBack);
        press(wizard.btnBack);
        EXPECT_EQ(wizard.page(), 5);
        EXPECT_FALSE(wizard.btnBack->isEnabled());
        press(wizard.btnCancel);
    });
}

TEST_F(OptimizationWizardTest, FinishOptionsDependOnWhereTheWizardWasOpened)
{
    TGIFImage image;
    makeRichAnimation(image);
    struct Row
    {
        TOptimizeOffer offer;
        bool replaceVisible, newVisible;
        bool replaceChecked;
    };
    for (const Row& row :
         {Row{TOptimizeOffer::Both, true, true, false}, Row{TOptimizeOffer::ReplaceOnly, true, false, true},
          Row{TOptimizeOffer::NewOnly, false, true, false}}) {
        const TWizardResult result =
            runScripted(m_session, m_messages, setupFor(image, row.offer), [&](TfrmWizards& wizard) {
                EXPECT_EQ(wizard.optReplace->isVisible(), row.replaceVisible);
                EXPECT_EQ(wizard.optCreateNew->isVisible(), row.newVisible);
                EXPECT_EQ(wizard.optReplace->isChecked(), row.replaceChecked);
                for (int i = 0; i < 4; ++i)
                    press(wizard.btnNext);
            });
        EXPECT_EQ(result.modalResult, mrOk);
        EXPECT_EQ(result.finish,
                  row.replaceChecked ? TOptimizeFinish::Replace : TOptimizeFinish::NewDocument);
    }
}

TEST_F(OptimizationWizardTest, NothingCheckedWritesTheCopyUnchangedAndSavesNone)
{
    TGIFImage image;
    makeAnimationOfSize(image, 7200);
    const QByteArray before = gifBytes(image);
    const TWizardResult result = runScripted(m_session, m_messages, setupFor(image), [](TfrmWizards& wizard) {
        EXPECT_FALSE(wizard.chkRemoveLocal->isEnabled()) << "no local palettes";
        toResults(wizard, {false, false, false, false, false, false});
        EXPECT_EQ(wizard.lblCurrentSize->text(), "7,200 bytes");
        EXPECT_EQ(wizard.lblOptimizedSize->text(), "7,200 bytes");
        EXPECT_EQ(wizard.lblSavings->text(), "None");
        press(wizard.btnNext);
    });
    ASSERT_TRUE(result.image);
    EXPECT_EQ(gifBytes(*result.image), before);
    EXPECT_EQ(gifBytes(image), before) << "the animation itself is only read";
}

TEST_F(OptimizationWizardTest, DownloadEstimateFollowsTheSpeedList)
{
    TGIFImage image;
    makeAnimationOfSize(image, 7200);
    runScripted(m_session, m_messages, setupFor(image), [](TfrmWizards& wizard) {
        toResults(wizard, {true, false, true, true, true, false});
        EXPECT_EQ(wizard.cbSpeed->currentText(), "56.6");
        const std::pair<int, const char*> expected[] = {{0, "2.00000 secs with a"},
                                                        {1, "1.01767 secs with a"},
                                                        {2, "0.45000 secs with a"},
                                                        {3, "0.05760 secs with a"}};
        for (const auto& [entry, text] : expected) {
            wizard.cbSpeed->setCurrentIndex(entry);
            EXPECT_EQ(wizard.lblDownload->text(), text) << wizard.cbSpeed->currentText().toStdString();
        }
        press(wizard.btnCancel);
    });
}

TEST_F(OptimizationWizardTest, SavingsTextShowsBytesAndPercent)
{
    EXPECT_EQ(savingsText(7200, 7200), "None");
    EXPECT_EQ(savingsText(7200, 9000), "None");
    EXPECT_EQ(savingsText(10000, 7500), "2,500 bytes (25.0%)");
    EXPECT_EQ(savingsText(1234567, 1234000), "567 bytes ( 0.0%)");
    EXPECT_EQ(byteSizeText(1234567.0), "1,234,567 bytes");
}

TEST_F(OptimizationWizardTest, WithoutLocalPalettesTheMergeIsSkippedEvenWhenChecked)
{
    TGIFImage image;
    makeRichAnimation(image);
    image.images().subImage(2)->colorMap().clear(); // the frame falls back to the global map
    const QByteArray before = gifBytes(image);
    const TWizardResult result = runScripted(m_session, m_messages, setupFor(image), [](TfrmWizards& wizard) {
        EXPECT_FALSE(wizard.chkRemoveLocal->isEnabled());
        // Checked while disabled (as an earlier state would leave it): still skipped.
        wizard.chkRemoveLocal->setChecked(true);
        toResults(wizard, {false, true, false, false, false, false});
        EXPECT_EQ(wizard.lblSavings->text(), "None");
        press(wizard.btnNext);
    });
    ASSERT_TRUE(result.image);
    EXPECT_EQ(gifBytes(*result.image), before);
}

TEST_F(OptimizationWizardTest, PaletteBoxesAreEnabledByWhatTheAnimationHas)
{
    TGIFImage rich;
    makeRichAnimation(rich);
    TGIFImage noGlobal;
    makeRichAnimation(noGlobal);
    noGlobal.globalColorMap().clear();
    TGIFImage empty;
    struct Row
    {
        TGIFImage* image;
        bool optimizeEnabled, removeLocalEnabled;
    };
    for (const Row& row : {Row{&rich, true, true}, Row{&noGlobal, false, true}, Row{&empty, false, false}}) {
        runScripted(m_session, m_messages, setupFor(*row.image), [&](TfrmWizards& wizard) {
            EXPECT_EQ(wizard.chkOptimizePalettes->isEnabled(), row.optimizeEnabled);
            EXPECT_EQ(wizard.chkRemoveLocal->isEnabled(), row.removeLocalEnabled);
            EXPECT_TRUE(wizard.chkOptimizePalettes->isChecked());
            EXPECT_FALSE(wizard.chkRemoveLocal->isChecked());
            EXPECT_TRUE(wizard.chkSortPalettes->isChecked());
            press(wizard.btnCancel);
        });
    }
}

TEST_F(OptimizationWizardTest, GoingBackAndForwardRebuildsTheResults)
{
    TGIFImage image;
    makeRichAnimation(image);
    runScripted(m_session, m_messages, setupFor(image), [](TfrmWizards& wizard) {
        toResults(wizard, {false, false, false, false, false, false});
        EXPECT_EQ(wizard.lblSavings->text(), "None");
        press(wizard.btnBack);
        wizard.chkNonVisible->setChecked(true);
        wizard.chkTrim->setChecked(true);
        press(wizard.btnNext);
        EXPECT_NE(wizard.lblSavings->text(), "None");
        EXPECT_NE(wizard.lblOptimizedSize->text(), wizard.lblCurrentSize->text());
        press(wizard.btnCancel);
    });
}

// Optimising never changes what the animation shows: every combination of the boxes, on
// generated animations and on real files, judged by ImageMagick frame by frame with delays.
TEST_F(OptimizationWizardTest, TheOptimisedCopyShowsExactlyWhatTheOriginalShows)
{
    std::vector<std::unique_ptr<TGIFImage>> animations;
    for (unsigned seed = 1; seed <= 24; ++seed) {
        animations.push_back(std::make_unique<TGIFImage>());
        makeRandomAnimation(*animations.back(), seed);
    }
    animations.push_back(std::make_unique<TGIFImage>());
    makeRichAnimation(*animations.back());
    for (const char* name :
         {"dispose_bgnd_transparency.gif", "pbar-ani-invalid-XMP.gif", "gen-sprites-im.gif"}) {
        if (!testsupport::hasSharedTestData())
            break; // the generated animations still run
        animations.push_back(std::make_unique<TGIFImage>());
        ASSERT_TRUE(
            loadGIFFile(*animations.back(), testsupport::sharedTestData(QStringLiteral("gif/real/") + QLatin1String(name))));
        normalizeForWriting(*animations.back(), TNormalizeMode::WorkingCopy);
    }
    const TBoxes combinations[] = {
        {true, true, true, true, true, true},      {true, false, true, true, true, false},
        {false, true, false, false, false, false}, {false, false, false, true, false, false},
        {false, false, false, false, true, false}, {false, false, true, false, false, true},
    };
    for (size_t a = 0; a < animations.size(); ++a) {
        TGIFImage& image = *animations[a];
        const std::vector<TShown> before = shownByImageMagick(gifBytes(image));
        for (const TBoxes& boxes : combinations) {
            SCOPED_TRACE(testing::Message()
                         << "animation " << a << " boxes " << boxes.optimizePalettes << boxes.removeLocal
                         << boxes.sortPalettes << boxes.trim << boxes.duplicates << boxes.nonVisible);
            const TWizardResult result = runScripted(m_session, m_messages, setupFor(image), [&](TfrmWizards& wizard) {
                toResults(wizard, boxes);
                press(wizard.btnNext);
            });
            ASSERT_TRUE(result.image);
            const std::vector<TShown> after = shownByImageMagick(gifBytes(*result.image));
            ASSERT_EQ(after.size(), before.size());
            for (size_t i = 0; i < before.size(); ++i) {
                EXPECT_EQ(after[i].rgba, before[i].rgba) << "picture " << i;
                // A single picture shows for good whatever its delay says (clean-up may drop it).
                if (before.size() > 1) {
                    EXPECT_EQ(after[i].delay, before[i].delay) << "picture " << i;
                }
            }
        }
    }
}

TEST_F(OptimizationWizardTest, MergingMapsIsSkippedWhenTheColoursWouldNotFit)
{
    // Two frames with 200 colours each in local maps: 400 colours do not fit one map.
    TGIFImage image;
    image.header().setWidth(20);
    image.header().setHeight(10);
    image.globalColorMap().add(rgbColor(0, 0, 0));
    for (int f = 0; f < 2; ++f) {
        auto* frame = new TGIFSubImage(&image);
        image.images().add(frame);
        frame->setBounds(0, 0, 20, 10);
        std::vector<uint8_t> pixels(200);
        for (int i = 0; i < 200; ++i) {
            pixels[size_t(i)] = uint8_t(i);
            frame->colorMap().add(rgbColor(uint8_t(i), uint8_t(f * 100), uint8_t(255 - i)));
        }
        frame->setData(pixels);
    }
    EXPECT_FALSE(mergeKeepsEveryColor(image));
    const std::vector<TShown> before = shownByImageMagick(gifBytes(image));
    const TWizardResult result = runScripted(m_session, m_messages, setupFor(image), [](TfrmWizards& wizard) {
        toResults(wizard, {true, true, true, true, true, false});
        press(wizard.btnNext);
    });
    ASSERT_TRUE(result.image);
    EXPECT_EQ(shownByImageMagick(gifBytes(*result.image)), before);
    EXPECT_TRUE(hasLocalPalettes(*result.image));
}

// Sound behaviour: a frame that only repeats the one before it keeps its time, whether it goes
// (its time then goes to the frame before it, which goes on showing) or stays as a token frame;
// the engine's crop would drop the time unless that frame is transparent, so the animation would
// run faster.
TEST_F(OptimizationWizardTest, ARepeatedFrameGivesItsTimeToTheFrameBefore)
{
    TGIFImage image;
    image.header().setWidth(6);
    image.header().setHeight(4);
    for (TColor c : {rgbColor(0, 0, 0), rgbColor(255, 0, 0), rgbColor(0, 255, 0)})
        image.globalColorMap().add(c);
    const std::vector<uint8_t> pixels = {0, 1, 2, 0, 1, 2, 2, 1, 0, 2, 1, 0,
                                         0, 0, 1, 1, 2, 2, 1, 1, 1, 2, 2, 2};
    for (int delay : {20, 30, 40}) {
        auto* frame = new TGIFSubImage(&image);
        image.images().add(frame);
        frame->setBounds(0, 0, 6, 4);
        frame->setData(pixels);
        auto* gce = new TGIFGraphicControlExtension(frame);
        frame->extensions().add(gce);
        gce->setDelay(uint16_t(delay));
        gce->setDisposal(TGIFDisposal::dmKeep);
    }
    addLoopExtension(image, *image.images().subImage(0), 0);
    const TWizardResult result = runScripted(m_session, m_messages, setupFor(image), [](TfrmWizards& wizard) {
        toResults(wizard, {true, false, true, true, true, true});
        press(wizard.btnNext);
    });
    ASSERT_TRUE(result.image);
    ASSERT_GE(result.image->images().count(), 1);
    int total = 0;
    for (int i = 0; i < result.image->images().count(); ++i) {
        TGIFGraphicControlExtension* gce = result.image->images().subImage(i)->graphicControlExtension();
        ASSERT_NE(gce, nullptr);
        total += gce->delay();
    }
    EXPECT_EQ(total, 90);
    EXPECT_EQ(getUserLoopCount(*result.image), 0);
}
