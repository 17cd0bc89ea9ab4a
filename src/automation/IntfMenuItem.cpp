#include "automation/IntfMenuItem.h"

#include "automation/ComServer.h"
#include "platform/MessageService.h"

#include <QDBusMessage>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QSet>

namespace {

const char* const kMarkProperty = "helpContext";
const char* const kTagProperty = "tag";
const QString kHandlerInterface = QStringLiteral("Reelwright.IIntfMenuHandler");
// A handler may show a dialog of its own; its caller waits for the user meanwhile.
constexpr int kHandlerTimeoutMs = 10 * 60 * 1000;

QString itemGone()
{
    return QStringLiteral("The menu item no longer exists.");
}

QString indexOutOfRange()
{
    return QStringLiteral("Menu index out of range");
}

void walk(QMenu* menu, bool hasDocument, QSet<QMenu*>& seen)
{
    if (!menu || seen.contains(menu))
        return;
    seen.insert(menu);
    const QList<QAction*> items = menu->actions();
    for (QAction* item : items) {
        if (documentMark(item) == 1)
            item->setEnabled(hasDocument);
        walk(item->menu(), hasDocument, seen);
    }
}

} // namespace

QAction* findMenuItem(QMenuBar* menuBar, const QString& path, QWidget** parent)
{
    if (!menuBar)
        return nullptr;
    QWidget* level = menuBar;
    QString rest = path;
    for (;;) {
        const qsizetype bar = rest.indexOf(QLatin1Char('|'));
        const QString head = bar < 0 ? rest : rest.left(bar);
        rest = bar < 0 ? QString() : rest.mid(bar + 1);
        QAction* found = nullptr;
        const QList<QAction*> items = level->actions();
        for (QAction* item : items) {
            if (item->isSeparator())
                continue;
            QString caption = item->text();
            caption.remove(QLatin1Char('&'));
            if (caption == head)
                found = item;
        }
        if (!found || rest.isEmpty()) {
            if (found && parent)
                *parent = level;
            return found;
        }
        if (!found->menu())
            return nullptr;
        level = found->menu();
    }
}

int documentMark(const QAction* item)
{
    return item ? item->property(kMarkProperty).toInt() : 0;
}

void setDocumentMark(QAction* item, int mark)
{
    item->setProperty(kMarkProperty, mark);
}

int menuItemTag(const QAction* item)
{
    return item ? item->property(kTagProperty).toInt() : 0;
}

void updateDocumentDependentItems(QMenuBar* menuBar, bool hasDocument)
{
    if (!menuBar)
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    QSet<QMenu*> seen;
    const QList<QAction*> items = menuBar->actions();
    for (QAction* item : items) {
        if (documentMark(item) == 1)
            item->setEnabled(hasDocument);
        walk(item->menu(), hasDocument, seen);
    }
    QGuiApplication::restoreOverrideCursor();
}

// ---- plug-in items -----------------------------------------------------------------------------

TAutomatedMenu::TAutomatedMenu(QObject* parent) : QAction(parent)
{
    setDocumentMark(this, 1);
    connect(this, &QAction::triggered, this, &TAutomatedMenu::clicked);
}

void TAutomatedMenu::clicked()
{
    try {
        dispatch();
    } catch (const Exception& error) {
        messageDlg(error.message(), TMsgType::Error, TMsgButtons::Ok);
    }
}

