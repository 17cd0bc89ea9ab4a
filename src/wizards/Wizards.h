#pragma once
// The wizard dialog: one form in four modes (welcome page, animation wizard, optimization wizard,
// tip of the day) with a side picture, a heading band and one page mechanism: the page number
// the Next button holds, Next and Back.
//
// The dialog changes nothing outside itself. What it leaves behind is a TWizardResult of plain
// values (a new animation, an optimised copy with the way to deliver it, a welcome choice), which
// the caller applies to its documents. The animation handed in for optimising is only read.
// GUI thread only.
#include "editing/EditSession.h"

#include <QDialog>
#include <QStringList>

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QStackedWidget;
class TGIFImage;
class TNumberField;

enum class TWizardMode : int
{
    Welcome = 0,
    Animation = 1,
    Optimization = 2,
    Tips = 3,
};

// The finish options the optimization wizard offers: both (the Optimize command), or the one the
// save dialog allows (Save replaces, Save As creates a new animation).
enum class TOptimizeOffer
{
    Both,
    ReplaceOnly,
    NewOnly,
};

enum class TOptimizeFinish
{
    Replace,
    NewDocument,
};

struct TWizardSetup
{
    TWizardMode mode = TWizardMode::Welcome;
    // Optimization wizard: the animation to optimise; read, never changed.
    TGIFImage* animation = nullptr;
    TOptimizeOffer offer = TOptimizeOffer::Both;
    // Welcome page: the captions of the recent-files menu's entries and whether that menu shows.
    QStringList recentCaptions;
    bool recentVisible = false;
    // The folder of Tips.txt and the help pages; empty: the program's folder.
    QString programFolder;
    // The open dialog's folder for "&Add Image...".
    QString initialDir;
};

struct TWizardResult
{
    int modalResult = mrCancel;
    // The mode when the dialog closed: "New" turns the welcome page into the animation wizard.
    TWizardMode mode = TWizardMode::Welcome;
    // Animation wizard: the new animation. Optimization wizard: the optimised copy.
    std::unique_ptr<TGIFImage> image;
    TOptimizeFinish finish = TOptimizeFinish::NewDocument;
    // Welcome page: 1 = run Open, 2 = open reopenFile.
    int welcomeChoice = 0;
    QString reopenFile;
    // The open dialog's folder after pictures were added.
    QString initialDir;
};

class TfrmWizards : public QDialog
{
    Q_OBJECT
public:
    // Page numbers: 0-4 animation wizard, 5-8 optimization wizard.
    static constexpr int kFirstAnimationPage = 0;
    static constexpr int kLastAnimationPage = 4;
    static constexpr int kFirstOptimizationPage = 5;
    static constexpr int kLastOptimizationPage = 8;

    // The session turns pictures into frames and opens the help pages.
    TfrmWizards(TEditSession& session, TWizardSetup setup, QWidget* parent = nullptr);
    ~TfrmWizards() override;

    TWizardMode mode() const { return m_mode; }
    int page() const { return m_page; }
    // What the dialog leaves for its caller; call once after it closed.
    TWizardResult takeResult();

