#include "automation/GIFApplicationI.h"

#include "automation/ActiveDocumentI.h"
#include "automation/ComServer.h"
#include "automation/DocumentsI.h"
#include "automation/IntfMenuItem.h"
#include "editing/GIFFiles.h"
#include "platform/ImagingControl.h"
#include "platform/MessageService.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <QUrl>
#include <QWidget>

TGIFApplication::TGIFApplication(IAutomationHost& host, TComServer* server, bool counted)
    : IGIFReelwrightApplication(server), m_host(host), m_counted(counted && server)
{
    if (m_counted)
        server->lockServer();
}

TGIFApplication::~TGIFApplication()
{
    m_documents.reset();
    if (m_counted && server())
        server()->unlockServer();
}

TComPtr<IActiveDocument> TGIFApplication::get_ActiveDocument()
{
    if (!m_host.hasActiveDocument())
        return {};
    return makeComObject<TActiveDocument>(m_host, server());
}

QVariant TGIFApplication::get_AppPath()
{
    return QCoreApplication::applicationDirPath() + QLatin1Char('/');
}

QVariant TGIFApplication::get_CurrentFolder()
{
    return m_host.thumbnailFolder();
}

void TGIFApplication::put_CurrentFolder(const QVariant& value)
{
    m_host.setThumbnailFolder(value.toString());
}

TCurrentViewType TGIFApplication::get_CurrentView()
{
    return cvEditFrame;
}

void TGIFApplication::put_CurrentView(TCurrentViewType) {}

TComPtr<IDocuments> TGIFApplication::get_DocumentCache()
{
    if (!m_documents)
        m_documents = makeComObject<TDocuments>(m_host, server());
    return m_documents;
}

QVariant TGIFApplication::get_ExeName()
{
    return QCoreApplication::applicationFilePath();
}

// The window's outer bounds, frame included, as the window system places it.
int TGIFApplication::get_Height()
{
    return m_host.mainWindow().frameGeometry().height();
}

void TGIFApplication::put_Height(int value)
{
    QWidget& window = m_host.mainWindow();
    const int frame = window.frameGeometry().height() - window.height();
    window.resize(window.width(), std::max(0, value - frame));
}

int TGIFApplication::get_HInstance()
{
    // No module handles here: the process id identifies the running program.
    return int(QCoreApplication::applicationPid());
}

int TGIFApplication::get_hWnd()
{
    return int(m_host.mainWindow().winId());
}

int TGIFApplication::get_Left()
{
    return m_host.mainWindow().frameGeometry().left();
}

void TGIFApplication::put_Left(int value)
{
    QWidget& window = m_host.mainWindow();
    window.move(value, window.frameGeometry().top());
}

bool TGIFApplication::get_ThumbnailsShowing()
{
    return m_host.thumbnailsShowing();
}

void TGIFApplication::put_ThumbnailsShowing(bool wbShowing)
{
    m_host.setThumbnailsShowing(wbShowing);
}

int TGIFApplication::get_Top()
{
    return m_host.mainWindow().frameGeometry().top();
}

void TGIFApplication::put_Top(int value)
{
    QWidget& window = m_host.mainWindow();
    window.move(window.frameGeometry().left(), value);
}

QVariant TGIFApplication::get_VersionText()
{
    return QStringLiteral("4.0");
}

int TGIFApplication::get_WindowState()
{
    const QWidget& window = m_host.mainWindow();
    if (window.isMinimized())
        return 1;
    if (window.isMaximized())
        return 2;
    return 0;
}

void TGIFApplication::put_WindowState(int value)
{
    QWidget& window = m_host.mainWindow();
    if (value == 1)
        window.showMinimized();
    else if (value == 2)
        window.showMaximized();
    else
        window.showNormal();
}

int TGIFApplication::get_Width()
{
    return m_host.mainWindow().frameGeometry().width();
}

void TGIFApplication::put_Width(int value)
{
    QWidget& window = m_host.mainWindow();
    const int frame = window.frameGeometry().width() - window.width();
    window.resize(std::max(0, value - frame), window.height());
}

void TGIFApplication::BringToFront()
{
    QWidget& window = m_host.mainWindow();
    window.raise();
    window.activateWindow();
}

bool TGIFApplication::CloseAll(bool)
{
    // The command asks about unsaved documents itself; the argument is not consulted.
    return m_host.closeAllDocuments();
}

QString TGIFApplication::ExtractFileName(const QString& wsFile)
{
    return extractFileName(wsFile);
}

QString TGIFApplication::ExtractFilePath(const QString& wsFile)
{
    return extractFilePath(wsFile);
}

bool TGIFApplication::GetImageSize(const QString& wsImageFile, int& nHeight, int& nWidth)
{
    nHeight = 0;
    nWidth = 0;
    TImagingControl control;
    control.setFileName(wsImageFile);
    bool loaded = false;
    if (control.errorCode() == imgOk) {
        nHeight = control.height();
        nWidth = control.width();
        loaded = true;
    }
    control.release();
    return loaded;
}

void TGIFApplication::HideProgress()
{
    m_host.hideProgress();
}

QString TGIFApplication::InputBox(const QString& wsCaption, const QString& wsPrompt, const QString& wsDefault)
{
    return messageService().inputBox(wsCaption, wsPrompt, wsDefault).value_or(wsDefault);
}

