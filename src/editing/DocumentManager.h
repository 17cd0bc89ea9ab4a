#pragma once
// The open documents and the active one: opening, creating, activating, reloading, saving and
// closing. The working image holds the active document's animation only; switching documents
// goes through files: the document left writes its working copy when it changed since the copy
// was last written, the document entered is read back from its working copy or its file.
//
// The manager is the one owner of the list and of "which document is active". Windows follow
// its signals: the main window adds a view and a tab on documentAdded, brings the view to the
// front on activated, drops them on documentRemoved and shows the no-document state on
// lastDocumentClosed. Automation and wizards open documents through open() and create().
//
// Ownership: the edit session owns the manager; the manager owns the documents (deleted later
// than their removal, so a caller holding one through a signal may finish). GUI thread only.
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class TDocument;
struct TFileDialogRequest;
class TEditSession;

class TDocumentManager : public QObject
{
    Q_OBJECT
public:
    // The posted message that reads a document activated by its window into the working image.
    static constexpr int kLoadActiveDocumentEvent = 1000 + 120;

    explicit TDocumentManager(TEditSession& session);
    ~TDocumentManager() override;

    TEditSession& session() { return m_session; }

    // Open documents in creation order; closing ones are already left out.
    QList<TDocument*> documents() const { return m_documents; }
    int count() const { return int(m_documents.size()); }
    // The document whose animation the working image holds; null when none.
    TDocument* active() const;
    bool anyModified() const;
    // The open document for the file (full name), null when none.
    TDocument* find(const QString& path) const;

    // ---- opening and creating ----
    // Opens a GIF file as a document (already open: beep and activate it). True when a
    // document for the file is active afterwards.
    bool open(const QString& path);
    // A new untitled document for what the working image holds now, named "Untitled%d.gif".
    TDocument* create();
    int untitledCounter() const { return m_untitledCounter; }
    void setUntitledCounter(int value) { m_untitledCounter = value; }

    // ---- activation ----
    // Deactivates the active document, makes doc active and reads it at once, so the working
    // image holds it when this returns.
    void activate(TDocument* doc);
    // Its window was activated: doc becomes active and its read is posted.
    void activateLater(TDocument* doc);
    // Another document takes over the working image.
    void deactivate(TDocument* doc);
    // Reads a file into the working image for the active document; false when that failed and
    // the document was removed.
    bool reload(TDocument* doc, const QString& fileName);
    // Does a posted read now. False when the read failed and the document was removed.
    bool loadNow(TDocument* doc);
    // Frames were dropped into the active document: it counts as loaded with a stale working
    // copy, and is deactivated now so the copy is written.
    void markForRefresh(TDocument* doc);
    // The document is made active without its posted read (its frames were just dropped in).
    void bringToFront(TDocument* doc);
    void activateNext();
    void activatePrevious();
    // After the active document closed: the next one takes the working image.
    void activateAfterClose();

    // ---- saving ----
    // Save, Save As and Save All of the File menu; each reports whether it ran to the end.
    // Save with force false first asks whether to save a modified document (the form Save All
    // uses for a document whose file does not exist yet).
    bool save(TDocument* doc, bool force = true);
    bool saveAs(TDocument* doc);
    void saveAll();
    // The save dialog of Save, Save As and the close question; empty when cancelled.
    QString askSaveFileName(const QString& proposedName, bool saveAs = false);
    // Adds what the program offers in the save dialog besides the name (an extra button); called
    // for every save dialog with saveAs true for Save As.
    using TSaveDialogExtras = std::function<void(TFileDialogRequest& request, bool saveAs)>;
    void setSaveDialogExtras(TSaveDialogExtras extras) { m_saveDialogExtras = std::move(extras); }
    QString saveDialogFolder() const { return m_saveDialogFolder; }

    // ---- closing ----
    // The close question, then the document goes. False when the user kept it.
    bool close(TDocument* doc);
    // Closes without asking.
    void remove(TDocument* doc);
    // Closes every document from the last to the first, each with its close question; false
    // when one of them refused.
    bool closeAll();

signals:
    void documentAdded(TDocument* doc);
    // The document agreed to close or was removed; its window goes. lastDocumentClosed follows
    // when it was the last one.
    void documentRemoved(TDocument* doc);
    void lastDocumentClosed();
    // doc became the active document (its window comes to the front, its tab is selected).
    void activated(TDocument* doc);
    // A document's modified flag, name or untitled flag changed.
    void documentStateChanged(TDocument* doc);
    void documentRenamed(TDocument* doc);
    // The undo command's state and caption for the active document.
    void undoActionChanged(bool enabled, const QString& caption);
    // A file was opened or saved under name (the recent files list), or could not be decoded.
    void fileOpened(const QString& name);
    void fileSaved(const QString& name);
    void fileUndecodable(const QString& name);
    // Playback must pause (before saving, switching) or stop (closing).
    void pausePlayback();
    void stopPlayback();
    // Anything that changes which documents exist is about to happen (the start-up logo goes).
    void aboutToOpen();

private:
    friend class TDocument;

    TDocument* addDocument(const QString& fileName, bool untitled);
    void restoreAfterFailedOpen(TDocument* previous);
    void documentClosing(TDocument* doc);

    TEditSession& m_session;
    QList<TDocument*> m_documents;
    QPointer<TDocument> m_active;
    QString m_saveDialogFolder;
    TSaveDialogExtras m_saveDialogExtras;
    int m_untitledCounter = 1;
};
