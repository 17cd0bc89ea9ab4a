#include "editing/DocumentManager.h"

#include "editing/Document.h"
#include "editing/EditSession.h"
#include "editing/GIFFiles.h"
#include "editing/UIHelpers.h"
#include "editing/UndoHistory.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "platform/MessageService.h"
#include "platform/ProgramData.h"
#include "platform/UserTexts.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTimer>

namespace {

// Reports long work through the view's progress display for its lifetime.
class TProgressScope
{
public:
    explicit TProgressScope(TProgressEvent handler) : m_handler(std::move(handler))
    {
        report(psStarting, 0);
    }
    ~TProgressScope() { report(psEnding, 100); }
    void report(TProgressStage stage, int percent)
    {
        if (m_handler)
            m_handler(nullptr, stage, percent, true, QRect(), QString());
    }
    TProgressScope(const TProgressScope&) = delete;
    TProgressScope& operator=(const TProgressScope&) = delete;

private:
    TProgressEvent m_handler;
};

} // namespace

TDocumentManager::TDocumentManager(TEditSession& session) : m_session(session) {}

TDocumentManager::~TDocumentManager()
{
    const QList<TDocument*> all = m_documents;
    m_documents.clear();
    qDeleteAll(all);
}

TDocument* TDocumentManager::active() const
{
    TDocument* doc = m_active.data();
    return doc && !doc->isClosing() ? doc : nullptr;
}

bool TDocumentManager::anyModified() const
{
    return std::any_of(m_documents.begin(), m_documents.end(), [](TDocument* doc) { return doc->isModified(); });
}

TDocument* TDocumentManager::find(const QString& path) const
{
    const QString fullName = QFileInfo(path).absoluteFilePath();
    for (TDocument* doc : m_documents)
        if (doc->fileName() == fullName)
            return doc;
    return nullptr;
}

// ---- opening and creating ----

TDocument* TDocumentManager::addDocument(const QString& fileName, bool untitled)
{
    // The document that was active gives the working image up.
    if (TDocument* previous = active())
        previous->setLoaded(false);
    auto* doc = new TDocument(*this, fileName, untitled);
    doc->setUndoCapacity(undoCapacitySetting());
    m_documents.append(doc);
    emit documentAdded(doc);
    return doc;
}

bool TDocumentManager::open(const QString& path)
{
    emit aboutToOpen();
    const QString fullName = QFileInfo(path).absoluteFilePath();
    // Already open: it comes to the front instead of a second copy.
    if (TDocument* doc = find(fullName)) {
        QApplication::beep();
        activate(doc);
        return true;
    }
    TDocument* previous = active();
    if (previous)
        deactivate(previous);
    TGIFImage& image = m_session.workingImage();
    if (!loadGIFFile(image, fullName)) {
        restoreAfterFailedOpen(previous);
        return false;
    }
    IEditView& view = m_session.view();
    view.clearFrameStrip();
    const int frames = image.images().count();
    if (frames < 2) {
        if (frames == 0 || image.images().subImage(0)->empty()) {
            messageDlg(QString::fromLatin1(kDecodeFailedMessage).arg(fullName), TMsgType::Warning,
                       TMsgButtons::Ok);
            emit fileUndecodable(fullName);
            restoreAfterFailedOpen(previous);
            return false;
        }
        view.setFrameColumns(1);
    } else {
        TWaitCursor wait;
        TProgressScope progress(view.progressHandler());
        // Empty frames cannot be shown or edited; they keep their place at the end of the list
        // so that nothing read from the file is dropped.
        int end = frames - 1;
        for (int i = frames - 1; i >= 0; --i) {
            if (image.images().subImage(i)->empty()) {
                image.images().move(i, end);
                --end;
            }
        }
        int shown = 0;
        for (int i = 0; i < frames; ++i) {
            if (image.images().subImage(i)->empty())
                continue;
            ++shown;
            progress.report(psRunning, i * 100 / (frames - 1));
        }
        view.setFrameColumns(shown);
    }
    TDocument* doc = addDocument(fullName, false);
    activate(doc);
    view.selectFrame(0);
    emit fileOpened(fullName);
    return true;
}

void TDocumentManager::restoreAfterFailedOpen(TDocument* previous)
{
    // The working image now holds what was read (or nothing). The document that was active
    // still counts as loaded when it is the only one: read it back, or its next edit would be
    // made to the wrong animation and written over its working copy.
    if (!previous || previous->isClosing())
        return;
    previous->setLoaded(false);
    activate(previous);
}

TDocument* TDocumentManager::create()
{
    emit aboutToOpen();
    const QString name = QStringLiteral("Untitled%1.gif").arg(m_untitledCounter);
    ++m_untitledCounter;
    if (TDocument* previous = active())
        deactivate(previous);
    TDocument* doc = addDocument(name, true);
    activate(doc);
    return doc;
}

// ---- activation ----

