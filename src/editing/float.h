#pragma once
// The frame inspector: a tool window over the main window that shows and edits one frame of the
// active document (offsets, interlacing, transparency, local palette, delay, disposal), the
// colours of its local palette and the comments of the whole animation.
//
// Every edit records its undo command on the active document before it changes the working
// image, marks the document modified and has the main window select the frame again, which
// fills the inspector anew. The inspector keeps no animation state of its own beyond what it
// shows: the frame strip fills it (IFrameInspectorView) and the rest of the program is reached
// through IInspectorHost only. UI thread only.
#include "graphics/Colors.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;
class IUndoHost;
class TGIFImage;
class TGIFSubImage;

// What the frame strip fills in the inspector on every frame selection. UI thread only.
class IFrameInspectorView
{
public:
    // The value column's rows in this order.
    enum TValueRow
    {
        vrHeight,
        vrWidth,
        vrLeft,
        vrTop,
        vrInterlaced,
        vrTransparent,
        vrLocalPalette,
        vrDelay,
        vrDisposal,
        vrCount
    };

    virtual ~IFrameInspectorView() = default;
    virtual void setInspectorCaption(const QString& caption) = 0;
    // vrCount texts, indexed by TValueRow.
    virtual void setFrameValues(const QStringList& values) = 0;
    // Every comment of the animation, "Comment 1" ... in frame order.
    virtual void setCommentList(const QStringList& comments) = 0;
    // Comes last in a fill: selected is the frame shown.
    virtual void setFrameList(const QStringList& items, int selected) = 0;
    // The no-document state: nothing to show or edit.
    virtual void clearInspector() {}
};

// What the inspector needs of the rest of the program. The main window implements it
// (app/InspectorWiring.cpp); tests give fakes.
class IInspectorHost
{
public:
    virtual ~IInspectorHost() = default;
    // The active document, null in the no-document state. Its working image is what the
    // inspector edits; recording, marking modified, reloading and selecting a frame go
    // through it.
    virtual IUndoHost* activeDocument() = 0;
    // Preview playback stops drawing while the user works in the inspector.
    virtual void pausePlayback() = 0;
    // The main window's current document tab.
    virtual int documentTab() const = 0;
    // The inspector lost the activation: the document of that tab goes back to the main
    // window's document switching. True when that ran the document's deactivation handling.
    virtual bool handBackDocument(int tab) = 0;
};

// The row numbers of the property grid; 0, 5 and 9 are group headings.
enum TInspectorRow : int
{
    irDimensions = 0,
    irHeight = 1,
    irWidth = 2,
    irLeft = 3,
    irTop = 4,
    irDisplay = 5,
    irInterlaced = 6,
    irTransparent = 7,
    irLocalPalette = 8,
    irPlaying = 9,
    irDelay = 10,
    irDisposal = 11,
    irRowCount = 12
};

// The local palette's swatches: as many rows as the whole part of the square root of the number
// of colours, as many columns as needed for the rest, sharing the area equally.
class TInspectorSwatches : public QWidget
{
    Q_OBJECT
public:
    explicit TInspectorSwatches(QWidget* parent = nullptr);

    // No colours: the page shows the logo with "No Local Palette".
    void setColors(std::vector<TColor> colors);
    const std::vector<TColor>& colors() const { return m_colors; }
    int rows() const;
    int columns() const;
    // -1 for none.
    int selected() const { return m_selected; }
    void setSelected(int index);
    // The entry under a point; -1 beside the swatches or on a cell past the last entry.
    int indexAt(QPoint point) const;
    QRect cellRect(int index) const;

signals:
    void swatchSelected(int index);
    void swatchActivated(int index); // double click or Enter

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::vector<TColor> m_colors;
    int m_selected = -1;
};

class TfrmFloat : public QWidget, public IFrameInspectorView
{
    Q_OBJECT
public:
    static constexpr int kDefaultHeight = 430;
    static constexpr int kDefaultWidth = 220;

    // Restores the saved bounds; the defaults sit at the main window's right edge.
    explicit TfrmFloat(QWidget* mainWindow);
    // Saves the bounds and, as "Visible", what visibleSource reports (the main menu's check).
    ~TfrmFloat() override;

