#include "editing/Prompts.h"

#include "editing/Palette.h"
#include "editing/Routines.h"
#include "gif/GIFImage.h"
#include "platform/MessageService.h"
#include "platform/Settings.h"
#include "widgets/DialogParts.h"
#include "widgets/UpDownEdit.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <cmath>

namespace {

using DialogParts::buddyLabel;
using DialogParts::heading;

struct TPageTexts
{
    const char* caption;
    const char* tab;
};

constexpr TPageTexts kPageTexts[7] = {
    {"Frame Size Difference", "Frame Size"}, {"Palettes", "Palettes"},
    {"Resize Animation", "Resize"},          {"Animation Information", "Animation"},
    {"Image Properties", "Properties"},      {"HTML Tag", "HTML"},
    {"Global Change", "Properties"},
};

constexpr int kColorCounts[6] = {256, 128, 64, 32, 16, 8};

void fillColorCounts(QComboBox& list)
{
    for (int count : kColorCounts)
        list.addItem(QString::number(count), count);
}

void selectColorCount(QComboBox& list, int count)
{
    const int index = list.findData(count);
    list.setCurrentIndex(index >= 0 ? index : 0); // a value not in the list shows 256
}

// Two chain links: shown beside the size fields while their proportions are kept.
QPixmap chainPicture(qreal scale)
{
    QPixmap picture(QSize(16, 32) * scale);
    picture.setDevicePixelRatio(scale);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(80, 80, 80), 2));
    painter.drawRoundedRect(QRectF(4, 3, 8, 14), 4, 4);
    painter.drawRoundedRect(QRectF(4, 15, 8, 14), 4, 4);
    return picture;
}

} // namespace

int roundHalfEven(double value)
{
    const double rounded = std::nearbyint(value); // the default rounding mode sends halves to even
    if (!(rounded > -2147483647.0))
        return -2147483647;
    if (!(rounded < 2147483647.0))
        return 2147483647;
    return int(rounded);
}

QString htmlAttributeValue(const QString& value)
{
    QString result;
    result.reserve(value.size());
    for (QChar c : value) {
        switch (c.unicode()) {
        case '&':
            result += QLatin1String("&amp;");
            break;
        case '<':
            result += QLatin1String("&lt;");
            break;
        case '>':
            result += QLatin1String("&gt;");
            break;
        case '"':
            result += QLatin1String("&quot;");
            break;
        default:
            result += c;
        }
    }
    return result;
}

QString htmlImageCode(const QString& fileName, int height, int width, const QString& link,
                      const QString& hint, const QString& border)
{
    // Every value is escaped: a file name, hint or link holding a quote must not end the
    // attribute early and turn the rest into markup.
    const QString alt =
        hint.isEmpty() ? QString() : QStringLiteral(" alt=\"%1\"").arg(htmlAttributeValue(hint));
    const QString borderText =
        border.isEmpty() ? QString() : QStringLiteral(" border=\"%1\"").arg(htmlAttributeValue(border));
    const QString tag = QStringLiteral("<img src=\"%1\" height=\"%2\" width=\"%3\"%4%5>")
                            .arg(htmlAttributeValue(fileName))
                            .arg(height)
                            .arg(width)
                            .arg(alt, borderText);
    if (link.isEmpty())
        return tag;
    return QStringLiteral("<a href=\"%1\">%2</a>").arg(htmlAttributeValue(link), tag);
}

// ---- TPalettePage --------------------------------------------------------------------------

