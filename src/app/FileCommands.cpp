#include "app/FileCommands.h"

#include "app/CommandHost.h"
#include "editing/EditSession.h"
#include "editing/UndoHost.h"
#include "platform/MessageService.h"

#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QUrl>

namespace {

// Document windows that take part in tiling: shown and not minimised.
QList<QMdiSubWindow*> tiledWindows(QMdiArea& area)
{
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : area.subWindowList(QMdiArea::CreationOrder))
        if (window->isVisible() && !window->isMinimized())
            windows.append(window);
    return windows;
}

// Lays the windows out in equal strips: one above the other, or side by side.
void tileInStrips(QMdiArea& area, bool sideBySide)
{
    const QList<QMdiSubWindow*> windows = tiledWindows(area);
    if (windows.isEmpty())
        return;
    const QRect space = area.viewport()->rect();
    const int n = int(windows.size());
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* window = windows[i];
        if (window->isMaximized())
            window->showNormal();
        if (sideBySide) {
            const int left = space.width() * i / n;
            window->setGeometry(left, 0, space.width() * (i + 1) / n - left, space.height());
        } else {
            const int top = space.height() * i / n;
            window->setGeometry(0, top, space.width(), space.height() * (i + 1) / n - top);
        }
    }
}

} // namespace

QStringList askFilesToOpen(ICommandHost& host, const QString& title, const char* filter)
{
    TFileDialogRequest request;
    request.title = title;
    request.filter = QString::fromLatin1(filter);
    request.filterIndex = 1;
    request.initialDir = host.initialDir();
    request.multiSelect = true;
    request.picturePreview = true;
    const TFileDialogResult chosen = messageService().openFile(request);
    return chosen.accepted ? chosen.files : QStringList();
}

void openFiles(ICommandHost& host)
{
    const QStringList files = askFilesToOpen(host, QStringLiteral("Open"), kGIFFilesFilter);
    if (files.isEmpty())
        return;
    for (const QString& path : files)
        host.openGIFDocument(path);
    host.setInitialDir(QFileInfo(files.last()).absolutePath());
}

void newAnimation(ICommandHost& host)
{
    if (host.dialogs().animationWizard() == mrOk)
        host.enableDocumentCommands(true);
}

QStringList singleImageEntries(const ICommandHost& host)
{
    QStringList entries;
    for (int column = 0; column < host.columnCount(); ++column)
        entries.append(QStringLiteral("Frame") + QStringLiteral(" - ") + QString::number(column));
    return entries;
}

void exportSingleImages(ICommandHost& host)
{
    if (host.activeDocument())
        host.dialogs().exportSingleImages(singleImageEntries(host));
}

bool htmlCodeEnabled(ICommandHost& host)
{
    return host.activeDocument() && !host.isPlaying();
}

void htmlCode(ICommandHost& host)
{
    if (!htmlCodeEnabled(host))
        return;
    host.dialogs().htmlCode(QFileInfo(host.activeDocument()->fileName()).fileName());
}

TOptionsChoice programOptions(ICommandHost& host)
{
    return host.dialogs().options(false);
}

void aboutBox(ICommandHost& host)
{
    host.dialogs().options(true);
}

void tipOfTheDay(ICommandHost& host)
{
    host.dialogs().tips();
}

void welcomeDialog(ICommandHost& host)
{
    const TWelcomeChoice choice = host.dialogs().welcome();
    if (choice.modalResult != mrOk)
        return;
    if (choice.choice == 1)
        openFiles(host);
    else if (choice.choice == 2 && !choice.file.isEmpty())
        host.openGIFDocument(choice.file);
}

void pluginInfo(ICommandHost& host)
{
    host.dialogs().pluginExplorer();
}

bool helpContents(const TEditSession& session, const QString& programFolder)
{
    return session.openDocumentOrLink(
        QUrl::fromLocalFile(QDir(programFolder).filePath(QStringLiteral("help/index.html"))).toString());
}

bool supportOnline(const TEditSession& session)
{
    return session.openDocumentOrLink(QString::fromLatin1(kSupportSite) + QStringLiteral("help/"));
}

void cascadeWindows(QMdiArea& area)
{
    area.cascadeSubWindows();
}

void tileWindowsHorizontally(QMdiArea& area)
{
    tileInStrips(area, false);
}

void tileWindowsVertically(QMdiArea& area)
{
    tileInStrips(area, true);
}

void minimizeAllWindows(QMdiArea& area)
{
    for (QMdiSubWindow* window : area.subWindowList(QMdiArea::CreationOrder))
        window->showMinimized();
}

void arrangeAllWindows(QMdiArea& area)
{
    // Minimised windows line up along the bottom edge, left to right in creation order.
    const QRect space = area.viewport()->rect();
    int left = 0;
    int bottom = space.bottom() + 1;
    for (QMdiSubWindow* window : area.subWindowList(QMdiArea::CreationOrder)) {
        if (!window->isMinimized())
            continue;
        const QSize size = window->size();
        if (left > 0 && left + size.width() > space.width()) {
            left = 0;
            bottom -= size.height();
        }
        window->move(left, bottom - size.height());
        left += size.width();
    }
}
