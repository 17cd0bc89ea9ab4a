#include "app/Drops.h"

#include "app/Childwin.h"
#include "app/FrameCommands.h"
#include "app/FrameStrip.h"
#include "app/ImportExportWiring.h"
#include "app/Main.h"
#include "app/ThumbWiring.h"
#include "editing/Document.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "editing/FrameInsertion.h"
#include "editing/GIFFiles.h"
#include "editing/UIHelpers.h"
#include "editing/UndoHost.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "graphics/Bitmap.h"
#include "platform/MessageService.h"
#include "platform/VideoFile.h"
#include "wizards/ThumbViewer.h"

#include <QChildEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMimeData>
#include <QPointer>
#include <QUrl>

namespace {

void reportUnsupported(const QString& path)
{
    messageDlg(QStringLiteral("Error loading %1! GIF Reelwright does not support the file type or it is a "
                              "corrupted file.")
                   .arg(QFileInfo(path).fileName()),
               TMsgType::Warning, TMsgButtons::Ok);
}

// What a drag carries, in the order a drop is judged: a thumbnail also carries its file as a
// URL, so it is recognised first.
enum class TDragKind
{
    None,
    Thumbnail,
    StripFrame,
    View,
    Files,
};

TDragKind dragKind(const QMimeData* data)
{
    if (!data)
        return TDragKind::None;
    if (data->hasFormat(QString::fromLatin1(kThumbnailMimeType)))
        return TDragKind::Thumbnail;
    if (data->hasFormat(QString::fromLatin1(TFrameStrip::kFrameMime)))
        return TDragKind::StripFrame;
    if (data->hasFormat(QString::fromLatin1(TFrameStrip::kViewMime)))
        return TDragKind::View;
    if (data->hasUrls())
        return TDragKind::Files;
    return TDragKind::None;
}

TMDIChild* documentOf(QObject* object)
{
    for (QObject* o = object; o; o = o->parent())
        if (auto* doc = qobject_cast<TMDIChild*>(o))
            return doc;
    return nullptr;
}

// Watches the drop targets. One object serves them all; each event is judged by the widget it
// reached: a document window, the workspace (its empty area and the logo) or the main window.
class TDropRouter : public QObject
{
public:
    explicit TDropRouter(TfrmMain& main) : QObject(&main), m_main(main) {}

    void watch(QWidget* widget)
    {
        widget->setAcceptDrops(true);
        widget->installEventFilter(this);
    }
    void watchDocument(TMDIChild* doc)
    {
        watch(doc);
        for (QWidget* child : doc->findChildren<QWidget*>())
            watch(child);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::ChildAdded:
            // New document windows arrive as children of the workspace's viewport.
            if (watched == m_main.mdiArea()->viewport())
                if (auto* doc = qobject_cast<TMDIChild*>(static_cast<QChildEvent*>(event)->child()))
                    watchDocument(doc);
            return false;
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (accepts(watched, drag->mimeData())) {
                drag->setDropAction(Qt::CopyAction);
                drag->accept();
            } else {
                drag->ignore();
            }
            return true;
        }
        case QEvent::DragLeave:
            // A thumbnail taken away from the workspace without a drop there.
            if (isWorkspace(watched))
                m_main.session().setWorkspaceDropFlag(false);
            return false;
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            if (!accepts(watched, drop->mimeData())) {
                drop->ignore();
                return true;
            }
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            handleDrop(watched, *drop->mimeData());
            return true;
        }
        default:
            return false;
        }
    }

private:
    bool isWorkspace(QObject* watched) const
    {
        return watched == m_main.mdiArea()->viewport() || watched == m_main.mdiArea() ||
               watched == m_main.logoPanel();
    }

    bool accepts(QObject* watched, const QMimeData* data)
    {
        const TDragKind kind = dragKind(data);
        if (TMDIChild* doc = documentOf(watched)) {
            m_main.session().setWorkspaceDropFlag(false);
            if (doc->isClosing())
                return false;
            switch (kind) {
            case TDragKind::Thumbnail:
            case TDragKind::Files:
                return true;
            case TDragKind::StripFrame:
            case TDragKind::View:
                return doc->document() != m_main.session().documents().active();
            default:
                return false;
            }
        }
        if (isWorkspace(watched)) {
            if (kind == TDragKind::Thumbnail) {
                m_main.session().setWorkspaceDropFlag(true);
                return true;
            }
            return kind == TDragKind::Files;
        }
        return kind == TDragKind::Files;
    }

    void handleDrop(QObject* watched, const QMimeData& data)
    {
        const TDragKind kind = dragKind(&data);
        const QPointer<TMDIChild> doc = documentOf(watched);
        const bool onWorkspace = !doc && isWorkspace(watched);
        QStringList files;
        QString thumbnail;
        if (kind == TDragKind::Files)
            files = droppedFiles(data);
        else if (kind == TDragKind::Thumbnail)
            thumbnail = thumbnailPathFromMime(&data);
        // The work runs from the event loop: the drag source waits for the drop to finish and
        // must not wait on a message box.
        TfrmMain* main = &m_main;
        QMetaObject::invokeMethod(
            &m_main,
            [main, kind, doc, onWorkspace, files, thumbnail] {
                switch (kind) {
                case TDragKind::Files:
                    openDroppedFiles(*main, files);
                    break;
                case TDragKind::Thumbnail:
                    if (doc) {
                        if (doc->isClosing())
                            break;
                        TDocumentManager& documents = main->session().documents();
                        if (doc->document() != documents.active())
                            documents.activate(doc->document());
                        insertThumbnailFile(*main, thumbnail);
                    } else if (onWorkspace) {
                        main->removeLogo();
                        routeThumbnail(*main, thumbnail);
                        main->session().setWorkspaceDropFlag(false);
                    }
                    break;
                case TDragKind::StripFrame:
                case TDragKind::View:
                    if (doc && !doc->isClosing())
                        copyCurrentFrameInto(*main, doc);
                    break;
                default:
                    break;
                }
            },
            Qt::QueuedConnection);
    }

    TfrmMain& m_main;
};

} // namespace

