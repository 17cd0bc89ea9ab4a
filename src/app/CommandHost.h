#pragma once
// What the main command set needs of the main window beyond the edit session: the strip's
// selection range, the actions, the frame clipboard, playback and the dialogs that live
// elsewhere. The documents, the working image, the current frame and the strip's columns are the
// session's; the helpers below only forward to it. Tests implement the interface over a real
// session.
//
// Ownership: the commands never own the host, the session or the dialogs. GUI thread only.
#include "app/MainActions.h"
#include "editing/Document.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "gif/GIFExtensions.h"
#include "graphics/Colors.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QMdiArea;
class TGIFImage;

// ---- Answers of the dialogs of other units -------------------------------------------------

// The palette dialog in its transparent-colour mode.
struct TTransparentColorChoice
{
    int modalResult = mrCancel;
    int frameIndex = -1; // the frame the dialog worked on
    int colorIndex = -1;
};

// The palette dialog in its global mode.
struct TGlobalPaletteChoice
{
    int modalResult = mrCancel;
    bool changed = false;
    std::vector<TColor> colors; // the dialog's map
};

// What the global-change page shows: its three check box captions.
struct TGlobalChangeRequest
{
    QString transparentCaption; // "Remove &Transparent" or "Make &Transparent"
    QString interlacedCaption;
    QString localPaletteCaption;
};

// A check box of the global-change page: whether the user changed it and how it ended.
struct TGlobalChangeBox
{
    bool changed = false;
    bool checked = false;
};

struct TGlobalChangeChoice
{
    int modalResult = mrCancel;
    bool somethingToApply = false;
    QString delayText; // applied when it is a number not above 32767
    TGlobalChangeBox transparent;
    TColor transparentColor = 0; // chosen with "Color &Select"
    TGlobalChangeBox interlaced;
    TGlobalChangeBox localPalette;
    std::optional<TGIFDisposal> disposal; // none selected: left as it is
};

struct TResizeChoice
{
    int modalResult = mrCancel;
    int width = 0;
    int height = 0;
};

// The information page's loop choice.
struct TInformationChoice
{
    int modalResult = mrCancel;
    bool playForever = false;
    int count = 1;
};

struct TWelcomeChoice
{
    int modalResult = mrCancel;
    int choice = 0; // 1 runs FileOpen, 2 reopens file
    QString file;   // chosen in the reopen list
};

struct TOptionsChoice
{
    int modalResult = mrCancel;
    bool favoritesEdited = false;
    bool thumbnailSizeChanged = false;
};

// The dialogs of other units the commands open. Every default answers Cancel, so a dialog that
// is not there yet leaves the animation and the history alone; the program's own are installed
// by DialogWiring.
class ICommandDialogs
{
public:
    virtual ~ICommandDialogs() = default;

    virtual TTransparentColorChoice transparentColor(int frameIndex)
    {
        (void)frameIndex;
        return {};
    }
    virtual TGlobalPaletteChoice globalPalette() { return {}; }
    virtual TGlobalChangeChoice globalChange(const TGlobalChangeRequest& request)
    {
        (void)request;
        return {};
    }
    virtual TResizeChoice resize(int width, int height)
    {
        (void)width;
        (void)height;
        return {};
    }
    virtual TInformationChoice information() { return {}; }
    virtual int optimizationWizard() { return mrCancel; }
    virtual int animationWizard() { return mrCancel; }
    virtual TWelcomeChoice welcome() { return {}; }
    virtual int tips() { return mrCancel; }
    virtual TOptionsChoice options(bool about)
    {
        (void)about;
        return {};
    }
    // The HTML code prompt for the file name without folder.
    virtual int htmlCode(const QString& fileName)
    {
        (void)fileName;
        return mrCancel;
    }
    virtual int pluginExplorer() { return mrCancel; }
    virtual int exportSingleImages(const QStringList& entries)
    {
        (void)entries;
        return mrCancel;
    }
};

// The main window as the commands see it.
class ICommandHost
{
public:
    virtual ~ICommandHost() = default;

    virtual TEditSession& session() = 0;
    const TEditSession& session() const { return const_cast<ICommandHost*>(this)->session(); }

    // ---- forwarded to the session ----
    // The active document, or nullptr in the no-document state.
    TDocument* activeDocument() { return session().documents().active(); }
    int documentCount() const { return session().documents().count(); }
    // Opens a file as a GIF document (document opening with its own messages).
    void openGIFDocument(const QString& path) { session().documents().open(path); }
    int currentFrame() const { return session().currentFrame(); }
    int columnCount() const { return const_cast<ICommandHost*>(this)->session().view().frameColumnCount(); }
    // Shows the frame and everything that depends on the current frame; false when it could not.
    bool selectFrame(int index) { return session().view().selectFrame(index); }
    void repaintFrameStrip() { session().view().repaintFrameStrip(); }

    // ---- the main window's own ----
    virtual int selectionLeft() const = 0;
    virtual int selectionRight() const = 0;
    // Selects every column; the "&Current Frame" list shows "Select All".
    virtual void selectAllColumns() = 0;

    virtual void enableAction(TActionId id, bool enabled) = 0;
    // The enable-document-commands switch.
    virtual void enableDocumentCommands(bool enabled) = 0;
    virtual void beep() = 0;

    // The frame clipboard file's name; empty when there is none.
    virtual QString frameClipboardFile() const = 0;
    virtual void setFrameClipboardFile(const QString& name) = 0;
    // The inspector shows its comment page.
    virtual bool inspectorShowsComments() const = 0;

    virtual bool isPlaying() const = 0;
    virtual void stopPlayback() = 0;

    // The open dialogs' remembered folder.
    virtual QString initialDir() const = 0;
    virtual void setInitialDir(const QString& folder) = 0;

    virtual ICommandDialogs& dialogs() = 0;
    // The document windows' area; null when there is none (window arrangement does nothing).
    virtual QMdiArea* mdiArea() = 0;
};
