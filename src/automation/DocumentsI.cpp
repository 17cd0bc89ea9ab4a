#include "automation/DocumentsI.h"

#include "automation/DocumentCacheI.h"

TDocuments::TDocuments(IAutomationHost& host, TComServer* server) : IDocuments(server), m_host(host) {}

int TDocuments::get_Count()
{
    return int(m_host.tabs().size());
}

TComPtr<IDocumentCache> TDocuments::get_Cache(int Index)
{
    TDocument* document = m_host.tabDocument(Index);
    if (!document)
        return {};
    return makeComObject<TDocumentCache>(m_host, document, server());
}

TDispatchPtr TDocuments::get__NewEnum()
{
    return makeComObject<TEnumVariantCollection>(TDispatchPtr(this), this, server());
}
