#include "automation/AddInManager.h"

#include "platform/MessageService.h"
#include "wizards/Progress.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLibrary>
#include <QMenu>
#include <QPluginLoader>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>

namespace {

// A manifest is a few lines; anything much larger is not one.
constexpr qint64 kMaxManifestBytes = 64 * 1024;

bool isClassId(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral(
        "^\\{[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}\\}$"));
    return pattern.match(text).hasMatch();
}

// The categories a class declares; false when the value is not a list of texts.
bool categoryList(const QJsonValue& value, QStringList& categories)
{
    if (value.isUndefined() || value.isNull())
        return true;
    if (!value.isArray())
        return false;
    for (const QJsonValue& entry : value.toArray()) {
        if (!entry.isString())
            return false;
        categories.append(entry.toString().toUpper());
    }
    return true;
}

QString problem(const QString& fileName, const QString& reason)
{
    return QStringLiteral("%1: %2").arg(QFileInfo(fileName).fileName(), reason);
}

// Checks a class description (a library's metadata or a manifest): its class id, and whether it
// belongs to the plug-in category without requiring others. Answers the class id; empty with
// reason set when the description is malformed, empty without a reason when the class belongs
// elsewhere.
QString classOf(const QJsonObject& description, QString& reason)
{
    const QString classId = description.value(QStringLiteral("ClassId")).toString();
    if (!isClassId(classId)) {
        reason = QStringLiteral("its metadata names no class id ({xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}).");
        return {};
    }
    QStringList categories;
    QStringList required;
    if (!categoryList(description.value(QStringLiteral("Categories")), categories) ||
        !categoryList(description.value(QStringLiteral("RequiredCategories")), required)) {
        reason = QStringLiteral("its metadata lists categories that are not class ids.");
        return {};
    }
    if (!categories.contains(QString::fromLatin1(kPlugInCategory)) || !required.isEmpty())
        return {};
    return classId.toUpper();
}

// ---- script plug-ins ---------------------------------------------------------------------------

class TScriptHandler : public IIntfMenuHandler
{
public:
    TScriptHandler(TScriptRunner runner, QStringList command, QString folder)
        : m_runner(std::move(runner)), m_command(std::move(command)), m_folder(std::move(folder))
    {
    }
    HRESULT Execute(int) override
    {
        if (!m_runner)
            throw EOleSysError(E_UNEXPECTED);
        m_runner(m_command, m_folder);
        return S_OK;
    }

private:
    TScriptRunner m_runner;
    QStringList m_command;
    QString m_folder;
};

// A manifest made into an add-in: it describes itself from the manifest and registers one item
// at its menu path.
class TScriptAddIn : public IAddIn
{
public:
    TScriptAddIn(const QJsonObject& manifest, const QString& folder, TScriptRunner runner)
        : m_manifest(manifest), m_folder(folder), m_runner(std::move(runner))
    {
    }
    HRESULT SetApplication(IGIFReelwrightApplication* Reelwright) override
    {
        m_application = TComPtr<IGIFReelwrightApplication>(Reelwright);
        return S_OK;
    }
    HRESULT RegisterMenus() override
    {
        const QString path = m_manifest.value(QStringLiteral("MenuPath")).toString();
        const qsizetype bar = path.lastIndexOf(QLatin1Char('|'));
        if (!m_application || bar <= 0 || bar == path.size() - 1)
            return E_INVALIDARG;
        QStringList command;
        const QJsonValue value = m_manifest.value(QStringLiteral("Command"));
        if (value.isArray()) {
            for (const QJsonValue& part : value.toArray())
                command.append(part.toString());
        } else {
            command = QProcess::splitCommand(value.toString());
        }
        if (command.isEmpty() || command.front().isEmpty())
            return E_INVALIDARG;
        TComPtr<IIntfMenuItem> parent = m_application->Menu(path.left(bar));
        TComPtr<IIntfMenuItem> item = parent->AddSubItem();
        item->put_Caption(path.mid(bar + 1));
        item->put_DocDependent(m_manifest.value(QStringLiteral("DocDependent")).toBool(true));
        item->SetMenuHandler(menuHandlerValue(std::make_shared<TScriptHandler>(m_runner, command, m_folder)));
        return S_OK;
    }
    HRESULT GetDescription(QString& wsDescription) override { return text("Description", wsDescription); }
    HRESULT GetTitle(QString& wsTitle) override { return text("Title", wsTitle); }
    HRESULT GetVersion(QString& wsVersion) override { return text("Version", wsVersion); }

private:
    HRESULT text(const char* key, QString& out) const
    {
        const QJsonValue value = m_manifest.value(QLatin1String(key));
        if (!value.isString() && !value.isUndefined())
            return E_INVALIDARG;
        out = value.toString();
        return S_OK;
    }

