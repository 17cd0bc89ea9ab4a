#include "app/ToolWindows.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QVariant>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {

// Raises the tool window above its main window whenever the main window is shown or activated.
class TToolRaiser : public QObject
{
public:
    TToolRaiser(QWidget& tool, QWidget& main) : QObject(&tool), m_tool(&tool) { main.installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if ((event->type() == QEvent::Show || event->type() == QEvent::WindowActivate) && m_tool &&
            m_tool->isVisible() && !m_tool->isMinimized()) {
            // After the event: the window manager stacks the main window in answer to it.
            QTimer::singleShot(0, m_tool, [tool = m_tool] {
                if (tool && tool->isVisible())
                    tool->raise();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QPointer<QWidget> m_tool;
};

} // namespace

void attachToolWindow(QWidget& tool, QWidget& main)
{
    main.winId(); // creates the native windows; cheap when they exist
    tool.winId();
    if (QWindow* handle = tool.windowHandle())
        handle->setTransientParent(main.windowHandle());
    new TToolRaiser(tool, main);
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

namespace {

// Checks the window's place again a little after each show, when the window manager has framed it.
class TFramedPlacement : public QObject
{
public:
    explicit TFramedPlacement(QWidget& window) : QObject(&window), m_window(&window)
    {
        window.installEventFilter(this);
        if (window.isVisible())
            checkSoon();
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            checkSoon();

        return QObject::eventFilter(watched, event);
    }

    void checkSoon()
    {
        for (const int delay : {200, 1000})
            QTimer::singleShot(delay, this, [this] {
                if (m_window && m_window->isVisible())
                    keepOnScreen(*m_window);
            });
    }

private:
    QPointer<QWidget> m_window;
};

} // namespace

void keepOnScreenWhenFramed(QWidget& window)
{
    keepOnScreen(window);
    static const char* const watched = "reelwrightPlacementWatched";
    if (!window.property(watched).toBool()) {
        window.setProperty(watched, true);
        new TFramedPlacement(window);
    }
}
