#include "app/Warnings.h"

#include "app/Main.h"
#include "editing/EditSession.h"
#include "gif/GIFImage.h"
#include "graphics/Exceptions.h"
#include "platform/MessageService.h"
#include "platform/Settings.h"

#include <QPointer>

#include <memory>

namespace {

QString severityName(int severity)
{
    switch (severity) {
    case 0:
        return QStringLiteral("special comments");
    case 1:
        return QStringLiteral("a warning");
    default:
        return QStringLiteral("an error");
    }
}

} // namespace

QString warningText(const TObject* sender, int severity, const QString& message)
{
    const QString source = sender ? sender->className() : QStringLiteral("TGIFImage");
    return QStringLiteral("A GIF process has resulted in %1. The source is traced to %2 with the following "
                          "message: \"%3.\"")
        .arg(severityName(severity), source, message);
}

void setWarningsShown(TGIFImage& image, bool on, std::function<void()> turnedOff)
{
    if (!on) {
        image.onWarning = nullptr;
        return;
    }
    // All turns the handler off from inside its own call, where it cannot replace itself: it goes
    // quiet instead, which shows exactly what a detached handler would (nothing).
    auto quiet = std::make_shared<bool>(false);
    image.onWarning = [quiet, turnedOff](TObject* sender, int severity, const QString& message) {
        if (*quiet)
            return;
        const TMsgResult answer =
            messageDlg(warningText(sender, severity, message), TMsgType::Warning, TMsgButtons::AbortIgnoreAll);
        if (answer == TMsgResult::All) {
            *quiet = true;
            Settings::writeInteger(SettingKeys::Warnings, 0);
            if (turnedOff)
                turnedOff();
            return;
        }
        if (answer == TMsgResult::Abort)
            throw EProcessAborted(QString::fromLatin1(kProcessAbortedMessage));
    };
}

void showEngineWarnings(TfrmMain& main, bool on)
{
    main.state().warnings = on;
    const QPointer<TfrmMain> guard = &main;
    setWarningsShown(main.session().workingImage(), on, [guard] {
        if (guard)
            guard->state().warnings = false;
    });
}
