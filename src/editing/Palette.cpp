#include "editing/Palette.h"

#include "editing/Routines.h"
#include "gif/GIFImage.h"
#include "gif/GIFRender.h"
#include "graphics/Bitmap.h"
#include "platform/MessageService.h"
#include "widgets/DialogParts.h"
#include "widgets/SwatchGrid.h"
#include "widgets/UpDownEdit.h"

#include <QBoxLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>

#include <algorithm>

namespace {

QColor toQColor(TColor color)
{
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

TColor fromQRgb(QRgb rgb)
{
    return rgbColor(uint8_t(qRed(rgb)), uint8_t(qGreen(rgb)), uint8_t(qBlue(rgb)));
}

struct TModeTexts
{
    const char* caption;
    const char* instruction;
};

constexpr TModeTexts kModeTexts[3] = {
    {"Global Palette", "Select a color from the color swatches to edit a global color value"},
    {"Transparent Color", "Select a color from the color swatches or click on the image."},
    {"Change Color Value", "Adjust the Red, Green and Blue color values to change the color"},
};

constexpr int kMargin = 8;

} // namespace

// ---- TPalettePicture -----------------------------------------------------------------------

TPalettePicture::TPalettePicture(QWidget* parent) : QWidget(parent)
{
    setCursor(Qt::CrossCursor);
}

void TPalettePicture::setPicture(const QImage& picture)
{
    m_picture = picture.convertToFormat(QImage::Format_RGB32);
    setFixedSize(m_picture.size() + QSize(2, 2));
    setMarkedColor(m_marked, m_hasMark);
}

void TPalettePicture::setMarkedColor(TColor color, bool marked)
{
    m_marked = color;
    m_hasMark = marked;
    m_shown = m_picture;
    if (marked && !m_shown.isNull()) {
        const QRgb highlight = palette().highlight().color().rgb();
        for (int y = 0; y < m_shown.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(m_shown.scanLine(y));
            for (int x = 0; x < m_shown.width(); ++x)
                if (fromQRgb(line[x]) == color)
                    line[x] = highlight;
        }
    }
    update();
}

void TPalettePicture::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(1, 1, m_shown);
    painter.setPen(palette().windowText().color());
    painter.drawRect(0, 0, width() - 1, height() - 1);
}

void TPalettePicture::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit picked(event->position().toPoint() - QPoint(1, 1));
}

// ---- TfrmPalette ---------------------------------------------------------------------------

TfrmPalette::TfrmPalette(TGIFImage& image, TPaletteMode mode, int frameIndex, QWidget* parent)
    : QDialog(parent), m_image(image), m_mode(mode), m_frameIndex(frameIndex)
{
    setObjectName(QStringLiteral("frmPalette"));
    if (mode != TPaletteMode::ChangeColor)
        m_map = std::make_unique<TCmdColorMap>();
    build();
    if (mode == TPaletteMode::GlobalPalette) {
        if (image.globalColorMap().count() > 0)
            m_map->assign(&image.globalColorMap());
        refreshGrid();
        if (m_map->count() > 0) {
            m_selectedColor = m_map->color(0);
            grdSwatches->setSelected(0);
            setColor(m_selectedColor);
        }
        updateButtons();
    }
}

TfrmPalette::~TfrmPalette() = default;

