// Test plug-ins, one library per FIXTURE_KIND:
//   1 a working plug-in: "Plug-ins|Fixture|Succeed" (tag 1, writes the status text),
//     "Plug-ins|Fixture|Deny" (tag 2, answers E_ACCESSDENIED), "Plug-ins|Fixture|Throw" (tag 3,
//     throws), "Plug-ins|Fixture|Independent" (tag 4, not document-dependent)
//   2 GetTitle fails          3 RegisterMenus fails after adding "Plug-ins|Half Registered"
//   4 GetDescription throws   5 adds no menu items
//   6 its root object is no IAddIn
//   7 needs a symbol nobody defines (fails to load)
#include "automation/AddInClassesIntf.h"

#include <QObject>

#include <stdexcept>

#if FIXTURE_KIND == 7
extern "C" int reelwrightFixtureSymbolNobodyDefines();
#endif

namespace {

class TFixtureHandler : public IIntfMenuHandler
{
public:
    explicit TFixtureHandler(TComPtr<IGIFReelwrightApplication> application) : m_application(application) {}
    HRESULT Execute(int nTag) override
    {
        switch (nTag) {
        case 2:
            return E_ACCESSDENIED;
        case 3:
            throw std::runtime_error("The fixture handler threw.");
        default:
            m_application->SetStatusText(QStringLiteral("Fixture clicked %1").arg(nTag));
            return S_OK;
        }
    }

private:
    TComPtr<IGIFReelwrightApplication> m_application;
};

} // namespace

#if FIXTURE_KIND == 6
class TFixturePlugIn : public QObject
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "Reelwright.IAddIn/{E48CE260-975C-11D3-9FEB-CE30E892D512}" FILE "fixture.json")
};
#else
class TFixturePlugIn : public QObject, public IAddIn
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "Reelwright.IAddIn/{E48CE260-975C-11D3-9FEB-CE30E892D512}" FILE "fixture.json")
    Q_INTERFACES(IAddIn)

public:
    HRESULT SetApplication(IGIFReelwrightApplication* Reelwright) override
    {
        m_application = TComPtr<IGIFReelwrightApplication>(Reelwright);
        return S_OK;
    }
    HRESULT RegisterMenus() override
    {
#if FIXTURE_KIND == 1
        TComPtr<IIntfMenuItem> parent = m_application->Menu(QStringLiteral("Plug-ins"))->AddSubItem();
        parent->put_Caption(QStringLiteral("&Fixture"));
        const auto handler = std::make_shared<TFixtureHandler>(m_application);
        const char* captions[] = {"&Succeed", "&Deny", "&Throw", "&Independent"};
        for (int tag = 1; tag <= 4; ++tag) {
            TComPtr<IIntfMenuItem> item = parent->AddSubItem();
            item->put_Caption(QString::fromLatin1(captions[tag - 1]));
            item->put_Tag(tag);
            item->SetMenuHandler(menuHandlerValue(handler));
            if (tag == 4)
                item->put_DocDependent(false);
        }
        return S_OK;
#elif FIXTURE_KIND == 3
        m_application->Menu(QStringLiteral("Plug-ins"))
            ->AddSubItem()
            ->put_Caption(QStringLiteral("Half Registered"));
        return E_FAIL;
#elif FIXTURE_KIND == 7
        return reelwrightFixtureSymbolNobodyDefines();
#else
        return S_OK;
#endif
    }
    HRESULT GetDescription(QString& wsDescription) override
    {
#if FIXTURE_KIND == 4
        throw std::runtime_error("GetDescription threw");
#endif
        wsDescription = QStringLiteral("Fixture %1 for the tests.\nSecond line.").arg(FIXTURE_KIND);
        return S_OK;
    }
    HRESULT GetTitle(QString& wsTitle) override
    {
        if (FIXTURE_KIND == 2)
            return E_FAIL;
        wsTitle = FIXTURE_KIND == 1 ? QStringLiteral("Fixture Plug-in")
                                    : QStringLiteral("Fixture %1").arg(FIXTURE_KIND);
        return S_OK;
    }
    HRESULT GetVersion(QString& wsVersion) override
    {
        wsVersion = QStringLiteral("1.%1").arg(FIXTURE_KIND);
        return S_OK;
    }

private:
    TComPtr<IGIFReelwrightApplication> m_application;
};
#endif

#include "FixturePlugIn.moc"
