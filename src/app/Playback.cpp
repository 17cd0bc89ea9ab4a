#include "app/Playback.h"

#include "app/Childwin.h"
#include "editing/Document.h"
#include "editing/GIFFiles.h"
#include "gif/GIFImage.h"
#include "gif/GIFPainter.h"
#include "gif/GIFPreview.h"
#include "platform/MessageService.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QWidget>

namespace {

constexpr const char* kNotAnimationMessage =
    "This GIF is not an animation, therefore it cannot be played. Add additional images in order to "
    "play it.";

// The menus that could change the animation; View stays so that Pause is reachable.
constexpr const char* kEditingMenus[] = {"mnuFile", "mnuEdit", "mnuTools", "mnuPlugins", "mnuWindow", "mnuHelp"};

// The actions switched off beside the document commands while playing.
constexpr TActionId kEditingActions[] = {
    TActionId::EditPaste,    TActionId::FrameAdd,    TActionId::FrameDelete,   TActionId::FrameMoveBegin,
    TActionId::FrameMoveEnd, TActionId::FrameMoveUp, TActionId::FrameMoveDown, TActionId::FrameTransColor,
    TActionId::FileNew,      TActionId::FileOpen};

} // namespace

// The picture control of the preview: shows the preview's picture as the painter leaves it.
class TPreviewControl : public QWidget
{
public:
    TPreviewControl(TGIFPreview& preview, QWidget* parent) : QWidget(parent), m_preview(preview)
    {
        setObjectName(QStringLiteral("imgPreview"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QImage picture = m_preview.picture();
        if (!picture.isNull())
            painter.drawImage(0, 0, picture);
    }

private:
    TGIFPreview& m_preview;
};

TPlayback::TPlayback(std::unique_ptr<IPlaybackHost> host, QObject* parent)
    : QObject(parent), m_hostOwner(std::move(host)), m_host(*m_hostOwner), m_preview(std::make_unique<TGIFPreview>())
{
    m_preview->onFrame = [this](TObject* sender) {
        frameEvent(static_cast<TGIFPainter*>(sender)->frameIndex());
    };
    m_preview->onEnd = [this](TObject*) {
        frameEvent(-1);
    };
    m_preview->onFrameShown = [this](TObject*) {
        if (m_control)
            m_control->update();
    };
}

TPlayback::~TPlayback()
{
    // The painter must be gone before the handlers' object is; what it still delivers while it
    // is stopped finds playback idle and changes nothing.
    m_document = nullptr;
    m_preview->clear();
    delete m_control.data();
}

TPreviewControl* TPlayback::control()
{
    if (!m_control) {
        m_control = new TPreviewControl(*m_preview, m_host.mainWindow());
        m_control->hide();
    }
    return m_control;
}

QWidget* TPlayback::previewControl() const
{
    return m_control.data();
}

TMDIChild* TPlayback::playingView() const
{
    return m_document ? m_host.viewOf(m_document) : nullptr;
}

bool TPlayback::isPlaying() const
{
    TMDIChild* view = playingView();
    return m_control && view && m_control->parentWidget() == view->framePanel();
}

void TPlayback::play()
{
    TDocument* doc = m_host.activeDocument();
    TMDIChild* view = doc ? m_host.viewOf(doc) : nullptr;
    if (!view) {
        if (QAction* act = m_host.action(TActionId::AnimationPlay))
            act->setEnabled(false);
        if (QAction* act = m_host.action(TActionId::AnimationPause))
            act->setEnabled(false);
        return;
    }
    if (isPlaying())
        stop(true);
    TGIFImage& working = m_host.workingImage();
    if (working.nonEmptyFrameCount() < 2) {
        m_host.beep();
        messageDlg(QString::fromLatin1(kNotAnimationMessage), TMsgType::Information, TMsgButtons::Ok);
        return;
    }
    if (view->isMinimized())
        view->showNormal();

    QWidget* panel = view->framePanel();
    view->view()->hide();
    TPreviewControl* preview = control();
    preview->setParent(panel);
    m_preview->clear();
    m_preview->assign(working);
    TGIFImage& copy = m_preview->image();
    normalizeForWriting(copy, TNormalizeMode::WorkingCopy);
    copy.setDrawOptions(TGIFDrawOptions(kPreviewDrawOptions));
    m_document = doc;

    preview->setGeometry(0, 0, copy.width(), copy.height());
    preview->raise();
    preview->show();
    m_preview->start(TGIFDrawOptions(kPreviewDrawOptions), view->frameBackground());
    panel->update();
    setEditingEnabled(false);
}

void TPlayback::stop(bool release)
{
    if (!isPlaying()) {
        if (!m_host.activeDocument())
            if (QAction* act = m_host.action(TActionId::AnimationPlay))
                act->setEnabled(false);
        if (QAction* act = m_host.action(TActionId::AnimationPause))
            act->setEnabled(false);
        m_document = nullptr;
        return;
    }
    // Idle from here on: events the painter still delivers while it is being stopped are
    // recognised as late and ignored.
    const QPointer<TMDIChild> doc = playingView();
    m_document = nullptr;
    m_control->hide();
    m_control->setParent(m_host.mainWindow());
    if (release)
        m_preview->clear();

    if (doc) {
        if (doc->view()->isHidden()) {
            doc->view()->show();
            doc->view()->update();
        }
        const TGIFImage& working = m_host.workingImage();
        if (QLabel* status = doc->statusPanel(2))
            status->setText(QStringLiteral("%1 - [Height: %2 x Width: %3]")
                                .arg(doc->displayName())
                                .arg(working.height())
                                .arg(working.width()));
    }
    setEditingEnabled(true);
}

void TPlayback::setEditingEnabled(bool enabled)
{
    auto enable = [this](TActionId id, bool value) {
        m_host.action(id)->setEnabled(value);
    };
    for (const char* name : kEditingMenus)
        if (QMenu* menu = m_host.menu(QString::fromLatin1(name)))
            menu->menuAction()->setEnabled(enabled);
    if (!enabled) {
        m_host.enableDocumentCommands(false);
        for (TActionId name : kEditingActions)
            enable(name, false);
        enable(TActionId::AnimationPause, true);
        return;
    }
    m_host.enableDocumentCommands(true);
    enable(TActionId::EditPaste, m_host.canPaste());
    enable(TActionId::FrameAdd, true);
    enable(TActionId::FileNew, true);
    enable(TActionId::FileOpen, true);
    const int current = m_host.currentFrame();
    const int last = m_host.frameCount() - 1;
    enable(TActionId::FrameDelete, current >= 0);
    enable(TActionId::FrameTransColor, current >= 0);
    enable(TActionId::FrameMoveBegin, current > 0);
    enable(TActionId::FrameMoveUp, current > 0);
    enable(TActionId::FrameMoveEnd, current >= 0 && current != last);
    enable(TActionId::FrameMoveDown, current >= 0 && current != last);
    enable(TActionId::AnimationPause, false);
}

void TPlayback::frameEvent(int frameIndex)
{
    if (!isPlaying())
        return; // a late event of a painter being stopped
    if (frameIndex < 0) {
        stop(false);
        return;
    }
    TMDIChild* view = playingView();
    if (QLabel* status = view ? view->statusPanel(2) : nullptr)
        status->setText(QStringLiteral("Playing Frame %1 of %2")
                            .arg(frameIndex)
                            .arg(m_preview->image().images().count() - 1));
}

void TPlayback::playMenuAboutToShow(QMenu& menu)
{
    // Each entry's hint is the Play action's.
    if (QAction* play = m_host.action(TActionId::AnimationPlay))
        for (QAction* entry : menu.actions())
            entry->setStatusTip(play->statusTip());
    TDocument* active = m_host.activeDocument();
    if (!active)
        return;
    for (QAction* entry : menu.actions()) {
        if (entry->data().value<QObject*>() != active)
            continue;
        const QList<QAction*> entries = menu.actions();
        if (entries.first() != entry) {
            menu.removeAction(entry);
            menu.insertAction(menu.actions().value(0), entry);
        }
        menu.setDefaultAction(entry);
        return;
    }
}

void TPlayback::playMenuEntry(QAction* entry)
{
    if (!entry)
        return;
    // The entry names its document by the full file name, as the tabs do; the entry also keeps
    // the document itself, which is the sure way to find it.
    TDocument* target = nullptr;
    const QObject* named = entry->data().value<QObject*>();
    for (TDocument* doc : m_host.documents())
        if (!doc->isClosing() && (doc == named || (!named && doc->fileName() == entry->text()))) {
            target = doc;
            break;
        }
    if (!target)
        return;
    if (isPlaying())
        stop(true);
    m_host.makeActive(target);
    play();
}