    void setVisibleSource(std::function<bool()> source) { m_visibleSource = std::move(source); }
    void setHost(std::unique_ptr<IInspectorHost> host);
    IInspectorHost* host() const { return m_host.get(); }
    // The comment page is in front while the window is shown (Paste then takes clipboard text
    // as a comment).
    bool showsComments() const;

    // ---- IFrameInspectorView: the fill on frame selection, and Clear ----
    void setInspectorCaption(const QString& caption) override;
    void setFrameValues(const QStringList& values) override;
    void setCommentList(const QStringList& comments) override;
    void setFrameList(const QStringList& items, int selected) override;
    void clearInspector() override;

    // ---- the property grid ----
    // The frame the inspector edits: the frame list's entry (none counts as frame 0).
    int currentFrame() const;
    // -1 for none.
    int selectedRow() const { return m_selectedRow; }
    // Selects a row as a click would (committing the row left first, group rows redirected).
    void selectRow(int row);
    // Highlights the row with the cursor on its value, without committing (after an undo).
    void showRow(int row);
    // Applies the selected row's value cell; nothing when it still holds the value it had when
    // the row was entered.
    void commit();
    // The text of a row's value cell (what the in-place editor holds while it is open).
    QString cellText(int row) const;
    // Whether a drop list is open.
    bool dropDownVisible() const;

    // ---- the palette page ----
    void addColor();
    void editColor();
    void deleteColor();
    bool paletteChanged() const { return m_paletteChanged; }

    // ---- the comment page ----
    void addComment();
    void removeComment();
    // The memo was left: a changed text becomes the comment's.
    void commentLeft();

    // Controls, for keyboard order and for tests that work the window as a user would.
    QComboBox* cbFrames = nullptr;
    QTabWidget* pgcInspector = nullptr;
    QTableWidget* grdProperties = nullptr;
    QLineEdit* txtInplace = nullptr;
    QListWidget* lstDropDown = nullptr;
    TInspectorSwatches* grdPalette = nullptr;
    QLabel* lblPaletteInfo = nullptr;
    QPushButton* btnAddColor = nullptr;
    QPushButton* btnEditColor = nullptr;
    QPushButton* btnDeleteColor = nullptr;
    QMenu* pmnPalette = nullptr;
    QListWidget* lstComments = nullptr;
    QPlainTextEdit* memComment = nullptr;
    QPushButton* btnAddComment = nullptr;
    QPushButton* btnRemoveComment = nullptr;
    QLabel* lblHintTitle = nullptr;
    QLabel* lblHintText = nullptr;

signals:
    // The user closed the window through its title bar: it is only hidden.
    void closedByUser();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TCommentEntry
    {
        int frame;
        int position; // in the frame's extension list
    };

    void buildPropertiesPage();
    void buildPalettePage();
    void buildCommentsPage();
    void showHint(const QString& title, const QString& text);
    void activated();
    void deactivated();

    IUndoHost* document() const;
    TGIFSubImage* frame() const;
    void setCellText(int row, const QString& text);
    void setTransparentSwatch(bool shown);
    void restoreEditStart();
    void showEditor(int row, bool selectAll = true);
    void hideEditor();
    void openDropDown(int row);
    void hideDropDown();
    void chooseDropDownEntry();
    bool focusInsideGrid(const QWidget* widget) const;
    void moveRow(int delta);
    void reselectFrame(IUndoHost& doc, int index);

    void loadPalette();
    void updatePaletteButtons();
    void showSwatch(int index);
    bool chooseColor(TColor& color);
    void addLocalPalette();
    void finishPaletteEdit(IUndoHost& doc);

    void rebuildComments();
    void commentSelected();

    std::function<bool()> m_visibleSource;
    std::unique_ptr<IInspectorHost> m_host;

    int m_selectedRow = -1;
    int m_rememberedRow = -1;
    QString m_editStart;
    bool m_gridEnabled = false;
    bool m_selecting = false;
    bool m_committing = false;
    bool m_transparent = false;
    TColor m_transparentColor = 0;
    bool m_paletteChanged = false;
    int m_documentTab = -1;

    std::vector<TCommentEntry> m_commentEntries;
    int m_commentEntry = -1;
    QString m_commentAtEntry;
};
