// The progress form: a small box without a title bar whose Cancel button and Escape key only note
// the wish to stop, for the work in progress to see at its next check.
#include "wizards/Progress.h"
#include "editing/EditSession.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

TEST(ProgressTest, CancelAndEscapeOnlyMarkTheFormCancelled)
{
    TfrmProgress form;
    EXPECT_EQ(form.size(), QSize(292, 98));
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form.lblFileName->textFormat(), Qt::PlainText);
    EXPECT_FALSE(form.lblProgress->isVisibleTo(&form));
    EXPECT_EQ(form.btnCancel->text(), "Cancel");
    EXPECT_TRUE(form.btnCancel->isDefault());
    form.prgBar->setRange(0, 2);
    form.show();
    for (int i = 0; i < 4; ++i)
        form.stepIt();
    EXPECT_EQ(form.prgBar->value(), 2);

    EXPECT_EQ(form.modalResult(), mrNone);
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_EQ(form.modalResult(), mrCancel);
    EXPECT_TRUE(form.isVisible()) << "the work in progress closes the form";
    form.setModalResult(mrNone);
    form.btnCancel->click();
    EXPECT_EQ(form.modalResult(), mrCancel);
}