void TfrmPalette::build()
{
    const TModeTexts& texts = kModeTexts[int(m_mode)];
    setWindowTitle(QString::fromLatin1(texts.caption));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->setSpacing(kMargin);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    lblInstruction = new QLabel(QString::fromLatin1(texts.instruction), this);
    lblInstruction->setObjectName(QStringLiteral("lblInstruction"));
    lblInstruction->setWordWrap(m_mode != TPaletteMode::ChangeColor);
    layout->addWidget(lblInstruction);

    if (m_mode != TPaletteMode::ChangeColor) {
        grdSwatches = new TSwatchGrid(this);
        grdSwatches->setObjectName(QStringLiteral("grdSwatches"));
        connect(grdSwatches, &TSwatchGrid::clicked, this, &TfrmPalette::selectSwatch);
    }
    if (m_mode == TPaletteMode::TransparentColor) {
        auto* row = new QHBoxLayout;
        row->setSpacing(kMargin);
        row->addWidget(grdSwatches, 0, Qt::AlignTop);
        scbPicture = new QScrollArea(this);
        scbPicture->setObjectName(QStringLiteral("scbPicture"));
        scbPicture->setFixedSize(TSwatchGrid::kSide, TSwatchGrid::kSide);
        scbPicture->setAlignment(Qt::AlignCenter);
        imgFrame = new TPalettePicture;
        imgFrame->setObjectName(QStringLiteral("imgFrame"));
        scbPicture->setWidget(imgFrame);
        connect(imgFrame, &TPalettePicture::picked, this, &TfrmPalette::pickPixel);
        row->addWidget(scbPicture, 0, Qt::AlignTop);
        layout->addLayout(row);
    } else if (grdSwatches) {
        layout->addWidget(grdSwatches, 0, Qt::AlignLeft);
    }

    if (m_mode != TPaletteMode::TransparentColor) {
        pnlColor = new QGroupBox(this);
        pnlColor->setObjectName(QStringLiteral("pnlColor"));
        auto* grid = new QGridLayout(pnlColor);
        auto makeField = [this, grid](const QString& caption, const char* name, int column) {
            auto* field = new TUpDownEdit(0, 255, 3, pnlColor);
            field->setObjectName(QString::fromLatin1(name));
            auto* label = new QLabel(caption, pnlColor);
            label->setBuddy(field);
            grid->addWidget(label, 0, column);
            grid->addWidget(field, 1, column);
            connect(field, &TUpDownEdit::entered, this, [this, field] { enterField(field); });
            connect(field, &TUpDownEdit::leaving, this, [this, field] { leaveField(field); });
            connect(field, &TUpDownEdit::stepped, this, [this] { applyColor(); });
            return field;
        };
        txtRed = makeField(QStringLiteral("&Red:"), "txtRed", 0);
        txtGreen = makeField(QStringLiteral("&Green:"), "txtGreen", 1);
        txtBlue = makeField(QStringLiteral("&Blue:"), "txtBlue", 2);
        pnlPreview = new QLabel(pnlColor);
        pnlPreview->setObjectName(QStringLiteral("pnlPreview"));
        pnlPreview->setFrameShape(QFrame::Panel);
        pnlPreview->setFrameShadow(QFrame::Sunken);
        pnlPreview->setAutoFillBackground(true);
        pnlPreview->setMinimumSize(40, 32);
        grid->addWidget(pnlPreview, 0, 3, 2, 1);
        if (m_mode == TPaletteMode::GlobalPalette) {
            btnAdd = new QPushButton(QStringLiteral("&Add"), pnlColor);
            btnAdd->setObjectName(QStringLiteral("btnAdd"));
            btnDelete = new QPushButton(QStringLiteral("&Delete"), pnlColor);
            btnDelete->setObjectName(QStringLiteral("btnDelete"));
            btnAdd->setAutoDefault(false);
            btnDelete->setAutoDefault(false);
            grid->addWidget(btnAdd, 0, 4);
            grid->addWidget(btnDelete, 1, 4);
            connect(btnAdd, &QPushButton::clicked, this, &TfrmPalette::addColor);
            connect(btnDelete, &QPushButton::clicked, this, &TfrmPalette::deleteColor);
        } else {
            pnlColor->setFixedHeight(std::max(72, pnlColor->sizeHint().height()));
        }
        grid->setColumnStretch(3, 1);
        layout->addWidget(pnlColor);
    }
    if (m_mode != TPaletteMode::ChangeColor) {
        bvlSeparator = DialogParts::separator(this);
        bvlSeparator->setObjectName(QStringLiteral("bvlSeparator"));
        layout->addWidget(bvlSeparator);
    }

    const DialogParts::TOkCancelRow row = DialogParts::addOkCancelRow(this, layout);
    btnOK = row.ok;
    btnCancel = row.cancel;

    if (txtRed) {
        setTabOrder(txtRed, txtGreen);
        setTabOrder(txtGreen, txtBlue);
        QWidget* last = txtBlue;
        if (btnAdd) {
            setTabOrder(txtBlue, btnAdd);
            setTabOrder(btnAdd, btnDelete);
            last = btnDelete;
        }
        setTabOrder(last, btnOK);
    }
    setTabOrder(btnOK, btnCancel);
}

