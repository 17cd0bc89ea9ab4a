#pragma once
// What the automation objects need of the program: the documents, the main window's state and
// commands, the image browser. The program implements it over its document manager and main
// window (src/app/AutomationWiring.cpp); the objects only forward, they keep no state of their
// own. Everything is called on the user-interface thread.
#include <QList>
#include <QString>

#include <memory>

class IUndoHost;
class QMenuBar;
class TDocument;
class QWidget;
class TBitmap;
class TGIFSubImage;

class IAutomationHost
{
public:
    virtual ~IAutomationHost() = default;

    // One entry per document tab, in tab order.
    struct TTab
    {
        QString caption;  // the file name without folder, as the tab shows it
        QString fileName; // the document's full path
        bool modified = false;
    };

    // ---- documents ----
    virtual bool hasActiveDocument() const = 0;
    virtual QList<TTab> tabs() const = 0;
    virtual int currentTab() const = 0;    // -1 when there is no tab
    virtual void selectTab(int index) = 0; // makes that tab's document active
    // Brings the document of that tab to the front (it becomes the active one).
    virtual void bringTabToFront(int index) = 0;
    // Opens a GIF file as a document; true when a document for it is active afterwards.
    virtual bool openDocument(const QString& fileName) = 0;
    virtual void newDocument() = 0; // the "&New" command
    virtual void nextDocument() = 0;
    virtual void previousDocument() = 0;
    // "Close &All" with its questions; true when every document closed.
    virtual bool closeAllDocuments() = 0;
    // "Sa&ve All"; true when no document is left modified afterwards.
    virtual bool saveAllDocuments() = 0;
    virtual bool anyDocumentModified() const = 0;
    // The active document as the editing code sees it (its working image, its undo history);
    // null without one.
    virtual IUndoHost* activeUndoHost() = 0;
    // A frame's picture as the program renders it.
    virtual std::unique_ptr<TBitmap> framePicture(TGIFSubImage& frame) = 0;
    // The document of a tab; null for an index out of range.
    virtual TDocument* tabDocument(int index) = 0;
    // The active document; null without one.
    virtual TDocument* activeDocument() = 0;
    // Deactivates the active document and brings doc to the front; its animation is the working
    // image when this returns.
    virtual void makeDocumentActive(TDocument& doc) = 0;

    // ---- the active document's commands (the main window's own routines) ----
    // The frame selected in the strip, -1 for none.
    virtual int currentFrame() const = 0;
    // Selects the frame in the strip and everything that shows it; false when it could not.
    virtual bool selectFrame(int index) = 0;
    // "&Close" with its question; true when the document closed.
    virtual bool closeActiveDocument() = 0;
    // Save; with force false a modified document is first asked about. True when the document
    // was written (nothing is left unsaved).
    virtual bool saveActiveDocument(bool force) = 0;
    // The main window's play and pause commands.
    virtual void playAnimation() = 0;
    virtual void pauseAnimation() = 0;
    // The add-frame routine at the insertion position, with its prompts; the new index or -1.
    virtual int addFrame(TBitmap& picture) = 0;
    // A frame at the current frame with the delay, without prompts; the new index or -1.
    virtual int addFrameNoPrompts(TBitmap& picture, int delay) = 0;
    // The delete-frame routine with its refusal of the last frame; true when it was deleted.
    virtual bool deleteFrame(int index) = 0;
    // The AVI export command with its dialogs; true when a file was written. Errors are raised.
    virtual bool exportToAVI() = 0;
    // The document-level AVI import; true when a document was opened. Errors are raised.
    virtual bool importFromAVI(const QString& fileName) = 0;
    virtual void cascade() = 0;
    virtual void tileHorizontal() = 0;
    virtual void tileVertical() = 0;

    // ---- main window ----
    virtual QWidget& mainWindow() = 0;
    virtual QMenuBar* mainMenu() = 0;
    // The normal shut-down with its save questions.
    virtual void closeMainWindow() = 0;
    virtual void showProgress() = 0;
    virtual void hideProgress() = 0;
    virtual void setProgress(int position) = 0;
    virtual void setStatusText(const QString& text) = 0; // the third status panel

    // ---- image browser ----
    virtual bool thumbnailsShowing() const = 0;
    // Shows or hides the browser and sets the tool button to match.
    virtual void setThumbnailsShowing(bool showing) = 0;
    virtual bool explorerShowing() const = 0;
    virtual void setExplorerShowing(bool showing) = 0;
    // The browser's show/hide-explorer button: toggles the folder tree.
    virtual void toggleExplorer() = 0;
    virtual QString thumbnailFolder() const = 0; // the folder selected in the folder tree
    virtual void setThumbnailFolder(const QString& folder) = 0;
    virtual void loadThumbnails(const QString& folder) = 0;
    virtual QString selectedThumbnail() const = 0; // full path; empty when none
};
