#pragma once
// The palette dialog: one modal form in three modes. Mode 0 edits a copy of the global colour
// map, mode 1 chooses a frame's transparent colour from its palette or from the frame picture,
// mode 2 adjusts one colour by its red, green and blue values.
//
// The dialog never changes the animation: it works on its own copy of a map and reports what
// was chosen; callers record the undo command and apply the change. GUI thread only.
#include "editing/UndoCommands.h"
#include "graphics/Colors.h"

#include <QDialog>
#include <QImage>

#include <memory>
#include <vector>

class QLabel;
class QPushButton;
class QScrollArea;
class QFrame;
class QGroupBox;
class TGIFImage;
class TSwatchGrid;
class TUpDownEdit;

enum class TPaletteMode
{
    GlobalPalette = 0,
    TransparentColor = 1,
    ChangeColor = 2,
};

// The frame picture of mode 1: drawn with every pixel of the selected colour in the box's
// highlight and a one-pixel outline; a left click reports the pixel under the pointer.
class TPalettePicture : public QWidget
{
    Q_OBJECT
public:
    explicit TPalettePicture(QWidget* parent = nullptr);
    void setPicture(const QImage& picture);
    const QImage& picture() const { return m_picture; }
    void setMarkedColor(TColor color, bool marked);

signals:
    void picked(QPoint pixel);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QImage m_picture;
    QImage m_shown;
    TColor m_marked = 0;
    bool m_hasMark = false;
};

class TfrmPalette : public QDialog
{
    Q_OBJECT
public:
    // frameIndex: the frame mode 1 works on (the main window's current frame; -1 for none).
    TfrmPalette(TGIFImage& image, TPaletteMode mode, int frameIndex, QWidget* parent = nullptr);
    ~TfrmPalette() override;

    TPaletteMode mode() const { return m_mode; }
    int frameIndex() const { return m_frameIndex; }
    void setFrameIndex(int index) { m_frameIndex = index; }
    // Mode 1 callers preset the selection before showing.
    void presetSelection(int index, TColor color);
    // Shows a colour in the preview and the three fields.
    void setColor(TColor color);

    // Results.
    const TCmdColorMap* workingMap() const { return m_map.get(); }
    std::vector<TColor> colors() const;
    int selectedIndex() const { return m_selectedIndex; }
    TColor selectedColor() const { return m_selectedColor; }
    TColor previewColor() const { return m_previewColor; }
    bool chosen() const { return m_chosen; }
    // Mode 1: the selection names an entry of the map the frame shows (a picked colour that is
    // not in the map, or an index past it, names none).
    bool selectionInMap() const;

    // The entry the user may delete: no pixel of the frames that show the global map holds an
    // index at or above it. Pixels are not renumbered when an entry goes, so every later entry
    // moves down one place and any pixel above it would change colour.
    static bool globalEntryRemovable(TGIFImage& image, int entryIndex);

    // Controls, for keyboard order and for tests that work the form as a user would.
    QLabel* lblInstruction = nullptr;
    TSwatchGrid* grdSwatches = nullptr;
    QScrollArea* scbPicture = nullptr;
    TPalettePicture* imgFrame = nullptr;
    QFrame* bvlSeparator = nullptr;
    QGroupBox* pnlColor = nullptr;
    TUpDownEdit* txtRed = nullptr;
    TUpDownEdit* txtGreen = nullptr;
    TUpDownEdit* txtBlue = nullptr;
    QLabel* pnlPreview = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

    // What a click on the grid (-1: beside the swatches) and on the picture does.
    void selectSwatch(int index);
    void pickPixel(QPoint pixel);
    void addColor();
    void deleteColor();

public slots:
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void build();
    void loadFrame();
    void refreshGrid();
    void updateButtons();
    void enterField(TUpDownEdit* field);
    void leaveField(TUpDownEdit* field);
    bool fieldsValid();
    TColor fieldColor() const;
    void applyColor();

    TGIFImage& m_image;
    TPaletteMode m_mode;
    int m_frameIndex;
    std::unique_ptr<TCmdColorMap> m_map;
    int m_selectedIndex = 0;
    TColor m_selectedColor = 0;
    TColor m_previewColor = 0;
    bool m_chosen = false;
    bool m_shown = false;
    bool m_checking = false;
};
