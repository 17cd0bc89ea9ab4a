#include "app/InspectorWiring.h"

#include "app/Childwin.h"
#include "app/DocumentTabs.h"
#include "app/Main.h"
#include "editing/float.h"

namespace {

class TInspectorHostAdapter : public IInspectorHost
{
public:
    explicit TInspectorHostAdapter(TfrmMain& main) : m_main(main) {}

    IUndoHost* activeDocument() override { return m_main.activeDocument(); }
    void pausePlayback() override { m_main.pausePlayback(); }
    int documentTab() const override { return m_main.documentTabs()->currentIndex(); }
    bool handBackDocument(int tab) override
    {
        TMDIChild* doc =
            tab >= 0 && tab < m_main.documentTabs()->count() ? m_main.documentTabs()->document(tab) : nullptr;
        if (!doc || doc->isClosing())
            return false;
        // The document the inspector worked on is still the active one: it only has to write
        // its working copy when the user switches away from it.
        if (doc == m_main.activeDocument()) {
            doc->markForRefresh();
            return false;
        }
        if (!doc->isModified())
            return false;
        doc->deactivate();
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
