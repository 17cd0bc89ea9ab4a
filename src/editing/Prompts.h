#pragma once
// The prompt dialog: one modal form that shows one of seven small question pages inside a
// one-tab tab control, with OK and Cancel. Pages 1 (frame larger than the animation) and 2
// (palette options) read their settings when built and write them on OK; the other pages take
// their values from the caller and hand the user's answers back.
//
// The form never changes an animation; its caller records the undo command and applies the
// answers. GUI thread only.
#include "editing/EditSession.h"
#include "gif/GIFExtensions.h"
#include "graphics/Colors.h"

#include <QDialog>
#include <QImage>
#include <QString>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class TGIFImage;
class TUpDownEdit;

enum class TPromptPage
{
    FrameSize = 1,
    Palettes = 2,
    Resize = 3,
    Information = 4,
    Properties = 5,
    HtmlCode = 6,
    GlobalChange = 7,
};

// The palette options, shared by the palette prompt and the options dialog's "Palettes" page:
// both load and store the same five settings by the same rules.
class TPalettePage : public QWidget
{
    Q_OBJECT
public:
    explicit TPalettePage(QWidget* parent = nullptr);

    // Reads "PaletteDefaults", "PaletteType", "MaxColorCount", "DitherMethod", "MaxImportCount".
    void load();
    // Writes them: "PaletteDefaults" only when it changed.
    void save();

    QRadioButton* optAdaptive = nullptr;
    QRadioButton* optWebSafe = nullptr;
    QRadioButton* optLocal = nullptr;
    QComboBox* cbMaxColors = nullptr;
    QComboBox* cbMaxImport = nullptr;
    QRadioButton* optNearest = nullptr;
    QRadioButton* optFloyd = nullptr;
    QCheckBox* chkPaletteDefault = nullptr;

private:
    bool m_loadedDefault = false;
};

// The choices the global-change page hands back.
struct TGlobalChangeAnswer
{
    QString delayText;
    std::optional<TGIFDisposal> disposal; // none selected: left as it is
    bool transparent = false;
    bool interlaced = false;
    bool localPalette = false;
    TColor transparentColor = 0;
    int transparentIndex = 0;
    bool somethingToApply = false;
};

