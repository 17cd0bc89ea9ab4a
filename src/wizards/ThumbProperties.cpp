#include "wizards/ThumbProperties.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPixmap>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QLabel* plainLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

TfrmImageProperties::TfrmImageProperties(const TImagePropertiesRequest& request, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPrompts"));
    setWindowTitle(QStringLiteral("Image Properties"));
    auto* layout = new QVBoxLayout(this);
    auto* tabs = new QTabWidget(this);
    auto* page = new QWidget(tabs);
    auto* form = new QFormLayout(page);
    m_fileName = plainLabel(request.fileName, page);
    m_fileSize = plainLabel(request.fileSize, page);
    m_dimensions = plainLabel(request.dimensions, page);
    form->addRow(QStringLiteral("Filename:"), m_fileName);
    form->addRow(QStringLiteral("File Size:"), m_fileSize);
    form->addRow(QStringLiteral("Dimensions:"), m_dimensions);
    auto* scroll = new QScrollArea(page);
    scroll->setAlignment(Qt::AlignCenter);
    m_picture = new QLabel(scroll);
    if (!request.picture.isNull())
        m_picture->setPixmap(QPixmap::fromImage(request.picture));
    m_picture->adjustSize();
    scroll->setWidget(m_picture);
    scroll->setMinimumSize(240, 180);
    form->addRow(scroll);
    tabs->addTab(page, QStringLiteral("Properties"));
    layout->addWidget(tabs);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}
