#pragma once
// One open animation: a child window of the main window's workspace with its file name, modified
// flag, undo history and working copy. The program holds only one animation in memory (the
// working image); a document that is not active lives on disk, in its working copy once it was
// changed, else in its own file, and is read back when it becomes active again.
//
// Ownership: the workspace owns the window (deleted on close); the document owns its history,
// its preview bitmap and its working copy file (deleted with the document). GUI thread only.
#include "app/FrameStripHost.h"
#include "editing/RoutinesHost.h"
#include "editing/UndoHost.h"
#include "graphics/Colors.h"

#include <QMdiSubWindow>

#include <memory>

class QFrame;
class QLabel;
class QScrollArea;
class TBitmap;
class TDocumentStatusBar;
class TDocumentView;
class TGIFSubImage;
class TfrmMain;

class TMDIChild : public QMdiSubWindow, public IUndoHost, public IRoutinesDocument, public IFrameStripDocument
{
    Q_OBJECT
public:
    static constexpr int kInitialClientWidth = 272;
    static constexpr int kInitialClientHeight = 180;
    static constexpr int kScrollMargin = 8;

    // A document for a file (untitled false) or a new one named "Untitled%d.gif" (untitled true).
    // The creation steps run here: the previous active document's loaded flag is cleared, the tab
    // is added and the window sized to the working image.
    TMDIChild(TfrmMain& main, const QString& fileName, bool untitled);
    ~TMDIChild() override;

    // ---- the record ----
    bool isLoaded() const { return m_loaded; }
    void setLoaded(bool value) { m_loaded = value; }
    TBitmap* previewBitmap() const { return m_previewBitmap.get(); }
    QString fileName() const override { return m_fileName; }
    QString displayName() const; // the file name without folder
    int undoPosition() const { return m_undoPosition; }
    bool isModified() const { return m_modified; }
    int rememberedFrame() const { return m_currentFrame; }
    QString workingCopy() const override { return m_workingCopy; }
    bool frameTransparent() const { return m_frameTransparent; }
    TColor transparentColor() const { return m_transparentColor; }
    bool isUntitled() const override { return m_untitled; }
    // The frame background colour of the settings, painted behind the frame.
    TColor frameBackground() const;
    int undoCapacity() const { return int(m_undoCapacity); }
    void setUndoCapacity(int value);
    // True from the moment the window agreed to close (or was removed): it takes no part in
    // activation any more and is deleted soon.
    bool isClosing() const { return m_closing; }

    // ---- operations ----
    void setModified(bool value) override;
    void deleteWorkingCopy() override;
    // The common path of the close question, Save and Save As; false when the user cancelled
    // or the write failed.
    bool saveQuery(bool saveAs, bool force);
    bool writeToFile();
    void setFileName(const QString& name);
    // The window became the active one (the workspace's activation).
    void activate();
    // Another document takes over the working image.
    void deactivate();
    // The deferred load of message 1144: reads the working copy or the file into the working
    // image. False when the read failed and the document was removed.
    bool loadNow();
    bool loadPending() const { return m_loadPending; }
    // Shows a frame of the working image in the view (select frame's document part).
    void showFrame(TGIFSubImage& frame);
    // The frame panel in the middle of the scroll box, or at the margin when it does not fit.
    void recenter();
    // Closes without the close question (Remove).
    void closeWithoutQuery() override;
    // Hint of the status bar at x: "Animation is modified" over the first two panels of a
    // modified document, else empty.
    QString statusHintAt(int x) const;
    QLabel* statusPanel(int index) const;
    QWidget* view() const;
    QWidget* framePanel() const;

    // ---- IUndoContext / IUndoHost ----
    TGIFImage& workingImage() override;
    TProgressEvent snapshotProgress() override;
    void frameColumnsChanged(int delta) override;
    int currentFrame() const override;
    void selectFrame(int index) override;
    THistoryList* history() override { return m_history.get(); }
    THistoryList& ensureHistory() override;
    void setUndoPosition(int value) override { m_undoPosition = value; }
    bool saveWorkingCopy() override;
    void setRememberedFrame(int index) override { m_currentFrame = index; }
    bool reloadDocument(const QString& fileName) override;
    int inspectorRow() const override { return m_inspectorRow; }
    void setInspectorRow(int row) override { m_inspectorRow = row; }
    void setUndoAction(bool enabled, const QString& caption) override;
    void refreshSaveState() override;
    void repaintFrameStrip() override;

    // ---- IRoutinesDocument ----
    void recordFrameUndo(int action, const QString& caption, int frameIndex) override;
    void recordSnapshotUndo(const QString& caption, int frameIndex) override;
    void setCurrentFrame(int index) override { m_currentFrame = index; }

    // ---- IFrameStripDocument ----
    IUndoHost& undoHost() override { return *this; }
    void showFrame(int index) override;
    void markForRefresh() override;
    void runDeactivation() override { deactivate(); }
    void bringToFront() override;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildLayout();
    void repaintStatus();

    TfrmMain& m_main;
    // The record, in its order.
    bool m_loaded = false;
    std::unique_ptr<TBitmap> m_previewBitmap;
    QString m_fileName;
    int m_undoPosition = 0;
    bool m_modified = false;
    int m_currentFrame = 0;
    QString m_workingCopy;
    bool m_frameTransparent = false;
    TColor m_transparentColor = 0;
    bool m_untitled = false;
    std::unique_ptr<THistoryList> m_history;
    unsigned m_undoCapacity = 50;

    bool m_closing = false;
    bool m_loadPending = false;
    int m_inspectorRow = 0;
    QScrollArea* m_scrollBox = nullptr;
    QWidget* m_scrollContent = nullptr;
    QFrame* m_framePanel = nullptr;
    TDocumentView* m_view = nullptr;
    TDocumentStatusBar* m_statusBar = nullptr;
};
