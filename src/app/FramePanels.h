#pragma once
// The "Frame" and "Animation" panels beside the frame strip, and the controller that ties the
// strip, the panels and the inspector to the working image: selecting a frame, filling the
// panels, committing delay, disposal and loop edits (each recorded in the active document's
// history), the animation's transparent colour, strip drops, the frame-size menu and the
// progress display. The main window owns all of these and forwards its strip operations
// (clearFrameStrip, setFrameColumns, frameColumnCount, selectFrame, repaintFrameStrip) here.
// UI thread only.
#include "graphics/Colors.h"
#include "graphics/Graphic.h"

#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

class IFrameStripHost;
class TEditSession;
class QActionGroup;
class QComboBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class TFrameStrip;
class TGIFImage;
class TGIFSubImage;

// A number field with up-down arrows that tells an arrow step apart from typing.
class TNumberEdit : public QSpinBox
{
    Q_OBJECT
public:
    using QSpinBox::QSpinBox;
    void stepBy(int steps) override;
    // The field's text as typed (empty while the user has cleared it).
    QString editText() const;
    void setEditText(const QString& text);

signals:
    void entered();
    // Emitted before the spin box interprets the text on leaving, so an empty field can be
    // filled first.
    void leaving();
    // The user typed a character or pressed backspace (not a programmatic change).
    void edited();
    // An up-down arrow (button or key) moved the value.
    void stepped();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// The two panels as tabs "Frame" and "Animation".
class TFramePanels : public QTabWidget
{
    Q_OBJECT
public:
    explicit TFramePanels(QWidget* parent = nullptr);

    QWidget* framePanel = nullptr;     // "pnlFrame"
    QWidget* animationPanel = nullptr; // "pnlAnimation"
    QComboBox* cbCurrentFrame = nullptr;
    TNumberEdit* txtDelay = nullptr;
    QComboBox* cbDisposal = nullptr;
    QRadioButton* optForever = nullptr;
    QRadioButton* optPlay = nullptr;
    TNumberEdit* txtLoop = nullptr;
    QLabel* pnlTransColor = nullptr; // its "tag" property holds the transparent colour index
    QPushButton* btnSelect = nullptr;

    // Enables every control of both panels (part of the document commands switch).
    void setControlsEnabled(bool enabled);
    // The swatch's colour and index.
    void setTransparentSwatch(TColor color, int index);
    TColor swatchColor() const { return m_swatchColor; }
    int swatchIndex() const;

private:
    TColor m_swatchColor = 0;
};

class TFrameStripController : public QObject
{
    Q_OBJECT
public:
    static constexpr int kInputDelayMs = 500;
    static constexpr int kProgressPanelWidth = 225;
    static constexpr int kFrameSizes[6] = {80, 96, 112, 128, 144, 160};

    // None of these is owned.
    TFrameStripController(TEditSession& session, IFrameStripHost& host, TFrameStrip& strip,
                          TFramePanels& panels, QObject* parent = nullptr);

    // ---- What the main window forwards ----
    void clearFrameStrip();
    void setFrameColumns(int count);
    int frameColumnCount() const;
    bool selectFrame(int index);
    void repaintFrameStrip();

    // The session's current frame.
    int currentFrame() const;
    void updatePanels(int index);
    // The frame panel's fields a frame edit applies.
    enum class TFrameField : uint8_t
    {
        Delay = 1 << 0,
        Disposal = 1 << 1,
    };
    Q_DECLARE_FLAGS(TFrameFields, TFrameField)

    // Applies the chosen fields of the frame panel to frame index.
    void applyFrameEdit(int index, TFrameFields fields);
    void applyLoop(bool playForever, int count);
    void selectTransparentColor();

    // Strip drops.
    void dropFrameOn(int column);
    void dropViewOn(int column);

    // The frame-size radio items "&80 x 80" ... "1&60 x 160" as a sub-menu "Frame &Size".
    QMenu* createFrameSizeMenu(QWidget* parent);
    void setFrameSize(int size);
    int frameSize() const;
    // Height of the area holding the panels and the strip.
    int frameAreaHeight() const { return frameSize() + 112; }

    // The progress bar of the main status bar's second panel (range 0-100, hidden at rest); the
    // main window places it into the panel's rectangle whenever the panel is drawn.
    QProgressBar* progressBar() const { return m_progress; }
    TProgressEvent progressHandler();

    // Tests shorten the input timer; it stays a real one-shot timer.
    void setInputDelay(int milliseconds) { m_inputTimer.setInterval(milliseconds); }
    bool inputTimerActive() const { return m_inputTimer.isActive(); }
    bool delayEditing() const { return m_delayEditing; }
    bool loopEditing() const { return m_loopEditing; }

signals:
    // After the frame size changed (the main window resizes the panel area, moves the status bar
    // and removes the start-up logo).
    void frameSizeChanged(int size);

private:
    void applyToSelection(TFrameFields fields);
    void onInputTimer();
    void enterDelay();
    void leaveDelay();
    void enterLoop();
    void leaveLoop();
    void delayChanged();
    void loopChanged();
    void currentFrameChosen(int item);
    void rebuildFrameLists(int index);
    int defaultDelay() const;
    void setMoveActions(int index);

    TEditSession& m_session;
    IFrameStripHost& m_host;
    TFrameStrip& m_strip;
    TFramePanels& m_panels;
    QTimer m_inputTimer;
    QProgressBar* m_progress = nullptr;
    QActionGroup* m_sizeGroup = nullptr;
    bool m_delayEditing = false;
    bool m_loopEditing = false;
    // Set while the panels are filled from the image, so the controls' change signals are not
    // taken for the user's edits.
    bool m_filling = false;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TFrameStripController::TFrameFields)
