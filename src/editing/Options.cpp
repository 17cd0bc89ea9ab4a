#include "editing/Options.h"

#include "editing/Prompts.h"
#include "platform/MessageService.h"
#include "platform/Settings.h"
#include "widgets/ColorComboBox.h"
#include "widgets/DialogParts.h"
#include "widgets/UpDownEdit.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>

#include <algorithm>

const char* const TfrmOptions::kHomePage = "https://www.brightwell-software.com/";
const char* const TfrmOptions::kProductsPage = "https://www.brightwell-software.com/products/";

namespace {

using DialogParts::buddyLabel;
using DialogParts::heading;

constexpr int kThumbnailSizes[6] = {50, 75, 100, 125, 150, 200};

constexpr const char* kFilterTypes[18] = {
    "GIF Images (*.gif)",
    "Jpeg Images (*.jpg, *.jpeg)",
    "Bitmap Images (*.bmp)",
    "JIFF Images (*.jif)",
    "DCX Images (*.dcx)",
    "Icon Images (*.ico)",
    "Portable Bitmap Images (*.pbm)",
    "PC Paintbrush Images (*.pcx)",
    "LJP Images (*.ljp)",
    "Portable Graymap Images (*.pgm)",
    "PIC Images (*.pic)",
    "Portable Network Graphics (*.png)",
    "Portable Pixmap Images (*.ppm)",
    "RLE Images (*.rle)",
    "Targa Images (*.tga)",
    "TIFF Images (*.tif)",
    "Window Meta File (*.wmf)",
    "Word Perfect Graphics (*.wpg)",
};

// Leaving a number field puts the up-down's position back, so typed values outside its range
// come back into it.
void keepInRange(TUpDownEdit* field)
{
    QObject::connect(field, &TUpDownEdit::leaving, field,
                     [field] { field->setPosition(field->number(field->position())); });
}

} // namespace