void installDropTargets(TfrmMain& main)
{
    auto* router = new TDropRouter(main);
    router->watch(&main);
    router->watch(main.mdiArea());
    router->watch(main.mdiArea()->viewport());
    if (QLabel* logo = main.logoPanel())
        router->watch(logo);
    for (TDocument* doc : main.session().documents().documents())
        if (TMDIChild* view = main.viewOf(doc))
            router->watchDocument(view);
}

QStringList droppedFiles(const QMimeData& data)
{
    QStringList paths;
    for (const QUrl& url : data.urls())
        if (url.isLocalFile())
            paths << url.toLocalFile(); // the whole path, however long
    return paths;
}

void openDroppedFiles(TfrmMain& main, const QStringList& paths)
{
    for (const QString& path : paths)
        openByType(main, path);
}

void openByType(TfrmMain& main, const QString& path)
{
    const int type = recognizeFileType(path);
    if (type == kFileTypeGif)
        main.session().documents().open(path);
    else if (type == kFileTypeAvi || isVideoFileName(path))
        importAVIFile(main, path);
    else if (type > kFileTypeGif && type < kFileTypeAvi)
        insertImageFile(main, path, type);
    else
        reportUnsupported(path);
}

int insertImageFile(TfrmMain& main, const QString& path, int type)
{
    main.removeLogo();
    TEditSession& session = main.session();
    TBitmap bitmap;
    int result;
    {
        TWaitCursor wait;
        result = loadImageFileIntoBitmap(session, path, bitmap, type, false);
    }
    if (result == liFailed && type != kFileTypeGif) {
        // The image routines leave a picture that does not load unreported; the user must learn
        // why nothing happened. (A GIF's failure has its own message there.)
        reportUnsupported(path);
        return -1;
    }
    if (result != liLoaded)
        return -1;
    if (!session.workspaceDropFlag())
        return addPictureAsFrame(session, bitmap, 0, QStringLiteral("Add Frame"));

    // Dropped on the empty workspace: the picture starts a document of its own.
    TDocumentManager& documents = session.documents();
    const QPointer<TDocument> previous = documents.active();
    if (previous && previous->isModified())
        previous->setLoaded(true);
    if (previous)
        documents.deactivate(previous);
    session.workingImage().clear();
    session.view().clearFrameStrip();
    const int index = insertBitmapAsFrame(session, session.workingImage(), bitmap, 0);
    TDocument* created = documents.active();
    if (index < 0 || !created || created == previous) {
        // Refused (its palette prompt cancelled, say): the document that was active gets its
        // animation back from its working copy or file.
        if (previous && !previous->isClosing() && documents.active() != previous) {
            previous->setLoaded(false);
            documents.activate(previous);
        }
        return -1;
    }
    recordFrameAdded(*created, QStringLiteral("Drag and Drop Image"), index);
    created->setModified(true);
    session.setCurrentFrame(index);
    session.view().selectFrame(index);
    return index;
}

void routeThumbnail(TfrmMain& main, const QString& path)
{
    if (path.isEmpty())
        return;
    TWaitCursor wait;
    const int type = recognizeFileType(path);
    if (main.session().documents().active() || type != kFileTypeGif)
        insertImageFile(main, path, type);
    else
        main.session().documents().open(path);
}

bool copyCurrentFrameInto(TfrmMain& main, TMDIChild* target)
{
    if (!target || target->isClosing() || !target->document())
        return false;
    TEditSession& session = main.session();
    TDocumentManager& documents = session.documents();
    TGIFImage& image = session.workingImage();
    const int current = session.currentFrame();
    if (!documents.active() || current < 0 || current >= image.images().count() ||
        image.images().subImage(current)->empty())
        return false;
    std::unique_ptr<TBitmap> picture;
    try {
        picture = session.framePicture(*image.images().subImage(current));
    } catch (const std::exception& error) {
        messageDlg(QString::fromUtf8(error.what()), TMsgType::Error, TMsgButtons::Ok);
        return false;
    }
    if (!picture || picture->empty())
        return false;
    const QPointer<TDocument> doc = target->document();
    if (doc != documents.active()) {
        documents.activate(doc);
        if (!doc || doc->isClosing() || documents.active() != doc)
            return false;
    }
    return addPictureAsFrame(session, *picture, insertionPosition(main.commandHost()),
                             QStringLiteral("Drag and Drop Image")) >= 0;
}
