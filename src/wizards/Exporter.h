#pragma once
// Taking an animation out of the editor other than as a GIF file: chosen frames as separate GIF,
// JPEG or bitmap files through the "Export Images" dialog, and a small HTML page showing the saved
// animation. The commands reach the main window through IExportHost. GUI thread.
#include <QDialog>
#include <QImage>
#include <QString>
#include <QStringList>

#include <memory>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QSlider;
class QWidget;
class TBitmap;
class TEditSession;
class TGIFImage;

// ---- JPEG ------------------------------------------------------------------------------------

struct TJpegOptions
{
    int quality = 50; // 1 ... 100
    bool grayscale = false;
    bool bestSpeed = false; // the fast integer transform instead of the accurate one
    bool progressive = false;
};

// The compression quality for a position of the quality track bar (0 = "Excellent" ... 4 = "Poor").
int jpegQualityForPosition(int position);
// Encodes the picture with libjpeg into path (replaced only when complete). False on any failure.
bool writeJpegFile(const QImage& picture, const QString& path, const TJpegOptions& options);

// ---- single images ---------------------------------------------------------------------------

// The name of frame index's file: "GA1" and the index inserted before the last four characters of
// the chosen name's file-name part (walk.gif -> walkGA10.gif). Only the file-name part is cut, so
// a short name never reaches into its folder.
QString singleImagePath(const QString& chosenPath, int frameIndex);
// What is written for a frame that has no picture: 125 x 50, three lines of text.
std::unique_ptr<TBitmap> exportPlaceholderBitmap();

inline constexpr const char* kExportErrorMessage = "An error occurred exporting one or more images.";

// What the export commands need of the main window.
class IExportHost
{
public:
    virtual ~IExportHost() = default;
    // The active document's animation and file name; null / empty without a document.
    virtual TGIFImage* activeImage() = 0;
    virtual QString activeFileName() = 0;
    // The Save command on the active document; true when it saved.
    virtual bool saveActiveDocument() = 0;
    // Renders frame pictures and opens the written page.
    virtual TEditSession& session() = 0;
};

class TfrmExporter : public QDialog
{
    Q_OBJECT
public:
    // entries: one line per frame of the strip ("Frame - 0", ...).
    // The session renders the frame pictures.
    TfrmExporter(TEditSession& session, TGIFImage& image, const QStringList& entries, QWidget* parent = nullptr);
    ~TfrmExporter() override;

    // The remembered GIF palette choice: the tag of the last clicked palette button.
    int paletteTag() const { return m_paletteTag; }

    QLabel* Label1;
    QListWidget* lbExport;
    QScrollArea* sbPreview;
    QLabel* imgPreview;
    QRadioButton* optGIF;
    QRadioButton* optJpeg;
    QRadioButton* optBitmap;
    QWidget* pnlGIF;
    QRadioButton* optGIFNetscape;
    QRadioButton* optGIFGray;
    QRadioButton* optGIFMonochrome;
    QRadioButton* optGIFWindows;
    QComboBox* cbGIFColors;
    QRadioButton* optGIFWinSys20;
    QCheckBox* chkGIFOptimized;
    QWidget* pnlJPEG;
    QSlider* trackbar;
    QRadioButton* optJBestQuality;
    QRadioButton* optJSpdQuality;
    QCheckBox* chkJGrayscale;
    QCheckBox* chkJProgress;
    QCheckBox* chkJSmooth;
    QWidget* pnlBitmap;
    QCheckBox* chkBMono;
    QProgressBar* Progress;
    QPushButton* btnOK;
    QPushButton* btnCancel;

public slots:
    // Closing with OK runs the export first; a cancelled save dialog keeps the form open.
    void done(int result) override;

private:
    void lbExportClick();
    void formatClicked();
    // The export on closing with OK; false keeps the form open.
    bool formCloseQuery();

    TEditSession& m_session;
    TGIFImage& m_image;
    QButtonGroup* m_formats;
    QButtonGroup* m_palettes;
    int m_paletteTag = 0;
};

// "&Single Images...": the dialog over the active document's frames.
void exportSingleImagesCommand(IExportHost& host, const QStringList& entries);

// "As &HTML Page...": the page beside the saved animation, then the offer to view it.
void exportHTMLPageCommand(IExportHost& host);
