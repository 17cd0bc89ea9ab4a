// Small user-interface helpers shared by the editing dialogs and the windows above them.
#include "editing/UIHelpers.h"

#include "editing/EditSession.h"
#include "platform/Settings.h"
#include "platform/UserTexts.h"

#include <QApplication>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>

namespace {

int modalResultOf(TMsgResult answer)
{
    switch (answer) {
    case TMsgResult::Ok:
        return mrOk;
    case TMsgResult::Yes:
        return mrYes;
    case TMsgResult::No:
        return mrNo;
    default:
        return mrCancel;
    }
}

} // namespace

TWaitCursor::TWaitCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

TWaitCursor::~TWaitCursor()
{
    QApplication::restoreOverrideCursor();
}

QString disposalName(TGIFDisposal disposal)
{
    return isNamedDisposal(disposal) ? QString::fromLatin1(kDisposalNames[disposalValue(disposal)])
                                     : QString::number(disposalValue(disposal));
}

int askWithRememberedAnswer(const QString& message, const QString& checkCaption, const QString& name,
                            TMsgButtons buttons, TMsgType type)
{
    const int remembered = Settings::readInteger(QString::fromLatin1(SettingSection::Settings), name, 0);
    if (remembered == mrYes || remembered == mrNo)
        return remembered;
    // The drop question's first two buttons read "&Include" and "&Start New"; the answers stay
    // Yes and No.
    QStringList captions;
    if (name == QLatin1String(SettingKeys::DropImageDefault.name))
        captions = {QStringLiteral("&Include"), QStringLiteral("&Start New")};
    bool remember = false;
    const int answer = modalResultOf(
        messageService().relabelledQuestion(message, type, buttons, remember, checkCaption, captions));
    if (remember && answer != mrCancel)
        Settings::writeInteger(QString::fromLatin1(SettingSection::Settings), name, answer);
    return answer;
}

bool validateIntegerField(QLineEdit& field, bool fifteenBit)
{
    const QString text = field.text();
    const int limit = fifteenBit ? 32767 : 65535;
    bool valid = !text.isEmpty();
    qint64 value = 0;
    bool anyDigit = false;
    for (QChar c : text) {
        if (c == QLatin1Char(' '))
            continue;
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            valid = false;
            break;
        }
        anyDigit = true;
        value = std::min<qint64>(value * 10 + (c.unicode() - '0'), qint64(limit) + 1);
    }
    if (valid && anyDigit && value <= limit)
        return true;
    messageDlg(QStringLiteral("'%1' is not a valid integer value.").arg(text), TMsgType::Error,
               TMsgButtons::Ok);
    field.setText(QString::number(field.property("tag").toInt()));
    field.setFocus();
    return false;
}

bool isNumber(const QString& text)
{
    QString digits = text;
    digits.remove(QLatin1Char(' '));
    if (digits.isEmpty())
        return false;
    return std::all_of(digits.begin(), digits.end(),
                       [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

void centerInScrollBox(QScrollArea& box, QWidget& control)
{
    box.horizontalScrollBar()->setValue(0);
    box.verticalScrollBar()->setValue(0);
    const QSize client = box.viewport()->size();
    const int left = control.width() < client.width() ? (client.width() - control.width()) / 2 : 0;
    const int top = control.height() < client.height() ? (client.height() - control.height()) / 2 : 0;
    control.move(left, top);
}

void suspendDrawing(QWidget& window, bool suspend)
{
    window.setUpdatesEnabled(!suspend);
    if (suspend)
        return;
    window.update();
    for (QWidget* child : window.findChildren<QWidget*>())
        child->update();
}

int64_t kilobytes(int64_t bytes)
{
    return bytes <= 1024 ? 1 : bytes / 1024;
}
