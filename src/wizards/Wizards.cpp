#include "wizards/Wizards.h"

#include "editing/Routines.h"
#include "gif/GIFImage.h"
#include "graphics/Bitmap.h"
#include "graphics/Picture.h"
#include "platform/MessageService.h"
#include "platform/ResourceLibrary.h"
#include "platform/Settings.h"
#include "widgets/DialogParts.h"
#include "wizards/WizardAnimation.h"
#include "wizards/WizardOptimize.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStyle>
#include <QTextStream>
#include <QUrl>
#include <QVBoxLayout>

const char* const kWizardImageFilter =
    "Image Files|*.gif;*.jpg;*.jpeg;*.bmp;*.jif;*.dcx;*.ico;*.pbm;*.pcx;*.ljp;*.pgm;*.pic;*.png;*.ppm;*.rle;"
    "*.tga;*.tif;*.wmf;*.wpg|"
    "GIF Images (*.gif)|*.gif|"
    "Jpeg Images (*.jpg, *.jpeg)|*.jpg;*.jpeg|"
    "Bitmap Images (*.bmp)|*.bmp|"
    "JIFF Images (*.jif)|*.jif|"
    "DCX Images (*.dcx)|*.dcx|"
    "Icon Images (*.ico)|*.ico|"
    "Portable Bitmap Images (*.pbm)|*.pbm|"
    "PC Paintbrush Images (*.pcx)|*.pcx|"
    "LJP Images (*.ljp)|*.ljp|"
    "Portable Graymap Images (*.pgm)|*.pgm|"
    "PIC Images (*.pic)|*.pic|"
    "Portable Network Graphics (*.png)|*.png|"
    "Portable Pixmap Images (*.ppm)|*.ppm|"
    "RLE Images (*.rle)|*.rle|"
    "Targa Images (*.tga)|*.tga|"
    "TIFF Images (*.tif)|*.tif|"
    "Window Meta File (*.wmf)|*.wmf|"
    "Word Perfect Graphics (*.wpg)|*.wpg|"
    "All Files (*.*)|*.*";

// A number field: digits only, at most maxLength characters, and a value within [low, high]. On
// leaving (and whenever the wizard reads it) a value outside the range is replaced by the value
// the field had when it was entered, so "000" or "99999" never reaches the animation.
class TNumberField : public QObject
{
public:
    TNumberField(QLineEdit* edit, int low, int high, int maxLength, int initial)
        : QObject(edit), m_edit(edit), m_low(low), m_high(high), m_remembered(initial)
    {
        edit->setMaxLength(maxLength);
        edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
        edit->setText(QString::number(initial));
        edit->installEventFilter(this);
    }
    // Sets the text and the value a later invalid entry goes back to.
    void reset(int value)
    {
        m_remembered = value;
        m_edit->setText(QString::number(value));
    }
    // Applies the restore rule now and gives the field's value.
    int value()
    {
        commit();
        return m_remembered;
    }
    void commit()
    {
        bool ok = false;
        const int typed = m_edit->text().toInt(&ok);
        if (ok && typed >= m_low && typed <= m_high)
            m_remembered = typed;
        else
            m_edit->setText(QString::number(m_remembered));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_edit) {
            if (event->type() == QEvent::FocusIn)
                commit(); // what the field holds on entering is what an invalid entry restores
            else if (event->type() == QEvent::FocusOut)
                commit();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QLineEdit* m_edit;
    int m_low, m_high;
    int m_remembered;
};

namespace {

QLabel* textLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QString programFolderOr(const QString& folder)
{
    return folder.isEmpty() ? QCoreApplication::applicationDirPath() : folder;
}

} // namespace

TTips loadTipsFile(const QString& folder)
{
    TTips tips;
    QFile file(QDir(folder).filePath(QStringLiteral("Tips.txt")));
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream stream(&file);
        while (!stream.atEnd())
            tips.lines.append(stream.readLine());
    }
    if (tips.lines.isEmpty())
        tips.missingText =
            QStringLiteral(
                "Could not load tips file! Please make sure Tips.txt is in the application folder of ") +
            QDir::toNativeSeparators(folder) + QStringLiteral(".");
    return tips;
}

QString TfrmWizards::pageHeading(int page)
{
    static const char* const headings[9] = {
        "Animation Dimensions",
        "Frame Position and Size",
        "Animation Loop and Frame Delay",
        "Frame Images",
        "Finish Wizard",
        "Animation Output ",
        "Palettes",
        "Frames",
        "Finish Wizard",
    };
    return page >= 0 && page < 9 ? QString::fromLatin1(headings[page]) : QString();
}

