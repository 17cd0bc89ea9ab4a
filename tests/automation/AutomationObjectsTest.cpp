// The object layer without a bus: the dispid tables as a contract, late-bound argument
// conversion, start switches, menu paths, the tab search, and the server's life rules.
#include "automation/AutomationRegistration.h"
#include "graphics/Bitmap.h"
#include "automation/AutomationSession.h"
#include "automation/GIFApplicationI.h"
#include "automation/IntfMenuItem.h"
#include "automation/Reelwright_TLB.h"

#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

QString dispids(const TInterfaceInfo& info)
{
    QStringList list;
    for (const TMemberInfo& member : info.members) {
        const char* kind = member.kind == TMemberKind::Get   ? "g"
                           : member.kind == TMemberKind::Put ? "p"
                                                             : "m";
        list.append(QStringLiteral("%1%2").arg(member.dispid).arg(QLatin1String(kind)));
    }
    return list.join(QLatin1Char(' '));
}

const TInterfaceInfo& interfaceNamed(const char* name)
{
    for (const TInterfaceInfo* info : libraryInterfaces()) {
        if (qstrcmp(info->name, name) == 0)
            return *info;
    }
    throw std::runtime_error(name);
}

TEST(AutomationTypeLibrary, DispidsInVirtualTableOrder)
{
    const struct
    {
        const char* name;
        const char* order;
    } expected[] = {
        {"IGIFReelwrightApplication", "1g 2g 3g 3p 4g 4p 5g 7g 8g 8p 9g 10g 11g 11p 12g 12p 13g 13p 14g 15g "
                                      "15p 16g 16p 17m 18m 19m 20m 21m "
                                      "22m 23m 24m 25m 26m 27m 28m 29m 30m 31m 32m 33m 34m 35m 36m 37m 38m "
                                      "39m 40m 41m 42m 43g 43p 44g 44p 45g "
                                      "45p 46m 47m 48m 49m 50m 51m 52g"},
        {"IActiveDocument",
         "1g 2g 3m 4m 5g 6g 6p 7g 7p 9m 10g 11g 11p 12g 13m 14m 15m 16m 17m 18m 19m 20m 21m 22m "
         "23m 24m 25m 27g 27p 28m 29m 30m 26g"},
        {"IDocuments", "1g 0g -4g"},
        {"IDocumentCache", "1g 2g 3g 4g 5g 6m"},
        {"IFrames", "1g 0g -4g"},
        {"IFrame", "1g 2g 3g 6g 9g 9p 10g 10p 11g 11p 12g 4g 4p 5g 5p 7g 7p 8g 8p 13g 13p 14m"},
        {"IIntfMenuItem", "1g 1p 2g 2p 3g 3p 4g 4p 5g 5p 6g 7g 7p 8g 8p 9m 10m 13m 11m 12g 12p 14m 15g 15p"},
    };
    for (const auto& e : expected)
        EXPECT_EQ(dispids(interfaceNamed(e.name)), QLatin1String(e.order)) << e.name;
    EXPECT_EQ(interfaceNamed("IGIFReelwrightApplication").find(6, TMemberKind::Get), nullptr);
    EXPECT_EQ(interfaceNamed("IActiveDocument").find(8, TMemberKind::Method), nullptr);
}

