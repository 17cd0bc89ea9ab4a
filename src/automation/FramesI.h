#pragma once
// The frame collection (IFrames) of an active-document object: the frames of whatever document
// is active at the moment of each call.
#include "automation/AutomationHost.h"
#include "automation/EnumVariant.h"
#include "automation/Reelwright_TLB.h"

class TGIFFrames : public IFrames, public IEnumerableCollection
{
public:
    TGIFFrames(IAutomationHost& host, TComServer* server);

    int get_Count() override;
    // A null reference for an index out of range.
    TComPtr<IFrame> get_Frame(int Index) override;
    TDispatchPtr get__NewEnum() override;

    int enumCount() override { return get_Count(); }
    TDispatchPtr enumItem(int index) override { return get_Frame(index); }

private:
    IAutomationHost& m_host;
};
