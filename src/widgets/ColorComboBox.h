#pragma once
// A drop-down list of the sixteen named colours, each with its swatch. "Default" stands for
// the caller's default colour. A colour that has no name is kept as an extra entry showing its
// value, so opening and accepting a dialog never changes it. GUI thread only.
#include "graphics/Colors.h"

#include <QComboBox>

class TColorComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit TColorComboBox(TColor defaultColor, QWidget* parent = nullptr);

    TColor color() const;
    void setColor(TColor color);

private:
    void addColor(const QString& name, TColor color);
    TColor m_default;
};
