#pragma once
// The application object (class GIFApplication, interface IGIFReelwrightApplication): a thin view
// over the program through IAutomationHost. The class factory makes one per client; the program
// makes one for its own use (handed to plug-ins), which does not count towards the server's life.
#include "automation/AutomationHost.h"
#include "automation/Reelwright_TLB.h"

class TGIFApplication : public IGIFReelwrightApplication
{
public:
    // counted: made by the class factory, so it keeps the server alive while it lives.
    TGIFApplication(IAutomationHost& host, TComServer* server, bool counted);
    ~TGIFApplication() override;

    TComPtr<IActiveDocument> get_ActiveDocument() override;
    QVariant get_AppPath() override;
    QVariant get_CurrentFolder() override;
    void put_CurrentFolder(const QVariant& value) override;
    TCurrentViewType get_CurrentView() override;
    void put_CurrentView(TCurrentViewType value) override;
    TComPtr<IDocuments> get_DocumentCache() override;
    QVariant get_ExeName() override;
    int get_Height() override;
    void put_Height(int value) override;
    int get_HInstance() override;
    int get_hWnd() override;
    int get_Left() override;
    void put_Left(int value) override;
    bool get_ThumbnailsShowing() override;
    void put_ThumbnailsShowing(bool wbShowing) override;
    int get_Top() override;
    void put_Top(int value) override;
    QVariant get_VersionText() override;
    int get_WindowState() override;
    void put_WindowState(int value) override;
    int get_Width() override;
    void put_Width(int value) override;
    void BringToFront() override;
    bool CloseAll(bool wbPromptToSave) override;
    QString ExtractFileName(const QString& wsFile) override;
    QString ExtractFilePath(const QString& wsFile) override;
    bool GetImageSize(const QString& wsImageFile, int& nHeight, int& nWidth) override;
    void HideProgress() override;
    QString InputBox(const QString& wsCaption, const QString& wsPrompt, const QString& wsDefault) override;
    bool IsFileOpen(const QVariant& sFile) override;
    bool IsImageAnimation(const QString& wsFile) override;
    int MessageBox(const QString& wsText, const QString& wsCaption, int nType) override;
    void NewDocument(int wbOpenMaximized) override;
    bool OpenFile(const QString& wsFile) override;
    void NextDoc() override;
    void PreviousDoc() override;
    void Quit() override;
    bool SaveAll() override;
    void SendToBack() override;
    void SetProgress(int nProgress) override;
    void SetStatusText(const QVariant& sMessage) override;
    void StatusWarning(const QString& wsMsg) override;
    void StatusError(const QString& wsMsg) override;
    void LoadThumbnails(const QVariant& sFolder) override;
    void ShowProgress() override;
    bool ShellToApp(const QString& wsAppFileName) override;
    void ShellToAppAndWait(const QString& wsAppFileName) override;
    void Wait(int nMilliseconds) override;
    int get_DocumentIndex() override;
    void put_DocumentIndex(int Index) override;
    bool get_ExplorerShowing() override;
    void put_ExplorerShowing(bool wbShowing) override;
    TThumbsFilterType get_ThumbnailImageFilter() override;
    void put_ThumbnailImageFilter(TThumbsFilterType Filter) override;
    void Cascade() override;
    void TileHorizontal() override;
    void TileVertical() override;
    int TabIndexForFile(const QString& wsFileName) override;
    bool MenuExists(const QString& wsMenuPath) override;
    TComPtr<IIntfMenuItem> Menu(const QString& wsMenuPath) override;
    QString get_ThumbNailFileName() override;

private:
    IAutomationHost& m_host;
    bool m_counted;
    TComPtr<IDocuments> m_documents; // made on the first DocumentCache read, then kept
};

// The path helpers behind ExtractFileName and ExtractFilePath ("/" separates folders).
QString extractFileName(const QString& path);
// Empty for an empty path and for a name without a folder part (appending "/" there would name
// the root folder instead).
QString extractFilePath(const QString& path);
// The tab search: the first tab whose caption is the file name (any case), then from there on the
// first whose document has exactly that path; -1 when none.
int tabIndexForFile(const QList<IAutomationHost::TTab>& tabs, const QString& fileName);
