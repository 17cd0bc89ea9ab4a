#include "widgets/UpDownEdit.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionSpinBox>

#include <algorithm>

TUpDownEdit::TUpDownEdit(int minimum, int maximum, int maxLength, QWidget* parent)
    : QAbstractSpinBox(parent), m_minimum(minimum), m_maximum(maximum), m_maxLength(maxLength),
      m_position(minimum)
{
    lineEdit()->setMaxLength(maxLength);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    setKeyboardTracking(true);
    setAccelerated(false);
    lineEdit()->setText(QString::number(minimum));
}

QString TUpDownEdit::text() const
{
    return lineEdit()->text();
}

void TUpDownEdit::setText(const QString& text)
{
    lineEdit()->setText(text.left(m_maxLength));
}

void TUpDownEdit::setPosition(int value)
{
    m_position = std::clamp(value, m_minimum, m_maximum);
    setText(QString::number(m_position));
}

void TUpDownEdit::setRange(int minimum, int maximum)
{
    m_minimum = minimum;
    m_maximum = std::max(minimum, maximum);
    m_position = std::clamp(m_position, m_minimum, m_maximum);
}

int TUpDownEdit::number(int fallback) const
{
    QString digits = text();
    digits.remove(QLatin1Char(' '));
    if (digits.isEmpty())
        return fallback;
    bool ok = false;
    const qlonglong value = digits.toLongLong(&ok);
    if (!ok)
        return fallback;
    return int(std::clamp<qlonglong>(value, -2147483647LL, 2147483647LL));
}

void TUpDownEdit::stepBy(int steps)
{
    const qint64 from = std::clamp(number(m_position), m_minimum, m_maximum);
    m_position = int(std::clamp<qint64>(from + qint64(steps) * m_step, m_minimum, m_maximum));
    setText(QString::number(m_position));
    emit stepped();
}

QAbstractSpinBox::StepEnabled TUpDownEdit::stepEnabled() const
{
    const int value = number(m_position);
    StepEnabled enabled = StepNone;
    if (value < m_maximum)
        enabled |= StepUpEnabled;
    if (value > m_minimum)
        enabled |= StepDownEnabled;
    return enabled;
}

QValidator::State TUpDownEdit::validate(QString& input, int&) const
{
    for (QChar c : input)
        if (!c.isDigit() && c != QLatin1Char(' '))
            return QValidator::Invalid;
    return QValidator::Acceptable;
}

void TUpDownEdit::fixup(QString&) const
{
    // The owner decides what an unusable text becomes, when the field is left.
}

void TUpDownEdit::focusInEvent(QFocusEvent* event)
{
    QAbstractSpinBox::focusInEvent(event);
    emit entered();
}

void TUpDownEdit::focusOutEvent(QFocusEvent* event)
{
    emit leaving();
    QAbstractSpinBox::focusOutEvent(event);
}

void TUpDownEdit::keyPressEvent(QKeyEvent* event)
{
    const QString typed = event->text();
    if (!typed.isEmpty() && typed[0].isPrint() && !typed[0].isDigit()) {
        event->accept(); // only digits and backspace reach the field
        return;
    }
    const QString before = text();
    QAbstractSpinBox::keyPressEvent(event);
    if (text() != before)
        emit edited();
}

QSize TUpDownEdit::sizeHint() const
{
    // Wide enough for maxLength digits, like the fields the texts were laid out for.
    ensurePolished();
    const QFontMetrics metrics(font());
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    const QSize content(metrics.horizontalAdvance(QString(std::max(m_maxLength, 2) + 1, QLatin1Char('9'))),
                        lineEdit()->sizeHint().height());
    return style()->sizeFromContents(QStyle::CT_SpinBox, &option, content, this);
}

QSize TUpDownEdit::minimumSizeHint() const
{
    return sizeHint();
}