    QJsonObject m_manifest;
    QString m_folder;
    TScriptRunner m_runner;
    TComPtr<IGIFReelwrightApplication> m_application;
};

// Runs one call into a plug-in: a failure status or anything thrown is a failed call.
template <class Call> bool succeeded(Call&& call)
{
    try {
        return SUCCEEDED(call());
    } catch (...) {
        return false;
    }
}

} // namespace

QStringList plugInFolders()
{
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return {QDir(dataHome).filePath(QStringLiteral("reelwright/plugins")),
            QDir::cleanPath(QCoreApplication::applicationDirPath() +
                            QStringLiteral("/../lib/reelwright/plugins"))};
}

TPlugInScan scanPlugInFolders(const QStringList& folders)
{
    TPlugInScan scan;
    QSet<QString> seen;
    for (const QString& folder : folders) {
        const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::Readable, QDir::Name);
        for (const QFileInfo& entry : entries) {
            if (scan.classes.size() >= kMaxPlugInClasses)
                return scan;
            const QString fileName = entry.absoluteFilePath();
            TPlugInClass found;
            QString reason;
            QJsonObject description;
            if (entry.suffix() == QLatin1String("json")) {
                QFile file(fileName);
                if (entry.size() > kMaxManifestBytes || !file.open(QIODevice::ReadOnly)) {
                    scan.problems.append(problem(fileName, QStringLiteral("the manifest cannot be read.")));
                    continue;
                }
                QJsonParseError error;
                const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
                if (!document.isObject()) {
                    scan.problems.append(problem(
                        fileName,
                        QStringLiteral("the manifest is not a JSON object (%1).").arg(error.errorString())));
                    continue;
                }
                description = document.object();
                // A manifest is made for this program: it belongs to the plug-in category unless
                // it says otherwise.
                if (!description.contains(QStringLiteral("Categories")))
                    description.insert(QStringLiteral("Categories"),
                                       QJsonArray{QString::fromLatin1(kPlugInCategory)});
                found.script = true;
                found.manifest = description;
            } else if (QLibrary::isLibrary(fileName)) {
                const QJsonObject metaData = QPluginLoader(fileName).metaData();
                if (metaData.isEmpty()) {
                    scan.problems.append(
                        problem(fileName, QStringLiteral("it is no plug-in (no plug-in metadata).")));
                    continue;
                }
                if (metaData.value(QStringLiteral("IID")).toString() != QLatin1String(IAddIn_iid)) {
                    scan.problems.append(
                        problem(fileName, QStringLiteral("it is a plug-in for \"%1\", not for this program.")
                                              .arg(metaData.value(QStringLiteral("IID")).toString())));
                    continue;
                }
                description = metaData.value(QStringLiteral("MetaData")).toObject();
            } else {
                continue;
            }
            found.fileName = fileName;
            found.classId = classOf(description, reason);
            if (!reason.isEmpty()) {
                scan.problems.append(problem(fileName, reason));
                continue;
            }
            if (found.classId.isEmpty())
                continue;
            // One class id names one class: the first folder's (the user's) wins.
            if (seen.contains(found.classId)) {
                scan.problems.append(problem(
                    fileName,
                    QStringLiteral("its class id %1 is taken by another plug-in.").arg(found.classId)));
                continue;
            }
            seen.insert(found.classId);
            scan.classes.append(found);
        }
    }
    return scan;
}

TAddInManager::TAddInManager() = default;
TAddInManager::~TAddInManager() = default;