TPalettePage::TPalettePage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("pnlPalettes"));
    auto* layout = new QVBoxLayout(this);

    layout->addWidget(heading(QStringLiteral("Animation Palette(s)"), this));
    optAdaptive = new QRadioButton(QStringLiteral("Use self-&adapting global palette (Optimized)"), this);
    optAdaptive->setObjectName(QStringLiteral("optAdaptive"));
    optWebSafe = new QRadioButton(QStringLiteral("Use &Netscape (216 colors) web safe color cube"), this);
    optWebSafe->setObjectName(QStringLiteral("optWebSafe"));
    optLocal = new QRadioButton(QStringLiteral("Use &local palette for new frames"), this);
    optLocal->setObjectName(QStringLiteral("optLocal"));
    auto* types = new QVBoxLayout;
    types->setContentsMargins(12, 0, 0, 0);
    types->addWidget(optAdaptive);
    types->addWidget(optWebSafe);
    types->addWidget(optLocal);
    cbMaxColors = new QComboBox(this);
    cbMaxColors->setObjectName(QStringLiteral("cbMaxColors"));
    fillColorCounts(*cbMaxColors);
    auto* colors = new QHBoxLayout;
    colors->addWidget(buddyLabel(QStringLiteral("&Maximum number of colors:"), cbMaxColors, this));
    colors->addWidget(cbMaxColors);
    colors->addStretch(1);
    types->addLayout(colors);
    layout->addLayout(types);

    layout->addWidget(heading(QStringLiteral("Importing hi-color images (24bit)"), this));
    auto* import = new QVBoxLayout;
    import->setContentsMargins(12, 0, 0, 0);
    cbMaxImport = new QComboBox(this);
    cbMaxImport->setObjectName(QStringLiteral("cbMaxImport"));
    fillColorCounts(*cbMaxImport);
    auto* importColors = new QHBoxLayout;
    importColors->addWidget(buddyLabel(QStringLiteral("Ma&ximum number of colors:"), cbMaxImport, this));
    importColors->addWidget(cbMaxImport);
    importColors->addStretch(1);
    import->addLayout(importColors);
    auto* dither = new QGroupBox(QStringLiteral("Dither Method"), this);
    auto* ditherLayout = new QVBoxLayout(dither);
    optNearest = new QRadioButton(QStringLiteral("N&earest (no error diffusion)"), dither);
    optNearest->setObjectName(QStringLiteral("optNearest"));
    optFloyd = new QRadioButton(QStringLiteral("&FloydSteinberg  (high quality color mapping)"), dither);
    optFloyd->setObjectName(QStringLiteral("optFloyd"));
    ditherLayout->addWidget(optNearest);
    ditherLayout->addWidget(optFloyd);
    import->addWidget(dither);
    layout->addLayout(import);

    chkPaletteDefault = new QCheckBox(QString::fromLatin1(kMakeDefaultCaption), this);
    chkPaletteDefault->setObjectName(QStringLiteral("chkPaletteDefault"));
    layout->addWidget(chkPaletteDefault);
    layout->addStretch(1);
}

void TPalettePage::load()
{
    TSettingsBatch settings;
    m_loadedDefault = settings.readInteger(SettingKeys::PaletteDefaults) != 0;
    chkPaletteDefault->setChecked(m_loadedDefault);
    switch (settings.readInteger(SettingKeys::PaletteType)) {
    case 1:
        optWebSafe->setChecked(true);
        break;
    case 2:
        optLocal->setChecked(true);
        break;
    default:
        optAdaptive->setChecked(true);
    }
    selectColorCount(*cbMaxColors, settings.readInteger(SettingKeys::MaxColorCount));
    selectColorCount(*cbMaxImport, settings.readInteger(SettingKeys::MaxImportCount));
    (settings.readInteger(SettingKeys::DitherMethod) == 1 ? optFloyd : optNearest)->setChecked(true);
}

void TPalettePage::save()
{
    TSettingsBatch settings;
    if (chkPaletteDefault->isChecked() != m_loadedDefault)
        settings.writeInteger(SettingKeys::PaletteDefaults, chkPaletteDefault->isChecked() ? 1 : 0);
    settings.writeInteger(SettingKeys::PaletteType, optWebSafe->isChecked() ? 1
                                                    : optLocal->isChecked() ? 2
                                                                            : 0);
    settings.writeInteger(SettingKeys::MaxColorCount, cbMaxColors->currentData().toInt());
    settings.writeInteger(SettingKeys::MaxImportCount, cbMaxImport->currentData().toInt());
    settings.writeInteger(SettingKeys::DitherMethod, optFloyd->isChecked() ? 1 : 0);
    m_loadedDefault = chkPaletteDefault->isChecked();
}

// ---- TfrmPrompts ---------------------------------------------------------------------------

TfrmPrompts::TfrmPrompts(TPromptPage page, QWidget* parent) : QDialog(parent), m_page(page)
{
    setObjectName(QStringLiteral("frmPrompts"));
    const TPageTexts& texts = kPageTexts[int(page) - 1];
    setWindowTitle(QString::fromLatin1(texts.caption));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    tabPrompts = new QTabWidget(this);
    tabPrompts->setObjectName(QStringLiteral("tabPrompts"));
    QWidget* content = nullptr;
    switch (page) {
    case TPromptPage::FrameSize:
        content = buildFrameSizePage();
        break;
    case TPromptPage::Palettes:
        content = buildPalettesPage();
        break;
    case TPromptPage::Resize:
        content = buildResizePage();
        break;
    case TPromptPage::Information:
        content = buildInformationPage();
        break;
    case TPromptPage::Properties:
        content = buildPropertiesPage();
        break;
    case TPromptPage::HtmlCode:
        content = buildHtmlPage();
        break;
    case TPromptPage::GlobalChange:
        content = buildGlobalChangePage();
        break;
    }
    content->layout()->setContentsMargins(8, 8, 8, 8);
    tabPrompts->addTab(content, QString::fromLatin1(texts.tab));
    layout->addWidget(tabPrompts);

    const DialogParts::TOkCancelRow row = DialogParts::addOkCancelRow(this, layout);
    btnOK = row.ok;
    btnCancel = row.cancel;
    // The tab bar takes no focus: Tab goes from the page's last control to the buttons.
    tabPrompts->tabBar()->setFocusPolicy(Qt::NoFocus);
}

