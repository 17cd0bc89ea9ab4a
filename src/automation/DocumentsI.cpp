#include "automation/DocumentsI.h"

TDocuments::TDocuments(IAutomationHost& host, TComServer* server) : IDocuments(server), m_host(host) {}

int TDocuments::get_Count()
{
    return int(m_host.tabs().size());
}

TComPtr<IDocumentCache> TDocuments::get_Cache(int Index)
{
    if (Index < 0 || Index >= get_Count())
        return {};
    throw ENotImplemented(QStringLiteral("IDocuments.Cache"));
}

TDispatchPtr TDocuments::get__NewEnum()
{
    return makeComObject<TEnumVariantCollection>(TDispatchPtr(this), this, server());
}
