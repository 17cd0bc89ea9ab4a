#include "platform/MessageService.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFileDialog>
#include <QGridLayout>
#include <QRegularExpression>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace {

IMessageService* g_service = nullptr;

TQtMessageService& qtService()
{
    static TQtMessageService service;
    return service;
}

bool cannotShowDialogs()
{
    // Nobody can answer a modal dialog on the offscreen platform; waiting for one would hang.
    return QGuiApplication::platformName() == QLatin1String("offscreen");
}

QMessageBox::Icon iconFor(TMsgType type)
{
    switch (type) {
    case TMsgType::Warning:
        return QMessageBox::Warning;
    case TMsgType::Error:
        return QMessageBox::Critical;
    case TMsgType::Information:
        return QMessageBox::Information;
    case TMsgType::Confirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

TMsgResult runBox(QMessageBox& box, TMsgButtons buttons, const QStringList& captions = {})
{
    struct Entry
    {
        QMessageBox::StandardButton button;
        TMsgResult result;
    };
    std::vector<Entry> entries;
    switch (buttons) {
    case TMsgButtons::Ok:
        entries = {{QMessageBox::Ok, TMsgResult::Ok}};
        break;
    case TMsgButtons::YesNo:
        entries = {{QMessageBox::Yes, TMsgResult::Yes}, {QMessageBox::No, TMsgResult::No}};
        break;
    case TMsgButtons::YesNoCancel:
        entries = {{QMessageBox::Yes, TMsgResult::Yes},
                   {QMessageBox::No, TMsgResult::No},
                   {QMessageBox::Cancel, TMsgResult::Cancel}};
        break;
    case TMsgButtons::AbortIgnoreAll:
        entries = {{QMessageBox::Abort, TMsgResult::Abort},
                   {QMessageBox::Ignore, TMsgResult::Ignore},
                   {QMessageBox::YesToAll, TMsgResult::All}};
        break;
    }
    // Texts carry file names, engine messages and automation arguments: never markup.
    box.setTextFormat(Qt::PlainText);
    for (const Entry& entry : entries)
        box.addButton(entry.button);
    if (buttons == TMsgButtons::AbortIgnoreAll)
        box.button(QMessageBox::YesToAll)->setText(QObject::tr("&All"));
    for (size_t i = 0; i < entries.size() && i < size_t(captions.size()); ++i)
        box.button(entries[i].button)->setText(captions[qsizetype(i)]);
    box.setDefaultButton(entries.front().button);
    const int chosen = box.exec();
    for (const Entry& entry : entries)
        if (chosen == entry.button)
            return entry.result;
    return dismissedAnswer(buttons);
}

QFileDialog* makeFileDialog(const TFileDialogRequest& request, QFileDialog::AcceptMode mode)
{
    auto* dialog = new QFileDialog(QApplication::activeWindow(), request.title, request.initialDir);
    dialog->setAcceptMode(mode);
    const QStringList filters = qtNameFilters(request.filter);
    dialog->setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog->selectNameFilter(filters.at(request.filterIndex - 1));
    if (!request.fileName.isEmpty())
        dialog->selectFile(request.fileName);
    if (!request.defaultSuffix.isEmpty())
        dialog->setDefaultSuffix(request.defaultSuffix);
    if (mode == QFileDialog::AcceptOpen)
        dialog->setFileMode(request.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    if (!request.extraButtonCaption.isEmpty() && request.onExtraButton) {
        // A platform dialog takes no buttons of ours; Qt's own dialog lays itself out in a grid.
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        if (auto* grid = qobject_cast<QGridLayout*>(dialog->layout())) {
            auto* extra = new QPushButton(request.extraButtonCaption, dialog);
            extra->setObjectName(QStringLiteral("btnExtra"));
            extra->setAutoDefault(false);
            grid->addWidget(extra, grid->rowCount(), 0);
            const std::function<bool()> handler = request.onExtraButton;
            QObject::connect(extra, &QPushButton::clicked, dialog, [extra, handler] {
                if (handler())
                    extra->setEnabled(false);
            });
        }
    }
    return dialog;
}

TFileDialogPreview& fileDialogPreview()
{
    static TFileDialogPreview preview;
    return preview;
}

TFileDialogResult runFileDialog(const TFileDialogRequest& request, QFileDialog::AcceptMode mode)
{
    TFileDialogResult result;
    result.filterIndex = request.filterIndex;
    result.folder = request.initialDir;
    if (cannotShowDialogs()) {
        qWarning("File dialog \"%s\" suppressed on the offscreen platform", qPrintable(request.title));
        return result;
    }
    std::unique_ptr<QFileDialog> dialog(makeFileDialog(request, mode));
    if (request.picturePreview && mode == QFileDialog::AcceptOpen && fileDialogPreview())
        fileDialogPreview()(*dialog);
    result.accepted = dialog->exec() == QDialog::Accepted;
    result.folder = dialog->directory().absolutePath();
    result.filterIndex = int(qtNameFilters(request.filter).indexOf(dialog->selectedNameFilter())) + 1;
    if (result.accepted)
        result.files = dialog->selectedFiles();
    return result;
}

} // namespace

void setFileDialogPreview(TFileDialogPreview preview)
{
    fileDialogPreview() = std::move(preview);
}

int IMessageService::execDialog(QDialog&)
{
    return QDialog::Rejected;
}

bool execDialog(QDialog& dialog)
{
    return messageService().execDialog(dialog) == QDialog::Accepted;
}

IMessageService& messageService()
{
    return g_service ? *g_service : qtService();
}

IMessageService* installMessageService(IMessageService* service)
{
    IMessageService* previous = g_service;
    g_service = service;
    return previous;
}

QStringList qtNameFilters(const QString& filter)
{
    // Stored filters name their patterns twice: "Jpeg Images (*.jpg, *.jpeg)|*.jpg;*.jpeg". Qt reads
    // the patterns from the last parentheses of a name, so the shown list is replaced by the real
    // one rather than added after it.
    static const QRegularExpression shownPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts.at(i);
        name.remove(shownPatterns);
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        result << QStringLiteral("%1 (%2)").arg(name.trimmed(), patterns.simplified());
    }
    return result;
}

QString messageCaption(TMsgType type)
{
    switch (type) {
    case TMsgType::Warning:
        return QStringLiteral("Warning");
    case TMsgType::Error:
        return QStringLiteral("Error");
    case TMsgType::Information:
        return QStringLiteral("Information");
    case TMsgType::Confirmation:
        return QStringLiteral("Confirm");
    }
    return {};
}

TMsgResult dismissedAnswer(TMsgButtons buttons)
{
    switch (buttons) {
    case TMsgButtons::Ok:
        return TMsgResult::Ok;
    case TMsgButtons::YesNo:
        return TMsgResult::No;
    case TMsgButtons::YesNoCancel:
        return TMsgResult::Cancel;
    case TMsgButtons::AbortIgnoreAll:
        return TMsgResult::Ignore;
    }
    return TMsgResult::Cancel;
}

TMsgResult TQtMessageService::messageBox(const QString& text, TMsgType type, TMsgButtons buttons)
{
    if (cannotShowDialogs()) {
        qWarning("Message box suppressed on the offscreen platform: %s", qPrintable(text));
        return dismissedAnswer(buttons);
    }
    QMessageBox box(iconFor(type), messageCaption(type), text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText); // texts carry file names and other outside text
    return runBox(box, buttons);
}

TMsgResult TQtMessageService::question(const QString& text, TMsgType type, TMsgButtons buttons,
                                       bool& makeDefault, const QString& checkCaption)
{
    return relabelledQuestion(text, type, buttons, makeDefault, checkCaption, {});
}

TMsgResult TQtMessageService::relabelledQuestion(const QString& text, TMsgType type, TMsgButtons buttons,
                                                 bool& makeDefault, const QString& checkCaption,
                                                 const QStringList& buttonCaptions)
{
    if (cannotShowDialogs()) {
        qWarning("Question suppressed on the offscreen platform: %s", qPrintable(text));
        return dismissedAnswer(buttons);
    }
    QMessageBox box(iconFor(type), messageCaption(type), text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText); // texts carry file names and other outside text
    auto* check = new QCheckBox(checkCaption);
    check->setChecked(makeDefault);
    box.setCheckBox(check);
    const TMsgResult result = runBox(box, buttons, buttonCaptions);
    makeDefault = check->isChecked();
    return result;
}

std::optional<QString> TQtMessageService::inputBox(const QString& caption, const QString& prompt,
                                                   const QString& defaultText)
{
    if (cannotShowDialogs()) {
        qWarning("Input box suppressed on the offscreen platform: %s", qPrintable(prompt));
        return std::nullopt;
    }
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    // The prompt may come from another program: shown as it is, never as markup.
    for (QLabel* label : dialog.findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

TFileDialogResult TQtMessageService::openFile(const TFileDialogRequest& request)
{
    return runFileDialog(request, QFileDialog::AcceptOpen);
}

TFileDialogResult TQtMessageService::saveFile(const TFileDialogRequest& request)
{
    return runFileDialog(request, QFileDialog::AcceptSave);
}

std::optional<QString> TQtMessageService::chooseFolder(const QString& caption, const QString& initialDir)
{
    if (cannotShowDialogs()) {
        qWarning("Folder dialog suppressed on the offscreen platform: %s", qPrintable(caption));
        return std::nullopt;
    }
    const QString folder =
        QFileDialog::getExistingDirectory(QApplication::activeWindow(), caption, initialDir);
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}

int TQtMessageService::execDialog(QDialog& dialog)
{
    if (cannotShowDialogs()) {
        qWarning("Dialog \"%s\" suppressed on the offscreen platform", qPrintable(dialog.windowTitle()));
        return QDialog::Rejected;
    }
    // A command may have put up the hourglass before asking; the user answers with the arrow.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int result = dialog.exec();
    if (busy)
        QApplication::restoreOverrideCursor();
    return result;
}

namespace {

enum : int
{
    idOk = 1,
    idCancel = 2,
    idAbort = 3,
    idRetry = 4,
    idIgnore = 5,
    idYes = 6,
    idNo = 7,
};

TMsgType styleType(int style)
{
    switch (style & 0xF0) {
    case 0x10:
        return TMsgType::Error;
    case 0x20:
        return TMsgType::Confirmation;
    case 0x30:
        return TMsgType::Warning;
    default:
        return TMsgType::Information;
    }
}

} // namespace

int IMessageService::styledMessageBox(const QString& text, const QString& caption, int style)
{
    Q_UNUSED(caption);
    const TMsgType type = styleType(style);
    switch (style & 0x0F) {
    case 1: // OK/Cancel
        return messageBox(text, type, TMsgButtons::YesNo) == TMsgResult::Yes ? idOk : idCancel;
    case 2: { // Abort/Retry/Ignore
        const TMsgResult answer = messageBox(text, type, TMsgButtons::AbortIgnoreAll);
        return answer == TMsgResult::Abort ? idAbort : answer == TMsgResult::All ? idRetry : idIgnore;
    }
    case 3: { // Yes/No/Cancel
        const TMsgResult answer = messageBox(text, type, TMsgButtons::YesNoCancel);
        return answer == TMsgResult::Yes ? idYes : answer == TMsgResult::No ? idNo : idCancel;
    }
    case 4:
        return messageBox(text, type, TMsgButtons::YesNo) == TMsgResult::Yes ? idYes : idNo;
    case 5: // Retry/Cancel
        return messageBox(text, type, TMsgButtons::YesNo) == TMsgResult::Yes ? idRetry : idCancel;
    default:
        messageBox(text, type, TMsgButtons::Ok);
        return idOk;
    }
}

int TQtMessageService::styledMessageBox(const QString& text, const QString& caption, int style)
{
    struct Entry
    {
        QMessageBox::StandardButton button;
        int code;
    };
    std::vector<Entry> entries;
    switch (style & 0x0F) {
    case 1:
        entries = {{QMessageBox::Ok, idOk}, {QMessageBox::Cancel, idCancel}};
        break;
    case 2:
        entries = {{QMessageBox::Abort, idAbort}, {QMessageBox::Retry, idRetry}, {QMessageBox::Ignore, idIgnore}};
        break;
    case 3:
        entries = {{QMessageBox::Yes, idYes}, {QMessageBox::No, idNo}, {QMessageBox::Cancel, idCancel}};
        break;
    case 4:
        entries = {{QMessageBox::Yes, idYes}, {QMessageBox::No, idNo}};
        break;
    case 5:
        entries = {{QMessageBox::Retry, idRetry}, {QMessageBox::Cancel, idCancel}};
        break;
    default:
        entries = {{QMessageBox::Ok, idOk}};
        break;
    }
    // Escape gives Cancel where there is one, else the last button (No, Ignore, OK).
    int dismissed = entries.back().code;
    for (const Entry& entry : entries) {
        if (entry.code == idCancel)
            dismissed = idCancel;
    }
    if (cannotShowDialogs()) {
        qWarning("Message box suppressed on the offscreen platform: %s", qPrintable(text));
        return dismissed;
    }
    const int icon = style & 0xF0;
    QMessageBox box(icon == 0x10   ? QMessageBox::Critical
                    : icon == 0x20 ? QMessageBox::Question
                    : icon == 0x30 ? QMessageBox::Warning
                    : icon == 0x40 ? QMessageBox::Information
                                   : QMessageBox::NoIcon,
                    caption, text, QMessageBox::NoButton, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    for (const Entry& entry : entries)
        box.addButton(entry.button);
    box.setDefaultButton(entries.front().button);
    const int chosen = box.exec();
    for (const Entry& entry : entries) {
        if (chosen == entry.button)
            return entry.code;
    }
    return dismissed;
}