TEST(AutomationTypeLibrary, XmlCarriesTheMappingOfEveryMember)
{
    const QString xml = interfaceXml(interfaceNamed("IGIFReelwrightApplication"));
    // A property with a put is writable, a read-only one is not; in/out arguments come back
    // before the result; objects name their interface; dispids travel as annotations.
    EXPECT_TRUE(xml.contains(QStringLiteral("<property name=\"Width\" type=\"i\" access=\"readwrite\">")));
    EXPECT_TRUE(xml.contains(QStringLiteral("<property name=\"HInstance\" type=\"i\" access=\"read\">")));
    EXPECT_TRUE(
        xml.contains(QStringLiteral("<property name=\"CurrentFolder\" type=\"v\" access=\"readwrite\">")));
    const qsizetype getImageSize = xml.indexOf(QStringLiteral("<method name=\"GetImageSize\">"));
    const QString method =
        xml.mid(getImageSize, xml.indexOf(QStringLiteral("</method>"), getImageSize) - getImageSize);
    EXPECT_TRUE(method.contains(QStringLiteral("<annotation name=\"Reelwright.DispId\" value=\"21\"/>")));
    EXPECT_LT(method.indexOf(QStringLiteral("name=\"nWidth\" type=\"i\" direction=\"out\"")),
              method.indexOf(QStringLiteral("name=\"Value\" type=\"b\" direction=\"out\"")));
    EXPECT_TRUE(xml.contains(QStringLiteral("value=\"Reelwright.IActiveDocument\"")));
    EXPECT_TRUE(xml.contains(QStringLiteral("name=\"Reelwright.Enum\" value=\"TCurrentViewType\"")));
    // Properties with arguments are methods of their name.
    const QString documents = interfaceXml(interfaceNamed("IDocuments"));
    EXPECT_TRUE(documents.contains(QStringLiteral("<method name=\"Cache\">")));
    EXPECT_TRUE(
        documents.contains(QStringLiteral("<property name=\"_NewEnum\" type=\"o\" access=\"read\">")));
    const QString frame = interfaceXml(interfaceNamed("IFrame"));
    EXPECT_TRUE(frame.contains(QStringLiteral("<property name=\"Bitmap\" type=\"ay\" access=\"read\">")));
}

TEST(AutomationLateBinding, ArgumentsConvertAsVariantsDo)
{
    const TParamInfo longParam{"n", TVarType::Long};
    const TParamInfo boolParam{"b", TVarType::Bool};
    const TParamInfo stringParam{"s", TVarType::String};
    const struct
    {
        QVariant given;
        const TParamInfo* param;
        QVariant expected; // invalid: a type mismatch
    } cases[] = {
        {QVariant(5), &longParam, QVariant(5)},
        {QVariant(QStringLiteral(" 42 ")), &longParam, QVariant(42)},
        {QVariant(true), &longParam, QVariant(-1)},
        {QVariant(qulonglong(1) << 40), &longParam, QVariant()},
        {QVariant(2.5e12), &longParam, QVariant()},
        {QVariant(QStringLiteral("x")), &longParam, QVariant()},
        {QVariant(QByteArray("a")), &longParam, QVariant()},
        {QVariant(0), &boolParam, QVariant(false)},
        {QVariant(QStringLiteral("-1")), &boolParam, QVariant(true)},
        {QVariant(7), &stringParam, QVariant(QStringLiteral("7"))},
        {QVariant(false), &stringParam, QVariant(QStringLiteral("0"))},
        {QVariant(QStringList{QStringLiteral("a")}), &stringParam, QVariant()},
    };
    for (const auto& c : cases) {
        if (c.expected.isValid()) {
            EXPECT_EQ(coerceArgument(c.given, *c.param), c.expected) << qPrintable(c.given.toString());
        } else {
            EXPECT_THROW(coerceArgument(c.given, *c.param), EDispatchError) << qPrintable(c.given.toString());
        }
    }
}

