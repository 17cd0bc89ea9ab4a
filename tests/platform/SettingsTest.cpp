// The settings store: the table of defaults, the textual encoding, section nesting and the silent
// handling of a config folder that cannot be written.
#include "platform/Settings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

class SettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
    }
    void TearDown() override
    {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    }
    QString iniText() const
    {
        QFile file(Settings::fileName());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    QTemporaryDir m_dir;
};

TEST(SettingsParse, OnlyDecimalIntegersAreAccepted)
{
    const struct
    {
        const char* text;
        std::optional<int> expected;
    } cases[] = {
        {"0", 0},
        {"100", 100},
        {"-5", -5},
        {"+7", 7},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"abc", std::nullopt},
        {"12a", std::nullopt},
        {" 12", std::nullopt},
        {"0x10", std::nullopt},
        {"$10", std::nullopt},
        {"1.5", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseDecimalInteger(QString::fromLatin1(c.text)), c.expected) << c.text;
}

TEST_F(SettingsTest, TableHoldsEveryValueOnceWithItsDefault)
{
    const struct
    {
        const char* section;
        const char* name;
        int intDefault;
        const char* textDefault;
    } expected[] = {
        {"FormPos\\Main", "WindowState", 0, "Normal"},
        {"FormPos\\Inspector", "Height", 430, nullptr},
        {"FormPos\\Inspector", "Width", 220, nullptr},
        {"FormPos\\Inspector", "Visible", 1, nullptr},
        {"FormPos\\Inspector", "HideOnce", 0, nullptr},
        {"Settings", "FrameSize", 160, nullptr},
        {"Settings", "DefaultDelay", 100, nullptr},
        {"Settings", "DefaultNSLoop", 0, nullptr},
        {"Settings", "SyncOpenDialog", 0, nullptr},
        {"Settings", "NoOpenDlgPreview", 0, nullptr},
        {"Settings", "FrameTransparentColor", 16777215, nullptr},
        {"Settings", "DisplayAnimation", 1, nullptr},
        {"Settings", "Warnings", 0, nullptr},
        {"Settings", "ClipDefault", 0, nullptr},
        {"Settings", "ClipFrame", 1, nullptr},
        {"Settings", "MaxUndo", 50, nullptr},
        {"Settings", "AutoLoadStartUp", 1, nullptr},
        {"Settings", "WelcomeDialog", 0, nullptr},
        {"Settings", "DropImageDefault", 0, nullptr},
        {"Settings", "PaletteDefaults", 0, nullptr},
        {"Settings", "PaletteType", 0, nullptr},
        {"Settings", "MaxColorCount", 256, nullptr},
        {"Settings", "DitherMethod", 0, nullptr},
        {"Settings", "MaxImportCount", 256, nullptr},
        {"Settings\\Toolbars", "NormalStyle", 0, nullptr},
        {"ThumbNails", "FilterType", 19, nullptr},
        {"ThumbNails", "ThumbailSize", 75, nullptr},
        {"ThumbNails", "Visible", 1, nullptr},
        {"ThumbNails", "ExplorerVisible", 1, nullptr},
    };
    std::set<std::string> seen;
    for (const TSettingKey& key : allSettingKeys())
        EXPECT_TRUE(seen.insert(std::string(key.section) + "|" + key.name).second) << key.name << " twice";

    TSettingsBatch batch;
    for (const auto& e : expected) {
        const auto it =
            std::find_if(allSettingKeys().begin(), allSettingKeys().end(), [&](const TSettingKey& k) {
                return std::string(k.section) == e.section && std::string(k.name) == e.name;
            });
        ASSERT_NE(it, allSettingKeys().end()) << e.section << " " << e.name;
        EXPECT_FALSE(it->dynamicDefault) << e.name;
        if (e.textDefault) {
            EXPECT_EQ(batch.readString(*it), QString::fromLatin1(e.textDefault)) << e.name;
        } else {
            EXPECT_EQ(batch.readInteger(*it), e.intDefault) << e.name;
            // Letters where digits belong read as the default, and so does an empty value.
            batch.writeString(it->section, it->name, QStringLiteral("abc"));
            EXPECT_EQ(batch.readInteger(*it), e.intDefault) << e.name;
            batch.writeString(it->section, it->name, QString());
            EXPECT_EQ(batch.readInteger(*it), e.intDefault) << e.name;
            batch.writeInteger(*it, 12345);
            EXPECT_EQ(batch.readInteger(*it), 12345) << e.name;
        }
    }
    EXPECT_EQ(allSettingKeys().size(), 45u);
}