TfrmWizards::TfrmWizards(TEditSession& session, TWizardSetup setup, QWidget* parent)
    : QDialog(parent), m_session(session), m_setup(std::move(setup)), m_mode(m_setup.mode), m_initialDir(m_setup.initialDir)
{
    setObjectName(QStringLiteral("frmWizards"));
    setModal(true);

    auto* root = new QVBoxLayout(this);
    auto* body = new QHBoxLayout;
    root->addLayout(body, 1);
    imgSide = new QLabel(this);
    imgSide->setObjectName(QStringLiteral("imgSide"));
    imgSide->setFixedSize(160, 300);
    imgSide->setFrameShape(QFrame::StyledPanel);
    body->addWidget(imgSide, 0, Qt::AlignTop);

    auto* right = new QVBoxLayout;
    body->addLayout(right, 1);
    lblHeading = new QLabel(this);
    lblHeading->setObjectName(QStringLiteral("lblHeading"));
    lblHeading->setTextFormat(Qt::PlainText);
    lblHeading->setMinimumHeight(28);
    lblHeading->setContentsMargins(8, 0, 8, 0);
    QFont headingFont = lblHeading->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.2);
    lblHeading->setFont(headingFont);
    lblHeading->setStyleSheet(QStringLiteral(
        "QLabel#lblHeading { color: white; background: qlineargradient(x1:0, y1:0, x2:1, y2:0, "
        "stop:0 #000080, stop:1 #1084d0); }"));
    right->addWidget(lblHeading);
    m_pages = new QStackedWidget(this);
    m_pages->setMinimumSize(380, 270);
    right->addWidget(m_pages, 1);

    for (int page = kFirstAnimationPage; page <= kLastAnimationPage; ++page)
        m_pages->addWidget(m_pagePanels[page] = buildAnimationPage(page));
    for (int page = kFirstOptimizationPage; page <= kLastOptimizationPage; ++page)
        m_pages->addWidget(m_pagePanels[page] = buildOptimizationPage(page));
    m_tipPanel = buildTipPanel();
    m_pages->addWidget(m_welcomePage = buildWelcomePage());
    m_pages->addWidget(m_recentPage = buildRecentPage());

    root->addWidget(DialogParts::separator(this));
    auto* buttons = new QHBoxLayout;
    root->addLayout(buttons);
    btnHelp = new QPushButton(QStringLiteral("&Help"), this);
    btnBack = new QPushButton(QStringLiteral("< &Back"), this);
    btnNext = new QPushButton(QStringLiteral("&Next >"), this);
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    for (QPushButton* button : {btnHelp, btnBack, btnNext, btnOK, btnCancel})
        button->setAutoDefault(false);
    buttons->addWidget(btnHelp);
    buttons->addStretch(1);
    buttons->addWidget(btnBack);
    buttons->addWidget(btnNext);
    buttons->addSpacing(8);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    connect(btnHelp, &QPushButton::clicked, this, &TfrmWizards::help);
    connect(btnBack, &QPushButton::clicked, this, &TfrmWizards::back);
    connect(btnNext, &QPushButton::clicked, this, &TfrmWizards::next);
    connect(btnOK, &QPushButton::clicked, this, [this] {
        if (m_pages->currentWidget() == m_recentPage) {
            if (QListWidgetItem* item = lstRecent->currentItem()) {
                m_welcomeChoice = 2;
                m_reopenFile = item->text();
            }
        }
        accept();
    });
    connect(btnCancel, &QPushButton::clicked, this, &TfrmWizards::reject);

    loadSidePicture();

    if (m_mode == TWizardMode::Optimization) {
        TGIFImage* animation = m_setup.animation;
        m_copy = std::make_unique<TGIFImage>();
        // An animation without frames has nothing to write (the writer refuses it).
        m_currentSize = animation && !animation->empty() ? double(gifByteSize(*animation)) : 0.0;
        lblCurrentSize->setText(byteSizeText(m_currentSize));
        const bool hasFrames = animation && animation->images().count() > 0;
        chkOptimizePalettes->setEnabled(hasFrames && animation->globalColorMap().count() > 0);
        chkRemoveLocal->setEnabled(animation && hasLocalPalettes(*animation));
        switch (m_setup.offer) {
        case TOptimizeOffer::Both:
            break;
        case TOptimizeOffer::NewOnly:
            optReplace->hide();
            optCreateNew->setChecked(true);
            break;
        case TOptimizeOffer::ReplaceOnly:
            optCreateNew->hide();
            optReplace->setChecked(true);
            break;
        }
        cbSpeed->setCurrentIndex(1);
        updateDownload();
    }
    setMode(m_mode);
}