TfrmPrompts::~TfrmPrompts() = default;

// ---- page 1 --------------------------------------------------------------------------------

QWidget* TfrmPrompts::buildFrameSizePage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    lblFrameSize = new QLabel(
        QStringLiteral("Frame dimensions are larger than the animation. How should this be handled?"), page);
    lblFrameSize->setObjectName(QStringLiteral("lblFrameSize"));
    lblFrameSize->setWordWrap(true);
    lblFrameSize->setMinimumWidth(300);
    layout->addWidget(lblFrameSize);
    optTrim = new QRadioButton(QStringLiteral("&Trim frame to the animation size"), page);
    optTrim->setObjectName(QStringLiteral("optTrim"));
    optChange = new QRadioButton(QStringLiteral("&Change animation to match frame size."), page);
    optChange->setObjectName(QStringLiteral("optChange"));
    chkClipDefault = new QCheckBox(QString::fromLatin1(kMakeDefaultCaption), page);
    chkClipDefault->setObjectName(QStringLiteral("chkClipDefault"));
    layout->addWidget(optTrim);
    layout->addWidget(optChange);
    layout->addSpacing(8);
    layout->addWidget(chkClipDefault);

    // This prompt reads a missing "ClipFrame" as 0: it proposes to change the animation.
    TSettingsBatch settings;
    (settings.readInteger(SettingKeys::ClipFrame.section, SettingKeys::ClipFrame.name, 0) != 0 ? optTrim
                                                                                               : optChange)
        ->setChecked(true);
    chkClipDefault->setChecked(settings.readInteger(SettingKeys::ClipDefault) != 0);
    return page;
}

void TfrmPrompts::setFrameSizeText(const QString& text)
{
    if (lblFrameSize)
        lblFrameSize->setText(text);
}

bool TfrmPrompts::trimChosen() const
{
    return optTrim && optTrim->isChecked();
}

// ---- page 2 --------------------------------------------------------------------------------

QWidget* TfrmPrompts::buildPalettesPage()
{
    pnlPalettes = new TPalettePage;
    pnlPalettes->load();
    return pnlPalettes;
}

// ---- page 3 --------------------------------------------------------------------------------

