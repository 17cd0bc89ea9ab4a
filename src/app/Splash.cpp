#include "app/Splash.h"

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>

TClock steadyClock()
{
    return [] {
        static QElapsedTimer timer = [] {
            QElapsedTimer t;
            t.start();
            return t;
        }();
        return timer.elapsed();
    };
}

TfrmSplash::TfrmSplash(const QImage& picture, TClock clock)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint), m_picture(picture),
      m_clock(std::move(clock)), m_created(m_clock())
{
    setObjectName(QStringLiteral("frmSplash"));
    // A missing picture leaves a small blank window rather than none at all.
    setFixedSize(m_picture.isNull() ? QSize(320, 200) : m_picture.size());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.center() - rect().center());
    }
    // The real timer keeps the event loop waking up; the clock decides.
    auto* timer = new QTimer(this);
    timer->setInterval(50);
    connect(timer, &QTimer::timeout, this, [this, timer] {
        if (closeQuery())
            timer->stop();
    });
    timer->start();
}

bool TfrmSplash::closeQuery()
{
    if (m_timerRunning && elapsed() >= kMinimumShowMs)
        m_timerRunning = false;
    return !m_timerRunning;
}

void TfrmSplash::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_picture.isNull())
        painter.fillRect(rect(), palette().window());
    else
        painter.drawImage(0, 0, m_picture);
}

void TfrmSplash::closeEvent(QCloseEvent* event)
{
    if (closeQuery())
        event->accept();
    else
        event->ignore();
}
