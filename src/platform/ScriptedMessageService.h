#pragma once
// A message service for tests: answers come from queues filled by the test, every box and dialog
// is recorded with its text, and nothing ever blocks. With an empty queue a box gives the answer a
// dismissed box would give and a dialog counts as cancelled.
#include "platform/MessageService.h"

#include <deque>
#include <functional>
#include <vector>

enum class TDialogKind
{
    MessageBox,
    Question,
    InputBox,
    OpenFile,
    SaveFile,
    ChooseFolder,
    Form,
};

struct TRecordedDialog
{
    TDialogKind kind;
    QString text; // message text, prompt, dialog title or caption
    TMsgType type = TMsgType::Information;
    TMsgButtons buttons = TMsgButtons::Ok;
    TFileDialogRequest request; // file dialogs only
};

class TScriptedMessageService : public IMessageService
{
public:
    void pushAnswer(TMsgResult answer) { m_answers.push_back(answer); }
    void pushMakeDefault(bool checked) { m_makeDefault.push_back(checked); }
    void pushInput(std::optional<QString> text)
    {
        m_inputs.push_back({text.has_value(), text.value_or(QString())});
    }
    // An empty list stands for a cancelled dialog.
    void pushFiles(QStringList files, int filterIndex = 1);
    // A script for the next form (execDialog): it gets the form shown (not modal) and works its
    // controls; the form's result when the script returns is the answer. A script may itself
    // open further forms, which take the following scripts.
    using TFormScript = std::function<void(QDialog& dialog)>;
    void pushForm(TFormScript script) { m_forms.push_back(std::move(script)); }
    void pushFolder(std::optional<QString> folder)
    {
        m_folders.push_back({folder.has_value(), folder.value_or(QString())});
    }

    const std::vector<TRecordedDialog>& recorded() const { return m_recorded; }
    QStringList texts() const;
    void clear();

    TMsgResult messageBox(const QString& text, TMsgType type, TMsgButtons buttons) override;
    TMsgResult question(const QString& text, TMsgType type, TMsgButtons buttons, bool& makeDefault,
                        const QString& checkCaption) override;
    std::optional<QString> inputBox(const QString& caption, const QString& prompt,
                                    const QString& defaultText) override;
    TFileDialogResult openFile(const TFileDialogRequest& request) override;
    TFileDialogResult saveFile(const TFileDialogRequest& request) override;
    std::optional<QString> chooseFolder(const QString& caption, const QString& initialDir) override;
    int execDialog(QDialog& dialog) override;

private:
    TMsgResult nextAnswer(TMsgButtons buttons);
    TFileDialogResult nextFiles(TDialogKind kind, const TFileDialogRequest& request);

    std::deque<TMsgResult> m_answers;
    std::deque<bool> m_makeDefault;
    // A queued text answer; given is false for a cancelled box.
    struct TTextAnswer
    {
        bool given;
        QString text;
    };
    static std::optional<QString> popText(std::deque<TTextAnswer>& queue);

    std::deque<TTextAnswer> m_inputs;
    std::deque<TFileDialogResult> m_files;
    std::deque<TTextAnswer> m_folders;
    std::deque<TFormScript> m_forms;
    std::vector<TRecordedDialog> m_recorded;
};
