#pragma once
// Menu items for automation clients and plug-ins.
//
// Menu paths: captions separated by "|" from a top-level item of the main menu down to the item,
// each compared exactly (case-sensitive) with the item's caption after every "&" is removed from
// the caption (not from the path); when several items match, the last one is taken.
//
// A menu-item object (TIntfMenuItem) wraps one item of the main window's menu without owning it.
// The menu changes under it all the time (recent files, favourites and the Play menu are rebuilt),
// so it holds the item and the menu it sits in weakly: once either is gone every member fails with
// "The menu item no longer exists." and nothing is touched.
//
// Plug-in items (TAutomatedMenu) are created only through AddSubItem/InsertSubItem. They carry a
// handler, called with the item's Tag on each click, and start document-dependent. The mark lives
// in the item's "helpContext" property: 1 means enabled only while a document is open; any other
// value (the program's own items have none, i.e. 0) means independent.
#include "automation/AddInClassesIntf.h"
#include "automation/Reelwright_TLB.h"

#include <QAction>
#include <QDBusConnection>
#include <QPointer>
#include <QString>

#include <variant>

class QMenuBar;
class QWidget;

// The item a path names; null when any level has no match. parent receives the menu or menu bar
// the item was found in.
QAction* findMenuItem(QMenuBar* menuBar, const QString& path, QWidget** parent = nullptr);

// The document-dependence mark (1: enabled only while a document is open).
int documentMark(const QAction* item);
void setDocumentMark(QAction* item, int mark);

// Walks the whole menu: every item marked 1 is enabled exactly when hasDocument.
void updateDocumentDependentItems(QMenuBar* menuBar, bool hasDocument);

// A plug-in menu item. Its parent is the menu it was added to; the main window frees it with its
// menus.
class TAutomatedMenu : public QAction
{
    Q_OBJECT
public:
    // An in-process handler, a client's object on the bus, or none.
    struct TRemoteHandler
    {
        QDBusConnection connection;
        QString service;
        QString path;
    };
    using THandler = std::variant<std::monostate, TMenuHandlerPtr, TRemoteHandler>;

    explicit TAutomatedMenu(QObject* parent);

    void setHandler(THandler handler) { m_handler = std::move(handler); }
    bool hasHandler() const { return !std::holds_alternative<std::monostate>(m_handler); }
    // Drops the handler: the program lets go of plug-in objects before the server goes.
    void clearHandler() { m_handler = std::monostate(); }

    // The click: calls the handler's Execute with the tag. Throws EOleSysError when the call fails
    // or answers a failure status; nothing happens without a handler.
    void dispatch();

private:
    // A user's click: a failure goes to the standard error message box.
    void clicked();

    THandler m_handler;
};

// The IIntfMenuItem object over one item.
class TIntfMenuItem : public IIntfMenuItem
{
public:
    // parent: the menu or menu bar holding the item (its siblings are the parent's items).
    // owner: the widget that owns the menus created for new sub-items (the main window).
    TIntfMenuItem(QAction* item, QWidget* parent, QWidget* owner, TComServer* server);

    QString get_Caption() override;
    void put_Caption(const QString& wsCaption) override;
    bool get_Checked() override;
    void put_Checked(bool wbChecked) override;
    bool get_Enabled() override;
    void put_Enabled(bool wbEnabled) override;
    QString get_Hint() override;
    void put_Hint(const QString& wsHint) override;
    QString get_ShortCut() override;
    void put_ShortCut(const QString& wsShortCut) override;
    int get_SubItemCount() override;
    int get_Tag() override;
    void put_Tag(int nTag) override;
    bool get_Visible() override;
    void put_Visible(bool wbVisible) override;
    TComPtr<IIntfMenuItem> AddSubItem() override;
    TComPtr<IIntfMenuItem> SubItem(int nIndex) override;
    void Execute() override;
    void SetMenuHandler(const QVariant& Handler) override;
    int get_MenuIndex() override;
    void put_MenuIndex(int nIndex) override;
    TComPtr<IIntfMenuItem> InsertSubItem(int nIndex) override;
    bool get_DocDependent() override;
    void put_DocDependent(bool wbEnabled) override;

private:
    // The item, or the error when it (or the menu it sits in) is gone.
    QAction& item();
    QWidget& parentMenu();
    // The menu of the item's sub-items, made when the item has none yet.
    QMenu& subMenu();
    TComPtr<IIntfMenuItem> insertPluginItem(int index);

    QPointer<QAction> m_item;
    QPointer<QWidget> m_parent;
    QPointer<QWidget> m_owner;
};

// Every item's Tag (a number owned by the clients) lives in its "tag" property.
int menuItemTag(const QAction* item);
