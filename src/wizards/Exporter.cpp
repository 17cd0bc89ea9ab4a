#include "wizards/Exporter.h"

#include "editing/HtmlCode.h"
#include "editing/Routines.h"
#include "gif/ColorReduction.h"
#include "gif/GIFImage.h"
#include "graphics/Bitmap.h"
#include "graphics/Canvas.h"
#include "graphics/Exceptions.h"
#include "graphics/Streams.h"
#include "platform/MessageService.h"
#include "widgets/DialogParts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

extern "C" {
#include <jpeglib.h>
}

// ---- JPEG ------------------------------------------------------------------------------------

int jpegQualityForPosition(int position)
{
    static const int qualities[5] = {100, 75, 50, 25, 1};
    return qualities[std::clamp(position, 0, 4)];
}

namespace {

struct TJpegError
{
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void jpegErrorExit(j_common_ptr info)
{
    // libjpeg cannot go on after an error; the encoder unwinds to writeJpegFile's setjmp.
    std::longjmp(reinterpret_cast<TJpegError*>(info->err)->jump, 1);
}

void jpegSilence(j_common_ptr, int) {}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

// Runs the encoder; kept free of C++ objects with destructors because of the longjmp.
bool encodeJpeg(const QImage& rgb, const TJpegOptions& options, unsigned char** buffer, unsigned long* size)
{
    jpeg_compress_struct info;
    TJpegError error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = jpegErrorExit;
    error.manager.emit_message = jpegSilence;
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, buffer, size);
    info.image_width = JDIMENSION(rgb.width());
    info.image_height = JDIMENSION(rgb.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    if (options.grayscale)
        jpeg_set_colorspace(&info, JCS_GRAYSCALE);
    jpeg_set_quality(&info, std::clamp(options.quality, 1, 100), TRUE);
    info.dct_method = options.bestSpeed ? JDCT_IFAST : JDCT_ISLOW;
    if (options.progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.constScanLine(int(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

} // namespace

bool writeJpegFile(const QImage& picture, const QString& path, const TJpegOptions& options)
{
    if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0)
        return false;
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    const bool encoded = encodeJpeg(rgb, options, &buffer, &size);
    QByteArray bytes;
    if (encoded && buffer)
        bytes = QByteArray(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return encoded && !bytes.isEmpty() && writeBytes(path, bytes);
}

// ---- single images ---------------------------------------------------------------------------

QString singleImagePath(const QString& chosenPath, int frameIndex)
{
    const int nameStart = chosenPath.lastIndexOf(u'/') + 1;
    const int at = std::max(nameStart, int(chosenPath.size()) - 4);
    QString path = chosenPath;
    path.insert(at, QStringLiteral("GA1") + QString::number(frameIndex));
    return path;
}

std::unique_ptr<TBitmap> exportPlaceholderBitmap()
{
    auto bitmap = std::make_unique<TBitmap>(125, 50, pfDevice);
    TCanvas& canvas = bitmap->canvas();
    canvas.fillRect(QRect(0, 0, 125, 50));
    canvas.textOut(5, 5, QStringLiteral("Error Writing Image"));
    canvas.textOut(5, 20, QStringLiteral("Output by Brightwell"));
    canvas.textOut(5, 35, QStringLiteral("GIF Reelwright"));
    return bitmap;
}

namespace {

QRadioButton* radio(const QString& name, const QString& caption, QWidget* parent)
{
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(name);
    return button;
}

QCheckBox* check(const QString& name, const QString& caption, QWidget* parent)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

bool writeGraphic(TGraphic& graphic, const QString& path)
{
    TMemoryStream stream;
    graphic.saveToStream(stream);
    return writeBytes(path, stream.data());
}

} // namespace

TfrmExporter::TfrmExporter(TEditSession& session, TGIFImage& image, const QStringList& entries, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), m_session(session), m_image(image)
{
    setObjectName(QStringLiteral("frmExporter"));
    setWindowTitle(QStringLiteral("Export Images"));
    auto* main = new QVBoxLayout(this);

    Label1 = new QLabel(
        QStringLiteral("To export any or all the frames as individual image files simply select the "
                       "from the list and choose the image format options, then press OK."),
        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    main->addWidget(Label1);

    auto* top = new QHBoxLayout;
    main->addLayout(top);
    lbExport = new QListWidget(this);
    lbExport->setObjectName(QStringLiteral("lbExport"));
    lbExport->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbExport->addItems(entries);
    top->addWidget(lbExport, 1);
    sbPreview = new QScrollArea(this);
    sbPreview->setObjectName(QStringLiteral("sbPreview"));
    imgPreview = new QLabel;
    imgPreview->setObjectName(QStringLiteral("imgPreview"));
    imgPreview->setMargin(0);
    sbPreview->setWidget(imgPreview);
    sbPreview->setWidgetResizable(false);
    sbPreview->setMinimumSize(200, 160);
    top->addWidget(sbPreview, 2);
    connect(lbExport, &QListWidget::itemClicked, this, &TfrmExporter::lbExportClick);
    connect(lbExport, &QListWidget::currentRowChanged, this, &TfrmExporter::lbExportClick);

    auto* options = new QHBoxLayout;
    main->addLayout(options);
    auto* formatBox = new QGroupBox(QStringLiteral("Format"), this);
    auto* formatLayout = new QVBoxLayout(formatBox);
    optGIF = radio(QStringLiteral("optGIF"), QStringLiteral("&Gif Image (*.gif)"), formatBox);
    optJpeg = radio(QStringLiteral("optJpeg"), QStringLiteral("&Jpeg Image (*.jpg)"), formatBox);
    optBitmap = radio(QStringLiteral("optBitmap"), QStringLiteral("&Bitmap Image (*.bmp)"), formatBox);
    m_formats = new QButtonGroup(this);
    int tag = 0;
    for (QRadioButton* button : {optGIF, optJpeg, optBitmap}) {
        formatLayout->addWidget(button);
        m_formats->addButton(button, tag++);
    }
    optGIF->setChecked(true);
    options->addWidget(formatBox);
    connect(m_formats, &QButtonGroup::idClicked, this, &TfrmExporter::formatClicked);

    // GIF options.
    pnlGIF = new QGroupBox(QStringLiteral("Color Palette"), this);
    pnlGIF->setObjectName(QStringLiteral("pnlGIF"));
    auto* gifLayout = new QVBoxLayout(pnlGIF);
    optGIFNetscape =
        radio(QStringLiteral("optGIFNetscape"), QStringLiteral("&Netscape (216 colors)"), pnlGIF);
    optGIFGray = radio(QStringLiteral("optGIFGray"), QStringLiteral("G&rayscale (255 shades)"), pnlGIF);
    optGIFMonochrome =
        radio(QStringLiteral("optGIFMonochrome"), QStringLiteral("&Monochrome (b&&w)"), pnlGIF);
    optGIFWindows = radio(QStringLiteral("optGIFWindows"), QStringLiteral("&Windows"), pnlGIF);
    cbGIFColors = new QComboBox(pnlGIF);
    cbGIFColors->setObjectName(QStringLiteral("cbGIFColors"));
    cbGIFColors->addItems({QStringLiteral("256"), QStringLiteral("128"), QStringLiteral("64"),
                           QStringLiteral("32"), QStringLiteral("16"), QStringLiteral("8")});
    cbGIFColors->setCurrentIndex(0);
    optGIFWinSys20 =
        radio(QStringLiteral("optGIFWinSys20"), QStringLiteral("Windows &System (20 colors)"), pnlGIF);
    m_palettes = new QButtonGroup(this);
    tag = 0;
    for (QRadioButton* button : {optGIFNetscape, optGIFGray, optGIFMonochrome, optGIFWindows, optGIFWinSys20})
        m_palettes->addButton(button, tag++);
    gifLayout->addWidget(optGIFNetscape);
    gifLayout->addWidget(optGIFGray);
    gifLayout->addWidget(optGIFMonochrome);
    auto* windows = new QHBoxLayout;
    windows->addWidget(optGIFWindows);
    windows->addWidget(cbGIFColors);
    windows->addWidget(new QLabel(QStringLiteral("(colors)"), pnlGIF));
    gifLayout->addLayout(windows);
    gifLayout->addWidget(optGIFWinSys20);
    chkGIFOptimized = check(QStringLiteral("chkGIFOptimized"), QStringLiteral("&Optimized"), pnlGIF);
    chkGIFOptimized->setChecked(true);
    gifLayout->addWidget(chkGIFOptimized);
    optGIFNetscape->setChecked(true);
    connect(m_palettes, &QButtonGroup::idClicked, this, [this](int id) { m_paletteTag = id; });
    options->addWidget(pnlGIF);

    // JPEG options.
    pnlJPEG = new QWidget(this);
    pnlJPEG->setObjectName(QStringLiteral("pnlJPEG"));
    auto* jpegLayout = new QHBoxLayout(pnlJPEG);
    auto* qualityBox = new QVBoxLayout;
    trackbar = new QSlider(Qt::Vertical, pnlJPEG);
    trackbar->setObjectName(QStringLiteral("trackbar"));
    trackbar->setRange(0, 4);
    trackbar->setValue(2);
    trackbar->setInvertedAppearance(true); // "Excellent" (0) at the top
    trackbar->setTickPosition(QSlider::TicksRight);
    auto* qualityLabel = new QLabel(QStringLiteral("&Compresson Quality"), pnlJPEG);
    qualityLabel->setBuddy(trackbar);
    qualityBox->addWidget(qualityLabel);
    qualityBox->addWidget(new QLabel(QStringLiteral("Excellent"), pnlJPEG));
    qualityBox->addWidget(trackbar, 1);
    qualityBox->addWidget(new QLabel(QStringLiteral("Poor"), pnlJPEG));
    jpegLayout->addLayout(qualityBox);
    auto* jpegRight = new QVBoxLayout;
    auto* performance = new QGroupBox(QStringLiteral("Performance"), pnlJPEG);
    auto* performanceLayout = new QVBoxLayout(performance);
    optJBestQuality = radio(QStringLiteral("optJBestQuality"), QStringLiteral("Best &Quality"), performance);
    optJSpdQuality = radio(QStringLiteral("optJSpdQuality"), QStringLiteral("Best &Speed"), performance);
    optJBestQuality->setChecked(true);
    performanceLayout->addWidget(optJBestQuality);
    performanceLayout->addWidget(optJSpdQuality);
    jpegRight->addWidget(performance);
    auto* display = new QGroupBox(QStringLiteral("Display"), pnlJPEG);
    auto* displayLayout = new QVBoxLayout(display);
    chkJGrayscale = check(QStringLiteral("chkJGrayscale"), QStringLiteral("G&rayscale"), display);
    chkJProgress = check(QStringLiteral("chkJProgress"), QStringLiteral("&Progressive Display"), display);
    chkJSmooth = check(QStringLiteral("chkJSmooth"), QStringLiteral("S&moothing"), display);
    chkJSmooth->setEnabled(false);
    displayLayout->addWidget(chkJGrayscale);
    displayLayout->addWidget(chkJProgress);
    displayLayout->addWidget(chkJSmooth);
    jpegRight->addWidget(display);
    jpegLayout->addLayout(jpegRight);
    connect(chkJProgress, &QCheckBox::toggled, this, [this](bool checked) {
        if (!checked)
            chkJSmooth->setChecked(false);
        chkJSmooth->setEnabled(checked);
    });
    pnlJPEG->hide();
    options->addWidget(pnlJPEG);

    // Bitmap options.
    pnlBitmap = new QWidget(this);
    pnlBitmap->setObjectName(QStringLiteral("pnlBitmap"));
    auto* bitmapLayout = new QVBoxLayout(pnlBitmap);
    chkBMono = check(QStringLiteral("chkBMono"), QStringLiteral("&Monochrome (b&&w)"), pnlBitmap);
    bitmapLayout->addWidget(chkBMono);
    bitmapLayout->addStretch();
    pnlBitmap->hide();
    options->addWidget(pnlBitmap);

    Progress = new QProgressBar(this);
    Progress->setObjectName(QStringLiteral("Progress"));
    Progress->hide();
    main->addWidget(Progress);

    const DialogParts::TOkCancelRow row = DialogParts::addOkCancelRow(this, main);
    btnOK = row.ok;
    btnCancel = row.cancel;

    adjustSize();
    setFixedSize(sizeHint());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

TfrmExporter::~TfrmExporter() = default;

void TfrmExporter::formatClicked()
{
    const int format = m_formats->checkedId();
    pnlGIF->setVisible(format == 0);
    pnlJPEG->setVisible(format == 1);
    pnlBitmap->setVisible(format == 2);
}

void TfrmExporter::lbExportClick()
{
    const int row = lbExport->currentRow();
    if (row < 0)
        return;
    suspendDrawing(*sbPreview, true);
    try {
        if (row < m_image.images().count()) {
            TGIFSubImage& frame = *m_image.images().subImage(row);
            if (!frame.empty())
                if (std::unique_ptr<TBitmap> picture = m_session.framePicture(frame))
                    imgPreview->setPixmap(QPixmap::fromImage(picture->toImage()));
        }
    } catch (const std::exception&) {
        // A preview that cannot be drawn leaves the previous one.
    }
    imgPreview->adjustSize();
    suspendDrawing(*sbPreview, false);
    sbPreview->horizontalScrollBar()->setValue(0);
    sbPreview->verticalScrollBar()->setValue(0);
    centerInScrollBox(*sbPreview, *imgPreview);
}

void TfrmExporter::done(int result)
{
    if (result == QDialog::Accepted && !formCloseQuery())
        return;
    QDialog::done(result);
}

bool TfrmExporter::formCloseQuery()
{
    QList<int> rows;
    for (int i = 0; i < lbExport->count(); ++i)
        if (lbExport->item(i)->isSelected())
            rows.append(i);
    if (rows.isEmpty())
        return true;

    const int format = optJpeg->isChecked() ? 1 : optBitmap->isChecked() ? 2 : 0;
    static const char* const filters[3] = {"GIF Images|*.gif", "Jpg Images|*.jpg", "Bitmap Images|*.bmp"};
    static const char* const suffixes[3] = {"gif", "jpg", "bmp"};
    TFileDialogRequest request;
    request.filter = QString::fromLatin1(filters[format]);
    request.defaultSuffix = QString::fromLatin1(suffixes[format]);
    const TFileDialogResult chosen = messageService().saveFile(request);
    if (!chosen.accepted || chosen.files.isEmpty())
        return false;
    const QString path = chosen.files.first();

    TWaitCursor wait;
    Progress->setRange(0, int(rows.size()));
    Progress->setValue(0);
    Progress->show();

    static const uint8_t reductions[5] = {rmNetscape, rmGrayScale, rmMonochrome, rmQuantize, rmWindows20};
    const uint8_t reduction = reductions[std::clamp(m_paletteTag, 0, 4)];
    const int reductionBits = 8 - std::max(cbGIFColors->currentIndex(), 0);
    TJpegOptions jpeg;
    jpeg.quality = jpegQualityForPosition(trackbar->value());
    jpeg.grayscale = chkJGrayscale->isChecked();
    jpeg.bestSpeed = !optJBestQuality->isChecked();
    // Smoothing only matters to a viewer showing a progressive file as it arrives; nothing of it
    // goes into the encoded file.
    jpeg.progressive = chkJProgress->isChecked();

    bool failed = false;
    for (const int index : rows) {
        Progress->setValue(Progress->value() + 1);
        std::unique_ptr<TBitmap> picture;
        if (index >= m_image.images().count()) {
            picture = exportPlaceholderBitmap();
            failed = true;
        } else {
            TGIFSubImage& frame = *m_image.images().subImage(index);
            if (!frame.empty()) {
                try {
                    picture = m_session.framePicture(frame);
                } catch (const std::exception&) {
                    failed = true;
                    break;
                }
            }
            if (!picture)
                picture = exportPlaceholderBitmap();
        }
        const QString name = singleImagePath(path, index);
        bool written = false;
        try {
            if (format == 0) {
                TGIFImage gif;
                gif.onWarning = [](TObject*, int, const QString&) {
                };
                gif.setColorReduction(reduction);
                if (reduction == rmQuantize)
                    gif.setReductionBits(reductionBits);
                // True colour first, so the chosen palette applies to every picture (an 8-bit
                // picture would otherwise keep its own colours).
                TBitmap trueColor;
                trueColor.assign(picture.get());
                trueColor.setPixelFormat(pf24bit);
                gif.add(&trueColor);
                if (chkGIFOptimized->isChecked())
                    gif.optimizeColorMaps();
                written = writeGraphic(gif, name);
            } else if (format == 1) {
                written = writeJpegFile(picture->toImage(), name, jpeg);
            } else {
                TBitmap output;
                output.assign(picture.get());
                if (chkBMono->isChecked())
                    output.setMonochrome(true);
                written = writeGraphic(output, name);
            }
        } catch (const std::exception&) {
            written = false;
        }
        // A file that could not be written is reported with the rest at the end, not lost quietly.
        failed = failed || !written;
    }
    Progress->hide();
    if (failed)
        messageDlg(QString::fromLatin1(kExportErrorMessage), TMsgType::Information, TMsgButtons::Ok);
    return true;
}

void exportSingleImagesCommand(IExportHost& host, const QStringList& entries)
{
    TGIFImage* image = host.activeImage();
    if (!image)
        return;
    std::unique_ptr<TfrmExporter> form;
    {
        TWaitCursor wait;
        form = std::make_unique<TfrmExporter>(host.session(), *image, entries);
    }
    execDialog(*form);
}

// ---- HTML page -------------------------------------------------------------------------------

void exportHTMLPageCommand(IExportHost& host)
{
    TGIFImage* image = host.activeImage();
    if (!image)
        return;
    if (!QFileInfo::exists(host.activeFileName())) {
        if (messageDlg(QStringLiteral("Would you like to save the current document before proceeding?"),
                       TMsgType::Confirmation, TMsgButtons::YesNoCancel) != TMsgResult::Yes)
            return;
        host.saveActiveDocument();
        if (!QFileInfo::exists(host.activeFileName()))
            return;
        image = host.activeImage();
        if (!image)
            return;
    }
    const QFileInfo document(host.activeFileName());
    TFileDialogRequest request;
    request.initialDir = document.path();
    request.fileName =
        document.completeBaseName().isEmpty() ? document.fileName() : document.completeBaseName();
    request.filter = QStringLiteral("HTML Files|*.htm;*.html");
    request.defaultSuffix = QStringLiteral("html");
    const TFileDialogResult chosen = messageService().saveFile(request);
    if (!chosen.accepted || chosen.files.isEmpty())
        return;

    const QString page = htmlPagePath(chosen.files.first());
    const QByteArray text = htmlPageText(document.fileName(), image->height(), image->width()).toUtf8();
    QSaveFile file(page);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        messageDlg(QStringLiteral("Cannot create file \"%1\". %2").arg(page, file.errorString()),
                   TMsgType::Error, TMsgButtons::Ok);
        return;
    }
    if (messageDlg(QStringLiteral("Would you like to view the HTML page in the default brower now?"),
                   TMsgType::Confirmation, TMsgButtons::YesNoCancel) == TMsgResult::Yes)
        host.session().openDocumentOrLink(page);
}
