#pragma once
// The recent-files submenu of the File menu and the favourite folders of the image browser, with
// their load and save through the settings store ("Settings\MRU" and "ThumbNails\Favorites",
// values "MRU0", "MRU1", ...).
#include <QObject>
#include <QStringList>

class QAction;
class QMenu;
class TSettingsBatch;

class TRecentFiles : public QObject
{
    Q_OBJECT
public:
    static constexpr int kMaxEntries = 10;

    // Entries are actions of the given submenu; its menu action is shown only while it has any.
    explicit TRecentFiles(QMenu* submenu, QObject* parent = nullptr);

    void load(TSettingsBatch& settings);
    void save(TSettingsBatch& settings) const;
    void add(const QString& path);
    void remove(const QString& path);
    // Full paths, newest first.
    QStringList paths() const;
    QMenu* menu() const { return m_menu; }

signals:
    // An entry was chosen and its file exists.
    void openRequested(const QString& path);

private:
    QAction* makeEntry(const QString& path);
    // Opens the entry's file, or reports it moved and drops the entry.
    void open(QAction* entry);
    void renumber();
    void updateVisibility();

    QMenu* m_menu;
};

class TFavorites
{
public:
    void load(TSettingsBatch& settings);
    // Only a non-empty list replaces the stored one: emptying the list in a dialog keeps the
    // stored favourites for the next start.
    void save(TSettingsBatch& settings) const;
    // Adds the folder unless it is listed already.
    bool add(const QString& folder);
    void setFolders(QStringList folders) { m_folders = std::move(folders); }
    const QStringList& folders() const { return m_folders; }

private:
    QStringList m_folders;
};