TfrmOptions::TfrmOptions(TOptionsMode mode, const TOptionsValues& values, QWidget* parent)
    : QDialog(parent), m_mode(mode), m_values(values)
{
    setObjectName(QStringLiteral("frmOptions"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    tabOptions = new QTabWidget(this);
    tabOptions->setObjectName(QStringLiteral("tabOptions"));
    layout->addWidget(tabOptions);
    switch (mode) {
    case TOptionsMode::ProgramOptions:
        setWindowTitle(QStringLiteral("Program Options"));
        tabOptions->addTab(buildProgramPage(), QStringLiteral("Program"));
        tabOptions->addTab(buildAnimationPage(), QStringLiteral("Animation"));
        pnlPalettes = new TPalettePage;
        tabOptions->addTab(pnlPalettes, QStringLiteral("Palettes"));
        tabOptions->addTab(buildThumbnailsPage(), QStringLiteral("Thumbnails"));
        tabOptions->addTab(buildAboutPanel(), QStringLiteral("About Reelwright"));
        tabOptions->setCurrentIndex(0);
        loadSettings();
        break;
    case TOptionsMode::Favorites:
        setWindowTitle(QStringLiteral("Organize Favorites"));
        tabOptions->addTab(buildFavoritesPanel(), QStringLiteral("Favorites"));
        break;
    case TOptionsMode::About:
        setWindowTitle(QStringLiteral("About GIF Reelwright"));
        tabOptions->addTab(buildAboutPanel(), QStringLiteral("About Reelwright"));
        break;
    }
    if (lstFavorites) {
        for (const QString& folder : m_values.favorites) {
            auto* item = new QListWidgetItem(style()->standardIcon(QStyle::SP_DirIcon), folder, lstFavorites);
            item->setToolTip(folder);
        }
        updateFolderButtons();
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    buttons->addWidget(btnOK);
    connect(btnOK, &QPushButton::clicked, this, &TfrmOptions::accept);
    if (mode != TOptionsMode::About) {
        btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
        btnCancel->setObjectName(QStringLiteral("btnCancel"));
        buttons->addWidget(btnCancel);
        connect(btnCancel, &QPushButton::clicked, this, &TfrmOptions::reject);
    }
    layout->addLayout(buttons);
}

TfrmOptions::~TfrmOptions() = default;

// ---- pages ---------------------------------------------------------------------------------

QWidget* TfrmOptions::buildProgramPage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(heading(QStringLiteral("General Program Settings"), page));
    chkNormalStyle = new QCheckBox(QStringLiteral("Use &regular style toolbar buttons (not flat)"), page);
    chkNormalStyle->setObjectName(QStringLiteral("chkNormalStyle"));
    chkDisplayAnimation = new QCheckBox(QStringLiteral("Show animated &logo on start up"), page);
    chkDisplayAnimation->setObjectName(QStringLiteral("chkDisplayAnimation"));
    chkSyncOpenDialog =
        new QCheckBox(QStringLiteral("Syncronize open file dialog with &Explorer folder"), page);
    chkSyncOpenDialog->setObjectName(QStringLiteral("chkSyncOpenDialog"));
    chkNoPreview = new QCheckBox(QStringLiteral("Use open file &dialogs without image preview"), page);
    chkNoPreview->setObjectName(QStringLiteral("chkNoPreview"));
    txtMaxUndo = new TUpDownEdit(5, 50, 3, page);
    txtMaxUndo->setObjectName(QStringLiteral("txtMaxUndo"));
    keepInRange(txtMaxUndo);
    cbFrameColor = new TColorComboBox(clWhite, page);
    cbFrameColor->setObjectName(QStringLiteral("cbFrameColor"));
    for (QWidget* box : {static_cast<QWidget*>(chkNormalStyle), static_cast<QWidget*>(chkDisplayAnimation),
                         static_cast<QWidget*>(chkSyncOpenDialog)})
        layout->addWidget(box);
    auto* undoRow = new QHBoxLayout;
    undoRow->addWidget(buddyLabel(QStringLiteral("Maximum steps of &undo"), txtMaxUndo, page));
    undoRow->addWidget(txtMaxUndo);
    undoRow->addStretch(1);
    layout->addLayout(undoRow);
    layout->addWidget(chkNoPreview);
    layout->addWidget(
        buddyLabel(QStringLiteral("&Background color for transparent frames"), cbFrameColor, page));
    auto* colorRow = new QHBoxLayout;
    colorRow->addWidget(cbFrameColor);
    colorRow->addStretch(1);
    layout->addLayout(colorRow);
    layout->addStretch(1);
    return page;
}

QWidget* TfrmOptions::buildAnimationPage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(heading(QStringLiteral("General Animation Defaults"), page));
    layout->addWidget(new QLabel(QStringLiteral("Use these defaults when creating new animations."), page));
    txtDefaultDelay = new TUpDownEdit(1, 32767, 5, page);
    txtDefaultDelay->setObjectName(QStringLiteral("txtDefaultDelay"));
    txtDefaultLoop = new TUpDownEdit(0, 32767, 5, page);
    txtDefaultLoop->setObjectName(QStringLiteral("txtDefaultLoop"));
    keepInRange(txtDefaultDelay);
    keepInRange(txtDefaultLoop);
    auto* form = new QFormLayout;
    auto* delayRow = new QHBoxLayout;
    delayRow->addWidget(txtDefaultDelay);
    delayRow->addWidget(new QLabel(QStringLiteral("1/100 th of a second"), page));
    delayRow->addStretch(1);
    form->addRow(buddyLabel(QStringLiteral("&Frame Delay:"), txtDefaultDelay, page), delayRow);
    auto* loopRow = new QHBoxLayout;
    loopRow->addWidget(txtDefaultLoop);
    loopRow->addWidget(new QLabel(QStringLiteral("(0 = infinite loop)"), page));
    loopRow->addStretch(1);
    form->addRow(buddyLabel(QStringLiteral("&Animation Loop:"), txtDefaultLoop, page), loopRow);
    layout->addLayout(form);

    layout->addWidget(heading(QStringLiteral("Inserting New Frames"), page));
    auto* question = new QLabel(
        QStringLiteral("If frame dimensions are larger than the animation. How should this be handled?"),
        page);
    question->setWordWrap(true);
    layout->addWidget(question);
    optTrim = new QRadioButton(QStringLiteral("&Trim frame to the animation size"), page);
    optTrim->setObjectName(QStringLiteral("optTrim"));
    optChange = new QRadioButton(QStringLiteral("&Change animation to match frame size."), page);
    optChange->setObjectName(QStringLiteral("optChange"));
    chkClipDefault = new QCheckBox(QString::fromLatin1(kMakeDefaultCaption), page);
    chkClipDefault->setObjectName(QStringLiteral("chkClipDefault"));
    layout->addWidget(optTrim);
    layout->addWidget(optChange);
    layout->addWidget(chkClipDefault);
    layout->addStretch(1);
    return page;
}

QWidget* TfrmOptions::buildThumbnailsPage()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(heading(QStringLiteral("Thumbnail Viewer Options"), page));
    cbThumbSize = new QComboBox(page);
    cbThumbSize->setObjectName(QStringLiteral("cbThumbSize"));
    for (int size : kThumbnailSizes)
        cbThumbSize->addItem(QString::number(size), size);
    cbFilterType = new QComboBox(page);
    cbFilterType->setObjectName(QStringLiteral("cbFilterType"));
    for (const char* type : kFilterTypes)
        cbFilterType->addItem(QString::fromLatin1(type));
    cbFilterType->addItem(QString::fromLatin1(kFilterAllSupported));
    auto* form = new QFormLayout;
    form->addRow(buddyLabel(QStringLiteral("Thumbnail image &size"), cbThumbSize, page), cbThumbSize);
    form->addRow(buddyLabel(QStringLiteral("&File search filter type"), cbFilterType, page), cbFilterType);
    layout->addLayout(form);
    chkDropImage = new QCheckBox(QStringLiteral("&Open GIFs dragged from thumbnails as an animation"), page);
    chkDropImage->setObjectName(QStringLiteral("chkDropImage"));
    layout->addWidget(chkDropImage);
    auto* note = new QLabel(
        QStringLiteral(
            "Note: If this option is NOT checked then all images in the GIF will be inserted into the "
            "active document."),
        page);
    note->setWordWrap(true);
    layout->addWidget(note);
    chkAutoLoad = new QCheckBox(QStringLiteral("&Auto-load thumbnails to current folder on start up"), page);
    chkAutoLoad->setObjectName(QStringLiteral("chkAutoLoad"));
    layout->addWidget(chkAutoLoad);
    layout->addWidget(buildFavoritesPanel());
    return page;
}

