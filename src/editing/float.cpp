#include "editing/float.h"

#include "editing/UndoHost.h"
#include "platform/Settings.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// Grid row of each value row; the group headings 0, 5 and 9 sit between them.
constexpr int kGridRows[IFrameInspectorView::vrCount] = {1, 2, 3, 4, 6, 7, 8, 10, 11};

} // namespace

TfrmFloat::TfrmFloat(QWidget* mainWindow) : QWidget(mainWindow, Qt::Tool)
{
    setObjectName(QStringLiteral("frmFloat"));
    setWindowTitle(QStringLiteral("Frame Inspector"));
    auto* layout = new QVBoxLayout(this);
    m_frames = new QComboBox(this);
    m_frames->setObjectName(QStringLiteral("cbFrames"));
    layout->addWidget(m_frames);

    auto* pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("pgcInspector"));
    m_grid = new QTableWidget(12, 2, pages);
    m_grid->setObjectName(QStringLiteral("grdProperties"));
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int row = 0; row < 12; ++row) {
        m_grid->setItem(row, 0, new QTableWidgetItem(QString::fromLatin1(kInspectorRowLabels[row])));
        m_grid->setItem(row, 1, new QTableWidgetItem);
    }
    pages->addTab(m_grid, QStringLiteral("Properties"));
    m_comments = new QListWidget(pages);
    m_comments->setObjectName(QStringLiteral("lstComments"));
    pages->addTab(m_comments, QStringLiteral("Comments"));
    layout->addWidget(pages, 1);
    auto* caption =
        new QLabel(QStringLiteral("<b>Frame Inspector</b><br>Displays all the frame properties in a "
                                  "convenient window."),
                   this);
    caption->setObjectName(QStringLiteral("lblHint"));
    caption->setWordWrap(true);
    layout->addWidget(caption);

    const QRect main = mainWindow ? QRect(mainWindow->pos(), mainWindow->size()) : QRect(0, 0, 800, 600);
    TSettingsBatch settings;
    const int width = settings.readInteger(SettingKeys::InspectorWidth);
    const int height = settings.readInteger(SettingKeys::InspectorHeight);
    const int top = settings.readInteger(SettingKeys::InspectorTop, main.top() + 50);
    const int left =
        settings.readInteger(SettingKeys::InspectorLeft, main.left() + main.width() - width + 10);
    move(left, top);
    resize(width, height);
}

TfrmFloat::~TfrmFloat()
{
    TSettingsBatch settings;
    settings.writeInteger(SettingKeys::InspectorTop, y());
    settings.writeInteger(SettingKeys::InspectorLeft, x());
    settings.writeInteger(SettingKeys::InspectorHeight, height());
    settings.writeInteger(SettingKeys::InspectorWidth, width());
    if (m_visibleSource)
        settings.writeInteger(SettingKeys::InspectorVisible, m_visibleSource() ? 1 : 0);
}

void TfrmFloat::closeEvent(QCloseEvent* event)
{
    event->ignore();
    hide();
    emit closedByUser();
}

void TfrmFloat::setInspectorCaption(const QString& caption)
{
    setWindowTitle(caption);
}

void TfrmFloat::setFrameValues(const QStringList& values)
{
    for (int row = 0; row < vrCount; ++row)
        m_grid->item(kGridRows[row], 1)->setText(row < values.size() ? values[row] : QString());
}

void TfrmFloat::setCommentList(const QStringList& comments)
{
    m_comments->clear();
    m_comments->addItems(comments);
}

void TfrmFloat::setFrameList(const QStringList& items, int selected)
{
    const QSignalBlocker blocker(m_frames);
    m_frames->clear();
    m_frames->addItems(items);
    m_frames->setCurrentIndex(selected < items.size() ? selected : -1);
}

bool TfrmFloat::showsComments() const
{
    return isVisible() && m_comments->isVisible();
}
