#pragma once
// The properties page of a file in the image browser: file name, size, dimensions and the
// picture at its own size. Stands in for the prompt dialogs' page until they offer it, through
// the same request.
#include "wizards/ThumbViewer.h"

#include <QDialog>

class QLabel;

class TfrmImageProperties : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmImageProperties(const TImagePropertiesRequest& request, QWidget* parent = nullptr);

    QLabel* fileNameLabel() const { return m_fileName; }
    QLabel* fileSizeLabel() const { return m_fileSize; }
    QLabel* dimensionsLabel() const { return m_dimensions; }
    QLabel* pictureLabel() const { return m_picture; }

private:
    QLabel* m_fileName = nullptr;
    QLabel* m_fileSize = nullptr;
    QLabel* m_dimensions = nullptr;
    QLabel* m_picture = nullptr;
};
