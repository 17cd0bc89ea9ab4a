#pragma once
// The frame inspector's window: a tool window over the main window that shows and edits the
// current frame's properties. This holds the window's life cycle (bounds kept under
// "FormPos\Inspector", hide-on-close); the property grid, palette and comment pages live here too.
#include <QStringList>
#include <QWidget>

#include <functional>

class QComboBox;
class QListWidget;
class QTableWidget;

// What the frame strip fills in the inspector on every frame selection. UI thread only.
class IFrameInspectorView
{
public:
    // The value column's rows in this order.
    enum TValueRow
    {
        vrHeight,
        vrWidth,
        vrLeft,
        vrTop,
        vrInterlaced,
        vrTransparent,
        vrLocalPalette,
        vrDelay,
        vrDisposal,
        vrCount
    };

    virtual ~IFrameInspectorView() = default;
    virtual void setInspectorCaption(const QString& caption) = 0;
    // vrCount texts, indexed by TValueRow.
    virtual void setFrameValues(const QStringList& values) = 0;
    // Every comment of the animation, "Comment 1" ... in frame order.
    virtual void setCommentList(const QStringList& comments) = 0;
    virtual void setFrameList(const QStringList& items, int selected) = 0;
};

class TfrmFloat : public QWidget, public IFrameInspectorView
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
    // The comment page is in front while the window is shown (Paste then takes clipboard text
    // as a comment).
    bool showsComments() const;

    void setInspectorCaption(const QString& caption) override;
    void setFrameValues(const QStringList& values) override;
    void setCommentList(const QStringList& comments) override;
    void setFrameList(const QStringList& items, int selected) override;

signals:
    // The user closed the window through its title bar: it is only hidden.
    void closedByUser();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<bool()> m_visibleSource;
    // The twelve property rows (label, value); group rows 0, 5 and 9 carry no value.
    QTableWidget* m_grid = nullptr;
    QListWidget* m_comments = nullptr;
    QComboBox* m_frames = nullptr;
};
