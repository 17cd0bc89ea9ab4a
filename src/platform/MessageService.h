#pragma once
// The one way the program talks to the user through modal boxes: message boxes, questions with a
// "make this the default" box, input boxes, file dialogs and the folder dialog. Production code
// calls messageService(); the Qt implementation shows real dialogs, tests install a scripted one
// (ScriptedMessageService.h) so that no test ever waits on a modal dialog.
//
// Only the GUI thread may call the service.
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QDialog;
class QFileDialog;
class QWidget;

enum class TMsgType
{
    Warning,
    Error,
    Information,
    Confirmation,
};

enum class TMsgButtons
{
    Ok,
    YesNo,
    YesNoCancel,
    AbortIgnoreAll,
};

enum class TMsgResult
{
    Ok,
    Yes,
    No,
    Cancel,
    Abort,
    Ignore,
    All,
};

// Filters use the "Description|patterns|Description|patterns" form of the program's texts.
struct TFileDialogRequest
{
    QString title;
    QString filter;
    int filterIndex = 1; // 1-based, as in the filter texts' users
    QString initialDir;
    QString fileName;
    bool multiSelect = false;
    QString defaultSuffix;
    // An extra push button of the dialog (the save dialog's "Optimi&ze"), empty caption for none.
    // Pressing it runs the handler while the dialog stays open; the handler answers whether the
    // button is disabled from then on. Every showing of the dialog starts with it enabled.
    QString extraButtonCaption;
    std::function<bool()> onExtraButton;
    // Open dialogs of pictures get the program's preview pane beside the file list (see
    // setFileDialogPreview).
    bool picturePreview = false;
};

struct TFileDialogResult
{
    bool accepted = false;
    QStringList files; // full names in the order chosen
    int filterIndex = 1;
    QString folder; // the dialog's folder when it closed
};

class IMessageService
{
public:
    virtual ~IMessageService() = default;

    virtual TMsgResult messageBox(const QString& text, TMsgType type, TMsgButtons buttons) = 0;
    // A question with a check box under it; makeDefault holds its state on entry and on return.
    virtual TMsgResult question(const QString& text, TMsgType type, TMsgButtons buttons, bool& makeDefault,
                                const QString& checkCaption) = 0;
    // As question(), with the first push buttons captioned differently ("&Include", "&Start New");
    // the answers stay those of the button set. Services that show no buttons need not override.
    virtual TMsgResult relabelledQuestion(const QString& text, TMsgType type, TMsgButtons buttons,
                                          bool& makeDefault, const QString& checkCaption,
                                          const QStringList& buttonCaptions)
    {
        (void)buttonCaptions;
        return question(text, type, buttons, makeDefault, checkCaption);
    }
    // Empty when cancelled.
    virtual std::optional<QString> inputBox(const QString& caption, const QString& prompt,
                                            const QString& defaultText) = 0;
    virtual TFileDialogResult openFile(const TFileDialogRequest& request) = 0;
    virtual TFileDialogResult saveFile(const TFileDialogRequest& request) = 0;
    virtual std::optional<QString> chooseFolder(const QString& caption, const QString& initialDir) = 0;
    // Runs one of the program's own forms (prompts, palette, options) modally and returns its
    // QDialog result. A scripted service hands the live form to the test instead, which works its
    // real controls; services that show nothing answer Rejected.
    virtual int execDialog(QDialog& dialog);
    // The platform message box that automation clients ask for: their own caption, the
    // platform's style flags (button set in the low four bits: 0 OK, 1 OK/Cancel, 2 Abort/Retry/
    // Ignore, 3 Yes/No/Cancel, 4 Yes/No, 5 Retry/Cancel; icon 0x10 error, 0x20 question, 0x30
    // warning, 0x40 information) and the platform's button code as the answer (1 OK, 2 Cancel,
    // 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No). The text is shown as plain text. Services
    // without a box of their own answer through messageBox() with the nearest button set.
    virtual int styledMessageBox(const QString& text, const QString& caption, int style);
};

inline constexpr const char* kMakeDefaultCaption = "Make this the &Default";

// What the Qt service adds to a file dialog that asks for a picture preview, just before it is
// shown; installed by the program (the pane is a widget of a higher layer). Empty: none.
using TFileDialogPreview = std::function<void(QFileDialog& dialog)>;
void setFileDialogPreview(TFileDialogPreview preview);

// The service in use. Never null: the Qt service until another is installed.
IMessageService& messageService();
// Installs a service (not owned) and returns the previous one; nullptr restores the Qt service.
IMessageService* installMessageService(IMessageService* service);

// Keeps a service installed for the lifetime of a scope.
class TScopedMessageService
{
public:
    explicit TScopedMessageService(IMessageService& service) : m_previous(installMessageService(&service)) {}
    ~TScopedMessageService() { installMessageService(m_previous); }
    TScopedMessageService(const TScopedMessageService&) = delete;
    TScopedMessageService& operator=(const TScopedMessageService&) = delete;

private:
    IMessageService* m_previous;
};

// Runs a form through the service in use: execDialog(dialog) == QDialog::Accepted.
bool execDialog(QDialog& dialog);

// Convenience wrapper used throughout the program: messageDlg("...", TMsgType::Warning, TMsgButtons::Ok).
inline TMsgResult messageDlg(const QString& text, TMsgType type, TMsgButtons buttons)
{
    return messageService().messageBox(text, type, buttons);
}

// Converts "Desc|*.a;*.b|Desc2|*.c" into Qt name filters "Desc (*.a *.b)". A trailing description
// without patterns is dropped.
QStringList qtNameFilters(const QString& filter);
// The caption a box of that type carries.
QString messageCaption(TMsgType type);

// Shows real Qt dialogs, parented to the active window. On the offscreen platform, where nobody
// could answer a modal dialog, it logs the text and gives the answer a dismissed dialog would give.
class TQtMessageService : public IMessageService
{
public:
    TMsgResult messageBox(const QString& text, TMsgType type, TMsgButtons buttons) override;
    TMsgResult question(const QString& text, TMsgType type, TMsgButtons buttons, bool& makeDefault,
                        const QString& checkCaption) override;
    TMsgResult relabelledQuestion(const QString& text, TMsgType type, TMsgButtons buttons, bool& makeDefault,
                                  const QString& checkCaption, const QStringList& buttonCaptions) override;
    std::optional<QString> inputBox(const QString& caption, const QString& prompt,
                                    const QString& defaultText) override;
    TFileDialogResult openFile(const TFileDialogRequest& request) override;
    TFileDialogResult saveFile(const TFileDialogRequest& request) override;
    std::optional<QString> chooseFolder(const QString& caption, const QString& initialDir) override;
    int execDialog(QDialog& dialog) override;
    int styledMessageBox(const QString& text, const QString& caption, int style) override;
};

// The answer a box gives when it is dismissed without a choice (Escape, window closed).
TMsgResult dismissedAnswer(TMsgButtons buttons);
