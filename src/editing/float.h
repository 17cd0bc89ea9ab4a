#pragma once
// The frame inspector's window: a tool window over the main window that shows and edits the
// current frame's properties. This holds the window's life cycle (bounds kept under
// "FormPos\Inspector", hide-on-close); the property grid, palette and comment pages live here too.
#include <QWidget>

#include <functional>

class TfrmFloat : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kDefaultHeight = 430;
    static constexpr int kDefaultWidth = 220;

    // Restores the saved bounds; the defaults sit at the main window's right edge.
    explicit TfrmFloat(QWidget* mainWindow);
    // Saves the bounds and, as "Visible", what visibleSource reports (the main menu's check).
    ~TfrmFloat() override;

    void setVisibleSource(std::function<bool()> source) { m_visibleSource = std::move(source); }

signals:
    // The user closed the window through its title bar: it is only hidden.
    void closedByUser();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<bool()> m_visibleSource;
};
