#include "app/PlaybackWiring.h"

#include "app/Childwin.h"
#include "app/EditCommands.h"
#include "app/Main.h"
#include "app/Playback.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>

namespace {

class TPlaybackHostAdapter : public IPlaybackHost
{
public:
    explicit TPlaybackHostAdapter(TfrmMain& main) : m_main(main) {}

    QWidget* mainWindow() override { return &m_main; }
    TDocument* activeDocument() override { return m_main.session().documents().active(); }
    QList<TDocument*> documents() override { return m_main.session().documents().documents(); }
    TMDIChild* viewOf(TDocument* doc) override { return m_main.viewOf(doc); }
    void makeActive(TDocument* doc) override { m_main.session().documents().activate(doc); }
    TGIFImage& workingImage() override { return m_main.session().workingImage(); }
    QAction* action(TActionId id) override { return m_main.action(id); }
    QMenu* menu(const QString& objectName) override { return m_main.menu(objectName); }
    void enableDocumentCommands(bool enabled) override { m_main.enableDocumentCommands(enabled); }
    bool canPaste() override
    {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        return ::canPaste(m_main.commandHost()) || (data && (data->hasText() || data->hasImage()));
    }
    int currentFrame() override { return m_main.session().currentFrame(); }
    int frameCount() override { return m_main.session().view().frameColumnCount(); }
    void beep() override { QApplication::beep(); }

private:
    TfrmMain& m_main;
};

} // namespace

std::unique_ptr<TPlayback> createPlayback(TfrmMain& main)
{
    auto playback = std::make_unique<TPlayback>(std::make_unique<TPlaybackHostAdapter>(main));
    TPlayback* raw = playback.get();
    QObject::connect(main.action(TActionId::AnimationPlay), &QAction::triggered, raw, [raw] { raw->play(); });
    QObject::connect(main.action(TActionId::AnimationPause), &QAction::triggered, raw,
                     [raw] { raw->pause(); });
    if (QMenu* menu = main.menu(QStringLiteral("pmnPlayDocuments"))) {
        QObject::connect(menu, &QMenu::aboutToShow, raw, [raw, menu] { raw->playMenuAboutToShow(*menu); });
        QObject::connect(menu, &QMenu::triggered, raw, [raw](QAction* entry) { raw->playMenuEntry(entry); });
    }
    return playback;
}
