// The options dialog worked through its real controls: what OK writes from a fresh settings
// store (and what it leaves unwritten), the number fields, the thumbnail settings, the
// favourites panel, the about panel and the hidden warnings switch.
#include "DialogTestSupport.h"

#include "editing/Options.h"
#include "editing/Prompts.h"
#include "editing/UndoHost.h"
#include "widgets/ColorComboBox.h"
#include "widgets/UpDownEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

using dialogtest::DialogFixture;

namespace {

class OptionsTest : public DialogFixture
{
protected:
    QStringList tabs(const TfrmOptions& dialog)
    {
        QStringList texts;
        for (int i = 0; i < dialog.tabOptions->count(); ++i)
            texts << dialog.tabOptions->tabText(i);
        return texts;
    }
    static QStringList folders(const TfrmOptions& dialog) { return dialog.favoriteFolders(); }
};

TEST_F(OptionsTest, ThreeModesShowTheirPages)
{
    TfrmOptions options(TOptionsMode::ProgramOptions, {});
    EXPECT_EQ(options.windowTitle(), QStringLiteral("Program Options"));
    EXPECT_EQ(tabs(options),
              (QStringList{QStringLiteral("Program"), QStringLiteral("Animation"), QStringLiteral("Palettes"),
                           QStringLiteral("Thumbnails"), QStringLiteral("About Reelwright")}));
    EXPECT_EQ(options.tabOptions->currentIndex(), 0);
    TfrmOptions favorites(TOptionsMode::Favorites, {});
    EXPECT_EQ(favorites.windowTitle(), QStringLiteral("Organize Favorites"));
    EXPECT_EQ(tabs(favorites), QStringList{QStringLiteral("Favorites")});
    EXPECT_NE(favorites.lstFavorites, nullptr);
    EXPECT_EQ(favorites.chkNormalStyle, nullptr);
    TfrmOptions about(TOptionsMode::About, {});
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About GIF Reelwright"));
    EXPECT_EQ(tabs(about), QStringList{QStringLiteral("About Reelwright")});
    EXPECT_TRUE(about.lblAbout->text().startsWith(QStringLiteral("Brightwell GIF Reelwright 5.0")));
}

TEST_F(OptionsTest, OkFromAFreshStoreWritesOnlyWhatItMust)
{
    TOptionsValues values;
    values.toolbarsFlat = true;
    values.thumbnailSize = 75;
    TfrmOptions dialog(TOptionsMode::ProgramOptions, values);
    // The defaults as shown.
    EXPECT_FALSE(dialog.chkNormalStyle->isChecked());
    EXPECT_TRUE(dialog.chkDisplayAnimation->isChecked());
    EXPECT_FALSE(dialog.chkSyncOpenDialog->isChecked());
    EXPECT_EQ(dialog.txtMaxUndo->text(), QStringLiteral("50"));
    EXPECT_EQ(dialog.cbFrameColor->currentText(), QStringLiteral("White"));
    EXPECT_EQ(dialog.txtDefaultDelay->text(), QStringLiteral("100"));
    EXPECT_EQ(dialog.txtDefaultLoop->text(), QStringLiteral("0"));
    EXPECT_TRUE(dialog.optTrim->isChecked());
    EXPECT_FALSE(dialog.chkClipDefault->isChecked());
    EXPECT_EQ(dialog.cbThumbSize->currentText(), QStringLiteral("75"));
    EXPECT_EQ(dialog.cbFilterType->currentText(), QString::fromLatin1(kFilterAllSupported));
    EXPECT_FALSE(dialog.chkDropImage->isChecked());
    EXPECT_TRUE(dialog.chkAutoLoad->isChecked());
    EXPECT_TRUE(dialog.pnlPalettes->optAdaptive->isChecked());

    dialog.btnOK->click();
    // Always written.
    EXPECT_EQ(Settings::readInteger(SettingKeys::MaxUndo), 50);
    EXPECT_TRUE(stored(SettingKeys::MaxUndo));
    EXPECT_TRUE(stored(SettingKeys::DefaultDelay));
    EXPECT_TRUE(stored(SettingKeys::DefaultNSLoop));
    EXPECT_EQ(Settings::readInteger(SettingKeys::ThumbFilterType), 19);
    EXPECT_TRUE(stored(SettingKeys::ThumbFilterType));
    EXPECT_TRUE(stored(SettingKeys::PaletteType));
    // Unchanged: nothing stored.
    for (const TSettingKey* key :
         {&SettingKeys::NormalStyle, &SettingKeys::DisplayAnimation, &SettingKeys::SyncOpenDialog,
          &SettingKeys::NoOpenDlgPreview, &SettingKeys::FrameTransparentColor, &SettingKeys::ClipFrame,
          &SettingKeys::ClipDefault, &SettingKeys::ThumbailSize, &SettingKeys::DropImageDefault,
          &SettingKeys::AutoLoadStartUp, &SettingKeys::PaletteDefaults})
        EXPECT_FALSE(stored(*key)) << key->name;
    EXPECT_FALSE(dialog.outcome().toolbarStyleChanged);
    EXPECT_FALSE(dialog.outcome().thumbnailSizeChanged);
    EXPECT_FALSE(dialog.outcome().favoritesEdited);
}

TEST_F(OptionsTest, ChangedValuesAreWrittenAndHandedBack)
{
    TOptionsValues values;
    values.thumbnailSize = 75;
    TfrmOptions dialog(TOptionsMode::ProgramOptions, values);
    dialog.show();
    dialog.chkNormalStyle->click();
    dialog.chkDisplayAnimation->click();
    dialog.chkSyncOpenDialog->click();
    dialog.chkNoPreview->click();
    dialog.cbFrameColor->setCurrentIndex(dialog.cbFrameColor->findText(QStringLiteral("Teal")));
    dialog.txtDefaultDelay->setPosition(30);
    dialog.txtDefaultLoop->setPosition(4);
    dialog.optChange->click();
    dialog.chkClipDefault->click();
    dialog.cbThumbSize->setCurrentIndex(dialog.cbThumbSize->findText(QStringLiteral("150")));
    dialog.cbFilterType->setCurrentIndex(11); // "Portable Network Graphics (*.png)"
    dialog.chkAutoLoad->click();
    dialog.btnOK->click();

    EXPECT_EQ(Settings::readInteger(SettingKeys::NormalStyle), 1);
    EXPECT_EQ(Settings::readInteger(SettingKeys::DisplayAnimation), 0);
    EXPECT_EQ(Settings::readInteger(SettingKeys::SyncOpenDialog), 1);
    EXPECT_EQ(Settings::readInteger(SettingKeys::NoOpenDlgPreview), 1);
    EXPECT_EQ(TColor(Settings::readInteger(SettingKeys::FrameTransparentColor)), clTeal);
    EXPECT_EQ(Settings::readInteger(SettingKeys::DefaultDelay), 30);
    EXPECT_EQ(Settings::readInteger(SettingKeys::DefaultNSLoop), 4);
    EXPECT_EQ(Settings::readInteger(SettingKeys::ClipFrame), 0);
    EXPECT_EQ(Settings::readInteger(SettingKeys::ClipDefault), 1);
    EXPECT_EQ(Settings::readInteger(SettingKeys::ThumbailSize), 150);
    EXPECT_EQ(Settings::readInteger(SettingKeys::ThumbFilterType), 11);
    EXPECT_EQ(Settings::readInteger(SettingKeys::AutoLoadStartUp), 0);

    const TOptionsValues& used = dialog.values();
    EXPECT_FALSE(used.toolbarsFlat);
    EXPECT_TRUE(used.syncOpenDialog);
    EXPECT_TRUE(used.noOpenDlgPreview);
    EXPECT_EQ(used.frameTransparentColor, clTeal);
    EXPECT_EQ(used.defaultDelay, 30);
    EXPECT_EQ(used.defaultNSLoop, 4);
    EXPECT_EQ(used.thumbnailSize, 150);
    EXPECT_EQ(used.filterType, 11);
    EXPECT_TRUE(dialog.outcome().toolbarStyleChanged);
    EXPECT_TRUE(dialog.outcome().thumbnailSizeChanged);
}

TEST_F(OptionsTest, NumberFieldsComeBackIntoRangeWhenLeft)
{
    TfrmOptions dialog(TOptionsMode::ProgramOptions, {});
    dialog.show();
    struct Case
    {
        TUpDownEdit* field;
        const char* typed;
        const char* shown;
    };
    const Case cases[] = {
        {dialog.txtMaxUndo, "99", "50"}, {dialog.txtMaxUndo, "3", "5"},      {dialog.txtMaxUndo, "", "5"},
        {dialog.txtMaxUndo, "12", "12"}, {dialog.txtDefaultDelay, "0", "1"}, {dialog.txtDefaultLoop, "", "0"},
    };
    for (const Case& c : cases) {
        dialogtest::typeInto(c.field, QString::fromLatin1(c.typed));
        dialogtest::leave(c.field, dialog.chkNormalStyle);
        EXPECT_EQ(c.field->text(), QString::fromLatin1(c.shown))
            << c.field->objectName().toStdString() << " " << c.typed;
    }
    EXPECT_EQ(dialog.txtMaxUndo->maximum(), 50);
    dialogtest::typeInto(dialog.txtMaxUndo, QStringLiteral("1234"));
    EXPECT_EQ(dialog.txtMaxUndo->text(), QStringLiteral("123")) << "three characters at most";
    dialog.btnOK->click();
    EXPECT_EQ(Settings::readInteger(SettingKeys::MaxUndo), 50);
}

TEST_F(OptionsTest, NewUndoCapacityIsWhatDocumentsCreatedLaterUse)
{
    EXPECT_EQ(undoCapacitySetting(), 50);
    TfrmOptions dialog(TOptionsMode::ProgramOptions, {});
    dialog.txtMaxUndo->setPosition(7);
    dialog.btnOK->click();
    EXPECT_EQ(undoCapacitySetting(), 7);
}

TEST_F(OptionsTest, FilterTypeAllSupportedIsStoredAs19)
{
    TOptionsValues values;
    values.filterType = 4;
    TfrmOptions dialog(TOptionsMode::ProgramOptions, values);
    EXPECT_EQ(dialog.cbFilterType->currentText(), QStringLiteral("DCX Images (*.dcx)"));
    EXPECT_EQ(dialog.cbFilterType->count(), 19);
    EXPECT_EQ(dialog.cbFilterType->itemText(0), QStringLiteral("GIF Images (*.gif)"));
    EXPECT_EQ(dialog.cbFilterType->itemText(17), QStringLiteral("Word Perfect Graphics (*.wpg)"));
    dialog.cbFilterType->setCurrentIndex(
        dialog.cbFilterType->findText(QString::fromLatin1(kFilterAllSupported)));
    dialog.btnOK->click();
    EXPECT_EQ(Settings::readInteger(SettingKeys::ThumbFilterType), 19);
    EXPECT_EQ(dialog.values().filterType, 19);
}

TEST_F(OptionsTest, DropQuestionAnswerIsKeptOnlyOnceOneIsStored)
{
    // 6 is the drop question's "&Include" (frames go into the current animation), 7 its
    // "&Start New" (the GIF opens as an animation of its own), so the box shows 7.
    struct Case
    {
        int stored; // 0: nothing stored
        bool shownChecked;
        bool click;
        int afterOk; // 0: still nothing stored
    };
    for (const Case c : {Case{0, false, true, 0}, Case{6, false, true, 7}, Case{7, true, true, 6},
                         Case{6, false, false, 6}}) {
        SCOPED_TRACE(c.stored);
        QSettings(QSettings::IniFormat, QSettings::UserScope, QString::fromLatin1(kSettingsOrganization),
                  QString::fromLatin1(kSettingsApplication))
            .clear();
        if (c.stored)
            Settings::writeInteger(SettingKeys::DropImageDefault, c.stored);
        TfrmOptions dialog(TOptionsMode::ProgramOptions, {});
        EXPECT_EQ(dialog.chkDropImage->isChecked(), c.shownChecked);
        if (c.click)
            dialog.chkDropImage->click();
        dialog.btnOK->click();
        EXPECT_EQ(stored(SettingKeys::DropImageDefault), c.afterOk != 0);
        if (c.afterOk) {
            EXPECT_EQ(Settings::readInteger(SettingKeys::DropImageDefault), c.afterOk);
        }
    }
}

TEST_F(OptionsTest, FavouritesAreAddedRemovedAndMovedInPlace)
{
    TOptionsValues values;
    values.favorites = {QStringLiteral("/pictures/a"), QStringLiteral("/pictures/b"),
                        QStringLiteral("/pictures/c")};
    TfrmOptions dialog(TOptionsMode::Favorites, values);
    dialog.show();
    EXPECT_FALSE(dialog.btnRemoveFolder->isEnabled());
    EXPECT_FALSE(dialog.btnMoveUp->isEnabled());

    // Added after the selected entry; a folder already listed (full match) is ignored.
    dialog.lstFavorites->setCurrentRow(0);
    EXPECT_TRUE(dialog.btnRemoveFolder->isEnabled());
    EXPECT_FALSE(dialog.btnMoveUp->isEnabled());
    EXPECT_TRUE(dialog.btnMoveDown->isEnabled());
    m_messages.pushFolder(QStringLiteral("/pictures/new"));
    m_messages.pushFolder(QStringLiteral("/pictures/b"));
    m_messages.pushFolder(QStringLiteral("/pictures"));
    dialog.btnAddFolder->click();
    EXPECT_EQ(dialog.lstFavorites->currentRow(), 1);
    dialog.btnAddFolder->click();
    EXPECT_EQ(folders(dialog).count(QStringLiteral("/pictures/b")), 1);
    dialog.lstFavorites->setCurrentRow(dialog.lstFavorites->count() - 1);
    dialog.btnAddFolder->click(); // the last entry is selected: appended
    EXPECT_EQ(folders(dialog), (QStringList{QStringLiteral("/pictures/a"), QStringLiteral("/pictures/new"),
                                            QStringLiteral("/pictures/b"), QStringLiteral("/pictures/c"),
                                            QStringLiteral("/pictures")}));

    dialog.lstFavorites->setCurrentRow(2);
    dialog.btnMoveUp->click();
    EXPECT_EQ(dialog.lstFavorites->currentRow(), 1);
    EXPECT_EQ(folders(dialog)[1], QStringLiteral("/pictures/b"));
    dialog.btnMoveDown->click();
    EXPECT_EQ(folders(dialog)[2], QStringLiteral("/pictures/b"));

    m_messages.clear();
    m_messages.pushAnswer(TMsgResult::No);
    m_messages.pushAnswer(TMsgResult::Yes);
    dialog.btnRemoveFolder->click();
    EXPECT_EQ(folders(dialog).size(), 5);
    dialog.btnRemoveFolder->click();
    EXPECT_EQ(m_messages.texts()[0], QStringLiteral("Do you want to remove /pictures/b the Favorites list?"));
    EXPECT_EQ(m_messages.recorded()[0].type, TMsgType::Information);
    EXPECT_EQ(m_messages.recorded()[0].buttons, TMsgButtons::YesNo);
    EXPECT_EQ(folders(dialog).size(), 4);
    EXPECT_EQ(dialog.lstFavorites->currentRow(), 1) << "the previous entry is selected";

    dialog.btnOK->click();
    EXPECT_TRUE(dialog.outcome().favoritesEdited);
    EXPECT_EQ(dialog.values().favorites, folders(dialog));
}

TEST_F(OptionsTest, AboutButtonsAskForTheMakersPages)
{
    QStringList opened;
    TfrmOptions dialog(TOptionsMode::About, {});
    QObject::connect(&dialog, &TfrmOptions::linkRequested,
                     [&opened](const QString& page) { opened << page; });
    dialog.btnHomePage->click();
    dialog.btnProducts->click();
    EXPECT_EQ(opened, (QStringList{QString::fromLatin1(TfrmOptions::kHomePage),
                                   QString::fromLatin1(TfrmOptions::kProductsPage)}));
    EXPECT_EQ(dialog.btnCancel, nullptr);
}

TEST_F(OptionsTest, ShiftAltF7TogglesTheEngineWarnings)
{
    TfrmOptions dialog(TOptionsMode::ProgramOptions, {});
    dialog.show();
    QList<bool> toggled;
    dialog.onWarningsToggled = [&toggled](bool on) {
        toggled << on;
    };

    QTest::keyClick(&dialog, Qt::Key_F7, Qt::ShiftModifier); // not the combination: nothing
    EXPECT_TRUE(m_messages.recorded().empty());
    m_messages.pushAnswer(TMsgResult::Yes);
    QTest::keyClick(&dialog, Qt::Key_F7, Qt::ShiftModifier | Qt::AltModifier);
    ASSERT_EQ(m_messages.texts().size(), 1);
    EXPECT_EQ(m_messages.texts()[0],
              QStringLiteral("Would you like to turn on GIF warnings? This option is used for "
                             "developer debugging purposes only."));
    EXPECT_EQ(m_messages.recorded()[0].type, TMsgType::Confirmation);
    EXPECT_EQ(m_messages.recorded()[0].buttons, TMsgButtons::YesNoCancel);
    EXPECT_EQ(Settings::readInteger(SettingKeys::Warnings), 1);

    m_messages.pushAnswer(TMsgResult::Cancel);
    QTest::keyClick(&dialog, Qt::Key_F7, Qt::ShiftModifier | Qt::AltModifier);
    EXPECT_EQ(m_messages.texts()[1], QStringLiteral("Would you like to turn off GIF warnings?"));
    EXPECT_EQ(Settings::readInteger(SettingKeys::Warnings), 1);
    m_messages.pushAnswer(TMsgResult::Yes);
    QTest::keyClick(&dialog, Qt::Key_F7, Qt::ShiftModifier | Qt::AltModifier);
    EXPECT_EQ(Settings::readInteger(SettingKeys::Warnings), 0);
    EXPECT_EQ(toggled, (QList<bool>{true, false}));
    EXPECT_TRUE(dialog.isVisible()) << "the switch does not close the dialog";
}

TEST_F(OptionsTest, ColourListKeepsAnUnnamedColour)
{
    TColorComboBox list(clWhite);
    EXPECT_EQ(list.count(), 16);
    EXPECT_EQ(list.itemText(0), QStringLiteral("Default"));
    list.setColor(rgbColor(1, 2, 3));
    EXPECT_EQ(list.color(), rgbColor(1, 2, 3));
    list.setColor(clWhite);
    EXPECT_EQ(list.currentText(), QStringLiteral("White"));
}

} // namespace
