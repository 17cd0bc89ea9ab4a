#pragma once
// A number field with an up-down control whose text is free until it is checked: the program's
// number fields keep what the user typed (a value out of range, or an emptied field) until the
// field is left, and then decide themselves what to put back. A QSpinBox would clamp or refuse
// the text at once, so the check and its message could never happen.
//
// Only digits and backspace can be typed (at most maxLength characters). The up-down control
// steps the number in the text, or its position when the text is not a number, within
// [minimum, maximum]. GUI thread only.
#include <QAbstractSpinBox>

class TUpDownEdit : public QAbstractSpinBox
{
    Q_OBJECT
public:
    TUpDownEdit(int minimum, int maximum, int maxLength, QWidget* parent = nullptr);

    // The field itself (the palette dialog checks it with the integer-field routine).
    using QAbstractSpinBox::lineEdit;
    QString text() const;
    void setText(const QString& text);
    // The up-down control's position: the last number it stepped to or was given.
    int position() const { return m_position; }
    void setPosition(int value);
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    void setRange(int minimum, int maximum);
    void setStep(int step) { m_step = step; }

    // The number in the text, or fallback when it holds no digits (blanks ignored).
    int number(int fallback) const;

    void stepBy(int steps) override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void entered();
    void leaving();
    // The user typed or deleted a character.
    void edited();
    // The up-down control (arrows, keys, wheel) changed the text.
    void stepped();

protected:
    StepEnabled stepEnabled() const override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int m_minimum;
    int m_maximum;
    int m_maxLength;
    int m_position;
    int m_step = 1;
};
