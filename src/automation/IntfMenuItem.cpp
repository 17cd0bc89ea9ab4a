#include "automation/IntfMenuItem.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

QAction* findMenuItem(QMenuBar* menuBar, const QString& path)
{
    if (!menuBar)
        return nullptr;
    QList<QAction*> level = menuBar->actions();
    QString rest = path;
    for (;;) {
        const qsizetype bar = rest.indexOf(QLatin1Char('|'));
        const QString head = bar < 0 ? rest : rest.left(bar);
        rest = bar < 0 ? QString() : rest.mid(bar + 1);
        QAction* found = nullptr;
        for (QAction* item : std::as_const(level)) {
            if (item->isSeparator())
                continue;
            QString caption = item->text();
            caption.remove(QLatin1Char('&'));
            if (caption == head)
                found = item;
        }
        if (!found || rest.isEmpty())
            return found;
        if (!found->menu())
            return nullptr;
        level = found->menu()->actions();
    }
}
