#pragma once
// The add-in manager: finds the plug-ins at start-up, loads them in order, lets each describe
// itself and register its menu items, and keeps the list shown by the plug-in explorer.
//
// Plug-in folders, searched in this order: the user's ($XDG_DATA_HOME/reelwright/plugins) and
// the system's (<prefix>/lib/reelwright/plugins, found from the program's folder). A class is a
// Qt plugin library whose metadata lists the plug-in category (AddInClassesIntf.h), or a script
// plug-in: a JSON manifest naming a command that drives the program over the session bus
// (docs/plugins.md). Metadata is read without loading anything; at most 50 classes are taken.
//
// Files in the plug-in folders that cannot be plug-ins (no or malformed metadata, a library that
// does not load, a root object without IAddIn, a manifest that does not parse) are reported
// together in one error message after loading, naming each file; the plug-ins around them still
// load. A plug-in whose SetApplication or Get* call fails (or throws) is skipped without a
// message; one whose RegisterMenus fails keeps its record.
#include "automation/AddInClassesIntf.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QAction;
class QMenu;
class QWidget;

struct TAddInRecord
{
    QString description;
    QString title;
    QString version;
};

struct TPlugInClass
{
    QString classId;
    QString fileName;
    bool script = false;
    QJsonObject manifest; // a script plug-in's manifest
};

struct TPlugInScan
{
    QList<TPlugInClass> classes; // load order, at most kMaxPlugInClasses
    QStringList problems;        // one line per file that is no plug-in, naming it
};

// $XDG_DATA_HOME/reelwright/plugins, then <prefix>/lib/reelwright/plugins.
QStringList plugInFolders();
// Reads the folders' metadata without loading a library.
TPlugInScan scanPlugInFolders(const QStringList& folders);

// Runs a script plug-in's command line (already split) in its folder, with REELWRIGHT_APPLICATION
// naming a fresh application object on the bus. Throws when it cannot start.
using TScriptRunner = std::function<void(const QStringList& command, const QString& folder)>;

class TAddInManager
{
public:
    struct TContext
    {
        QWidget* mainWindow = nullptr;                    // disabled while loading
        IGIFReelwrightApplication* application = nullptr; // the program's own
        QMenu* plugInsMenu = nullptr;                     // "&Plug-ins": shown when it has items
        QAction* plugInInfo = nullptr;                    // "&Plugin Info...": shown with any record
        std::function<void()> updateDocumentDependentItems;
        TScriptRunner runScript;
        // Told of every change of the progress form (label, bar maximum, bar position).
        std::function<void(const QString& label, int maximum, int position)> progressChanged;
    };

    TAddInManager();
    ~TAddInManager();
    TAddInManager(const TAddInManager&) = delete;
    TAddInManager& operator=(const TAddInManager&) = delete;

    // Loads the plug-ins of the folders once; further calls do nothing.
    void load(const TContext& context, const QStringList& folders);

    const QList<TAddInRecord>& records() const { return m_records; }
    // What went wrong with the files of the folders, one line each (shown after loading).
    const QStringList& problems() const { return m_problems; }

private:
    // Creates a class and asks for IAddIn; throws with the reason.
    IAddIn* create(const TPlugInClass& plugInClass, const TContext& context);

    bool m_loaded = false;
    QList<TAddInRecord> m_records;
    QStringList m_problems;
    // Script plug-ins are add-ins of the program's own making; they live as long as the manager.
    std::vector<std::unique_ptr<IAddIn>> m_scriptAddIns;
};
