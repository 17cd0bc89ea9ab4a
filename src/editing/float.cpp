#include "editing/float.h"

#include "platform/Settings.h"

#include <QCloseEvent>
#include <QLabel>
#include <QVBoxLayout>

TfrmFloat::TfrmFloat(QWidget* mainWindow) : QWidget(mainWindow, Qt::Tool)
{
    setObjectName(QStringLiteral("frmFloat"));
    setWindowTitle(QStringLiteral("Frame Inspector"));
    auto* layout = new QVBoxLayout(this);
    auto* caption =
        new QLabel(QStringLiteral("<b>Frame Inspector</b><br>Displays all the frame properties in a "
                                  "convenient window."),
                   this);
    caption->setObjectName(QStringLiteral("lblHint"));
    caption->setWordWrap(true);
    layout->addStretch();
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
