#pragma once
// The preview pane of the open dialog: beside the file list it shows the selected picture (the
// first frame of a GIF, other types through the imaging control) with a line giving its size.
// The pane goes into Qt's own file dialog, beside the file list in the dialog's splitter, whose
// position is kept under "FormPos\OpenDialog" "SplitterPreviewPos". With "NoOpenDlgPreview" 1
// the dialog has no pane.
#include <QImage>
#include <QWidget>

class QFileDialog;
class QLabel;
class QScrollArea;

class TOpenDialogPreview;
TOpenDialogPreview* addOpenDialogPreview(QFileDialog& dialog);

class TOpenDialogPreview : public QWidget
{
    Q_OBJECT
public:
    explicit TOpenDialogPreview(QWidget* parent = nullptr);

    // Shows the file's picture; an empty name or a folder shows nothing. With the hourglass cursor.
    void showFile(const QString& path);
    // The size line: empty, "Dimensions: (height x width)" or "Unabled to load image.".
    QString dimensionsText() const;
    QImage picture() const { return m_picture; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    friend TOpenDialogPreview* addOpenDialogPreview(QFileDialog& dialog);
    void clearPicture();

    int m_pendingPosition = 0; // the stored splitter position, applied when first shown
    QScrollArea* m_scrollBox = nullptr;
    QLabel* m_pictureLabel = nullptr;
    QLabel* m_dimensions = nullptr;
    QImage m_picture;
};

// The picture of a file as the preview shows it; null when it cannot be read. Never shows a box.
QImage previewPicture(const QString& path);

// Adds the pane to a file dialog that is about to be shown (unless "NoOpenDlgPreview" is 1),
// restores its splitter position and stores it when the dialog closes. Returns the pane or null.
TOpenDialogPreview* addOpenDialogPreview(QFileDialog& dialog);