TfrmWizards::~TfrmWizards() = default;

QWidget* TfrmWizards::buildAnimationPage(int page)
{
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    switch (page) {
    case 0: {
        layout->addWidget(textLabel(
            QStringLiteral("How would you like the dimensions of new animation to be determined?"), panel));
        optFirstImageSize =
            new QRadioButton(QStringLiteral("&Use the size of the first image in the animation"), panel);
        optCustomSize = new QRadioButton(QStringLiteral("&Custom size:"), panel);
        optFirstImageSize->setChecked(true);
        layout->addWidget(optFirstImageSize);
        layout->addWidget(optCustomSize);
        auto* grid = new QGridLayout;
        grid->setContentsMargins(24, 0, 0, 0);
        txtHeight = new QLineEdit(panel);
        txtWidth = new QLineEdit(panel);
        m_heightField = std::make_unique<TNumberField>(txtHeight, 1, 500, 3, 100);
        m_widthField = std::make_unique<TNumberField>(txtWidth, 1, 500, 3, 100);
        auto* heightLabel = new QLabel(QStringLiteral("H&eight:"), panel);
        auto* widthLabel = new QLabel(QStringLiteral("&Width:"), panel);
        heightLabel->setBuddy(txtHeight);
        widthLabel->setBuddy(txtWidth);
        for (QLineEdit* edit : {txtHeight, txtWidth})
            edit->setFixedWidth(60);
        grid->addWidget(heightLabel, 0, 0);
        grid->addWidget(txtHeight, 0, 1);
        grid->addWidget(widthLabel, 1, 0);
        grid->addWidget(txtWidth, 1, 1);
        grid->setColumnStretch(2, 1);
        layout->addLayout(grid);
        auto sizeOption = [this] {
            const bool custom = optCustomSize->isChecked();
            txtHeight->setEnabled(custom);
            txtWidth->setEnabled(custom);
            m_heightField->reset(100);
            m_widthField->reset(100);
        };
        connect(optFirstImageSize, &QRadioButton::toggled, this, sizeOption);
        txtHeight->setEnabled(false);
        txtWidth->setEnabled(false);
        break;
    }
    case 1: {
        layout->addWidget(textLabel(
            QStringLiteral(
                "New images having different dimensions than that of the animation will need to be "
                "positioned within the frame boundaries. Where should the animation wizard place the "
                "image?"),
            panel));
        optTopLeft = new QRadioButton(QStringLiteral("&Top left corner of the frame"), panel);
        optCenter = new QRadioButton(QStringLiteral("&Center in the frame"), panel);
        optTopLeft->setChecked(true);
        chkScale = new QCheckBox(QStringLiteral("&Scale frames to fit"), panel);
        layout->addWidget(optTopLeft);
        layout->addWidget(optCenter);
        layout->addWidget(chkScale);
        auto* group = new QGroupBox(QStringLiteral("Animation Transparency"), panel);
        auto* groupLayout = new QVBoxLayout(group);
        chkTransparent = new QCheckBox(QStringLiteral("Make the animation transparent"), group);
        groupLayout->addWidget(chkTransparent);
        layout->addWidget(group);
        break;
    }
    case 2: {
        layout->addWidget(textLabel(QStringLiteral("Would you like to loop the animation?"), panel));
        optLoopForever = new QRadioButton(QStringLiteral("&Yes, play the animation infinitely"), panel);
        optLoopForever->setChecked(true);
        layout->addWidget(optLoopForever);
        auto* row = new QHBoxLayout;
        optPlayCount = new QRadioButton(QStringLiteral("&Play it"), panel);
        txtPlayCount = new QLineEdit(panel);
        txtPlayCount->setFixedWidth(70);
        m_playField = std::make_unique<TNumberField>(txtPlayCount, 1, 32767, 6, 1);
        txtPlayCount->setEnabled(false);
        row->addWidget(optPlayCount);
        row->addWidget(txtPlayCount);
        row->addWidget(new QLabel(QStringLiteral("time(s)"), panel));
        row->addStretch(1);
        layout->addLayout(row);
        connect(optPlayCount, &QRadioButton::toggled, this, [this](bool checked) {
            txtPlayCount->setEnabled(checked);
            m_playField->reset(1);
        });
        layout->addSpacing(12);
        auto* delayLabel = textLabel(
            QStringLiteral("How long would you like each frame to be &displayed (in 1/100th of a second)?"),
            panel);
        delayLabel->setTextFormat(Qt::AutoText); // the access key must show
        layout->addWidget(delayLabel);
        txtDelay = new QLineEdit(panel);
        txtDelay->setFixedWidth(70);
        m_delayField = std::make_unique<TNumberField>(txtDelay, 1, 32767, 6, 100);
        delayLabel->setBuddy(txtDelay);
        layout->addWidget(txtDelay);
        break;
    }
    case 3: {
        auto* label = new QLabel(
            QStringLiteral("&Select the images you would like to include in the animation."), panel);
        label->setWordWrap(true);
        layout->addWidget(label);
        auto* row = new QHBoxLayout;
        lstImages = new QListWidget(panel);
        lstImages->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        label->setBuddy(lstImages);
        row->addWidget(lstImages, 1);
        auto* side = new QVBoxLayout;
        btnAddImage = new QPushButton(QStringLiteral("&Add Image..."), panel);
        btnRemoveImage = new QPushButton(QStringLiteral("&Remove Image"), panel);
        btnMoveUp = new QPushButton(panel);
        btnMoveDown = new QPushButton(panel);
        btnMoveUp->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
        btnMoveDown->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
        btnMoveUp->setToolTip(QStringLiteral("Move Image Up"));
        btnMoveDown->setToolTip(QStringLiteral("Move Image Down"));
        btnMoveUp->setAccessibleName(QStringLiteral("Move Image Up"));
        btnMoveDown->setAccessibleName(QStringLiteral("Move Image Down"));
        for (QPushButton* button : {btnAddImage, btnRemoveImage, btnMoveUp, btnMoveDown}) {
            button->setAutoDefault(false);
            side->addWidget(button);
        }
        side->addStretch(1);
        row->addLayout(side);
        layout->addLayout(row, 1);
        connect(btnAddImage, &QPushButton::clicked, this, &TfrmWizards::addImages);
        connect(btnRemoveImage, &QPushButton::clicked, this, &TfrmWizards::removeImage);
        connect(btnMoveUp, &QPushButton::clicked, this, [this] { moveImage(-1); });
        connect(btnMoveDown, &QPushButton::clicked, this, [this] { moveImage(1); });
        connect(lstImages, &QListWidget::currentRowChanged, this, &TfrmWizards::updateImageButtons);
        updateImageButtons();
        return panel; // the list takes the height
    }
    case 4:
        layout->addWidget(textLabel(
            QStringLiteral("Congratulations! The animation wizard has everything it needs to create a new "
                           "animation. All you have to do is selected the Finish button. It will take a few "
                           "moments for the animation wizard to build the animated gif image."),
            panel));
        pbBuild = new QProgressBar(panel);
        pbBuild->hide();
        layout->addWidget(pbBuild);
        break;
    }
    layout->addStretch(1);
    return panel;
}