void TAutomatedMenu::dispatch()
{
    const int tag = menuItemTag(this);
    // A copy: the handler may replace itself, or the item may go, while it runs.
    const THandler handler = m_handler;
    if (const auto* local = std::get_if<TMenuHandlerPtr>(&handler)) {
        HRESULT status = S_OK;
        try {
            status = (*local)->Execute(tag);
        } catch (const std::exception& error) {
            throw EOleSysError(E_FAIL, QString::fromUtf8(error.what()));
        } catch (...) {
            throw EOleSysError(E_FAIL);
        }
        if (FAILED(status))
            throw EOleSysError(status);
    } else if (const auto* remote = std::get_if<TRemoteHandler>(&handler)) {
        QDBusMessage call = QDBusMessage::createMethodCall(remote->service, remote->path, kHandlerInterface,
                                                           QStringLiteral("Execute"));
        call.setArguments({tag});
        // Calls that arrive meanwhile (the handler driving the program) are served.
        QDBusConnection connection = remote->connection;
        const QDBusMessage reply = connection.call(call, QDBus::BlockWithGui, kHandlerTimeoutMs);
        if (reply.type() == QDBusMessage::ErrorMessage) {
            throw EOleSysError(E_FAIL,
                               reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage());
        }
        // A handler may answer its status; no answer is success.
        const QVariant answer = reply.arguments().value(0);
        if (answer.metaType().id() == QMetaType::Int && FAILED(answer.toInt()))
            throw EOleSysError(answer.toInt());
    }
}

// ---- the menu-item object ----------------------------------------------------------------------

TIntfMenuItem::TIntfMenuItem(QAction* item, QWidget* parent, QWidget* owner, TComServer* server)
    : IIntfMenuItem(server), m_item(item), m_parent(parent), m_owner(owner)
{
}

QAction& TIntfMenuItem::item()
{
    if (!m_item || !m_parent)
        throw EOleError(itemGone());
    return *m_item;
}

QWidget& TIntfMenuItem::parentMenu()
{
    QAction& self = item();
    if (!m_parent->actions().contains(&self))
        throw EOleError(itemGone());
    return *m_parent;
}

QMenu& TIntfMenuItem::subMenu()
{
    QAction& self = item();
    if (QMenu* menu = self.menu())
        return *menu;
    auto* menu = new QMenu(self.text(), m_owner ? m_owner.data() : m_parent.data());
    self.setMenu(menu);
    return *menu;
}

QString TIntfMenuItem::get_Caption()
{
    return item().text();
}

void TIntfMenuItem::put_Caption(const QString& wsCaption)
{
    QAction& self = item();
    self.setText(wsCaption);
    if (QMenu* menu = self.menu())
        menu->setTitle(wsCaption);
}

bool TIntfMenuItem::get_Checked()
{
    return item().isChecked();
}

void TIntfMenuItem::put_Checked(bool wbChecked)
{
    QAction& self = item();
    if (wbChecked)
        self.setCheckable(true);
    self.setChecked(wbChecked);
}

bool TIntfMenuItem::get_Enabled()
{
    return item().isEnabled();
}

void TIntfMenuItem::put_Enabled(bool wbEnabled)
{
    item().setEnabled(wbEnabled);
}

QString TIntfMenuItem::get_Hint()
{
    return item().statusTip();
}

void TIntfMenuItem::put_Hint(const QString& wsHint)
{
    item().setStatusTip(wsHint);
}

QString TIntfMenuItem::get_ShortCut()
{
    return item().shortcut().toString(QKeySequence::PortableText);
}

void TIntfMenuItem::put_ShortCut(const QString& wsShortCut)
{
    QAction& self = item();
    // One key combination, as the platform's text names it; anything else clears the shortcut.
    const QKeySequence sequence = QKeySequence::fromString(wsShortCut.trimmed(), QKeySequence::PortableText);
    if (sequence.count() == 1 && sequence[0].key() != Qt::Key_unknown)
        self.setShortcut(sequence);
    else
        self.setShortcut(QKeySequence());
}

int TIntfMenuItem::get_SubItemCount()
{
    QMenu* menu = item().menu();
    return menu ? int(menu->actions().size()) : 0;
}

int TIntfMenuItem::get_Tag()
{
    return menuItemTag(&item());
}

void TIntfMenuItem::put_Tag(int nTag)
{
    item().setProperty(kTagProperty, nTag);
}

bool TIntfMenuItem::get_Visible()
{
    return item().isVisible();
}

void TIntfMenuItem::put_Visible(bool wbVisible)
{
    item().setVisible(wbVisible);
}