QWidget* TfrmPrompts::buildResizePage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(heading(QStringLiteral("Animation Dimensions"), page));
    auto* grid = new QGridLayout;
    txtCurrentHeight = new QLineEdit(page);
    txtCurrentHeight->setObjectName(QStringLiteral("txtCurrentHeight"));
    txtCurrentWidth = new QLineEdit(page);
    txtCurrentWidth->setObjectName(QStringLiteral("txtCurrentWidth"));
    for (QLineEdit* field : {txtCurrentHeight, txtCurrentWidth}) {
        field->setReadOnly(true);
        field->setMaximumWidth(70);
    }
    txtHeight = new TUpDownEdit(1, 32767, 5, page);
    txtHeight->setObjectName(QStringLiteral("txtHeight"));
    txtWidth = new TUpDownEdit(1, 32767, 5, page);
    txtWidth->setObjectName(QStringLiteral("txtWidth"));
    txtHeightPercent = new TUpDownEdit(0, 9999, 4, page);
    txtHeightPercent->setObjectName(QStringLiteral("txtHeightPercent"));
    txtWidthPercent = new TUpDownEdit(0, 9999, 4, page);
    txtWidthPercent->setObjectName(QStringLiteral("txtWidthPercent"));
    txtHeightPercent->setPosition(100);
    txtWidthPercent->setPosition(100);

    grid->addWidget(buddyLabel(QStringLiteral("Current H&eight:"), txtCurrentHeight, page), 0, 0);
    grid->addWidget(txtCurrentHeight, 0, 1);
    grid->addWidget(buddyLabel(QStringLiteral("&Height:"), txtHeight, page), 0, 2);
    grid->addWidget(txtHeight, 0, 3);
    grid->addWidget(txtHeightPercent, 0, 4);
    grid->addWidget(new QLabel(QStringLiteral("%"), page), 0, 5);
    grid->addWidget(buddyLabel(QStringLiteral("Current Wi&dth:"), txtCurrentWidth, page), 1, 0);
    grid->addWidget(txtCurrentWidth, 1, 1);
    grid->addWidget(buddyLabel(QStringLiteral("&Width:"), txtWidth, page), 1, 2);
    grid->addWidget(txtWidth, 1, 3);
    grid->addWidget(txtWidthPercent, 1, 4);
    grid->addWidget(new QLabel(QStringLiteral("%"), page), 1, 5);
    imgChain = new QLabel(page);
    imgChain->setObjectName(QStringLiteral("imgChain"));
    imgChain->setPixmap(chainPicture(devicePixelRatioF()));
    imgChain->setFixedWidth(18);
    grid->addWidget(imgChain, 0, 6, 2, 1);
    layout->addLayout(grid);
    chkConstrain = new QCheckBox(QStringLiteral("&Constrain Size"), page);
    chkConstrain->setObjectName(QStringLiteral("chkConstrain"));
    layout->addWidget(chkConstrain);
    imgChain->setVisible(false);

    const std::pair<TUpDownEdit*, TResizeField> fields[] = {{txtHeight, TResizeField::Height},
                                                            {txtWidth, TResizeField::Width},
                                                            {txtHeightPercent, TResizeField::HeightPercent},
                                                            {txtWidthPercent, TResizeField::WidthPercent}};
    for (auto [field, which] : fields) {
        connect(field, &TUpDownEdit::edited, this, [this, which = which] { resizeFieldChanged(which); });
        connect(field, &TUpDownEdit::stepped, this, [this, which = which] { resizeFieldChanged(which); });
        connect(field, &TUpDownEdit::entered, this, [this, field = field] { enterNumberField(field); });
        connect(field, &TUpDownEdit::leaving, this, [this, field = field] { leaveNumberField(field); });
    }
    connect(chkConstrain, &QCheckBox::toggled, this, &TfrmPrompts::constrainToggled);
    setTabOrder(txtHeight, txtHeightPercent);
    setTabOrder(txtHeightPercent, txtWidth);
    setTabOrder(txtWidth, txtWidthPercent);
    setTabOrder(txtWidthPercent, chkConstrain);
    return page;
}

void TfrmPrompts::setCurrentSize(int width, int height)
{
    m_currentWidth = width;
    m_currentHeight = height;
    if (!txtHeight)
        return;
    txtCurrentHeight->setText(QString::number(height));
    txtCurrentWidth->setText(QString::number(width));
    txtHeight->setPosition(height);
    txtWidth->setPosition(width);
    txtHeightPercent->setPosition(100);
    txtWidthPercent->setPosition(100);
}

int TfrmPrompts::newWidth() const
{
    return txtWidth ? txtWidth->number(m_currentWidth) : 0;
}

int TfrmPrompts::newHeight() const
{
    return txtHeight ? txtHeight->number(m_currentHeight) : 0;
}

void TfrmPrompts::resizeFieldChanged(TResizeField which)
{
    if (m_cascading)
        return;
    m_cascading = true;
    TUpDownEdit* field = which == TResizeField::Height          ? txtHeight
                         : which == TResizeField::Width         ? txtWidth
                         : which == TResizeField::HeightPercent ? txtHeightPercent
                                                                : txtWidthPercent;
    if (field->text().trimmed().isEmpty()) {
        field->setText(QStringLiteral("1"));
        field->selectAll();
    }
    const bool constrain = chkConstrain->isChecked();
    const int value = field->number(1);
    // Percentages are taken of the current size; a zero size gives no percentage to work with.
    auto percentOf = [](int size, int current) {
        return roundHalfEven(double(size) / double(current) * 100.0);
    };
    auto sizeAt = [](int current, int percent) {
        return roundHalfEven(double(current) * double(percent) / 100.0);
    };
    switch (which) {
    case TResizeField::Height:
        if (m_currentHeight > 0) {
            const int percent = percentOf(value, m_currentHeight);
            txtHeightPercent->setText(QString::number(percent));
            if (constrain) {
                txtWidthPercent->setText(QString::number(percent));
                txtWidth->setText(QString::number(sizeAt(m_currentWidth, percent)));
            }
        }
        break;
    case TResizeField::Width:
        if (m_currentWidth > 0) {
            const int percent = percentOf(value, m_currentWidth);
            txtWidthPercent->setText(QString::number(percent));
            if (constrain) {
                txtHeightPercent->setText(QString::number(percent));
                txtHeight->setText(QString::number(sizeAt(m_currentHeight, percent)));
            }
        }
        break;
    case TResizeField::HeightPercent:
        txtHeight->setText(QString::number(sizeAt(m_currentHeight, value)));
        if (constrain) {
            txtWidthPercent->setText(QString::number(value));
            txtWidth->setText(QString::number(sizeAt(m_currentWidth, value)));
        }
        break;
    case TResizeField::WidthPercent:
        txtWidth->setText(QString::number(sizeAt(m_currentWidth, value)));
        if (constrain) {
            txtHeightPercent->setText(QString::number(value));
            txtHeight->setText(QString::number(sizeAt(m_currentHeight, value)));
        }
        break;
    }
    m_cascading = false;
}