IAddIn* TAddInManager::create(const TPlugInClass& plugInClass, const TContext& context)
{
    if (plugInClass.script) {
        m_scriptAddIns.push_back(std::make_unique<TScriptAddIn>(
            plugInClass.manifest, QFileInfo(plugInClass.fileName).absolutePath(), context.runScript));
        return m_scriptAddIns.back().get();
    }
    QPluginLoader loader(plugInClass.fileName);
    // Every symbol now: a library that needs something missing must fail here, not at its first
    // call. Never unloaded: menu handlers of the plug-in live as long as the menu.
    loader.setLoadHints(QLibrary::ResolveAllSymbolsHint | QLibrary::PreventUnloadHint);
    QObject* root = nullptr;
    try {
        root = loader.instance();
    } catch (const std::exception& error) {
        throw EOleError(QString::fromUtf8(error.what()));
    } catch (...) {
        throw EOleSysError(E_UNEXPECTED);
    }
    if (!root)
        throw EOleError(loader.errorString());
    IAddIn* addIn = qobject_cast<IAddIn*>(root);
    if (!addIn)
        throw EOleSysError(E_NOINTERFACE);
    return addIn;
}

void TAddInManager::load(const TContext& context, const QStringList& folders)
{
    if (m_loaded)
        return;
    m_loaded = true;
    TfrmProgress form;
    struct TEnable
    {
        QWidget* window;
        ~TEnable()
        {
            if (window)
                window->setEnabled(true);
        }
    } enable{context.mainWindow};
    if (context.mainWindow)
        context.mainWindow->setEnabled(false);
    form.btnCancel->hide();
    form.prgBar->setRange(0, 6);
    form.prgBar->setValue(0);
    form.lblFileName->setTextFormat(Qt::PlainText);
    form.lblFileName->setText(QStringLiteral("Scanning for Reelwright Plug-ins..."));
    form.lblProgress->setVisible(true);
    form.lblProgress->clear();
    form.setFixedSize(form.width(), form.height() - (form.lblProgress->sizeHint().height() + 5));
    form.show();
    // The form is repainted after each change: no event loop runs while plug-ins load.
    auto changed = [&] {
        form.repaint();
        if (context.progressChanged)
            context.progressChanged(form.lblFileName->text(), form.prgBar->maximum(), form.prgBar->value());
    };
    auto step = [&] {
        form.stepIt();
        changed();
    };
    changed();

    // The scan's steps stand for the category manager's calls: create, enumerate, reset, fetch.
    step();
    step();
    const TPlugInScan scan = scanPlugInFolders(folders);
    step();
    step();
    step();
    step();
    m_problems = scan.problems;
    const int count = int(scan.classes.size());

    if (count > 0) {
        form.lblFileName->setText(QStringLiteral("Loading Reelwright Plug-ins..."));
        form.prgBar->setRange(0, count + 1);
        form.prgBar->setValue(1);
        changed();
        for (const TPlugInClass& plugInClass : scan.classes) {
            IAddIn* addIn = nullptr;
            try {
                addIn = create(plugInClass, context);
            } catch (const Exception& error) {
                m_problems.append(problem(plugInClass.fileName, error.message()));
                continue;
            }
            TAddInRecord record;
            if (!succeeded([&] { return addIn->SetApplication(context.application); }) ||
                !succeeded([&] { return addIn->GetDescription(record.description); }) ||
                !succeeded([&] { return addIn->GetTitle(record.title); }) ||
                !succeeded([&] { return addIn->GetVersion(record.version); }))
                continue;
            form.stepIt();
            form.lblFileName->setText(QStringLiteral("Loading %1...").arg(record.title));
            changed();
            m_records.append(record);
            succeeded([&] { return addIn->RegisterMenus(); });
        }
    }

    if (context.updateDocumentDependentItems)
        context.updateDocumentDependentItems();
    if (context.plugInsMenu)
        context.plugInsMenu->menuAction()->setVisible(!context.plugInsMenu->actions().isEmpty());
    if (context.plugInInfo)
        context.plugInInfo->setVisible(!m_records.isEmpty());
    form.hide();
    if (!m_problems.isEmpty()) {
        messageDlg(QStringLiteral("Some plug-ins could not be loaded:\n\n%1")
                       .arg(m_problems.join(QLatin1Char('\n'))),
                   TMsgType::Error, TMsgButtons::Ok);
    }
}