QWidget* TfrmWizards::buildOptimizationPage(int page)
{
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    switch (page) {
    case 5:
        layout->addWidget(
            textLabel(QStringLiteral("Welcome to the optimization wizard! How would you like to the "
                                     "optimization wizard to finish?"),
                      panel));
        optReplace =
            new QRadioButton(QStringLiteral("&Replace current animation with optimized version"), panel);
        optCreateNew =
            new QRadioButton(QStringLiteral("&Create a new animation from optimized version"), panel);
        optCreateNew->setChecked(true);
        layout->addWidget(optReplace);
        layout->addWidget(optCreateNew);
        break;
    case 6:
        layout->addWidget(
            textLabel(QStringLiteral("What would you like to do with the animation color palettes?"), panel));
        chkOptimizePalettes =
            new QCheckBox(QStringLiteral("&Optimze all palettes (global and local)"), panel);
        chkRemoveLocal =
            new QCheckBox(QStringLiteral("&Remove local palettes (optimizes to global palette)"), panel);
        chkSortPalettes = new QCheckBox(QStringLiteral("&Sort palettes and remove unused entries"), panel);
        chkOptimizePalettes->setChecked(true);
        chkSortPalettes->setChecked(true);
        for (QCheckBox* box : {chkOptimizePalettes, chkRemoveLocal, chkSortPalettes})
            layout->addWidget(box);
        break;
    case 7:
        layout->addWidget(textLabel(QStringLiteral("How should the frames be optimized?"), panel));
        chkTrim = new QCheckBox(QStringLiteral("&Trim frames to smallest rectangle needed"), panel);
        chkDuplicates = new QCheckBox(QStringLiteral("Remove &duplicate pixels with transparency"), panel);
        chkNonVisible =
            new QCheckBox(QStringLiteral("&Remove all non-visible elements (eg. comments)"), panel);
        chkTrim->setChecked(true);
        chkDuplicates->setChecked(true);
        for (QCheckBox* box : {chkTrim, chkDuplicates, chkNonVisible})
            layout->addWidget(box);
        break;
    case 8: {
        layout->addWidget(
            textLabel(QStringLiteral("Wow! Here are the optimized animation results. If you are "
                                     "satisfied with the results, select the finish button to "
                                     "continue."),
                      panel));
        auto* grid = new QGridLayout;
        lblCurrentSize = new QLabel(panel);
        lblOptimizedSize = new QLabel(panel);
        lblSavings = new QLabel(panel);
        const char* captions[3] = {"Current Size:", "Optimzed Size:", "Total Savings:"};
        QLabel* values[3] = {lblCurrentSize, lblOptimizedSize, lblSavings};
        for (int row = 0; row < 3; ++row) {
            auto* caption = new QLabel(QString::fromLatin1(captions[row]), panel);
            QFont bold = caption->font();
            bold.setBold(true);
            caption->setFont(bold);
            grid->addWidget(caption, row, 0);
            values[row]->setTextFormat(Qt::PlainText);
            grid->addWidget(values[row], row, 1);
        }
        grid->setColumnStretch(1, 1);
        layout->addLayout(grid);
        layout->addSpacing(12);
        auto* downloadCaption = new QLabel(QStringLiteral("Estimated Download Time:"), panel);
        QFont bold = downloadCaption->font();
        bold.setBold(true);
        downloadCaption->setFont(bold);
        layout->addWidget(downloadCaption);
        auto* row = new QHBoxLayout;
        lblDownload = new QLabel(panel);
        lblDownload->setTextFormat(Qt::PlainText);
        cbSpeed = new QComboBox(panel);
        for (const char* text : kSpeedTexts)
            cbSpeed->addItem(QString::fromLatin1(text));
        row->addWidget(lblDownload);
        row->addWidget(cbSpeed);
        row->addWidget(new QLabel(QStringLiteral("modem."), panel));
        row->addStretch(1);
        layout->addLayout(row);
        connect(cbSpeed, &QComboBox::currentIndexChanged, this, &TfrmWizards::updateDownload);
        break;
    }
    }
    layout->addStretch(1);
    return panel;
}