TEST_F(SettingsTest, TextIsStoredWithOneNulAndCutAtTheFirstNul)
{
    Settings::writeString(QStringLiteral("Settings"), QStringLiteral("InitialDir"),
                          QStringLiteral("/home/u/Images"));
    {
        // The stored text carries the NUL; the reader never sees it.
        QSettings raw(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Brightwell Software"),
                      QStringLiteral("GIF Reelwright 5.0"));
        EXPECT_EQ(raw.value(QStringLiteral("Settings/InitialDir")).toString(),
                  QStringLiteral("/home/u/Images") + QChar(0));
        raw.setValue(QStringLiteral("Settings/Other"), QString(QStringLiteral("left") + QChar(0) + "right"));
        raw.setValue(QStringLiteral("Settings/Number"), QString(QStringLiteral("42") + QChar(0) + "7"));
    }
    TSettingsBatch batch;
    EXPECT_EQ(batch.readString(QStringLiteral("Settings"), QStringLiteral("InitialDir"), {}),
              QStringLiteral("/home/u/Images"));
    EXPECT_EQ(batch.readString(QStringLiteral("Settings"), QStringLiteral("Other"), {}),
              QStringLiteral("left"));
    EXPECT_EQ(batch.readInteger(QStringLiteral("Settings"), QStringLiteral("Number"), 0), 42);
    // Integers are plain decimal text, so a text reader sees the digits.
    batch.writeInteger(QStringLiteral("Settings"), QStringLiteral("FrameSize"), 96);
    EXPECT_EQ(batch.readString(QStringLiteral("Settings"), QStringLiteral("FrameSize"), {}),
              QStringLiteral("96"));
    // Text written with the NUL reads back as an integer too.
    batch.writeString(QStringLiteral("Settings"), QStringLiteral("MaxUndo"), QStringLiteral("20"));
    EXPECT_EQ(batch.readInteger(QStringLiteral("Settings"), QStringLiteral("MaxUndo"), 50), 20);
}

TEST_F(SettingsTest, SectionsNestAndDeleteWithTheirValuesOnly)
{
    {
        TSettingsBatch batch;
        batch.writeInteger(QStringLiteral("Settings\\Toolbars\\Standard"), QStringLiteral("Left"), 11);
        batch.writeInteger(QStringLiteral("Settings\\Toolbars"), QStringLiteral("NormalStyle"), 1);
        batch.writeString(QStringLiteral("Settings\\MRU"), QStringLiteral("MRU0"), QStringLiteral("/a.gif"));
        batch.writeString(QStringLiteral("Settings\\MRU"), QStringLiteral("MRU1"), QStringLiteral("/b.gif"));
        batch.writeInteger(QStringLiteral("Settings"), QStringLiteral("FrameSize"), 80);
    }
    const QString text = iniText();
    EXPECT_TRUE(text.contains(QStringLiteral("Toolbars\\Standard\\Left=11"))) << text.toStdString();

    TSettingsBatch batch;
    EXPECT_EQ(batch.valueNames(QStringLiteral("Settings\\MRU")),
              (QStringList{QStringLiteral("MRU0"), QStringLiteral("MRU1")}));
    // Sub-sections are not values of their parent.
    EXPECT_FALSE(batch.valueNames(QStringLiteral("Settings\\Toolbars")).contains(QStringLiteral("Standard")));
    batch.deleteSection(QStringLiteral("Settings\\MRU"));
    EXPECT_TRUE(batch.valueNames(QStringLiteral("Settings\\MRU")).isEmpty());
    EXPECT_EQ(batch.readInteger(QStringLiteral("Settings\\Toolbars\\Standard"), QStringLiteral("Left"), 0),
              11);
    EXPECT_EQ(batch.readInteger(QStringLiteral("Settings"), QStringLiteral("FrameSize"), 0), 80);
    // A trailing backslash names the same section.
    EXPECT_EQ(batch.readInteger(QStringLiteral("Settings\\Toolbars\\"), QStringLiteral("NormalStyle"), 0), 1);
}

TEST_F(SettingsTest, OneShotAndBatchFormsShareTheStore)
{
    Settings::writeInteger(SettingKeys::MaxUndo, 7);
    EXPECT_EQ(Settings::readInteger(SettingKeys::MaxUndo), 7);
    {
        TSettingsBatch batch;
        EXPECT_EQ(batch.readInteger(SettingKeys::MaxUndo), 7);
        batch.writeInteger(SettingKeys::Warnings, 1);
    }
    EXPECT_EQ(Settings::readInteger(QStringLiteral("Settings"), QStringLiteral("Warnings"), 0), 1);
}

TEST_F(SettingsTest, UnwritableOrMissingFolderGivesDefaultsAndLosesWritesSilently)
{
    // A config "folder" that is really a file cannot be created even by root; /proc refuses
    // new entries outright.
    const QString blocker = m_dir.filePath(QStringLiteral("blocker"));
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    for (const QString& folder :
         {blocker + QStringLiteral("/config"), QStringLiteral("/proc/no-such-folder/config")}) {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
        Settings::writeInteger(SettingKeys::FrameSize, 96);
        {
            TSettingsBatch batch;
            batch.writeString(SettingKeys::InitialDir, QStringLiteral("/x"));
            batch.deleteSection(QStringLiteral("Settings\\MRU"));
        }
        EXPECT_EQ(Settings::readInteger(SettingKeys::FrameSize), 160) << folder.toStdString();
        EXPECT_EQ(TSettingsBatch().readString(SettingKeys::InitialDir, QStringLiteral("dflt")),
                  QStringLiteral("dflt"));
    }
}

} // namespace