void TfrmPrompts::constrainToggled(bool checked)
{
    imgChain->setVisible(checked);
    if (!checked)
        return;
    if (newHeight() != m_currentHeight)
        resizeFieldChanged(TResizeField::Height);
    if (newWidth() != m_currentWidth)
        resizeFieldChanged(TResizeField::Width);
}

void TfrmPrompts::enterNumberField(TUpDownEdit* field)
{
    field->setProperty("remembered", field->text());
}

void TfrmPrompts::leaveNumberField(TUpDownEdit* field)
{
    if (!isNumber(field->text()))
        field->setText(field->property("remembered").toString());
}

// ---- page 4 --------------------------------------------------------------------------------

QWidget* TfrmPrompts::buildInformationPage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(heading(QStringLiteral("Animation Statistics"), page));
    auto* stats = new QFormLayout;
    stats->setContentsMargins(12, 0, 0, 0);
    lblFrames = new QLabel(page);
    lblFrames->setObjectName(QStringLiteral("lblFrames"));
    lblSize = new QLabel(page);
    lblSize->setObjectName(QStringLiteral("lblSize"));
    lblRunningTime = new QLabel(page);
    lblRunningTime->setObjectName(QStringLiteral("lblRunningTime"));
    txtCurrentLoop = new QLineEdit(page);
    txtCurrentLoop->setObjectName(QStringLiteral("txtCurrentLoop"));
    txtCurrentLoop->setReadOnly(true);
    txtCurrentLoop->setMaximumWidth(70);
    stats->addRow(QStringLiteral("Number of frames:"), lblFrames);
    stats->addRow(QStringLiteral("Current Size:"), lblSize);
    stats->addRow(QStringLiteral("Total Running Time:"), lblRunningTime);
    auto* loopRow = new QHBoxLayout;
    loopRow->addWidget(txtCurrentLoop);
    loopRow->addWidget(new QLabel(QStringLiteral("(0 = Infinite)"), page));
    loopRow->addStretch(1);
    stats->addRow(buddyLabel(QStringLiteral("Current L&oop:"), txtCurrentLoop, page), loopRow);
    layout->addLayout(stats);

    layout->addWidget(heading(QStringLiteral("Animation Loop"), page));
    optForever = new QRadioButton(QStringLiteral("Play &Forever"), page);
    optForever->setObjectName(QStringLiteral("optForever"));
    optPlayed = new QRadioButton(QStringLiteral("&Played"), page);
    optPlayed->setObjectName(QStringLiteral("optPlayed"));
    txtPlayed = new TUpDownEdit(1, 32767, 5, page);
    txtPlayed->setObjectName(QStringLiteral("txtPlayed"));
    txtPlayed->setPosition(1);
    auto* loop = new QVBoxLayout;
    loop->setContentsMargins(12, 0, 0, 0);
    loop->addWidget(optForever);
    auto* played = new QHBoxLayout;
    played->addWidget(optPlayed);
    played->addWidget(txtPlayed);
    played->addWidget(new QLabel(QStringLiteral("time(s)"), page));
    played->addStretch(1);
    loop->addLayout(played);
    layout->addLayout(loop);
    optForever->setChecked(true);
    txtPlayed->setEnabled(false);
    connect(optPlayed, &QRadioButton::toggled, txtPlayed, &QWidget::setEnabled);
    connect(txtPlayed, &TUpDownEdit::entered, this, [this] { enterNumberField(txtPlayed); });
    connect(txtPlayed, &TUpDownEdit::leaving, this, [this] { leaveNumberField(txtPlayed); });
    return page;
}

