// "Reverse Frames": puts the frames of the active animation in reverse order. It adds one item
// under Plug-ins, enabled only while a document is open, and runs the program's own reverse
// command through the automation objects, so the change is one step of the document's undo
// history like any edit.
#include "automation/AddInClassesIntf.h"

#include <QObject>

namespace {

constexpr int kReverseTag = 1;

class TReverseHandler : public IIntfMenuHandler
{
public:
    explicit TReverseHandler(TComPtr<IGIFReelwrightApplication> application)
        : m_application(std::move(application))
    {
    }

    HRESULT Execute(int nTag) override
    {
        if (nTag != kReverseTag || !m_application)
            return E_INVALIDARG;
        if (!m_application->get_ActiveDocument())
            return S_FALSE;
        // Errors of the program's objects arrive as exceptions; the program shows their text.
        m_application->Menu(QStringLiteral("Tools|Reverse Frame Order"))->Execute();
        return S_OK;
    }

private:
    TComPtr<IGIFReelwrightApplication> m_application;
};

} // namespace

class TReverseFramesPlugIn : public QObject, public IAddIn
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "Reelwright.IAddIn/{E48CE260-975C-11D3-9FEB-CE30E892D512}" FILE
                          "reverse-frames.json")
    Q_INTERFACES(IAddIn)

public:
    HRESULT SetApplication(IGIFReelwrightApplication* Reelwright) override
    {
        m_application = TComPtr<IGIFReelwrightApplication>(Reelwright);
        return m_application ? S_OK : E_POINTER;
    }

    HRESULT RegisterMenus() override
    {
        TComPtr<IIntfMenuItem> item = m_application->Menu(QStringLiteral("Plug-ins"))->AddSubItem();
        item->put_Caption(QStringLiteral("&Reverse Frames"));
        item->put_Hint(QStringLiteral("Reverses the frame order of the active animation"));
        item->put_Tag(kReverseTag);
        item->SetMenuHandler(menuHandlerValue(std::make_shared<TReverseHandler>(m_application)));
        // The handler keeps the application object; the plug-in itself needs it no longer.
        m_application.reset();
        return S_OK;
    }

    HRESULT GetDescription(QString& wsDescription) override
    {
        wsDescription = QStringLiteral("Puts the frames of the active animation in reverse order. "
                                       "Undo puts them back.");
        return S_OK;
    }
    HRESULT GetTitle(QString& wsTitle) override
    {
        wsTitle = QStringLiteral("Reverse Frames");
        return S_OK;
    }
    HRESULT GetVersion(QString& wsVersion) override
    {
        wsVersion = QStringLiteral("5.0");
        return S_OK;
    }

private:
    TComPtr<IGIFReelwrightApplication> m_application;
};

#include "ReverseFrames.moc"
