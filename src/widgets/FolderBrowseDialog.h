#pragma once
// The folder-browse dialog: it keeps a folder between showings, offers it when shown and gives
// back the one chosen. The dialog itself goes through the message service, so tests answer it
// with a scripted folder.
#include <QString>

class TFolderBrowseDialog
{
public:
    explicit TFolderBrowseDialog(QString caption = QStringLiteral("Browse for Folder"));

    QString folder() const { return m_folder; }
    void setFolder(const QString& folder) { m_folder = folder; }
    // Shows the dialog at the held folder; true with the chosen folder held, false when cancelled
    // (the folder held stays).
    bool execute();

private:
    QString m_caption;
    QString m_folder;
};