void TfrmPrompts::setInformation(int frames, qint64 bytes, qint64 runningTime, int userLoopCount)
{
    if (!lblFrames)
        return;
    lblFrames->setText(QString::number(frames));
    lblSize->setText(QString::number(bytes) + QStringLiteral(" bytes"));
    lblRunningTime->setText(QString::asprintf("%4.2f secs", double(runningTime) / 100.0));
    txtCurrentLoop->setText(QString::number(userLoopCount));
    if (userLoopCount != 0) {
        optPlayed->setChecked(true);
        txtPlayed->setPosition(userLoopCount);
    } else {
        optForever->setChecked(true);
    }
}

bool TfrmPrompts::playForever() const
{
    return optForever && optForever->isChecked();
}

int TfrmPrompts::playCount() const
{
    if (!txtPlayed)
        return 1;
    return std::clamp(txtPlayed->number(txtPlayed->position()), 1, 32767);
}

// ---- page 5 --------------------------------------------------------------------------------

QWidget* TfrmPrompts::buildPropertiesPage()
{
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    auto* form = new QFormLayout;
    lblFileName = new QLabel(page);
    lblFileName->setObjectName(QStringLiteral("lblFileName"));
    lblFileSize = new QLabel(page);
    lblFileSize->setObjectName(QStringLiteral("lblFileSize"));
    lblDimensions = new QLabel(page);
    lblDimensions->setObjectName(QStringLiteral("lblDimensions"));
    for (QLabel* label : {lblFileName, lblFileSize, lblDimensions})
        label->setTextFormat(Qt::PlainText);
    form->addRow(QStringLiteral("Filename:"), lblFileName);
    form->addRow(QStringLiteral("File Size:"), lblFileSize);
    form->addRow(QStringLiteral("Dimensions:"), lblDimensions);
    layout->addLayout(form);
    imgPreview = new QLabel(page);
    imgPreview->setObjectName(QStringLiteral("imgPreview"));
    imgPreview->setFixedSize(160, 160);
    imgPreview->setAlignment(Qt::AlignCenter);
    imgPreview->setFrameShape(QFrame::StyledPanel);
    layout->addWidget(imgPreview);
    return page;
}

