#include "automation/ActiveDocumentI.h"

#include "automation/FramesI.h"
#include "editing/Document.h"
#include "editing/HtmlCode.h"
#include "editing/Routines.h"
#include "editing/UndoHistory.h"
#include "editing/UndoHost.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "graphics/Bitmap.h"
#include "graphics/BitmapFile.h"

#include <QFileInfo>
#include <QPointer>

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

IUndoHost* TActiveDocument::document()
{
    return m_host.activeUndoHost();
}

bool TActiveDocument::get_CanUndo()
{
    // Reading also brings the Undo command's caption and state up to date.
    IUndoHost* doc = document();
    return doc && refreshUndoState(*doc);
}

void TActiveDocument::Undo()
{
    // Errors of the step (a snapshot that cannot be read back) reach the client; the step stays.
    if (IUndoHost* doc = document())
        undoActiveDocument(*doc);
}

void TActiveDocument::put_Modified(bool value)
{
    if (IUndoHost* doc = document())
        doc->setModified(value);
}

bool TActiveDocument::get_ReadOnly()
{
    const TDocument* doc = m_host.activeDocument();
    return doc && doc->isReadOnly();
}

void TActiveDocument::put_ReadOnly(bool value)
{
    if (TDocument* doc = m_host.activeDocument())
        doc->setReadOnly(value);
}

QByteArray TActiveDocument::CurrentBitmap()
{
    IUndoHost* doc = document();
    if (!doc)
        return {};
    TGIFImage& image = doc->workingImage();
    const int index = m_host.currentFrame();
    if (index < 0 || index >= image.images().count())
        return {};
    return bitmapTransferValue(m_host.framePicture(*image.images().subImage(index)).get());
}

int TActiveDocument::get_SelectedFrame()
{
    return document() ? m_host.currentFrame() : -1;
}

void TActiveDocument::put_SelectedFrame(int nFrame)
{
    // The strip keeps its selection when the frame cannot be shown.
    if (document())
        m_host.selectFrame(nFrame);
}

bool TActiveDocument::Close(bool)
{
    // The document's own close question decides; the answer says whether it really closed.
    return document() && m_host.closeActiveDocument();
}

bool TActiveDocument::Save()
{
    const TDocument* doc = m_host.activeDocument();
    if (!doc)
        return false;
    // A document that has a file is saved to it; one without is first asked about when changed.
    return m_host.saveActiveDocument(QFileInfo::exists(doc->fileName()));
}

void TActiveDocument::PlayAnimation()
{
    if (document())
        m_host.playAnimation();
}

void TActiveDocument::StopAnimation()
{
    if (document())
        m_host.pauseAnimation();
}

int TActiveDocument::AddFrame(const QByteArray& Image, int Delay)
{
    IUndoHost* doc = document();
    if (!doc)
        return -1;
    TBitmap picture;
    if (!byteArrayToBitmap(Image, picture))
        return -1;
    const QPointer<TDocument> active = m_host.activeDocument();
    const int index = m_host.addFrame(picture);
    if (index < 0 || !active || active != m_host.activeDocument())
        return index;
    // The add-frame routine gives the new frame the default delay; a delay the format can hold
    // replaces it. The step recorded for the addition takes the frame away, delay and all.
    TGIFImage& image = doc->workingImage();
    if (Delay >= 1 && Delay <= 65535 && index < image.images().count()) {
        if (TGIFGraphicControlExtension* control = image.images().subImage(index)->graphicControlExtension();
            control && control->delay() != Delay) {
            control->setDelay(uint16_t(Delay));
            doc->setModified(true);
            doc->repaintFrameStrip();
        }
    }
    return index;
}

void TActiveDocument::DeleteFrame(int nIndex)
{
    IUndoHost* doc = document();
    if (!doc || nIndex == -1)
        return;
    const int count = doc->workingImage().images().count();
    if (nIndex < 0 || nIndex >= count)
        throw EOleError(QStringLiteral("The frame index must be between 0 and %1.").arg(count - 1));
    m_host.deleteFrame(nIndex);
}

bool TActiveDocument::ExportToAVI()
{
    return document() && m_host.exportToAVI();
}

bool TActiveDocument::ImportFromAVI(const QString& wsFile)
{
    // A new document is made from the movie: no active document is needed.
    return m_host.importFromAVI(wsFile);
}

QString TActiveDocument::HTMLCode(const QString& wsURL, const QString& wsHint, int nBorder)
{
    IUndoHost* doc = document();
    if (!doc)
        return {};
    const TGIFImage& image = doc->workingImage();
    return htmlCodeText(wsURL, wsHint, image.height(), image.width(), nBorder);
}

int TActiveDocument::get_NSLoop()
{
    IUndoHost* doc = document();
    if (!doc || doc->workingImage().images().count() == 0)
        return 1;
    const TGIFAppExtNSLoop* loop = doc->workingImage().images().subImage(0)->loopExtension();
    if (!loop)
        return 1;
    return loop->loops() == 0 ? 0 : loop->loops() + 1;
}

void TActiveDocument::put_NSLoop(int nLoop)
{
    if (nLoop < 0)
        throw EOleError(QStringLiteral("The loop count must be between 0 and 65535."));
    IUndoHost* doc = document();
    if (!doc || nLoop > 65535)
        return;
    TGIFImage& image = doc->workingImage();
    if (image.images().count() == 0)
        return;
    TGIFSubImage& first = *image.images().subImage(0);
    TGIFAppExtNSLoop* loop = first.loopExtension();
    if (nLoop == 1) {
        // Playing once is stored as no extension at all.
        if (!loop)
            return;
        recordLoopChange(*doc, uaRemoved);
        delete loop; // unlinks itself from the frame
    } else if (loop) {
        recordLoopChange(*doc, uaChanged);
        loop->setLoops(uint16_t(storedLoopCount(nLoop)));
    } else {
        recordLoopChange(*doc, uaAdded);
        addLoopExtension(image, first, nLoop);
    }
    doc->setModified(true);
}

bool TActiveDocument::AddFrameNoPrompts(const QByteArray& Image, int nDelay)
{
    if (!document())
        return false;
    TBitmap picture;
    if (!byteArrayToBitmap(Image, picture))
        return false;
    return m_host.addFrameNoPrompts(picture, nDelay) >= 0;
}

bool TActiveDocument::SaveDocToTempFile(const QString& wsFileName)
{
    IUndoHost* doc = document();
    if (!doc)
        return false;
    // Written from a copy: the pre-save normalisation must not change the document's animation,
    // which keeps its name, its modified flag and its history.
    TGIFImage copy;
    copy.assign(&doc->workingImage());
    return saveGIFFile(copy, wsFileName, true, true);
}

TComPtr<IFrames> TActiveDocument::get_Frames()
{
    if (!m_frames)
        m_frames = makeComObject<TGIFFrames>(m_host, server());
    return m_frames;
}
