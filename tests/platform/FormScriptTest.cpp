// The program's own forms go through the message service: the scripted service hands each form
// to the next queued script and records it; with no script the form counts as cancelled, and a
// form opened from inside a script takes the following script.
#include "platform/ScriptedMessageService.h"

#include <QDialog>
#include <QPushButton>

#include <gtest/gtest.h>

TEST(FormScriptTest, ScriptsAnswerFormsInOrderAndEmptyQueuesCancel)
{
    TScriptedMessageService service;
    TScopedMessageService scope(service);
    QStringList seen;
    service.pushForm([&seen](QDialog& form) {
        seen << form.windowTitle();
        EXPECT_TRUE(form.isVisible());
        QDialog inner;
        inner.setWindowTitle(QStringLiteral("Inner"));
        EXPECT_TRUE(execDialog(inner));
        form.accept();
    });
    service.pushForm([&seen](QDialog& form) {
        seen << form.windowTitle();
        form.accept();
    });
    QDialog outer;
    outer.setWindowTitle(QStringLiteral("Outer"));
    EXPECT_TRUE(execDialog(outer));
    EXPECT_FALSE(outer.isVisible());
    EXPECT_EQ(seen, (QStringList{QStringLiteral("Outer"), QStringLiteral("Inner")}));
    QDialog unanswered;
    unanswered.setWindowTitle(QStringLiteral("Nobody"));
    EXPECT_FALSE(execDialog(unanswered));
    EXPECT_EQ(service.texts(),
              (QStringList{QStringLiteral("Outer"), QStringLiteral("Inner"), QStringLiteral("Nobody")}));
    EXPECT_EQ(service.recorded()[0].kind, TDialogKind::Form);
}

TEST(FormScriptTest, TheQtServiceShowsNoFormOnTheOffscreenPlatform)
{
    TQtMessageService service;
    QDialog form;
    EXPECT_EQ(service.execDialog(form), QDialog::Rejected);
}
