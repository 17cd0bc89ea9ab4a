#pragma once
// The tab strip over the workspace: one tab per document with its file name without folder,
// drawn by the program so a modified document shows a bullet and its name in the highlight
// colour. The strip remembers the tab under the pointer for the status bar and the pop-up menu.
#include <QTabBar>

class TDocument;

class TDocumentTabs : public QTabBar
{
    Q_OBJECT
public:
    explicit TDocumentTabs(QWidget* parent = nullptr);

    int addDocumentTab(TDocument* doc, const QString& text);
    TDocument* document(int index) const;
    // The tab under the pointer, -1 when none.
    int hoverIndex() const { return m_hoverIndex; }

signals:
    // The pointer moved onto another tab (-1: off the tabs).
    void hoverChanged(int index);
    // A left button press on a tab.
    void tabPressed(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    QSize tabSizeHint(int index) const override;

private:
    void setHover(int index);

    int m_hoverIndex = -1;
};