void TfrmPrompts::setProperties(const QString& fileName, const QString& fileSize, const QString& dimensions,
                                const QImage& preview)
{
    if (!lblFileName)
        return;
    lblFileName->setText(fileName);
    lblFileSize->setText(fileSize);
    lblDimensions->setText(dimensions);
    if (!preview.isNull())
        imgPreview->setPixmap(QPixmap::fromImage(
            preview.scaled(imgPreview->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

// ---- page 6 --------------------------------------------------------------------------------

QWidget* TfrmPrompts::buildHtmlPage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* intro =
        new QLabel(QStringLiteral("Fill in any extra image tag attributes you would like to include into "
                                  "the HTML code, then select the Copy button which will copy the HTML "
                                  "to the clipboard."),
                   page);
    intro->setWordWrap(true);
    intro->setMinimumWidth(360);
    layout->addWidget(intro);
    auto* form = new QFormLayout;
    txtFileName = new QLineEdit(page);
    txtFileName->setObjectName(QStringLiteral("txtFileName"));
    txtFileName->setReadOnly(true);
    txtLink = new QLineEdit(page);
    txtLink->setObjectName(QStringLiteral("txtLink"));
    txtHint = new QLineEdit(page);
    txtHint->setObjectName(QStringLiteral("txtHint"));
    txtBorder = new TUpDownEdit(0, 32767, 5, page);
    txtBorder->setObjectName(QStringLiteral("txtBorder"));
    txtBorder->setPosition(0);
    form->addRow(buddyLabel(QStringLiteral("&File Name:"), txtFileName, page), txtFileName);
    form->addRow(buddyLabel(QStringLiteral("&Link:"), txtLink, page), txtLink);
    form->addRow(buddyLabel(QStringLiteral("Hin&t (Alt tag):"), txtHint, page), txtHint);
    auto* borderRow = new QHBoxLayout;
    borderRow->addWidget(txtBorder);
    borderRow->addStretch(1);
    form->addRow(buddyLabel(QStringLiteral("&Border:"), txtBorder, page), borderRow);
    layout->addLayout(form);
    memHtml = new QPlainTextEdit(page);
    memHtml->setObjectName(QStringLiteral("memHtml"));
    memHtml->setTabChangesFocus(true);
    memHtml->setFixedHeight(80);
    layout->addWidget(buddyLabel(QStringLiteral("&HTML Code"), memHtml, page));
    layout->addWidget(memHtml);
    btnCopy = new QPushButton(QStringLiteral("&Copy"), page);
    btnCopy->setObjectName(QStringLiteral("btnCopy"));
    btnCopy->setAutoDefault(false);
    auto* copyRow = new QHBoxLayout;
    copyRow->addStretch(1);
    copyRow->addWidget(btnCopy);
    layout->addLayout(copyRow);
    connect(txtLink, &QLineEdit::textChanged, this, &TfrmPrompts::generateHtml);
    connect(txtHint, &QLineEdit::textChanged, this, &TfrmPrompts::generateHtml);
    connect(txtBorder, &TUpDownEdit::edited, this, &TfrmPrompts::generateHtml);
    connect(txtBorder, &TUpDownEdit::stepped, this, &TfrmPrompts::generateHtml);
    connect(btnCopy, &QPushButton::clicked, this, &TfrmPrompts::copyHtml);
    return page;
}

void TfrmPrompts::setHtmlSource(const QString& fileName, int width, int height)
{
    if (!txtFileName)
        return;
    m_htmlWidth = width;
    m_htmlHeight = height;
    txtFileName->setText(fileName);
    generateHtml();
}

QString TfrmPrompts::htmlCode() const
{
    return memHtml ? memHtml->toPlainText() : QString();
}

void TfrmPrompts::generateHtml()
{
    memHtml->setPlainText(htmlImageCode(txtFileName->text(), m_htmlHeight, m_htmlWidth, txtLink->text(),
                                        txtHint->text(), txtBorder->text().trimmed()));
}

void TfrmPrompts::copyHtml()
{
    const QString code = memHtml->toPlainText();
    if (code.isEmpty())
        return;
    QApplication::clipboard()->setText(code);
    messageDlg(QStringLiteral("HTML Code successfully copied to clipboard."), TMsgType::Information,
               TMsgButtons::Ok);
}

// ---- page 7 --------------------------------------------------------------------------------

QWidget* TfrmPrompts::buildGlobalChangePage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(heading(QStringLiteral("Animation"), page));
    txtDelay = new TUpDownEdit(1, 32767, 5, page);
    txtDelay->setObjectName(QStringLiteral("txtDelay"));
    txtDelay->setStep(10);
    auto* delayRow = new QHBoxLayout;
    delayRow->setContentsMargins(12, 0, 0, 0);
    delayRow->addWidget(buddyLabel(QStringLiteral("&Delay:"), txtDelay, page));
    delayRow->addWidget(txtDelay);
    delayRow->addWidget(new QLabel(QStringLiteral("(1/100th sec)"), page));
    delayRow->addStretch(1);
    layout->addLayout(delayRow);

    layout->addWidget(heading(QStringLiteral("Display Settings"), page));
    auto* display = new QVBoxLayout;
    display->setContentsMargins(12, 0, 0, 0);
    cbDisposal = new QComboBox(page);
    cbDisposal->setObjectName(QStringLiteral("cbDisposal"));
    for (const char* name : kDisposalNames)
        cbDisposal->addItem(QString::fromLatin1(name));
    display->addWidget(
        buddyLabel(QStringLiteral("Disposal &Method (before drawing next frame)"), cbDisposal, page));
    display->addWidget(cbDisposal);
    chkTransparent = new QCheckBox(QStringLiteral("Make &Transparent"), page);
    chkTransparent->setObjectName(QStringLiteral("chkTransparent"));
    chkInterlaced = new QCheckBox(QStringLiteral("Make &Interlaced"), page);
    chkInterlaced->setObjectName(QStringLiteral("chkInterlaced"));
    chkLocalPalette = new QCheckBox(QStringLiteral("Make &Local Palette"), page);
    chkLocalPalette->setObjectName(QStringLiteral("chkLocalPalette"));
    display->addWidget(chkTransparent);
    display->addWidget(chkInterlaced);
    display->addWidget(chkLocalPalette);
    layout->addLayout(display);

    btnColorSelect = new QPushButton(QStringLiteral("Color &Select"), page);
    btnColorSelect->setObjectName(QStringLiteral("btnColorSelect"));
    btnReset = new QPushButton(QStringLiteral("&Reset"), page);
    btnReset->setObjectName(QStringLiteral("btnReset"));
    for (QPushButton* button : {btnColorSelect, btnReset})
        button->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnColorSelect);
    buttons->addWidget(btnReset);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    connect(chkTransparent, &QCheckBox::clicked, this, &TfrmPrompts::transparentToggled);
    connect(btnColorSelect, &QPushButton::clicked, this, &TfrmPrompts::selectTransparentColor);
    connect(btnReset, &QPushButton::clicked, this, &TfrmPrompts::resetGlobalChange);
    resetGlobalChange();
    return page;
}

void TfrmPrompts::setGlobalChange(const QString& transparentCaption, const QString& interlacedCaption,
                                  const QString& localPaletteCaption, TGIFImage* image, int frameIndex)
{
    if (!chkTransparent)
        return;
    chkTransparent->setText(transparentCaption);
    chkInterlaced->setText(interlacedCaption);
    chkLocalPalette->setText(localPaletteCaption);
    m_image = image;
    m_frameIndex = frameIndex;
    resetGlobalChange();
}

void TfrmPrompts::resetGlobalChange()
{
    txtDelay->setText(QString());
    cbDisposal->setCurrentIndex(-1);
    chkTransparent->setChecked(false);
    chkInterlaced->setChecked(false);
    chkLocalPalette->setChecked(false);
}

void TfrmPrompts::transparentToggled(bool checked)
{
    if (!checked || !chkTransparent->text().contains(QLatin1String("ake")))
        return;
    const TMsgResult answer =
        messageDlg(QStringLiteral("For correct display of the animation, it is recommended to also set the "
                                  "disposal \r\nmethod to Background. Would you like to set the disposal to "
                                  "Background?"),
                   TMsgType::Confirmation, TMsgButtons::YesNoCancel);
    if (answer == TMsgResult::Cancel) {
        chkTransparent->setChecked(false);
        return;
    }
    if (answer == TMsgResult::Yes)
        cbDisposal->setCurrentIndex(2);
    selectTransparentColor();
}

void TfrmPrompts::selectTransparentColor()
{
    if (!m_image)
        return;
    TfrmPalette palette(*m_image, TPaletteMode::TransparentColor, m_frameIndex, this);
    palette.presetSelection(m_transparentIndex, m_transparentColor);
    if (!execDialog(palette))
        return;
    m_transparentColor = palette.selectedColor();
    m_transparentIndex = palette.selectedIndex();
}

TGlobalChangeAnswer TfrmPrompts::globalChangeAnswer() const
{
    TGlobalChangeAnswer answer;
    if (!txtDelay)
        return answer;
    answer.delayText = txtDelay->text();
    answer.disposal = cbDisposal->currentIndex();
    answer.transparent = chkTransparent->isChecked();
    answer.interlaced = chkInterlaced->isChecked();
    answer.localPalette = chkLocalPalette->isChecked();
    answer.transparentColor = m_transparentColor;
    answer.transparentIndex = m_transparentIndex;
    answer.somethingToApply = !answer.delayText.isEmpty() || answer.disposal >= 0 || answer.transparent ||
                              answer.interlaced || answer.localPalette;
    return answer;
}

// ---- closing -------------------------------------------------------------------------------

void TfrmPrompts::accept()
{
    switch (m_page) {
    case TPromptPage::FrameSize: {
        TSettingsBatch settings;
        settings.writeInteger(SettingKeys::ClipFrame, optTrim->isChecked() ? 1 : 0);
        settings.writeInteger(SettingKeys::ClipDefault, chkClipDefault->isChecked() ? 1 : 0);
        break;
    }
    case TPromptPage::Palettes:
        pnlPalettes->save();
        break;
    case TPromptPage::Resize:
        for (TUpDownEdit* field : {txtHeight, txtWidth, txtHeightPercent, txtWidthPercent})
            if (field->hasFocus())
                leaveNumberField(field);
        break;
    case TPromptPage::Information:
        if (txtPlayed->hasFocus())
            leaveNumberField(txtPlayed);
        break;
    default:
        break;
    }
    QDialog::accept();
}

void TfrmPrompts::done(int result)
{
    // The preview holds the whole picture; it goes with the dialog's answer.
    if (imgPreview)
        imgPreview->clear();
    QDialog::done(result);
}

// ---- the prompts the edit session asks ----

TFitChoice TDialogPrompts::fitFrame(const QString& text, const TBitmap&)
{
    TfrmPrompts dialog(TPromptPage::FrameSize, m_parent);
    dialog.setFrameSizeText(text);
    TFitChoice choice;
    if (execDialog(dialog))
        choice = {mrOk, dialog.trimChosen()};
    return choice;
}

int TDialogPrompts::palettePage()
{
    TfrmPrompts dialog(TPromptPage::Palettes, m_parent);
    return execDialog(dialog) ? mrOk : mrCancel;
}
