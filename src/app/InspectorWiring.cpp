#include "app/InspectorWiring.h"

#include "app/DocumentTabs.h"
#include "app/Main.h"
#include "editing/Document.h"
#include "editing/DocumentManager.h"
#include "editing/EditSession.h"
#include "editing/float.h"

namespace {

class TInspectorHostAdapter : public IInspectorHost
{
public:
    explicit TInspectorHostAdapter(TfrmMain& main) : m_main(main) {}

    IUndoHost* activeDocument() override { return m_main.session().documents().active(); }
    void pausePlayback() override { m_main.pausePlayback(); }
    int documentTab() const override { return m_main.documentTabs()->currentIndex(); }
    bool handBackDocument(int tab) override
    {
        TDocumentManager& documents = m_main.session().documents();
        TDocument* doc =
            tab >= 0 && tab < m_main.documentTabs()->count() ? m_main.documentTabs()->document(tab) : nullptr;
        if (!doc || doc->isClosing())
            return false;
        // The document the inspector worked on is still the active one: it only has to write
        // its working copy when the user switches away from it.
        if (doc == documents.active()) {
            documents.markForRefresh(doc);
            return false;
        }
        if (!doc->isModified())
            return false;
        documents.deactivate(doc);
        return true;
    }

private:
    TfrmMain& m_main;
};

} // namespace

void wireInspector(TfrmMain& main, TfrmFloat& inspector)
{
    inspector.setHost(std::make_unique<TInspectorHostAdapter>(main));
}
