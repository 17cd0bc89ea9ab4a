#include "app/ToolWindows.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

void attachToolWindow(QWidget& tool, QWidget& main)
{
    main.winId(); // creates the native windows; cheap when they exist
    tool.winId();
    if (QWindow* handle = tool.windowHandle())
        handle->setTransientParent(main.windowHandle());
}

void keepOnScreen(QWidget& window)
{
    const QRect frame = window.frameGeometry();
    QScreen* screen = QGuiApplication::screenAt(frame.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    // Decorations the window manager adds around the client area (none before the first show).
    const QSize decoration = frame.size() - window.geometry().size();
    const QSize client(std::min(window.width(), available.width() - decoration.width()),
                       std::min(window.height(), available.height() - decoration.height()));
    if (client != window.size())
        window.resize(client.expandedTo(QSize(1, 1)));
    const QSize outer = window.frameGeometry().size();
    const int left = std::max(available.left(),
                              std::min(frame.left(), available.right() + 1 - outer.width()));
    const int top = std::max(available.top(), std::min(frame.top(), available.bottom() + 1 - outer.height()));
    if (left != frame.left() || top != frame.top())
        window.move(left, top); // move() places the frame's top-left corner
}
