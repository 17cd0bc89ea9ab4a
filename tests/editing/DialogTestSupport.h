#pragma once
// Helpers for the tests that work the editing dialogs through their real controls on the
// offscreen platform: a temporary settings store and folder of the test's own, a scripted
// message service that also hands over the forms, and typing / leaving fields as a user does.
#include "editing/UndoTestSupport.h"
#include "gif/GIFImage.h"
#include "platform/ScriptedMessageService.h"
#include "platform/Settings.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QDialog>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace dialogtest {

// Makes the widget's window active and gives the widget the focus, as a click into it would.
inline void focus(QWidget* widget)
{
    QWidget* window = widget->window();
    if (!window->isVisible())
        window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    widget->setFocus(Qt::TabFocusReason);
    if (!widget->hasFocus()) {
        QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
        QCoreApplication::sendEvent(widget, &in);
    }
}

// Leaves the field for another control (the field's leave handling runs).
inline void leave(QWidget* field, QWidget* next)
{
    if (field->hasFocus() && next->isVisible()) {
        next->setFocus(Qt::TabFocusReason);
        if (!field->hasFocus())
            return;
    }
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(field, &out);
}

// Selects the field's text and types over it, key by key.
inline void typeInto(QWidget* field, const QString& text)
{
    focus(field);
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(field))
        spin->selectAll();
    else if (auto* line = qobject_cast<QLineEdit*>(field))
        line->selectAll();
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Backspace);
    else
        QTest::keyClicks(field, text);
}

class DialogFixture : public ::testing::Test
{
protected:
    void TearDown() override
    {
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "hourglass cursor left on";
    }

    // The dialogs work on any image they are given; each test has its own.
    TGIFImage& image() { return m_image; }
    bool stored(const TSettingKey& key) const
    {
        TSettingsBatch settings;
        return settings.valueExists(key.section, key.name);
    }

    undotest::TUndoEnvironment m_environment;
    TGIFImage m_image;
    TScriptedMessageService m_messages;
    TScopedMessageService m_messageScope{m_messages};
};

} // namespace dialogtest