    // The controls, named as the program names them.
    QLabel* imgSide = nullptr;
    QLabel* lblHeading = nullptr;
    QPushButton* btnBack = nullptr;
    QPushButton* btnNext = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnHelp = nullptr;
    // Welcome page, recent files and tips.
    QPushButton* btnNew = nullptr;
    QPushButton* btnOpen = nullptr;
    QPushButton* btnRecent = nullptr;
    QCheckBox* chkDontShow = nullptr;
    QLabel* lblTipHeading = nullptr;
    QLabel* lblTip = nullptr;
    QPushButton* btnNextTip = nullptr;
    QListWidget* lstRecent = nullptr;
    QLabel* imgPreview = nullptr;
    // Animation wizard.
    QRadioButton* optFirstImageSize = nullptr;
    QRadioButton* optCustomSize = nullptr;
    QLineEdit* txtHeight = nullptr;
    QLineEdit* txtWidth = nullptr;
    QRadioButton* optTopLeft = nullptr;
    QRadioButton* optCenter = nullptr;
    QCheckBox* chkScale = nullptr;
    QCheckBox* chkTransparent = nullptr;
    QRadioButton* optLoopForever = nullptr;
    QRadioButton* optPlayCount = nullptr;
    QLineEdit* txtPlayCount = nullptr;
    QLineEdit* txtDelay = nullptr;
    QListWidget* lstImages = nullptr;
    QPushButton* btnAddImage = nullptr;
    QPushButton* btnRemoveImage = nullptr;
    QPushButton* btnMoveUp = nullptr;
    QPushButton* btnMoveDown = nullptr;
    QProgressBar* pbBuild = nullptr; // shown while Finish builds the animation
    // Optimization wizard.
    QRadioButton* optReplace = nullptr;
    QRadioButton* optCreateNew = nullptr;
    QCheckBox* chkOptimizePalettes = nullptr;
    QCheckBox* chkRemoveLocal = nullptr;
    QCheckBox* chkSortPalettes = nullptr;
    QCheckBox* chkTrim = nullptr;
    QCheckBox* chkDuplicates = nullptr;
    QCheckBox* chkNonVisible = nullptr;
    QLabel* lblCurrentSize = nullptr;
    QLabel* lblOptimizedSize = nullptr;
    QLabel* lblSavings = nullptr;
    QLabel* lblDownload = nullptr;
    QComboBox* cbSpeed = nullptr;

    // The texts of the heading band, by page.
    static QString pageHeading(int page);

protected:
    void done(int result) override;

private:
    QWidget* buildAnimationPage(int page);
    QWidget* buildOptimizationPage(int page);
    QWidget* buildWelcomePage();
    QWidget* buildRecentPage();
    QWidget* buildTipPanel();
    void loadSidePicture();
    void setMode(TWizardMode mode);
    void showPage(int page);
    void next();
    void back();
    void help();
    void runOptimization();
    void finishAnimation();
    void finishOptimization();
    void updateDownload();
    void updateImageButtons();
    void addImages();
    void removeImage();
    void moveImage(int step);
    void loadTips();
    void showTip(int index);
    void showRecent();
    void previewRecent(QListWidgetItem* item);
    bool firstPageOfMode() const;
    bool lastPageOfMode() const;

    TEditSession& m_session;
    TWizardSetup m_setup;
    TWizardMode m_mode;
    int m_page = 0;
    QStackedWidget* m_pages = nullptr;
    QWidget* m_welcomePage = nullptr;
    QWidget* m_recentPage = nullptr;
    QWidget* m_tipPanel = nullptr;
    QWidget* m_pagePanels[9] = {};
    std::unique_ptr<TNumberField> m_heightField, m_widthField, m_playField, m_delayField;
    // Optimization wizard: the size when the wizard opened and the private copy.
    double m_currentSize = 0;
    std::unique_ptr<TGIFImage> m_copy;
    std::unique_ptr<TGIFImage> m_result;
    TOptimizeFinish m_finish = TOptimizeFinish::NewDocument;
    QStringList m_tips;
    int m_tip = 0;
    int m_welcomeChoice = 0;
    QString m_reopenFile;
    QString m_initialDir;
    std::unique_ptr<TGIFImage> m_preview;
};

// Runs the wizard dialog modally through the message service (tests script it there).
TWizardResult runWizard(TEditSession& session, TWizardSetup setup, QWidget* parent = nullptr);

// Tips.txt of the folder as lines, or the missing-file text when it cannot be read.
struct TTips
{
    QStringList lines; // empty when the file could not be read
    QString missingText;
};
TTips loadTipsFile(const QString& folder);

// The filter of "&Add Image...".
extern const char* const kWizardImageFilter;
