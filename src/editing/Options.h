#pragma once
// The program options dialog, and in two reduced modes the "Organize Favorites" window and the
// about box. It reads the settings when it opens; with OK (mode 0) it writes them by each
// control's rule and reports what the main window must apply now. Cancel changes nothing.
// GUI thread only.
#include "graphics/Colors.h"

#include <QDialog>
#include <QStringList>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;
class TColorComboBox;
class TPalettePage;
class TUpDownEdit;

enum class TOptionsMode
{
    ProgramOptions = 0,
    Favorites = 1,
    About = 2,
};

// The values the main window keeps in use, handed in on opening and back after OK.
struct TOptionsValues
{
    bool toolbarsFlat = true;
    bool syncOpenDialog = false;
    bool noOpenDlgPreview = false;
    TColor frameTransparentColor = clWhite;
    int defaultDelay = 100;
    int defaultNSLoop = 0;
    int thumbnailSize = 75; // the thumbnail list's current edge
    int filterType = 19;
    QStringList favorites;
};

// What OK changed that the main window must apply at once.
struct TOptionsOutcome
{
    bool toolbarStyleChanged = false;
    bool favoritesEdited = false;
    bool thumbnailSizeChanged = false;
};

inline constexpr const char* kFilterAllSupported = "All Supported Image Files ";
inline constexpr int kFilterTypeAll = 19;

class TfrmOptions : public QDialog
{
    Q_OBJECT
public:
    TfrmOptions(TOptionsMode mode, const TOptionsValues& values, QWidget* parent = nullptr);
    ~TfrmOptions() override;

    TOptionsMode mode() const { return m_mode; }
    // After OK: the values in use, updated by what was written.
    const TOptionsValues& values() const { return m_values; }
    const TOptionsOutcome& outcome() const { return m_outcome; }
    bool favoritesEdited() const { return m_favoritesEdited; }
    QStringList favoriteFolders() const;

    // Shift+Alt+F7: asks and, on Yes, calls this with the new state after writing "Warnings".
    std::function<void(bool on)> onWarningsToggled;
    void toggleWarnings();

    // The maker's pages the about panel opens.
    static const char* const kHomePage;
    static const char* const kProductsPage;

    QTabWidget* tabOptions = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
    // Program
    QCheckBox* chkNormalStyle = nullptr;
    QCheckBox* chkDisplayAnimation = nullptr;
    QCheckBox* chkSyncOpenDialog = nullptr;
    TUpDownEdit* txtMaxUndo = nullptr;
    QCheckBox* chkNoPreview = nullptr;
    TColorComboBox* cbFrameColor = nullptr;
    // Animation
    TUpDownEdit* txtDefaultDelay = nullptr;
    TUpDownEdit* txtDefaultLoop = nullptr;
    QRadioButton* optTrim = nullptr;
    QRadioButton* optChange = nullptr;
    QCheckBox* chkClipDefault = nullptr;
    // Palettes
    TPalettePage* pnlPalettes = nullptr;
    // Thumbnails
    QComboBox* cbThumbSize = nullptr;
    QComboBox* cbFilterType = nullptr;
    QCheckBox* chkDropImage = nullptr;
    QCheckBox* chkAutoLoad = nullptr;
    // Favourites
    QListWidget* lstFavorites = nullptr;
    QPushButton* btnAddFolder = nullptr;
    QPushButton* btnRemoveFolder = nullptr;
    QPushButton* btnMoveUp = nullptr;
    QPushButton* btnMoveDown = nullptr;
    // About
    QLabel* lblAbout = nullptr;
    QPushButton* btnHomePage = nullptr;
    QPushButton* btnProducts = nullptr;

    void addFolder();
    void removeFolder();
    void moveFolder(int step);

signals:
    // The about panel's buttons: the page to open through the shell.
    void linkRequested(const QString& address);

public slots:
    void accept() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* buildProgramPage();
    QWidget* buildAnimationPage();
    QWidget* buildThumbnailsPage();
    QWidget* buildFavoritesPanel();
    QWidget* buildAboutPanel();
    void loadSettings();
    void saveSettings();
    void updateFolderButtons();

    TOptionsMode m_mode;
    TOptionsValues m_values;
    TOptionsOutcome m_outcome;
    bool m_favoritesEdited = false;
    // Stored values the "when it differs from the stored value" rules compare with.
    int m_storedDisplayAnimation = 1;
    int m_storedClipFrame = 1;
    int m_storedClipDefault = 0;
    int m_storedDropImage = 0;
    int m_storedAutoLoad = 1;
};