void TDocumentManager::activate(TDocument* doc)
{
    if (!doc || doc->isClosing())
        return;
    if (TDocument* previous = active(); previous && previous != doc)
        deactivate(previous);
    m_active = doc;
    // The window comes to the front (its activation posts the read) ...
    emit activated(doc);
    // ... and the read is done now, so the working image holds the document when this returns.
    QCoreApplication::removePostedEvents(doc, kLoadActiveDocumentEvent);
    if (doc->loadPending() || !doc->isLoaded())
        loadNow(doc);
}

void TDocumentManager::activateLater(TDocument* doc)
{
    if (!doc || doc->isClosing() || !m_documents.contains(doc))
        return;
    if (TDocument* previous = active(); previous && previous != doc)
        deactivate(previous);
    m_active = doc;
    emit pausePlayback();
    if (!doc->isLoaded() && !doc->loadPending()) {
        doc->m_loadPending = true;
        QCoreApplication::postEvent(doc, new QEvent(QEvent::Type(kLoadActiveDocumentEvent)));
    }
    refreshUndoState(*doc);
}

void TDocumentManager::deactivate(TDocument* doc)
{
    if (!doc)
        return;
    if (doc->isLoaded()) {
        const int count = doc->history() ? doc->history()->count() : 0;
        if (count != doc->undoPosition() && !doc->workingCopy().isEmpty() && QFileInfo::exists(doc->workingCopy())) {
            if (doc->saveWorkingCopy())
                doc->setUndoPosition(count);
        }
        m_session.view().setStatusText(2, QString());
    }
    if (count() > 1)
        doc->setLoaded(false);
}

bool TDocumentManager::loadNow(TDocument* doc)
{
    doc->m_loadPending = false;
    if (doc->isClosing())
        return false;
    const QPointer<TDocument> guard = doc;
    const QString source = doc->workingCopy().isEmpty() ? doc->fileName() : doc->workingCopy();
    if (!reload(doc, source) || !guard)
        return false;
    emit documentStateChanged(doc);
    doc->setLoaded(true);
    return true;
}

bool TDocumentManager::reload(TDocument* doc, const QString& fileName)
{
    if (!doc || doc->isClosing() || !m_documents.contains(doc))
        return false;
    TGIFImage& image = m_session.workingImage();
    IEditView& view = m_session.view();
    bool loaded = false;
    {
        TWaitCursor wait;
        view.clearFrameStrip();
        image.clear();
        // Copying into the working image leaves it without handlers; reads report here.
        image.onProgress = view.progressHandler();
        loaded = loadGIFFile(image, fileName);
    }
    if (image.empty() || !loaded) {
        messageDlg(
            QStringLiteral("The file %1 has either moved or cannot be opened. Existing changes will be lost. "
                           "GIF Empty: %2, Load Error: %3.")
                .arg(fileName, image.empty() ? QStringLiteral("Yes") : QStringLiteral("No"),
                     loaded ? QStringLiteral("No") : QStringLiteral("Yes")),
            TMsgType::Warning, TMsgButtons::Ok);
        remove(doc);
        return false;
    }
    view.setFrameColumns(image.nonEmptyFrameCount());
    view.selectFrame(doc->rememberedFrame());
    return true;
}

void TDocumentManager::markForRefresh(TDocument* doc)
{
    doc->setLoaded(true);
    doc->setUndoPosition(-1);
}

void TDocumentManager::bringToFront(TDocument* doc)
{
    emit activated(doc);
    QCoreApplication::removePostedEvents(doc, kLoadActiveDocumentEvent);
    doc->m_loadPending = false;
}

void TDocumentManager::activateNext()
{
    if (m_documents.size() < 2)
        return;
    const int at = std::max<int>(int(m_documents.indexOf(active())), 0);
    activate(m_documents.at((at + 1) % int(m_documents.size())));
}

void TDocumentManager::activatePrevious()
{
    if (m_documents.size() < 2)
        return;
    const int at = std::max<int>(int(m_documents.indexOf(active())), 0);
    activate(m_documents.at((at - 1 + int(m_documents.size())) % int(m_documents.size())));
}

void TDocumentManager::activateAfterClose()
{
    if (m_documents.isEmpty())
        return;
    // The workspace may already have activated the next window (its read still posted).
    TDocument* next = active();
    if (!next) {
        next = m_documents.last();
        // The document closed held the working image: the next one is read back from disk.
        next->setLoaded(false);
    }
    if (next->isLoaded() && !next->loadPending())
        return;
    activate(next);
}

// ---- saving ----

QString TDocumentManager::askSaveFileName(const QString& proposedName, bool saveAs)
{
    TFileDialogRequest request;
    request.title = QStringLiteral("Save As");
    request.filter = QStringLiteral("GIF Images|*.gif|All Image Files|*.*");
    request.defaultSuffix = QStringLiteral("gif");
    request.fileName = proposedName;
    // A document that has a file of its own is saved next to it unless the user goes elsewhere;
    // untitled ones start where the last save went.
    const TDocument* doc = active();
    request.initialDir = doc && !doc->isUntitled() ? QFileInfo(doc->fileName()).absolutePath()
                                                   : m_saveDialogFolder;
    if (m_saveDialogExtras)
        m_saveDialogExtras(request, saveAs);
    const TFileDialogResult result = messageService().saveFile(request);
    if (!result.accepted || result.files.isEmpty())
        return {};
    QString chosen = result.files.first();
    if (QFileInfo(chosen).suffix().isEmpty())
        chosen += QStringLiteral(".gif");
    m_saveDialogFolder = QFileInfo(chosen).absolutePath();
    return chosen;
}

