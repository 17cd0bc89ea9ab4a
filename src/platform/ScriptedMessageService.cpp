#include "platform/ScriptedMessageService.h"

#include <QDialog>

void TScriptedMessageService::pushFiles(QStringList files, int filterIndex)
{
    TFileDialogResult result;
    result.accepted = !files.isEmpty();
    result.filterIndex = filterIndex;
    if (!files.isEmpty()) {
        const QString& last = files.last();
        const qsizetype slash = last.lastIndexOf(QLatin1Char('/'));
        result.folder = slash > 0 ? last.left(slash) : QString();
    }
    result.files = std::move(files);
    m_files.push_back(std::move(result));
}

QStringList TScriptedMessageService::texts() const
{
    QStringList result;
    for (const TRecordedDialog& entry : m_recorded)
        result << entry.text;
    return result;
}

void TScriptedMessageService::clear()
{
    m_answers.clear();
    m_makeDefault.clear();
    m_inputs.clear();
    m_files.clear();
    m_folders.clear();
    m_forms.clear();
    m_recorded.clear();
}

std::optional<QString> TScriptedMessageService::popText(std::deque<TTextAnswer>& queue)
{
    if (queue.empty())
        return std::nullopt;
    const TTextAnswer answer = queue.front();
    queue.pop_front();
    if (!answer.given)
        return std::nullopt;
    return answer.text;
}

TMsgResult TScriptedMessageService::nextAnswer(TMsgButtons buttons)
{
    if (m_answers.empty())
        return dismissedAnswer(buttons);
    const TMsgResult answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

TMsgResult TScriptedMessageService::messageBox(const QString& text, TMsgType type, TMsgButtons buttons)
{
    m_recorded.push_back({TDialogKind::MessageBox, text, type, buttons, {}});
    return nextAnswer(buttons);
}

TMsgResult TScriptedMessageService::question(const QString& text, TMsgType type, TMsgButtons buttons,
                                             bool& makeDefault, const QString&)
{
    m_recorded.push_back({TDialogKind::Question, text, type, buttons, {}});
    if (!m_makeDefault.empty()) {
        makeDefault = m_makeDefault.front();
        m_makeDefault.pop_front();
    }
    return nextAnswer(buttons);
}

std::optional<QString> TScriptedMessageService::inputBox(const QString&, const QString& prompt,
                                                         const QString&)
{
    m_recorded.push_back({TDialogKind::InputBox, prompt, TMsgType::Information, TMsgButtons::Ok, {}});
    return popText(m_inputs);
}

TFileDialogResult TScriptedMessageService::nextFiles(TDialogKind kind, const TFileDialogRequest& request)
{
    m_recorded.push_back({kind, request.title, TMsgType::Information, TMsgButtons::Ok, request});
    if (m_files.empty()) {
        TFileDialogResult cancelled;
        cancelled.filterIndex = request.filterIndex;
        cancelled.folder = request.initialDir;
        return cancelled;
    }
    TFileDialogResult result = std::move(m_files.front());
    m_files.pop_front();
    return result;
}

TFileDialogResult TScriptedMessageService::openFile(const TFileDialogRequest& request)
{
    return nextFiles(TDialogKind::OpenFile, request);
}

TFileDialogResult TScriptedMessageService::saveFile(const TFileDialogRequest& request)
{
    return nextFiles(TDialogKind::SaveFile, request);
}

std::optional<QString> TScriptedMessageService::chooseFolder(const QString& caption, const QString&)
{
    m_recorded.push_back({TDialogKind::ChooseFolder, caption, TMsgType::Information, TMsgButtons::Ok, {}});
    return popText(m_folders);
}

int TScriptedMessageService::execDialog(QDialog& dialog)
{
    m_recorded.push_back({TDialogKind::Form, dialog.windowTitle(), TMsgType::Information, TMsgButtons::Ok, {}});
    if (m_forms.empty())
        return QDialog::Rejected;
    const TFormScript script = std::move(m_forms.front());
    m_forms.pop_front();
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    script(dialog);
    const int result = dialog.result();
    dialog.hide();
    return result;
}
