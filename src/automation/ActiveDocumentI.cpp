#include "automation/ActiveDocumentI.h"

#include "automation/FramesI.h"

TActiveDocument::TActiveDocument(IAutomationHost& host, TComServer* server)
    : IActiveDocument(server), m_host(host)
{
}

const IAutomationHost::TTab* TActiveDocument::activeTab()
{
    if (!m_host.hasActiveDocument())
        return nullptr;
    m_tabs = m_host.tabs();
    const int index = m_host.currentTab();
    return index >= 0 && index < m_tabs.size() ? &m_tabs[index] : nullptr;
}

QString TActiveDocument::get_FileName()
{
    const IAutomationHost::TTab* tab = activeTab();
    return tab ? tab->fileName : QString();
}

bool TActiveDocument::get_Modified()
{
    const IAutomationHost::TTab* tab = activeTab();
    return tab && tab->modified;
}

int TActiveDocument::get_TabIndex()
{
    return m_host.currentTab();
}

// The members below arrive with the document objects.
bool TActiveDocument::get_CanUndo()
{
    throw ENotImplemented(QStringLiteral("IActiveDocument.CanUndo"));
}
void TActiveDocument::Undo()
{
    throw ENotImplemented(QStringLiteral("IActiveDocument.Undo"));
}
void TActiveDocument::put_Modified(bool)
{
    throw ENotImplemented(QStringLiteral("IActiveDocument.Modified"));
}
bool TActiveDocument::get_ReadOnly()
{
    throw ENotImplemented(QStringLiteral("IActiveDocument.ReadOnly"));
}
void TActiveDocument::put_ReadOnly(bool)
{
    throw ENotImplemented(QStringLiteral("IActiveDocument.ReadOnly"));
}
QByteArray TActiveDocument::CurrentBitmap()
{
    throw ENotImplemented(QStringLiteral("IActiveDocument.CurrentBitmap"));
}
int TActiveDocument::get_SelectedFrame()
{
    throw ENotImplemented(QStringLiteral("IActiveDocument.SelectedFrame"));
}
void TActiveDocument::put_SelectedFrame(int)
{
    throw ENotImplemented(QStringLiteral("IActiveDocument.SelectedFrame"));
}
bool TActiveDocument::Close(bool)
{
    throw ENotImplemented(QStringLiteral("IActiveDocument.Close"));
}
bool TActiveDocument::Save()
{
    throw ENotImplemented(QStringLiteral("IActiveDocument.Save"));
}
void TActiveDocument::PlayAnimation()
{
    throw ENotImplemented(QStringLiteral("IActiveDocument.PlayAnimation"));
}
void TActiveDocument::StopAnimation()
{
    throw ENotImplemented(QStringLiteral("IActiveDocument.StopAnimation"));
}
int TActiveDocument::AddFrame(const QByteArray&, int)
{
    throw ENotImplemented(QStringLiteral("IActiveDocument.AddFrame"));
}
void TActiveDocument::DeleteFrame(int)
{
    throw ENotImplemented(QStringLiteral("IActiveDocument.DeleteFrame"));
}
bool TActiveDocument::ExportToAVI()
{
    throw ENotImplemented(QStringLiteral("IActiveDocument.ExportToAVI"));
}
bool TActiveDocument::ImportFromAVI(const QString&)
{
    throw ENotImplemented(QStringLiteral("IActiveDocument.ImportFromAVI"));
}
QString TActiveDocument::HTMLCode(const QString&, const QString&, int)
{
    throw ENotImplemented(QStringLiteral("IActiveDocument.HTMLCode"));
}
int TActiveDocument::get_NSLoop()
{
    throw ENotImplemented(QStringLiteral("IActiveDocument.NSLoop"));
}
void TActiveDocument::put_NSLoop(int)
{
    throw ENotImplemented(QStringLiteral("IActiveDocument.NSLoop"));
}
bool TActiveDocument::AddFrameNoPrompts(const QByteArray&, int)
{
    throw ENotImplemented(QStringLiteral("IActiveDocument.AddFrameNoPrompts"));
}
bool TActiveDocument::SaveDocToTempFile(const QString&)
{
    throw ENotImplemented(QStringLiteral("IActiveDocument.SaveDocToTempFile"));
}
TComPtr<IFrames> TActiveDocument::get_Frames()
{
    if (!m_frames)
        m_frames = makeComObject<TGIFFrames>(m_host, server());
    return m_frames;
}
