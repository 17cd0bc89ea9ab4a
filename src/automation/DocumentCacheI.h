#pragma once
// A cached-document object (IDocumentCache): bound to the document of one tab when it is made,
// and to that document only, whichever is active later. Once the document has closed, reads give
// false or empty and MakeActive does nothing.
#include "automation/AutomationHost.h"
#include "automation/Reelwright_TLB.h"

#include <QPointer>

class TDocumentCache : public IDocumentCache
{
public:
    TDocumentCache(IAutomationHost& host, TDocument* document, TComServer* server);

    bool get_CanUndo() override;
    bool get_CanRedo() override { return false; }
    bool get_Modified() override;
    QString get_FileName() override;
    bool get_ReadOnly() override;
    void MakeActive() override;

private:
    // The bound document while it is open; null once it closed.
    TDocument* document() const;

    IAutomationHost& m_host;
    // The document manager deletes a closed document later; the guard notices either way.
    QPointer<TDocument> m_document;
};