class TfrmPrompts : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmPrompts(TPromptPage page, QWidget* parent = nullptr);
    ~TfrmPrompts() override;

    TPromptPage page() const { return m_page; }

    // ---- page 1: frame larger than the animation ----
    void setFrameSizeText(const QString& text);
    bool trimChosen() const;

    // ---- page 3: resize ----
    void setCurrentSize(int width, int height);
    int newWidth() const;
    int newHeight() const;

    // ---- page 4: animation information ----
    // runningTime in hundredths of a second; userLoopCount 0 = forever, 1 = once, n = n times.
    void setInformation(int frames, qint64 bytes, qint64 runningTime, int userLoopCount);
    bool playForever() const;
    int playCount() const;

    // ---- page 5: image properties ----
    void setProperties(const QString& fileName, const QString& fileSize, const QString& dimensions,
                       const QImage& preview);

    // ---- page 6: HTML code ----
    void setHtmlSource(const QString& fileName, int width, int height);
    QString htmlCode() const;

    // ---- page 7: global change ----
    // The three check box captions ("Remove " or "Make " before "&Transparent", "&Interlaced",
    // "&Local Palette"), and the frame "Color &Select" shows (image may be null: no colour).
    void setGlobalChange(const QString& transparentCaption, const QString& interlacedCaption,
                         const QString& localPaletteCaption, TGIFImage* image, int frameIndex);
    TGlobalChangeAnswer globalChangeAnswer() const;
    void resetGlobalChange();
    void selectTransparentColor();

    QTabWidget* tabPrompts = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
    // page 1
    QLabel* lblFrameSize = nullptr;
    QRadioButton* optTrim = nullptr;
    QRadioButton* optChange = nullptr;
    QCheckBox* chkClipDefault = nullptr;
    // page 2
    TPalettePage* pnlPalettes = nullptr;
    // page 3
    QLineEdit* txtCurrentHeight = nullptr;
    QLineEdit* txtCurrentWidth = nullptr;
    TUpDownEdit* txtHeight = nullptr;
    TUpDownEdit* txtWidth = nullptr;
    TUpDownEdit* txtHeightPercent = nullptr;
    TUpDownEdit* txtWidthPercent = nullptr;
    QCheckBox* chkConstrain = nullptr;
    QLabel* imgChain = nullptr;
    // page 4
    QLabel* lblFrames = nullptr;
    QLabel* lblSize = nullptr;
    QLabel* lblRunningTime = nullptr;
    QLineEdit* txtCurrentLoop = nullptr;
    QRadioButton* optForever = nullptr;
    QRadioButton* optPlayed = nullptr;
    TUpDownEdit* txtPlayed = nullptr;
    // page 5
    QLabel* lblFileName = nullptr;
    QLabel* lblFileSize = nullptr;
    QLabel* lblDimensions = nullptr;
    QLabel* imgPreview = nullptr;
    // page 6
    QLineEdit* txtFileName = nullptr;
    QLineEdit* txtLink = nullptr;
    QLineEdit* txtHint = nullptr;
    TUpDownEdit* txtBorder = nullptr;
    QPlainTextEdit* memHtml = nullptr;
    QPushButton* btnCopy = nullptr;
    // page 7
    TUpDownEdit* txtDelay = nullptr;
    QComboBox* cbDisposal = nullptr;
    QCheckBox* chkTransparent = nullptr;
    QCheckBox* chkInterlaced = nullptr;
    QCheckBox* chkLocalPalette = nullptr;
    QPushButton* btnColorSelect = nullptr;
    QPushButton* btnReset = nullptr;

public slots:
    void accept() override;
    void done(int result) override;

private:
    QWidget* buildFrameSizePage();
    QWidget* buildPalettesPage();
    QWidget* buildResizePage();
    QWidget* buildInformationPage();
    QWidget* buildPropertiesPage();
    QWidget* buildHtmlPage();
    QWidget* buildGlobalChangePage();

    // Resize arithmetic: one cascade per user change.
    enum class TResizeField
    {
        Height,
        Width,
        HeightPercent,
        WidthPercent,
    };
    void resizeFieldChanged(TResizeField field);
    void constrainToggled(bool checked);
    void enterNumberField(TUpDownEdit* field);
    void leaveNumberField(TUpDownEdit* field);
    void generateHtml();
    void copyHtml();
    void transparentToggled(bool checked);

    TPromptPage m_page;
    // page 3
    int m_currentWidth = 0;
    int m_currentHeight = 0;
    bool m_cascading = false;
    // page 7
    TGIFImage* m_image = nullptr;
    int m_frameIndex = -1;
    TColor m_transparentColor = 0;
    int m_transparentIndex = 0;
    bool m_asking = false;
    // page 6
    int m_htmlWidth = 0;
    int m_htmlHeight = 0;
};

// The editing prompts as the program asks them: the frame-size and palette pages of this form,
// run through the message service over the given parent window.
class TDialogPrompts : public IEditPrompts
{
public:
    explicit TDialogPrompts(QWidget* parent = nullptr) : m_parent(parent) {}

    TFitChoice fitFrame(const QString& text, const TBitmap& picture) override;
    int palettePage() override;

private:
    QWidget* m_parent;
};

// Escapes a value for a double-quoted HTML attribute (&, <, >, ").
QString htmlAttributeValue(const QString& value);
// The image tag (and link) of the HTML code page for its field values.
QString htmlImageCode(const QString& fileName, int height, int width, const QString& link,
                      const QString& hint, const QString& border);

// Rounds to the nearest integer, halves to the even neighbour.
int roundHalfEven(double value);
