#include "widgets/OpenDialogPreview.h"

#include "gif/GIFImage.h"
#include "graphics/Bitmap.h"
#include "graphics/Streams.h"
#include "platform/ImagingControl.h"
#include "platform/ImagingDib.h"
#include "platform/Settings.h"
#include "platform/UserTexts.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QScrollArea>
#include <QSplitter>
#include <QVBoxLayout>

#include <numeric>
#include <utility>

namespace {

// Hourglass for the load; restored on every path.
class TBusyCursor
{
public:
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

} // namespace

QImage previewPicture(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    try {
        if (suffix == QLatin1String("gif")) {
            TGIFImage image;
            TFileStream stream(path, TFileStream::OpenRead);
            image.loadFromStream(stream);
            const std::shared_ptr<TBitmap>& first = image.bitmap();
            return first ? first->toImage() : QImage();
        }
    } catch (const std::exception&) {
        return {};
    }
    if (suffix == QLatin1String("bmp"))
        return QImage(path, "BMP");
    TImagingControl control;
    control.setFileName(path);
    QImage picture;
    if (control.errorCode() == imgOk)
        picture = QImage::fromData(dibToBitmapFile(control.takeDib()), "BMP");
    control.release();
    return picture;
}

TOpenDialogPreview::TOpenDialogPreview(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("pnlPreview"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 0, 0);
    m_scrollBox = new QScrollArea(this);
    m_scrollBox->setObjectName(QStringLiteral("sbxPreview"));
    m_scrollBox->setAlignment(Qt::AlignCenter);
    m_pictureLabel = new QLabel;
    m_pictureLabel->setObjectName(QStringLiteral("imgPreview"));
    m_scrollBox->setWidget(m_pictureLabel);
    m_dimensions = new QLabel(this);
    m_dimensions->setObjectName(QStringLiteral("lblDimensions"));
    m_dimensions->setTextFormat(Qt::PlainText);
    layout->addWidget(m_scrollBox, 1);
    layout->addWidget(m_dimensions);
    setMinimumWidth(120);
    clearPicture();
}

void TOpenDialogPreview::clearPicture()
{
    m_picture = QImage();
    m_pictureLabel->clear();
    m_pictureLabel->resize(1, 1);
    m_dimensions->clear();
}

void TOpenDialogPreview::showFile(const QString& path)
{
    clearPicture();
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    {
        TBusyCursor busy;
        m_picture = previewPicture(path);
    }
    if (m_picture.isNull()) {
        m_dimensions->setText(QString::fromLatin1(kPreviewLoadFailed));
        return;
    }
    m_pictureLabel->setPixmap(QPixmap::fromImage(m_picture));
    m_pictureLabel->resize(m_picture.size());
    m_dimensions->setText(
        QStringLiteral("Dimensions: (%1 x %2)").arg(m_picture.height()).arg(m_picture.width()));
}

void TOpenDialogPreview::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The splitter has its laid-out sizes only now. The stored position is where the pane
    // begins: the file list ends there.
    auto* splitter = qobject_cast<QSplitter*>(parentWidget());
    const int stored = std::exchange(m_pendingPosition, 0);
    if (!splitter || stored <= 0)
        return;
    QList<int> sizes = splitter->sizes();
    const int count = int(sizes.size());
    const int total = std::accumulate(sizes.begin(), sizes.end(), 0);
    if (count < 2)
        return;
    const int before = std::accumulate(sizes.begin(), sizes.end() - 2, 0);
    if (stored > before && stored < total) {
        sizes[count - 2] = stored - before;
        sizes[count - 1] = total - stored;
        splitter->setSizes(sizes);
    }
}

QString TOpenDialogPreview::dimensionsText() const
{
    return m_dimensions->text();
}

TOpenDialogPreview* addOpenDialogPreview(QFileDialog& dialog)
{
    if (Settings::readInteger(SettingKeys::NoOpenDlgPreview) == 1)
        return nullptr;
    // Only Qt's own dialog can hold a pane of ours.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    auto* splitter = dialog.findChild<QSplitter*>(QStringLiteral("splitter"));
    if (!splitter)
        return nullptr;
    auto* preview = new TOpenDialogPreview(splitter);
    splitter->addWidget(preview);
    preview->m_pendingPosition = Settings::readInteger(SettingKeys::SplitterPreviewPos);
    QObject::connect(&dialog, &QFileDialog::currentChanged, preview,
                     [preview](const QString& path) { preview->showFile(path); });
    QObject::connect(&dialog, &QDialog::finished, preview, [preview, splitter] {
        const QList<int> sizes = splitter->sizes();
        const int position = std::accumulate(sizes.begin(), sizes.end() - 1, 0);
        Settings::writeInteger(SettingKeys::SplitterPreviewPos, position);
        preview->showFile(QString());
    });
    return preview;
}
