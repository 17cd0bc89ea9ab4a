// Recent files and favourite folders: their numbering, limits and how they are stored.
#include "app/RecentFiles.h"
#include "platform/Settings.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class RecentFilesTest : public ::testing::Test
{
protected:
    void SetUp() override { QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path()); }
    void TearDown() override
    {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    }
    QStringList captions() const
    {
        QStringList result;
        for (const QAction* entry : m_menu.actions())
            result << entry->text();
        return result;
    }
    QTemporaryDir m_dir;
    QMenu m_menu{QStringLiteral("&Recent Files")};
};

TEST_F(RecentFilesTest, LoadNumbersEntriesByTheirStoredIndexAndSkipsEmptyOnes)
{
    {
        TSettingsBatch s;
        s.writeString(QStringLiteral("Settings\\MRU"), QStringLiteral("MRU0"), QStringLiteral("/a.gif"));
        s.writeString(QStringLiteral("Settings\\MRU"), QStringLiteral("MRU1"), QString());
        s.writeString(QStringLiteral("Settings\\MRU"), QStringLiteral("MRU2"), QStringLiteral("/c.gif"));
    }
    TRecentFiles recent(&m_menu);
    EXPECT_FALSE(m_menu.menuAction()->isVisible());
    TSettingsBatch s;
    recent.load(s);
    EXPECT_EQ(captions(), (QStringList{QStringLiteral("&0 /a.gif"), QStringLiteral("&2 /c.gif")}));
    EXPECT_TRUE(m_menu.menuAction()->isVisible());
    EXPECT_EQ(m_menu.actions().first()->statusTip(), QStringLiteral("Opens this file"));
    // Saving rewrites the section from scratch, numbered by position.
    recent.save(s);
    EXPECT_EQ(s.valueNames(QStringLiteral("Settings\\MRU")),
              (QStringList{QStringLiteral("MRU0"), QStringLiteral("MRU1")}));
    EXPECT_EQ(s.readString(QStringLiteral("Settings\\MRU"), QStringLiteral("MRU1"), {}),
              QStringLiteral("/c.gif"));
}

TEST_F(RecentFilesTest, ElevenFilesKeepTheNewestTenAndReopeningMovesToTheTop)
{
    TRecentFiles recent(&m_menu);
    for (int i = 0; i < 11; ++i)
        recent.add(QStringLiteral("/pics/file%1.gif").arg(i));
    ASSERT_EQ(m_menu.actions().size(), 10);
    EXPECT_EQ(m_menu.actions().first()->text(), QStringLiteral("&0 /pics/file10.gif"));
    EXPECT_EQ(m_menu.actions().last()->text(), QStringLiteral("&9 /pics/file1.gif"));
    EXPECT_FALSE(recent.paths().contains(QStringLiteral("/pics/file0.gif")));

    recent.add(QStringLiteral("/pics/file5.gif"));
    EXPECT_EQ(m_menu.actions().size(), 10);
    EXPECT_EQ(m_menu.actions().first()->text(), QStringLiteral("&0 /pics/file5.gif"));
    EXPECT_EQ(recent.paths().count(QStringLiteral("/pics/file5.gif")), 1);

    recent.remove(QStringLiteral("/pics/file10.gif"));
    EXPECT_EQ(m_menu.actions().size(), 9);
    EXPECT_EQ(m_menu.actions()[1]->text(), QStringLiteral("&1 /pics/file9.gif"));
}

TEST_F(RecentFilesTest, ClickingAnEntryAsksToOpenItsPath)
{
    const QString path = m_dir.filePath(QStringLiteral("one & two.gif"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    TRecentFiles recent(&m_menu);
    recent.add(path);
    QString requested;
    QObject::connect(&recent, &TRecentFiles::openRequested, [&](const QString& path) { requested = path; });
    m_menu.actions().first()->trigger();
    EXPECT_EQ(requested, path);
}

// Entries are found by their whole path, never by a caption that contains it.
TEST_F(RecentFilesTest, EntriesAreMatchedByTheWholePath)
{
    TRecentFiles recent(&m_menu);
    recent.add(QStringLiteral("/home/u/tmp/a.gif"));
    recent.add(QStringLiteral("/b.gif"));
    recent.add(QStringLiteral("/tmp/a.gif"));
    EXPECT_EQ(recent.paths(), (QStringList{QStringLiteral("/tmp/a.gif"), QStringLiteral("/b.gif"),
                                           QStringLiteral("/home/u/tmp/a.gif")}));
    recent.add(QStringLiteral("/b.gif"));
    EXPECT_EQ(recent.paths().value(0), QStringLiteral("/b.gif"));
    EXPECT_EQ(recent.paths().size(), 3);
    recent.remove(QStringLiteral("/tmp/a.gif"));
    EXPECT_EQ(recent.paths(), (QStringList{QStringLiteral("/b.gif"), QStringLiteral("/home/u/tmp/a.gif")}));
    recent.remove(QStringLiteral("a.gif")); // a part of a path names nothing
    EXPECT_EQ(recent.paths().size(), 2);
}

TEST_F(RecentFilesTest, AnAmpersandInAPathIsShownAndStoredAsItIs)
{
    TRecentFiles recent(&m_menu);
    recent.add(QStringLiteral("/art/cats & dogs.gif"));
    EXPECT_EQ(captions(), QStringList{QStringLiteral("&0 /art/cats && dogs.gif")});
    EXPECT_EQ(recent.paths(), QStringList{QStringLiteral("/art/cats & dogs.gif")});
    TSettingsBatch s;
    recent.save(s);
    EXPECT_EQ(s.readString(QStringLiteral("Settings\\MRU"), QStringLiteral("MRU0"), {}),
              QStringLiteral("/art/cats & dogs.gif"));
    QMenu other;
    TRecentFiles loaded(&other);
    loaded.load(s);
    EXPECT_EQ(loaded.paths(), recent.paths());
    EXPECT_EQ(other.actions().value(0)->text(), QStringLiteral("&0 /art/cats && dogs.gif"));
}

TEST_F(RecentFilesTest, FavouritesAreRewrittenOnlyWhenThereAreAny)
{
    {
        TSettingsBatch s;
        TFavorites favorites;
        favorites.setFolders({QStringLiteral("/home/pics"), QStringLiteral("/srv/art")});
        EXPECT_FALSE(favorites.add(QStringLiteral("/home/pics")));
        EXPECT_TRUE(favorites.add(QStringLiteral("/home"))) << "a folder inside a listed path is its own";
        favorites.setFolders({QStringLiteral("/home/pics"), QStringLiteral("/srv/art")});
        EXPECT_TRUE(favorites.add(QStringLiteral("/tmp")));
        favorites.save(s);
    }
    TSettingsBatch s;
    TFavorites loaded;
    loaded.load(s);
    EXPECT_EQ(loaded.folders(), (QStringList{QStringLiteral("/home/pics"), QStringLiteral("/srv/art"),
                                             QStringLiteral("/tmp")}));
    // An emptied list leaves the stored favourites for the next start.
    TFavorites empty;
    empty.save(s);
    TFavorites again;
    again.load(s);
    EXPECT_EQ(again.folders().size(), 3);
}

} // namespace
