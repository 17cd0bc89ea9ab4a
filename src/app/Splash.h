#pragma once
// The splash window: borderless, centred, showing the "SPLASH" bitmap of the resource library at
// its own size. It refuses to close until 2500 ms have passed since its creation, so the program
// name stays readable even when start-up is quick.
#include <QImage>
#include <QWidget>

#include <functional>

// Milliseconds from an arbitrary fixed point; injectable so tests need not wait.
using TClock = std::function<qint64()>;
TClock steadyClock();

class TfrmSplash : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kMinimumShowMs = 2500;

    explicit TfrmSplash(const QImage& picture, TClock clock = steadyClock());

    // True once the timer has run out; the timer then stops itself.
    bool closeQuery();
    bool timerRunning() const { return m_timerRunning; }
    qint64 elapsed() const { return m_clock() - m_created; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QImage m_picture;
    TClock m_clock;
    qint64 m_created;
    bool m_timerRunning = true;
};
