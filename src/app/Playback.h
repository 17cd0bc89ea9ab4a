#pragma once
// Preview playback: the active document's animation played inside its window. A copy of the
// working image goes to a preview control laid over the document's frame panel, and the GIF
// engine's painter shows it with the frames' own delays, disposal, transparency and loop count.
// While it plays, everything that could change the animation is disabled; Pause, any frame
// selection, a document switch or a close stops it, and so does the painter when its loops end.
//
// "Playing" means exactly: the preview control is parented to a document's frame panel rather
// than to the main window.
//
// Threads: GUI thread only. The painter waits in its own thread but raises its events on the GUI
// thread; stopping with release waits for it before the copy is cleared.
#include "app/MainActions.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QAction;
class QMenu;
class QWidget;
class TGIFImage;
class TGIFPreview;
class TDocument;
class TMDIChild;
class TPreviewControl;

// What playback needs of the main window.
class IPlaybackHost
{
public:
    virtual ~IPlaybackHost() = default;

    // Where the idle preview control lives.
    virtual QWidget* mainWindow() = 0;
    virtual TDocument* activeDocument() = 0;
    // The open documents in creation order.
    virtual QList<TDocument*> documents() = 0;
    // The window showing the document; null when it has none.
    virtual TMDIChild* viewOf(TDocument* doc) = 0;
    // Makes the document the active one and loads it into the working image at once.
    virtual void makeActive(TDocument* doc) = 0;
    virtual TGIFImage& workingImage() = 0;
    virtual QAction* action(TActionId id) = 0;
    // Null when there is no such menu.
    virtual QMenu* menu(const QString& objectName) = 0;
    // The document commands and the frame and animation panels together.
    virtual void enableDocumentCommands(bool enabled) = 0;
    // The clipboard holds a bitmap or text, or a frame clipboard file exists.
    virtual bool canPaste() = 0;
    // The strip's current frame (-1 for none) and its number of columns.
    virtual int currentFrame() = 0;
    virtual int frameCount() = 0;
    virtual void beep() = 0;
};

class TPlayback : public QObject
{
    Q_OBJECT
public:
    // The draw options of the copy: asynchronous, transparent, animate, loop, dither and
    // automatic dither; not loop forever, validate canvas, direct draw, clear on loop or tile.
    static constexpr int kPreviewDrawOptions = 1551;

    explicit TPlayback(std::unique_ptr<IPlaybackHost> host, QObject* parent = nullptr);
    ~TPlayback() override;

    // "&Play Animation".
    void play();
    // "Pa&use Animation": stop with release of the copy.
    void pause() { stop(true); }
    // Ends the preview. With release the painter is stopped (and waited for) and the copy cleared.
    void stop(bool release);
    bool isPlaying() const;
    // The document being played, null when idle.
    TDocument* playingDocument() const { return m_document.data(); }
    // The control that shows the preview (hidden in the main window while idle).
    QWidget* previewControl() const;
    TGIFPreview& preview() { return *m_preview; }

    // The Play drop-down: the active document's entry first and default when it opens; an
    // entry plays its document.
    void playMenuAboutToShow(QMenu& menu);
    void playMenuEntry(QAction* entry);

private:
    TPreviewControl* control();
    void frameEvent(int frameIndex);
    void setEditingEnabled(bool enabled);
    // The window of the document being played; null when idle or when it has gone.
    TMDIChild* playingView() const;

    std::unique_ptr<IPlaybackHost> m_hostOwner;
    IPlaybackHost& m_host;
    std::unique_ptr<TGIFPreview> m_preview;
    // Parented to a window, so its parent may delete it; it only shows the preview's picture.
    QPointer<TPreviewControl> m_control;
    QPointer<TDocument> m_document;
};