QWidget* TfrmWizards::buildTipPanel()
{
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("pnlTip"));
    panel->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(panel);
    lblTipHeading = new QLabel(QStringLiteral("Did you know..."), panel);
    QFont bold = lblTipHeading->font();
    bold.setBold(true);
    lblTipHeading->setFont(bold);
    layout->addWidget(lblTipHeading);
    lblTip = textLabel(QString(), panel);
    lblTip->setObjectName(QStringLiteral("lblTip"));
    lblTip->setMinimumHeight(64);
    lblTip->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(lblTip, 1);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    btnNextTip = new QPushButton(QStringLiteral("&Next Tip"), panel);
    btnNextTip->setAutoDefault(false);
    row->addWidget(btnNextTip);
    layout->addLayout(row);
    connect(btnNextTip, &QPushButton::clicked, this, [this] {
        if (!m_tips.isEmpty())
            showTip((m_tip + 1) % int(m_tips.size()));
    });
    loadTips();
    return panel;
}

QWidget* TfrmWizards::buildWelcomePage()
{
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    layout->addWidget(textLabel(QStringLiteral("How would you like to start GIF Reelwright?"), panel));
    auto* row = new QHBoxLayout;
    btnNew = new QPushButton(QStringLiteral("New"), panel);
    btnOpen = new QPushButton(QStringLiteral("Open"), panel);
    btnRecent = new QPushButton(QStringLiteral("Recent"), panel);
    for (QPushButton* button : {btnNew, btnOpen, btnRecent}) {
        button->setAutoDefault(false);
        row->addWidget(button);
    }
    btnRecent->setEnabled(m_setup.recentVisible);
    layout->addLayout(row);
    layout->addSpacing(24);
    layout->addWidget(m_tipPanel, 1);
    chkDontShow = new QCheckBox(QStringLiteral("&Don't show at start up"), panel);
    chkDontShow->setChecked(Settings::readInteger(SettingKeys::WelcomeDialog) != 0);
    layout->addWidget(chkDontShow);
    connect(btnNew, &QPushButton::clicked, this, [this] { setMode(TWizardMode::Animation); });
    connect(btnOpen, &QPushButton::clicked, this, [this] {
        m_welcomeChoice = 1;
        accept();
    });
    connect(btnRecent, &QPushButton::clicked, this, &TfrmWizards::showRecent);
    return panel;
}

