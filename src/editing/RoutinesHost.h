#pragma once
// What the image routines need of the rest of the program, as narrow interfaces: the active
// document, the main window with its frame strip and status bar, and the two prompts. The main
// window, the documents and the prompt dialogs implement them; tests install fakes.
//
// Ownership: the routines never own what is installed here. Only the GUI thread uses them.
#include <QString>

class TBitmap;

// Modal results of the prompts and of remembered questions (the platform's dialog ids).
enum TModalResult : int
{
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrYes = 6,
    mrNo = 7,
};

// The active document, as far as the routines change it.
class IRoutinesDocument
{
public:
    virtual ~IRoutinesDocument() = default;

    // Records an undo command of the frame kind (action 1 = frame added) for frameIndex: the
    // document's recordUndo with ckFrame (UndoHost.h).
    virtual void recordFrameUndo(int action, const QString& caption, int frameIndex) = 0;
    // Records a whole-animation snapshot (ckActiveAnimation, action 8) before an edit that changes
    // more than a frame command can put back; frameIndex is the frame selected again after Undo.
    // Exceptions from writing the snapshot pass out, and nothing has been changed yet then.
    virtual void recordSnapshotUndo(const QString& caption, int frameIndex) = 0;
    // Marks the document modified, which rewrites its working copy.
    virtual void setModified(bool modified) = 0;
    virtual void setCurrentFrame(int index) = 0;
    // After frames were dropped into it: refresh on the next activation and run the
    // deactivation handling now.
    virtual void markForRefresh() = 0;
    virtual void runDeactivation() = 0;
    // Brings its window to the front and discards one pending window message for it.
    virtual void bringToFront() = 0;
};

// The main window: documents, frame strip, insert position and status bar.
class IRoutinesHost
{
public:
    virtual ~IRoutinesHost() = default;

    virtual int documentCount() const = 0;
    // Null when no document is open.
    virtual IRoutinesDocument* activeDocument() = 0;
    // Set while a picture from the image browser is dragged over the empty workspace.
    virtual bool workspaceDropFlag() const = 0;
    // Opens the file as a new document window.
    virtual void openAsNewDocument(const QString& path) = 0;
    // Creates a document window for the working image, which just got its first frame.
    virtual void createDocumentForImage() = 0;

    // The frame selected in the strip, -1 for none.
    virtual int currentFrame() const = 0;
    // Where inserted frames go: current frame + 1, at most the last frame index; -1 for none.
    virtual int insertPosition() const = 0;

    virtual void addFrameColumn() = 0;
    virtual void selectFrame(int index) = 0;
    virtual void repaintFrameStrip() = 0;

    // Text of a status bar panel (0-based; routines use panel 2).
    virtual void setStatusText(int panel, const QString& text) = 0;
};

// The choice made in the fit-frame prompt.
struct TFitChoice
{
    int modalResult = mrCancel;
    bool trim = true; // "&Trim frame to the animation size" checked
};

class IRoutinesPrompts
{
public:
    virtual ~IRoutinesPrompts() = default;

    // "Frame dimensions are larger than the animation. How should this be handled?"
    virtual TFitChoice fitFrame(const QString& text, const TBitmap& picture) = 0;
    // The palette page; on OK the prompt has stored the chosen palette settings.
    virtual int palettePage() = 0;
};

// The installed host and prompts (null when none is installed: no documents, prompts cancel).
IRoutinesHost* routinesHost();
IRoutinesPrompts* routinesPrompts();
void installRoutinesHost(IRoutinesHost* host);
void installRoutinesPrompts(IRoutinesPrompts* prompts);

// Keeps a host and prompts installed for a scope (tests, the main window's lifetime).
class TScopedRoutinesHost
{
public:
    TScopedRoutinesHost(IRoutinesHost* host, IRoutinesPrompts* prompts)
        : m_host(routinesHost()), m_prompts(routinesPrompts())
    {
        installRoutinesHost(host);
        installRoutinesPrompts(prompts);
    }
    ~TScopedRoutinesHost()
    {
        installRoutinesHost(m_host);
        installRoutinesPrompts(m_prompts);
    }
    TScopedRoutinesHost(const TScopedRoutinesHost&) = delete;
    TScopedRoutinesHost& operator=(const TScopedRoutinesHost&) = delete;

private:
    IRoutinesHost* m_host;
    IRoutinesPrompts* m_prompts;
};