TEST(AutomationStartSwitches, AnyCaseAfterSlashOrDash)
{
    using M = TAutomationStartMode;
    const struct
    {
        QStringList arguments;
        M mode;
        QStringList rest;
    } cases[] = {
        {{}, M::StandAlone, {}},
        {{QStringLiteral("walk.gif")}, M::StandAlone, {QStringLiteral("walk.gif")}},
        {{QStringLiteral("-regserver")}, M::Register, {}},
        {{QStringLiteral("/UNREGSERVER")}, M::Unregister, {}},
        {{QStringLiteral("-Embedding")}, M::Automation, {}},
        {{QStringLiteral("/automation"), QStringLiteral("a.gif")}, M::Automation, {QStringLiteral("a.gif")}},
        {{QStringLiteral("-AUTOMATION"), QStringLiteral("/RegServer")}, M::Register, {}},
        {{QStringLiteral("--automation")}, M::StandAlone, {QStringLiteral("--automation")}},
        {{QStringLiteral("AUTOMATION")}, M::StandAlone, {QStringLiteral("AUTOMATION")}},
        {{QStringLiteral("-regservers")}, M::StandAlone, {QStringLiteral("-regservers")}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(automationStartMode(c.arguments), c.mode) << qPrintable(c.arguments.join(QLatin1Char(' ')));
        EXPECT_EQ(withoutAutomationSwitches(c.arguments), c.rest);
    }
    EXPECT_EQ(serviceFileText(QStringLiteral("/opt/My \"Apps\"/reelwright")),
              QStringLiteral("[D-BUS Service]\nName=Reelwright.GIFApplication\n"
                             "Exec=\"/opt/My \\\"Apps\\\"/reelwright\" -AUTOMATION\n"));
}

TEST(AutomationMenuPaths, CaptionsWithoutAmpersandsExactly)
{
    QWidget window;
    QMenuBar bar(&window);
    QMenu* file = bar.addMenu(QStringLiteral("&File"));
    QMenu* exportMenu = file->addMenu(QStringLiteral("&Export"));
    QAction* html = exportMenu->addAction(QStringLiteral("As &HTML Page..."));
    file->addSeparator();
    EXPECT_EQ(findMenuItem(&bar, QStringLiteral("File|Export|As HTML Page...")), html);
    EXPECT_EQ(findMenuItem(&bar, QStringLiteral("&File|&Export|As &HTML Page...")), nullptr);
    EXPECT_EQ(findMenuItem(&bar, QStringLiteral("file|export|as html page...")), nullptr);
    EXPECT_EQ(findMenuItem(&bar, QStringLiteral("File|Export|As HTML Page...|More")), nullptr);
    EXPECT_EQ(findMenuItem(&bar, QStringLiteral("Nothing")), nullptr);
    // Two items with the same caption: the last one.
    QAction* second = bar.addMenu(QStringLiteral("F&ile"))->menuAction();
    EXPECT_EQ(findMenuItem(&bar, QStringLiteral("File|Export")), nullptr);
    EXPECT_EQ(findMenuItem(&bar, QStringLiteral("File")), second);
    EXPECT_EQ(findMenuItem(nullptr, QStringLiteral("File")), nullptr);
}

TEST(AutomationTabSearch, NameFirstThenExactPathFromThere)
{
    using T = IAutomationHost::TTab;
    const QList<T> tabs = {{QStringLiteral("walk.gif"), QStringLiteral("/a/walk.gif")},
                           {QStringLiteral("run.gif"), QStringLiteral("/a/run.gif")},
                           {QStringLiteral("walk.gif"), QStringLiteral("/b/walk.gif")},
                           {QStringLiteral("Walk.gif"), QStringLiteral("/c/Walk.gif")}};
    EXPECT_EQ(tabIndexForFile(tabs, QStringLiteral("/a/walk.gif")), 0);
    EXPECT_EQ(tabIndexForFile(tabs, QStringLiteral("/b/walk.gif")), 2);
    EXPECT_EQ(tabIndexForFile(tabs, QStringLiteral("/c/Walk.gif")), 3);
    EXPECT_EQ(tabIndexForFile(tabs, QStringLiteral("/d/walk.gif")), -1);
    EXPECT_EQ(tabIndexForFile(tabs, QStringLiteral("/A/walk.gif")), -1);
    EXPECT_EQ(tabIndexForFile(tabs, QStringLiteral("/a/jump.gif")), -1);
    EXPECT_EQ(tabIndexForFile({}, QStringLiteral("/a/walk.gif")), -1);
}

// A program with no documents and one window; records the shut-down request.
class TFakeHost : public IAutomationHost
{
public:
    bool hasActiveDocument() const override { return false; }
    QList<TTab> tabs() const override { return {}; }
    int currentTab() const override { return -1; }
    void selectTab(int) override {}
    void bringTabToFront(int) override {}
    bool openDocument(const QString&) override { return false; }
    void newDocument() override {}
    void nextDocument() override {}
    void previousDocument() override {}
    bool closeAllDocuments() override { return true; }
    bool saveAllDocuments() override { return true; }
    bool anyDocumentModified() const override { return modified; }
    IUndoHost* activeUndoHost() override { return nullptr; }
    std::unique_ptr<TBitmap> framePicture(TGIFSubImage&) override { return {}; }
    TDocument* tabDocument(int) override { return nullptr; }
    TDocument* activeDocument() override { return nullptr; }
    void makeDocumentActive(TDocument&) override {}
    int currentFrame() const override { return -1; }
    bool selectFrame(int) override { return false; }
    bool closeActiveDocument() override { return false; }
    bool saveActiveDocument(bool) override { return false; }
    void playAnimation() override {}
    void pauseAnimation() override {}
    int addFrame(TBitmap&) override { return -1; }
    int addFrameNoPrompts(TBitmap&, int) override { return -1; }
    bool deleteFrame(int) override { return false; }
    bool exportToAVI() override { return false; }
    bool importFromAVI(const QString&) override { return false; }
    void cascade() override {}
    void tileHorizontal() override {}
    void tileVertical() override {}
    QWidget& mainWindow() override { return window; }
    QMenuBar* mainMenu() override { return nullptr; }
    void closeMainWindow() override { ++closeRequests; }
    void showProgress() override {}
    void hideProgress() override {}
    void setProgress(int) override {}
    void setStatusText(const QString&) override {}
    bool thumbnailsShowing() const override { return false; }
    void setThumbnailsShowing(bool) override {}
    bool explorerShowing() const override { return false; }
    void setExplorerShowing(bool) override {}
    void toggleExplorer() override {}
    QString thumbnailFolder() const override { return {}; }
    void setThumbnailFolder(const QString&) override {}
    void loadThumbnails(const QString&) override {}
    QString selectedThumbnail() const override { return {}; }

    QWidget window;
    bool modified = false;
    int closeRequests = 0;
};

TEST(AutomationServerLife, LastCountedObjectEndsOnlyTheAutomationModeAndNeverOverUnsavedEdits)
{
    const struct
    {
        TAutomationStartMode mode;
        bool modified;
        int closeRequests;
    } cases[] = {
        {TAutomationStartMode::Automation, false, 1},
        {TAutomationStartMode::Automation, true, 0},
        {TAutomationStartMode::StandAlone, false, 0},
    };
    for (const auto& c : cases) {
        auto host = std::make_unique<TFakeHost>();
        TFakeHost& fake = *host;
        fake.modified = c.modified;
        fake.window.show();
        TAutomationSession session(std::move(host), c.mode, std::nullopt);
        // The program's own object counts as an object but not towards the server's life.
        EXPECT_EQ(session.server().objectCount(), 1);
        EXPECT_EQ(session.server().countedObjects(), 0);
        {
            auto client = makeComObject<TGIFApplication>(fake, &session.server(), true);
            TComPtr<IDocuments> documents = client->get_DocumentCache();
            EXPECT_EQ(documents, client->get_DocumentCache());
            EXPECT_EQ(session.server().objectCount(), 3);
            EXPECT_EQ(session.server().countedObjects(), 1);
        }
        EXPECT_EQ(session.server().objectCount(), 1);
        QCoreApplication::processEvents();
        EXPECT_EQ(fake.closeRequests, c.closeRequests);
    }
}

TEST(AutomationServerLife, CallsKeepTheirObjectAliveAndReportFailures)
{
    TFakeHost host;
    TComServer server(TAutomationStartMode::StandAlone, nullptr);
    auto app = makeComObject<TGIFApplication>(host, &server, false);
    EXPECT_EQ(app->invoke(14, TMemberKind::Get, {}).value(0).toString(), QStringLiteral("4.0"));
    EXPECT_EQ(app->invoke(20, TMemberKind::Method, {QStringLiteral("/p/q.gif")}).value(0).toString(),
              QStringLiteral("/p/"));
    // ActiveDocument without a document is a null reference.
    EXPECT_FALSE(app->invoke(1, TMemberKind::Get, {}).value(0).value<TDispatchPtr>());
    EXPECT_THROW(app->invoke(51, TMemberKind::Method, {QStringLiteral("Nothing")}), EOleError);
    EXPECT_THROW(app->invoke(6, TMemberKind::Get, {}), EDispatchError);
    EXPECT_THROW(app->invoke(16, TMemberKind::Put, {}), EDispatchError);
    // A negative wait does not block.
    app->invoke(42, TMemberKind::Method, {-1});
    app.reset();
    EXPECT_EQ(server.objectCount(), 0);
}

} // namespace
