#include "automation/DocumentCacheI.h"

#include "editing/Document.h"
#include "editing/UndoHistory.h"

TDocumentCache::TDocumentCache(IAutomationHost& host, TDocument* document, TComServer* server)
    : IDocumentCache(server), m_host(host), m_document(document)
{
}

TDocument* TDocumentCache::document() const
{
    TDocument* doc = m_document.data();
    return doc && !doc->isClosing() ? doc : nullptr;
}

bool TDocumentCache::get_CanUndo()
{
    TDocument* doc = document();
    if (!doc)
        return false;
    // The Undo command's caption belongs to the active document: it is refreshed only for that one.
    if (doc == m_host.activeDocument())
        return refreshUndoState(*doc);
    return doc->history() && doc->history()->count() > 0;
}

bool TDocumentCache::get_Modified()
{
    const TDocument* doc = document();
    return doc && doc->isModified();
}

QString TDocumentCache::get_FileName()
{
    const TDocument* doc = document();
    return doc ? doc->fileName() : QString();
}

bool TDocumentCache::get_ReadOnly()
{
    const TDocument* doc = document();
    return doc && doc->isReadOnly();
}

void TDocumentCache::MakeActive()
{
    if (TDocument* doc = document())
        m_host.makeDocumentActive(*doc);
}