bool TDocumentManager::save(TDocument* doc, bool force)
{
    if (!doc)
        return false;
    emit pausePlayback();
    // The sample images beside the program stay as shipped: their edits go to "working".
    const QFileInfo info(doc->fileName());
    const QString images = QDir(programDataFolder()).filePath(QStringLiteral("images"));
    // Only a save that goes ahead unasked is redirected: the new name clears the modified flag.
    if (force && !doc->isUntitled() && info.absolutePath().compare(images, Qt::CaseInsensitive) == 0) {
        const QDir working(sampleWorkingFolder());
        working.mkpath(QStringLiteral("."));
        QString target = working.filePath(info.fileName());
        if (QFileInfo::exists(target)) {
            // A number from 0 to 99; taken numbers are skipped so no other file is replaced.
            const QString base = working.filePath(info.completeBaseName());
            QList<int> free;
            for (int n = 0; n < 100; ++n)
                if (!QFileInfo::exists(QStringLiteral("%1%2.gif").arg(base).arg(n)))
                    free.append(n);
            if (!free.isEmpty())
                target = QStringLiteral("%1%2.gif")
                             .arg(base)
                             .arg(free.at(int(QRandomGenerator::global()->bounded(quint32(free.size())))));
        }
        doc->setFileName(target);
    }
    const QPointer<TDocument> guard = doc;
    const bool saved = doc->saveQuery(false, force);
    if (saved && guard && !guard->isModified())
        emit fileSaved(guard->fileName());
    if (guard)
        emit documentStateChanged(guard);
    return saved;
}

bool TDocumentManager::saveAs(TDocument* doc)
{
    if (!doc)
        return false;
    emit pausePlayback();
    bool saved = false;
    const QString chosen = askSaveFileName(QString(), true);
    // The dialog's extra button may have opened another animation as a new document: the name
    // chosen afterwards is for the animation the working image holds now.
    doc = active();
    if (!chosen.isEmpty() && doc) {
        doc->setFileName(chosen);
        saved = doc->writeToFile();
        if (saved)
            emit fileSaved(doc->fileName());
    }
    if (doc)
        emit documentStateChanged(doc);
    m_session.view().selectFrame(m_session.currentFrame());
    return saved;
}

void TDocumentManager::saveAll()
{
    TDocument* remembered = active();
    if (!remembered)
        return;
    emit pausePlayback();
    const QPointer<TDocument> rememberedGuard = remembered;
    TWaitCursor wait;
    auto saveOne = [this](TDocument* doc) {
        if (!doc->saveQuery(false, QFileInfo::exists(doc->fileName())))
            return;
        emit fileSaved(doc->fileName());
    };
    if (remembered->isModified())
        saveOne(remembered);
    {
        TProgressScope progress(m_session.view().progressHandler());
        const QList<TDocument*> others = m_documents;
        for (TDocument* doc : others) {
            const QPointer<TDocument> guard = doc;
            if (doc == remembered || !doc->isModified())
                continue;
            activate(doc);
            if (guard && !guard->isClosing())
                saveOne(guard);
        }
    }
    if (rememberedGuard && !rememberedGuard->isClosing())
        activate(rememberedGuard);
    if (TDocument* doc = active())
        emit documentStateChanged(doc);
}

// ---- closing ----

bool TDocumentManager::close(TDocument* doc)
{
    if (!doc)
        return false;
    if (doc->isClosing())
        return true;
    if (!doc->saveQuery(false, false))
        return false;
    emit stopPlayback();
    doc->m_closing = true;
    documentClosing(doc);
    return true;
}

void TDocumentManager::documentClosing(TDocument* doc)
{
    const bool wasActive = m_active == doc;
    m_documents.removeAll(doc);
    if (wasActive)
        m_active = nullptr;
    emit documentRemoved(doc);
    if (m_documents.isEmpty()) {
        emit lastDocumentClosed();
    } else if (wasActive) {
        // The workspace activates another window once this one is gone; the working image
        // must follow it at once, not when the posted read comes round.
        QTimer::singleShot(0, this, &TDocumentManager::activateAfterClose);
    }
    doc->deleteLater();
}

void TDocumentManager::remove(TDocument* doc)
{
    if (!doc || doc->isClosing())
        return;
    doc->setModified(false);
    close(doc);
    activateAfterClose();
}

bool TDocumentManager::closeAll()
{
    const QList<TDocument*> all = m_documents;
    for (auto it = all.crbegin(); it != all.crend(); ++it) {
        const QPointer<TDocument> doc = *it;
        if (!doc || doc->isClosing())
            continue;
        // The close question may save: the document's animation must be the working image.
        if (doc->isModified())
            activate(doc);
        if (doc && !close(doc))
            return false;
    }
    return true;
}