QWidget* TfrmWizards::buildRecentPage()
{
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    auto* label = new QLabel(QStringLiteral("&Select a file from the list below"), panel);
    layout->addWidget(label);
    lstRecent = new QListWidget(panel);
    lstRecent->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    label->setBuddy(lstRecent);
    lstRecent->setMaximumHeight(90); // the preview below gets the room
    layout->addWidget(lstRecent);
    auto* box = new QScrollArea(panel);
    box->setObjectName(QStringLiteral("sbPreview"));
    box->setAlignment(Qt::AlignCenter);
    imgPreview = new QLabel(box);
    imgPreview->setAlignment(Qt::AlignCenter);
    box->setWidget(imgPreview);
    box->setWidgetResizable(true);
    layout->addWidget(box, 1);
    connect(lstRecent, &QListWidget::currentItemChanged, this, &TfrmWizards::previewRecent);
    return panel;
}

void TfrmWizards::loadSidePicture()
{
    TPicture picture;
    const QString name = QString::fromLatin1(m_mode == TWizardMode::Optimization ? "OPT_WIZ" : "ANI_WIZ");
    // A missing library has been reported; the wizard works on without its picture.
    if (!loadBitmapResource(TResourceLibrary(), name, picture))
        return;
    if (auto* bitmap = dynamic_cast<TBitmap*>(picture.graphic()))
        imgSide->setPixmap(QPixmap::fromImage(bitmap->toImage()));
}

void TfrmWizards::setMode(TWizardMode mode)
{
    m_mode = mode;
    const bool wizard = mode == TWizardMode::Animation || mode == TWizardMode::Optimization;
    btnBack->setVisible(wizard);
    btnNext->setVisible(wizard);
    btnCancel->setVisible(wizard);
    btnOK->setVisible(mode == TWizardMode::Tips);
    btnHelp->setVisible(mode != TWizardMode::Tips);
    lblHeading->setVisible(mode != TWizardMode::Tips);
    switch (mode) {
    case TWizardMode::Welcome:
        setWindowTitle(QStringLiteral("Welcome to GIF Reelwright"));
        lblHeading->setText(QStringLiteral("Welcome to Brightwell GIF Reelwright!"));
        m_pages->setCurrentWidget(m_welcomePage);
        break;
    case TWizardMode::Tips:
        setWindowTitle(QStringLiteral("Tip of the Day"));
        m_pages->addWidget(m_tipPanel);
        m_pages->setCurrentWidget(m_tipPanel);
        btnOK->setDefault(true);
        btnOK->setFocus();
        break;
    case TWizardMode::Animation:
        setWindowTitle(QStringLiteral("Animation Wizard"));
        m_welcomePage->hide();
        m_tipPanel->hide();
        showPage(kFirstAnimationPage);
        break;
    case TWizardMode::Optimization:
        setWindowTitle(QStringLiteral("Optimization Wizard"));
        showPage(kFirstOptimizationPage);
        break;
    }
}

bool TfrmWizards::firstPageOfMode() const
{
    return m_page == (m_mode == TWizardMode::Optimization ? kFirstOptimizationPage : kFirstAnimationPage);
}

bool TfrmWizards::lastPageOfMode() const
{
    return m_page == (m_mode == TWizardMode::Optimization ? kLastOptimizationPage : kLastAnimationPage);
}

