#pragma once
// The document collection (IDocuments) of one application object, over the program's documents.
// Cached-document objects and the enumerator arrive with the document objects; until then those
// members answer "not implemented".
#include "automation/AutomationHost.h"
#include "automation/Reelwright_TLB.h"

class TDocuments : public IDocuments
{
public:
    TDocuments(IAutomationHost& host, TComServer* server);

    int get_Count() override;
    TComPtr<IDocumentCache> get_Cache(int Index) override;
    TDispatchPtr get__NewEnum() override;

private:
    IAutomationHost& m_host;
};
