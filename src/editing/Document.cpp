#include "editing/Document.h"

#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "editing/GIFFiles.h"
#include "editing/UndoHistory.h"
#include "gif/GIFImage.h"
#include "platform/MessageService.h"
#include "platform/TempFiles.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>

TDocument::TDocument(TDocumentManager& manager, const QString& fileName, bool untitled)
    : QObject(&manager),
      m_manager(manager),
      m_session(manager.session()),
      m_fileName(fileName),
      m_untitled(untitled),
      m_history(std::make_unique<THistoryList>(kDefaultUndoCapacity)),
      m_undoCapacity(kDefaultUndoCapacity)
{
}

TDocument::~TDocument()
{
    // The working copy goes with the document; the history's snapshot files go with the history.
    deleteTempFile(m_workingCopy);
    m_workingCopy.clear();
    if (m_history) {
        m_history->clear();
        m_history.reset();
    }
}

QString TDocument::displayName() const
{
    return QFileInfo(m_fileName).fileName();
}

void TDocument::setUndoCapacity(int value)
{
    if (value < 0 || unsigned(value) == m_undoCapacity)
        return;
    m_undoCapacity = unsigned(value);
    if (m_history)
        m_history->setCapacity(value);
}

// ---- modified state, working copy, saving ----

void TDocument::setModified(bool value)
{
    if (value) {
        if (m_workingCopy.isEmpty()) {
            m_workingCopy = createTempFile(QStringLiteral("~GA"));
            if (m_workingCopy.isEmpty())
                messageDlg(QStringLiteral("Error saving file! Unable to save %1 to disk.")
                               .arg(QDir(QDir::tempPath()).filePath(QStringLiteral("~GA"))),
                           TMsgType::Warning, TMsgButtons::Ok);
        }
        // Every change rewrites the copy, so a document left for another one never loses its
        // latest state. A failed write has been reported; the document stays open with its
        // animation in memory and its history, so the user can still save it elsewhere (the
        // copy is written again on the next change or deactivation).
        if (!m_workingCopy.isEmpty() && !workingImage().empty())
            saveGIFFile(workingImage(), m_workingCopy, false, true);
    }
    m_modified = value;
    emit stateChanged();
    emit m_manager.documentStateChanged(this);
}

void TDocument::deleteWorkingCopy()
{
    deleteTempFile(m_workingCopy);
    m_workingCopy.clear();
    m_undoPosition = 0;
}

bool TDocument::saveWorkingCopy()
{
    if (m_workingCopy.isEmpty())
        return false;
    return saveGIFFile(workingImage(), m_workingCopy, false, false);
}

bool TDocument::saveQuery(bool saveAs, bool force)
{
    if (!force && m_modified) {
        QApplication::beep();
        const TMsgResult answer =
            messageDlg(QStringLiteral("Would you like to save changes to %1?").arg(displayName()),
                       TMsgType::Confirmation, TMsgButtons::YesNoCancel);
        if (answer == TMsgResult::Cancel)
            return false;
        if (answer != TMsgResult::Yes)
            return true;
        force = true;
    }
    if (!force)
        return true;
    if (saveAs || m_untitled) {
        const QString chosen = m_manager.askSaveFileName(saveAs ? QString() : displayName());
        if (chosen.isEmpty())
            return false;
        setFileName(chosen);
    }
    return writeToFile();
}

bool TDocument::writeToFile()
{
    m_fileName = QFileInfo(m_fileName).absoluteFilePath();
    if (!saveGIFFile(workingImage(), m_fileName, true, true)) {
        // The animation exists only in memory now when a new name was set on the way here
        // (which clears the modified flag and the working copy): keep it marked modified, with
        // a working copy, so neither closing nor switching documents can drop it unasked.
        if (!m_modified)
            setModified(true);
        return false;
    }
    m_modified = false;
    m_untitled = false;
    if (m_history)
        m_history->clear();
    deleteWorkingCopy();
    refreshUndoState(*this);
    emit stateChanged();
    emit m_manager.documentStateChanged(this);
    return true;
}

void TDocument::setFileName(const QString& name)
{
    m_fileName = QFileInfo(name).absoluteFilePath();
    m_untitled = false;
    m_modified = false;
    deleteWorkingCopy();
    emit renamed();
    emit m_manager.documentRenamed(this);
    refreshUndoState(*this);
    emit stateChanged();
}

bool TDocument::event(QEvent* event)
{
    if (event->type() == QEvent::Type(TDocumentManager::kLoadActiveDocumentEvent)) {
        if (m_loadPending)
            m_manager.loadNow(this);
        return true;
    }
    return QObject::event(event);
}

// ---- the undo host ----

TGIFImage& TDocument::workingImage()
{
    return m_session.workingImage();
}

TProgressEvent TDocument::snapshotProgress()
{
    return m_session.view().progressHandler();
}

void TDocument::frameColumnsChanged(int delta)
{
    IEditView& view = m_session.view();
    view.setFrameColumns(std::max(1, view.frameColumnCount() + delta));
}

int TDocument::currentFrame() const
{
    return m_session.currentFrame();
}

void TDocument::selectFrame(int index)
{
    m_session.view().selectFrame(index);
}

THistoryList& TDocument::ensureHistory()
{
    if (!m_history)
        m_history = std::make_unique<THistoryList>(int(m_undoCapacity));
    return *m_history;
}

bool TDocument::reloadDocument(const QString& fileName)
{
    return m_manager.reload(this, fileName);
}

void TDocument::setUndoAction(bool enabled, const QString& caption)
{
    emit m_manager.undoActionChanged(enabled, caption);
}

void TDocument::refreshSaveState()
{
    emit stateChanged();
    emit m_manager.documentStateChanged(this);
}

void TDocument::repaintFrameStrip()
{
    m_session.view().repaintFrameStrip();
}

void TDocument::closeWithoutQuery()
{
    m_manager.remove(this);
}
