#pragma once
// One open animation, apart from any window: its file name, its working copy, the modified and
// untitled flags, its undo history and the frame it shows again when it becomes active.
//
// The program holds only one animation in memory (the session's working image); a document that
// is not active lives on disk, in its working copy once it was changed, else in its own file,
// and is read back when it becomes active again (TDocumentManager). Windows show a document and
// follow its signals; they never own it.
//
// Ownership: the document manager owns the document; the document owns its history and its
// working copy file (deleted with the document). GUI thread only.
#include "editing/UndoHost.h"

#include <QObject>
#include <QString>

#include <memory>

class TDocumentManager;
class TEditSession;

class TDocument : public QObject, public IUndoHost
{
    Q_OBJECT
public:
    // A document for a file (untitled false) or a new one named "Untitled%d.gif" (untitled true).
    TDocument(TDocumentManager& manager, const QString& fileName, bool untitled);
    ~TDocument() override;

    // ---- the record ----
    QString fileName() const override { return m_fileName; }
    QString displayName() const; // the file name without folder
    bool isUntitled() const override { return m_untitled; }
    bool isModified() const { return m_modified; }
    // A mark automation clients may set and read; the program itself does not consult it.
    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool value) { m_readOnly = value; }
    QString workingCopy() const override { return m_workingCopy; }
    int undoPosition() const { return m_undoPosition; }
    int rememberedFrame() const { return m_rememberedFrame; }
    int undoCapacity() const { return int(m_undoCapacity); }
    void setUndoCapacity(int value);
    // The working image holds this document's animation (as far as the document knows).
    bool isLoaded() const { return m_loaded; }
    void setLoaded(bool value) { m_loaded = value; }
    // A read of the animation into the working image is posted and not yet done.
    bool loadPending() const { return m_loadPending; }
    // True from the moment the document agreed to close (or was removed): it takes no part in
    // activation any more and is deleted soon.
    bool isClosing() const { return m_closing; }

    // ---- operations ----
    void setModified(bool value) override;
    void deleteWorkingCopy() override;
    // The common path of the close question, Save and Save As; false when the user cancelled
    // or the write failed.
    bool saveQuery(bool saveAs, bool force);
    bool writeToFile();
    // A new name: the document counts as unchanged, untitled no more, without working copy.
    void setFileName(const QString& name);

    // ---- IUndoHost: the working image and the strip through the session ----
    TGIFImage& workingImage() override;
    TProgressEvent snapshotProgress() override;
    void frameColumnsChanged(int delta) override;
    int currentFrame() const override;
    void selectFrame(int index) override;
    THistoryList* history() override { return m_history.get(); }
    THistoryList& ensureHistory() override;
    void setUndoPosition(int value) override { m_undoPosition = value; }
    bool saveWorkingCopy() override;
    void setRememberedFrame(int index) override { m_rememberedFrame = index; }
    bool reloadDocument(const QString& fileName) override;
    int inspectorRow() const override { return m_inspectorRow; }
    void setInspectorRow(int row) override { m_inspectorRow = row; }
    void setUndoAction(bool enabled, const QString& caption) override;
    void refreshSaveState() override;
    void repaintFrameStrip() override;
    void closeWithoutQuery() override;

signals:
    // The modified flag, the file name or the untitled flag changed: status bars, tabs and the
    // save commands follow.
    void stateChanged();
    // The file name changed (title, tab text, play menu entry).
    void renamed();

protected:
    bool event(QEvent* event) override;

private:
    friend class TDocumentManager;

    TDocumentManager& m_manager;
    TEditSession& m_session;
    QString m_fileName;
    bool m_untitled = false;
    bool m_modified = false;
    bool m_readOnly = false;
    QString m_workingCopy;
    int m_undoPosition = 0;
    int m_rememberedFrame = 0;
    std::unique_ptr<THistoryList> m_history;
    unsigned m_undoCapacity = 50;
    int m_inspectorRow = 0;
    bool m_loaded = true;
    bool m_loadPending = false;
    bool m_closing = false;
};