TComPtr<IIntfMenuItem> TIntfMenuItem::AddSubItem()
{
    return insertPluginItem(-1);
}

TComPtr<IIntfMenuItem> TIntfMenuItem::InsertSubItem(int nIndex)
{
    QMenu* menu = item().menu();
    const int count = menu ? int(menu->actions().size()) : 0;
    if (nIndex < 0 || nIndex > count)
        throw EOleError(indexOutOfRange());
    return insertPluginItem(nIndex);
}

TComPtr<IIntfMenuItem> TIntfMenuItem::insertPluginItem(int index)
{
    QMenu& menu = subMenu();
    auto* created = new TAutomatedMenu(&menu);
    const QList<QAction*> items = menu.actions();
    if (index < 0 || index >= items.size())
        menu.addAction(created);
    else
        menu.insertAction(items[index], created);
    return makeComObject<TIntfMenuItem>(created, &menu, m_owner.data(), server());
}

TComPtr<IIntfMenuItem> TIntfMenuItem::SubItem(int nIndex)
{
    QMenu* menu = item().menu();
    const QList<QAction*> items = menu ? menu->actions() : QList<QAction*>();
    if (nIndex < 0 || nIndex >= items.size())
        throw EOleError(QStringLiteral("Menu index out of bounds"));
    return makeComObject<TIntfMenuItem>(items[nIndex], menu, m_owner.data(), server());
}

void TIntfMenuItem::Execute()
{
    QAction& self = item();
    if (!self.isEnabled())
        return;
    if (auto* plugin = qobject_cast<TAutomatedMenu*>(&self)) {
        // As a click, but a failure is this call's failure, not a message box.
        plugin->dispatch();
        return;
    }
    self.trigger();
}

void TIntfMenuItem::SetMenuHandler(const QVariant& Handler)
{
    auto* plugin = qobject_cast<TAutomatedMenu*>(&item());
    if (!plugin)
        throw EOleError(QStringLiteral("Cannot change pre-defined menu handlers"));
    if (Handler.metaType() == QMetaType::fromType<TMenuHandlerPtr>()) {
        TMenuHandlerPtr local = Handler.value<TMenuHandlerPtr>();
        if (local)
            plugin->setHandler(std::move(local));
        else
            plugin->clearHandler();
    } else if (Handler.metaType() == QMetaType::fromType<TRemoteObject>()) {
        const TRemoteObject remote = Handler.value<TRemoteObject>();
        if (!server() || !server()->connection().isConnected())
            throw EOleSysError(E_UNEXPECTED);
        plugin->setHandler(
            TAutomatedMenu::TRemoteHandler{server()->connection(), remote.service, remote.path});
    } else if (!Handler.isValid() || (Handler.metaType() == QMetaType::fromType<TDispatchPtr>() &&
                                      !Handler.value<TDispatchPtr>())) {
        plugin->clearHandler();
    } else {
        // One of the program's own objects, or a value that is no object at all.
        throw EOleSysError(E_NOINTERFACE);
    }
}

int TIntfMenuItem::get_MenuIndex()
{
    QWidget& parent = parentMenu();
    return int(parent.actions().indexOf(&item()));
}

void TIntfMenuItem::put_MenuIndex(int nIndex)
{
    QWidget& parent = parentMenu();
    QAction& self = item();
    QList<QAction*> items = parent.actions();
    const qsizetype current = items.indexOf(&self);
    if (nIndex < 0 || nIndex >= items.size())
        throw EOleError(indexOutOfRange());
    if (nIndex == current)
        return;
    items.removeAt(current);
    parent.removeAction(&self);
    if (nIndex >= items.size())
        parent.addAction(&self);
    else
        parent.insertAction(items[nIndex], &self);
}

bool TIntfMenuItem::get_DocDependent()
{
    return documentMark(&item()) == 1;
}

void TIntfMenuItem::put_DocDependent(bool wbEnabled)
{
    setDocumentMark(&item(), wbEnabled ? 1 : -1);
}