bool TGIFApplication::IsFileOpen(const QVariant& sFile)
{
    const int index = tabIndexForFile(m_host.tabs(), sFile.toString());
    if (index < 0)
        return false;
    QApplication::beep();
    m_host.bringTabToFront(index);
    return true;
}

bool TGIFApplication::IsImageAnimation(const QString& wsFile)
{
    return isAnimatedGIF(wsFile);
}

int TGIFApplication::MessageBox(const QString& wsText, const QString& wsCaption, int nType)
{
    return messageService().styledMessageBox(wsText, wsCaption, nType);
}

void TGIFApplication::NewDocument(int)
{
    m_host.newDocument();
}

bool TGIFApplication::OpenFile(const QString& wsFile)
{
    return m_host.openDocument(wsFile);
}

void TGIFApplication::NextDoc()
{
    m_host.nextDocument();
}

void TGIFApplication::PreviousDoc()
{
    m_host.previousDocument();
}

void TGIFApplication::Quit()
{
    m_host.closeMainWindow();
}

bool TGIFApplication::SaveAll()
{
    return m_host.saveAllDocuments();
}

void TGIFApplication::SendToBack()
{
    m_host.mainWindow().lower();
}

void TGIFApplication::SetProgress(int nProgress)
{
    m_host.setProgress(nProgress);
}

void TGIFApplication::SetStatusText(const QVariant& sMessage)
{
    m_host.setStatusText(sMessage.toString());
}

void TGIFApplication::StatusWarning(const QString&) {}

void TGIFApplication::StatusError(const QString&) {}

void TGIFApplication::LoadThumbnails(const QVariant& sFolder)
{
    m_host.loadThumbnails(sFolder.toString());
}

void TGIFApplication::ShowProgress()
{
    m_host.showProgress();
}

bool TGIFApplication::ShellToApp(const QString& wsAppFileName)
{
    const QUrl url = QFileInfo::exists(wsAppFileName)
                         ? QUrl::fromLocalFile(QFileInfo(wsAppFileName).absoluteFilePath())
                         : QUrl::fromUserInput(wsAppFileName, QDir::currentPath(), QUrl::AssumeLocalFile);
    return url.isValid() && QDesktopServices::openUrl(url);
}

void TGIFApplication::ShellToAppAndWait(const QString&) {}

void TGIFApplication::Wait(int nMilliseconds)
{
    // A negative count would block the user-interface thread indefinitely (as an unsigned
    // count); it waits for nothing instead.
    QThread::msleep(ulong(std::max(0, nMilliseconds)));
}

int TGIFApplication::get_DocumentIndex()
{
    return m_host.currentTab();
}

void TGIFApplication::put_DocumentIndex(int Index)
{
    if (Index != m_host.currentTab() && Index >= 0 && Index < m_host.tabs().size())
        m_host.selectTab(Index);
}

bool TGIFApplication::get_ExplorerShowing()
{
    return m_host.explorerShowing();
}

void TGIFApplication::put_ExplorerShowing(bool wbShowing)
{
    // Set the opposite, then let the window's own button toggle it: afterwards the tree shows
    // exactly when asked, and the button's state follows the tree.
    m_host.setExplorerShowing(!wbShowing);
    m_host.toggleExplorer();
}

TThumbsFilterType TGIFApplication::get_ThumbnailImageFilter()
{
    return iftAll;
}

void TGIFApplication::put_ThumbnailImageFilter(TThumbsFilterType) {}

void TGIFApplication::Cascade()
{
    m_host.cascade();
}

void TGIFApplication::TileHorizontal()
{
    m_host.tileHorizontal();
}

void TGIFApplication::TileVertical()
{
    m_host.tileVertical();
}

int TGIFApplication::TabIndexForFile(const QString& wsFileName)
{
    return tabIndexForFile(m_host.tabs(), wsFileName);
}

bool TGIFApplication::MenuExists(const QString& wsMenuPath)
{
    return findMenuItem(m_host.mainMenu(), wsMenuPath) != nullptr;
}

TComPtr<IIntfMenuItem> TGIFApplication::Menu(const QString& wsMenuPath)
{
    QWidget* parent = nullptr;
    QAction* item = findMenuItem(m_host.mainMenu(), wsMenuPath, &parent);
    if (!item)
        throw EOleError(QStringLiteral("Menu") + wsMenuPath + QStringLiteral("does not exist!"));
    return makeComObject<TIntfMenuItem>(item, parent, &m_host.mainWindow(), server());
}

QString TGIFApplication::get_ThumbNailFileName()
{
    return m_host.selectedThumbnail();
}

QString extractFileName(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString extractFilePath(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return {};
    return path.left(slash + 1);
}

int tabIndexForFile(const QList<IAutomationHost::TTab>& tabs, const QString& fileName)
{
    const QString name = extractFileName(fileName);
    qsizetype first = -1;
    for (qsizetype i = 0; i < tabs.size() && first < 0; ++i) {
        if (tabs[i].caption.compare(name, Qt::CaseInsensitive) == 0)
            first = i;
    }
    if (first < 0)
        return -1;
    for (qsizetype i = first; i < tabs.size(); ++i) {
        if (tabs[i].fileName == fileName)
            return int(i);
    }
    return -1;
}