QWidget* TfrmOptions::buildFavoritesPanel()
{
    auto* panel = new QGroupBox(QStringLiteral("Favorites Folders"));
    panel->setObjectName(QStringLiteral("pnlFavorites"));
    auto* layout = new QHBoxLayout(panel);
    lstFavorites = new QListWidget(panel);
    lstFavorites->setObjectName(QStringLiteral("lstFavorites"));
    lstFavorites->setMinimumSize(320, 120);
    lstFavorites->setAccessibleName(QStringLiteral("Folder Location"));
    auto* list = new QVBoxLayout;
    auto* column = new QLabel(QStringLiteral("Folder Location"), panel);
    column->setFrameShape(QFrame::StyledPanel);
    column->setBuddy(lstFavorites);
    list->addWidget(column);
    list->setSpacing(0);
    list->addWidget(lstFavorites);
    layout->addLayout(list, 1);
    auto* buttons = new QVBoxLayout;
    btnAddFolder = new QPushButton(QStringLiteral("Add Folder"), panel);
    btnAddFolder->setObjectName(QStringLiteral("btnAddFolder"));
    btnRemoveFolder = new QPushButton(QStringLiteral("Remove Folder"), panel);
    btnRemoveFolder->setObjectName(QStringLiteral("btnRemoveFolder"));
    btnMoveUp = new QPushButton(QStringLiteral("Move Up"), panel);
    btnMoveUp->setObjectName(QStringLiteral("btnMoveUp"));
    btnMoveDown = new QPushButton(QStringLiteral("Move Down"), panel);
    btnMoveDown->setObjectName(QStringLiteral("btnMoveDown"));
    for (QPushButton* button : {btnAddFolder, btnRemoveFolder, btnMoveUp, btnMoveDown}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    layout->addLayout(buttons);
    connect(btnAddFolder, &QPushButton::clicked, this, &TfrmOptions::addFolder);
    connect(btnRemoveFolder, &QPushButton::clicked, this, &TfrmOptions::removeFolder);
    connect(btnMoveUp, &QPushButton::clicked, this, [this] { moveFolder(-1); });
    connect(btnMoveDown, &QPushButton::clicked, this, [this] { moveFolder(1); });
    connect(lstFavorites, &QListWidget::currentRowChanged, this, &TfrmOptions::updateFolderButtons);
    return panel;
}

QWidget* TfrmOptions::buildAboutPanel()
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    lblAbout = new QLabel(page);
    lblAbout->setObjectName(QStringLiteral("lblAbout"));
    lblAbout->setTextFormat(Qt::PlainText);
    lblAbout->setText(QStringLiteral("Brightwell GIF Reelwright 5.0\n\n"
                                     "An editor for animated GIF images for the web.\n"
                                     "Copyright \u00A9 Brightwell Software. All rights reserved.\n\n"
                                     "Brightwell Software makes tools for web graphics.\n"
                                     "Visit us for updates, help and our other products."));
    layout->addWidget(lblAbout);
    auto* buttons = new QHBoxLayout;
    btnHomePage = new QPushButton(QStringLiteral("&Home Page"), page);
    btnHomePage->setObjectName(QStringLiteral("btnHomePage"));
    btnProducts = new QPushButton(QStringLiteral("&Products"), page);
    btnProducts->setObjectName(QStringLiteral("btnProducts"));
    for (QPushButton* button : {btnHomePage, btnProducts}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    layout->addLayout(buttons);
    layout->addStretch(1);
    connect(btnHomePage, &QPushButton::clicked, this,
            [this] { emit linkRequested(QString::fromLatin1(kHomePage)); });
    connect(btnProducts, &QPushButton::clicked, this,
            [this] { emit linkRequested(QString::fromLatin1(kProductsPage)); });
    return page;
}

// ---- settings ------------------------------------------------------------------------------

void TfrmOptions::loadSettings()
{
    TSettingsBatch settings;
    chkNormalStyle->setChecked(!m_values.toolbarsFlat);
    m_storedDisplayAnimation = settings.readInteger(SettingKeys::DisplayAnimation);
    chkDisplayAnimation->setChecked(m_storedDisplayAnimation != 0);
    chkSyncOpenDialog->setChecked(m_values.syncOpenDialog);
    txtMaxUndo->setPosition(settings.readInteger(SettingKeys::MaxUndo));
    chkNoPreview->setChecked(m_values.noOpenDlgPreview);
    cbFrameColor->setColor(m_values.frameTransparentColor);

    txtDefaultDelay->setPosition(m_values.defaultDelay);
    txtDefaultLoop->setPosition(m_values.defaultNSLoop);
    m_storedClipFrame = settings.readInteger(SettingKeys::ClipFrame);
    (m_storedClipFrame != 0 ? optTrim : optChange)->setChecked(true);
    m_storedClipDefault = settings.readInteger(SettingKeys::ClipDefault);
    chkClipDefault->setChecked(m_storedClipDefault != 0);

    pnlPalettes->load();

    const int sizeIndex = cbThumbSize->findData(m_values.thumbnailSize);
    cbThumbSize->setCurrentIndex(sizeIndex >= 0 ? sizeIndex : 1);
    const int filter = m_values.filterType;
    cbFilterType->setCurrentIndex(filter >= 0 && filter < 18 ? filter : cbFilterType->count() - 1);
    // 7 opens a dropped GIF as a new animation, 6 inserts its frames ("&Start New" and
    // "&Include" of the drop question): the box is checked for 7.
    m_storedDropImage = settings.readInteger(SettingKeys::DropImageDefault);
    chkDropImage->setChecked(m_storedDropImage == 7);
    m_storedAutoLoad = settings.readInteger(SettingKeys::AutoLoadStartUp);
    chkAutoLoad->setChecked(m_storedAutoLoad != 0);
}

void TfrmOptions::saveSettings()
{
    // Typed but not yet left: the field's rule applies first.
    for (TUpDownEdit* field : {txtMaxUndo, txtDefaultDelay, txtDefaultLoop})
        field->setPosition(field->number(field->position()));

    TSettingsBatch settings;
    const bool normal = chkNormalStyle->isChecked();
    if (normal == m_values.toolbarsFlat) {
        settings.writeInteger(SettingKeys::NormalStyle, normal ? 1 : 0);
        m_values.toolbarsFlat = !normal;
        m_outcome.toolbarStyleChanged = true;
    }
    if (int(chkDisplayAnimation->isChecked()) != int(m_storedDisplayAnimation != 0))
        settings.writeInteger(SettingKeys::DisplayAnimation, chkDisplayAnimation->isChecked() ? 1 : 0);
    if (chkSyncOpenDialog->isChecked() != m_values.syncOpenDialog) {
        m_values.syncOpenDialog = chkSyncOpenDialog->isChecked();
        settings.writeInteger(SettingKeys::SyncOpenDialog, m_values.syncOpenDialog ? 1 : 0);
    }
    settings.writeInteger(SettingKeys::MaxUndo, txtMaxUndo->position());
    if (chkNoPreview->isChecked() != m_values.noOpenDlgPreview) {
        m_values.noOpenDlgPreview = chkNoPreview->isChecked();
        settings.writeInteger(SettingKeys::NoOpenDlgPreview, m_values.noOpenDlgPreview ? 1 : 0);
    }
    if (cbFrameColor->color() != (m_values.frameTransparentColor & 0xFFFFFF)) {
        m_values.frameTransparentColor = cbFrameColor->color();
        settings.writeInteger(SettingKeys::FrameTransparentColor, int(m_values.frameTransparentColor));
    }

    m_values.defaultDelay = txtDefaultDelay->position();
    settings.writeInteger(SettingKeys::DefaultDelay, m_values.defaultDelay);
    m_values.defaultNSLoop = txtDefaultLoop->position();
    settings.writeInteger(SettingKeys::DefaultNSLoop, m_values.defaultNSLoop);
    if (int(optTrim->isChecked()) != int(m_storedClipFrame != 0))
        settings.writeInteger(SettingKeys::ClipFrame, optTrim->isChecked() ? 1 : 0);
    if (int(chkClipDefault->isChecked()) != int(m_storedClipDefault != 0))
        settings.writeInteger(SettingKeys::ClipDefault, chkClipDefault->isChecked() ? 1 : 0);
    settings.close();

    pnlPalettes->save();

    TSettingsBatch thumbs;
    const int size = cbThumbSize->currentData().toInt();
    if (size != m_values.thumbnailSize) {
        thumbs.writeInteger(SettingKeys::ThumbailSize, size);
        m_values.thumbnailSize = size;
        m_outcome.thumbnailSizeChanged = true;
    }
    const int filter = cbFilterType->currentIndex();
    m_values.filterType = filter == cbFilterType->count() - 1 ? kFilterTypeAll : filter;
    thumbs.writeInteger(SettingKeys::ThumbFilterType, m_values.filterType);
    // Only a question answered once with "Make this the &default" is kept here; with nothing
    // stored the drop goes on asking.
    if (m_storedDropImage > 0)
        thumbs.writeInteger(SettingKeys::DropImageDefault, chkDropImage->isChecked() ? 7 : 6);
    if (int(chkAutoLoad->isChecked()) != int(m_storedAutoLoad != 0))
        thumbs.writeInteger(SettingKeys::AutoLoadStartUp, chkAutoLoad->isChecked() ? 1 : 0);
}

void TfrmOptions::accept()
{
    if (m_mode == TOptionsMode::ProgramOptions)
        saveSettings();
    if (lstFavorites) {
        m_values.favorites = favoriteFolders();
        m_outcome.favoritesEdited = m_favoritesEdited;
    }
    QDialog::accept();
}

// ---- favourites ----------------------------------------------------------------------------

QStringList TfrmOptions::favoriteFolders() const
{
    QStringList folders;
    if (lstFavorites)
        for (int i = 0; i < lstFavorites->count(); ++i)
            folders << lstFavorites->item(i)->text();
    return folders;
}

void TfrmOptions::updateFolderButtons()
{
    const int row = lstFavorites->currentRow();
    const bool selected =
        row >= 0 && lstFavorites->currentItem() && lstFavorites->currentItem()->isSelected();
    btnRemoveFolder->setEnabled(selected);
    btnMoveUp->setEnabled(selected && row > 0);
    btnMoveDown->setEnabled(selected && row < lstFavorites->count() - 1);
}

void TfrmOptions::addFolder()
{
    QListWidgetItem* current = lstFavorites->currentItem();
    const QString start = current ? current->text() : QDir::currentPath();
    const std::optional<QString> chosen = messageService().chooseFolder(QStringLiteral("Add Folder"), start);
    if (!chosen || chosen->isEmpty() || favoriteFolders().contains(*chosen, Qt::CaseSensitive))
        return;
    const int row = lstFavorites->currentRow();
    const int at = row >= 0 && row < lstFavorites->count() - 1 ? row + 1 : lstFavorites->count();
    auto* item = new QListWidgetItem(style()->standardIcon(QStyle::SP_DirIcon), *chosen);
    item->setToolTip(*chosen);
    lstFavorites->insertItem(at, item);
    lstFavorites->setCurrentRow(at);
    lstFavorites->setFocus();
    m_favoritesEdited = true;
    updateFolderButtons();
}

void TfrmOptions::removeFolder()
{
    const int row = lstFavorites->currentRow();
    if (row < 0)
        return;
    const QString folder = lstFavorites->item(row)->text();
    if (messageDlg(QStringLiteral("Do you want to remove %1 the Favorites list?").arg(folder),
                   TMsgType::Information, TMsgButtons::YesNo) != TMsgResult::Yes)
        return;
    delete lstFavorites->takeItem(row);
    if (lstFavorites->count() > 0)
        lstFavorites->setCurrentRow(std::max(0, row - 1));
    m_favoritesEdited = true;
    updateFolderButtons();
}

void TfrmOptions::moveFolder(int step)
{
    const int row = lstFavorites->currentRow();
    const int to = row + step;
    if (row < 0 || to < 0 || to >= lstFavorites->count())
        return;
    QListWidgetItem* item = lstFavorites->takeItem(row);
    lstFavorites->insertItem(to, item);
    lstFavorites->setCurrentRow(to);
    m_favoritesEdited = true;
    updateFolderButtons();
}

// ---- hidden developer switch ---------------------------------------------------------------

void TfrmOptions::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers wanted = Qt::ShiftModifier | Qt::AltModifier;
    if (event->key() == Qt::Key_F7 && (event->modifiers() & wanted) == wanted) {
        toggleWarnings();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmOptions::toggleWarnings()
{
    const bool on = Settings::readInteger(SettingKeys::Warnings) != 0;
    QString text = QStringLiteral("Would you like to turn %1 GIF warnings?")
                       .arg(on ? QStringLiteral("off") : QStringLiteral("on"));
    if (!on)
        text += QStringLiteral(" This option is used for developer debugging purposes only.");
    if (messageDlg(text, TMsgType::Confirmation, TMsgButtons::YesNoCancel) != TMsgResult::Yes)
        return;
    Settings::writeInteger(SettingKeys::Warnings, on ? 0 : 1);
    if (onWarningsToggled)
        onWarningsToggled(!on);
}
