// The scripted service presses a file dialog's extra button as a user would: as often as the test
// asks, never once it is disabled, and only on dialogs that have one.
#include "platform/ScriptedMessageService.h"

#include <gtest/gtest.h>

TEST(SaveDialogButton, ScriptedPressesStopWhenTheButtonIsDisabled)
{
    struct Row
    {
        int presses;
        std::vector<bool> answers; // what the handler says on each press: disable the button
        int handled;
        bool disabled;
    };
    const Row rows[] = {
        {0, {}, 0, false},
        {1, {false}, 1, false},
        {3, {false, false, false}, 3, false},
        {3, {false, true, false}, 2, true},
    };
    for (const Row& row : rows) {
        TScriptedMessageService messages;
        int handled = 0;
        TFileDialogRequest request;
        request.title = QStringLiteral("Save As");
        request.extraButtonCaption = QStringLiteral("Optimi&ze");
        request.onExtraButton = [&] {
            return row.answers.at(size_t(handled++));
        };
        if (row.presses > 0)
            messages.pushExtraButtonPresses(row.presses);
        messages.pushFiles({QStringLiteral("/somewhere/out.gif")});
        const TFileDialogResult result = messages.saveFile(request);
        EXPECT_TRUE(result.accepted);
        EXPECT_EQ(handled, row.handled);
        EXPECT_EQ(messages.recorded().back().extraButtonDisabled, row.disabled);
    }
}

TEST(SaveDialogButton, DialogsWithoutTheButtonLeaveThePressesQueued)
{
    TScriptedMessageService messages;
    messages.pushExtraButtonPresses(1);
    TFileDialogRequest open;
    messages.openFile(open);
    int handled = 0;
    TFileDialogRequest save;
    save.extraButtonCaption = QStringLiteral("Optimi&ze");
    save.onExtraButton = [&] {
        ++handled;
        return true;
    };
    messages.saveFile(save);
    EXPECT_EQ(handled, 1);
}
