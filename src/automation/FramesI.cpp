#include "automation/FramesI.h"

#include "automation/GIFFrameI.h"
#include "editing/UndoHost.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"

TGIFFrames::TGIFFrames(IAutomationHost& host, TComServer* server) : IFrames(server), m_host(host) {}

int TGIFFrames::get_Count()
{
    IUndoHost* document = m_host.activeUndoHost();
    return document ? document->workingImage().images().count() : 0;
}

TComPtr<IFrame> TGIFFrames::get_Frame(int Index)
{
    IUndoHost* document = m_host.activeUndoHost();
    if (!document || Index < 0 || Index >= document->workingImage().images().count())
        return {};
    return makeComObject<TGIFFrame>(m_host, document->workingImage().images().subImage(Index)->serial(),
                                    server());
}

TDispatchPtr TGIFFrames::get__NewEnum()
{
    return makeComObject<TEnumVariantCollection>(TDispatchPtr(this), this, server());
}
