#pragma once
// The window of one document in the main window's workspace: the frame picture at its offset
// inside a panel of the animation's size, in a scroll box, over a three-panel status bar. It
// shows a TDocument and follows its signals; the document, its file and its history live in
// the document manager (editing/DocumentManager.h), not here.
//
// Ownership: the workspace owns the window (deleted on close); the window owns its preview
// bitmap. The document outlives the window. GUI thread only.
#include "editing/Document.h"
#include "graphics/Colors.h"

#include <QCursor>
#include <QMdiSubWindow>
#include <QPointer>

#include <functional>
#include <memory>

class QFrame;
class QLabel;
class QMenu;
class QScrollArea;
class TBitmap;
class TDocumentStatusBar;
class TDocumentView;
class TEditSession;
class TGIFSubImage;

// What the window takes from the main window when it is made.
struct TDocumentViewOptions
{
    QMenu* framePopup = nullptr; // the frame strip's pop-up menu, shared by the view and the panel
    QCursor cursor;              // over the frame picture
    // The frame background colour of the settings, painted behind the frame.
    std::function<TColor()> frameBackground;
};

class TMDIChild : public QMdiSubWindow
{
    Q_OBJECT
public:
    static constexpr int kInitialClientWidth = 272;
    static constexpr int kInitialClientHeight = 180;
    static constexpr int kScrollMargin = 8;

    // The window is sized to the working image (or to its initial size while that is empty).
    TMDIChild(TEditSession& session, TDocument& document, TDocumentViewOptions options);
    ~TMDIChild() override;

    // Null once the document is gone.
    TDocument* document() const { return m_document.data(); }
    // The document's names and flags, for the window's own users.
    QString fileName() const;
    QString displayName() const;
    bool isModified() const;
    bool isClosing() const;

    TBitmap* previewBitmap() const { return m_previewBitmap.get(); }
    bool frameTransparent() const { return m_frameTransparent; }
    TColor transparentColor() const { return m_transparentColor; }
    TColor frameBackground() const;

    // Shows a frame of the working image in the view.
    void showFrame(TGIFSubImage& frame);
    void showFrame(int index);
    // The frame panel in the middle of the scroll box, or at the margin when it does not fit.
    void recenter();
    // Hint of the status bar at x: "Animation is modified" over the first two panels of a
    // modified document, else empty.
    QString statusHintAt(int x) const;
    QLabel* statusPanel(int index) const;
    QWidget* view() const;
    QWidget* framePanel() const;
    // Closes the window after its document went (no close question).
    void closeView();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildLayout();
    void repaintStatus();

    TEditSession& m_session;
    QPointer<TDocument> m_document;
    TDocumentViewOptions m_options;
    std::unique_ptr<TBitmap> m_previewBitmap;
    bool m_frameTransparent = false;
    TColor m_transparentColor = 0;
    bool m_inCloseEvent = false;
    QScrollArea* m_scrollBox = nullptr;
    QWidget* m_scrollContent = nullptr;
    QFrame* m_framePanel = nullptr;
    TDocumentView* m_view = nullptr;
    TDocumentStatusBar* m_statusBar = nullptr;
};
