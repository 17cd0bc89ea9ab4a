#pragma once
// The shell folder tree: the folders of the machine from the root down, hidden folders included.
// It reports the folder the user selects and accepts a folder to select. The folder it holds is
// the one set last (by the user or by setFolder), even before the file-system model has read the
// folders around it, so callers never see a half-loaded answer.
#include <QTreeView>

class QFileSystemModel;
class QTimer;

class TShellFolderTree : public QTreeView
{
    Q_OBJECT
public:
    explicit TShellFolderTree(QWidget* parent = nullptr);

    // The selected folder, as an absolute path without a trailing "/" (the root is "/").
    QString folder() const { return m_folder; }
    // Selects the folder and brings it into view; emits folderChanged when it differs from the
    // folder held before. A folder that does not exist is held all the same: the listener
    // decides where to go instead.
    void setFolder(const QString& folder);

    static QString normalizedFolder(const QString& folder);

signals:
    void folderChanged(const QString& folder);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ensureModel();
    // Selects, expands to and centres the held folder as far as the model has read it.
    void showHeldFolder();

    QFileSystemModel* m_model = nullptr;
    QString m_folder;
    bool m_selecting = false;
    // The folder set last is still to be kept in view while the model reads and sorts.
    bool m_revealPending = false;
    QTimer* m_revealTimer = nullptr;
};
