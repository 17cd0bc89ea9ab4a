#include "app/ThumbWiring.h"

#include "app/Childwin.h"
#include "app/CommandHost.h"
#include "app/EditCommands.h"
#include "app/FrameCommands.h"
#include "app/Main.h"
#include "app/RecentFiles.h"
#include "editing/Document.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "editing/FrameInsertion.h"
#include "editing/GIFFiles.h"
#include "editing/UIHelpers.h"
#include "gif/GIFImage.h"
#include "graphics/Bitmap.h"
#include "platform/MessageService.h"
#include "wizards/ThumbCache.h"
#include "wizards/ThumbProperties.h"
#include "wizards/ThumbViewer.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>

namespace {

class TThumbHostAdapter : public IThumbHost
{
public:
    explicit TThumbHostAdapter(TfrmMain& main) : m_main(main) {}

    void setStatusText(const QString& text) override
    {
        // Repainted only when it shows something new: most files of a large folder leave the
        // percentage as it was, and each repaint flushes the window.
        QLabel* panel = m_main.statusPanel(2);
        if (panel && panel->text() == text)
            return;
        if (panel) {
            panel->setText(text);
            panel->repaint();
        }
    }
    void showProgress(int maximum) override
    {
        QProgressBar* bar = m_main.progressBar();
        bar->setRange(0, std::max(0, maximum));
        bar->setValue(0);
        bar->show();
    }
    void setProgress(int value) override
    {
        QProgressBar* bar = m_main.progressBar();
        const QString shown = bar->text();
        bar->setValue(value);
        if (bar->text() != shown)
            bar->repaint();
    }
    void hideProgress() override
    {
        // Back to the percentages the working image's progress reports in.
        QProgressBar* bar = m_main.progressBar();
        bar->hide();
        bar->setRange(0, 100);
        bar->setValue(0);
    }
    int thumbnailSize() const override { return m_main.state().thumbnailSize; }
    int filterType() const override { return m_main.state().filterType; }
    QString rememberedFolder() const override { return m_main.state().thumbDirectory; }
    void setRememberedFolder(const QString& folder) override { m_main.state().thumbDirectory = folder; }
    int insertThumbnailFile(const QString& path) override { return ::insertThumbnailFile(m_main, path); }
    void openThumbnailFile(const QString& path) override { ::openThumbnailFile(m_main, path); }
    void clipboardChanged() override
    {
        if (QAction* paste = m_main.action(TActionId::EditPaste))
            paste->setEnabled(m_main.session().documents().active() && canPaste(m_main.commandHost()));
    }
    QStringList favoriteFolders() const override { return m_main.favorites().folders(); }
    bool addFavorite(const QString& folder) override { return m_main.favorites().add(folder); }
    void removeFavorite(const QString& folder) override
    {
        QStringList folders = m_main.favorites().folders();
        // The missing folder itself, not the first one whose path contains it.
        folders.removeOne(folder);
        m_main.favorites().setFolders(folders);
    }
    void organizeFavorites() override
    {
        if (QAction* options = m_main.action(TActionId::mniOptions))
            options->trigger();
    }
    void showImageProperties(const TImagePropertiesRequest& request) override
    {
        TfrmImageProperties dialog(request, m_main.browser());
        dialog.exec();
    }
    // The browser names the commands it borrows; an unknown name finds nothing.
    QAction* mainAction(const QString& name) const override { return m_main.findAction(name); }
    QCursor dragCursor() const override { return m_main.dragCursor(); }

private:
    TfrmMain& m_main;
};

} // namespace

void scanThumbnailFolder(TfrmMain& main, const QString& folder)
{
    if (TfrmThumbWin* browser = main.browser())
        browser->loadThumbnails(folder);
}

namespace {

// A picture file that is there and of a known type but does not load: the image routines report
// nothing for it, so the user would see no reason why nothing happened.
void reportUnreadablePicture(const QString& path)
{
    if (!QFileInfo::exists(path) || recognizeFileType(path) == kFileTypeGif)
        return;
    messageDlg(QStringLiteral("Error loading %1! GIF Reelwright does not support the file type or it is a "
                              "corrupted file.")
                   .arg(QFileInfo(path).fileName()),
               TMsgType::Warning, TMsgButtons::Ok);
}

} // namespace

int insertThumbnailFile(TfrmMain& main, const QString& path)
{
    main.removeLogo();
    main.pausePlayback();
    TWaitCursor wait;
    TBitmap bitmap;
    const int result = loadImageFileIntoBitmap(main.session(), path, bitmap, recognizeFileType(path), false);
    if (result == liFailed)
        reportUnreadablePicture(path);
    if (result != liLoaded)
        return -1;
    return addPictureAsFrame(main.session(), bitmap, insertionPosition(main.commandHost()), QStringLiteral("Add Frame"));
}

void openThumbnailFile(TfrmMain& main, const QString& path)
{
    if (!QFileInfo::exists(path))
        return;
    const int type = recognizeFileType(path);
    if (type == kFileTypeGif) {
        main.session().documents().open(path);
        return;
    }
    // The picture is read before anything is cleared: a picture that does not load must leave
    // the active document, its animation and its strip as they were.
    TBitmap bitmap;
    {
        TWaitCursor wait;
        if (loadImageFileIntoBitmap(main.session(), path, bitmap, type, true) != liLoaded) {
            reportUnreadablePicture(path);
            return;
        }
    }
    main.removeLogo();
    TEditSession& session = main.session();
    const QPointer<TDocument> previous = session.documents().active();
    if (previous)
        session.documents().deactivate(previous);
    session.workingImage().clear();
    session.view().clearFrameStrip();
    if (addPictureAsFrame(session, bitmap, 0, QStringLiteral("Add Frame")) >= 0)
        return;
    // The new animation was refused (its palette prompt cancelled, say): the document that was
    // active gets its animation back from its working copy or file.
    if (previous && !previous->isClosing()) {
        previous->setLoaded(false);
        session.documents().activate(previous);
    }
}

void wireThumbBrowser(TfrmMain& main, TfrmThumbWin& browser)
{
    browser.setHost(std::make_unique<TThumbHostAdapter>(main));
    browser.setThumbnailCache(std::make_shared<TThumbnailCache>());
    QPointer<TfrmThumbWin> guard = &browser;
    QObject::connect(main.action(TActionId::ThumbView), &QAction::triggered, &browser,
                     [&main, guard](bool checked) {
                         if (!guard)
                             return;
                         guard->setVisible(checked);
                         if (checked && guard->thumbnailCount() == 0)
                             guard->loadThumbnails(main.state().thumbDirectory);
                     });
    QObject::connect(main.action(TActionId::ThumbsBrowse), &QAction::triggered, &browser, [guard] {
        if (guard)
            guard->browse();
    });
    QObject::connect(main.action(TActionId::ThumbsRefresh), &QAction::triggered, &browser, [guard] {
        if (guard)
            guard->refresh();
    });
    QObject::connect(main.action(TActionId::ThumbsClear), &QAction::triggered, &browser, [guard] {
        if (guard && guard->thumbnailCount() > 0)
            guard->clearThumbnails();
    });
}