void TfrmWizards::showPage(int page)
{
    m_page = page;
    btnNext->setProperty("tag", page); // the Next button holds the page number
    m_pages->setCurrentWidget(m_pagePanels[page]);
    lblHeading->setText(pageHeading(page));
    btnBack->setEnabled(!firstPageOfMode());
    btnNext->setText(lastPageOfMode() ? QStringLiteral("&Finish") : QStringLiteral("&Next >"));
    btnNext->setEnabled(page != 3 || lstImages->count() > 0);
    btnNext->setDefault(true);
}

void TfrmWizards::next()
{
    if (m_page == 0 && optCustomSize->isChecked()) {
        m_heightField->commit();
        m_widthField->commit();
    }
    if (m_page == 2) {
        m_playField->commit();
        m_delayField->commit();
    }
    if (m_page == kLastAnimationPage) {
        finishAnimation();
        return;
    }
    if (m_page == 7) {
        try {
            runOptimization();
        } catch (const std::exception& error) {
            // Only the copy was touched: the animation is as it was, and the user may go back.
            messageDlg(QString::fromLocal8Bit(error.what()), TMsgType::Error, TMsgButtons::Ok);
            return;
        }
    }
    if (m_page == kLastOptimizationPage) {
        finishOptimization();
        return;
    }
    showPage(m_page + 1);
}

void TfrmWizards::back()
{
    if (!firstPageOfMode())
        showPage(m_page - 1);
}

void TfrmWizards::help()
{
    const QString page =
        QDir(programFolderOr(m_setup.programFolder)).filePath(QStringLiteral("help/index.html"));
    QUrl url = QUrl::fromLocalFile(page);
    url.setFragment(QStringLiteral("context-%1").arg(300 + int(m_mode)));
    m_session.openDocumentOrLink(url.toString());
}

void TfrmWizards::runOptimization()
{
    TGIFImage* animation = m_setup.animation;
    if (!animation || animation->empty())
        return;
    TWaitCursor wait;
    TOptimizeChoices choices;
    choices.optimizePalettes = chkOptimizePalettes->isChecked();
    // A box that was checked while it could be is still skipped once it is disabled.
    choices.removeLocal = chkRemoveLocal->isChecked() && chkRemoveLocal->isEnabled();
    choices.sortPalettes = chkSortPalettes->isChecked();
    choices.trim = chkTrim->isChecked();
    choices.duplicates = chkDuplicates->isChecked();
    choices.nonVisible = chkNonVisible->isChecked();
    m_copy->clear();
    optimizeCopy(*animation, *m_copy, choices);
    const double optimized = m_copy->empty() ? 0.0 : double(gifByteSize(*m_copy));
    lblOptimizedSize->setText(byteSizeText(optimized));
    lblSavings->setText(savingsText(m_currentSize, optimized));
    updateDownload();
}

void TfrmWizards::updateDownload()
{
    if (lblDownload)
        lblDownload->setText(downloadText(m_currentSize, cbSpeed->currentIndex()));
}

void TfrmWizards::finishOptimization()
{
    m_finish = optReplace->isChecked() ? TOptimizeFinish::Replace : TOptimizeFinish::NewDocument;
    m_result = std::move(m_copy);
    accept();
}

void TfrmWizards::finishAnimation()
{
    TAnimationPlan plan;
    for (int i = 0; i < lstImages->count(); ++i)
        plan.files.append(lstImages->item(i)->text());
    plan.firstImageSize = optFirstImageSize->isChecked();
    if (!plan.firstImageSize)
        plan.customSize = QSize(m_widthField->value(), m_heightField->value());
    plan.placement = chkScale->isChecked()    ? TPlacement::Scale
                     : optCenter->isChecked() ? TPlacement::Center
                                              : TPlacement::TopLeft;
    plan.transparent = chkTransparent->isChecked();
    if (optLoopForever->isChecked())
        plan.userLoopCount = 0;
    else
        plan.userLoopCount = m_playField->value();
    plan.delay = m_delayField->value();
    {
        TWaitCursor wait;
        // The pictures load one by one; the bar shows how far, and the buttons wait meanwhile.
        for (QPushButton* button : {btnBack, btnNext, btnCancel, btnHelp})
            button->setEnabled(false);
        pbBuild->setRange(0, int(plan.files.size()));
        pbBuild->show();
        m_result = buildAnimation(m_session, plan, [this](int done, int) {
            pbBuild->setValue(done);
            pbBuild->repaint();
        });
        pbBuild->hide();
        for (QPushButton* button : {btnBack, btnNext, btnCancel, btnHelp})
            button->setEnabled(true);
    }
    accept();
}

