#pragma once
// The edit session: everything the editing code shares while the program runs. It owns the one
// working image (the active document's animation), the current frame, the open documents and
// the services that turn pictures into frames and back, open links and ask the editing prompts.
// The program object owns one session and hands it by reference to the main window, the
// commands and every subsystem; tests build their own. Nothing in editing/ or app/ keeps a
// session of its own in a global.
//
// What the session cannot do itself (draw the frame strip, write the status bar, show progress)
// it asks of the view the main window attaches (IEditView). Without a view those requests do
// nothing. GUI thread only.
#include "graphics/Colors.h"
#include "graphics/Graphic.h"

#include <QString>

#include <functional>
#include <memory>

class TBitmap;
class TDocumentManager;
class TGIFImage;
class TGIFSubImage;

// Modal results of the prompts and of remembered questions (the platform's dialog ids).
enum TModalResult : int
{
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrYes = 6,
    mrNo = 7,
};

// The choice made in the fit-frame prompt.
struct TFitChoice
{
    int modalResult = mrCancel;
    bool trim = true; // "&Trim frame to the animation size" checked
};

// The two questions inserting a picture may ask. Without prompts both answer Cancel.
class IEditPrompts
{
public:
    virtual ~IEditPrompts() = default;

    // "Frame dimensions are larger than the animation. How should this be handled?"
    virtual TFitChoice fitFrame(const QString& text, const TBitmap& picture) = 0;
    // The palette page; on OK the prompt has stored the chosen palette settings.
    virtual int palettePage() = 0;
};

// The windows that show the session: the frame strip (one column per non-empty frame of the
// working image), the main status bar and its progress display. The main window implements it.
class IEditView
{
public:
    virtual ~IEditView() = default;

    // One blank column, nothing current.
    virtual void clearFrameStrip() = 0;
    virtual int frameColumnCount() const = 0;
    virtual void setFrameColumns(int count) = 0;
    // Makes index the current frame and shows it in the strip, the panels and the document's
    // view; false without an active document, for an index outside the strip or an empty image.
    virtual bool selectFrame(int index) = 0;
    virtual void repaintFrameStrip() = 0;
    // Text of a main status bar panel (0-based; editing uses panel 2).
    virtual void setStatusText(int panel, const QString& text) = 0;
    // Where long work on the working image reports progress; empty reports nowhere.
    virtual TProgressEvent progressHandler() = 0;
};

// Where bitmaps become frames and frames become pictures; the defaults use the engine's bitmap
// conversion and rendering. Replaceable so the routines can be exercised without them.
using TFrameImporter = std::function<int(TGIFImage& image, TBitmap& bitmap)>;
using TFramePicture = std::function<std::unique_ptr<TBitmap>(TGIFSubImage& frame)>;
using TImagePicture = std::function<std::unique_ptr<TBitmap>(TGIFImage& image)>;
using TUrlOpener = std::function<bool(const QString& text)>;

class TEditSession
{
public:
    TEditSession();
    ~TEditSession();
    TEditSession(const TEditSession&) = delete;
    TEditSession& operator=(const TEditSession&) = delete;

    // The one image holding the active document's animation.
    TGIFImage& workingImage() { return *m_image; }

    // The frame selected in the strip, -1 for none. The session is its only keeper: the strip,
    // the panels, the commands and the documents read it here.
    int currentFrame() const { return m_currentFrame; }
    void setCurrentFrame(int index) { m_currentFrame = index; }
    // Where inserted frames go: current frame + 1, at most the last frame index; -1 when the
    // image is empty or no frame is current.
    int insertPosition() const;

    // The open documents and the active one.
    TDocumentManager& documents() { return *m_documents; }
    const TDocumentManager& documents() const { return *m_documents; }

    // The view the main window attaches; not owned. Null detaches (requests then do nothing).
    IEditView& view() { return m_view ? *m_view : m_silentView; }
    void setView(IEditView* view) { m_view = view; }
    // Adds one column to the strip.
    void addFrameColumn();

    // The prompts; not owned. Null: both questions answer Cancel.
    IEditPrompts* prompts() const { return m_prompts; }
    void setPrompts(IEditPrompts* prompts) { m_prompts = prompts; }

    // Set while a picture from the image browser is dragged over the empty workspace.
    bool workspaceDropFlag() const { return m_workspaceDropFlag; }
    void setWorkspaceDropFlag(bool value) { m_workspaceDropFlag = value; }

    // ---- Pictures and frames. Empty functions restore the defaults. ----
    void setFrameImporter(TFrameImporter importer) { m_importer = std::move(importer); }
    void setFramePicture(TFramePicture picture) { m_framePicture = std::move(picture); }
    void setImagePicture(TImagePicture picture) { m_imagePicture = std::move(picture); }
    // A new frame of image from the bitmap (the engine converts it with the image's colour
    // reduction, bits and dither mode); its index.
    int importBitmapAsFrame(TGIFImage& image, TBitmap& bitmap) const;
    // Copies of the frame's rendered bitmap and of the image's composed first frame, so the
    // caller may change them freely.
    std::unique_ptr<TBitmap> framePicture(TGIFSubImage& frame) const;
    std::unique_ptr<TBitmap> imagePicture(TGIFImage& image) const;

    // ---- Links ----
    // Hands the text to the desktop; failure shows "Could not load the client.".
    bool openDocumentOrLink(const QString& text) const;
    void setUrlOpener(TUrlOpener opener) { m_urlOpener = std::move(opener); }

private:
    class TSilentView : public IEditView
    {
    public:
        void clearFrameStrip() override {}
        int frameColumnCount() const override { return 1; }
        void setFrameColumns(int) override {}
        bool selectFrame(int) override { return false; }
        void repaintFrameStrip() override {}
        void setStatusText(int, const QString&) override {}
        TProgressEvent progressHandler() override { return {}; }
    };

    std::unique_ptr<TGIFImage> m_image;
    std::unique_ptr<TDocumentManager> m_documents;
    int m_currentFrame = -1;
    IEditView* m_view = nullptr;
    TSilentView m_silentView;
    IEditPrompts* m_prompts = nullptr;
    bool m_workspaceDropFlag = false;
    TFrameImporter m_importer;
    TFramePicture m_framePicture;
    TImagePicture m_imagePicture;
    TUrlOpener m_urlOpener;
};
