#include "wizards/Progress.h"

#include "editing/EditSession.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TfrmProgress::TfrmProgress(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmProgress"));
    // No title bar, so the thin frame is drawn by the form itself.
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    frame->setLineWidth(1);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    auto* layout = new QVBoxLayout(frame);

    lblFileName = new QLabel(frame);
    lblFileName->setObjectName(QStringLiteral("lblFileName"));
    lblFileName->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    // File names come from outside.
    lblFileName->setTextFormat(Qt::PlainText);
    layout->addWidget(lblFileName);

    prgBar = new QProgressBar(frame);
    prgBar->setObjectName(QStringLiteral("prgBar"));
    prgBar->setTextVisible(false);
    prgBar->setRange(0, 100);
    prgBar->setValue(0);
    layout->addWidget(prgBar);

    btnCancel = new QPushButton(QStringLiteral("Cancel"), frame);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setDefault(true);
    btnCancel->setAutoDefault(true);
    layout->addWidget(btnCancel, 0, Qt::AlignHCenter);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmProgress::reject);

    lblProgress = new QLabel(frame);
    lblProgress->setObjectName(QStringLiteral("lblProgress"));
    lblProgress->setTextFormat(Qt::PlainText);
    lblProgress->hide();
    layout->addWidget(lblProgress);

    setFixedSize(292, 98);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

void TfrmProgress::stepIt()
{
    if (prgBar->value() < prgBar->maximum())
        prgBar->setValue(prgBar->value() + 1);
}

void TfrmProgress::reject()
{
    m_modalResult = mrCancel;
}
