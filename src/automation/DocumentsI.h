#pragma once
// The document collection (IDocuments) of one application object, over the program's documents
// in tab order. Cache(i) is a cached-document object bound to the document of tab i; an index
// out of range gives a null reference.
#include "automation/AutomationHost.h"
#include "automation/EnumVariant.h"
#include "automation/Reelwright_TLB.h"

class TDocuments : public IDocuments, public IEnumerableCollection
{
public:
    TDocuments(IAutomationHost& host, TComServer* server);

    int get_Count() override;
    TComPtr<IDocumentCache> get_Cache(int Index) override;
    TDispatchPtr get__NewEnum() override;

    int enumCount() override { return get_Count(); }
    TDispatchPtr enumItem(int index) override { return get_Cache(index); }

private:
    IAutomationHost& m_host;
};