void TfrmWizards::updateImageButtons()
{
    const int row = lstImages->currentRow();
    const int count = lstImages->count();
    btnRemoveImage->setEnabled(count > 0 && row >= 0);
    btnMoveUp->setEnabled(row > 0);
    btnMoveDown->setEnabled(row >= 0 && row < count - 1);
    if (m_page == 3)
        btnNext->setEnabled(count > 0);
}

void TfrmWizards::addImages()
{
    TFileDialogRequest request;
    request.title = QStringLiteral("Add Image");
    request.filter = QString::fromLatin1(kWizardImageFilter);
    request.filterIndex = 1;
    request.initialDir = m_initialDir;
    request.multiSelect = true;
    const TFileDialogResult chosen = messageService().openFile(request);
    if (!chosen.accepted || chosen.files.isEmpty())
        return;
    for (const QString& file : chosen.files)
        lstImages->addItem(file);
    m_initialDir = QFileInfo(chosen.files.first()).absolutePath();
    lstImages->setCurrentRow(lstImages->count() - 1);
    updateImageButtons();
}

void TfrmWizards::removeImage()
{
    const int row = lstImages->currentRow();
    if (row < 0)
        return;
    delete lstImages->takeItem(row);
    if (lstImages->count() > 0)
        lstImages->setCurrentRow(std::max(row - 1, 0));
    updateImageButtons();
}

void TfrmWizards::moveImage(int step)
{
    const int row = lstImages->currentRow();
    const int target = row + step;
    if (row < 0 || target < 0 || target >= lstImages->count())
        return;
    QListWidgetItem* item = lstImages->takeItem(row);
    lstImages->insertItem(target, item);
    lstImages->setCurrentRow(target);
    updateImageButtons();
}

void TfrmWizards::loadTips()
{
    const TTips tips = loadTipsFile(programFolderOr(m_setup.programFolder));
    m_tips = tips.lines;
    btnNextTip->setEnabled(!m_tips.isEmpty());
    if (m_tips.isEmpty())
        lblTip->setText(tips.missingText);
    else
        showTip(0);
}

void TfrmWizards::showTip(int index)
{
    m_tip = index;
    lblTip->setText(m_tips.value(index));
}

void TfrmWizards::showRecent()
{
    setWindowTitle(QStringLiteral("Recent Files"));
    lblHeading->setText(QStringLiteral("Reopen a previous animation"));
    lstRecent->clear();
    for (const QString& caption : m_setup.recentCaptions)
        lstRecent->addItem(caption.mid(3)); // without the accelerator prefix "&n "
    m_pages->setCurrentWidget(m_recentPage);
    btnOK->show();
    btnCancel->show();
    btnOK->setDefault(true);
}

void TfrmWizards::previewRecent(QListWidgetItem* item)
{
    if (!item)
        return;
    suspendDrawing(*m_recentPage, true);
    m_preview = std::make_unique<TGIFImage>();
    m_preview->setDrawOptions(m_preview->drawOptions() & ~(goAnimate | goLoop));
    QPixmap shown;
    if (loadGIFFile(*m_preview, item->text()) && !m_preview->empty())
        if (std::unique_ptr<TBitmap> picture = m_session.imagePicture(*m_preview))
            shown = QPixmap::fromImage(picture->toImage());
    imgPreview->setPixmap(shown);
    suspendDrawing(*m_recentPage, false);
}

void TfrmWizards::done(int result)
{
    // Only the welcome page itself decides whether it comes back at the next start.
    if (m_mode == TWizardMode::Welcome)
        Settings::writeInteger(SettingKeys::WelcomeDialog, chkDontShow->isChecked() ? 1 : 0);
    QDialog::done(result);
}

TWizardResult TfrmWizards::takeResult()
{
    TWizardResult result;
    result.modalResult = this->result() == QDialog::Accepted ? mrOk : mrCancel;
    result.mode = m_mode;
    result.image = std::move(m_result);
    result.finish = m_finish;
    result.welcomeChoice = m_welcomeChoice;
    result.reopenFile = m_reopenFile;
    result.initialDir = m_initialDir;
    return result;
}

TWizardResult runWizard(TEditSession& session, TWizardSetup setup, QWidget* parent)
{
    TfrmWizards dialog(session, std::move(setup), parent);
    execDialog(dialog);
    return dialog.takeResult();
}