void TfrmPalette::presetSelection(int index, TColor color)
{
    m_selectedIndex = index;
    m_selectedColor = color;
}

void TfrmPalette::setColor(TColor color)
{
    m_previewColor = color & 0xFFFFFF;
    if (txtRed) {
        txtRed->setPosition(int(color & 0xFF));
        txtGreen->setPosition(int((color >> 8) & 0xFF));
        txtBlue->setPosition(int((color >> 16) & 0xFF));
    }
    if (pnlPreview) {
        QPalette pal = pnlPreview->palette();
        pal.setColor(QPalette::Window, toQColor(m_previewColor));
        pnlPreview->setPalette(pal);
    }
}

std::vector<TColor> TfrmPalette::colors() const
{
    std::vector<TColor> result;
    if (m_map)
        for (const TGIFColor& entry : m_map->entries())
            result.push_back(entry.value());
    return result;
}

bool TfrmPalette::selectionInMap() const
{
    return m_map && m_selectedIndex >= 0 && m_selectedIndex < m_map->count();
}

void TfrmPalette::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    if (m_mode == TPaletteMode::TransparentColor)
        loadFrame();
}

void TfrmPalette::loadFrame()
{
    try {
        if (!m_image.empty() && m_frameIndex >= 0 && m_frameIndex < m_image.images().count()) {
            TGIFSubImage& frame = *m_image.images().subImage(m_frameIndex);
            // The frame as the engine renders it; the dialog only reads its pixels.
            if (TBitmap* picture = frame.empty() ? nullptr : gifFrameBitmap(frame)) {
                imgFrame->setPicture(picture->toImage());
                imgFrame->adjustSize();
            }
            m_map->assign(frame.colorMap().count() > 0 ? static_cast<TGIFColorMap*>(&frame.colorMap())
                                                       : &m_image.globalColorMap());
            TGIFGraphicControlExtension* control = frame.graphicControlExtension();
            if (control && control->transparent()) {
                m_selectedIndex = control->transparentColorIndex();
                m_selectedColor = control->shownTransparentColor();
            }
        }
    } catch (const std::exception&) {
        imgFrame->setPicture(QImage());
    }
    refreshGrid();
    grdSwatches->setSelected(m_selectedIndex);
    imgFrame->setMarkedColor(m_selectedColor, true);
    setColor(m_selectedColor);
}

void TfrmPalette::refreshGrid()
{
    if (grdSwatches)
        grdSwatches->setColors(colors());
}

void TfrmPalette::updateButtons()
{
    if (!btnAdd || !m_map)
        return;
    btnAdd->setEnabled(m_map->count() < 256);
    btnDelete->setEnabled(m_map->count() > 2);
}

void TfrmPalette::selectSwatch(int index)
{
    if (!m_map)
        return;
    if (index < 0 || index >= m_map->count()) {
        if (btnDelete)
            btnDelete->setEnabled(false);
        return;
    }
    m_selectedIndex = index;
    grdSwatches->setSelected(index);
    m_selectedColor = m_map->color(index);
    setColor(m_selectedColor);
    if (m_mode == TPaletteMode::TransparentColor)
        m_chosen = true;
    updateButtons();
    if (imgFrame)
        imgFrame->setMarkedColor(m_selectedColor, true);
}

