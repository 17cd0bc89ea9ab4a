#include "app/RecentFiles.h"

#include "platform/MessageService.h"
#include "platform/Settings.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

namespace {

QString valueName(int n)
{
    return QString::fromLatin1(SettingKeys::ListValueFormat).arg(n);
}

// Each entry keeps its full path in its data; the caption "&<n> <path>" is for display only, with
// "&" doubled so that a path holding one shows as it is. Entries are found by the whole path:
// matching captions by "contains" took /tmp/a.gif for /home/u/tmp/a.gif.
QString pathOf(const QAction* entry)
{
    return entry->data().toString();
}

QString caption(int position, const QString& path)
{
    return QStringLiteral("&%1 %2").arg(position).arg(QString(path).replace(QLatin1Char('&'), QStringLiteral("&&")));
}

} // namespace

TRecentFiles::TRecentFiles(QMenu* submenu, QObject* parent) : QObject(parent), m_menu(submenu)
{
    updateVisibility();
}

QAction* TRecentFiles::makeEntry(const QString& path)
{
    auto* entry = new QAction(m_menu);
    entry->setData(path);
    entry->setText(caption(0, path));
    entry->setStatusTip(QStringLiteral("Opens this file"));
    connect(entry, &QAction::triggered, this, [this, entry] { open(entry); });
    return entry;
}

void TRecentFiles::load(TSettingsBatch& settings)
{
    const int count = int(settings.valueNames(QString::fromLatin1(SettingSection::MRU)).size());
    // The number in the caption is the value's own index, as stored, not a count of entries.
    for (int n = 0; n < count; ++n) {
        const QString path = settings.readString(QString::fromLatin1(SettingSection::MRU), valueName(n), {});
        if (path.isEmpty())
            continue;
        QAction* entry = makeEntry(path);
        entry->setText(caption(n, path));
        m_menu->addAction(entry);
    }
    updateVisibility();
}

void TRecentFiles::save(TSettingsBatch& settings) const
{
    settings.deleteSection(QString::fromLatin1(SettingSection::MRU));
    const QList<QAction*> entries = m_menu->actions();
    for (int i = 0; i < entries.size(); ++i)
        settings.writeString(QString::fromLatin1(SettingSection::MRU), valueName(i), pathOf(entries[i]));
}

void TRecentFiles::add(const QString& path)
{
    QList<QAction*> entries = m_menu->actions();
    QAction* found = nullptr;
    for (QAction* entry : entries)
        if (pathOf(entry) == path) {
            found = entry;
            break;
        }
    if (!found) {
        found = makeEntry(path);
    } else {
        m_menu->removeAction(found);
    }
    m_menu->insertAction(m_menu->actions().value(0), found);
    renumber();
}

void TRecentFiles::remove(const QString& path)
{
    for (QAction* entry : m_menu->actions())
        if (pathOf(entry) == path) {
            m_menu->removeAction(entry);
            entry->deleteLater();
            break;
        }
    renumber();
}

QStringList TRecentFiles::paths() const
{
    QStringList result;
    for (const QAction* entry : m_menu->actions())
        result << pathOf(entry);
    return result;
}

void TRecentFiles::renumber()
{
    const QList<QAction*> entries = m_menu->actions();
    for (int i = 0; i < entries.size(); ++i) {
        if (i >= kMaxEntries) {
            m_menu->removeAction(entries[i]);
            entries[i]->deleteLater();
            continue;
        }
        entries[i]->setText(caption(i, pathOf(entries[i])));
    }
    updateVisibility();
}

void TRecentFiles::open(QAction* entry)
{
    const QString path = pathOf(entry);
    if (QFileInfo::exists(path)) {
        emit openRequested(path);
        return;
    }
    messageDlg(QStringLiteral("Could not open %1. The file may have moved.").arg(path), TMsgType::Warning,
               TMsgButtons::Ok);
    m_menu->removeAction(entry);
    entry->deleteLater();
    renumber();
}

void TRecentFiles::updateVisibility()
{
    m_menu->menuAction()->setVisible(!m_menu->actions().isEmpty());
}

void TFavorites::load(TSettingsBatch& settings)
{
    m_folders.clear();
    const int count = int(settings.valueNames(QString::fromLatin1(SettingSection::Favorites)).size());
    for (int n = 0; n < count; ++n) {
        const QString folder =
            settings.readString(QString::fromLatin1(SettingSection::Favorites), valueName(n), {});
        if (!folder.isEmpty())
            m_folders << folder;
    }
}

void TFavorites::save(TSettingsBatch& settings) const
{
    if (m_folders.isEmpty())
        return;
    settings.deleteSection(QString::fromLatin1(SettingSection::Favorites));
    for (int i = 0; i < m_folders.size(); ++i)
        settings.writeString(QString::fromLatin1(SettingSection::Favorites), valueName(i), m_folders[i]);
}

bool TFavorites::add(const QString& folder)
{
    // The whole folder is compared: "contains" refused /tmp while /home/u/tmp was listed.
    if (m_folders.contains(folder))
        return false;
    m_folders << folder;
    return true;
}