void TfrmPalette::pickPixel(QPoint pixel)
{
    const QImage& picture = imgFrame->picture();
    if (!picture.valid(pixel))
        return;
    m_selectedColor = fromQRgb(picture.pixel(pixel));
    m_selectedIndex = m_map ? m_map->indexOf(m_selectedColor) : -1;
    grdSwatches->setSelected(m_selectedIndex);
    m_chosen = true;
    setColor(m_selectedColor);
    imgFrame->setMarkedColor(m_selectedColor, true);
}

bool TfrmPalette::globalEntryRemovable(TGIFImage& image, int entryIndex)
{
    if (entryIndex < 0)
        return false;
    for (int i = 0; i < image.images().count(); ++i) {
        TGIFSubImage& frame = *image.images().subImage(i);
        if (frame.empty() || frame.colorMap().count() > 0)
            continue; // shows its own map
        const uint8_t* pixels = frame.data();
        const int64_t size = frame.dataSize();
        if (pixels && std::any_of(pixels, pixels + size, [entryIndex](uint8_t p) { return p >= entryIndex; }))
            return false;
    }
    return true;
}

void TfrmPalette::addColor()
{
    if (!m_map || m_map->count() >= 256)
        return;
    m_selectedIndex = m_map->add(clWhite);
    m_selectedColor = clWhite;
    refreshGrid();
    grdSwatches->setSelected(m_selectedIndex);
    setColor(clWhite);
    m_chosen = true;
    updateButtons();
}

void TfrmPalette::deleteColor()
{
    if (!m_map || m_map->count() <= 2)
        return;
    if (!selectionInMap() || !globalEntryRemovable(m_image, m_selectedIndex)) {
        messageDlg(QString::fromLatin1(kColorRequiredMessage), TMsgType::Information, TMsgButtons::Ok);
    } else {
        m_map->deleteAt(m_selectedIndex);
        m_selectedIndex = std::max(0, m_selectedIndex - 1);
        m_selectedColor = m_map->color(m_selectedIndex);
        refreshGrid();
        grdSwatches->setSelected(m_selectedIndex);
        setColor(m_selectedColor);
        m_chosen = true;
    }
    updateButtons();
}

void TfrmPalette::enterField(TUpDownEdit* field)
{
    field->lineEdit()->setProperty("tag", field->number(0));
}

void TfrmPalette::leaveField(TUpDownEdit* field)
{
    if (m_checking)
        return;
    // The messages below take the focus; the field must not be checked again meanwhile.
    m_checking = true;
    const int remembered = field->lineEdit()->property("tag").toInt();
    if (validateIntegerField(*field->lineEdit(), true)) {
        const int value = field->number(remembered);
        if (value >= 256) {
            messageDlg(QStringLiteral("'%1' is not within the 0-255 range.").arg(field->text()),
                       TMsgType::Error, TMsgButtons::Ok);
            field->setPosition(remembered);
        } else if (value != remembered) {
            field->setPosition(value);
            applyColor();
        }
    }
    m_checking = false;
}

bool TfrmPalette::fieldsValid()
{
    for (TUpDownEdit* field : {txtRed, txtGreen, txtBlue}) {
        const QString digits = field->text().trimmed();
        if (digits.isEmpty() || field->number(256) > 255) {
            field->setFocus();
            leaveField(field);
            return false;
        }
    }
    return true;
}

TColor TfrmPalette::fieldColor() const
{
    auto part = [](const TUpDownEdit* field) {
        return uint8_t(std::clamp(field->number(0), 0, 255));
    };
    return rgbColor(part(txtRed), part(txtGreen), part(txtBlue));
}

void TfrmPalette::applyColor()
{
    if (!txtRed)
        return;
    const TColor color = fieldColor();
    setColor(color);
    m_chosen = true;
    if (selectionInMap() && m_map->color(m_selectedIndex) != color) {
        m_map->setColor(m_selectedIndex, color);
        m_selectedColor = color;
        refreshGrid();
    }
}

void TfrmPalette::accept()
{
    if (m_mode == TPaletteMode::ChangeColor) {
        // A value typed without leaving its field still counts.
        if (!fieldsValid())
            return;
        applyColor();
    }
    QDialog::accept();
}
